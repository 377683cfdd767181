#include "Engine.h"

#include <chrono>
#include <filesystem>
#include <sstream>
#include <utility>

#include "Yardstick.h"
#include "common/Strings.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/Instruction.h"

namespace dorum::web {

namespace {

// The page's text has "\n" between lines, as a browser's text area gives it.
TLines LinesOf(const std::string& text) {
  TLines lines = Split(text, '\n');
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  return lines;
}

// The error of a text the page sent; a placed one with the editor's mark.
// The lines a file gets: the editor's last line, empty after the last line
// break, is no line of the file.
TLines FileLinesOf(const std::string& text) {
  TLines lines = LinesOf(text);
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

TOutcome OutcomeOf(const EDorumError& error, const TLines& lines = {}) {
  TOutcome outcome;
  outcome.Ok = false;
  outcome.Message = error.Message();
  if (const auto* positioned = dynamic_cast<const EControlException*>(&error)) {
    outcome.Line = positioned->Line();
    outcome.Column = positioned->Column();
    outcome.Mark = ErrorMarkRange(lines, outcome.Line, outcome.Column);
  }
  return outcome;
}

// Does the action; its error becomes the outcome, placed in `lines`.
template <class TAction>
TOutcome Trying(TAction&& action, const TLines& lines = {}) {
  try {
    action();
  } catch (const EDorumError& e) {
    return OutcomeOf(e, lines);
  }
  return {};
}

}  // namespace

template <typename TAction>
TOutcome TEngine::Renaming(TAction&& action, const TLines& lines) {
  const std::vector<bool> before = session_.StopConditions().ActiveNow();
  TOutcome outcome = Trying(std::forward<TAction>(action), lines);
  // Even a failure half way may have renamed.
  outcome.Notice = session_.StopConditions().LostSince(before);
  return outcome;
}

TEngine::TEngine(std::string folder) : folder_(std::move(folder)) {
  // As the desktop's machine window starts: a run shows each instruction.
  session_.Control().SetTrackingLevel(1);
}

std::string TEngine::PathOf(const std::string& name) const {
  // Only the file's own name: the page names no folders.
  std::string base = name.substr(name.find_last_of("/\\") + 1);
  if (base.empty() || base == "." || base == "..") base = "plik";
  return folder_.empty() ? base : folder_ + '/' + base;
}

TOpenedText TEngine::OpenText(const std::string& name, std::string_view bytes) const {
  TOpenedText opened;
  const std::string path = PathOf(name);
  opened.Outcome = Trying([&] {
    WriteFileBytes(path, bytes);
    TDecodedText text = ReadEncodedTextFile(path);
    // Every line of a file ends with a line break; the editor shows the
    // last one as an empty line to go on typing in.
    opened.Text = Join(text.Lines, "\n");
    if (!text.Lines.empty()) opened.Text += '\n';
    opened.Encoding = text.Encoding;
    opened.LineEnd = text.LineEnd;
  });
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::path(std::u8string(path.begin(), path.end())), ignored);
  return opened;
}

std::string TEngine::EncodeText(const std::string& text, TTextEncoding encoding, TLineEnd lineEnd,
                                TOutcome& outcome) {
  std::string bytes;
  try {
    bytes = dorum::EncodeText(FileLinesOf(text), encoding, lineEnd);
    outcome = {};
  } catch (const EDorumError& e) {
    outcome = OutcomeOf(e);
  }
  return bytes;
}

std::string TEngine::SaveQuestion(const std::string& text, TTextEncoding encoding,
                                  const std::string& name) {
  if (encoding != TTextEncoding::Cp1250) return {};
  const std::optional<char32_t> outside = FirstCharOutsideCp1250(FileLinesOf(text));
  return outside ? Texts::SaveInUtf8Question(*outside, name) : std::string();
}

TOutcome TEngine::LoadList(const std::string& name, std::string_view bytes) {
  StopRun();
  const std::string path = PathOf(name);
  return Renaming([&] {
    WriteFileBytes(path, bytes);
    listPath_ = path;
    session_.LoadList(path);
  });
}

std::string TEngine::SaveList() {
  // Written over the file it was loaded from, which keeps the keys it holds
  // besides the list, its encoding and its line ends.
  const std::string path = listPath_.empty() ? PathOf("rozkazy.lst") : listPath_;
  session_.SaveList(path);
  return ReadFileBytes(path);
}

TOutcome TEngine::CompileProgram(const std::string& text, const std::vector<int>& breakpoints) {
  StopRun();
  const TLines lines = LinesOf(text);
  return Renaming(
      [&] {
        program_.SetTexts(lines);
        SetBreakpoints(breakpoints);
        session_.AssembleProgram(program_);
      },
      lines);
}

void TEngine::SetBreakpoints(const std::vector<int>& lines) {
  TDebugger& debugger = program_.Debugger();
  for (const int line : std::vector<int>(debugger.Breakpoints())) debugger.ToggleBreakpoint(line);
  for (const int line : lines)
    if (!debugger.IsBreakpoint(line)) debugger.ToggleBreakpoint(line);
}

TOutcome TEngine::CheckProgram(const std::string& text) {
  const TLines lines = LinesOf(text);
  return Trying([&] { session_.Assembler().Check(lines); }, lines);
}

TOutcome TEngine::CheckInstruction(const std::string& text) {
  // A compile of a copy: the syntax and the labels of the jumps, without
  // touching the instruction list.
  const TLines lines = LinesOf(text);
  return Trying([&] { (void)TInstruction(lines); }, lines);
}

std::vector<std::vector<TWordSpan>> TEngine::Colour(bool program, const std::string& text) const {
  const std::vector<std::string> mnemonics =
      program ? AcceptedMnemonics(session_.Control().Instructions(), session_.Machine().CodeBits())
              : std::vector<std::string>();
  const auto kind = [&](std::string_view word) {
    return program ? ProgramWordKind(word, mnemonics) : InstructionWordKind(word);
  };
  std::vector<std::vector<TWordSpan>> lines;
  bool inBraces = false;
  for (const std::string& line : LinesOf(text)) lines.push_back(ColourLine(line, inBraces, kind));
  return lines;
}

TOutcome TEngine::CompileInstruction(const std::string& text) {
  StopRun();
  const TLines lines = LinesOf(text);
  return Trying([&] { session_.CompileInstruction(lines); }, lines);
}

double TEngine::MeasureSpeed(double cycles) {
  if (!(cycles >= 1 && cycles <= 1e12)) return 0;
  return YardstickCyclesPerSecond(static_cast<std::uint64_t>(cycles));
}

TOutcome TEngine::Configure(TMachineOptions options,
                            const std::array<std::string, 4>& vectorAddresses,
                            const std::array<std::string, 4>& deviceNumbers) {
  std::array<std::int32_t, 4> devices{};
  for (std::size_t k = 0; k < 8; ++k) {
    const std::string& text = k < 4 ? vectorAddresses[k] : deviceNumbers[k - 4];
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) {
      TOutcome outcome = OutcomeOf(EDorumError(Texts::NotValidInteger(text)));
      outcome.Line = static_cast<int>(k) + 1;
      return outcome;
    }
    if (k < 4) {
      options.Vectors[k].Address = value;
    } else {
      devices[k - 4] = value;
    }
  }
  options.Ports = TIOPorts{devices[0], devices[1], devices[2], devices[3]};
  StopRun();
  return Renaming([&] { session_.Configure(options); });
}

