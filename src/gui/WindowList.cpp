#include "WindowList.h"

#include <QDialogButtonBox>
#include <QDockWidget>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "DockedWindow.h"

namespace dorum::gui {

namespace {

// Each entry carries the window's name beside its caption.
constexpr int kNameRole = Qt::UserRole + 1;

// A frame's own title is its tab's label ("Noname.prg (2)"); the list shows
// the caption of the window inside it.
QString CaptionOf(const QWidget& window) {
  const auto* frame = qobject_cast<const TDockedWindow*>(&window);
  return frame != nullptr ? frame->FullCaption() : window.windowTitle();
}

}  // namespace

QString UniqueWindowName(const QString& designed, const std::vector<QWidget*>& existing) {
  const auto taken = [&](const QString& name) {
    return std::any_of(existing.begin(), existing.end(),
                       [&](const QWidget* w) { return w != nullptr && w->objectName() == name; });
  };
  if (!taken(designed)) return designed;
  for (int k = 1;; ++k) {
    const QString name = designed + QStringLiteral("_%1").arg(k);
    if (!taken(name)) return name;
  }
}

TFormWindowList::TFormWindowList(const std::vector<QWidget*>& windows, QWidget* parent)
    : QDialog(parent), windows_(windows) {
  setObjectName(QStringLiteral("FormWindowList"));
  setWindowTitle(QStringLiteral("Lista okien"));
  setAccessibleName(windowTitle());
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("ListBox"));
  list_->setAccessibleName(QStringLiteral("Okna"));
  list_->setUniformItemSizes(true);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TFormWindowList::ActivateSelected);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &TFormWindowList::ActivateSelected);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  setFixedSize(337, 319);

  // The floating, visible windows with a caption, sorted by caption and
  // then by name.
  struct TEntry {
    QString Caption;
    QString Name;
  };
  std::vector<TEntry> entries;
  for (QWidget* w : windows_) {
    if (w == nullptr || w == this || !w->isWindow() || !w->isVisible() ||
        w->windowTitle().isEmpty())
      continue;
    entries.push_back({CaptionOf(*w), w->objectName()});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    return a.Caption != b.Caption ? a.Caption < b.Caption : a.Name < b.Name;
  });
  for (const TEntry& entry : entries) {
    auto* item = new QListWidgetItem(entry.Caption, list_);
    item->setData(kNameRole, entry.Name);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
}

QStringList TFormWindowList::Captions() const {
  QStringList captions;
  for (int k = 0; k < list_->count(); ++k) captions.append(list_->item(k)->text());
  return captions;
}

void TFormWindowList::ActivateSelected() {
  const QListWidgetItem* item = list_->currentItem();
  const QString name = item != nullptr ? item->data(kNameRole).toString() : QString();
  accept();
  if (name.isEmpty()) return;
  for (QWidget* w : windows_) {
    if (w == nullptr || w->objectName() != name) continue;
    if (w->isMinimized()) w->showNormal();
    w->raise();
    w->activateWindow();
    // The keys go to what the frame holds (an editor's text), not to the
    // frame around it.
    auto* frame = qobject_cast<QDockWidget*>(w);
    QWidget* content = frame != nullptr && frame->widget() != nullptr ? frame->widget() : w;
    content->setFocus();
    return;
  }
}

}  // namespace dorum::gui
