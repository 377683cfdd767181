// A planned cycle must leave exactly what the checked, signal-by-signal
// cycle leaves: the same message, registers, buses, marks, memory, console
// and control-unit flags, for every signal set on every configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "MachineTestSupport.h"
#include "common/Strings.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

// The signal sets of every cycle of the example instruction lists: the
// cycles real microprograms run, most of them clean.
// Every instruction list of the examples' folders, in the order of their
// names, so that the same seed draws the same scenarios everywhere. A list
// copied beside a task that uses it counts once.
TLines ExampleLists() {
  namespace fs = std::filesystem;
  std::vector<fs::path> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(DORUM_EXAMPLES_DIR)) {
    if (entry.is_directory()) folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  TLines lists;
  std::set<std::string> texts;
  for (const fs::path& folder : folders) {
    TLines names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".lst") names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      std::ifstream file(name, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      if (texts.insert(std::move(text)).second) lists.push_back(name);
    }
  }
  return lists;
}

// The lines that contain the text.
TLines Containing(const TLines& lines, std::string_view text) {
  TLines found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.find(text) != std::string::npos; });
  return found;
}

std::vector<std::uint64_t> ExampleSignalSets() {
  std::vector<std::uint64_t> sets;
  for (const std::string& list : ExampleLists()) {
    TSession session;
    TController& control = session.Control();
    LoadInstructionList(list, session.Machine(), control);
    for (int code = 0; code < control.Instructions().Count(); ++code) {
      for (const TMicroCode& micro : control.Instructions().At(code).Cycles())
        sets.push_back(micro.Signals.Low());
    }
  }
  // Cycles of the extended arithmetic and the link, which the lists use
  // little, so that zero divisors and both link directions come up.
  for (const char* names : {"wys weja dziel weak", "wyak weja dziel weak wyl wea",
                            "czyt wys weja dziel weak", "wyx weja mno weak", "wyl as weja shr weak",
                            "wyad as wea", "wyak as weja neg weak", "wyrb weja lub weak"}) {
    sets.push_back(Signals(names));
  }
  return sets;
}

struct TScenario {
  int AddressBits;
  int CodeBits;
  TComponentSet Components;
  std::array<std::int32_t, kRegisterCount> Values;
  std::array<TDisplayMode, kRegisterCount> Modes;
  std::array<std::int32_t, kBusCount> BusValues;
  std::vector<std::pair<int, int>> Words;
  std::string Input;
  bool Waiting;
  std::uint64_t Signals;
};

TScenario RandomScenario(std::mt19937& random, const std::vector<std::uint64_t>& examples) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  TScenario s;
  s.AddressBits = pick(5, 8);
  s.CodeBits = pick(3, 5);
  s.Components.set(0);
  for (int option = 1; option <= kOptionCount; ++option) {
    if (pick(0, 2) != 0) s.Components.set(static_cast<std::size_t>(option));
  }
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    // Small values make zero divisors, port numbers and carries likely.
    s.Values[r] = pick(0, 3) == 0 ? pick(-300, 300) : pick(0, 3);
    s.Modes[r] = static_cast<TDisplayMode>(pick(0, 3));
  }
  for (auto& v : s.BusValues) v = pick(-5, 400);
  for (int k = 0; k < 6; ++k) s.Words.emplace_back(pick(0, 255), pick(-5, 400));
  s.Input = pick(0, 1) != 0 ? "ab" : std::string();
  s.Waiting = pick(0, 1) != 0;
  if (pick(0, 1) == 0) {
    std::uint64_t set =
        examples[static_cast<std::size_t>(pick(0, static_cast<int>(examples.size()) - 1))];
    if (pick(0, 2) == 0) set ^= std::uint64_t{1} << pick(0, kSignalCount - 1);
    s.Signals = set;
  } else {
    s.Signals = 0;
    for (int k = pick(1, 7); k > 0; --k) s.Signals |= std::uint64_t{1} << pick(0, kSignalCount - 1);
  }
  return s;
}

