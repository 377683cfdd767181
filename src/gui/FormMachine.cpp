#include "FormMachine.h"

#include <QAccessible>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "AppCore.h"
#include "CoreText.h"
#include "DiagramAccessibility.h"
#include "FlowLayout.h"
#include "MachineDiagram.h"

namespace dorum::gui {

namespace {

// Between the drawing and the memory's scroll bar, in pixels.
constexpr int kScrollBarGap = 2;

// The smallest window the diagram is drawn for; the controls may need more.
constexpr int kSmallestWidth = 500;
constexpr int kSmallestHeight = 350;

// The line below the diagram: a run in progress, or the last one.
QString StatusText(bool running, std::uint64_t cycles, std::uint64_t instructions,
                   std::uint64_t total, bool manual) {
  QString text =
      running ? QStringLiteral("Wykonywanie… takty: %1, rozkazy: %2").arg(cycles).arg(instructions)
              : QStringLiteral(
                    "Zatrzymana. Ostatnie wykonanie: takty %1, rozkazy %2; od resetu: takty %3")
                    .arg(cycles)
                    .arg(instructions)
                    .arg(total);
  if (manual) text += QStringLiteral(" · sterowanie ręczne");
  return text;
}

void InstallAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&TDiagramAccessible::Create);
    return true;
  }();
  (void)installed;
}

}  // namespace

TFormMachine::TFormMachine(TAppCore& core, QWidget* parent)
    : QWidget(parent), core_(core), machine_(core.Machine()) {
  InstallAccessibility();
  setObjectName(QStringLiteral("FormMachine"));
  setWindowTitle(QStringLiteral("Jednostka centralna"));
  setAccessibleName(windowTitle());
  diagram_ = new TMachineDiagram(core_, this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("RunStatus"));
  status_->setAccessibleName(QStringLiteral("Stan wykonania"));
  status_->setContentsMargins(6, 2, 6, 2);
  // A narrow window wraps the line rather than hide its end.
  status_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildControls();
  layout->addWidget(controls_);
  layout->addWidget(diagram_, 1);
  layout->addWidget(status_);
  diagram_->installEventFilter(this);

  connect(diagram_, &TMachineDiagram::RegisterClicked, this, &TFormMachine::EnterRegisterValue);
  connect(diagram_, &TMachineDiagram::MemoryClicked, this, &TFormMachine::EnterMemoryValue);
  connect(diagram_, &TMachineDiagram::SignalClicked, this, [this](int signal) {
    core_.Errors().Run(this, [&] { core_.Control().ToggleSignal(signal); });
  });
  connect(diagram_, &TMachineDiagram::RegisterMenuRequested, this,
          [this](TRegisterId id, const QPoint& at) { RegisterMenu(id)->exec(at); });
  connect(diagram_, &TMachineDiagram::BackgroundMenuRequested, this,
          &TFormMachine::ShowBackgroundMenu);
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormMachine::OnRefresh);
  connect(&core_, &TAppCore::RunStateChanged, this, [this](bool running) {
    if (running) {
      runCycles_ = core_.Control().CyclesPerformed();
      runInstructions_ = core_.Control().InstructionsPerformed();
    }
    UpdateRunStatus();
  });
  runCycles_ = core_.Control().CyclesPerformed();
  runInstructions_ = core_.Control().InstructionsPerformed();
  UpdateRunStatus();
  KeepControlsWhole();
}

TFormMachine::~TFormMachine() = default;

