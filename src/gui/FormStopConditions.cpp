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
    const std::vector<bool> before = core.Session().StopConditions().ActiveNow();
    // The session looks the names up again after whatever renames.
    action();
    const std::string lost = core.Session().StopConditions().LostSince(before);
    if (!lost.empty()) core.Dialogs().ShowInformation(owner, Q(lost));
  });
}

TFormStopConditions::TFormStopConditions(TAppCore& core, QWidget* parent)
    : QDialog(parent), core_(core), conditions_(core.Session().StopConditions()) {
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
  // Whatever changed the labels or the machine since, the list shows what
  // the names refer to now.
  conditions_.Recompile(core_.Machine(), &core_.Watches());
  Fill(conditions_.Count() > 0 ? 0 : -1);
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

void TFormStopConditions::Fill(int selected) {
  filling_ = true;
  list_->clear();
  for (int i = 0; i < conditions_.Count(); ++i) {
    const TStopCondition& condition = conditions_.At(i);
    const QString text = Q(condition.Text);
    auto* item = new QListWidgetItem(text, list_);
    item->setCheckState(condition.Active() ? Qt::Checked : Qt::Unchecked);
    if (!condition.Problem.empty()) {
      // Its names resolve no more: it cannot be checked until they do.
      const QString problem = Q(condition.Problem);
      item->setText(Q(Texts::InactiveStopCondition(condition.Text, condition.Problem)));
      item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
      item->setForeground(list_->palette().brush(QPalette::Disabled, QPalette::Text));
      item->setToolTip(problem);
    }
  }
  list_->setCurrentRow(selected);
  remove_->setEnabled(list_->currentRow() >= 0);
  clear_->setEnabled(conditions_.Count() > 0);
  filling_ = false;
}

bool TFormStopConditions::AddTyped() {
  const QString text = edit_->text();
  const int present = conditions_.IndexOf(U8(text));
  const bool wasEnabled = present >= 0 && conditions_.At(present).Enabled;
  int added = -1;
  try {
    added = conditions_.AddOrEnable(U8(text), core_.Machine(), &core_.Watches());
  } catch (const EDorumError& e) {
    // The text stays for mending.
    ShowMessage(Q(e.Message()), true);
    edit_->setFocus();
    return false;
  }
  // One the list had already is not added twice; the user hears why the
  // list did not grow.
  ShowMessage(present < 0 ? QString()
                          : Q(Texts::StopConditionListed(conditions_.At(present).Text, wasEnabled)),
              false);
  edit_->clear();
  Fill(added);
  return true;
}

void TFormStopConditions::ShowMessage(const QString& text, bool fault) {
  message_->setText(text);
  message_->setStyleSheet(fault ? QStringLiteral("color: #b00000") : QString());
}

void TFormStopConditions::RemoveSelected() {
  const int row = list_->currentRow();
  if (row < 0 || row >= conditions_.Count()) return;
  conditions_.Remove(row);
  Fill(std::min(row, conditions_.Count() - 1));
}

void TFormStopConditions::RemoveAll() {
  conditions_.Clear();
  Fill(-1);
}

void TFormStopConditions::ItemChanged(QListWidgetItem* item) {
  if (filling_) return;
  const int row = list_->row(item);
  if (row < 0 || row >= conditions_.Count()) return;
  conditions_.SetEnabled(row, item->checkState() == Qt::Checked, core_.Machine());
}

void TFormStopConditions::accept() {
  // A condition typed but not yet added is not lost; a malformed one keeps
  // the dialog open with its message.
  if (!edit_->text().trimmed().isEmpty() && !AddTyped()) return;
  core_.Session().StopConditions() = conditions_;
  QDialog::accept();
}

}  // namespace dorum::gui
