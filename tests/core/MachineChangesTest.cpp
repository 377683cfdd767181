// What the views learn from the machine's record of changes: every path that
// changes what a view shows reports it, whatever the view collected before.
#include <gtest/gtest.h>

#include <random>

#include "MachineTestSupport.h"
#include "control/ControlUnit.h"
#include "control/History.h"
#include "control/ListFile.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;
using R = TRegisterId;

namespace {

constexpr std::uint32_t Bit(R id) {
  return 1u << static_cast<int>(id);
}

// What a view shows of the machine, brought up to date from the changes it
// collects and from nothing else, as the machine window repaints.
class TShownMachine {
 public:
  explicit TShownMachine(const TMachine& m) : m_(m) { ShowAll(); }

  void Follow(const TMachineChanges& c) {
    if (c.Configuration || c.Reset || c.Words || c.Instructions) {
      ShowAll();
      return;
    }
    for (int r = 0; r < kRegisterCount; ++r) {
      if ((c.Registers >> r) & 1u) registers_[Index(r)] = Text(static_cast<R>(r));
    }
    for (int b = 0; b < kBusCount; ++b) {
      if ((c.Buses >> b) & 1u) driven_[Index(b)] = m_.BusDriven(static_cast<TBusId>(b));
    }
    signals_ = (signals_ & ~c.Signals) | (m_.ActiveSignals() & c.Signals);
    for (int cell = c.FirstCell; cell <= c.LastCell; ++cell)
      words_[Index(cell)] = m_.CellText(cell);
  }
  // Collects the machine's changes as a view does.
  void Collect(TMachine& m) { Follow(m.TakeChanges()); }

  // What differs from a view drawn afresh; empty when nothing does.
  [[nodiscard]] std::string Stale() const {
    const TShownMachine fresh(m_);
    TLines stale;
    for (std::size_t r = 0; r < registers_.size(); ++r) {
      if (registers_[r] != fresh.registers_[r])
        stale.push_back("shows «" + registers_[r] + "», holds «" + fresh.registers_[r] + "»");
    }
    for (std::size_t b = 0; b < driven_.size(); ++b) {
      if (driven_[b] != fresh.driven_[b]) stale.push_back("bus " + std::to_string(b));
    }
    if (signals_ != fresh.signals_) stale.push_back("signals");
    for (std::size_t cell = 0; cell < words_.size(); ++cell) {
      if (words_[cell] != fresh.words_[cell]) stale.push_back("word " + std::to_string(cell));
    }
    return Join(stale, "; ");
  }

 private:
  static std::size_t Index(int n) { return static_cast<std::size_t>(n); }
  // A hidden register shows nothing.
  [[nodiscard]] std::string Text(R id) const {
    return m_.Register(id).Visible() ? m_.RegisterText(id) : std::string();
  }
  void ShowAll() {
    for (int r = 0; r < kRegisterCount; ++r) registers_[Index(r)] = Text(static_cast<R>(r));
    for (int b = 0; b < kBusCount; ++b) driven_[Index(b)] = m_.BusDriven(static_cast<TBusId>(b));
    signals_ = m_.ActiveSignals();
    words_.resize(Index(m_.Memory().Size()));
    for (int cell = 0; cell < m_.Memory().Size(); ++cell) words_[Index(cell)] = m_.CellText(cell);
  }

  const TMachine& m_;
  std::array<std::string, kRegisterCount> registers_;
  std::array<bool, kBusCount> driven_{};
  std::uint64_t signals_ = 0;
  std::vector<std::string> words_;
};

// "dod 5" and "sob 0" in a loop, with 1 in word 5.
void StoreEndlessLoop(TMachine& m) {
  m.Memory().Store(0, 1 * 32 + 5);
  m.Memory().Store(1, 5 * 32 + 0);
  m.Memory().Store(5, 1);
  m.NotifyMemoryChanged();
}

}  // namespace

TEST(MachineChanges, AnEntryIsReportedAfterTheViewCollectedTheCycleThatWroteTheRegister) {
  TMachine m;
  Set(m, R::L, 1);
  ASSERT_EQ(Cycle(m, "wyl wea"), "");
  TShownMachine shown(m);
  shown.Collect(m);
  m.EnterRegisterValue(R::A, "41");
  const TMachineChanges changes = m.TakeChanges();
  EXPECT_EQ(changes.Registers, Bit(R::A));
  shown.Follow(changes);
  EXPECT_EQ(shown.Stale(), "");

  // The accumulator's flags change with it.
  ASSERT_EQ(Cycle(m, "iak"), "");
  shown.Collect(m);
  m.EnterRegisterValue(R::AK, "-1");
  EXPECT_EQ(m.TakeChanges().Registers, Bit(R::AK) | Bit(R::F));
}

