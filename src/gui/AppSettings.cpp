#include "AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <array>
#include <utility>

#include "DockedWindow.h"
#include "FormEditor.h"
#include "UserInterface.h"

namespace dorum::gui {

namespace {

// The settings file: ~/.config/maszyna-dorum/maszyna-dorum.ini on Linux.
const QString kOrganisation = QStringLiteral("maszyna-dorum");
const QString kApplication = QStringLiteral("maszyna-dorum");

// `WrittenBySaver`: what a save dialog of the kind chose is remembered by
// the window that writes it, once written, so that a save that failed
// leaves the folder where the last one succeeded.
struct TFolderKey {
  TFolderKind Kind;
  const char* Key;
  bool WrittenBySaver;
};
constexpr std::array<TFolderKey, 5> kFolderKeys = {{
    {TFolderKind::Open, "Folders/Open", false},
    {TFolderKind::Program, "Folders/Program", true},
    {TFolderKind::Instruction, "Folders/Instruction", true},
    {TFolderKind::List, "Folders/List", true},
    {TFolderKind::Dump, "Folders/Dump", false},
}};

const TFolderKey* KeyOf(TFolderKind kind) {
  for (const TFolderKey& key : kFolderKeys) {
    if (key.Kind == kind) return &key;
  }
  return nullptr;
}

QString FolderKey(TFolderKind kind) {
  const TFolderKey* key = KeyOf(kind);
  return key != nullptr ? QString::fromLatin1(key->Key) : QString();
}

}  // namespace

// ---- recent files ----

void TRecentFiles::Add(const QString& file) {
  if (file.isEmpty()) return;
  files_.removeAll(file);
  files_.prepend(file);
  while (files_.size() > kLimit) files_.removeLast();
}

void TRecentFiles::Remove(const QString& file) {
  files_.removeAll(file);
}

void TRecentFiles::Assign(const QStringList& files) {
  files_.clear();
  for (const QString& file : files) {
    if (!file.isEmpty() && !files_.contains(file) && files_.size() < kLimit) files_.append(file);
  }
}

// ---- the settings file ----

TAppSettings::TAppSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            kOrganisation, kApplication)) {}

TAppSettings::TAppSettings(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

TAppSettings::~TAppSettings() = default;

QString TAppSettings::FileName() const {
  return settings_->fileName();
}

std::optional<TWindowLayout> TAppSettings::Layout() const {
  if (!settings_->contains(QStringLiteral("Layout/ContainerState"))) return std::nullopt;
  return TWindowLayout{settings_->value(QStringLiteral("Layout/MainRect")).toRect(),
                       settings_->value(QStringLiteral("Layout/ContainerGeometry")).toByteArray(),
                       settings_->value(QStringLiteral("Layout/ContainerState")).toByteArray()};
}

void TAppSettings::SetLayout(const TWindowLayout& layout) {
  settings_->setValue(QStringLiteral("Layout/MainRect"), layout.MainRect);
  settings_->setValue(QStringLiteral("Layout/ContainerGeometry"), layout.ContainerGeometry);
  settings_->setValue(QStringLiteral("Layout/ContainerState"), layout.ContainerState);
}

std::optional<TRunPace> TAppSettings::Pace() const {
  bool level = false;
  bool tempo = false;
  const TRunPace pace{settings_->value(QStringLiteral("Run/TrackingLevel")).toInt(&level),
                      settings_->value(QStringLiteral("Run/Tempo")).toInt(&tempo)};
  if (!level || !tempo) return std::nullopt;
  return pace;
}

void TAppSettings::SetPace(const TRunPace& pace) {
  settings_->setValue(QStringLiteral("Run/TrackingLevel"), pace.TrackingLevel);
  settings_->setValue(QStringLiteral("Run/Tempo"), pace.Tempo);
}

QStringList TAppSettings::RecentFiles() const {
  return settings_->value(QStringLiteral("RecentFiles")).toStringList();
}

void TAppSettings::SetRecentFiles(const QStringList& files) {
  settings_->setValue(QStringLiteral("RecentFiles"), files);
}

QString TAppSettings::LastFolder(TFolderKind kind) const {
  return settings_->value(FolderKey(kind)).toString();
}

void TAppSettings::SetLastFolder(TFolderKind kind, const QString& folder) {
  settings_->setValue(FolderKey(kind), folder);
}

void TAppSettings::Sync() {
  settings_->sync();
}

// ---- the folders of the file dialogs ----

std::optional<TFolderKind> FolderKindOf(const QString& filter) {
  const bool instructions = filter.contains(QStringLiteral("*.rzk"));
  const bool programs = filter.contains(QStringLiteral("*.prg"));
  if (instructions && programs) return TFolderKind::Open;
  if (filter.contains(QStringLiteral("*.lst"))) return TFolderKind::List;
  if (programs) return TFolderKind::Program;
  if (instructions) return TFolderKind::Instruction;
  if (filter.contains(QStringLiteral("*.vcd"))) return TFolderKind::Dump;
  return std::nullopt;  // pictures of the diagram and the like
}

QString DialogStart(const QString& proposed, const QString& remembered) {
  if (remembered.isEmpty() || !QFileInfo(remembered).isDir()) return proposed;
  const QFileInfo start(proposed);
  if (proposed.isEmpty() || start.isDir()) return remembered;
  if (start.isFile()) return proposed;
  return QDir(remembered).filePath(start.fileName());
}

void RememberFolders(TUserDialogs& dialogs, const std::shared_ptr<TAppSettings>& settings) {
  using TFileDialog = decltype(TUserDialogs::OpenFileName);
  const auto remembering = [settings](TFileDialog ask, bool saving) -> TFileDialog {
    return [settings, saving, ask = std::move(ask)](
               QWidget* parent, const QString& title, const QString& folderOrFile,
               const QString& filter) -> std::optional<QString> {
      const std::optional<TFolderKind> kind = FolderKindOf(filter);
      if (!kind) return ask(parent, title, folderOrFile, filter);
      const std::optional<QString> chosen =
          ask(parent, title, DialogStart(folderOrFile, settings->LastFolder(*kind)), filter);
      if (chosen && !(saving && KeyOf(*kind)->WrittenBySaver))
        settings->SetLastFolder(*kind, QFileInfo(*chosen).absolutePath());
      return chosen;
    };
  };
  dialogs.OpenFileName = remembering(dialogs.OpenFileName, false);
  dialogs.SaveFileName = remembering(dialogs.SaveFileName, true);
}

// ---- the window layout ----

TWindowLayout CaptureLayout(const QWidget& strip, const TFormEditor& container) {
  return {strip.geometry(), container.saveGeometry(), container.saveState()};
}

void ApplyLayout(const TWindowLayout& layout, QWidget& strip, TFormEditor& container) {
  // The strip's own title bar may lie above the screen, as it does at
  // start-up; its menu bar must not.
  const QRect area = strip.screen()->availableGeometry();
  if (layout.MainRect.isValid() && area.contains(layout.MainRect))
    strip.setGeometry(layout.MainRect);
  if (!layout.ContainerGeometry.isEmpty()) container.restoreGeometry(layout.ContainerGeometry);
  if (!layout.ContainerState.isEmpty()) container.RestoreLayout(layout.ContainerState);
  KeepWindowsOnScreen(container);
}

void KeepWindowsOnScreen(TFormEditor& container) {
  if (container.isWindow()) KeepOnScreen(container);
  // Floating windows, and floating groups of tabs, are windows of their
  // own among the container's children.
  for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() && !child->isHidden()) KeepOnScreen(*child);
  }
}

}  // namespace dorum::gui
