#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/Error.h"
#include "common/Strings.h"
#include "common/Subscribers.h"
#include "control/InstructionList.h"
#include "machine/Machine.h"
#include "machine/MachineLinks.h"

namespace dorum {

class TController;
class TStopConditions;

// The control unit's place in the microprogram and its counts, as the
// history of a run keeps them.
struct TControlPlace {
  enum : std::uint8_t {
    kAtFetch = 1,
    kArmed = 2,
    kStopRequested = 4,
    kWaiting = 8,
    kFinished = 16,
    kInputRanOut = 32,
  };
  std::uint64_t Cycles = 0;
  std::uint64_t Instructions = 0;
  std::int32_t CurrentCycle = 0;
  std::int32_t CurrentLine = -1;        // of the bound program
  std::int32_t ShownCode = -1;          // the instruction of the cycle performed last
  std::int32_t ShownLine = -1;          // and its source line
  std::int32_t InstructionAddress = 0;  // where the instruction under way was fetched
  std::uint8_t Flags = 0;
};

// Whoever follows every clock cycle: the history of a run, a trace.
class ICycleRecorder {
 public:
  virtual ~ICycleRecorder() = default;
  // Before the cycle changes anything.
  virtual void BeginCycle() = 0;
  // After it, with the error that ended it, if any (the stop signal's
  // "Program został zakończony" among them). A recorder that needs no
  // cycle ends hears only of the cycles that end in an error.
  virtual void EndCycle(const EDorumError* error) = 0;
  [[nodiscard]] virtual bool NeedsCycleEnds() const { return true; }
  // A recorder that can take clean instructions in batches lets a program
  // run whole instructions: it hears of them instead of their cycles.
  [[nodiscard]] virtual bool TakesWholeInstructions() const { return false; }
  // Before the first instruction of a batch, at a fetch, with the current
  // line still where it was: how many cycles the batch may take at most (at
  // least TInstructionPlan::kMaxCycles).
  virtual std::uint64_t BeginWholeInstructions() { return 0; }
  // After instructions of the batch, begun at a fetch, that no rule can
  // stop: the cycles of each. All but the batch's first start where a run
  // showing every instruction puts the current line.
  virtual void WholeInstructions(std::span<const std::uint8_t> /*cycles*/) {}
  // The user changed how the next cycles run (manual control, "Przerwij").
  virtual void ControlChanged() {}
  // An instruction was compiled or the list was rebuilt.
  virtual void InstructionsChanged() {}
};

// The program the control unit runs: the document of the program editor
// whose assembly succeeded last. Runs move its current line and stop at its
// breakpoints; they never call into its views, which read the moved line
// and a wish for focus from the machine's record of changes. A program
// unbinds itself when it is destroyed.
class IBoundProgram {
 public:
  IBoundProgram(const IBoundProgram&) = delete;
  IBoundProgram& operator=(const IBoundProgram&) = delete;

  // The 1-based line of the instruction that runs next; -1 for none.
  [[nodiscard]] virtual int CurrentLine() const = 0;
  // Whether the current line is the line of the address (both may be -1).
  [[nodiscard]] virtual bool CurrentLineIsAt(int address) const = 0;
  virtual void SetCurrentLine(int line) = 0;
  [[nodiscard]] virtual bool HasBreakpoints() const = 0;
  [[nodiscard]] virtual bool IsBreakpointAt(int address) const = 0;
  // The address recorded for the 1-based line, or -1.
  [[nodiscard]] virtual int AddressOfLine(int line) const = 0;
  // The 1-based line of the address, or -1.
  [[nodiscard]] virtual int LineOfAddress(int address) const = 0;

 protected:
  IBoundProgram() = default;
  virtual ~IBoundProgram();