TEST(MachineChanges, AnInterruptButtonIsReportedAfterACycleThatWroteRz) {
  TMachine m;
  m.SetComponents(*PresetComponents("Ombra"));
  Set(m, R::RZ, 8);
  Set(m, R::RP, 8);
  ASSERT_EQ(Cycle(m, "rint"), "");
  TShownMachine shown(m);
  shown.Collect(m);
  m.RaiseInterrupt(2);
  const TMachineChanges changes = m.TakeChanges();
  EXPECT_EQ(changes.Registers, Bit(R::RZ));
  shown.Follow(changes);
  EXPECT_EQ(shown.Stale(), "");
}

TEST(MachineChanges, TypingForAWaitingProgramReportsRbAndG) {
  TRecordingControl control;
  TMachine m;
  m.SetControl(&control);
  m.SetComponents(*PresetComponents("Ombra"));
  Set(m, R::I, 1);  // the input port
  ASSERT_EQ(Cycle(m, "start"), "");
  ASSERT_TRUE(control.Waiting);
  TShownMachine shown(m);
  shown.Collect(m);
  m.TypeInput("x");
  ASSERT_EQ(m.Register(R::RB).Value(), 120);
  const TMachineChanges changes = m.TakeChanges();
  EXPECT_EQ(changes.Registers, Bit(R::RB) | Bit(R::G));
  shown.Follow(changes);
  EXPECT_EQ(shown.Stale(), "");
  // The same through an edit of the whole field.
  ASSERT_EQ(Cycle(m, "start"), "");
  shown.Collect(m);
  m.SetConsoleInput("y");
  EXPECT_EQ(m.TakeChanges().Registers, Bit(R::RB) | Bit(R::G));
  m.SetControl(nullptr);
}

TEST(MachineChanges, AnEntryAfterSteppingBackAnInstructionIsReported) {
  // Reset, two instructions, one stepped back, then 41 entered into A.
  TSession session(true);
  TMachine& m = session.Machine();
  StoreEndlessLoop(m);
  m.ResetMachine();
  TShownMachine shown(m);
  session.Control().ExecuteInstruction();
  shown.Collect(m);
  session.Control().ExecuteInstruction();
  shown.Collect(m);
  ASSERT_TRUE(session.History()->UndoInstruction());
  shown.Collect(m);
  EXPECT_EQ(shown.Stale(), "");
  m.EnterRegisterValue(R::A, "41");
  shown.Collect(m);
  EXPECT_EQ(m.RegisterText(R::A), "A : 9");
  EXPECT_EQ(shown.Stale(), "");
}

TEST(MachineChanges, EveryOtherUserActionReportsWhatItChanged) {
  TMachine m;
  TShownMachine shown(m);
  const auto after = [&](const char* signals, const std::function<void()>& action) {
    EXPECT_EQ(Cycle(m, signals), "");
    shown.Collect(m);
    action();
    shown.Collect(m);
    return shown.Stale();
  };
  EXPECT_EQ(after("iak", [&] { m.ZeroRegister(R::AK); }), "");
  EXPECT_EQ(after("il", [&] { m.SetDisplayMode(R::L, TDisplayMode::dmBinary); }), "");
  m.EnterRegisterValue(R::A, "3");
  EXPECT_EQ(after("czyt", [&] { m.EnterMemoryValue(3, "17"); }), "");
  EXPECT_EQ(after("wys", [&] { m.SetActive(static_cast<int>(TSignalId::wyak), true); }), "");
  EXPECT_EQ(after("wys weja przep weak", [&] { m.ResetMachine(); }), "");
  EXPECT_EQ(after("il", [&] { m.SetAddressBits(7); }), "");
  EXPECT_EQ(after("il", [&] { m.SetComponents(*PresetComponents("Pelt")); }), "");
  EXPECT_EQ(after("iak", [&] { m.NotifyRestored(); }), "");
}

