// The timing dump: its variables follow the configuration, it writes only
// what changed after the first dump, and a bus nothing drove is unknown.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "MachineTestSupport.h"
#include "control/Vcd.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

// What the writer wrote since the mark.
std::string Since(const std::ostringstream& out, std::size_t mark) {
  return out.str().substr(mark);
}

TCycleSample Quiet(const TMachine& m) {
  TCycleSample sample = TCycleSample::Of(m);
  sample.Signals = 0;
  sample.DrivenBuses = 0;
  return sample;
}

// The recorder that was there before the dump, which must keep hearing of cycles.
struct TCountingRecorder final : ICycleRecorder {
  int Begins = 0;
  int Ends = 0;
  bool NeedsEnds = true;
  void BeginCycle() override { ++Begins; }
  void EndCycle(const EDorumError*) override { ++Ends; }
  [[nodiscard]] bool NeedsCycleEnds() const override { return NeedsEnds; }
};

}  // namespace

TEST(Vcd, TheVariablesAreThoseOfTheConfiguration) {
  TMachine m;
  std::ostringstream plain;
  TVcdWriter(m, plain).Start(Quiet(m));
  EXPECT_NE(plain.str().find(" 1 ! czyt $end"), std::string::npos);
  EXPECT_NE(plain.str().find("$var reg 8 "), std::string::npos);
  EXPECT_EQ(plain.str().find(" as $end"), std::string::npos);
  EXPECT_EQ(plain.str().find(" X $end"), std::string::npos);
  EXPECT_EQ(plain.str().find("mag_AS"), std::string::npos);

  m.SetComponents(TComponentSet().set(0).set(1).set(6));
  std::ostringstream wider;
  TVcdWriter(m, wider).Start(Quiet(m));
  const std::string text = wider.str();
  // "as (sa)" by its first name: a VCD name holds no blanks.
  EXPECT_NE(text.find(" as $end"), std::string::npos);
  EXPECT_EQ(text.find("(sa)"), std::string::npos);
  EXPECT_NE(text.find("$var reg 8 "), std::string::npos);
  EXPECT_NE(text.find(" X $end"), std::string::npos);
  EXPECT_NE(text.find("$var wire 5 "), std::string::npos);
  EXPECT_NE(text.find(" mag_AS $end"), std::string::npos);
}

TEST(Vcd, AfterTheFirstDumpOnlyChangesAreWritten) {
  TMachine m;
  std::ostringstream out;
  TVcdWriter writer(m, out);
  writer.Start(Quiet(m));
  EXPECT_NE(out.str().find("#0\n$dumpvars\n"), std::string::npos);

  std::size_t mark = out.str().size();
  writer.Cycle(1, Quiet(m));
  EXPECT_EQ(Since(out, mark), "#1\n");

  Set(m, R::AK, 6);
  ASSERT_EQ(Cycle(m, "wyak wes"), "");
  mark = out.str().size();
  writer.Cycle(2, TCycleSample::Of(m));
  // wyak and wes rise; AK (set between the cycles), S and the S bus hold 6.
  const std::string changes = Since(out, mark);
  EXPECT_EQ(changes.rfind("#2\n", 0), 0u);
  EXPECT_NE(changes.find("b110 "), std::string::npos);
  EXPECT_EQ(std::count(changes.begin(), changes.end(), '\n'), 1 + 2 + 3);

  mark = out.str().size();
  writer.Cycle(3, TCycleSample::Of(m));
  EXPECT_EQ(Since(out, mark), "#3\n");
  mark = out.str().size();
  writer.Finish(4);
  EXPECT_EQ(Since(out, mark), "#4\n");

  // An end no later than the last time written adds no time of its own.
  TVcdWriter same(m, out);
  same.Start(Quiet(m));
  same.Cycle(5, Quiet(m));
  mark = out.str().size();
  same.Finish(5);
  EXPECT_EQ(Since(out, mark), "");
}

TEST(Vcd, ABusIsUnknownInCyclesNothingDrivesIt) {
  TMachine m;
  Set(m, R::AK, 5);
  ASSERT_EQ(Cycle(m, "wyak wes"), "");
  const TCycleSample driven = TCycleSample::Of(m);
  EXPECT_EQ(driven.DrivenBuses, 1u << static_cast<int>(TBusId::S));
  EXPECT_EQ(driven.Buses[static_cast<std::size_t>(TBusId::S)], 5u);

  std::ostringstream out;
  TVcdWriter writer(m, out);
  writer.Start(Quiet(m));
  std::size_t mark = out.str().size();
  writer.Cycle(1, driven);
  EXPECT_NE(Since(out, mark).find("b101 "), std::string::npos);
  ASSERT_EQ(Cycle(m, ""), "");
  mark = out.str().size();
  writer.Cycle(2, TCycleSample::Of(m));
  // Two signals fall, the bus goes back to x though its last value stays.
  EXPECT_NE(Since(out, mark).find("bx "), std::string::npos);
  EXPECT_EQ(m.Bus(TBusId::S).RawValue(), 5u);
}