 private:
  friend class TController;  // keeps boundTo_ in step with its binding
  TController* boundTo_ = nullptr;
};

// A view that follows every clock cycle as it runs (a test, a tool that
// logs): which instruction and which line of its microprogram are shown,
// and the watches after each cycle of a run. The application's windows do
// not need it: they read ShownInstruction() and ShownCycleLine() when they
// repaint, which spares the run the calls.
class IControlHost {
 public:
  virtual ~IControlHost() = default;
  virtual void ShowInstruction(int /*code*/) {}
  virtual void ShowCycleLine(int /*line*/) {}
  virtual void RefreshWatches() {}
};

// What a run is: "Rozkaz" (one instruction), or "Program" and "Do kursora"
// (instructions until a stop, a breakpoint or the target).
enum class TRunKind : std::uint8_t { None, Instruction, Program };

// Why RunSlice (or a single cycle) returned. The last six end a run the
// way TRunStop names them; EndMessage() says it in the system's words.
enum class TSliceEnd : std::uint8_t {
  Idle,      // no run was in progress
  Budget,    // the budget is spent; the run goes on in the next slice
  Tempo,     // highest tracking level: a cycle to show before the next one
  Waiting,   // the program waits for a character on the console
  Finished,  // the cycle or the instruction ended, the target was reached
  Stopped,   // a stop was requested ("Przerwij"), or manual control
  ProgramEnded,
  Breakpoint,
  ProgramBreakpoint,
  ConditionHeld,  // HeldCondition() tells which
  CycleLimit,
  InputExhausted,
};

// Whether a run ended the way TRunStop names, with a message to show.
[[nodiscard]] constexpr bool IsRunStop(TSliceEnd end) noexcept {
  return end >= TSliceEnd::ProgramEnded;
}

// How much one slice of a run may do: at most this many cycles, and about
// this much time (the clock is read every few thousand cycles).
struct TSliceBudget {
  std::uint64_t Cycles = ~std::uint64_t{0};
  std::chrono::steady_clock::duration Time = std::chrono::steady_clock::duration::max();
};

// The control unit: for each clock cycle it chooses the signals (the fetch,
// or the current microinstruction), has the machine perform them and picks
// the next cycle from the microprogram and the flags.
class TController final : public IControlLink {
 public:
  explicit TController(TMachine& machine);
  ~TController() override;  // unbinds the bound program
  TController(const TController&) = delete;
  TController& operator=(const TController&) = delete;

  // The list is changed only through the calls below, which tell the
  // history and the views first: the list may change even when a call fails
  // (an instruction beyond the codes stays in it).
  [[nodiscard]] const TInstructionList& Instructions() const noexcept { return instructions_; }
  void AddInstruction(const TLines& lines) {
    InstructionsEdited();
    instructions_.AddInstruction(lines, machine_.CodeBits());
  }
  void DeleteInstruction(int code) {
    (void)instructions_.At(code);  // a code the list lacks changes nothing
    InstructionsEdited();
    instructions_.DeleteInstruction(code);
  }
  void ClearInstructions() {
    InstructionsEdited();
    instructions_.ClearInstructions();
  }
  void BuildDefaultInstructions() {
    InstructionsEdited();
    instructions_.BuildDefaultInstructions(machine_.CodeBits());
  }
  // Switches the breakpoint of cycle `cycle` of instruction `code`; the
  // list's index error for a cycle it does not have.
  void ToggleCycleBreakpoint(int code, int cycle);

  void SetHost(IControlHost* host) noexcept {
    host_ = host ? host : &noHost_;
    hosted_ = host != nullptr;
  }

  // Binds the program whose assembly succeeded last: runs mark its current
  // line and stop at its breakpoints. Destroying the document unbinds it.
  void SetProgramEditor(IBoundProgram* program) noexcept;
  [[nodiscard]] IBoundProgram* ProgramEditor() const noexcept { return programEditor_; }

  [[nodiscard]] const TMachine& Machine() const noexcept { return machine_; }

  // "Takt": one clock cycle, performed at once: Finished, or the stop that
  // came before or with it. A cycle the machine refuses raises its error.
  TSliceEnd ExecuteCycle();

  // Runs are states: a Start call sets one up (under manual control none
  // is), and RunSlice advances it until its budget is spent or the run
  // ends, then returns to its caller, who decides when the next slice
  // comes. Every run ends at a cycle boundary, with the reason it ended;
  // only a cycle the machine refuses ends it with an error, which
  // propagates from RunSlice.
  // "Rozkaz": cycles until the instruction ends or a stop is requested.
  void StartInstruction();
  // "Program": instructions until a stop, a breakpoint or L = target (-1
  // for none).
  void StartProgram(int target);
  // "Do kursora": the program until L reaches the address of that line of
  // the bound program; "Najpierw skompiluj program" when none is bound.
  void StartRunToLine(int line);
  TSliceEnd RunSlice(const TSliceBudget& budget);
  [[nodiscard]] bool Running() const noexcept { return runKind_ != TRunKind::None; }
  [[nodiscard]] TRunKind RunKind() const noexcept { return runKind_; }
  // Ends a run at the cycle boundary it stands at, for the application's
  // own reasons (a reset, a compile, the options...): unlike "Przerwij" it
  // leaves no stop request behind, so the next "Takt" performs its cycle.
  // The run may still end otherwise (a program breakpoint at L).
  TSliceEnd StopRun();
  // Drives the run to its end in one go, without pauses: what a run is
  // without a user watching.
  TSliceEnd FinishRun();