void TFormMachine::BuildControls() {
  // The controls stand in a strip above the diagram, in the window's own
  // font, and the diagram scales to the room left below them.
  controls_ = new QWidget(this);
  controls_->setObjectName(QStringLiteral("MachineControls"));
  auto* strip = new TFlowLayout(controls_, 12);
  strip->setContentsMargins(6, 3, 6, 3);
  BuildTracking(*strip);
  // Manual control above the tempo, beside the tracking levels: the three
  // fit in one row down to a narrow window.
  auto* column = new QWidget(controls_);
  auto* columnLayout = new QVBoxLayout(column);
  columnLayout->setContentsMargins(0, 0, 0, 0);
  manual_ = new QCheckBox(QStringLiteral("Sterowanie ręczne"), column);
  manual_->setObjectName(QStringLiteral("CheckBoxManualControl"));
  manual_->setAccessibleName(manual_->text());
  connect(manual_, &QCheckBox::toggled, this, [this](bool on) { core_.SetManualControl(on); });
  columnLayout->addWidget(manual_);
  BuildTempo(*columnLayout);
  strip->addWidget(column);
  BuildInterruptButtons(*strip);

  scroll_ = new QScrollBar(Qt::Vertical, diagram_);
  scroll_->setObjectName(QStringLiteral("ScrollBar"));
  scroll_->setAccessibleName(QStringLiteral("Przewijanie pamięci"));
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int top) {
    if (!syncing_) diagram_->SetTopRow(top);
  });
  connect(diagram_, &TMachineDiagram::TopRowChanged, this, [this] { SyncScrollBar(); });
  diagram_->SetRightMargin(ScrollBarRoom());
  connect(&core_, &TAppCore::AnimationDelayChanged, this, [this] { SyncControls(); });
  SyncControls();
  SyncScrollBar();
}

void TFormMachine::BuildTracking(TFlowLayout& strip) {
  tracking_ = new QGroupBox(QStringLiteral("Poziom śledzenia"), controls_);
  tracking_->setObjectName(QStringLiteral("RadioGroupTracking"));
  tracking_->setAccessibleName(tracking_->title());
  trackingGroup_ = new QButtonGroup(this);
  auto* trackingLayout = new QVBoxLayout(tracking_);
  trackingLayout->setContentsMargins(6, 0, 6, 2);
  trackingLayout->setSpacing(0);
  strip.addWidget(tracking_);
  int level = 0;
  for (const char16_t* caption : {u"niski (program)", u"średni (rozkaz)", u"wysoki (takt)"}) {
    auto* button = new QRadioButton(QString::fromUtf16(caption), tracking_);
    button->setAccessibleName(button->text());
    trackingLayout->addWidget(button);
    trackingGroup_->addButton(button, level++);
  }
  // The window and the control unit agree on the level from the start: the
  // middle one, where a run shows each instruction.
  trackingGroup_->button(1)->setChecked(true);
  core_.Control().SetTrackingLevel(1);
  connect(trackingGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { core_.Control().SetTrackingLevel(id); });
}

void TFormMachine::BuildInterruptButtons(TFlowLayout& strip) {
  interruptPanel_ = new QWidget(controls_);
  auto* row = new QHBoxLayout(interruptPanel_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  for (int line = 1; line <= 4; ++line) {
    auto* button = new QPushButton(QString::number(line), interruptPanel_);
    button->setObjectName(QStringLiteral("Button%1").arg(line));
    button->setAccessibleName(QStringLiteral("Przerwanie %1").arg(line));
    button->setToolTip(button->accessibleName());
    // Reached with Tab, but a click during a run leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 4 + 8);
    connect(button, &QPushButton::clicked, this,
            [this, line] { core_.Errors().Run(this, [&] { machine_.RaiseInterrupt(line); }); });
    row->addWidget(button);
    interrupts_[static_cast<std::size_t>(line - 1)] = button;
  }
  strip.addWidget(interruptPanel_);
}

void TFormMachine::BuildTempo(QBoxLayout& column) {
  tempoPanel_ = new QWidget(controls_);
  auto* tempoLayout = new QHBoxLayout(tempoPanel_);
  tempoLayout->setContentsMargins(0, 0, 0, 0);
  tempoLayout->setSpacing(4);
  auto* tempoLabel = new QLabel(QStringLiteral("Tempo (takt):"), tempoPanel_);
  tempo_ = new QComboBox(tempoPanel_);
  tempo_->setObjectName(QStringLiteral("ComboBoxTempo"));
  tempo_->setAccessibleName(QStringLiteral("Tempo przy wysokim poziomie śledzenia"));
  tempo_->setToolTip(QStringLiteral("Przerwa między taktami przy wysokim poziomie śledzenia"));
  tempoLabel->setBuddy(tempo_);
  for (const TTempoChoice& tempo : kTempos) tempo_->addItem(Q(tempo.Text), tempo.Milliseconds);
  tempoLayout->addWidget(tempoLabel);
  tempoLayout->addWidget(tempo_);
  connect(tempo_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!syncing_) core_.SetAnimationDelay(tempo_->itemData(index).toInt());
  });
  column.addWidget(tempoPanel_);
}