TOutcome TEngine::DeleteInstruction(int code) {
  StopRun();
  return Trying([&] { session_.DeleteInstruction(code); });
}

bool TEngine::ToggleBreakpointAtLine(int code, int line) {
  try {
    return session_.ToggleBreakpointAtLine(code, line);
  } catch (const EDorumError&) {
    return false;  // a code the list lacks
  }
}

bool TEngine::CanStart(TRunCommand command) const noexcept {
  if (running_) return false;
  switch (command) {
    case TRunCommand::Instruction:
    case TRunCommand::Program:
      return !session_.Control().ManualControl();
    case TRunCommand::Cycle:
    case TRunCommand::ToLine:
      break;
  }
  return true;
}

bool TEngine::CanStepBack(bool wholeInstruction) const noexcept {
  const TRunHistory* history = session_.History();
  if (running_ || history == nullptr) return false;
  return (wholeInstruction ? history->UndoableInstructions() : history->UndoableSteps()) > 0;
}

TRunState TEngine::Start(TRunCommand command, int line) {
  if (running_) return {true, false, false, TBoxKind::None, {}};
  TController& control = session_.Control();
  try {
    switch (command) {
      case TRunCommand::Cycle: {
        // One piece: what the run left behind ends with it.
        TSliceEnd end = control.ExecuteCycle();
        if (const TSliceEnd stopped = control.StopRun(); IsRunStop(stopped)) end = stopped;
        return EndOf(end);
      }
      case TRunCommand::Instruction:
        control.StartInstruction();
        break;
      case TRunCommand::Program:
        control.StartProgram(-1);
        break;
      case TRunCommand::ToLine:
        control.StartRunToLine(line);
        break;
    }
  } catch (const EDorumError& e) {
    return Failed(e);
  }
  // Under manual control there is nothing to run.
  running_ = control.Running();
  return {running_, false, false, TBoxKind::None, {}};
}

