#include "app/Application.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

#include "app/Examples.h"
#include "common/ProfileFile.h"
#include "common/Strings.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/Instruction.h"

namespace dorum {

namespace {

bool SameSample(const TCycleSample& a, const TCycleSample& b) noexcept {
  return a.Signals == b.Signals && a.Registers == b.Registers && a.Buses == b.Buses &&
         a.DrivenBuses == b.DrivenBuses;
}

// The cycles shown before that come after the last one recorded now, as
// long as every cycle both have came out the same: a run since then, or a
// new history, may have gone another way. No more than `count` of them:
// going forward reaches no further.
std::vector<TRecordedCycle> CyclesAhead(const std::vector<TRecordedCycle>& shown,
                                        const std::vector<TRecordedCycle>& recorded,
                                        std::size_t count) {
  if (shown.empty() || recorded.empty()) return {};
  const std::uint64_t now = recorded.back().Number;
  if (shown.front().Number > now) return {};
  std::vector<TRecordedCycle> ahead;
  auto fresh = recorded.begin();
  for (const TRecordedCycle& cycle : shown) {
    if (cycle.Number > now) {
      if (cycle.Number - now <= count) ahead.push_back(cycle);
      continue;
    }
    while (fresh != recorded.end() && fresh->Number < cycle.Number) ++fresh;
    if (fresh != recorded.end() && fresh->Number == cycle.Number &&
        !SameSample(fresh->Sample, cycle.Sample))
      return {};
  }
  return ahead;
}

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

// A run that goes on: what the edition's clock does next.
TRunStep Going(TRunNext next, TSliceEnd end, int delayMs = 0) {
  TRunStep step;
  step.Next = next;
  step.End = end;
  step.DelayMs = delayMs;
  return step;
}

}  // namespace

TFileKind FileKindOf(std::string_view name) {
  return ExtensionOf(name) == "prg" ? TFileKind::Program : TFileKind::Instruction;
}

TSliceBudget SliceBudget(int trackingLevel) noexcept {
  using std::chrono::milliseconds;
  return TSliceBudget{.Time = trackingLevel <= 0 ? milliseconds(20) : milliseconds(8)};
}

template <typename TAction>
TOutcome TApplication::Renaming(TAction&& action, const TLines& lines) {
  TOutcome outcome;
  // Even a failure half way may have renamed.
  std::string notice = Renamed([&] { outcome = Trying(std::forward<TAction>(action), lines); });
  outcome.Notice = std::move(notice);
  return outcome;
}

std::string TApplication::Renamed(const std::function<void()>& action) {
  const std::vector<bool> before = session_.StopConditions().ActiveNow();
  action();
  return session_.StopConditions().LostSince(before);
}

TApplication::TApplication(std::string folder) : folder_(std::move(folder)) {
  session_.Control().SetTrackingLevel(kStartTrackingLevel);
}

// ---- commands ----

TCommandState TApplication::CommandState(bool editor) const noexcept {
  const TRunHistory* history = session_.History();
  return {.Running = running_,
          .ManualControl = session_.Control().ManualControl(),
          .UndoableStep = history != nullptr && history->UndoableSteps() > 0,
          .UndoableInstruction = history != nullptr && history->UndoableInstructions() > 0,
          .Editor = editor};
}

bool TApplication::Admit(TCommandId command, TRunStep& ended) {
  ended = {};
  if (!running_) return true;
  switch (CommandRow(command).DuringRun) {
    case TDuringRun::Refused:
      return false;
    case TDuringRun::StopsRun:
      ended = StopRun();
      return true;
    case TDuringRun::Acts:
      break;
  }
  return true;
}

bool TApplication::Admit(TCommandId command) {
  TRunStep ended;
  return Admit(command, ended);
}

// ---- the run ----

TRunStep TApplication::Refused() const noexcept {
  TRunStep refused;
  if (running_) refused.Next = waiting_ ? TRunNext::Input : TRunNext::Slice;
  return refused;
}

TRunStep TApplication::Start(TRunCommand command, int line) {
  static constexpr std::array kCommands = {TCommandId::RunCycle, TCommandId::RunInstruction,
                                           TCommandId::RunProject, TCommandId::RunToCursor};
  if (!Enabled(kCommands.at(static_cast<std::size_t>(command)))) return Refused();
  TController& control = session_.Control();
  switch (command) {
    case TRunCommand::Cycle:
      return RunWhole([&] { return control.ExecuteCycle(); });
    case TRunCommand::Instruction:
      return StartWith([&] { control.StartInstruction(); });
    case TRunCommand::Program:
      return StartWith([&] { control.StartProgram(-1); });
    case TRunCommand::ToLine:
      return StartWith([&] { control.StartRunToLine(line); });
  }
  return {};
}

TRunStep TApplication::StartWith(const std::function<void()>& start) {
  if (running_) return Refused();
  try {
    start();
  } catch (const EDorumError& e) {
    return Failed(e.Message());
  }
  // Under manual control there is nothing to run.
  running_ = session_.Control().Running();
  waiting_ = false;
  return Going(running_ ? TRunNext::Slice : TRunNext::Ended, TSliceEnd::Idle);
}

TRunStep TApplication::RunWhole(const std::function<TSliceEnd()>& piece) {
  if (running_) return Refused();
  running_ = true;
  return Advance([&] {
    TSliceEnd end = piece();
    // A run the piece left behind ends with it: the whole run was one piece.
    if (const TSliceEnd stopped = session_.Control().StopRun(); IsRunStop(stopped)) end = stopped;
    return IsRunStop(end) ? end : TSliceEnd::Finished;
  });
}

TRunStep TApplication::Slice() {
  return Slice(SliceBudget(session_.Control().TrackingLevel()));
}

TRunStep TApplication::Slice(const TSliceBudget& budget) {
  if (!running_) return {};
  return Advance([&] { return session_.Control().RunSlice(budget); });
}

template <typename TPiece>
TRunStep TApplication::Advance(TPiece&& piece) {
  waiting_ = false;
  TSliceEnd end = TSliceEnd::Finished;
  try {
    end = piece();
  } catch (const EDorumError& e) {
    return Failed(e.Message());
  } catch (const std::exception& e) {
    return Failed(e.what());
  }
  // The piece may have ended the run itself (a command that stops it): that
  // end was told already.
  if (!running_) return {};
  switch (end) {
    case TSliceEnd::Budget:
      return Going(TRunNext::Slice, end);
    case TSliceEnd::Tempo:
      // Each cycle is shown, then the run pauses for the tempo; a stop asked
      // for meanwhile ends it without the pause.
      return Going(TRunNext::Pause, end, session_.Control().StopRequested() ? 0 : tempo_);
    case TSliceEnd::Waiting:
      waiting_ = true;
      return Going(TRunNext::Input, end);
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
}

TRunStep TApplication::EndOf(TSliceEnd end) {
  running_ = false;
  waiting_ = false;
  const TEndReport report = session_.ReportEnd(end);
  return {.Next = TRunNext::Ended, .End = end, .Box = report.Box, .Message = report.Text};
}

TRunStep TApplication::Failed(const std::string& message) {
  running_ = false;
  waiting_ = false;
  return {.Next = TRunNext::Ended,
          .End = TSliceEnd::Finished,
          .Box = TBoxKind::Error,
          .Message = Texts::BoxText(message)};
}

bool TApplication::RequestStop() {
  // With no run there is nothing to stop; a request left pending would
  // make the next "Takt" report a breakpoint nobody set.
  if (!running_) return false;
  session_.Control().RequestStop();
  return true;
}

TRunStep TApplication::StopRun() {
  if (!running_) return {};
  try {
    // A run the command ended is stopped, unless it ended otherwise on the
    // way (a program breakpoint where it stood).
    const TSliceEnd end = session_.Control().StopRun();
    return EndOf(IsRunStop(end) ? end : TSliceEnd::Stopped);
  } catch (const EDorumError& e) {
    return Failed(e.Message());
  }
}

bool TApplication::SetTempo(int ms) {
  ms = std::clamp(ms, 0, kMaxTempo);
  if (ms == tempo_) return false;
  tempo_ = ms;
  return true;
}

TRunStep TApplication::SetManualControl(bool manual) {
  if (manual == session_.Control().ManualControl()) return {};
  TRunStep ended;
  (void)Admit(TCommandId::ManualControl, ended);
  session_.Control().SetManualControl(manual);
  return ended;
}

TOutcome TApplication::Reset() {
  (void)Admit(TCommandId::Reset);
  return Trying([&] { session_.Machine().ResetMachine(); });
}

bool TApplication::StepBack(bool wholeInstruction) {
  // As the command is greyed: "Cofnij rozkaz" with no instruction begun
  // would otherwise take back the values typed since.
  if (!Enabled(wholeInstruction ? TCommandId::StepBackInstruction : TCommandId::StepBackCycle))
    return false;
  TRunHistory* history = session_.History();
  return wholeInstruction ? history->UndoInstruction() : history->UndoStep();
}

bool TApplication::StepBackSteps(std::uint64_t steps) {
  if (!Enabled(TCommandId::StepBackCycle)) return false;
  return session_.History()->UndoSteps(steps) > 0;
}

// ---- files, programs and the list ----

std::string TApplication::PathOf(const std::string& name) const {
  // Only the file's own name: the page names no folders.
  std::string base = name.substr(name.find_last_of("/\\") + 1);
  if (base.empty() || base == "." || base == "..") base = "plik";
  return folder_.empty() ? base : folder_ + '/' + base;
}

TOpenedText TApplication::OpenText(const std::string& name, std::string_view bytes) const {
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

std::string TApplication::EncodeText(const std::string& text, TTextEncoding encoding,
                                     TLineEnd lineEnd, TOutcome& outcome) {
  std::string bytes;
  try {
    bytes = dorum::EncodeText(FileLinesOf(text), encoding, lineEnd);
    outcome = {};
  } catch (const EDorumError& e) {
    outcome = OutcomeOf(e);
  }
  return bytes;
}

std::string TApplication::SaveQuestion(const std::string& text, TTextEncoding encoding,
                                       const std::string& name) {
  if (encoding != TTextEncoding::Cp1250) return {};
  const std::optional<char32_t> outside = FirstCharOutsideCp1250(FileLinesOf(text));
  return outside ? Texts::SaveInUtf8Question(*outside, name) : std::string();
}

TOutcome TApplication::LoadList(const std::string& name, std::string_view bytes) {
  (void)Admit(TCommandId::LoadList);
  const std::string path = PathOf(name);
  TOutcome outcome = Trying([&] { WriteFileBytes(path, bytes); });
  return outcome.Ok ? LoadListFile(path) : outcome;
}

TOutcome TApplication::LoadListKeeping(const std::string& name, std::string_view bytes,
                                       bool keepOwn) {
  // Copies: the list they are in is replaced.
  std::vector<TInstruction> own;
  const TInstructionList& before = session_.Control().Instructions();
  for (int code = 0; keepOwn && code < before.Count(); ++code) own.push_back(before.At(code));
  // A list the loader stopped in still replaced the machine's: what the
  // student compiled is kept in that one too.
  TOutcome outcome = LoadList(name, bytes);
  for (const TInstruction& instruction : own) {
    if (session_.Control().Instructions().IndexOf(instruction.Name()) >= 0) continue;
    const TOutcome compiled = CompileInstruction(instruction.Source());
    if (!compiled.Ok && outcome.Ok) outcome = compiled;
  }
  outcome.Information.clear();
  return outcome;
}

std::vector<std::string> TApplication::InstructionsLacking(const std::string& name,
                                                           std::string_view bytes) {
  TSession other;
  try {
    const std::string path = PathOf(name);
    WriteFileBytes(path, bytes);
    other.LoadList(path);
  } catch (const EDorumError&) {
    return {};
  }
  std::vector<std::string> lacking;
  const TInstructionList& own = session_.Control().Instructions();
  for (int code = 0; code < own.Count(); ++code)
    if (other.Control().Instructions().IndexOf(own.At(code).Name()) < 0)
      lacking.push_back(own.At(code).Name());
  return lacking;
}

TOutcome TApplication::LoadListFile(const std::string& path) {
  (void)Admit(TCommandId::LoadList);
  return Renaming([&] {
    // A file that is no text changes nothing: the list is saved, as before,
    // where it was; one the loader stopped in is the file's as far as it went.
    (void)TProfileFile::Load(path);
    listPath_ = path;
    session_.LoadList(path);
  });
}

std::string TApplication::SaveList() {
  // Written over the file it was loaded from, which keeps the keys it holds
  // besides the list, its encoding and its line ends.
  const std::string path = listPath_.empty() ? PathOf("rozkazy.lst") : listPath_;
  session_.SaveList(path);
  return ReadFileBytes(path);
}

TOutcome TApplication::RestoreDefaultMachine() {
  (void)Admit(TCommandId::OpenExample);
  listPath_.clear();
  return Renaming([&] { session_.RestoreDefaultMachine(); });
}

std::string TApplication::ExampleQuestion(std::string_view example, std::string_view list) const {
  // Only the student's own changes to the list are worth a question.
  return ListChanged() ? Texts::ExampleListQuestion(example, list) : std::string();
}

std::string TApplication::TaskQuestion(std::string_view task, std::string_view list) const {
  return ListChanged() ? Texts::TaskListQuestion(task, list) : std::string();
}

TOutcome TApplication::CompileProgram(const std::string& text,
                                      const std::vector<int>& breakpoints) {
  (void)Admit(TCommandId::Compile);
  const TLines lines = LinesOf(text);
  TOutcome outcome = Renaming(
      [&] {
        program_.SetTexts(lines);
        SetBreakpoints(breakpoints);
        session_.AssembleProgram(program_);
      },
      lines);
  if (outcome.Ok) outcome.Information = Texts::ProgramCompiled;
  return outcome;
}

void TApplication::SetBreakpoints(const std::vector<int>& lines) {
  TDebugger& debugger = program_.Debugger();
  for (const int line : std::vector<int>(debugger.Breakpoints())) debugger.ToggleBreakpoint(line);
  for (const int line : lines)
    if (!debugger.IsBreakpoint(line)) debugger.ToggleBreakpoint(line);
}

TOutcome TApplication::CheckProgram(const std::string& text) {
  const TLines lines = LinesOf(text);
  return Trying([&] { session_.Assembler().Check(lines); }, lines);
}

TOutcome TApplication::CheckInstruction(const std::string& text) {
  // A compile of a copy: the syntax and the labels of the jumps, without
  // touching the instruction list.
  const TLines lines = LinesOf(text);
  return Trying([&] { (void)TInstruction(lines); }, lines);
}

std::vector<std::vector<TWordSpan>> TApplication::Colour(bool program,
                                                         const std::string& text) const {
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

std::vector<std::string> TApplication::CompletionWords(bool program) const {
  const TMachine& machine = session_.Machine();
  std::vector<std::string> words;
  if (program) {
    words = ProgramDirectives();
    const std::vector<std::string> mnemonics =
        AcceptedMnemonics(session_.Control().Instructions(), machine.CodeBits());
    words.insert(words.end(), mnemonics.begin(), mnemonics.end());
  } else {
    words = InstructionKeywords();
    for (int n = 0; n < kSignalCount; ++n) {
      const std::string caption = machine.Signal(n).Caption();
      // A caption shared by several signals names only the first of them.
      if (TMachine::FindSignalExact(caption) != n) continue;
      if (n == static_cast<int>(TSignalId::as)) {
        // Its caption "as (sa)" is no word: a text names it either way.
        words.emplace_back("as");
        words.emplace_back("sa");
      } else {
        words.push_back(caption);
      }
    }
  }
  const auto byKey = [](const std::string& a, const std::string& b) {
    const std::string la = LowerCase(a);
    const std::string lb = LowerCase(b);
    return la != lb ? la < lb : a < b;
  };
  // The page's engine is built with a library that lacks std::ranges' sort.
  std::sort(words.begin(), words.end(), byKey);
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

TOutcome TApplication::CompileInstruction(const std::string& text) {
  return CompileInstruction(LinesOf(text));
}

TOutcome TApplication::CompileInstruction(const TLines& lines) {
  (void)Admit(TCommandId::Compile);
  TOutcome outcome = Trying([&] { session_.CompileInstruction(lines); }, lines);
  if (outcome.Ok) outcome.Information = Texts::InstructionCompiled;
  return outcome;
}

TOutcome TApplication::DeleteInstruction(int code) {
  (void)Admit(TCommandId::DeleteInstruction);
  return Trying([&] { session_.DeleteInstruction(code); });
}

bool TApplication::ToggleBreakpointAtLine(int code, int line) {
  try {
    return session_.ToggleBreakpointAtLine(code, line);
  } catch (const EDorumError&) {
    return false;  // a code the list lacks
  }
}

// ---- the options dialog ----

bool TApplication::GoesForward(std::uint64_t cycle) const {
  const TSession& session = session_;
  return cycle > session.Control().CyclesPerformed() - session.History()->Origin();
}

TOutcome TApplication::Configure(TMachineOptions options,
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
  // Widths out of range are brought in, as a spin box brings them.
  options.AddressBits = std::clamp(options.AddressBits, kMinAddressBits, kMaxAddressBits);
  options.CodeBits = std::clamp(options.CodeBits, kMinCodeBits, kMaxCodeBits);
  options.Components.set(0);
  (void)Admit(TCommandId::ProjectOptions);
  return Renaming([&] { session_.Configure(options); });
}

// ---- between cycles ----

TValueQuestion TApplication::RegisterQuestion(TRegisterId id) const {
  const TRegister& reg = session_.Machine().Register(id);
  return {"Rejestr " + reg.Caption(), "Aktualna wartość", std::to_string(reg.Value())};
}

TValueQuestion TApplication::MemoryQuestion(int address) const {
  const TMemory& memory = session_.Machine().Memory();
  return {memory.Caption(), "Wartość[" + std::to_string(address) + "]",
          std::to_string(memory.Word(memory.IndexOf(address)))};
}

TOutcome TApplication::EnterRegister(TRegisterId id, const std::string& text) {
  return Trying([&] { session_.Machine().EnterRegisterValue(id, text); });
}

TOutcome TApplication::SetDisplayMode(TRegisterId id, TDisplayMode mode) {
  return Trying([&] { session_.Machine().SetDisplayMode(id, mode); });
}

TOutcome TApplication::ZeroRegister(TRegisterId id) {
  return Trying([&] { session_.Machine().ZeroRegister(id); });
}

void TApplication::ClearMemory() {
  (void)Admit(TCommandId::ClearMemory);
  session_.ClearMemory();
}

TOutcome TApplication::EnterMemory(int address, const std::string& text) {
  return Trying([&] { session_.Machine().EnterMemoryValue(address, text); });
}

TOutcome TApplication::RaiseInterrupt(int line) {
  return Trying([&] { session_.Machine().RaiseInterrupt(line); });
}

namespace {

bool StartsCharacter(const std::string& text, std::size_t at) {
  return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

// What of `after` is still to be read, when the student edited `before` into
// it while the program read its first `read` bytes: the edit is what differs
// between a common front and a common back, and what was read of those two
// goes, whatever the student typed among them stays.
std::string UnreadPart(const std::string& before, const std::string& after, std::size_t read) {
  const std::size_t shorter = std::min(before.size(), after.size());
  std::size_t front = 0;
  while (front < shorter && before[front] == after[front]) ++front;
  while (front > 0 && !StartsCharacter(after, front)) --front;
  std::size_t back = 0;
  while (back < shorter - front &&
         before[before.size() - 1 - back] == after[after.size() - 1 - back])
    ++back;
  while (back > 0 && !StartsCharacter(after, after.size() - back)) --back;
  const std::size_t backInBefore = before.size() - back;
  const std::size_t readOfFront = std::min(front, read);
  const std::size_t readOfBack = read > backInBefore ? read - backInBefore : 0;
  const std::size_t backInAfter = after.size() - back;
  return after.substr(readOfFront, backInAfter - readOfFront) +
         after.substr(backInAfter + readOfBack);
}

}  // namespace

bool TApplication::SetConsoleInput(const std::string& before, const std::string& after) {
  const std::string& now = session_.Machine().Console().InputText();
  // What the program read since: the front of `before` that `now` lacks.
  std::size_t read = 0;
  if (before.size() >= now.size() && before.ends_with(now)) read = before.size() - now.size();
  session_.Machine().SetConsoleInput(UnreadPart(before, after, read));
  return Waiting();
}

// ---- the stop conditions dialog ----

TRunStep TApplication::EditStopConditions() {
  TRunStep ended;
  (void)Admit(TCommandId::StopConditions, ended);
  stopDraft_ = session_.StopConditions();
  // Whatever changed the labels or the machine since, the list shows what
  // the names refer to now.
  stopDraft_.Recompile(session_.Machine(), &session_.Watches());
  return ended;
}

std::vector<TStopConditionRow> TApplication::StopConditionRows() const {
  std::vector<TStopConditionRow> rows;
  for (int i = 0; i < stopDraft_.Count(); ++i) {
    const TStopCondition& condition = stopDraft_.At(i);
    // One whose names do not resolve cannot be checked until they do.
    if (!condition.Problem.empty())
      rows.push_back({Texts::InactiveStopCondition(condition.Text, condition.Problem), false, false,
                      condition.Problem});
    else
      rows.push_back({condition.Text, condition.Active(), true, {}});
  }
  return rows;
}

TStopConditionAdded TApplication::AddStopCondition(const std::string& text) {
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

void TApplication::RemoveStopCondition(int index) {
  if (index >= 0 && index < stopDraft_.Count()) stopDraft_.Remove(index);
}

void TApplication::SetStopConditionChecked(int index, bool checked) {
  if (index >= 0 && index < stopDraft_.Count())
    stopDraft_.SetEnabled(index, checked, session_.Machine());
}

TOutcome TApplication::StopOnChange(int watch) {
  return Trying([&] { (void)session_.StopOnChange(watch); });
}

void TApplication::CommitStopConditions() {
  session_.StopConditions() = stopDraft_;
}

std::vector<TApplication::TKeptStopCondition> TApplication::KeptStopConditions() const {
  const TStopConditions& conditions = session_.StopConditions();
  std::vector<TKeptStopCondition> kept;
  for (int i = 0; i < conditions.Count(); ++i)
    kept.push_back({conditions.At(i).Text, conditions.At(i).Enabled});
  return kept;
}

void TApplication::RestoreStopConditions(const std::vector<TKeptStopCondition>& kept) {
  TStopConditions& conditions = session_.StopConditions();
  for (const TKeptStopCondition& condition : kept)
    (void)conditions.Restore(condition.Text, condition.Enabled, session_.Machine(),
                             &session_.Watches());
}

TApplication::TTiming TApplication::Timing(std::size_t count,
                                           const std::vector<TRegisterId>& registers) {
  TTiming timing;
  if (TRunHistory* history = session_.History(); history != nullptr)
    timing.Cycles = history->LookBack(count, &timing.Before);
  timing.Current = timing.Cycles.empty() ? 0 : timing.Cycles.size() - 1;
  std::vector<TRecordedCycle> ahead = CyclesAhead(timingShown_, timing.Cycles, count);
  timing.Cycles.insert(timing.Cycles.end(), std::make_move_iterator(ahead.begin()),
                       std::make_move_iterator(ahead.end()));
  timingShown_ = timing.Cycles;
  timing.Lanes = TimingLanes(session_.Machine(), timing.Cycles, registers);
  return timing;
}

TRunStep TApplication::GoToCycle(std::uint64_t number) {
  TRunHistory* history = session_.History();
  if (!Enabled(TCommandId::GoToCycle) || history == nullptr) return {};
  const std::uint64_t now = session_.Control().CyclesPerformed() - history->Origin();
  if (number > now) {
    // Cycles stepped back over are performed again, as "Takt" performs them.
    if (number - now > kTimingDepth) return {};
    const std::uint64_t last = history->Origin() + number;
    return RunWhole([&] {
      TController& control = session_.Control();
      while (control.CyclesPerformed() < last) {
        const std::uint64_t before = control.CyclesPerformed();
        if (const TSliceEnd end = control.ExecuteCycle(); end != TSliceEnd::Finished) return end;
        if (control.CyclesPerformed() == before) break;
      }
      return TSliceEnd::Finished;
    });
  }
  if (const std::optional<std::uint64_t> steps = history->StepsBackTo(number); steps && *steps > 0)
    (void)history->UndoSteps(*steps);
  return {};
}

std::string TApplication::TimingVcd(std::size_t count) {
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

}  // namespace dorum