void Prepare(TMachine& m, const TScenario& s) {
  m.SetAddressBits(s.AddressBits);
  m.SetCodeBits(s.CodeBits);
  m.SetComponents(s.Components);
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    m.Register(static_cast<TRegisterId>(r)).Store(s.Values[r]);
    if (r != static_cast<std::size_t>(TRegisterId::F))
      m.Register(static_cast<TRegisterId>(r)).SetDisplayMode(s.Modes[r]);
  }
  for (std::size_t b = 0; b < kBusCount; ++b) m.Bus(static_cast<TBusId>(b)).Store(s.BusValues[b]);
  for (const auto& [address, value] : s.Words) m.Memory().Store(address, value);
  m.Console().SetInputText(s.Input);
  m.Control().SetWaitingForInput(s.Waiting);
}

// Everything a cycle can change, as text, so a difference names itself.
TLines Snapshot(const TMachine& m, const TRecordingControl& control, const std::string& error) {
  TLines lines{"error " + error};
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    lines.push_back(reg.Caption() + ' ' + std::to_string(reg.Content()));
  }
  for (std::size_t b = 0; b < kBusCount; ++b) {
    lines.push_back("bus " + std::to_string(b) + ' ' +
                    std::to_string(m.Bus(static_cast<TBusId>(b)).RawValue()));
  }
  lines.push_back("marks " + ToText(m.CycleMarks(), 16));
  if (m.AluInputValid()) lines.push_back("alu in " + std::to_string(m.Alu().Input()));
  if (m.AluResultValid()) lines.push_back("alu out " + std::to_string(m.Alu().Result()));
  for (int cell = 0; cell < 256; ++cell) lines.push_back(std::to_string(m.Memory().Raw(cell)));
  lines.push_back("input " + m.Console().InputText());
  lines.push_back("output " + m.Console().OutputText());
  lines.push_back("waiting " + std::to_string(control.Waiting) + " finished " +
                  std::to_string(control.Finished));
  return lines;
}

}  // namespace

TEST(CyclePlan, PlannedCyclesLeaveWhatCheckedCyclesLeave) {
  const std::vector<std::uint64_t> examples = ExampleSignalSets();
  ASSERT_GT(examples.size(), 50u);
  std::mt19937 random(20261208);
  int clean = 0;
  int failedClean = 0;
  int zeroDivisors = 0;
  int accesses = 0;
  constexpr int kCases = 4000;
  for (int n = 0; n < kCases; ++n) {
    const TScenario s = RandomScenario(random, examples);
    TMachine checked;
    TMachine planned;
    TRecordingControl checkedControl;
    TRecordingControl plannedControl;
    checked.SetControl(&checkedControl);
    planned.SetControl(&plannedControl);
    Prepare(checked, s);
    Prepare(planned, s);
    (void)checked.TakeChanges();
    (void)planned.TakeChanges();

    const std::string checkedError = MessageOf([&] { checked.ExecuteSignals(s.Signals); });
    const TCyclePlan plan = planned.MakePlan(s.Signals);
    const std::string plannedError = MessageOf([&] {
      planned.SetActiveSignals(s.Signals);
      planned.ClearCycle();
      planned.PerformPlanned(plan);
    });
    if (plan.Clean) {
      ++clean;
      // A clean plan fails only on data: a zero divisor or the stop signal.
      if (!plannedError.empty()) ++failedClean;
      if (plannedError == "Division by zero") ++zeroDivisors;
    }
    ASSERT_EQ(Snapshot(planned, plannedControl, plannedError),
              Snapshot(checked, checkedControl, checkedError))
        << "case " << n << ", signals " << std::hex << s.Signals;
    const TMachineChanges a = planned.TakeChanges();
    const TMachineChanges b = checked.TakeChanges();
    EXPECT_EQ(a.Signals, b.Signals);
    EXPECT_EQ(a.FirstCell, b.FirstCell);
    EXPECT_EQ(a.LastCell, b.LastCell);
    EXPECT_EQ(a.AccessedCell, b.AccessedCell);
    if (a.AccessedCell >= 0) ++accesses;
  }
  // Both paths must have been exercised, and clean plans that fail on data too.
  EXPECT_GT(clean, kCases / 5);
  EXPECT_LT(clean, kCases);
  EXPECT_GT(failedClean, 0);
  EXPECT_GT(zeroDivisors, 0);
  EXPECT_GT(accesses, kCases / 10);
}