  // The same three run to their end at once.
  TSliceEnd ExecuteInstruction() {
    StartInstruction();
    return FinishRun();
  }
  TSliceEnd ExecuteProgram(int target) {
    StartProgram(target);
    return FinishRun();
  }
  TSliceEnd RunToLine(int line) {
    StartRunToLine(line);
    return FinishRun();
  }
  // The message of the last stop a run or a cycle ended with (see
  // IsRunStop), in the system's words.
  [[nodiscard]] const std::string& EndMessage() const noexcept { return endMessage_; }

  void SetManualControl(bool manual) {
    if (manual == manualControl_) return;
    if (recorder_ != nullptr) recorder_->ControlChanged();
    manualControl_ = manual;
    machine_.NotifyControlChanged();
  }
  [[nodiscard]] bool ManualControl() const noexcept { return manualControl_; }
  [[nodiscard]] int TrackingLevel() const noexcept { return trackingLevel_; }
  void SetTrackingLevel(int level) {
    if (level == trackingLevel_) return;
    trackingLevel_ = level;
    machine_.NotifyControlChanged();
  }
  [[nodiscard]] bool StopRequested() const noexcept { return stopRequested_; }
  // "Przerwij": the run ends at its next check. A request that outlives
  // the run makes the next single cycle report it instead of running.
  void RequestStop() {
    if (!stopRequested_ && recorder_ != nullptr) recorder_->ControlChanged();
    stopRequested_ = true;
  }
  // Takes back a request the application made only to end a run of its own.
  void WithdrawStopRequest() {
    if (stopRequested_ && recorder_ != nullptr) recorder_->ControlChanged();
    stopRequested_ = false;
  }
  [[nodiscard]] bool BreakpointsArmed() const noexcept { return breakpointsArmed_; }
  [[nodiscard]] bool AtFetch() const noexcept { return atFetch_; }
  // Whether the next cycle fetches an instruction: at the fetch, or
  // repeating a fetch that was refused or failed (the fetch has already
  // left AtFetch then, and its cycle 0 holds the same signals).
  [[nodiscard]] bool NextCycleFetches() const noexcept {
    return atFetch_ || (currentCycle_ == 0 && !manualControl_);
  }
  [[nodiscard]] int CurrentCycle() const noexcept { return currentCycle_; }
  // The instruction of the cycle performed last (during a fetch, the one
  // still in I) and the source line of that cycle; -1 before any.
  [[nodiscard]] int ShownInstruction() const noexcept { return shownCode_; }
  [[nodiscard]] int ShownCycleLine() const noexcept { return shownLine_; }
  // A click on a signal of the diagram: under manual control it switches the
  // signal on or off, otherwise it does nothing.
  void ToggleSignal(int signal);

  // The clock cycles performed since the machine was last reset: the
  // number every view gives a cycle (the timing diagram, the stop box).
  [[nodiscard]] std::uint64_t CyclesSinceReset() const noexcept {
    return cyclesPerformed_ - cyclesAtReset_;
  }
  [[nodiscard]] std::uint64_t CyclesAtReset() const noexcept { return cyclesAtReset_; }
  // Clock cycles performed, and instructions that ran to their end, since
  // construction.
  [[nodiscard]] std::uint64_t CyclesPerformed() const noexcept { return cyclesPerformed_; }
  [[nodiscard]] std::uint64_t InstructionsPerformed() const noexcept {
    return instructionsPerformed_;
  }
  // The cycles that began at the fetch, by the operation code the fetch
  // brought into I, since construction (those that then failed included).
  [[nodiscard]] std::uint64_t FetchCount(int code) const noexcept {
    return static_cast<std::size_t>(code) < fetches_.size()
               ? fetches_[static_cast<std::size_t>(code)]
               : 0;
  }
  // Of the instructions performed, those run whole from their plan.
  [[nodiscard]] std::uint64_t InstructionsRunWhole() const noexcept { return runWhole_; }
  // Whether the stop signal has ended the program since the last reset.
  [[nodiscard]] bool Finished() const noexcept { return finished_; }
  // The address L held when the instruction under way was fetched.
  [[nodiscard]] std::int32_t InstructionAddress() const noexcept { return instructionAddress_; }
  // The number (from 1) of the last cycle whose signals were refused (it is
  // not among CyclesPerformed()), or 0.
  [[nodiscard]] std::uint64_t RefusedCycle() const noexcept { return refusedCycle_; }

