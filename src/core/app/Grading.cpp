#include "app/Grading.h"

#include <algorithm>
#include <map>

#include "app/Diagnostic.h"
#include "common/Error.h"
#include "common/ProfileFile.h"
#include "common/Strings.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

namespace dorum {

namespace {

// A text as lines, "\r\n" or "\n" between them.
TLines LinesOf(const std::string& text) {
  TLines lines = Split(text, '\n');
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& items) {
  return Join(items, ",");
}

class TCaseRunner final {
 public:
  TCaseRunner(const TGradingTask& task, const TGradingCase& test) : task_(task), test_(test) {}
  TGradingRun Run();

 private:
  // Each is false when the student's files already decided the verdict.
  void LoadList();
  bool Prepare();
  bool CompileAndAssemble();
  TCaseEnd Execute(std::uint64_t limit);
  // Where a run that did not stop on its own stood.
  // An error in a student's microprogram is placed in its file.
  [[nodiscard]] TDiagnostic RunError(const std::string& message, bool inInstructionFile) const;
  TGradingRun Ended(TCaseEnd end, std::string message);

  const TGradingTask& task_;
  const TGradingCase& test_;
  TSession session_;
  TMachine& machine_ = session_.Machine();
  TController& control_ = session_.Control();
  TProgramDocument document_;
  std::vector<TGradingCheck> checks_;
  std::vector<TGradingCheck> settings_;
  std::vector<TInterruptPress> presses_;
  std::string failure_;  // the student's fault that ended the case before its run
  std::map<std::string, std::string> instructionFiles_;  // instruction name -> its file
};

void TCaseRunner::LoadList() {
  if (!task_.List) return;
  ReadInstructionList(TProfileFile(LinesOf(*task_.List)), machine_, control_);
  if (control_.Instructions().Count() == 0) throw EDorumError(Texts::ListWithoutInstructions());
}

// The teacher's part first: a list or a check at fault is no student's.
bool TCaseRunner::Prepare() {
  LoadList();
  checks_ = ParseChecks(Joined(test_.Expect), machine_);
  settings_ = ParseChecks(Joined(test_.Set), machine_);
  presses_ = ParseInterruptPresses(test_.Irq);
  if (!presses_.empty() && !machine_.Register(TRegisterId::RZ).Visible())
    throw EDorumError(Texts::IrqWithoutInterrupts());
  return CompileAndAssemble();
}

bool TCaseRunner::CompileAndAssemble() {
  for (const TGradingFile& file : task_.Instructions) {
    const TLines lines = LinesOf(file.Text);
    try {
      session_.CompileInstruction(lines);
    } catch (const EDorumError& e) {
      failure_ = AssemblyDiagnostic(e, file.Name).Text();
      return false;
    }
    const TInstructionList& list = control_.Instructions();
    for (int i = 0; i < list.Count(); ++i) {
      if (list.At(i).Source() == lines) instructionFiles_[list.At(i).Name()] = file.Name;
    }
  }
  try {
    document_.SetTexts(LinesOf(task_.Program));
    session_.AssembleProgram(document_);
  } catch (const EDorumError& e) {
    TDiagnostic placed = AssemblyDiagnostic(e, task_.ProgramName);
    ExplainUnexpectedArgument(placed, document_.Texts(), control_.Instructions());
    failure_ = placed.Text();
    return false;
  }
  const TWatchList& labels = session_.Watches();
  ResolveLabels(checks_, machine_, labels);
  ResolveLabels(settings_, machine_, labels);
  ResolveWords(checks_, machine_, control_.Instructions(), labels);
  ResolveWords(settings_, machine_, control_.Instructions(), labels);
  // Data for a label the program lacks cannot be given: the program is at
  // fault, as with a check of such a label.
  if (const auto missing = ApplySettings(settings_, machine_)) {
    failure_ = task_.ProgramName + ": " + Texts::LabelNotFound(*missing);
    return false;
  }
  return true;
}

TCaseEnd TCaseRunner::Execute(std::uint64_t limit) {
  using TKind = TStretchedEnd::TKind;
  const TStretchedEnd end = RunInStretches(control_, machine_, presses_, limit);
  failure_ = end.Message;
  if (end.Kind == TKind::CycleLimit) return TCaseEnd::Limit;
  if (end.Kind != TKind::Control) return TCaseEnd::Error;  // a cycle the machine refused
  if (end.Slice == TSliceEnd::ProgramEnded) return TCaseEnd::Stopped;
  if (end.Slice == TSliceEnd::InputExhausted) return TCaseEnd::Input;
  return TCaseEnd::Error;
}

TDiagnostic TCaseRunner::RunError(const std::string& message, bool inInstructionFile) const {
  TDiagnostic placed = RunDiagnostic(message, control_, document_, task_.ProgramName);
  if (inInstructionFile) PlaceInInstructionFile(placed, control_.Instructions(), instructionFiles_);
  return placed;
}

TGradingRun TCaseRunner::Ended(TCaseEnd end, std::string message) {
  TGradingRun run;
  run.Report.End = end;
  run.Report.Message = std::move(message);
  run.Report.Output = machine_.Console().OutputText();
  run.Cycles = control_.CyclesPerformed();
  run.Instructions = control_.InstructionsPerformed();
  return run;
}

TGradingRun TCaseRunner::Run() {
  if (!Prepare()) {
    TGradingRun run = Ended(TCaseEnd::Error, failure_);
    run.Verdict = JudgeCase(run.Report, test_, test_.HideExpected);
    return run;
  }
  TExecutionCount counter(control_);
  machine_.TypeInput(test_.Input);
  control_.SetTrackingLevel(0);
  control_.SetStopWhenInputRunsOut(true);
  const TCaseEnd end = Execute(test_.MaxCycles.value_or(kDefaultGradingCycles));
  TGradingRun run =
      Ended(end, end == TCaseEnd::Stopped ? std::string()
                                          : RunError(failure_, end == TCaseEnd::Error).Text());
  // A refused cycle is counted, as its trace has a line for it.
  if (end == TCaseEnd::Error && control_.RefusedCycle() == run.Cycles + 1) ++run.Cycles;
  for (const TGradingCheck& check : checks_)
    run.Report.Checks.push_back(ReportOf(Evaluate(check, machine_)));
  for (const std::string& name : test_.MustExecute)
    run.Report.MustExecute.push_back({name, counter.Count(name)});
  run.Verdict = JudgeCase(run.Report, test_, test_.HideExpected);
  return run;
}

}  // namespace

TGradingRun RunGradingCase(const TGradingTask& task, const TGradingCase& test) {
  return TCaseRunner(task, test).Run();
}

namespace {

// Every case given the same outcome: the suite or the submission cannot be
// graded at all.
void EndEveryCase(TTaskCheckResult& result, const TGradingSuite& suite, TCaseOutcome outcome,
                  const std::string& message) {
  for (const TGradingCase& test : suite.Cases)
    result.Cases.push_back({test.Name, outcome, message, 0, test.Points, 0, false});
}

// The student's file, or the name of the first one missing.
std::optional<std::string> MissingOf(const TGradingSuite& suite,
                                     const std::map<std::string, std::string>& files) {
  std::vector<std::string> wanted{suite.Program};
  wanted.insert(wanted.end(), suite.Instructions.begin(), suite.Instructions.end());
  for (const std::string& name : wanted)
    if (!files.contains(name)) return name;
  return std::nullopt;
}

TTaskCaseResult RunCapped(const TGradingTask& task, TGradingCase test, std::uint64_t cap) {
  TTaskCaseResult result{test.Name, TCaseOutcome::Error, {}, 0, test.Points, 0, false};
  if (!test.MaxCycles || *test.MaxCycles > cap) {
    test.MaxCycles = cap;
    result.Capped = true;
  }
  try {
    const TGradingRun run = RunGradingCase(task, test);
    result.Outcome = run.Verdict.Outcome;
    result.Message = run.Verdict.Message;
    result.Points = run.Verdict.Points;
    result.Cycles = run.Cycles;
  } catch (const EDorumError& error) {
    // What the machine cannot do with the teacher's list or checks.
    result.Outcome = TCaseOutcome::Suite;
    result.Message = error.what();
  }
  return result;
}

}  // namespace

TTaskCheckResult CheckTask(const TTaskCheck& check) {
  TTaskCheckResult result;
  TSuiteFiles files;
  files.ReadInput = [&check](const std::string& path) {
    const auto found = check.Inputs.find(path);
    if (found == check.Inputs.end()) throw EDorumError(Texts::MissingFile(path));
    return found->second;
  };
  TGradingSuite suite;
  try {
    suite = ReadGradingSuite(check.SuiteJson, check.SuiteFile, files);
  } catch (const EDorumError& error) {
    result.Error = error.what();
    return result;
  }
  if (!suite.Mistakes.empty()) {
    EndEveryCase(result, suite, TCaseOutcome::Suite, Join(suite.Mistakes, "; "));
    return result;
  }
  if (const auto missing = MissingOf(suite, check.Files)) {
    EndEveryCase(result, suite, TCaseOutcome::Missing, Texts::MissingFile(*missing));
    return result;
  }
  TGradingTask task;
  task.List = check.List;
  task.Program = check.Files.at(suite.Program);
  task.ProgramName = suite.Program;
  for (const std::string& name : suite.Instructions)
    task.Instructions.push_back({name, check.Files.at(name)});
  for (const TGradingCase& test : suite.Cases)
    result.Cases.push_back(RunCapped(task, test, check.CycleCap));
  return result;
}

}  // namespace dorum
