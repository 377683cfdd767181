// Grading in the core: a suite read from its text, the checks of a run, and
// a case run whole in memory as the page runs it, with the verdicts
// "dorum-cli test" gives.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/Diagnostic.h"
#include "app/Grading.h"
#include "common/Error.h"
#include "common/Text.h"
#include "program/Watches.h"
#include "session/Session.h"

namespace dorum {
namespace {

std::string Mistakes(const TGradingSuite& suite) {
  return Join(suite.Mistakes, "\n");
}

TGradingSuite Read(const std::string& json) {
  return ReadGradingSuite(json, "z.json");
}

// --- the suite ---

TEST(GradingSuiteReading, ReadsEveryKeyOfACase) {
  const TGradingSuite suite = Read(R"({"program": "p.prg", "list": "k.lst",
    "instructions": ["ddw.rzk"], "max_cycles": 500, "timeout": 3, "cases": [
      {"name": " a ", "set": {"x": 5, "mem[4]": "$FF"}, "input": "ab", "irq": ["2@100"],
       "expect": "wynik=12, AK=-1", "must_execute": "DDW", "output": "A", "output_contains": "",
       "status": "input", "points": 2.5, "max_cycles": 9}]})");
  ASSERT_EQ(Mistakes(suite), "");
  EXPECT_EQ(suite.List, "k.lst");
  EXPECT_EQ(suite.TimeoutSeconds, 3);
  ASSERT_EQ(suite.Cases.size(), 1U);
  const TGradingCase& test = suite.Cases[0];
  EXPECT_EQ(test.Name, "a");
  EXPECT_EQ(test.Set, (std::vector<std::string>{"mem[4]=$FF", "x=5"}));
  EXPECT_EQ(test.Expect, (std::vector<std::string>{"wynik=12", "AK=-1"}));
  EXPECT_EQ(test.Irq, std::vector<std::string>{"2@100"});
  EXPECT_EQ(test.Status, TCaseEnd::Input);
  EXPECT_EQ(test.Points, 2.5);
  EXPECT_EQ(test.MaxCycles, 9U);
  EXPECT_EQ(test.Output, "A");
}

TEST(GradingSuiteReading, ReportsEveryMistakeAtOnce) {
  const TGradingSuite suite = Read(R"({"program": "p.prg", "timeout": 0, "cases": [
      {"name": "a", "expekt": {"x": 1}},
      {"name": "b", "expect": "x", "status": "done", "points": -1},
      {"name": "c", "expect": {"x": 1.5}, "max_cycles": -3},
      {"name": "a", "output": 7},
      {"name": "d", "expect": {"x": 1}, "public": "yes"}]})");
  EXPECT_EQ(Mistakes(suite),
            "z.json: timeout: oczekiwano liczby sekund większej od 0, najwyżej 86400\n"
            "z.json:case a: nieznany klucz \"expekt\" (znane: name, set, input, input_file, irq, "
            "expect, max_cycles, must_execute, output, output_contains, status, points, "
            "hide_expected, public)\n"
            "z.json:case b:expect: \"x\" nie ma postaci NAZWA=WARTOŚĆ\n"
            "z.json:case b:status: \"done\" (znane: stopped, limit, input, error)\n"
            "z.json:case b:points: oczekiwano nieujemnej liczby\n"
            "z.json:case c:expect: x: wartość musi być liczbą całkowitą\n"
            "z.json:case c:max_cycles: oczekiwano dodatniej liczby całkowitej\n"
            "z.json:case a:output: oczekiwano tekstu\n"
            "z.json:case a: nazwa \"a\" powtarza się\n"
            "z.json:case d:public: oczekiwano true albo false");
}

TEST(GradingSuiteReading, ACaseThatChecksNothingIsRefused) {
  EXPECT_EQ(Mistakes(Read(R"({"program": "p.prg", "cases": [{"set": "x=1"}]})")),
            "z.json:case przypadek1: przypadek niczego nie sprawdza (expect, must_execute, "
            "output, output_contains, status)");
}