// A register shown signed reads with its sign. Onto a wider place the sign
// shows; onto one as wide or narrower only the register's own bits can, so
// a plan skips the sign there. Both ways must leave what the checked cycle
// leaves, on a configuration where every width differs.
TEST(CyclePlan, ASignedRegisterReadOntoAWiderPlaceCarriesItsSign) {
  TComponentSet every;
  for (int option = 0; option <= kOptionCount; ++option)
    every.set(static_cast<std::size_t>(option));
  for (const char* names : {"wyls wes", "wyrb wes", "wyg wes", "wyrm wea", "wyl wea", "wys wei",
                            "wyad wea", "wyak wex", "wyws wea", "wyap wea", "il", "czyt", "pisz"}) {
    TMachine checked;
    TMachine planned;
    for (TMachine* m : {&checked, &planned}) {
      m->SetAddressBits(6);
      m->SetCodeBits(4);  // words of 10 bits
      m->SetComponents(every);
      for (std::size_t r = 0; r < kRegisterCount; ++r) {
        const auto id = static_cast<TRegisterId>(r);
        m->Register(id).Store(-1);
        if (id != TRegisterId::F) m->Register(id).SetDisplayMode(TDisplayMode::dmSigned);
      }
      m->Memory().Store(63, 0x155);
    }
    checked.ExecuteSignals(Signals(names));
    const TCyclePlan plan = planned.MakePlan(Signals(names));
    ASSERT_TRUE(plan.Clean) << names;
    planned.SetActiveSignals(Signals(names));
    planned.ClearCycle();
    planned.PerformPlanned(plan);
    for (std::size_t b = 0; b < kBusCount; ++b) {
      const auto id = static_cast<TBusId>(b);
      EXPECT_EQ(planned.Bus(id).RawValue(), checked.Bus(id).RawValue()) << names << ", bus " << b;
    }
    for (std::size_t r = 0; r < kRegisterCount; ++r) {
      const auto id = static_cast<TRegisterId>(r);
      EXPECT_EQ(planned.Register(id).Content(), checked.Register(id).Content())
          << names << ", " << checked.Register(id).Caption();
    }
    EXPECT_EQ(planned.Memory().Raw(63), checked.Memory().Raw(63)) << names;
  }
  // L, six bits all ones and shown signed, is -1: on the ten-bit bus S, all ten.
  TMachine m;
  m.SetAddressBits(6);
  m.SetCodeBits(4);
  m.SetComponents(every);
  m.Register(TRegisterId::L).Store(63);
  m.SetDisplayMode(TRegisterId::L, TDisplayMode::dmSigned);
  m.ExecuteSignals(Signals("wyls"));
  EXPECT_EQ(m.Bus(TBusId::S).RawValue(), 0x3FFu);
}

TEST(CyclePlan, AConfigurationChangeMakesPlansStaleAndTheirVerdictFollowsIt) {
  TMachine m;
  const std::uint64_t wex = Signals("wys wex");
  const TCyclePlan basic = m.MakePlan(wex);
  EXPECT_FALSE(basic.Clean);  // X is hidden on the basic machine
  m.SetComponents(TComponentSet().set(0).set(6));
  EXPECT_NE(m.PlanGeneration(), basic.Generation);
  const TCyclePlan withX = m.MakePlan(wex);
  EXPECT_TRUE(withX.Clean);
  EXPECT_EQ(withX.Marks, Marks::Bus(TBusId::S) | Marks::Register(TRegisterId::X));
  // The link's direction is fixed by what drives the buses before it.
  const TCyclePlan link = m.MakePlan(Signals("wyl as"));
  ASSERT_TRUE(link.Clean);
  EXPECT_EQ(link.Steps[1], kStepAsFromA);
  EXPECT_EQ(m.MakePlan(Signals("wyak as")).Steps[1], kStepAsFromS);
  EXPECT_FALSE(m.MakePlan(Signals("start")).Clean);  // the device depends on the port
}

TEST(CyclePlan, TheControlUnitRemakesAPlanWhenTheConfigurationChanges) {
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  control.ClearInstructions();
  m.SetComponents(TComponentSet().set(0).set(6));
  control.AddInstruction({"ROZKAZ DAJX;", "Argumenty 0;", "czyt wys wei il;", "wyak wex wyl wea;"});
  m.Memory().Store(0, 0);
  m.Memory().Store(1, 0);
  Set(m, TRegisterId::AK, 7);
  control.ExecuteInstruction();
  EXPECT_EQ(m.Register(TRegisterId::X).Value(), 7);
  // Without registers X the same cycle, planned before, must now be refused.
  m.SetComponents(TComponentSet().set(0));
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteInstruction(); }),
            "Rejestr X nie jest dostępny");
  EXPECT_TRUE(m.BusDriven(TBusId::S));  // "wyak" was done before the refusal
}

