#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Commands.h"
#include "common/Text.h"
#include "control/CommentFilter.h"
#include "diagram/TimingLanes.h"
#include "program/Colouring.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

// The application as both editions present it: one session with its
// history, the run in progress as a state machine advanced in slices by the
// edition's clock, the commands' rules and the dialogs' models. The desktop
// and the page only supply a clock, draw and ask their questions.
namespace dorum {

// The pause between cycles at the highest tracking level ("Tempo"), in ms.
inline constexpr int kDefaultTempo = 100;
inline constexpr int kMaxTempo = 2000;
// The tempos offered, as the tracking panel lists them.
struct TTempoChoice {
  int Milliseconds;
  std::string_view Text;
};
inline constexpr std::array<TTempoChoice, 7> kTempos = {{
    {0, "bez opóźnienia"},
    {50, "0,05 s na takt"},
    {100, "0,1 s na takt"},
    {250, "0,25 s na takt"},
    {500, "0,5 s na takt"},
    {1000, "1 s na takt"},
    {kMaxTempo, "2 s na takt"},
}};
// The tracking level a new application starts at: a run shows each
// instruction.
inline constexpr int kStartTrackingLevel = 1;
// How many of the last cycles the timing diagram shows.
inline constexpr std::size_t kTimingDepth = 2000;

// The run commands.
enum class TRunCommand : std::uint8_t {
  Cycle,        // "Takt": one clock cycle, done at once
  Instruction,  // "Rozkaz"
  Program,      // "Program"
  ToLine,       // "Do kursora"
};

// What a call that may fail tells the user: nothing, or the message in the
// box's words, with the place of the word a compile stopped at.
struct TOutcome {
  bool Ok = true;
  std::string Message;
  int Line = 0;  // 1-based; 0 when the error has no place
  int Column = 0;
  // The characters the editor marks (see ErrorMarkRange), when placed.
  TMarkRange Mark;
  // News for an information box after a success: the stop conditions that
  // stopped being checked because their names no longer resolve.
  std::string Notice;
  // The information box a success opens ("Program został skompilowany"),
  // if any.
  std::string Information;
};

// A stop condition as its dialog lists it.
struct TStopConditionRow {
  std::string Text;     // with its problem, for one whose names do not resolve
  bool Checked = true;  // checked now
  bool Checkable = true;
  std::string Problem;  // why its names do not resolve, if they do not
};

// What adding a typed condition did: its place in the list, or why not
// (the text stays for mending); a note when the list held it already.
struct TStopConditionAdded {
  bool Ok = true;
  std::string Message;
  int Index = -1;
};

// What the edition's clock does next for the run.
enum class TRunNext : std::uint8_t {
  Ended,  // no run (any more): show the box, if any
  Slice,  // the next slice at once, after the event loop's turn
  Pause,  // show the cycle, then the next slice after DelayMs
  Input,  // nothing until the user types (or acts otherwise)
};

// Where the run stands after a call, and how it ended.
struct TRunStep {
  TRunNext Next = TRunNext::Ended;
  int DelayMs = 0;
  // How the last piece ended, for the views (a stop condition brings the
  // program's editor forward before the box opens).
  TSliceEnd End = TSliceEnd::Idle;
  TBoxKind Box = TBoxKind::None;
  std::string Message;  // in the box's words
  [[nodiscard]] bool Running() const noexcept { return Next != TRunNext::Ended; }
};

// The one-line box that asks for a value: its title, its label and the value
// it starts with.
struct TValueQuestion {
  std::string Title;
  std::string Label;
  std::string Value;
};

// A text file opened: its lines joined by "\n", and how it was stored, so
// that it is saved back the same way.
struct TOpenedText {
  TOutcome Outcome;
  std::string Text;
  TTextEncoding Encoding = TTextEncoding::Cp1250;
  TLineEnd LineEnd = TLineEnd::CrLf;
};

// Which editor "Otwórz" opens a file in: a program's for a name ending in
// ".prg" (in any case), an instruction's for any other name, an instruction
// list's included: a list replaces the machine only through "Ładuj listę
// rozkazów", which asks for it by name.
enum class TFileKind : std::uint8_t { Program, Instruction };
[[nodiscard]] TFileKind FileKindOf(std::string_view name);

// How much one slice of a run may do at each tracking level: long enough
// that the turns of the event loop cost nothing, short enough that the
// application answers at once; at the middle level the views follow
// instructions, so the loop turns more often.
[[nodiscard]] TSliceBudget SliceBudget(int trackingLevel) noexcept;

class TApplication {
 public:
  // Files handed over as bytes pass through `folder` (the module's own file
  // system in the browser, where the empty name means its root).
  explicit TApplication(std::string folder = {});