TRunState TEngine::Slice(double milliseconds) {
  if (!running_) return {};
  const auto time = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double, std::milli>(milliseconds));
  try {
    const TSliceEnd end = session_.Control().RunSlice(TSliceBudget{.Time = time});
    switch (end) {
      case TSliceEnd::Budget:
        return {true, false, false, TBoxKind::None, {}};
      case TSliceEnd::Tempo:
        return {true, false, true, TBoxKind::None, {}};
      case TSliceEnd::Waiting:
        return {true, true, false, TBoxKind::None, {}};
      case TSliceEnd::Idle:
      case TSliceEnd::Finished:
      case TSliceEnd::Stopped:
      case TSliceEnd::ProgramEnded:
      case TSliceEnd::Breakpoint:
      case TSliceEnd::ProgramBreakpoint:
      case TSliceEnd::ConditionHeld:
      case TSliceEnd::CycleLimit:
      case TSliceEnd::InputExhausted:
        break;
    }
    return EndOf(end);
  } catch (const EDorumError& e) {
    return Failed(e);
  }
}

void TEngine::RequestStop() {
  // With no run there is nothing to stop; a request left pending would
  // make the next "Takt" report a breakpoint nobody set.
  if (running_) session_.Control().RequestStop();
}

TRunState TEngine::EndOf(TSliceEnd end) {
  running_ = false;
  const TEndReport report = session_.ReportEnd(end);
  return {false, false, false, report.Box, report.Text};
}

TRunState TEngine::Failed(const EDorumError& error) {
  running_ = false;
  return {false, false, false, TBoxKind::Error, Texts::BoxText(error.Message())};
}

void TEngine::StopRun() {
  if (!running_) return;
  running_ = false;
  try {
    (void)session_.Control().StopRun();
  } catch (const EDorumError&) {
    // The run ends either way; the command that stopped it goes on.
  }
}

TOutcome TEngine::Reset() {
  StopRun();
  return Trying([&] { session_.Machine().ResetMachine(); });
}

bool TEngine::StepBack(bool wholeInstruction) {
  // As the command is greyed: "Cofnij rozkaz" with no instruction begun
  // would otherwise take back the values typed since.
  if (!CanStepBack(wholeInstruction)) return false;
  TRunHistory* history = session_.History();
  return wholeInstruction ? history->UndoInstruction() : history->UndoStep();
}

TOutcome TEngine::EnterRegister(TRegisterId id, const std::string& text) {
  return Trying([&] { session_.Machine().EnterRegisterValue(id, text); });
}

TOutcome TEngine::SetDisplayMode(TRegisterId id, TDisplayMode mode) {
  return Trying([&] { session_.Machine().SetDisplayMode(id, mode); });
}

TOutcome TEngine::ZeroRegister(TRegisterId id) {
  return Trying([&] { session_.Machine().ZeroRegister(id); });
}

