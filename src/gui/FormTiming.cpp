#include "FormTiming.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <sstream>
#include <string>

#include "AppCore.h"
#include "CoreText.h"
#include "TimingDiagram.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/Vcd.h"

namespace dorum::gui {

TFormTiming::TFormTiming(TAppCore& core, QWidget* parent) : QWidget(parent), core_(core) {
  setObjectName(QStringLiteral("FormTiming"));
  setWindowTitle(QStringLiteral("Przebiegi czasowe"));
  setAccessibleName(windowTitle());
  resize(900, 420);
  tools_ = new QToolBar(this);
  tools_->setObjectName(QStringLiteral("ToolBarTiming"));
  diagram_ = new TTimingDiagram(core_.Machine(), this);
  diagram_->SetEmptyText(Q(Texts::NoCyclesRecorded));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tools_);
  layout->addWidget(diagram_);

  auto* registers = new QToolButton(tools_);
  registers->setText(QStringLiteral("Pokaż rejestr"));
  registers->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(registers);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    menu->clear();
    const std::unique_ptr<QMenu> fresh = RegisterMenu();
    for (QAction* action : fresh->actions()) {
      action->setParent(menu);
      menu->addAction(action);
    }
  });
  registers->setMenu(menu);
  tools_->addWidget(registers);
  tools_->addSeparator();
  exports_ = AddExportActions(tools_);

  connect(diagram_, &TTimingDiagram::CycleClicked, this,
          [this](std::size_t index) { (void)GoToCycle(index); });
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, &TFormTiming::OnRefresh);
  connect(&core_, &TAppCore::ControlChanged, this, [this] { OnRefresh({}); });
}

TFormTiming::~TFormTiming() = default;

std::vector<QAction*> TFormTiming::AddExportActions(QWidget* target) {
  std::vector<QAction*> actions = {
      target->addAction(QStringLiteral("Zapisz jako PNG..."), this,
                        [this] { AskPicture(QStringLiteral(".png")); }),
      target->addAction(QStringLiteral("Zapisz jako SVG..."), this,
                        [this] { AskPicture(QStringLiteral(".svg")); }),
      target->addAction(QStringLiteral("Zapisz jako VCD..."), this, [this] { AskVcd(); })};
  for (QAction* action : actions) action->setEnabled(HasCycles());
  return actions;
}

void TFormTiming::UpdateExportActions() {
  for (QAction* action : exports_) action->setEnabled(HasCycles());
}

bool TFormTiming::HasCycles() const noexcept {
  return !diagram_->Cycles().empty();
}

void TFormTiming::RefuseWithoutCycles() const {
  // A picture of the hint, or a dump of no cycle, would only mislead.
  if (!HasCycles()) throw EDorumError(std::string(Texts::NothingToSave));
}

// ---- following the history ----

void TFormTiming::OnRefresh(const TMachineChanges&) {
  // Looking back costs a replay and the repaint that follows it: only a
  // window in sight does it, and during a run at most a tenth of the time.
  constexpr qint64 kPaceFactor = 10;
  const qint64 cost = lookCost_ + diagram_->PaintCost();
  const bool busy = core_.RunInProgress() && sinceLook_.isValid() &&
                    sinceLook_.nsecsElapsed() < kPaceFactor * cost;
  if (!isVisible() || busy) {
    stale_ = true;
    return;
  }
  Reload();
}

void TFormTiming::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Reload();
}

void TFormTiming::Reload() {
  stale_ = false;
  QElapsedTimer cost;
  cost.start();
  const auto measure = qScopeGuard([&] {
    lookCost_ = cost.nsecsElapsed();
    sinceLook_.start();
  });
  // The application keeps the cycles stepped back over, as the page's view
  // has them.
  TApplication::TTiming timing = core_.App().Timing(kCycles);
  before_ = timing.Before;
  diagram_->SetCycles(std::move(timing.Cycles), timing.Current);
  UpdateExportActions();
}