TEST(GradingSuiteReading, ReferenceFactorNeedsAReference) {
  const std::string cases = R"("max_cycles": "reference * 3", "cases": [{"expect": "x=1"},
      {"expect": "x=1", "max_cycles": 40}]})";
  const TGradingSuite with = Read(R"({"program": "p.prg", "reference": "w", )" + cases);
  ASSERT_EQ(Mistakes(with), "");
  EXPECT_EQ(with.Cases[0].ReferenceFactor, 3U);
  EXPECT_FALSE(with.Cases[0].MaxCycles);
  EXPECT_EQ(with.Cases[1].MaxCycles, 40U);
  EXPECT_FALSE(with.Cases[1].ReferenceFactor);
  EXPECT_EQ(Mistakes(Read(R"({"program": "p.prg", )" + cases)),
            "z.json:case przypadek1:max_cycles: \"reference*N\" wymaga klucza \"reference\"");
  EXPECT_EQ(Mistakes(Read(R"({"program": "p.prg", "max_cycles": "reference*0",
                              "cases": [{"expect": "x=1"}]})")),
            "z.json: max_cycles: oczekiwano dodatniej liczby całkowitej albo \"reference*N\"");
}

TEST(GradingSuiteReading, CasesTakeTheSuitesHideExpectedUnlessTheyHaveTheirOwn) {
  const TGradingSuite suite = Read(R"({"program": "p.prg", "hide_expected": true, "cases": [
      {"expect": "x=1"}, {"expect": "x=1", "hide_expected": false, "public": true}]})");
  ASSERT_EQ(Mistakes(suite), "");
  EXPECT_TRUE(suite.Cases[0].HideExpected);
  EXPECT_FALSE(suite.Cases[0].Public);
  EXPECT_FALSE(suite.Cases[1].HideExpected);
  EXPECT_TRUE(suite.Cases[1].Public);
}

TEST(GradingSuiteReading, PathsStayInsideTheSuitesFolder) {
  EXPECT_EQ(PathInsideFolder("dane/./a//b.txt"), "dane/a/b.txt");
  EXPECT_EQ(PathInsideFolder("dane/../b.txt"), "b.txt");
  for (const char* outside : {"../b.txt", "a/../../b.txt", "/etc/passwd", "C:/x.txt", ".."})
    EXPECT_THROW((void)PathInsideFolder(outside), EDorumError) << outside;
  const TGradingSuite suite =
      Read(R"({"program": "p.prg", "cases": [{"input_file": "../x.txt", "output": ""}]})");
  EXPECT_EQ(Mistakes(suite),
            "z.json:case przypadek1:input_file: ścieżka ../x.txt wychodzi poza folder zestawu "
            "(ścieżki w zestawie są względne i zostają w jego folderze)");
  try {
    (void)Read(R"({"program": "p.prg", "list": "../k.lst", "cases": [{"expect": "x=1"}]})");
    FAIL() << "a list out of the folder was read";
  } catch (const EDorumError& e) {
    EXPECT_EQ(e.Message().rfind("list: ścieżka ../k.lst wychodzi", 0), 0U) << e.Message();
  }
}

TEST(GradingSuiteReading, InputFilesAreReadThroughTheCaller) {
  TSuiteFiles files;
  files.ReadInput = [](const std::string& path) -> std::string {
    if (path == "brak.txt") throw EDorumError("nie ma pliku");
    return "<" + path + ">";
  };
  const TGradingSuite suite = ReadGradingSuite(
      R"({"program": "p.prg", "cases": [{"input_file": "./d/we.txt", "output": ""},
          {"input_file": "brak.txt", "output": ""}, {"input": "a", "input_file": "b"}]})",
      "z.json", files);
  EXPECT_EQ(suite.Cases[0].Input, "<d/we.txt>");
  EXPECT_EQ(suite.Cases[0].InputFile, "d/we.txt");
  EXPECT_EQ(Mistakes(suite),
            "z.json:case przypadek2:input_file: nie ma pliku\n"
            "z.json:case przypadek3: input i input_file wykluczają się");
}

// Where the text stops being JSON, as an editor counts lines and columns:
// the character at fault, as the command line tells it.
std::string SyntaxError(const std::string& json) {
  try {
    (void)ReadGradingSuite(json, "zestaw.json");
  } catch (const EDorumError& e) {
    return e.Message();
  }
  return {};
}

TEST(GradingSuiteReading, ASyntaxErrorIsPlacedAtTheCharacterAtFault) {
  EXPECT_NE(SyntaxError("{\n  \"cases\": [}").find("wierszu 2, kolumnie 13"), std::string::npos)
      << SyntaxError("{\n  \"cases\": [}");
  EXPECT_NE(SyntaxError("{\"cases\": [1 2]}").find("wierszu 1, kolumnie 14"), std::string::npos)
      << SyntaxError("{\"cases\": [1 2]}");
}