  // For runs without a user at the console: "Rozkaz" and "Program" end with
  // the input-exhausted message as soon as the program waits for a character
  // while the input field is empty, since nobody will ever type one.
  void SetStopWhenInputRunsOut(bool stop) noexcept { stopWhenInputRunsOut_ = stop; }
  [[nodiscard]] bool InputRanOut() const noexcept { return inputRanOut_; }
  // Lets "Rozkaz" and "Program" perform at most this many more cycles; the
  // run that would go further ends with the limit message. Without a limit
  // (the default) runs go on until they stop.
  void LimitCycles(std::uint64_t cycles) noexcept {
    limitStart_ = cyclesPerformed_;
    cycleLimit_ = cycles > kNoLimit - cyclesPerformed_ ? kNoLimit : cyclesPerformed_ + cycles;
  }
  void RemoveCycleLimit() noexcept { cycleLimit_ = kNoLimit; }
  [[nodiscard]] bool CycleLimitReached() const noexcept { return cyclesPerformed_ >= cycleLimit_; }

  // The stop conditions checked after every cycle of a run (none: no
  // check at all). The first that holds ends the run with the condition's
  // message, after the cycle in which it held.
  void SetStopConditions(TStopConditions* conditions) noexcept { conditions_ = conditions; }
  // The index of the condition that ended the last run, or -1.
  [[nodiscard]] int HeldCondition() const noexcept { return heldCondition_; }

  // The operation code in register I, from its stored bits.
  [[nodiscard]] int CurrentCode() const noexcept;

  // Tells the recorder of every cycle for as long as the subscription
  // lives; any number may listen (a history, a trace, a timing dump), and
  // whole instructions run only when every one of them takes them.
  using TRecording = TSubscribers<ICycleRecorder>::TSubscription;
  [[nodiscard]] TRecording RecordCycles(ICycleRecorder& recorder) {
    return recorders_.Subscribe(recorder);
  }
  // The current line of the bound program, -1 without one.
  [[nodiscard]] int BoundLine() const {
    return programEditor_ != nullptr ? programEditor_->CurrentLine() : -1;
  }
  [[nodiscard]] TControlPlace Place() const noexcept {
    TControlPlace place;
    place.Cycles = cyclesPerformed_;
    place.Instructions = instructionsPerformed_;
    place.CurrentCycle = currentCycle_;
    place.CurrentLine = programEditor_ != nullptr ? programEditor_->CurrentLine() : -1;
    place.ShownCode = shownCode_;
    place.ShownLine = shownLine_;
    place.InstructionAddress = instructionAddress_;
    place.Flags = static_cast<std::uint8_t>((atFetch_ ? TControlPlace::kAtFetch : 0) |
                                            (breakpointsArmed_ ? TControlPlace::kArmed : 0) |
                                            (stopRequested_ ? TControlPlace::kStopRequested : 0) |
                                            (waitingForInput_ ? TControlPlace::kWaiting : 0) |
                                            (finished_ ? TControlPlace::kFinished : 0) |
                                            (inputRanOut_ ? TControlPlace::kInputRanOut : 0));
    return place;
  }

  // IControlLink
  [[nodiscard]] bool WaitingForInput() const override { return waitingForInput_; }
  void SetWaitingForInput(bool waiting) override {
    waitingForInput_ = waiting;
    waitSignalled_ = waitSignalled_ || waiting;
  }
  void ProgramFinished() override;
  void ResetControl() override;
  [[nodiscard]] int InstructionCount() const override { return instructions_.Count(); }
  [[nodiscard]] std::string InstructionName(int code) const override {
    return instructions_.At(code).Name();
  }