namespace {

// A follower of every cycle that does nothing: it makes a run go cycle by
// cycle, each cycle planned or checked on its own.
class TCycleByCycle final : public IControlHost {};

struct TRunScenario {
  std::string List;  // empty: the default instructions
  int AddressBits = 5;
  int CodeBits = 3;
  TComponentSet Components;
  std::vector<std::int32_t> Words;
  std::array<std::int32_t, kRegisterCount> Values{};
  std::vector<std::pair<int, int>> Breakpoints;  // instruction, cycle
  std::string Input;
  int Target = -1;
  std::uint64_t Limit = 0;
  std::vector<std::uint64_t> Slices;
};

TRunScenario RandomRun(std::mt19937& random, const TLines& lists) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  TRunScenario s;
  s.List = lists[pick(0, static_cast<int>(lists.size()) - 1)];
  s.AddressBits = pick(5, 7);
  s.CodeBits = 5;
  s.Components.set(0);
  for (int option = 1; option <= kOptionCount; ++option) {
    if (pick(0, 3) != 0) s.Components.set(static_cast<std::size_t>(option));
  }
  // Codes of the first instructions mostly, so that the runs are long.
  for (int cell = 0; cell < (1 << s.AddressBits); ++cell) {
    const int code = pick(0, 3) == 0 ? pick(0, 31) : pick(1, 7);
    s.Words.push_back((code << s.AddressBits) | pick(0, (1 << s.AddressBits) - 1));
  }
  for (auto& v : s.Values) v = pick(0, 3) == 0 ? pick(-300, 300) : pick(0, 3);
  for (int k = pick(0, 2); k > 0; --k) s.Breakpoints.emplace_back(pick(0, 8), pick(0, 3));
  s.Input = pick(0, 1) != 0 ? "ab" : std::string();
  s.Target = pick(0, 2) == 0 ? pick(0, (1 << s.AddressBits) - 1) : -1;
  s.Limit = static_cast<std::uint64_t>(pick(1, 4000));
  for (int k = pick(1, 4); k > 0; --k) s.Slices.push_back(static_cast<std::uint64_t>(pick(1, 900)));
  return s;
}

void PrepareRun(TSession& session, const TRunScenario& s) {
  TMachine& m = session.Machine();
  TController& control = session.Control();
  if (!s.List.empty()) LoadInstructionList(s.List, m, control);
  m.SetAddressBits(s.AddressBits);
  m.SetCodeBits(s.CodeBits);
  m.SetComponents(s.Components);
  for (std::size_t cell = 0; cell < s.Words.size(); ++cell)
    m.Memory().Store(static_cast<std::int32_t>(cell), s.Words[cell]);
  for (std::size_t r = 0; r < kRegisterCount; ++r)
    m.Register(static_cast<TRegisterId>(r)).Store(s.Values[r]);
  for (const auto& [code, cycle] : s.Breakpoints) {
    if (code >= control.Instructions().Count()) continue;
    const TInstruction& instruction = control.Instructions().At(code);
    if (cycle < instruction.CycleCount() && !instruction.Cycle(cycle).Breakpoint)
      control.ToggleCycleBreakpoint(code, cycle);
  }
  m.Console().SetInputText(s.Input);
  control.SetTrackingLevel(0);
  control.SetStopWhenInputRunsOut(true);
}

// Runs the program in slices, going on after a breakpoint as the user
// would, and records where each run ended.
TLines RunInSlices(TSession& session, const TRunScenario& s) {
  TController& control = session.Control();
  control.LimitCycles(s.Limit);
  TLines ends;
  for (int run = 0; run < 3; ++run) {
    control.StartProgram(s.Target);
    std::size_t slice = 0;
    const std::string error = MessageOf([&] {
      while (control.Running()) {
        const TSliceEnd end = control.RunSlice({s.Slices[slice++ % s.Slices.size()], {}});
        ends.push_back(std::to_string(static_cast<int>(end)));
      }
    });
    ends.push_back("error " + error);
    if (error.empty() || control.Finished() || control.CycleLimitReached()) break;
  }
  return ends;
}