QRadioButton* TFormMachine::TrackingButton(int level) const {
  return qobject_cast<QRadioButton*>(trackingGroup_->button(level));
}

QPushButton* TFormMachine::InterruptButton(int line) const {
  return interrupts_.at(static_cast<std::size_t>(line - 1));
}

int TFormMachine::ScrollBarRoom() const {
  return scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_) +
         kScrollBarGap + 1;
}

void TFormMachine::PlaceControls() {
  // The scroll bar stands right of the drawing, as high as the memory view.
  const QRectF drawing = diagram_->DrawingRect();
  QRect memory;
  for (const TDiagramItem& item : DiagramItems()) {
    if (item.Kind == TItemKind::Memory) memory = diagram_->WidgetRect(Rect(item.Box));
  }
  const int left = static_cast<int>(std::ceil(drawing.right())) + kScrollBarGap;
  scroll_->setGeometry(left, memory.top(), ScrollBarRoom() - kScrollBarGap - 1, memory.height());
}

void TFormMachine::SyncControls() {
  syncing_ = true;
  if (interruptPanel_->isVisibleTo(this) != machine_.InterruptButtonsVisible()) {
    interruptPanel_->setVisible(machine_.InterruptButtonsVisible());
    KeepControlsWhole();
  }
  const int delay = core_.App().Tempo();
  int best = 0;
  for (int k = 0; k < tempo_->count(); ++k) {
    if (std::abs(tempo_->itemData(k).toInt() - delay) <
        std::abs(tempo_->itemData(best).toInt() - delay))
      best = k;
  }
  tempo_->setCurrentIndex(best);
  manual_->setChecked(core_.Control().ManualControl());
  if (QAbstractButton* level = trackingGroup_->button(core_.Control().TrackingLevel()))
    level->setChecked(true);
  syncing_ = false;
}

void TFormMachine::SyncScrollBar() {
  syncing_ = true;
  scroll_->setRange(0, std::max(0, machine_.Memory().Size() - diagram_->VisibleRows()));
  scroll_->setPageStep(diagram_->VisibleRows());
  scroll_->setValue(diagram_->TopRow());
  syncing_ = false;
}

void TFormMachine::OnRefresh(const TMachineChanges& changes) {
  const bool scrolled = diagram_->FollowMemory(changes);
  if (!isVisible()) {
    // A hidden window does nothing and catches up when it is shown.
    stale_ = stale_ || changes.Any();
    return;
  }
  diagram_->ApplyChanges(changes);
  if (changes.Configuration || changes.Reset || changes.Control) SyncControls();
  if (scrolled || changes.Configuration || changes.Reset || changes.Words || changes.AnyCells())
    SyncScrollBar();
  UpdateRunStatus();
}

void TFormMachine::RefreshAll() {
  stale_ = false;
  SyncControls();
  SyncScrollBar();
  PlaceControls();
  diagram_->update();
  UpdateRunStatus();
}

void TFormMachine::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RefreshAll();
}

bool TFormMachine::eventFilter(QObject* watched, QEvent* event) {
  if (watched == diagram_ && event->type() == QEvent::Resize) PlaceControls();
  return QWidget::eventFilter(watched, event);
}

void TFormMachine::UpdateRunStatus() {
  const TController& control = core_.Control();
  status_->setText(StatusText(core_.RunInProgress(), control.CyclesPerformed() - runCycles_,
                              control.InstructionsPerformed() - runInstructions_,
                              control.CyclesSinceReset(), control.ManualControl()));
}

