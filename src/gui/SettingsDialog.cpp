#include "SettingsDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "AppCore.h"
#include "CoreText.h"
#include "common/Text.h"

namespace dorum::gui {

TUpDown::TUpDown(int minimum, int maximum, QLabel* label, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(minimum), label_(label) {
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {up_, down_}) {
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
  }
  up_->setAccessibleName(QStringLiteral("Więcej"));
  down_->setAccessibleName(QStringLiteral("Mniej"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  connect(up_, &QToolButton::clicked, this, [this] { SetPosition(position_ + 1); });
  connect(down_, &QToolButton::clicked, this, [this] { SetPosition(position_ - 1); });
  label_->setText(QString::number(position_));
}

bool TUpDown::SetPosition(int position) {
  if (position < minimum_ || position > maximum_) return false;
  position_ = position;
  label_->setText(QString::number(position));
  return true;
}

TFormSettings::TFormSettings(TAppCore& core, QWidget* parent) : QDialog(parent), core_(core) {
  setObjectName(QStringLiteral("FormSettings"));
  setWindowTitle(QStringLiteral("Opcje projektu"));
  setAccessibleName(windowTitle());
  tabs_ = new QTabWidget(this);
  tabs_->addTab(BuildArchitecture(), QStringLiteral("Architektura"));
  tabs_->addTab(BuildComponents(), QStringLiteral("Składniki"));
  tabs_->addTab(BuildAddresses(), QStringLiteral("Adresy"));
  tabs_->setCurrentIndex(0);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  ok->setObjectName(QStringLiteral("ButtonOK"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  connect(ok, &QPushButton::clicked, this, &TFormSettings::Apply);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  setFixedSize(511, 446);
  ShowMachine();
}

QWidget* TFormSettings::BuildArchitecture() {
  auto* page = new QWidget;
  auto* group = new QGroupBox(QStringLiteral("Słowo maszynowe"), page);
  auto* grid = new QGridLayout(group);
  const auto row = [&](int at, const QString& caption, int minimum, int maximum) {
    auto* value = new QLabel(group);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(24);
    auto* updown = new TUpDown(minimum, maximum, value, group);
    auto* text = new QLabel(caption, group);
    updown->Up()->setAccessibleName(caption + QStringLiteral(": więcej"));
    updown->Down()->setAccessibleName(caption + QStringLiteral(": mniej"));
    value->setAccessibleName(caption);
    grid->addWidget(text, at, 0);
    grid->addWidget(value, at, 1);
    grid->addWidget(updown, at, 2);
    return updown;
  };
  address_ = row(0, QStringLiteral("Liczba bitów adresowych"), kMinAddressBits, kMaxAddressBits);
  address_->setObjectName(QStringLiteral("UpDownAddress"));
  code_ = row(1, QStringLiteral("Liczba bitów kodu"), kMinCodeBits, kMaxCodeBits);
  code_->setObjectName(QStringLiteral("UpDownCode"));
  grid->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

QWidget* TFormSettings::BuildComponents() {
  auto* page = new QWidget;
  auto* type = new QGroupBox(QStringLiteral("Type"), page);
  type->setObjectName(QStringLiteral("RadioGroupType"));
  auto* typeGrid = new QGridLayout(type);
  presets_ = new QButtonGroup(this);
  presets_->setExclusive(true);
  const auto& presets = Presets();
  for (int k = 0; k < static_cast<int>(presets.size()); ++k) {
    auto* button = new QRadioButton(Q(presets[static_cast<std::size_t>(k)].Name), type);
    button->setAccessibleName(button->text());
    // Two columns, filled one after the other.
    typeGrid->addWidget(button, k % 2, k / 2);
    presets_->addButton(button, k);
  }
  connect(presets_, &QButtonGroup::idClicked, this,
          [this](int id) { ShowComponents(Presets()[static_cast<std::size_t>(id)].Components); });
  options_ = new QListWidget(page);
  options_->setObjectName(QStringLiteral("CheckListBox"));
  options_->setAccessibleName(QStringLiteral("Składniki maszyny"));
  for (const TComponentOption& option : ComponentOptions()) {
    auto* item = new QListWidgetItem(Q(option.Label), options_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(options_, &QListWidget::itemChanged, this, [this] {
    if (!showing_) ShowComponents(TickedComponents());
  });
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(type);
  layout->addWidget(options_, 1);
  return page;
}

QWidget* TFormSettings::BuildAddresses() {
  auto* page = new QWidget;
  auto* handlers = new QGroupBox(QStringLiteral("Procedury obsługi przerwań"), page);
  auto* grid = new QGridLayout(handlers);
  grid->addWidget(new QLabel(QStringLiteral("Przerwanie"), handlers), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Etykieta"), handlers), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Adres w pamięci"), handlers), 0, 2);
  for (int line = 1; line <= 4; ++line) {
    grid->addWidget(new QLabel(QString::number(line), handlers), line, 0);
    auto* label = new QLineEdit(handlers);
    label->setObjectName(QStringLiteral("EditInt%1").arg(line));
    label->setAccessibleName(QStringLiteral("Etykieta przerwania %1").arg(line));
    auto* address = new QLineEdit(handlers);
    address->setObjectName(QStringLiteral("EditVector%1").arg(line));
    address->setAccessibleName(QStringLiteral("Adres procedury przerwania %1").arg(line));
    grid->addWidget(label, line, 1);
    grid->addWidget(address, line, 2);
    vectorLabels_[static_cast<std::size_t>(line - 1)] = label;
    vectorAddresses_[static_cast<std::size_t>(line - 1)] = address;
  }
  auto* devices = new QGroupBox(QStringLiteral("Urządzenia We/Wy"), page);
  auto* io = new QGridLayout(devices);
  io->addWidget(new QLabel(QStringLiteral("Adres (port)"), devices), 0, 1);
  io->addWidget(new QLabel(QStringLiteral("Przerwanie"), devices), 0, 2);
  const auto field = [&](const char* name, const QString& accessible, int row, int column) {
    auto* edit = new QLineEdit(devices);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessible);
    io->addWidget(edit, row, column);
    return edit;
  };
  io->addWidget(new QLabel(QStringLiteral("Wejście"), devices), 1, 0);
  inputPort_ = field("EditInputAddr", QStringLiteral("Port wejścia"), 1, 1);
  inputInterrupt_ = field("EditInputInt", QStringLiteral("Przerwanie wejścia"), 1, 2);
  io->addWidget(new QLabel(QStringLiteral("Wyjście"), devices), 2, 0);
  outputPort_ = field("EditOutputAddr", QStringLiteral("Port wyjścia"), 2, 1);
  outputInterrupt_ = field("EditOutputInt", QStringLiteral("Przerwanie wyjścia"), 2, 2);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(handlers);
  layout->addWidget(devices);
  layout->addStretch(1);
  return page;
}

void TFormSettings::ShowMachine() {
  const TMachine& m = core_.Machine();
  address_->SetPosition(m.AddressBits());
  code_->SetPosition(m.CodeBits());
  ShowComponents(m.GetComponents());
  for (std::size_t k = 0; k < 4; ++k) {
    vectorLabels_[k]->setText(Q(m.Vectors()[k].LabelName));
    vectorAddresses_[k]->setText(QString::number(m.Vectors()[k].Address));
  }
  const TIOPorts& ports = m.IOPorts();
  inputPort_->setText(QString::number(ports.InputPort));
  outputPort_->setText(QString::number(ports.OutputPort));
  outputInterrupt_->setText(QString::number(ports.OutputInterrupt));
  inputInterrupt_->setText(QString::number(ports.InputInterrupt));
}

void TFormSettings::ShowComponents(const TComponentSet& components) {
  showing_ = true;
  // The first preset whose set is exactly this one, or none.
  int preset = -1;
  const auto& presets = Presets();
  for (int k = 0; k < static_cast<int>(presets.size()) && preset < 0; ++k) {
    if (presets[static_cast<std::size_t>(k)].Components == components) preset = k;
  }
  SelectPreset(preset);
  for (int k = 0; k < options_->count(); ++k)
    options_->item(k)->setCheckState(
        components.test(static_cast<std::size_t>(k + 1)) ? Qt::Checked : Qt::Unchecked);
  showing_ = false;
}

int TFormSettings::SelectedPreset() const {
  return presets_->checkedId();
}

void TFormSettings::SelectPreset(int index) {
  if (index >= 0) {
    presets_->button(index)->setChecked(true);
    return;
  }
  // No preset: an exclusive group cannot be emptied otherwise.
  presets_->setExclusive(false);
  for (QAbstractButton* button : presets_->buttons()) button->setChecked(false);
  presets_->setExclusive(true);
}

void TFormSettings::TickOption(int number, bool ticked) {
  options_->item(number - 1)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

TComponentSet TFormSettings::TickedComponents() const {
  TComponentSet components;
  components.set(0);
  for (int k = 0; k < options_->count(); ++k) {
    if (options_->item(k)->checkState() == Qt::Checked)
      components.set(static_cast<std::size_t>(k + 1));
  }
  return components;
}

void TFormSettings::Apply() {
  // The application checks every number before anything is written, so a
  // bad field loses nothing: it gets the focus with its error and the
  // dialog stays.
  TMachineOptions options;
  options.AddressBits = address_->Position();
  options.CodeBits = code_->Position();
  options.Components = TickedComponents();
  std::array<std::string, 4> addresses;
  for (std::size_t k = 0; k < 4; ++k) {
    options.Vectors[k].LabelName = U8(vectorLabels_[k]->text());
    addresses[k] = U8(vectorAddresses_[k]->text());
  }
  const std::array<QLineEdit*, 4> devices = {inputPort_, outputPort_, inputInterrupt_,
                                             outputInterrupt_};
  std::array<std::string, 4> numbers;
  for (std::size_t k = 0; k < 4; ++k) numbers[k] = U8(devices[k]->text());
  const TOutcome outcome = core_.App().Configure(options, addresses, numbers);
  if (!outcome.Ok) core_.Errors().Report(this, Q(outcome.Message));
  if (outcome.Line > 0) {
    const auto field = static_cast<std::size_t>(outcome.Line - 1);
    QLineEdit* failed = field < 4 ? vectorAddresses_[field] : devices[field - 4];
    tabs_->setCurrentIndex(2);
    failed->setFocus();
    failed->selectAll();
    return;
  }
  accept();
}

}  // namespace dorum::gui