bool TFormTiming::GoToCycle(std::size_t index) {
  const std::vector<TRecordedCycle>& cycles = diagram_->Cycles();
  if (index >= cycles.size() || !core_.App().Allows(TCommand::GoToCycle)) return false;
  const std::uint64_t target = cycles[index].Number;
  const std::uint64_t now = cycles[diagram_->Current()].Number;
  if (target == now) return true;
  // An earlier cycle must still be recorded to be gone back to.
  if (target < now && !core_.History().StepsBackTo(target)) return false;
  if (!core_.GoToCycle(this, target)) return false;
  Reload();
  return true;
}

// ---- registers ----

void TFormTiming::ShowRegister(TRegisterId id, bool shown) {
  std::vector<TRegisterId> registers = diagram_->Registers();
  std::erase(registers, id);
  if (shown) {
    registers.push_back(id);
    // The lanes keep the machine's order of registers.
    std::ranges::sort(registers);
  }
  diagram_->SetRegisters(std::move(registers));
}

std::unique_ptr<QMenu> TFormTiming::RegisterMenu() {
  auto menu = std::make_unique<QMenu>(QStringLiteral("Pokaż rejestr"), this);
  const std::vector<TRegisterId>& shown = diagram_->Registers();
  for (int r = 0; r < kRegisterCount; ++r) {
    const auto id = static_cast<TRegisterId>(r);
    const TRegister& reg = core_.Machine().Register(id);
    if (!reg.Visible()) continue;
    QAction* action = menu->addAction(Q(reg.Caption()));
    action->setCheckable(true);
    action->setChecked(std::ranges::find(shown, id) != shown.end());
    connect(action, &QAction::toggled, this, [this, id](bool on) { ShowRegister(id, on); });
  }
  return menu;
}

void TFormTiming::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  const std::unique_ptr<QMenu> registers = RegisterMenu();
  menu.addMenu(registers.get());
  menu.addSeparator();
  (void)AddExportActions(&menu);
  menu.exec(event->globalPos());
}

// ---- export ----

void TFormTiming::AskPicture(const QString& suffix) {
  const bool svg = suffix == QStringLiteral(".svg");
  std::optional<QString> name = core_.Dialogs().SaveFileName(
      this,
      svg ? QStringLiteral("Zapisz przebiegi jako SVG")
          : QStringLiteral("Zapisz przebiegi jako PNG"),
      QStringLiteral("przebiegi") + suffix,
      svg ? QStringLiteral("rysunki SVG (*.svg)") : QStringLiteral("obrazy PNG (*.png)"));
  if (!name) return;
  if (!name->endsWith(suffix, Qt::CaseInsensitive)) name->append(suffix);
  core_.Errors().Run(this, [&] { SavePicture(*name); });
}

void TFormTiming::AskVcd() {
  std::optional<QString> name = core_.Dialogs().SaveFileName(
      this, QStringLiteral("Zapisz przebiegi jako VCD"), QStringLiteral("przebiegi.vcd"),
      QStringLiteral("zrzuty VCD (*.vcd)"));
  if (!name) return;
  if (!name->endsWith(QStringLiteral(".vcd"), Qt::CaseInsensitive))
    name->append(QStringLiteral(".vcd"));
  core_.Errors().Run(this, [&] { SaveVcd(*name); });
}

void TFormTiming::SavePicture(const QString& fileName) {
  if (stale_) Reload();
  RefuseWithoutCycles();
  diagram_->SaveAs(fileName);
}

void TFormTiming::SaveVcd(const QString& fileName) {
  if (stale_) Reload();
  RefuseWithoutCycles();
  // The cycles the window holds, those kept after the current one too (as
  // the pictures show them), numbered from 1 as a run's dump numbers them.
  // Written whole first: a file the system refuses is then told why, and a
  // failed write leaves the old dump as it was.
  std::ostringstream out;
  TCycleSample before = before_;
  before.Signals = 0;
  before.DrivenBuses = 0;
  TVcdWriter writer(core_.Machine(), out);
  writer.Start(before);
  std::uint64_t time = 0;
  for (const TRecordedCycle& cycle : diagram_->Cycles()) writer.Cycle(++time, cycle.Sample);
  writer.Finish(time + 1);
  WriteFileBytes(U8(fileName), out.str());
}

}  // namespace dorum::gui