TEST(GradingSuiteReading, TextThatIsNoSuiteRaises) {
  EXPECT_THROW((void)Read(R"({"program": "p.prg", "cases": [}")"), EDorumError);
  EXPECT_THROW((void)Read("[1]"), EDorumError);
  EXPECT_THROW((void)Read(R"({"program": "p.prg", "cases": []})"), EDorumError);
  EXPECT_THROW((void)Read(R"({"programs": "p.prg", "cases": [{"expect": "x=1"}]})"), EDorumError);
}

// --- the checks ---

std::string Refusal(std::string_view text, const TMachine& machine) {
  try {
    (void)ParseChecks(text, machine);
  } catch (const EDorumError& e) {
    return e.Message();
  }
  return {};
}

TEST(GradingChecks, RefusesWhatTheMachineCannotCompare) {
  TSession session;
  const TMachine& machine = session.Machine();
  EXPECT_EQ(Refusal("AK=300", machine), "Wartość 300 w AK nie mieści się w 8 bitach");
  EXPECT_EQ(Refusal("wynik=-129", machine), "Wartość -129 w wynik nie mieści się w 8 bitach");
  EXPECT_EQ(Refusal("AK=255,AK=-128", machine), "");
  EXPECT_EQ(Refusal("mem[999]=1", machine), "Adres 999 w sprawdzeniu mem[999] leży poza pamięcią");
  EXPECT_EQ(Refusal("a b=1", machine), "Sprawdzenie a b: to nie jest nazwa rejestru ani etykiety");
  EXPECT_EQ(Refusal("a;b=1", machine), "Sprawdzenie a;b: to nie jest nazwa rejestru ani etykiety");
  EXPECT_EQ(Refusal("x", machine), "Sprawdzenie \"x\" nie ma postaci NAZWA=WARTOŚĆ");
  EXPECT_EQ(Refusal("RZ=1", machine), "Sprawdzenie RZ: tej maszyny nie ma rejestru RZ");
}

TEST(GradingChecks, ALabelTheProgramLacksFailsWithoutAValue) {
  TSession session;
  std::vector<TGradingCheck> checks = ParseChecks("wynik=3", session.Machine());
  ResolveLabels(checks, session.Machine(), session.Watches());
  const TCheckResult result = Evaluate(checks[0], session.Machine());
  EXPECT_FALSE(result.Held);
  EXPECT_FALSE(result.Actual);
  EXPECT_EQ(result.Shown(), "brak wartości: program nie ma etykiety wynik");
}

// A value is shown as the teacher wrote the expected one: with its
// negative reading only when a negative value was expected.
TEST(GradingChecks, AValueIsShownSignedOnlyWhereANegativeOneWasExpected) {
  TSession session;
  session.Machine().Register(TRegisterId::AK).Store(250);
  const std::vector<TGradingCheck> checks = ParseChecks("AK=-1,AK=100", session.Machine());
  EXPECT_EQ(Evaluate(checks[0], session.Machine()).Shown(), "250 (-6)");
  EXPECT_EQ(Evaluate(checks[1], session.Machine()).Shown(), "250");
}

TEST(GradingChecks, InstructionWordsTakeTheCodeAndTheLabelsAddress) {
  TSession session;
  TProgramDocument document;
  document.SetTexts({"POB x", "STP", "x: RST 3"});
  session.AssembleProgram(document);
  EXPECT_EQ(InstructionOfWord(" ŁAD  wynik "), "ŁAD");
  EXPECT_EQ(InstructionOfWord("12"), "");
  EXPECT_EQ(InstructionOfWord("POB 1 2"), "");
  std::vector<TGradingCheck> checks = ParseChecks("mem[0]=POB x,mem[1]=stp", session.Machine());
  ResolveWords(checks, session.Machine(), session.Control().Instructions(), session.Watches());
  const int pob = session.Control().Instructions().IndexOf("pob");
  const int bits = session.Machine().AddressBits();
  EXPECT_EQ(checks[0].Expected, (pob << bits) | 2);
  EXPECT_EQ(ExpectedText(checks[0]), "POB x (" + std::to_string((pob << bits) | 2) + ")");
  for (const TGradingCheck& check : checks)
    EXPECT_TRUE(Evaluate(check, session.Machine()).Held) << check.Name;
  std::vector<TGradingCheck> unknown = ParseChecks("mem[0]=POB y", session.Machine());
  EXPECT_THROW(
      ResolveWords(unknown, session.Machine(), session.Control().Instructions(), session.Watches()),
      EDorumError);
}

// --- a case run in memory, against the command line's verdicts ---

std::string GradeFile(const std::string& name) {
  return Join(ReadTextFile(std::string(DORUM_GRADE_DIR) + '/' + name), "\n");
}

TGradingTask Submission(const std::string& folder) {
  TGradingTask task;
  task.List = GradeFile("kurs.lst");
  task.Instructions.push_back({"ddw.rzk", GradeFile("zgloszenia/" + folder + "/ddw.rzk")});
  task.Program = GradeFile("zgloszenia/" + folder + "/program.prg");
  return task;
}

TGradingTask OmbraProgram(const std::string& name) {
  TGradingTask task;
  task.List = GradeFile("ombra.lst");
  task.Program = GradeFile("../../examples/ombra/" + name);
  task.ProgramName = name;
  return task;
}

using TVerdicts = std::vector<std::pair<std::string, std::string>>;

// The outcome and message of each case of the suite.
TVerdicts Verdicts(const std::string& suiteFile, const TGradingTask& task) {
  const TGradingSuite suite = ReadGradingSuite(GradeFile(suiteFile), suiteFile);
  TVerdicts verdicts;
  for (const TGradingCase& test : suite.Cases) {
    const TGradingRun run = RunGradingCase(task, test);
    verdicts.emplace_back(CaseOutcomeName(run.Verdict.Outcome), run.Verdict.Message);
  }
  return verdicts;
}

// What tests/grade/class.out, missing_label.out, input_cases.out and
// irq_cases.out say of the same submissions.
TEST(GradingCaseRun, GivesTheCommandLinesVerdicts) {
  EXPECT_EQ(Verdicts("zestaw.json", Submission("dobry")),
            (TVerdicts{{"passed", ""}, {"passed", ""}, {"passed", ""}}));
  EXPECT_EQ(Verdicts("zestaw.json", Submission("zly")),
            (TVerdicts{{"wrong", "oczekiwano wynik=11, jest 7; DDW: nie wykonano"},
                       {"wrong", "oczekiwano wynik=50, jest 30"},
                       {"wrong", "oczekiwano wynik=-1, jest 510 (-2)"}}));
  EXPECT_EQ(Verdicts("zestaw.json", Submission("bez_etykiety"))[0],
            (std::pair<std::string, std::string>{
                "missing_label",
                "oczekiwano wynik=11, jest brak wartości: program nie ma etykiety wynik"}));
  EXPECT_EQ(
      Verdicts("zestaw.json", Submission("bledna_skladnia"))[0],
      (std::pair<std::string, std::string>{"error", "program.prg:2:5: Nie znaleziono etykiety y"}));
  EXPECT_EQ(Verdicts("zestaw.json", Submission("bledny_rozkaz"))[0],
            (std::pair<std::string, std::string>{
                "error", "ddw.rzk:4:15: Nieoczekiwana nazwa sygnału: dood"}));
  EXPECT_EQ(Verdicts("zestaw.json", Submission("petla"))[2],
            (std::pair<std::string, std::string>{
                "limit",
                "program.prg:3: Przekroczono limit 100 taktów zegara; program przerwano (rozkaz "
                "ddw, takt 1 rozkazu, wiersz 3 programu, takt zegara nr 100)"}));
  EXPECT_EQ(Verdicts("echo.json", OmbraProgram("echo.prg")),
            (TVerdicts{{"passed", ""},
                       {"input",
                        "echo.prg:6: Program czeka na znak z wejścia, a dane wejściowe się "
                        "skończyły (rozkaz wpr, takt 2 rozkazu, wiersz 6 programu, takt zegara "
                        "nr 86); program wypisał dotąd „AB”"}}));
  EXPECT_EQ(Verdicts("przerwanie.json", OmbraProgram("przerwanie.prg")),
            (TVerdicts{{"passed", ""}, {"wrong", "oczekiwano obsluzone=2, jest 0"}}));
}

TEST(GradingCaseRun, ReportsCyclesOutputAndTheCountsOfMustExecute) {
  const TGradingSuite suite = ReadGradingSuite(GradeFile("zestaw.json"), "zestaw.json");
  const TGradingRun run = RunGradingCase(Submission("dobry"), suite.Cases[0]);
  EXPECT_EQ(run.Report.Checks.size(), 1U);
  EXPECT_GT(run.Cycles, 0U);
  ASSERT_EQ(run.Report.MustExecute.size(), 1U);
  EXPECT_EQ(run.Report.MustExecute[0].Executed, 1U);
  EXPECT_EQ(run.Verdict.Points, 1);
}

// A press due after the cycle limit never holds the run past it.
TEST(GradingCaseRun, ThePressesAndTheCycleLimitEndTheirStretches) {
  TGradingTask task = OmbraProgram("przerwanie.prg");
  TGradingCase test;
  test.Status = TCaseEnd::Limit;
  test.MaxCycles = 50;
  test.Irq = {"2@5000"};
  test.Expect = {"obsluzone=0"};
  TGradingRun run = RunGradingCase(task, test);
  EXPECT_EQ(run.Report.End, TCaseEnd::Limit);
  EXPECT_EQ(run.Cycles, 50U);
  // Presses are served in the order of their cycles, however written.
  test.MaxCycles = 2000;
  test.Status = TCaseEnd::Stopped;
  test.Irq = {"2@300", "2@300", "2@0"};
  test.Expect = {"obsluzone=2"};
  run = RunGradingCase(task, test);
  EXPECT_EQ(CaseOutcomeName(run.Verdict.Outcome), "passed") << run.Verdict.Message;
}

// An error's step past the instruction's last cycle (a failed fetch of the
// next) is placed in the program, never in the instruction's file.
TEST(GradingCaseRun, AStepPastTheInstructionsCyclesIsNotPlacedInItsFile) {
  TSession session;
  const TInstructionList& list = session.Control().Instructions();
  const TInstruction& dod = list.At(list.IndexOf("dod"));
  const std::map<std::string, std::string> files{{dod.Name(), "dod.rzk"}};
  TDiagnostic d;
  d.Instruction = dod.Name();
  d.Step = dod.CycleCount();
  PlaceInInstructionFile(d, list, files);
  EXPECT_EQ(d.File, "");
  d.Step = dod.CycleCount() - 1;
  PlaceInInstructionFile(d, list, files);
  EXPECT_EQ(d.File, "dod.rzk");
  EXPECT_EQ(d.Line, dod.Cycle(d.Step).SourceLine + 1);
}

// As tests/run/json_refused_cycle.out counts it: the refused cycle has a
// line of the trace, so it is counted.
TEST(GradingCaseRun, ARefusedCycleIsCounted) {
  TGradingTask task;
  task.List = GradeFile("../run/dwa.lst");
  task.Program = GradeFile("../run/dwa.prg");
  task.ProgramName = "dwa.prg";
  TGradingCase test;
  test.Status = TCaseEnd::Error;
  const TGradingRun run = RunGradingCase(task, test);
  EXPECT_EQ(run.Report.End, TCaseEnd::Error);
  EXPECT_EQ(run.Cycles, 2U);
}

TEST(GradingCaseRun, HiddenExpectationsAndWaitingForInput) {
  TGradingCase test;
  test.Expect = {"AK=5"};
  test.HideExpected = true;
  TGradingTask task;
  task.Program = "POB x\nSTP\nx: RST 7";
  TGradingRun run = RunGradingCase(task, test);
  EXPECT_EQ(CaseOutcomeName(run.Verdict.Outcome), "wrong");
  EXPECT_EQ(run.Verdict.Message, "AK: zła wartość 7");
  test.Status = TCaseEnd::Error;
  run = RunGradingCase(task, test);
  EXPECT_EQ(run.Verdict.Message,
            "oczekiwano, że program zakończy się błędem, a zakończył się rozkazem stopu; AK: zła "
            "wartość 7");
}

// A word after an instruction that takes none: the assembler expects the
// next instruction, and the student learns which of theirs said so.
TEST(GradingCaseRun, AnArgumentGivenToAnInstructionWithoutArgumentsNamesIt) {
  TGradingTask task = Submission("dobry");
  std::string ddw = task.Instructions[0].Text;
  ddw.replace(ddw.find("ROZKAZ DDW;"), 11, "ROZKAZ DDW;\nArgumenty 0;");
  task.Instructions[0].Text = ddw;
  TGradingCase test;
  test.Expect = {"wynik=11"};
  TGradingRun run = RunGradingCase(task, test);
  EXPECT_EQ(CaseOutcomeName(run.Verdict.Outcome), "error");
  EXPECT_NE(run.Verdict.Message.find("Oczekiwany rozkaz (rozkaz ddw ma „Argumenty 0”, a po nim "
                                     "stoi „y”)"),
            std::string::npos)
      << run.Verdict.Message;
  // A word that is no instruction after one that takes an argument is only
  // the word at fault.
  task = Submission("dobry");
  task.Program = "start: POB x xyz y\nSTP\nx: RST 1\ny: RST 2\nwynik: RPA\n";
  run = RunGradingCase(task, test);
  EXPECT_EQ(run.Verdict.Message, "program.prg:1:14: Oczekiwany rozkaz (słowo „xyz”)");
}

TEST(GradingVerdict, AnInputRunSaysWhatWasPrintedLast) {
  TRunReport run;
  run.End = TCaseEnd::Input;
  run.Message = "czeka";
  run.Output = std::string(70, 'a') + "ż";
  TGradingCase test;
  const TCaseVerdict verdict = JudgeCase(run, test, false);
  EXPECT_EQ(verdict.Outcome, TCaseOutcome::Input);
  EXPECT_EQ(OutputTail(run.Output), "…" + std::string(59, 'a') + "ż");
  EXPECT_NE(verdict.Message.find(std::string(59, 'a') + "ż"), std::string::npos);
  // Output that fits whole is shown whole, without the mark of a cut.
  EXPECT_EQ(OutputTail(std::string(60, 'a')), std::string(60, 'a'));
  EXPECT_EQ(OutputTail(std::string(61, 'a')), "…" + std::string(60, 'a'));
}

// --- a task's public cases, as the page's "Sprawdź" checks them ---

TTaskCheck IloczynTask(const std::string& program, const std::string& ilo) {
  TTaskCheck check;
  check.SuiteJson = GradeFile("../../kurs/lab3/iloczyn/iloczyn.json");
  check.SuiteFile = "iloczyn.json";
  check.List = GradeFile("../../kurs/lab3/iloczyn/pelt.lst");
  check.Files = {{"iloczyn.prg", GradeFile(program)}, {"ilo.rzk", GradeFile(ilo)}};
  return check;
}

using TOutcomes = std::vector<std::pair<std::string, TCaseOutcome>>;
TOutcomes OutcomesOf(const TTaskCheckResult& result) {
  TOutcomes outcomes;
  for (const TTaskCaseResult& c : result.Cases) outcomes.emplace_back(c.Name, c.Outcome);
  return outcomes;
}

TEST(TaskCheck, TheReferenceSolutionPassesEveryPublicCaseWithItsPoints) {
  const TTaskCheckResult result =
      CheckTask(IloczynTask("../../examples/lab/iloczyn/wzorzec/iloczyn.prg",
                            "../../examples/lab/iloczyn/wzorzec/ilo.rzk"));
  ASSERT_TRUE(result.Error.empty()) << result.Error;
  EXPECT_EQ(OutcomesOf(result),
            (TOutcomes{{"przyklad", TCaseOutcome::Passed}, {"zero", TCaseOutcome::Passed}}));
  EXPECT_EQ(result.Cases[0].Points, 2);
  EXPECT_EQ(result.Cases[1].Points, 1);
  EXPECT_GT(result.Cases[0].Cycles, 0U);
  EXPECT_FALSE(result.Cases[0].Capped);
}

TEST(TaskCheck, TheStartingFilesAreWrongAndEarnNothing) {
  const TTaskCheckResult result = CheckTask(
      IloczynTask("../../kurs/lab3/iloczyn/iloczyn.prg", "../../kurs/lab3/iloczyn/ilo.rzk"));
  ASSERT_EQ(result.Cases.size(), 2U);
  for (const TTaskCaseResult& c : result.Cases) {
    EXPECT_EQ(c.Outcome, TCaseOutcome::Wrong) << c.Name << ": " << c.Message;
    EXPECT_EQ(c.Points, 0);
  }
  EXPECT_EQ(result.Cases[0].MaxPoints, 2);
}

TEST(TaskCheck, AFileTheStudentLacksIsMissingInEveryCase) {
  TTaskCheck check = IloczynTask("../../examples/lab/iloczyn/wzorzec/iloczyn.prg",
                                 "../../examples/lab/iloczyn/wzorzec/ilo.rzk");
  check.Files.erase("ilo.rzk");
  const TTaskCheckResult result = CheckTask(check);
  ASSERT_EQ(result.Cases.size(), 2U);
  for (const TTaskCaseResult& c : result.Cases) {
    EXPECT_EQ(c.Outcome, TCaseOutcome::Missing);
    EXPECT_EQ(c.Message, "Brak pliku ilo.rzk");
  }
}

TEST(TaskCheck, AHungProgramIsCutByTheCapWhenItsLimitIsHigher) {
  TTaskCheck check = IloczynTask("../../examples/lab/iloczyn/wzorzec/iloczyn.prg",
                                 "../../examples/lab/iloczyn/wzorzec/ilo.rzk");
  check.Files["iloczyn.prg"] = "start: SOB start\na: RST 6\nb: RST 7\nwynik: RPA\n";
  check.CycleCap = 100;  // below the first case's 275, above the second's 65
  const TTaskCheckResult result = CheckTask(check);
  ASSERT_EQ(result.Cases.size(), 2U);
  EXPECT_EQ(result.Cases[0].Outcome, TCaseOutcome::Limit);
  EXPECT_TRUE(result.Cases[0].Capped);
  EXPECT_EQ(result.Cases[0].Cycles, 100U);
  EXPECT_EQ(result.Cases[1].Outcome, TCaseOutcome::Limit);
  EXPECT_FALSE(result.Cases[1].Capped);
  EXPECT_EQ(result.Cases[1].Cycles, 65U);
  // A limit no higher than the cap is the case's own.
  check.CycleCap = 65;
  EXPECT_FALSE(CheckTask(check).Cases[1].Capped);
}

TEST(TaskCheck, ASuiteThatIsNoJsonIsAnErrorAndOneWithMistakesIsTheTeachers) {
  TTaskCheck check =
      IloczynTask("../../kurs/lab3/iloczyn/iloczyn.prg", "../../kurs/lab3/iloczyn/ilo.rzk");
  check.SuiteJson = "nie json";
  EXPECT_FALSE(CheckTask(check).Error.empty());
  check.SuiteJson =
      R"({"program": "iloczyn.prg", "cases": [{"name": "a", "expect": {"x": 1}, "points": -1}]})";
  const TTaskCheckResult result = CheckTask(check);
  ASSERT_EQ(result.Cases.size(), 1U);
  EXPECT_EQ(result.Cases[0].Outcome, TCaseOutcome::Suite);
  EXPECT_FALSE(result.Cases[0].Message.empty());
  // A check the machine cannot make is found only against its list: the
  // teacher's still, not the student's.
  check.SuiteJson = R"({"program": "iloczyn.prg", "instructions": ["ilo.rzk"],
                        "cases": [{"name": "a", "expect": {"mem[5000]": 1}}]})";
  const TTaskCheckResult beyond = CheckTask(check);
  ASSERT_EQ(beyond.Cases.size(), 1U);
  EXPECT_EQ(beyond.Cases[0].Outcome, TCaseOutcome::Suite) << beyond.Cases[0].Message;
}