void TFormMachine::KeepControlsWhole() {
  // Smaller, the strip of controls would wrap over the diagram and push the
  // status line and the last controls out of the window. The status line
  // is given the room of the longest it says.
  const int width = std::max(kSmallestWidth, controls_->minimumSizeHint().width());
  const QMargins margins = status_->contentsMargins();
  const int statusHeight =
      status_->fontMetrics()
          .boundingRect(QRect(0, 0, width - margins.left() - margins.right(), QWIDGETSIZE_MAX),
                        Qt::TextWordWrap,
                        StatusText(false, 999'999'999'999, 999'999'999'999, 999'999'999'999, true))
          .height() +
      margins.top() + margins.bottom();
  const int height = controls_->heightForWidth(width) + diagram_->minimumHeight() + statusHeight;
  setMinimumSize(width, std::max(kSmallestHeight, height));
}

// ---- user actions ----

void TFormMachine::EnterRegisterValue(TRegisterId id) {
  const TRegister& reg = machine_.Register(id);
  if (!reg.Available()) return;
  const TValueQuestion question = core_.App().RegisterQuestion(id);
  const std::optional<QString> text =
      core_.Dialogs().AskText(this, Q(question.Title), Q(question.Label), Q(question.Value));
  if (!text) return;
  core_.Errors().Run(this, [&] { machine_.EnterRegisterValue(id, U8(*text)); });
}

void TFormMachine::EnterMemoryValue(int address) {
  if (address < 0) return;
  const TValueQuestion question = core_.App().MemoryQuestion(address);
  const std::optional<QString> text =
      core_.Dialogs().AskText(this, Q(question.Title), Q(question.Label), Q(question.Value));
  if (!text) return;
  core_.Errors().Run(this, [&] { machine_.EnterMemoryValue(address, U8(*text)); });
}

std::unique_ptr<QMenu> TFormMachine::RegisterMenu(TRegisterId id) {
  auto menu = std::make_unique<QMenu>(this);
  menu->setObjectName(QStringLiteral("PopupMenuRegister"));
  menu->addAction(QStringLiteral("Wpisz wartość"), this, [this, id] { EnterRegisterValue(id); });
  QMenu* show = menu->addMenu(QStringLiteral("Pokaż jako"));
  auto* modes = new QActionGroup(show);
  for (const TDisplayModeChoice& item : DisplayModeChoices(id)) {
    QAction* action = show->addAction(Q(item.Caption));
    action->setCheckable(true);
    action->setChecked(machine_.Register(id).DisplayMode() == item.Mode);
    modes->addAction(action);
    const TDisplayMode mode = item.Mode;
    connect(action, &QAction::triggered, this, [this, id, mode] {
      core_.Errors().Run(this, [&] { machine_.SetDisplayMode(id, mode); });
    });
  }
  menu->addAction(QStringLiteral("Zeruj"), this,
                  [this, id] { core_.Errors().Run(this, [&] { machine_.ZeroRegister(id); }); });
  return menu;
}

void TFormMachine::ShowBackgroundMenu(const QPoint& globalAt) {
  BackgroundMenu()->exec(globalAt);
}

std::unique_ptr<QMenu> TFormMachine::BackgroundMenu() {
  auto menu = std::make_unique<QMenu>(this);
  const auto save = [this](const QString& title, const QString& filter, const QString& suffix) {
    std::optional<QString> name =
        core_.Dialogs().SaveFileName(this, title, QStringLiteral("schemat") + suffix, filter);
    if (!name) return;
    if (!name->endsWith(suffix, Qt::CaseInsensitive)) name->append(suffix);
    core_.Errors().Run(this, [&] { diagram_->SaveAs(*name); });
  };
  menu->addAction(QStringLiteral("Zapisz schemat jako PNG..."), this, [save] {
    save(QStringLiteral("Zapisz schemat jako PNG"), QStringLiteral("obrazy PNG (*.png)"),
         QStringLiteral(".png"));
  });
  menu->addAction(QStringLiteral("Zapisz schemat jako SVG..."), this, [save] {
    save(QStringLiteral("Zapisz schemat jako SVG"), QStringLiteral("rysunki SVG (*.svg)"),
         QStringLiteral(".svg"));
  });
  menu->addSeparator();
  menu->addAction(QStringLiteral("Wyczyść pamięć"), this, [this] {
    core_.Perform(TCommand::ClearMemory, [this] { core_.Session().ClearMemory(); });
  });
  return menu;
}

}  // namespace dorum::gui
