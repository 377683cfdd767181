#include "control/ControlUnit.h"

#include <algorithm>
#include <utility>

#include "common/Error.h"
#include "common/Texts.h"
#include "control/StopConditions.h"

namespace dorum {

namespace {

// The flag of F that each condition tests.
constexpr std::int32_t ConditionMask(TCondition condition) noexcept {
  switch (condition) {
    case TCondition::Z:
      return 1;
    case TCondition::Zak:
      return 8;
    case TCondition::Int:
      return 4;
    case TCondition::V:
      return 2;
    case TCondition::None:
      break;
  }
  return 0;
}

[[noreturn, gnu::cold, gnu::noinline]] void ThrowListIndex(int index) {
  throw EDorumError(Texts::ListIndexOutOfBounds(index));
}

}  // namespace

TController::TController(TMachine& machine)
    : machine_(machine), plannedCodes_(std::size_t{1} << kMaxCodeBits) {
  recorders_.OnChange = [this] { ChooseRecorder(); };
  machine_.SetControl(this);
  ResetControl();
}

void TController::ChooseRecorder() noexcept {
  switch (recorders_.Count()) {
    case 0:
      recorder_ = nullptr;
      break;
    case 1:
      recorder_ = recorders_.Listeners().front();
      break;
    default:
      recorder_ = &allRecorders_;
  }
  recorderEnds_ = recorder_ != nullptr && recorder_->NeedsCycleEnds();
}

void TController::TRecorders::BeginCycle() {
  for (ICycleRecorder* r : list_.Listeners()) r->BeginCycle();
}

void TController::TRecorders::EndCycle(const EDorumError* error) {
  for (ICycleRecorder* r : list_.Listeners()) {
    if (error != nullptr || r->NeedsCycleEnds()) r->EndCycle(error);
  }
}

bool TController::TRecorders::NeedsCycleEnds() const {
  return std::any_of(list_.Listeners().begin(), list_.Listeners().end(),
                     [](const ICycleRecorder* r) { return r->NeedsCycleEnds(); });
}

bool TController::TRecorders::TakesWholeInstructions() const {
  return std::all_of(list_.Listeners().begin(), list_.Listeners().end(),
                     [](const ICycleRecorder* r) { return r->TakesWholeInstructions(); });
}

std::uint64_t TController::TRecorders::BeginWholeInstructions() {
  std::uint64_t most = ~std::uint64_t{0};
  for (ICycleRecorder* r : list_.Listeners()) most = std::min(most, r->BeginWholeInstructions());
  return most;
}

void TController::TRecorders::WholeInstructions(std::span<const std::uint8_t> cycles) {
  for (ICycleRecorder* r : list_.Listeners()) r->WholeInstructions(cycles);
}

void TController::TRecorders::ControlChanged() {
  for (ICycleRecorder* r : list_.Listeners()) r->ControlChanged();
}

void TController::TRecorders::InstructionsChanged() {
  for (ICycleRecorder* r : list_.Listeners()) r->InstructionsChanged();
}

TController::~TController() {
  SetProgramEditor(nullptr);
  machine_.SetControl(nullptr);
}

IBoundProgram::~IBoundProgram() {
  if (boundTo_ != nullptr) boundTo_->SetProgramEditor(nullptr);
}

void TController::SetProgramEditor(IBoundProgram* program) noexcept {
  if (programEditor_ == program) return;
  if (programEditor_ != nullptr) programEditor_->boundTo_ = nullptr;
  if (program != nullptr) {
    // A program is bound to one control unit at a time.
    if (program->boundTo_ != nullptr) program->boundTo_->SetProgramEditor(nullptr);
    program->boundTo_ = this;
  }
  programEditor_ = program;
}

const TCyclePlan& TController::FetchPlan() {
  if (fetchPlan_.Generation != machine_.PlanGeneration()) [[unlikely]]
    fetchPlan_ = machine_.MakePlan(kFetchSignals);
  return fetchPlan_;
}

int TController::CurrentCode() const noexcept {
  const TRegister& i = machine_.Register(TRegisterId::I);
  return static_cast<int>((i.Content() & i.Mask()) >> machine_.AddressBits());
}

const TMicroCode& TController::MicroCodeAt(int code, int cycle) const {
  const TInstruction* instruction = instructions_.Find(code);
  if (instruction == nullptr) [[unlikely]]
    ThrowListIndex(code);
  const std::vector<TMicroCode>& cycles = instruction->Cycles();
  if (static_cast<std::size_t>(cycle) >= cycles.size()) [[unlikely]]
    ThrowListIndex(cycle);
  return cycles[static_cast<std::size_t>(cycle)];
}

void TController::ResetControl() {
  cyclesAtReset_ = cyclesPerformed_;
  finished_ = false;
  inputRanOut_ = false;
  breakpointsArmed_ = true;
  atFetch_ = true;
  currentCycle_ = 0;
  MoveBoundLine(-1);
}

void TController::ProgramFinished() {
  finished_ = true;
  MoveBoundLine(-1);
}

void TController::MoveBoundLine(int line) {
  if (programEditor_ == nullptr || programEditor_->CurrentLine() == line) return;
  programEditor_->SetCurrentLine(line);
  machine_.NotifyLineMoved();
}

const TMicroCode* TController::FindCycle(int code, int cycle) const noexcept {
  const TInstruction* instruction = instructions_.Find(code);
  if (instruction == nullptr) return nullptr;
  const std::vector<TMicroCode>& cycles = instruction->Cycles();
  if (static_cast<std::size_t>(cycle) >= cycles.size()) return nullptr;
  return &cycles[static_cast<std::size_t>(cycle)];
}

void TController::ToggleCycleBreakpoint(int code, int cycle) {
  TInstruction& instruction = instructions_.At(code);
  if (cycle < 0 || cycle >= instruction.CycleCount()) ThrowListIndex(cycle);
  instruction.Cycle(cycle).Breakpoint = !instruction.Cycle(cycle).Breakpoint;
}

void TController::RestorePlace(const TControlPlace& place) {
  cyclesPerformed_ = place.Cycles;
  instructionsPerformed_ = place.Instructions;
  currentCycle_ = place.CurrentCycle;
  atFetch_ = (place.Flags & TControlPlace::kAtFetch) != 0;
  breakpointsArmed_ = (place.Flags & TControlPlace::kArmed) != 0;
  stopRequested_ = (place.Flags & TControlPlace::kStopRequested) != 0;
  waitingForInput_ = (place.Flags & TControlPlace::kWaiting) != 0;
  finished_ = (place.Flags & TControlPlace::kFinished) != 0;
  inputRanOut_ = (place.Flags & TControlPlace::kInputRanOut) != 0;
  shownCode_ = place.ShownCode;
  shownLine_ = place.ShownLine;
  instructionAddress_ = place.InstructionAddress;
  MoveBoundLine(place.CurrentLine);
}

void TController::RestoreState(const TSavedState& state) {
  TControlPlace place = state.Place;
  if (programEditor_ != nullptr) {
    if (programEditor_->CurrentLine() != place.CurrentLine)
      programEditor_->SetCurrentLine(place.CurrentLine);
    place.CurrentLine = programEditor_->CurrentLine();
  }
  RestorePlace(place);
  refusedCycle_ = state.RefusedCycle;
  waitSignalled_ = state.WaitSignalled;
}

TSliceEnd TController::ExecuteCycle() {
  try {
    StepCycle();
  } catch (const ERunStop& stop) {
    return Ended(stop);
  }
  return TSliceEnd::Finished;
}

void TController::StepCycle() {
  if (recorder_ != nullptr) [[unlikely]] {
    ExecuteRecordedCycle();
    return;
  }
  PerformCountedCycle();
}

TSliceEnd TController::Ended(const ERunStop& stop) {
  endMessage_ = stop.Message();
  switch (stop.Reason()) {
    case TRunStop::ProgramEnded:
      return TSliceEnd::ProgramEnded;
    case TRunStop::Breakpoint:
      return TSliceEnd::Breakpoint;
    case TRunStop::ProgramBreakpoint:
      return TSliceEnd::ProgramBreakpoint;
    case TRunStop::ConditionHeld:
      return TSliceEnd::ConditionHeld;
    case TRunStop::CycleLimit:
      return TSliceEnd::CycleLimit;
    case TRunStop::InputExhausted:
      return TSliceEnd::InputExhausted;
  }
  return TSliceEnd::Stopped;
}

void TController::ReplayCycle(bool manual) {
  struct TQuiet {
    TController& Control;
    ICycleRecorder* Recorder;
    bool Hosted;
    bool Manual;
    ~TQuiet() {
      Control.recorder_ = Recorder;
      Control.hosted_ = Hosted;
      Control.manualControl_ = Manual;
      Control.replaying_ = false;
    }
  } quiet{*this, recorder_, hosted_, manualControl_};
  recorder_ = nullptr;
  hosted_ = false;
  manualControl_ = manual;
  replaying_ = true;
  try {
    PerformCycle();
  } catch (const EDorumError&) {
    // It ended the same way the first time.
  }
}

void TController::ExecuteRecordedCycle() {
  recorder_->BeginCycle();
  try {
    PerformCountedCycle();
  } catch (const EDorumError& e) {
    recorder_->EndCycle(&e);
    throw;
  } catch (...) {
    const EDorumError unknown("?");
    recorder_->EndCycle(&unknown);
    throw;
  }
  if (recorderEnds_) recorder_->EndCycle(nullptr);
}

void TController::PerformCycle() {
  if (manualControl_) {
    ExecuteManualCycle();
    return;
  }
  const TMicroCode* micro = nullptr;
  const TCyclePlan* plan = nullptr;
  int code = 0;
  if (atFetch_) {
    instructionAddress_ = machine_.Register(TRegisterId::L).CurrentValue();
    machine_.SetActiveSignals(kFetchSignals);
    atFetch_ = false;
    currentCycle_ = 0;
    machine_.ClearCycle();
    // During a fetch I still holds the previous instruction, which is shown
    // with its first cycle.
    code = CurrentCode();
    shownCode_ = code;
    if (hosted_) host_->ShowInstruction(code);
    micro = &MicroCodeAt(code, 0);
    plan = &FetchPlan();
  } else {
    code = CurrentCode();
    micro = FindCycle(code, currentCycle_);
    if (micro == nullptr) [[unlikely]]
      RefuseMissingCycle(code);
    // One switch of the whole set.
    machine_.SetActiveSignals(micro->Signals.Low());
    machine_.ClearCycle();
    shownCode_ = code;
    if (hosted_) host_->ShowInstruction(code);
    plan = &PlanOf(*micro);
  }
  shownLine_ = micro->SourceLine;
  if (hosted_) host_->ShowCycleLine(micro->SourceLine);
  if (breakpointsArmed_ && micro->Breakpoint && !replaying_) stopRequested_ = true;
  if (stopRequested_) [[unlikely]]
    StopAtBreakpoint(code);
  try {
    if (plan == &fetchPlan_) {
      machine_.PerformPlannedFetch(*plan);
    } else {
      machine_.PerformPlanned(*plan);
    }
  } catch (const EDorumError&) {
    CountEndingCycle();
    throw;
  }
  ++cyclesPerformed_;
  breakpointsArmed_ = true;
  SelectNextCycle(code, *micro);
}

void TController::CountEndingCycle() noexcept {
  // The program's stop is a cycle performed like any other (its signals all
  // acted), so the count agrees with the trace and the history; a refused
  // cycle is not, as it is performed again once the cause is mended.
  if (finished_) {
    ++cyclesPerformed_;
  } else {
    refusedCycle_ = cyclesPerformed_ + 1;
  }
}

void TController::RefuseMissingCycle(int code) {
  // A cycle that cannot be found leaves every signal off.
  machine_.SetActiveSignals(0);
  refusedCycle_ = cyclesPerformed_ + 1;
  (void)MicroCodeAt(code, currentCycle_);  // raises the list's index error
  ThrowListIndex(currentCycle_);
}

void TController::StopAtBreakpoint(int code) {
  breakpointsArmed_ = false;
  stopRequested_ = false;
  throw ERunStop(TRunStop::Breakpoint,
                 Texts::BreakpointInInstruction(instructions_.At(code).Name()));
}

void TController::ExecuteManualCycle() {
  // The user's choice of signals stands, every rule is checked and the
  // microprogram does not advance.
  machine_.ClearCycle();
  const int code = CurrentCode();
  shownCode_ = code;
  if (hosted_) host_->ShowInstruction(code);
  const TMicroCode& micro = MicroCodeAt(code, currentCycle_);
  shownLine_ = micro.SourceLine;
  if (hosted_) host_->ShowCycleLine(micro.SourceLine);
  if (breakpointsArmed_ && micro.Breakpoint && !replaying_) stopRequested_ = true;
  try {
    machine_.PerformActiveSignals();
  } catch (const EDorumError&) {
    CountEndingCycle();
    throw;
  }
  ++cyclesPerformed_;
  breakpointsArmed_ = true;
}

void TController::ToggleSignal(int signal) {
  if (manualControl_) machine_.SetActive(signal, !machine_.SignalActive(signal));
}

void TController::SelectNextCycle(int performedCode, const TMicroCode& performed) {
  // After a fetch I holds the new instruction; otherwise the cycle just
  // performed is the current one still.
  const int code = CurrentCode();
  if (code >= instructions_.Count()) throw EDorumError(Texts::UnknownInstructionCode(code));
  const TMicroCode& micro = code == performedCode ? performed : MicroCodeAt(code, currentCycle_);
  if (micro.Condition == TCondition::None) {
    currentCycle_ = micro.NextCycle;
  } else {
    const std::int32_t flags =
        machine_.Register(TRegisterId::F).CurrentValue();  // F is always there
    currentCycle_ =
        (flags & ConditionMask(micro.Condition)) != 0 ? micro.NextCycle : micro.ElseCycle;
  }
  atFetch_ = currentCycle_ == 0;
  instructionsPerformed_ += atFetch_ ? 1 : 0;
}

bool TController::ConditionsArmed() const noexcept {
  return conditions_ != nullptr && conditions_->Armed();
}

void TController::BeginConditions() noexcept {
  heldCondition_ = -1;
  if (ConditionsArmed()) conditions_->Begin(machine_);
}

void TController::CheckConditions() {
  const int held = conditions_->Check(machine_);
  if (held < 0) return;
  heldCondition_ = held;
  throw ERunStop(TRunStop::ConditionHeld, Texts::StopConditionHeld(conditions_->At(held).Text));
}

void TController::StartInstruction() {
  runKind_ = manualControl_ ? TRunKind::None : TRunKind::Instruction;
  instructionOpen_ = false;
  waitSignalled_ = false;
  BeginConditions();
}

void TController::StartProgram(int target) {
  runKind_ = manualControl_ ? TRunKind::None : TRunKind::Program;
  instructionOpen_ = false;
  waitSignalled_ = false;
  BeginConditions();
  runTarget_ = target;
  stopRequested_ = false;
}

void TController::StartRunToLine(int line) {
  if (programEditor_ == nullptr) throw EDorumError(Texts::CompileFirst());
  StartProgram(programEditor_->AddressOfLine(line));
}

TSliceEnd TController::RunSlice(const TSliceBudget& budget) {
  if (runKind_ == TRunKind::None) return TSliceEnd::Idle;
  // Manual control stops a run: its cycles never reach the next instruction.
  if (manualControl_) return EndRun(TSliceEnd::Stopped);
  try {
    return PerformSlice(budget);
  } catch (const ERunStop& stop) {
    return EndRun(Ended(stop));
  } catch (...) {
    (void)EndRun(TSliceEnd::Finished);
    throw;
  }
}

TSliceEnd TController::StopRun() {
  if (!Running()) return TSliceEnd::Idle;
  struct TWithdraw {
    TController& Control;
    ~TWithdraw() {
      (void)Control.EndRun(TSliceEnd::Stopped);
      Control.WithdrawStopRequest();
    }
  } withdraw{*this};
  RequestStop();
  // Nothing more is performed: the pending request ends the run at the
  // check it stands before.
  return RunSlice(TSliceBudget{0, {}});
}

TSliceEnd TController::FinishRun() {
  TSliceEnd end = TSliceEnd::Idle;
  while (Running()) end = RunSlice({});
  return end;
}

bool TController::WaitsForTyping() const {
  return waitingForInput_ && machine_.Console().InputText().empty();
}

std::optional<TSliceEnd> TController::EndInstruction() {
  instructionOpen_ = false;
  if (atFetch_ && programEditor_ != nullptr)
    MoveBoundLine(programEditor_->LineOfAddress(machine_.Register(TRegisterId::L).Value()));
  if (runKind_ == TRunKind::Instruction)
    return EndRun(atFetch_ ? TSliceEnd::Finished : TSliceEnd::Stopped);
  const std::int32_t l = machine_.Register(TRegisterId::L).Value();
  if (programEditor_ != nullptr && programEditor_->HasBreakpoints() &&
      programEditor_->IsBreakpointAt(l)) {
    machine_.NotifyFocusWanted();
    throw ERunStop(TRunStop::ProgramBreakpoint, Texts::ProgramBreakpoint());
  }
  if (runTarget_ == l) {
    if (programEditor_ != nullptr) machine_.NotifyFocusWanted();
    return EndRun(TSliceEnd::Finished);
  }
  if (stopRequested_) return EndRun(TSliceEnd::Stopped);
  return std::nullopt;
}

TSliceEnd TController::PerformSlice(const TSliceBudget& budget) {
  // The clock is read only every few thousand cycles; the budget, the
  // clock and the cycle limit share one test a cycle.
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t budgetEnd =
      budget.Cycles > kNoLimit - cyclesPerformed_ ? kNoLimit : cyclesPerformed_ + budget.Cycles;
  std::uint64_t checkpoint =
      std::min({budgetEnd, cyclesPerformed_ + CyclesToClockCheck(), cycleLimit_});
  // Whether anything but a wait for input asks to be looked at after a
  // cycle: a run without stop conditions pays nothing for them.
  const bool lookAfterCycles = hosted_ || trackingLevel_ >= 2 || ConditionsArmed();
  // With nobody to look between cycles, a program runs whole instructions;
  // stop conditions let it run those that cannot make them hold.
  watchedSignals_ =
      ConditionsArmed() ? conditions_->WatchedSignals() : std::optional<std::uint64_t>{0};
  const bool planned = !hosted_ && trackingLevel_ < 2 && watchedSignals_.has_value() &&
                       (recorder_ == nullptr || recorder_->TakesWholeInstructions()) &&
                       runKind_ == TRunKind::Program &&
                       (programEditor_ == nullptr || !programEditor_->HasBreakpoints());
  if (planned) ++slice_;
  for (;;) {
    // An instruction ends at the next fetch, or where a stop was asked for
    // (between slices too).
    if (atFetch_ || stopRequested_ || !instructionOpen_) {
      if (instructionOpen_) {
        if (const std::optional<TSliceEnd> end = EndInstruction()) return *end;
      }
      if (cyclesPerformed_ >= budgetEnd) return TSliceEnd::Budget;
      // A program's stop asked for between two slices, before the next
      // instruction began; "Rozkaz" forgets an old request.
      if (stopRequested_ && runKind_ == TRunKind::Program) return EndRun(TSliceEnd::Stopped);
      stopRequested_ = false;
      instructionOpen_ = true;
      if (planned && atFetch_ && !waitSignalled_ && PerformPlannedInstructions(checkpoint))
        continue;
    }
    if (cyclesPerformed_ >= checkpoint) [[unlikely]] {
      if (cyclesPerformed_ >= budgetEnd) return TSliceEnd::Budget;
      if (CycleLimitReached())
        throw ERunStop(TRunStop::CycleLimit, Texts::CycleLimitReached(cycleLimit_ - limitStart_));
      if (std::chrono::steady_clock::now() - start >= budget.Time) return TSliceEnd::Budget;
      checkpoint = std::min({budgetEnd, cyclesPerformed_ + CyclesToClockCheck(), cycleLimit_});
    }
    StepCycle();
    if (waitSignalled_ || lookAfterCycles) [[unlikely]] {
      if (const std::optional<TSliceEnd> end = LookAfterCycle()) return *end;
    }
  }
}

std::uint64_t TController::CyclesToClockCheck() noexcept {
  // A slice that runs out of time ends at a clock check, and the views see
  // the machine where slices end. Checks a fixed number of cycles apart
  // would lock those samples to any loop whose period divides that number
  // (a counter would always be seen at the same value), so the distance
  // varies: 1024 to 3071 cycles, from a small generator of its own.
  clockDraw_ ^= clockDraw_ << 13;
  clockDraw_ ^= clockDraw_ >> 17;
  clockDraw_ ^= clockDraw_ << 5;
  return 1024 + (clockDraw_ & 2047);
}

const TController::TPlannedCode& TController::PlannedCode(int code) {
  TPlannedCode& planned = plannedCodes_[static_cast<std::size_t>(code) & 0xFFu];
  if (planned.Slice != slice_) MakePlannedCode(code, planned);
  return planned;
}

void TController::MakePlannedCode(int code, TPlannedCode& planned) {
  planned = TPlannedCode{};
  planned.Slice = slice_;
  const TInstruction* instruction = instructions_.Find(code);
  if (instruction == nullptr || instruction->Cycles().empty()) return;
  const std::vector<TMicroCode>& cycles = instruction->Cycles();
  planned.FetchStops = cycles[0].Breakpoint;
  planned.Passable = !planned.FetchStops;
  planned.FetchLine = cycles[0].SourceLine;
  if (cycles[0].Condition != TCondition::None) return;
  std::vector<const TCyclePlan*> plans{&FetchPlan()};
  for (std::int32_t next = cycles[0].NextCycle; next != 0;) {
    if (plans.size() >= TInstructionPlan::kMaxCycles ||
        static_cast<std::size_t>(next) >= cycles.size())
      return;
    const TMicroCode& micro = cycles[static_cast<std::size_t>(next)];
    if (micro.Condition != TCondition::None || micro.Breakpoint) return;
    plans.push_back(&PlanOf(micro));
    planned.LastLine = micro.SourceLine;
    next = micro.NextCycle;
  }
  planned.Planned = machine_.MakeInstructionPlan(plans, planned.Plan);
  if (planned.Planned) planned.RunCycles = static_cast<std::uint64_t>(planned.Plan.Cycles);
}

bool TController::PerformPlannedInstructions(std::uint64_t checkpoint) {
  // The recorder hears of the instructions in batches.
  std::array<std::uint8_t, 64> batch{};
  std::size_t kept = 0;
  const auto tellRecorder = [&] {
    if (kept == 0) return;
    recorder_->WholeInstructions({batch.data(), kept});
    kept = 0;
  };
  // A place a changed() watches was changed between cycles: the next
  // cycle is the one to tell.
  const std::uint64_t watched = *watchedSignals_;
  if (watched != 0 && !conditions_->Unchanged(machine_)) return false;
  // The fetch shows the instruction still in I, and stops at its first line.
  int shownCode = CurrentCode();
  const TPlannedCode* shown = &PlannedCode(shownCode);
  // The counters stay in locals until the loop ends: the steps run behind
  // a call, across which members would be stored and loaded again for
  // every instruction. Nothing the loop calls reads them. Where each
  // instruction started is kept as L's bits, read as L reads only for the
  // last one, and for a target to reach.
  ICycleRecorder* const recorder = recorder_;
  const TRegister& l = machine_.Register(TRegisterId::L);
  const bool aimed = runTarget_ >= 0;
  std::uint32_t started = l.Content() & l.Mask();
  std::uint64_t cycles = cyclesPerformed_;
  std::uint64_t performed = 0;
  int lastCode = 0;
  const TPlannedCode* last = nullptr;
  for (;;) {
    if (!shown->Passable) break;
    const int code = machine_.CodeToFetch();
    const TPlannedCode& next = PlannedCode(code);
    if (cycles + next.RunCycles > checkpoint || (next.Plan.AnySignals & watched) != 0) break;
    // Asked only once an instruction is sure to follow; its room holds the
    // longest instruction.
    if (performed == 0 && recorder != nullptr)
      checkpoint = std::min(checkpoint, cycles + recorder->BeginWholeInstructions());
    started = l.Content() & l.Mask();
    machine_.PerformInstruction(next.Plan);
    if (recorder != nullptr) {
      batch[kept++] = static_cast<std::uint8_t>(next.Plan.Cycles);
      if (kept == batch.size()) tellRecorder();
    }
    ++fetches_[static_cast<std::size_t>(code)];
    cycles += static_cast<std::uint64_t>(next.Plan.Cycles);
    ++performed;
    lastCode = shownCode;
    last = shown;
    shownCode = code;
    shown = &next;
    // The target is for the checks between instructions to find.
    if (aimed && l.CurrentValue() == runTarget_) break;
  }
  tellRecorder();
  if (performed == 0) return false;
  instructionAddress_ = l.Reading(started);
  cyclesPerformed_ = cycles;
  instructionsPerformed_ += performed;
  runWhole_ += performed;
  breakpointsArmed_ = true;
  currentCycle_ = 0;
  const bool fetchOnly = shown->Plan.Cycles == 1;
  shownCode_ = fetchOnly ? lastCode : shownCode;
  shownLine_ = fetchOnly ? last->FetchLine : shown->LastLine;
  return true;
}

std::optional<TSliceEnd> TController::LookAfterCycle() {
  if (ConditionsArmed()) CheckConditions();
  const bool signalled = std::exchange(waitSignalled_, false);
  if (signalled && stopWhenInputRunsOut_ && WaitsForTyping()) {
    inputRanOut_ = true;
    throw ERunStop(TRunStop::InputExhausted, Texts::InputExhausted());
  }
  if (hosted_) host_->RefreshWatches();
  if (signalled && WaitsForTyping()) return TSliceEnd::Waiting;
  if (trackingLevel_ >= 2) return TSliceEnd::Tempo;
  return std::nullopt;
}

}  // namespace dorum
