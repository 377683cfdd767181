#pragma once

#include <QDockWidget>
#include <QIcon>
#include <QPointer>
#include <QToolButton>
#include <functional>

class QLabel;
class QMainWindow;

namespace dorum::gui {

// Moves (and, when it is larger, shrinks) a top-level window so that the
// whole of it lies in the available area of the screen it is on.
void KeepOnScreen(QWidget& window);

// The frame of a window that can float on its own or sit as a tab of the
// editor container: its title follows the window's caption, and its close
// box either hides it (the permanent windows, brought back by their view
// commands) or asks the window whether it may go and then destroys it (the
// source editors).
class TDockedWindow final : public QDockWidget {
  Q_OBJECT

 public:
  // A window that may refuse to close (a modified source asks first).
  using TCloseQuery = std::function<bool()>;

  explicit TDockedWindow(QWidget* content, QWidget* parent = nullptr);
  ~TDockedWindow() override;

  [[nodiscard]] QWidget* Content() const noexcept { return content_; }
  // Source editors are destroyed when closed; the close query may refuse.
  void SetDisposable(TCloseQuery closeQuery);
  [[nodiscard]] bool Disposable() const noexcept { return static_cast<bool>(closeQuery_); }
  // Asks the window whether it may close (always yes for permanent ones).
  [[nodiscard]] bool MayClose() const { return !closeQuery_ || closeQuery_(); }
  // Out of the container: floating alone, or in a floating group of tabs
  // that was dragged out by its title bar.
  [[nodiscard]] bool Detached() const;

  // The caption in full: the path of the file behind a document, else the
  // window's own caption. The frame's title bar shows it.
  [[nodiscard]] QString FullCaption() const;
  // The file behind a document; empty for none.
  void SetFilePath(const QString& path);
  [[nodiscard]] QString FilePath() const { return filePath_; }
  // A document's tab is named by its file name, numbered from 2 when other
  // documents bear the same name; other windows' tabs by their caption.
  [[nodiscard]] QString TabBaseName() const;
  void SetTabNumber(int number);
  [[nodiscard]] int TabNumber() const noexcept { return tabNumber_; }
  // The name the number was given for.
  [[nodiscard]] QString NumberedBase() const { return numberedBase_; }
  void SetTabIcon(const QIcon& icon) { tabIcon_ = icon; }
  [[nodiscard]] QIcon TabIcon() const { return tabIcon_; }

 Q_SIGNALS:
  // The user asked a floating window to go back into the container.
  void DockRequested(dorum::gui::TDockedWindow* window);
  // A disposable window agreed to close and is about to be destroyed.
  void Disposing(dorum::gui::TDockedWindow* window);
  // The frame is being destroyed (still whole when this is emitted).
  void Leaving(dorum::gui::TDockedWindow* window);
  // The caption, the file or the place of the window has changed.
  void CaptionChanged(dorum::gui::TDockedWindow* window);
  void PlaceChanged(dorum::gui::TDockedWindow* window);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildTitleBar();
  void ShowFrameMenu(const QPoint& globalAt);
  void ShowDockState();
  void ShowCaption();
  // A drag of the title bar takes this window alone out of its group of
  // tabs: the host lets go of grouped dragging until the drag is over.
  void BeginTitleDrag();
  void EndTitleDrag();

  QWidget* content_;
  QLabel* caption_ = nullptr;
  QToolButton* dockButton_ = nullptr;
  QString filePath_;
  int tabNumber_ = 1;
  QString numberedBase_;
  QIcon tabIcon_;
  QPointer<QMainWindow> groupedHost_;
  bool draggedFromDock_ = false;
  TCloseQuery closeQuery_;
};

}  // namespace dorum::gui