void TEngine::ClearMemory() {
  StopRun();
  session_.ClearMemory();
}

TOutcome TEngine::EnterMemory(int address, const std::string& text) {
  return Trying([&] { session_.Machine().EnterMemoryValue(address, text); });
}

void TEngine::SetManualControl(bool manual) {
  if (manual == session_.Control().ManualControl()) return;
  StopRun();
  session_.Control().SetManualControl(manual);
}

TOutcome TEngine::RaiseInterrupt(int line) {
  return Trying([&] { session_.Machine().RaiseInterrupt(line); });
}

void TEngine::TypeInput(const std::string& text) {
  session_.Machine().TypeInput(text);
}

void TEngine::EditStopConditions() {
  stopDraft_ = session_.StopConditions();
  // Whatever changed the labels or the machine since, the list shows what
  // the names refer to now.
  stopDraft_.Recompile(session_.Machine(), &session_.Watches());
}

std::vector<TStopConditionRow> TEngine::StopConditionRows() const {
  std::vector<TStopConditionRow> rows;
  for (int i = 0; i < stopDraft_.Count(); ++i) {
    const TStopCondition& condition = stopDraft_.At(i);
    // One whose names do not resolve cannot be checked until they do.
    if (!condition.Problem.empty())
      rows.push_back(
          {Texts::InactiveStopCondition(condition.Text, condition.Problem), false, false});
    else
      rows.push_back({condition.Text, condition.Active(), true});
  }
  return rows;
}

TStopConditionAdded TEngine::AddStopCondition(const std::string& text) {
  const int present = stopDraft_.IndexOf(text);
  const bool wasEnabled = present >= 0 && stopDraft_.At(present).Enabled;
  TStopConditionAdded added;
  try {
    added.Index = stopDraft_.AddOrEnable(text, session_.Machine(), &session_.Watches());
  } catch (const EDorumError& e) {
    return {false, e.Message(), -1};
  }
  // One the list had already is not added twice; the student hears why the
  // list did not grow.
  if (present >= 0)
    added.Message = Texts::StopConditionListed(stopDraft_.At(present).Text, wasEnabled);
  return added;
}

void TEngine::RemoveStopCondition(int index) {
  if (index >= 0 && index < stopDraft_.Count()) stopDraft_.Remove(index);
}

void TEngine::SetStopConditionChecked(int index, bool checked) {
  if (index >= 0 && index < stopDraft_.Count())
    stopDraft_.SetEnabled(index, checked, session_.Machine());
}

TOutcome TEngine::StopOnChange(int watch) {
  return Trying([&] { (void)session_.StopOnChange(watch); });
}

void TEngine::CommitStopConditions() {
  session_.StopConditions() = stopDraft_;
}

TEngine::TTiming TEngine::Timing(std::size_t count, const std::vector<TRegisterId>& registers) {
  TTiming timing;
  if (TRunHistory* history = session_.History(); history != nullptr)
    timing.Cycles = history->LookBack(count, &timing.Before);
  timing.Lanes = TimingLanes(session_.Machine(), timing.Cycles, registers);
  return timing;
}

bool TEngine::GoToCycle(std::uint64_t number) {
  TRunHistory* history = session_.History();
  if (running_ || history == nullptr) return false;
  const std::optional<std::uint64_t> steps = history->StepsBackTo(number);
  return steps && *steps > 0 && history->UndoSteps(*steps) > 0;
}

std::string TEngine::TimingVcd(std::size_t count) {
  TTiming timing = Timing(count);
  if (timing.Cycles.empty()) return {};
  // Time 0 is the state before the first cycle: no signal on, no bus driven.
  timing.Before.Signals = 0;
  timing.Before.DrivenBuses = 0;
  std::ostringstream out;
  TVcdWriter writer(session_.Machine(), out);
  writer.Start(timing.Before);
  std::uint64_t time = 0;
  for (const TRecordedCycle& cycle : timing.Cycles) writer.Cycle(++time, cycle.Sample);
  writer.Finish(time + 1);
  return out.str();
}

}  // namespace dorum::web
