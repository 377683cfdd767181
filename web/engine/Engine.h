#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Text.h"
#include "control/CommentFilter.h"
#include "diagram/TimingLanes.h"
#include "program/Colouring.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

// The web page's simulated computer: one session with its history and the
// program document, offered as the few calls the page's worker makes. The
// rules stay in the session; this only translates between the page's
// requests and the session's use cases, as the desktop's application does.
namespace dorum::web {

// The run commands of the page, named as on the desktop.
enum class TRunCommand : std::uint8_t {
  Cycle,        // "Takt": one clock cycle, done at once
  Instruction,  // "Rozkaz"
  Program,      // "Program"
  ToLine,       // "Do kursora"
};

// What a call that may fail tells the page: nothing, or the message in the
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
};

// A stop condition as its dialog lists it.
struct TStopConditionRow {
  std::string Text;     // with its problem, for one whose names do not resolve
  bool Checked = true;  // checked now
  bool Checkable = true;
};

// What adding a typed condition did: its place in the list, or why not
// (the text stays for mending); a note when the list held it already.
struct TStopConditionAdded {
  bool Ok = true;
  std::string Message;
  int Index = -1;
};

// Where a run stands after a call: still going (the page asks for the next
// slice), paused for console input, or ended with the box to show.
struct TRunState {
  bool Running = false;
  bool Waiting = false;
  bool Pause = false;  // highest tracking level: a cycle to show, then the tempo's pause
  TBoxKind Box = TBoxKind::None;
  std::string Message;
};

// A text file the page opened: its lines joined by "\n", and how it was
// stored, so that it is saved back the same way.
struct TOpenedText {
  TOutcome Outcome;
  std::string Text;
  TTextEncoding Encoding = TTextEncoding::Cp1250;
  TLineEnd LineEnd = TLineEnd::CrLf;
};

class TEngine {
 public:
  // Files the page hands over pass through `folder` (the module's own file
  // system in the browser, where the empty name means its root).
  explicit TEngine(std::string folder = {});

  // Files, in the desktop's encodings and with its refusals ("Nie można
  // załadować pliku NAME ..."); `name` is what the message calls the file.
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
  // The instruction list as its file holds it.
  [[nodiscard]] std::string SaveList();
  // Assembles the program into memory with breakpoints at those lines (from
  // 1); a run stops first.
  TOutcome CompileProgram(const std::string& text, const std::vector<int>& breakpoints = {});
  // The compiled program's breakpoints, from now on exactly these lines.
  void SetBreakpoints(const std::vector<int>& lines);
  // Compiles an instruction's text into the list; a run stops first.
  TOutcome CompileInstruction(const std::string& text);

  // The options dialog's fields as the student typed them: the numbers of
  // the interrupt vectors (address) and of the devices (input port, output
  // port, input interrupt, output interrupt) are read as the desktop reads
  // them, and nothing is written unless all of them are numbers. A run
  // stops first. `Field` of the outcome's Line names the field at fault:
  // 1-4 a vector's address, 5-8 a device's number.
  TOutcome Configure(TMachineOptions options, const std::array<std::string, 4>& vectorAddresses,
                     const std::array<std::string, 4>& deviceNumbers);

  // "Usuń rozkaz": a run stops first.
  TOutcome DeleteInstruction(int code);
  // "Punkt zatrzymania" at a line (from 0) of an instruction's source; false
  // when no cycle begins there.
  bool ToggleBreakpointAtLine(int code, int line);

  // The check the editors make as the student types: the compile's first
  // error, with its place, but nothing stored or changed.
  TOutcome CheckProgram(const std::string& text);
  [[nodiscard]] static TOutcome CheckInstruction(const std::string& text);

  // The editors' colours of a text, line by line: for a program with the
  // mnemonics the assembler accepts now.
  [[nodiscard]] std::vector<std::vector<TWordSpan>> Colour(bool program,
                                                           const std::string& text) const;

