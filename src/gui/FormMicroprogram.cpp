#include "FormMicroprogram.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "AppCore.h"
#include "CoreText.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/ListFile.h"

namespace dorum::gui {

namespace {

const QColor kMarkBackground(0, 0, 255);
const QColor kBreakpointBackground(255, 0, 0);
const QColor kSelectedBreakpointBackground(128, 0, 0);

// Rows of fixed height, the text 2 pixels from the left edge, in the colours
// the window chooses for each row (none: the list's own).
class TRowDelegate final : public QStyledItemDelegate {
 public:
  using TColours = std::function<std::optional<QColor>(int row, bool selected)>;
  TRowDelegate(TColours background, QObject* parent)
      : QStyledItemDelegate(parent), background_(std::move(background)) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const std::optional<QColor> special = background_(index.row(), selected);
    const QPalette& palette = option.palette;
    painter->fillRect(
        option.rect,
        special ? *special : (selected ? palette.highlight().color() : palette.base().color()));
    painter->setPen(special ? QColor(Qt::white)
                            : palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data().toString());
  }
  [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                               const QModelIndex& index) const override {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width(), std::max(TFormMicroprogram::kRowHeight, option.fontMetrics.height())};
  }

 private:
  TColours background_;
};

QAction* AddCommand(QMenu* menu, QWidget* owner, const QString& caption, const QKeySequence& key) {
  QAction* action = menu->addAction(caption);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WidgetShortcut);
  owner->addAction(action);
  return action;
}

}  // namespace

TFormMicroprogram::TFormMicroprogram(TAppCore& core, QWidget* parent)
    : QWidget(parent), core_(core) {
  setObjectName(QStringLiteral("FormMicroprogram"));
  setWindowTitle(QStringLiteral("Lista rozkazów"));
  setAccessibleName(windowTitle());
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("Splitter1"));
  commands_ = new QListWidget(splitter_);
  commands_->setObjectName(QStringLiteral("ListBoxCommands"));
  commands_->setAccessibleName(QStringLiteral("Rozkazy"));
  commands_->setUniformItemSizes(true);
  text_ = new QListWidget(splitter_);
  text_->setObjectName(QStringLiteral("ListBoxText"));
  text_->setAccessibleName(QStringLiteral("Treść rozkazu"));
  text_->setUniformItemSizes(true);
  splitter_->addWidget(commands_);
  splitter_->addWidget(text_);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({121, 400});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);

  commands_->setItemDelegate(new TRowDelegate(
      [this](int row, bool) -> std::optional<QColor> {
        if (row == markedInstruction_) return kMarkBackground;
        return std::nullopt;
      },
      commands_));
  text_->setItemDelegate(new TRowDelegate(
      [this](int row, bool selected) -> std::optional<QColor> {
        // The current cycle's line is marked only in its own instruction.
        if (row == markedLine_ && shownIndex_ == markedInstruction_) return kMarkBackground;
        const TInstruction* instruction = core_.Control().Instructions().Find(shownIndex_);
        if (instruction == nullptr || shownIndex_ != commands_->currentRow()) return std::nullopt;
        for (const TMicroCode& cycle : instruction->Cycles()) {
          if (cycle.SourceLine != row) continue;
          if (!cycle.Breakpoint) break;
          return selected ? kSelectedBreakpointBackground : kBreakpointBackground;
        }
        return std::nullopt;
      },
      text_));

  commandMenu_ = new QMenu(this);
  commandMenu_->setObjectName(QStringLiteral("PopupMenu"));
  delete_ = AddCommand(commandMenu_, commands_, QStringLiteral("Usuń rozkaz"),
                       QKeySequence(Qt::Key_Delete));
  refresh_ = AddCommand(commandMenu_, commands_, QStringLiteral("Odśwież"),
                        QKeySequence(Qt::CTRL | Qt::Key_R));
  cycleMenu_ = new QMenu(this);
  cycleMenu_->setObjectName(QStringLiteral("PopupMenuCycle"));
  breakpoint_ = AddCommand(cycleMenu_, text_, QStringLiteral("Punkt zatrzymania"),
                           QKeySequence(Qt::CTRL | Qt::Key_F8));
  copy_ = AddCommand(cycleMenu_, text_, QStringLiteral("Kopiuj tekst"),
                     QKeySequence(Qt::CTRL | Qt::Key_Insert));
  connect(delete_, &QAction::triggered, this,
          [this] { core_.Errors().Run(this, [this] { DeleteSelected(); }); });
  connect(refresh_, &QAction::triggered, this, &TFormMicroprogram::RefreshNames);
  connect(breakpoint_, &QAction::triggered, this,
          [this] { core_.Errors().Run(this, [this] { ToggleBreakpoint(); }); });
  connect(copy_, &QAction::triggered, this, &TFormMicroprogram::CopyText);
  commands_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(commands_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { commandMenu_->exec(commands_->mapToGlobal(at)); });
  text_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(text_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdateCycleMenu();
    cycleMenu_->exec(text_->mapToGlobal(at));
  });
  // The shortcut follows the same rule as the menu.
  connect(text_, &QListWidget::currentRowChanged, this, &TFormMicroprogram::UpdateCycleMenu);
  connect(commands_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowText(commands_->row(item)); });
  connect(commands_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowText(row);
  });
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormMicroprogram::OnRefresh);
  connect(&core_, &TAppCore::InstructionsChanged, this, &TFormMicroprogram::RefreshNames);

  ShowInstruction(-1);
  RefreshNames();
}

