#include "FindDialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dorum::gui {

namespace {

QLineEdit* NewTextEdit(QWidget* parent, const QString& name) {
  auto* edit = new QLineEdit(parent);
  edit->setAccessibleName(name);
  edit->setMinimumWidth(220);
  return edit;
}

QCheckBox* NewCheckBox(QWidget* parent, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setAccessibleName(box->text().remove(u'&'));
  return box;
}

QPushButton* NewButton(QWidget* parent, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setAccessibleName(button->text().remove(u'&'));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindDialog"));
  setWindowTitle(QStringLiteral("Znajdź"));
  setModal(false);
  TextEdit = NewTextEdit(this, QStringLiteral("Znajdź"));
  MatchCase = NewCheckBox(this, QStringLiteral("&Uwzględniaj wielkość liter"));
  WholeWord = NewCheckBox(this, QStringLiteral("&Tylko całe wyrazy"));
  auto* direction = new QGroupBox(QStringLiteral("Kierunek"), this);
  direction->setAccessibleName(QStringLiteral("Kierunek"));
  Up = new QRadioButton(QStringLiteral("W &górę"), direction);
  Up->setAccessibleName(QStringLiteral("W górę"));
  Down = new QRadioButton(QStringLiteral("W &dół"), direction);
  Down->setAccessibleName(QStringLiteral("W dół"));
  Down->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(Up);
  directionLayout->addWidget(Down);
  FindNextButton = NewButton(this, QStringLiteral("&Znajdź następny"));
  FindNextButton->setDefault(true);
  auto* cancel = NewButton(this, QStringLiteral("Anuluj"));

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Znajdź:"), TextEdit);
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addWidget(MatchCase);
  left->addWidget(WholeWord);
  left->addWidget(direction);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(FindNextButton);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addLayout(buttons);

  connect(FindNextButton, &QPushButton::clicked, this, &TFindDialog::FindNext);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

QString TFindDialog::Text() const {
  return TextEdit->text();
}

void TFindDialog::SetText(const QString& text) {
  TextEdit->setText(text);
  TextEdit->selectAll();
}

TSearchOptions TFindDialog::Options() const {
  return {MatchCase->isChecked(), WholeWord->isChecked(), !Down->isChecked()};
}

TReplaceDialog::TReplaceDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ReplaceDialog"));
  setWindowTitle(QStringLiteral("Zamień"));
  setModal(false);
  TextEdit = NewTextEdit(this, QStringLiteral("Znajdź"));
  ReplacementEdit = NewTextEdit(this, QStringLiteral("Zamień na"));
  MatchCase = NewCheckBox(this, QStringLiteral("&Uwzględniaj wielkość liter"));
  WholeWord = NewCheckBox(this, QStringLiteral("&Tylko całe wyrazy"));
  FindNextButton = NewButton(this, QStringLiteral("&Znajdź następny"));
  FindNextButton->setDefault(true);
  ReplaceButton = NewButton(this, QStringLiteral("Za&mień"));
  ReplaceAllButton = NewButton(this, QStringLiteral("Zamień &wszystko"));
  auto* cancel = NewButton(this, QStringLiteral("Anuluj"));

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Znajdź:"), TextEdit);
  fields->addRow(QStringLiteral("Zamień na:"), ReplacementEdit);
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addWidget(MatchCase);
  left->addWidget(WholeWord);
  left->addStretch();
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(FindNextButton);
  buttons->addWidget(ReplaceButton);
  buttons->addWidget(ReplaceAllButton);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addLayout(buttons);

  connect(FindNextButton, &QPushButton::clicked, this, &TReplaceDialog::FindNext);
  connect(ReplaceButton, &QPushButton::clicked, this, &TReplaceDialog::Replace);
  connect(ReplaceAllButton, &QPushButton::clicked, this, &TReplaceDialog::ReplaceAll);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

QString TReplaceDialog::Text() const {
  return TextEdit->text();
}

void TReplaceDialog::SetText(const QString& text) {
  TextEdit->setText(text);
  TextEdit->selectAll();
}

QString TReplaceDialog::Replacement() const {
  return ReplacementEdit->text();
}

TSearchOptions TReplaceDialog::Options() const {
  return {MatchCase->isChecked(), WholeWord->isChecked(), false};
}

}  // namespace dorum::gui