TEST(MachineChanges, TheInstructionListAndTheControlUnitsModesAreReported) {
  TSession session;
  TMachine& m = session.Machine();
  TController& control = session.Control();
  TCountingObserver seen;
  auto seenSubscription = m.Subscribe(seen);
  (void)m.TakeChanges();

  // Words and I read with the names of the instructions.
  control.DeleteInstruction(1);
  EXPECT_TRUE(m.TakeChanges().Instructions);
  control.AddInstruction({"ROZKAZ NOWY;", "czyt wys wei il;"});
  EXPECT_TRUE(m.TakeChanges().Instructions);
  LoadInstructionList(ExamplePath("pelt/pelt.lst"), m, control);
  const TMachineChanges loaded = m.TakeChanges();
  EXPECT_TRUE(loaded.Instructions);
  EXPECT_TRUE(loaded.Configuration);
  const int calls = seen.Calls;

  control.SetManualControl(true);
  EXPECT_TRUE(m.TakeChanges().Control);
  control.SetManualControl(true);  // no change
  EXPECT_FALSE(m.TakeChanges().Any());
  control.SetTrackingLevel(0);
  EXPECT_TRUE(m.TakeChanges().Control);
  EXPECT_EQ(seen.Calls, calls + 2);
}

TEST(MachineChanges, ClearingTheConsoleIsAUserActionTheViewsHearOf) {
  TSession session(true);
  TMachine& m = session.Machine();
  TCountingObserver seen;
  auto seenSubscription = m.Subscribe(seen);
  m.Console().PutOutputChar('a');
  m.ClearConsoleOutput();
  EXPECT_EQ(seen.Calls, 1);
  // It is a step: the views offer to step it back.
  EXPECT_EQ(session.History()->UndoableSteps(), 1u);
}

// Random cycles, instructions, steps back, resets, entries, typing, modes
// and signals switched by hand, collected at random moments: what the view
// shows is always what a view drawn afresh would show.
TEST(MachineChanges, ARandomRunNeverLeavesTheViewStale) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    TSession session(true);
    TMachine& m = session.Machine();
    TController& control = session.Control();
    LoadInstructionList(ExamplePath("ombra/ombra.lst"), m, control);
    for (int cell = 0; cell < m.Memory().Size(); ++cell)
      m.Memory().Store(cell, pick(0, (1 << m.WordBits()) - 1));
    m.NotifyMemoryChanged();
    control.SetTrackingLevel(0);
    TShownMachine shown(m);
    for (int n = 0; n < 600; ++n) {
      const auto reg = static_cast<R>(pick(0, kRegisterCount - 1));
      const int roll = pick(0, 99);
      (void)MessageOf([&] {
        if (roll < 45) {
          control.ExecuteCycle();
        } else if (roll < 52) {
          control.LimitCycles(50);
          control.ExecuteInstruction();
        } else if (roll < 58) {
          (void)session.History()->UndoStep();
        } else if (roll < 61) {
          (void)session.History()->UndoInstruction();
        } else if (roll < 63) {
          m.ResetMachine();
        } else if (roll < 72) {
          m.EnterRegisterValue(reg, std::to_string(pick(-300, 300)));
        } else if (roll < 77) {
          m.EnterMemoryValue(pick(0, 200), std::to_string(pick(-50, 500)));
        } else if (roll < 81) {
          m.TypeInput(pick(0, 1) == 0 ? "a" : "żb");
        } else if (roll < 85) {
          m.RaiseInterrupt(pick(1, 4));
        } else if (roll < 88) {
          m.SetDisplayMode(reg, static_cast<TDisplayMode>(pick(0, 3)));
        } else if (roll < 90) {
          m.ZeroRegister(reg);
        } else if (roll < 94) {
          control.SetManualControl(!control.ManualControl());
        } else {
          control.ToggleSignal(pick(0, kSignalCount - 1));
        }
      });
      control.RemoveCycleLimit();
      // The views look at their own pace: after some actions, not all.
      if (pick(0, 2) != 0) continue;
      shown.Collect(m);
      ASSERT_EQ(shown.Stale(), "") << "seed " << seed << ", action " << n;
    }
  }
}

// Views hear of changes for as long as their subscriptions live, however
// many there are; a subscription handed on keeps its view heard.
TEST(MachineChanges, EverySubscribedViewHearsUntilItsSubscriptionEnds) {
  TMachine m;
  TCountingObserver one;
  TCountingObserver two;
  auto first = m.Subscribe(one);
  {
    const auto second = m.Subscribe(two);
    m.ZeroRegister(R::AK);
    EXPECT_EQ(one.Calls, 1);
    EXPECT_EQ(two.Calls, 1);
  }
  m.ZeroRegister(R::AK);
  EXPECT_EQ(one.Calls, 2);
  EXPECT_EQ(two.Calls, 1);
  auto handedOn = std::move(first);
  m.ZeroRegister(R::AK);
  EXPECT_EQ(one.Calls, 3);
  handedOn = m.Subscribe(two);  // the old subscription ends
  m.ZeroRegister(R::AK);
  EXPECT_EQ(one.Calls, 3);
  EXPECT_EQ(two.Calls, 2);
}