void TFormMicroprogram::RefreshNames() {
  const QSignalBlocker block(commands_);
  const int row = commands_->currentItem() != nullptr && commands_->currentItem()->isSelected()
                      ? commands_->currentRow()
                      : -1;
  commands_->clear();
  const TInstructionList& list = core_.Control().Instructions();
  for (int code = 0; code < list.Count(); ++code) commands_->addItem(Q(list.At(code).Name()));
  if (row >= 0 && row < commands_->count()) commands_->setCurrentRow(row);
  if (shownIndex_ >= 0) ShowText(shownIndex_);
}

void TFormMicroprogram::ShowText(int index) {
  const QSignalBlocker block(text_);
  text_->clear();
  cycleLines_.reset();
  shownIndex_ = index;
  const TInstruction* instruction = core_.Control().Instructions().Find(index);
  if (instruction == nullptr) return;
  text_->addItems(Q(instruction->Source()));
  for (const TMicroCode& cycle : instruction->Cycles()) {
    if (cycle.SourceLine >= 0 && cycle.SourceLine < 256)
      cycleLines_.set(static_cast<std::size_t>(cycle.SourceLine));
  }
  UpdateCycleMenu();
}

bool TFormMicroprogram::IsCycleLine(int line) const {
  return line >= 0 && line < 256 && cycleLines_.test(static_cast<std::size_t>(line));
}

void TFormMicroprogram::ShowInstruction(int code) {
  markedInstruction_ = code;
  markedLine_ = -1;
  const QSignalBlocker block(commands_);
  if (code >= 0 && code < commands_->count()) {
    commands_->setCurrentRow(code);
  } else {
    commands_->setCurrentRow(-1);
  }
  if (commands_->currentRow() >= 0) ShowText(commands_->currentRow());
  commands_->viewport()->update();
}

void TFormMicroprogram::ShowCycleLine(int line) {
  markedLine_ = line;
  const QSignalBlocker block(text_);
  text_->setCurrentRow(line >= 0 && line < text_->count() ? line : -1);
  if (line >= 0 && line < text_->count()) text_->scrollToItem(text_->item(line));
  text_->viewport()->update();
}

void TFormMicroprogram::FollowControl() {
  // The instruction performed last and the line of its cycle.
  const int code = core_.Control().ShownInstruction();
  const int line = core_.Control().ShownCycleLine();
  if (code != markedInstruction_ || shownIndex_ != commands_->currentRow()) ShowInstruction(code);
  if (line != markedLine_) ShowCycleLine(line);
}

void TFormMicroprogram::OnRefresh() {
  if (isVisible()) FollowControl();
}

void TFormMicroprogram::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FollowControl();
}

void TFormMicroprogram::DeleteSelected() {
  if (commands_->count() == 0) return;
  const int row = commands_->currentRow();
  // With no row selected the list's own index error says so.
  const QString name = Q(core_.Control().Instructions().At(row).Name());
  const QMessageBox::StandardButton answer = core_.Dialogs().Ask(
      this, Q(Texts::DeleteInstructionQuestion(U8(name))), QMessageBox::Yes | QMessageBox::No);
  // Only a clear yes deletes: a box closed any other way keeps the instruction.
  if (answer != QMessageBox::Yes) return;
  // A run may be performing the instruction: it ends first.
  core_.Perform(TCommand::DeleteInstruction,
                [this, row] { core_.Session().DeleteInstruction(row); });
  {
    // Nothing is selected after a deletion, so that no command acts on the
    // instruction that took the deleted one's code by mistake.
    const QSignalBlocker block(commands_);
    delete commands_->takeItem(row);
    commands_->setCurrentRow(-1);
  }
  // The text of a deleted instruction goes too, so that no command acts on
  // the instruction that took its code.
  if (shownIndex_ == row) {
    const QSignalBlocker block(text_);
    text_->clear();
    cycleLines_.reset();
    shownIndex_ = -1;
  } else if (shownIndex_ > row) {
    --shownIndex_;
  }
  core_.NotifyInstructionsChanged();
}

void TFormMicroprogram::UpdateCycleMenu() {
  breakpoint_->setEnabled(IsCycleLine(text_->currentRow()));
}

void TFormMicroprogram::ToggleBreakpoint() {
  if (text_->count() == 0) return;
  const int line = text_->currentRow();
  if (!IsCycleLine(line)) return;
  (void)core_.Session().ToggleBreakpointAtLine(commands_->currentRow(), line);
  ShowText(commands_->currentRow());
  const QSignalBlocker block(text_);
  text_->setCurrentRow(line);
  UpdateCycleMenu();
}

void TFormMicroprogram::CopyText() {
  QString text;
  for (int row = 0; row < text_->count(); ++row)
    text += text_->item(row)->text() + QStringLiteral("\r\n");
  QApplication::clipboard()->setText(text);
}

void TFormMicroprogram::LoadInstructionList(const QString& fileName) {
  // A file that cannot be read changes nothing (the list files' reader
  // would take a missing file for an empty list).
  const std::string path = U8(fileName);
  RequireReadableFile(path);
  // Whatever the load got through, the window shows it.
  struct TFollow {
    TFormMicroprogram& Window;
    ~TFollow() {
      Window.RefreshNames();
      Window.core_.NotifyInstructionsChanged();
    }
  } follow{*this};
  core_.Session().LoadList(path);
}

void TFormMicroprogram::SaveInstructionList(const QString& fileName) {
  core_.Session().SaveList(U8(fileName));
}

}  // namespace dorum::gui