  [[nodiscard]] const TSession& Session() const noexcept { return session_; }
  [[nodiscard]] TSession& Session() noexcept { return session_; }
  [[nodiscard]] const TProgramDocument& Program() const noexcept { return program_; }
  // The line of the program that runs next (0 for none).
  [[nodiscard]] int CurrentLine() const { return program_.CurrentLine(); }

  // ---- commands ----

  [[nodiscard]] TCommandState CommandState(bool editor = true) const noexcept;
  [[nodiscard]] bool Enabled(TCommandId command, bool editor = true) const noexcept {
    return CommandEnabled(command, CommandState(editor));
  }
  // Whether a run in progress lets the command be given now.
  [[nodiscard]] bool Allows(TCommandId command) const noexcept {
    return !running_ || CommandRow(command).DuringRun != TDuringRun::Refused;
  }
  // Whether going to that cycle of the timing diagram runs forward (as
  // "Takt" runs) rather than stepping back.
  [[nodiscard]] bool GoesForward(std::uint64_t cycle) const;
  // Before a command acts: false when it is refused now. A run it stops
  // ends first; `ended` then tells how (an error of its last cycle).
  [[nodiscard]] bool Admit(TCommandId command, TRunStep& ended);
  // The same where how the run ended is shown by nobody.
  [[nodiscard]] bool Admit(TCommandId command);

  // ---- the run ----

  // Starts a run ("Takt" is done at once); `line` is the target line of "Do
  // kursora". Refused (Ended, no box) while a run is in progress.
  TRunStep Start(TRunCommand command, int line = 0);
  // A run set up in the control unit by `start` (refused while another is
  // in progress), and a run done in one piece by `piece` ("Takt"), which
  // ends as a slice of a sliced run ends.
  TRunStep StartWith(const std::function<void()>& start);
  TRunStep RunWhole(const std::function<TSliceEnd()>& piece);
  // Advances the run in progress by one slice of the tracking level's
  // budget, or of `budget` when given.
  TRunStep Slice();
  TRunStep Slice(const TSliceBudget& budget);
  // "Przerwij": the run ends at its next check; true when a run was there
  // to stop, so that its pause is cut short.
  bool RequestStop();
  [[nodiscard]] bool Running() const noexcept { return running_; }
  [[nodiscard]] bool Waiting() const noexcept { return running_ && waiting_; }
  [[nodiscard]] int Tempo() const noexcept { return tempo_; }
  // Kept within 0..kMaxTempo; false when it did not change.
  bool SetTempo(int ms);
  // "Poziom śledzenia": 0 program, 1 instruction, 2 cycle.
  void SetTrackingLevel(int level) { session_.Control().SetTrackingLevel(level); }
  // "Sterowanie ręczne": a run in progress stops first.
  TRunStep SetManualControl(bool manual);

  // "Reset": a run in progress stops first.
  TOutcome Reset();
  // "Cofnij takt" (false) and "Cofnij rozkaz" (true); false when nothing was
  // undone or a run is in progress.
  bool StepBack(bool wholeInstruction);
  // That many "Cofnij takt" at once; false when nothing was undone.
  bool StepBackSteps(std::uint64_t steps);

  // ---- files, programs and the list ----

  [[nodiscard]] TOpenedText OpenText(const std::string& name, std::string_view bytes) const;
  // The question to ask before saving the text in that encoding, or empty:
  // a file of code page 1250 with a character the code page lacks may be
  // saved in UTF-8 instead.
  [[nodiscard]] static std::string SaveQuestion(const std::string& text, TTextEncoding encoding,
                                                const std::string& name);
  // The bytes to save, the editor's last empty line being no line of the
  // file; the outcome tells a character the encoding lacks.
  [[nodiscard]] static std::string EncodeText(const std::string& text, TTextEncoding encoding,
                                              TLineEnd lineEnd, TOutcome& outcome);

