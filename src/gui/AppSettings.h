#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;
class QWidget;

namespace dorum::gui {

class TFormEditor;
struct TUserDialogs;

// The files opened last, the most recent first, each once, at most kLimit.
class TRecentFiles {
 public:
  static constexpr qsizetype kLimit = 8;

  // The file goes to the front (from wherever it stood).
  void Add(const QString& file);
  void Remove(const QString& file);
  // A list read back: empty entries and repeats dropped, cut to the limit.
  void Assign(const QStringList& files);
  [[nodiscard]] const QStringList& Files() const noexcept { return files_; }

 private:
  QStringList files_;
};

// The file dialogs that each remember the folder they were last left in.
enum class TFolderKind { Open, Program, Instruction, List, Dump };

// The window layout: the main strip, the editor container and the windows
// floating out of it or docked in it.
struct TWindowLayout {
  QRect MainRect;  // the strip's own area, without the window system's frame
  QByteArray ContainerGeometry;
  QByteArray ContainerState;
};

// How a traced run goes: the machine window's tracking level and tempo.
struct TRunPace {
  int TrackingLevel = 1;
  int Tempo = 0;  // ms between cycles
};

// What the application remembers between starts, in one file of the
// user's configuration folder. The machine's configuration is not among
// it: every start begins with the default machine.
class TAppSettings {
 public:
  // The user's own file.
  TAppSettings();
  // The file given (a test's own).
  explicit TAppSettings(const QString& fileName);
  ~TAppSettings();
  TAppSettings(const TAppSettings&) = delete;
  TAppSettings& operator=(const TAppSettings&) = delete;

  [[nodiscard]] QString FileName() const;

  [[nodiscard]] std::optional<TWindowLayout> Layout() const;
  void SetLayout(const TWindowLayout& layout);
  [[nodiscard]] std::optional<TRunPace> Pace() const;
  void SetPace(const TRunPace& pace);
  [[nodiscard]] QStringList RecentFiles() const;
  void SetRecentFiles(const QStringList& files);
  // Empty when the dialog has not been used yet.
  [[nodiscard]] QString LastFolder(TFolderKind kind) const;
  void SetLastFolder(TFolderKind kind, const QString& folder);
  // Writes what was set to the file.
  void Sync();

 private:
  std::unique_ptr<QSettings> settings_;
};

// Which dialog a file dialog is, by its filter: the open dialog offers
// both kinds of source, the others one kind each; none for a dialog that
// keeps no folder (a picture of the diagram).
[[nodiscard]] std::optional<TFolderKind> FolderKindOf(const QString& filter);
// Where a dialog starts when it was last left in `remembered`: the file a
// dialog proposes keeps its name but moves there, unless it is a file that
// exists already (saving a file under another name starts beside it).
[[nodiscard]] QString DialogStart(const QString& proposed, const QString& remembered);
// Makes the file dialogs start in the folder each was last left in, and
// remember the folder of every file chosen, except where a save dialog of
// a source or a list chose it: the window that writes such a file sets its
// folder (SetLastFolder) once it has been written.
void RememberFolders(TUserDialogs& dialogs, const std::shared_ptr<TAppSettings>& settings);

// The layout as it is now, and back again. Read back, a layout that would
// put a window off the screen is corrected: every window lands on it.
[[nodiscard]] TWindowLayout CaptureLayout(const QWidget& strip, const TFormEditor& container);
void ApplyLayout(const TWindowLayout& layout, QWidget& strip, TFormEditor& container);
// Every window the container shows or floats, and the container itself,
// moved onto the screen where some part of it is not.
void KeepWindowsOnScreen(TFormEditor& container);

}  // namespace dorum::gui
