#include "FormWatches.h"

#include <QAbstractListModel>
#include <QAction>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "AppCore.h"
#include "CoreText.h"

namespace dorum::gui {

namespace {

constexpr int kRowHeight = 16;
constexpr int kContentColumn = 120;  // where the word's content starts in a row
constexpr int kGap = 8;              // between a long name and the content after it

}  // namespace

// The watch list as rows; the content is read from memory when a row is drawn.
class TWatchModel final : public QAbstractListModel {
 public:
  explicit TWatchModel(TAppCore& core, QObject* parent) : QAbstractListModel(parent), core_(core) {}

  [[nodiscard]] int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : core_.Watches().Count();
  }
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= core_.Watches().Count()) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
      return Name(index.row()) + QStringLiteral("  ") + Content(index.row());
    return {};
  }
  [[nodiscard]] QString Name(int row) const { return Q(core_.Watches().NameText(row)); }
  [[nodiscard]] QString Content(int row) const {
    // A row beyond the memory says so without reading it.
    return Q(core_.Watches().ContentText(row, core_.Machine()));
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  TAppCore& core_;
};

namespace {

// Name and address at the row's start, the content in a column of its own.
class TWatchDelegate final : public QStyledItemDelegate {
 public:
  TWatchDelegate(const TWatchModel& model, QObject* parent)
      : QStyledItemDelegate(parent), model_(model) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                             : palette.color(QPalette::Text));
    const QRect row = option.rect;
    const QString name = model_.Name(index.row());
    // A long name runs on under the content column, address and all; the
    // content then follows it, so that neither covers the other.
    const int nameWidth = option.fontMetrics.horizontalAdvance(name);
    const int content = std::max(kContentColumn, 2 + nameWidth + kGap);
    painter->drawText(QRect(row.left() + 2, row.top(), nameWidth + 1, row.height()),
                      Qt::AlignLeft | Qt::AlignTop, name);
    painter->drawText(
        QRect(row.left() + content, row.top(), std::max(0, row.width() - content), row.height()),
        Qt::AlignLeft | Qt::AlignTop, model_.Content(index.row()));
  }
  [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return {kContentColumn + 200, kRowHeight};
  }

 private:
  const TWatchModel& model_;
};

}  // namespace

TFormWatches::TFormWatches(TAppCore& core, QWidget* parent) : QWidget(parent), core_(core) {
  setObjectName(QStringLiteral("FormWatches"));
  setWindowTitle(QStringLiteral("Zmienne"));
  setAccessibleName(windowTitle());
  resize(680, 444);
  model_ = new TWatchModel(core_, this);
  list_ = new QListView(this);
  list_->setObjectName(QStringLiteral("ListBox"));
  list_->setAccessibleName(QStringLiteral("Zmienne programu"));
  list_->setModel(model_);
  list_->setItemDelegate(new TWatchDelegate(*model_, list_));
  list_->setUniformItemSizes(true);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* refresh = new QAction(QStringLiteral("Odśwież"), list_);
  refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  refresh->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(refresh, &QAction::triggered, this, &TFormWatches::RefreshWatches);
  list_->addAction(refresh);
  stopOnChange_ = new QAction(QStringLiteral("Zatrzymaj przy zmianie"), list_);
  stopOnChange_->setObjectName(QStringLiteral("MenuItemStopOnChange"));
  stopOnChange_->setEnabled(false);
  connect(stopOnChange_, &QAction::triggered, this, &TFormWatches::StopOnChange);
  list_->addAction(stopOnChange_);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { stopOnChange_->setEnabled(current.isValid()); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);

  core_.Watches().OnChange = [this] {
    stopOnChange_->setEnabled(false);  // the list is rebuilt without a selection
    if (isVisible()) {
      model_->Reset();
    } else {
      stale_ = true;
    }
  };
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormWatches::OnRefresh);
}

TFormWatches::~TFormWatches() {
  core_.Watches().OnChange = nullptr;
}

QString TFormWatches::RowText(int row) const {
  return model_->Name(row) + QStringLiteral("  ") + model_->Content(row);
}

void TFormWatches::RefreshWatches() {
  list_->viewport()->update();
}

QString TFormWatches::ChangeCondition(const TWatch& watch, const TMachine& machine) {
  return Q(WatchChangeCondition(watch, machine));
}

void TFormWatches::StopOnChange() {
  const QModelIndex current = list_->currentIndex();
  if (!current.isValid() || current.row() >= core_.Watches().Count()) return;
  // Like an entered value it acts between two cycles, and a run goes on: it
  // is asked for to stop the run at the change, not now.
  core_.Errors().Run(this, [&] { (void)core_.Session().StopOnChange(current.row()); });
}

void TFormWatches::OnRefresh(const TMachineChanges& changes) {
  // Only memory changes what the rows show, and the names of the
  // instructions the words are shown with.
  const bool shown = changes.AnyCells() || changes.Words || changes.Configuration ||
                     changes.Reset || changes.Instructions;
  if (!isVisible()) {
    stale_ = stale_ || shown;
    return;
  }
  if (shown) RefreshWatches();
}

void TFormWatches::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) model_->Reset();
  stale_ = false;
  RefreshWatches();
}

}  // namespace dorum::gui