TLines RunState(TSession& session) {
  const TMachine& m = session.Machine();
  const TController& control = session.Control();
  TLines lines;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    lines.push_back(reg.Caption() + ' ' + std::to_string(reg.Content()));
  }
  for (std::size_t b = 0; b < kBusCount; ++b) {
    lines.push_back("bus " + std::to_string(b) + ' ' +
                    std::to_string(m.Bus(static_cast<TBusId>(b)).RawValue()));
  }
  lines.push_back("marks " + ToText(m.CycleMarks(), 16) + " signals " +
                  ToText(m.ActiveSignals(), 16));
  if (m.AluInputValid()) lines.push_back("alu in " + std::to_string(m.Alu().Input()));
  if (m.AluResultValid()) lines.push_back("alu out " + std::to_string(m.Alu().Result()));
  for (int cell = 0; cell < m.Memory().Size(); ++cell)
    lines.push_back(std::to_string(m.Memory().Raw(cell)));
  lines.push_back("input " + m.Console().InputText());
  lines.push_back("output " + m.Console().OutputText());
  const TControlPlace place = control.Place();
  lines.push_back(
      "cycles " + std::to_string(place.Cycles) + " instructions " +
      std::to_string(place.Instructions) + " cycle " + std::to_string(place.CurrentCycle) +
      " shown " + std::to_string(place.ShownCode) + " line " + std::to_string(place.ShownLine) +
      " address " + std::to_string(place.InstructionAddress) + " flags " +
      std::to_string(place.Flags) + " refused " + std::to_string(control.RefusedCycle()));
  for (int code = 0; code < 32; ++code)
    lines.push_back("fetched " + std::to_string(control.FetchCount(code)));
  const TMachineChanges changes = session.Machine().TakeChanges();
  lines.push_back("changed " + ToText(changes.Registers, 16) + ' ' + std::to_string(changes.Buses) +
                  ' ' + ToText(changes.Signals, 16) + ' ' + std::to_string(changes.FirstCell) +
                  ' ' + std::to_string(changes.LastCell) + ' ' +
                  std::to_string(changes.AccessedCell) + ' ' + std::to_string(changes.Alu));
  return lines;
}

}  // namespace

TEST(CyclePlan, WholeInstructionsLeaveWhatCycleByCycleRunsLeave) {
  TLines lists{std::string()};
  const TLines examples = ExampleLists();
  lists.insert(lists.end(), examples.begin(), examples.end());
  std::mt19937 random(20261209);
  std::uint64_t instructions = 0;
  std::uint64_t runWhole = 0;
  std::set<std::string> errors;
  constexpr int kRuns = 300;
  for (int n = 0; n < kRuns; ++n) {
    const TRunScenario s = RandomRun(random, lists);
    TSession whole;
    TSession byCycle;
    PrepareRun(whole, s);
    PrepareRun(byCycle, s);
    TCycleByCycle host;
    byCycle.Control().SetHost(&host);
    (void)whole.Machine().TakeChanges();
    (void)byCycle.Machine().TakeChanges();
    const TLines wholeEnds = RunInSlices(whole, s);
    const TLines byCycleEnds = RunInSlices(byCycle, s);
    // The follower of every cycle sees each run end at its own tempo; the
    // errors that ended them must agree.
    ASSERT_EQ(Containing(wholeEnds, "error"), Containing(byCycleEnds, "error"))
        << "run " << n << " " << s.List;
    ASSERT_EQ(RunState(whole), RunState(byCycle)) << "run " << n << " " << s.List;
    instructions += whole.Control().InstructionsPerformed();
    runWhole += whole.Control().InstructionsRunWhole();
    ASSERT_EQ(byCycle.Control().InstructionsRunWhole(), 0u);
    // The kind of error: "error" and the first two words of its message.
    for (const std::string& end : Containing(wholeEnds, "error ")) {
      TLines words = Split(end, ' ');
      words.resize(std::min<std::size_t>(words.size(), 3));
      errors.insert(Join(words, " "));
    }
  }
  // Long runs, ended in many ways: the limit, the program's stop, a
  // breakpoint, a refused cycle, an input run out.
  EXPECT_GT(instructions, kRuns * 20u);
  // Most instructions ran whole, but not all: some cycles jump on a
  // condition, stop at a breakpoint or cannot be planned.
  EXPECT_GT(runWhole, instructions / 2);
  EXPECT_LT(runWhole, instructions);
  EXPECT_GE(errors.size(), 5u) << Join(TLines(errors.begin(), errors.end()), "|");
}