  // Stepping back: the place as Place() gave it, and one cycle performed
  // again exactly as it ran, told to nobody and stopping at no breakpoint
  // set since.
  void RestorePlace(const TControlPlace& place);
  void ReplayCycle(bool manual);
  // Everything a cycle performed again may change, for a look back that
  // puts it all back; the bound program's line is put back unseen.
  struct TSavedState {
    TControlPlace Place;
    std::uint64_t RefusedCycle = 0;
    bool WaitSignalled = false;
  };
  [[nodiscard]] TSavedState SaveState() const noexcept {
    return {Place(), refusedCycle_, waitSignalled_};
  }
  void RestoreState(const TSavedState& state);

 private:
  // ExecuteCycle within a run: a stop propagates as ERunStop.
  void StepCycle();
  // Notes the stop and returns it as the reason a run ended.
  TSliceEnd Ended(const ERunStop& stop);
  void InstructionsEdited() {
    if (recorder_ != nullptr) recorder_->InstructionsChanged();
    machine_.NotifyInstructionsChanged();
  }
  void PerformCycle();
  // PerformCycle, counting the fetches.
  void PerformCountedCycle() {
    const bool fetching = atFetch_;
    try {
      PerformCycle();
    } catch (...) {
      if (fetching) CountFetch();
      throw;
    }
    if (fetching) CountFetch();
  }
  void CountFetch() noexcept { ++fetches_[static_cast<std::size_t>(CurrentCode()) & 0xFFu]; }
  void ExecuteRecordedCycle();
  void ExecuteManualCycle();
  // The rare ends of a cycle, kept out of its way.
  [[noreturn, gnu::cold, gnu::noinline]] void RefuseMissingCycle(int code);
  [[gnu::cold]] void CountEndingCycle() noexcept;
  [[noreturn, gnu::cold, gnu::noinline]] void StopAtBreakpoint(int code);
  // Cycle `cycle` of instruction `code`, or none.
  [[nodiscard]] const TMicroCode* FindCycle(int code, int cycle) const noexcept;
  void SelectNextCycle(int performedCode, const TMicroCode& performed);
  // The plan of a cycle's signals for the present configuration.
  [[nodiscard]] const TCyclePlan& PlanOf(const TMicroCode& micro) {
    if (micro.Plan.Generation != machine_.PlanGeneration()) [[unlikely]]
      micro.Plan = machine_.MakePlan(micro.Signals.Low());
    return micro.Plan;
  }
  [[nodiscard]] const TCyclePlan& FetchPlan();
  // Whole instructions while nothing needs to look between their cycles,
  // as long as they fit before the checkpoint; false when none ran.
  // Kept a function of its own: V8 moves a WebAssembly function to its
  // optimising compiler only between calls, so this loop inlined into the
  // slice (or into main), which is called once for a whole run, would stay
  // in baseline code for good. "used" keeps emscripten's optimiser from
  // inlining it into its one caller as well. Called once per checkpoint,
  // the call costs nothing natively.
  [[gnu::noinline, gnu::used]] bool PerformPlannedInstructions(std::uint64_t checkpoint);
  // The plan of the instruction with this code, made once a slice: the
  // list, the configuration and the breakpoints cannot change during one.
  struct TPlannedCode {
    std::uint64_t Slice = 0;
    bool FetchStops = false;  // a breakpoint on its first line
    bool Planned = false;     // the plan holds the instruction
    // The cycles a run of whole instructions counts for it: too many for
    // any run when it has no plan, so one comparison tells both.
    std::uint64_t RunCycles = std::uint64_t{1} << 62;
    // The code has an instruction without a breakpoint on its first line:
    // a run of whole instructions may fetch the next one while it is in I.
    bool Passable = false;
    std::int32_t FetchLine = 0;  // the line a fetch shows while I holds it
    std::int32_t LastLine = 0;   // the line of its last cycle
    TInstructionPlan Plan;
  };
  [[nodiscard]] const TPlannedCode& PlannedCode(int code);
  void MakePlannedCode(int code, TPlannedCode& planned);
  // Cycle `cycle` of instruction `code`, or the list's index error.
  [[nodiscard]] const TMicroCode& MicroCodeAt(int code, int cycle) const;
  // The checks between the instructions of a run; the end of the slice,
  // or none when the run goes on.
  [[nodiscard]] std::optional<TSliceEnd> EndInstruction();
  [[nodiscard]] TSliceEnd PerformSlice(const TSliceBudget& budget);
  // How many cycles a slice runs before it reads the clock again.
  [[nodiscard]] std::uint64_t CyclesToClockCheck() noexcept;
  // What a wait for input, a view that follows every cycle or the highest
  // tracking level make of a cycle just performed.
  [[nodiscard]] std::optional<TSliceEnd> LookAfterCycle();
  [[nodiscard]] bool WaitsForTyping() const;
  [[nodiscard]] bool ConditionsArmed() const noexcept;
  void BeginConditions() noexcept;
  [[gnu::cold]] void CheckConditions();
  // Moves the bound program's current line, telling the views.
  void MoveBoundLine(int line);
  TSliceEnd EndRun(TSliceEnd end) noexcept {
    runKind_ = TRunKind::None;
    instructionOpen_ = false;
    return end;
  }