  // Loads an instruction list from its file's bytes; a run stops first.
  TOutcome LoadList(const std::string& name, std::string_view bytes);
  // A task's list in place of the machine's: with `keepOwn`, the
  // instructions the student compiled that the new list lacks (by name) are
  // compiled into it again from their source, so that loading a task's
  // list never drops the student's work. The first of them that the new
  // machine refuses is told, the rest still kept; a run stops first.
  TOutcome LoadListKeeping(const std::string& name, std::string_view bytes, bool keepOwn);
  // The names of the instructions LoadListKeeping would keep: those of the
  // current list that the list in `bytes` lacks (none when it cannot be read).
  [[nodiscard]] std::vector<std::string> InstructionsLacking(const std::string& name,
                                                             std::string_view bytes);
  // Loads the list file at `path`; a run stops first.
  TOutcome LoadListFile(const std::string& path);
  // The instruction list as its file holds it.
  [[nodiscard]] std::string SaveList();
  // The machine the application starts with, for an example that has no
  // list of its own; a run stops first.
  TOutcome RestoreDefaultMachine();
  // Whether the student changed the list since it was loaded or restored.
  [[nodiscard]] bool ListChanged() const noexcept { return session_.ListChanged(); }
  void SetListChanged(bool changed) noexcept { session_.SetListChanged(changed); }
  // The question before an example's machine replaces a list the student
  // changed, or empty when nothing would be lost. `list` is the name of the
  // example's own list, empty for the default machine.
  [[nodiscard]] std::string ExampleQuestion(std::string_view example, std::string_view list) const;
  // The same before a course's task loads its list.
  [[nodiscard]] std::string TaskQuestion(std::string_view task, std::string_view list) const;

  // Assembles the program into memory with breakpoints at those lines (from
  // 1); a run stops first.
  TOutcome CompileProgram(const std::string& text, const std::vector<int>& breakpoints = {});
  // The compiled program's breakpoints, from now on exactly these lines.
  void SetBreakpoints(const std::vector<int>& lines);
  // Compiles an instruction's text into the list; a run stops first. The
  // list may change even when the compile fails.
  TOutcome CompileInstruction(const std::string& text);
  TOutcome CompileInstruction(const TLines& lines);
  // The check the editors make as the student types: the compile's first
  // error, with its place, but nothing stored or changed.
  TOutcome CheckProgram(const std::string& text);
  [[nodiscard]] static TOutcome CheckInstruction(const std::string& text);
  // The editors' colours of a text, line by line: for a program with the
  // mnemonics the assembler accepts now.
  [[nodiscard]] std::vector<std::vector<TWordSpan>> Colour(bool program,
                                                           const std::string& text) const;
  // The words the editors complete: an instruction's keywords and the
  // machine's signal names, or a program's directives and the mnemonics the
  // assembler accepts now; sorted regardless of case, each once.
  [[nodiscard]] std::vector<std::string> CompletionWords(bool program) const;

  // "Usuń rozkaz": a run stops first.
  TOutcome DeleteInstruction(int code);
  // "Punkt zatrzymania" at a line (from 0) of an instruction's source; false
  // when no cycle begins there.
  bool ToggleBreakpointAtLine(int code, int line);

  // Does what may rename (an assembly, a list, the options) and tells which
  // stop conditions it left unchecked, in an information box's words; empty
  // when none.
  std::string Renamed(const std::function<void()>& action);

  // ---- the options dialog ----

  // The fields as the student typed them: the numbers of the interrupt
  // vectors (address) and of the devices (input port, output port, input
  // interrupt, output interrupt) are read as integers, and nothing is
  // written unless all of them are numbers. Component 0 is always on. A run
  // stops first. The outcome's Line names the field at fault: 1-4 a
  // vector's address, 5-8 a device's number.
  TOutcome Configure(TMachineOptions options, const std::array<std::string, 4>& vectorAddresses,
                     const std::array<std::string, 4>& deviceNumbers);

  // ---- the stop conditions dialog ----

