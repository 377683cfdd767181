// The signal table is the one description of every signal: the machine's
// signals, their plans and the help page's table must all agree with it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "machine/Machine.h"
#include "machine/SignalTable.h"

using namespace dorum;

namespace {

struct THelpRow {
  int Number = -1;
  std::string Name;
  std::string Kind;
  int Option = -1;
  std::string Text;
};

std::vector<THelpRow> HelpRows() {
  std::ifstream file(DORUM_SOURCE_DIR "/src/gui/help/sygnaly.html", std::ios::binary);
  EXPECT_TRUE(file.is_open());
  const std::string html{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  static const std::regex row(
      R"(<tr><td>(\d+)</td><td><a [^>]*>([^<]*)</a></td><td>(\w+)</td><td>(\d+)</td><td>(.*)</td></tr>)");
  std::vector<THelpRow> rows;
  for (auto m = std::sregex_iterator(html.begin(), html.end(), row); m != std::sregex_iterator();
       ++m) {
    const std::smatch& cells = *m;
    rows.push_back({std::stoi(cells[1].str()), cells[2].str(), cells[3].str(),
                    std::stoi(cells[4].str()), cells[5].str()});
  }
  return rows;
}

}  // namespace

TEST(SignalTable, TheHelpPageDescribesEverySignalAsTheTableDoes) {
  const std::vector<THelpRow> rows = HelpRows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kSignalCount));
  int formulas = 0;
  for (int n = 0; n < kSignalCount; ++n) {
    const TSignalRow& signal = SignalRow(n);
    const THelpRow& help = rows[static_cast<std::size_t>(n)];
    EXPECT_EQ(help.Number, n);
    EXPECT_EQ(help.Name, signal.Name);
    EXPECT_EQ(help.Kind, signal.Kind == TSignalKind::Impulse ? "impuls" : "poziom") << signal.Name;
    EXPECT_EQ(help.Option, signal.Option) << signal.Name;
    const std::string formula = SignalFormula(n);
    if (formula.empty()) continue;
    ++formulas;
    EXPECT_NE(help.Text.find(formula), std::string::npos)
        << signal.Name << ": \"" << formula << "\" in \"" << help.Text << "\"";
  }
  EXPECT_GT(formulas, kSignalCount / 2);
}

TEST(SignalTable, TheMachinesSignalsAreTheRowsOfTheTable) {
  TMachine m;
  for (int n = 0; n < kSignalCount; ++n) {
    const TSignalRow& row = SignalRow(n);
    EXPECT_EQ(m.Signal(n).Caption(), row.Name);
    EXPECT_EQ(m.Signal(n).Tag(), row.Option);
    EXPECT_EQ(m.Signal(n).Impulse(), row.Kind == TSignalKind::Impulse);
    EXPECT_EQ(TMachine::FindSignalExact(row.Name), n);
  }
  EXPECT_EQ(m.Signal(static_cast<int>(TSignalId::as)).ComponentName(), "SignalAs");
  EXPECT_EQ(m.Signal(static_cast<int>(TSignalId::czyt)).ComponentName(), "SignalCzyt");
}

TEST(SignalTable, APlanMarksWhatTheRowsWrite) {
  // Every register, bus and arithmetic latch a clean plan marks is one its
  // rows name, and the other way round.
  TMachine m;
  m.SetComponents(
      TComponentSet().set(0).set(1).set(2).set(3).set(4).set(5).set(6).set(7).set(8).set(9));
  for (int n = 0; n < kSignalCount; ++n) {
    const TSignalRow& row = SignalRow(n);
    if (row.Operation != TSignalOperation::Copy && row.Operation != TSignalOperation::Increment &&
        row.Operation != TSignalOperation::Decrement)
      continue;
    // What the row reads is made ready by signals that write it first.
    std::uint64_t set = std::uint64_t{1} << n;
    const TPlace read = row.Reads[0];
    if (read == Place::Bus(TBusId::S)) set |= SignalBit(TSignalId::wys);
    if (read == Place::Bus(TBusId::A)) set |= SignalBit(TSignalId::wyl);
    if (read == Place::kAluResult)
      set |= SignalBit(TSignalId::wys) | SignalBit(TSignalId::weja) | SignalBit(TSignalId::przep);
    if (read == Place::Bus(TBusId::S) && n == static_cast<int>(TSignalId::wes))
      set = SignalBit(TSignalId::wyak) | SignalBit(TSignalId::wes);
    const TCyclePlan plan = m.MakePlan(set);
    ASSERT_TRUE(plan.Clean) << row.Name;
    const TPlace written = row.Writes[0];
    if (written.Kind == TPlaceKind::Register) {
      EXPECT_NE(plan.Marks & Marks::Register(written.RegisterId()), 0u) << row.Name;
    } else if (written.Kind == TPlaceKind::Bus) {
      EXPECT_NE(plan.Marks & Marks::Bus(written.BusId()), 0u) << row.Name;
    }
  }
}