  // Every recorder hears of a cycle through this one, which the hot path
  // calls when two or more listen.
  class TRecorders final : public ICycleRecorder {
   public:
    explicit TRecorders(TSubscribers<ICycleRecorder>& list) noexcept : list_(list) {}
    void BeginCycle() override;
    void EndCycle(const EDorumError* error) override;
    [[nodiscard]] bool NeedsCycleEnds() const override;
    [[nodiscard]] bool TakesWholeInstructions() const override;
    std::uint64_t BeginWholeInstructions() override;
    void WholeInstructions(std::span<const std::uint8_t> cycles) override;
    void ControlChanged() override;
    void InstructionsChanged() override;

   private:
    TSubscribers<ICycleRecorder>& list_;
  };
  // After a recorder came or went.
  void ChooseRecorder() noexcept;

  TMachine& machine_;
  TInstructionList instructions_;
  IControlHost noHost_;
  IControlHost* host_ = &noHost_;
  bool hosted_ = false;  // lets a headless run skip the per-cycle calls
  IBoundProgram* programEditor_ = nullptr;
  TSubscribers<ICycleRecorder> recorders_;
  TRecorders allRecorders_{recorders_};
  // The one the cycles tell: none, the only one, or all through allRecorders_.
  ICycleRecorder* recorder_ = nullptr;
  bool recorderEnds_ = false;  // the recorder hears of cycles that end well
  TCyclePlan fetchPlan_;
  std::array<std::uint64_t, std::size_t{1} << kMaxCodeBits> fetches_{};
  std::vector<TPlannedCode> plannedCodes_;
  std::uint64_t slice_ = 0;
  std::uint32_t clockDraw_ = 0x9E3779B9u;  // never 0: the generator would stay there
  std::uint64_t runWhole_ = 0;
  bool breakpointsArmed_ = true;
  bool manualControl_ = false;
  bool replaying_ = false;
  bool waitingForInput_ = false;
  // A cycle of the run asked to wait ("start" or "wyg" found no character):
  // the flag alone may be left from a run that ended while it waited.
  bool waitSignalled_ = false;
  bool atFetch_ = true;
  int currentCycle_ = 0;
  int shownCode_ = -1;
  int shownLine_ = -1;
  bool stopRequested_ = false;
  int trackingLevel_ = 2;
  static constexpr std::uint64_t kNoLimit = ~std::uint64_t{0};
  std::uint64_t cyclesPerformed_ = 0;
  std::uint64_t cyclesAtReset_ = 0;
  std::uint64_t instructionsPerformed_ = 0;
  std::uint64_t refusedCycle_ = 0;
  std::int32_t instructionAddress_ = 0;
  bool finished_ = false;
  bool stopWhenInputRunsOut_ = false;
  bool inputRanOut_ = false;
  std::uint64_t cycleLimit_ = kNoLimit;
  std::uint64_t limitStart_ = 0;
  TRunKind runKind_ = TRunKind::None;
  bool instructionOpen_ = false;  // the run is inside an instruction
  int runTarget_ = -1;
  TStopConditions* conditions_ = nullptr;
  // This slice's: the signals whose instructions run cycle by cycle for
  // the stop conditions; none: every instruction does.
  std::optional<std::uint64_t> watchedSignals_;
  int heldCondition_ = -1;
  std::string endMessage_;
};

}  // namespace dorum