  // Starts a run ("Takt" is done at once); `line` is the target line of "Do
  // kursora". Refused while a run is in progress.
  TRunState Start(TRunCommand command, int line = 0);
  // Advances the run in progress for about `milliseconds`.
  TRunState Slice(double milliseconds);
  // "Przerwij": the run ends at its next check.
  void RequestStop();
  // "Reset": a run in progress stops first.
  TOutcome Reset();
  // "Cofnij takt" (false) and "Cofnij rozkaz" (true); false when nothing was
  // undone or a run is in progress.
  bool StepBack(bool wholeInstruction);
  [[nodiscard]] bool Running() const noexcept { return running_; }
  // Whether the command may be given now, as the desktop greys it: no run
  // command during a run, "Rozkaz" and "Program" not under manual control,
  // stepping back only over what the history holds.
  [[nodiscard]] bool CanStart(TRunCommand command) const noexcept;
  [[nodiscard]] bool CanStepBack(bool wholeInstruction) const noexcept;

  // The stop conditions' dialog edits a copy of the session's conditions,
  // looked up again against the machine and labels now; OK writes it back.
  void EditStopConditions();
  [[nodiscard]] std::vector<TStopConditionRow> StopConditionRows() const;
  TStopConditionAdded AddStopCondition(const std::string& text);
  void RemoveStopCondition(int index);
  void ClearStopConditions() { stopDraft_.Clear(); }
  void SetStopConditionChecked(int index, bool checked);
  void CommitStopConditions();
  // "Zatrzymaj przy zmianie" on a watch (its place in "Zmienne").
  TOutcome StopOnChange(int watch);

  // "Przebiegi czasowe": the last `count` cycles of the history (what
  // stepping back keeps), oldest first, with the lanes that show them and
  // the state before the first; no cycles without a history.
  struct TTiming {
    std::vector<TTimingLane> Lanes;
    std::vector<TRecordedCycle> Cycles;
    TCycleSample Before;
  };
  [[nodiscard]] TTiming Timing(std::size_t count, const std::vector<TRegisterId>& registers = {});
  // A click on an earlier cycle of the timing diagram: steps back to the
  // end of it; false when it is not recorded, not earlier, or a run goes on.
  bool GoToCycle(std::uint64_t number);
  // Those cycles as a Value Change Dump, numbered from 1; empty when there
  // are none.
  [[nodiscard]] std::string TimingVcd(std::size_t count);

  // What a student enters between cycles.
  TOutcome EnterRegister(TRegisterId id, const std::string& text);
  TOutcome EnterMemory(int address, const std::string& text);
  void ToggleSignal(int signal) { session_.Control().ToggleSignal(signal); }
  // A register's menu: "Pokaż jako" and "Zeruj".
  TOutcome SetDisplayMode(TRegisterId id, TDisplayMode mode);
  TOutcome ZeroRegister(TRegisterId id);
  // "Wyczyść pamięć": stops a run first, as the desktop does.
  void ClearMemory();
  void SetManualControl(bool manual);
  // "Poziom śledzenia": 0 program, 1 instruction, 2 cycle.
  void SetTrackingLevel(int level) { session_.Control().SetTrackingLevel(level); }
  // An interrupt button.
  TOutcome RaiseInterrupt(int line);
  void TypeInput(const std::string& text);

  // The speed yardstick's loop run for `cycles` in a session of its own:
  // cycles per second, 0 when it did not reach the limit.
  [[nodiscard]] static double MeasureSpeed(double cycles);

  [[nodiscard]] const TSession& Session() const noexcept { return session_; }
  [[nodiscard]] TSession& Session() noexcept { return session_; }
  [[nodiscard]] const TProgramDocument& Program() const noexcept { return program_; }
  // The line of the program that runs next (0 for none).
  [[nodiscard]] int CurrentLine() const { return program_.CurrentLine(); }

 private:
  // Ends a run in progress at its cycle boundary, for a command that needs
  // the machine still (a compile, a load, a reset).
  void StopRun();
  [[nodiscard]] std::string PathOf(const std::string& name) const;
  TRunState EndOf(TSliceEnd end);
  // Runs what may rename (a compile, a list, the options) and tells which
  // stop conditions that left unchecked.
  template <typename TAction>
  TOutcome Renaming(TAction&& action, const TLines& lines = {});
  TRunState Failed(const EDorumError& error);

  TSession session_{true};
  TProgramDocument program_;
  std::string folder_;
  std::string listPath_;       // the list file loaded last
  TStopConditions stopDraft_;  // the stop conditions' dialog's copy
  bool running_ = false;
};

}  // namespace dorum::web
