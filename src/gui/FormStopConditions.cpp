#include "FormStopConditions.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "CoreText.h"
#include "common/Texts.h"

namespace dorum::gui {

bool PerformRenaming(TAppCore& core, QWidget* parent, TCommand command,
                     std::function<void()> action) {
  QPointer<QWidget> owner(parent);
  return core.Perform(command, [&core, owner, action = std::move(action)] {
    const std::string lost = core.App().Renamed(action);
    if (!lost.empty()) core.Dialogs().ShowInformation(owner, Q(lost));
  });
}

TFormStopConditions::TFormStopConditions(TAppCore& core, QWidget* parent)
    : QDialog(parent), core_(core) {
  // The application edits a copy, looked up again against the machine and
  // labels now.
  (void)core_.App().EditStopConditions();
  setObjectName(QStringLiteral("FormStopConditions"));
  setWindowTitle(QStringLiteral("Warunki zatrzymania"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("ConditionList"));
  list_->setAccessibleName(QStringLiteral("Warunki zatrzymania"));
  layout->addWidget(list_);
  layout->addWidget(BuildEditRow());
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setWordWrap(true);
  layout->addWidget(message_);
  auto* note = new QLabel(Q(Texts::StopConditionNote), this);
  note->setObjectName(QStringLiteral("Note"));
  note->setWordWrap(true);
  layout->addWidget(note);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  ok->setObjectName(QStringLiteral("ButtonOK"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  for (QPushButton* button : {ok, cancel}) button->setAutoDefault(false);
  // Enter adds what is typed, and with nothing typed it is "OK".
  const auto typing = [this, ok](const QString& text) {
    const bool typed = !text.trimmed().isEmpty();
    add_->setEnabled(typed);
    add_->setDefault(typed);
    ok->setDefault(!typed);
  };
  connect(edit_, &QLineEdit::textChanged, this, typing);
  typing(edit_->text());
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormStopConditions::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormStopConditions::reject);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::itemChanged, this, &TFormStopConditions::ItemChanged);
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { remove_->setEnabled(row >= 0); });
  Fill(Conditions().Count() > 0 ? 0 : -1);
  resize(520, 380);
  edit_->setFocus();
}

QWidget* TFormStopConditions::BuildEditRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  edit_ = new QLineEdit(row);
  edit_->setObjectName(QStringLiteral("ConditionEdit"));
  edit_->setAccessibleName(QStringLiteral("Nowy warunek"));
  edit_->setPlaceholderText(QStringLiteral("np. changed(wynik), AK<0, signal(weak)"));
  add_ = new QPushButton(QStringLiteral("&Dodaj"), row);
  add_->setObjectName(QStringLiteral("AddButton"));
  add_->setAutoDefault(false);
  remove_ = new QPushButton(QStringLiteral("&Usuń"), row);
  remove_->setObjectName(QStringLiteral("RemoveButton"));
  remove_->setAutoDefault(false);
  clear_ = new QPushButton(QStringLiteral("Usuń &wszystkie"), row);
  clear_->setObjectName(QStringLiteral("ClearButton"));
  clear_->setAutoDefault(false);
  layout->addWidget(edit_, 1);
  for (QPushButton* button : {add_, remove_, clear_}) layout->addWidget(button);
  connect(add_, &QPushButton::clicked, this, [this] { (void)AddTyped(); });
  connect(remove_, &QPushButton::clicked, this, &TFormStopConditions::RemoveSelected);
  connect(clear_, &QPushButton::clicked, this, &TFormStopConditions::RemoveAll);
  return row;
}

const TStopConditions& TFormStopConditions::Conditions() const noexcept {
  return core_.App().StopConditionsDraft();
}

void TFormStopConditions::Fill(int selected) {
  filling_ = true;
  list_->clear();
  for (const TStopConditionRow& row : core_.App().StopConditionRows()) {
    auto* item = new QListWidgetItem(Q(row.Text), list_);
    item->setCheckState(row.Checked ? Qt::Checked : Qt::Unchecked);
    if (!row.Checkable) {
      // Its names resolve no more: it cannot be checked until they do.
      item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
      item->setForeground(list_->palette().brush(QPalette::Disabled, QPalette::Text));
      item->setToolTip(Q(row.Problem));
    }
  }
  list_->setCurrentRow(selected);
  remove_->setEnabled(list_->currentRow() >= 0);
  clear_->setEnabled(list_->count() > 0);
  filling_ = false;
}

bool TFormStopConditions::AddTyped() {
  const TStopConditionAdded added = core_.App().AddStopCondition(U8(edit_->text()));
  // A malformed one stays for mending; one the list had already is not
  // added twice, and the user hears why the list did not grow.
  ShowMessage(Q(added.Message), !added.Ok);
  if (!added.Ok) {
    edit_->setFocus();
    return false;
  }
  edit_->clear();
  Fill(added.Index);
  return true;
}

void TFormStopConditions::ShowMessage(const QString& text, bool fault) {
  message_->setText(text);
  message_->setStyleSheet(fault ? QStringLiteral("color: #b00000") : QString());
}

void TFormStopConditions::RemoveSelected() {
  const int row = list_->currentRow();
  if (row < 0 || row >= list_->count()) return;
  core_.App().RemoveStopCondition(row);
  Fill(std::min(row, Conditions().Count() - 1));
}

void TFormStopConditions::RemoveAll() {
  core_.App().ClearStopConditions();
  Fill(-1);
}

void TFormStopConditions::ItemChanged(QListWidgetItem* item) {
  if (filling_) return;
  const int row = list_->row(item);
  if (row < 0) return;
  core_.App().SetStopConditionChecked(row, item->checkState() == Qt::Checked);
}

void TFormStopConditions::accept() {
  // A condition typed but not yet added is not lost; a malformed one keeps
  // the dialog open with its message.
  if (!edit_->text().trimmed().isEmpty() && !AddTyped()) return;
  core_.App().CommitStopConditions();
  QDialog::accept();
}

}  // namespace dorum::gui