  // Edits a copy of the session's conditions, looked up again against the
  // machine and labels now; a run stops first. OK writes it back.
  TRunStep EditStopConditions();
  [[nodiscard]] std::vector<TStopConditionRow> StopConditionRows() const;
  [[nodiscard]] const TStopConditions& StopConditionsDraft() const noexcept { return stopDraft_; }
  TStopConditionAdded AddStopCondition(const std::string& text);
  void RemoveStopCondition(int index);
  void ClearStopConditions() { stopDraft_.Clear(); }
  void SetStopConditionChecked(int index, bool checked);
  void CommitStopConditions();
  // "Zatrzymaj przy zmianie" on a watch (its place in "Zmienne").
  TOutcome StopOnChange(int watch);
  // The conditions in force as kept across a reload of the page, and put
  // back: each as written with the student's choice; one whose names do
  // not resolve yet waits for the program that has them.
  struct TKeptStopCondition {
    std::string Text;
    bool Enabled = true;
  };
  [[nodiscard]] std::vector<TKeptStopCondition> KeptStopConditions() const;
  void RestoreStopConditions(const std::vector<TKeptStopCondition>& kept);

  // ---- the timing diagram ----

  // The last `count` cycles of the history (what stepping back keeps),
  // oldest first, with the lanes that show them and the state before the
  // first; no cycles without a history. After stepping back the cycles
  // stepped back over follow the current one (`Current`, an index into
  // Cycles), as long as every cycle shown before and recorded now came out
  // the same: going forward performs them again.
  struct TTiming {
    std::vector<TTimingLane> Lanes;
    std::vector<TRecordedCycle> Cycles;
    TCycleSample Before;
    std::size_t Current = 0;
  };
  [[nodiscard]] TTiming Timing(std::size_t count, const std::vector<TRegisterId>& registers = {});
  // A click on a cycle of the timing diagram: an earlier one steps back to
  // its end, a later one (of those stepped back over) runs forward to it as
  // "Takt" does. Nothing happens (Ended, no box) when it is not recorded or
  // a run goes on.
  TRunStep GoToCycle(std::uint64_t number);
  // Those cycles as a Value Change Dump, numbered from 1; empty when there
  // are none.
  [[nodiscard]] std::string TimingVcd(std::size_t count);

  // ---- between cycles ----

  // What the box asks before a register's or a memory word's value is
  // entered ("Rejestr AK", "Aktualna wartość").
  [[nodiscard]] TValueQuestion RegisterQuestion(TRegisterId id) const;
  [[nodiscard]] TValueQuestion MemoryQuestion(int address) const;
  TOutcome EnterRegister(TRegisterId id, const std::string& text);
  TOutcome EnterMemory(int address, const std::string& text);
  void ToggleSignal(int signal) { session_.Control().ToggleSignal(signal); }
  TOutcome SetDisplayMode(TRegisterId id, TDisplayMode mode);
  TOutcome ZeroRegister(TRegisterId id);
  // "Wyczyść pamięć": a run stops first.
  void ClearMemory();
  TOutcome RaiseInterrupt(int line);
  // The console's "Clear": its output emptied, a step back can bring it back.
  void ClearConsoleOutput() { session_.Machine().ClearConsoleOutput(); }
  // The console's input field, edited from `before` (what it showed) to
  // `after`: characters typed ahead stay there, editable, until the program
  // reads them from the front. Those it read since the field showed `before`
  // are gone from `after` too, so that a field a step behind the machine
  // gives nothing twice. True when a run that waited for input goes on.
  bool SetConsoleInput(const std::string& before, const std::string& after);

 private:
  // Ends a run in progress at its cycle boundary, for a command that needs
  // the machine still (a compile, a load, a reset).
  TRunStep StopRun();
  // The one way a run advances: performs a piece of it and goes on, pauses
  // or ends as the piece says.
  template <typename TPiece>
  TRunStep Advance(TPiece&& piece);
  // What a refused run command answers: the run in progress goes on as it
  // stood.
  [[nodiscard]] TRunStep Refused() const noexcept;
  TRunStep EndOf(TSliceEnd end);
  TRunStep Failed(const std::string& message);
  [[nodiscard]] std::string PathOf(const std::string& name) const;
  // Runs what may rename (a compile, a list, the options) and tells which
  // stop conditions that left unchecked.
  template <typename TAction>
  TOutcome Renaming(TAction&& action, const TLines& lines = {});

  TSession session_{true};
  TProgramDocument program_;
  std::string folder_;
  std::string listPath_;       // the list file loaded last
  TStopConditions stopDraft_;  // the stop conditions' dialog's copy
  // The timing diagram's cycles last given, those after the current one
  // too: what stepping back keeps in sight.
  std::vector<TRecordedCycle> timingShown_;
  bool running_ = false;
  bool waiting_ = false;
  int tempo_ = kDefaultTempo;
};

}  // namespace dorum