// A missing label alone is the student's naming; with any other failure
// beside it the answer is wrong.
TEST(GradingVerdict, OnlyMissingLabelsMakeAMissingLabelOutcome) {
  TRunReport run;
  run.End = TCaseEnd::Stopped;
  run.Checks = {{"wynik", 3, std::nullopt, "brak", "3", false}};
  TGradingCase test;
  test.Points = 2;
  EXPECT_EQ(JudgeCase(run, test, false).Outcome, TCaseOutcome::MissingLabel);
  run.MustExecute = {{"DDW", 0}};
  TCaseVerdict verdict = JudgeCase(run, test, false);
  EXPECT_EQ(verdict.Outcome, TCaseOutcome::Wrong);
  EXPECT_EQ(verdict.Points, 0);
  run.MustExecute = {{"DDW", 1}};
  run.Checks.push_back({"AK", 1, 2, "2", "1", false});
  EXPECT_EQ(JudgeCase(run, test, false).Outcome, TCaseOutcome::Wrong);
  run.Checks = {{"AK", 1, 1, "1", "1", true}};
  verdict = JudgeCase(run, test, false);
  EXPECT_EQ(verdict.Outcome, TCaseOutcome::Passed);
  EXPECT_EQ(verdict.Points, 2);
}

// A run that did not stop on its own is judged by how it ended, whatever end
// the case expected; only a stop where another end was due is a wrong answer.
TEST(GradingVerdict, ARunThatDidNotStopIsJudgedByItsEnd) {
  TRunReport run;
  run.Message = "koniec";
  TGradingCase test;
  test.Status = TCaseEnd::Input;
  for (const auto& [end, outcome] : {std::pair{TCaseEnd::Error, TCaseOutcome::Error},
                                     std::pair{TCaseEnd::Limit, TCaseOutcome::Limit}}) {
    run.End = end;
    const TCaseVerdict verdict = JudgeCase(run, test, false);
    EXPECT_EQ(verdict.Outcome, outcome);
    EXPECT_EQ(verdict.Message, "koniec");
  }
  run.End = TCaseEnd::Input;
  test.Status = TCaseEnd::Stopped;
  EXPECT_EQ(JudgeCase(run, test, false).Message, "koniec; program nic dotąd nie wypisał");
  run.End = TCaseEnd::Input;
  test.Status = TCaseEnd::Input;
  EXPECT_EQ(JudgeCase(run, test, false).Outcome, TCaseOutcome::Passed);
}