// Any number of recorders hear of every cycle, each for as long as its
// subscription lives; one that needs no cycle ends hears only of errors.
TEST(VcdRecorder, EveryRecorderHearsEveryCycleWhileItsSubscriptionLives) {
  TSession session;
  TController& control = session.Control();
  TCountingRecorder first;
  TCountingRecorder errorsOnly;
  errorsOnly.NeedsEnds = false;
  TController::TRecording firstRecording = control.RecordCycles(first);
  std::ostringstream out;
  {
    const TController::TRecording errorsRecording = control.RecordCycles(errorsOnly);
    TVcdRecorder dump(session.Machine(), control, out);
    // An empty memory holds "stp": a fetch, then the stop cycle's error,
    // which is a cycle of the dump too.
    control.ExecuteCycle();
    EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "Program został zakończony");
  }
  EXPECT_EQ(first.Begins, 2);
  EXPECT_EQ(first.Ends, 2);
  EXPECT_EQ(errorsOnly.Begins, 2);
  EXPECT_EQ(errorsOnly.Ends, 1);
  const std::string text = out.str();
  EXPECT_NE(text.find("\n#1\n"), std::string::npos);
  EXPECT_NE(text.find("\n#2\n"), std::string::npos);
  // The last cycle is closed by a time stamp after it.
  EXPECT_EQ(text.substr(text.size() - 3), "#3\n");

  // The others have gone; the first still hears, until its own end.
  session.Machine().ResetMachine();
  control.ExecuteCycle();
  EXPECT_EQ(first.Begins, 3);
  EXPECT_EQ(errorsOnly.Begins, 2);
  firstRecording.End();
  EXPECT_EQ(EndOf(control, [&] { return control.ExecuteCycle(); }), "Program został zakończony");
  EXPECT_EQ(first.Begins, 3);
}

TEST(VcdRecorder, ADumpBegunAfterACycleStartsWithNoBusDrivenAndNoSignalActive) {
  // The fetch drives bus S; a dump begun after it has time 0 before any
  // cycle of its own, when nothing drives a bus yet and no signal is on.
  TSession session;
  TController& control = session.Control();
  control.ExecuteCycle();
  ASSERT_TRUE(session.Machine().BusDriven(TBusId::S));
  ASSERT_NE(session.Machine().ActiveSignals(), 0u);
  std::ostringstream out;
  {
    TVcdRecorder dump(session.Machine(), control, out);
    const std::string text = out.str();
    const std::size_t from = text.find("$dumpvars\n");
    ASSERT_NE(from, std::string::npos);
    const std::string initial = text.substr(from, text.find("$end\n", from) - from);
    int buses = 0;
    for (int b = 0; b < kBusCount; ++b)
      buses += session.Machine().Bus(static_cast<TBusId>(b)).Visible() ? 1 : 0;
    int unknown = 0;
    for (std::size_t at = initial.find("bx "); at != std::string::npos;
         at = initial.find("bx ", at + 1))
      ++unknown;
    EXPECT_EQ(unknown, buses) << initial;
    EXPECT_EQ(initial.find("\n1"), std::string::npos) << initial;
    EXPECT_NE(initial.find("\n0"), std::string::npos) << initial;
  }
}

// A register narrowed by the configuration keeps its upper bits for a
// later widening, but the dump shows only the bits of its width.
TEST(Vcd, ANarrowedRegisterIsDumpedWithinItsWidth) {
  TMachine m;
  m.SetAddressBits(7);
  Set(m, R::L, 0x65);  // 110 0101
  m.SetAddressBits(5);
  ASSERT_EQ(m.Register(R::L).Bits(), 5);
  const TCycleSample sample = TCycleSample::Of(m);
  EXPECT_EQ(sample.Registers[static_cast<std::size_t>(R::L)], 0x05u);
  std::ostringstream out;
  TVcdWriter(m, out).Start(Quiet(m));
  EXPECT_EQ(out.str().find("b1100101 "), std::string::npos);
  EXPECT_NE(out.str().find("b101 "), std::string::npos);
}