TEST(GradingVerdict, TheOutputIsComparedWholeOrForAPiece) {
  TRunReport run;
  run.End = TCaseEnd::Stopped;
  run.Output = "wynik 12";
  TGradingCase test;
  test.Output = "wynik 12";
  test.OutputContains = "12";
  EXPECT_EQ(JudgeCase(run, test, false).Outcome, TCaseOutcome::Passed);
  test.Output = "wynik 13";
  test.OutputContains = "13";
  EXPECT_EQ(JudgeCase(run, test, false).Message,
            "wyjście: oczekiwano „wynik 13”, jest „wynik 12”; wyjście: brak fragmentu „13”");
  EXPECT_EQ(JudgeCase(run, test, true).Message,
            "wyjście: inne niż oczekiwane, jest „wynik 12”; wyjście: brak wymaganego fragmentu");
}

// Every outcome has its one row, and each mark tells its outcome apart in
// a table of results, on the command line and on the page alike.
TEST(GradingVerdict, EveryOutcomeHasItsOwnMarkAndMeaning) {
  const auto marks = OutcomeMarks();
  std::set<std::string_view> seenMarks;
  std::set<std::string_view> seenTypes;
  for (int k = 0; k <= static_cast<int>(TCaseOutcome::Suite); ++k) {
    const auto outcome = static_cast<TCaseOutcome>(k);
    const TOutcomeMark& mark = MarkOf(outcome);
    EXPECT_EQ(mark.Outcome, outcome);
    EXPECT_FALSE(mark.Meaning.empty());
    EXPECT_TRUE(seenMarks.insert(mark.Mark).second) << mark.Mark;
    EXPECT_TRUE(seenTypes.insert(mark.Type).second) << mark.Type;
    EXPECT_EQ(CaseOutcomeName(outcome), mark.Type);
  }
  EXPECT_EQ(marks.size(), seenMarks.size());
  EXPECT_EQ(MarkOf(TCaseOutcome::Passed).Mark, "ok");
  EXPECT_EQ(MarkOf(TCaseOutcome::Wrong).Mark, "źle");
  EXPECT_EQ(MarkOf(TCaseOutcome::Missing).Mark, "brak");
  // Only the suite's mistakes are the teacher's.
  EXPECT_TRUE(MarkOf(TCaseOutcome::Suite).Teacher);
  EXPECT_FALSE(MarkOf(TCaseOutcome::Wrong).Teacher);
  // JUnit tells a program that could not be judged (an error) from a wrong
  // answer (a failure).
  for (const TCaseOutcome outcome :
       {TCaseOutcome::Timeout, TCaseOutcome::Crash, TCaseOutcome::Suite})
    EXPECT_TRUE(MarkOf(outcome).JunitError) << MarkOf(outcome).Type;
  for (const TCaseOutcome outcome : {TCaseOutcome::Wrong, TCaseOutcome::Error, TCaseOutcome::Limit})
    EXPECT_FALSE(MarkOf(outcome).JunitError) << MarkOf(outcome).Type;
}

}  // namespace
}  // namespace dorum
