#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "MachineTestSupport.h"
#include "TempDir.h"
#include "common/Text.h"
#include "control/ListFile.h"
#include "session/Session.h"

using namespace dorum;
using namespace dorum::test;

namespace {

const TLines kDefaultNames = {"stp", "dod", "ode", "pob", "ład", "sob", "som", "soz"};

// The parts one after another, as a file holds them.
TLines Joined(std::initializer_list<TLines> parts) {
  TLines lines;
  for (const TLines& part : parts) lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

bool Holds(const TLines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct TListFileTest : ::testing::Test {
  TTempDir dir;
  TSession session;
  TMachine& machine = session.Machine();
  TController& control = session.Control();
  std::string Path(const char* name) const { return dir.FilePath(name); }
};

}  // namespace

TEST_F(TListFileTest, DefaultStateFileBeginsAsDocumented) {
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());
  const TLines lines = ReadTextFile(Path("a.lst"));
  const TLines head = {"[Opcje]",
                       "Połączenie=0",
                       "Inkrementacja=0",
                       "Logiczne=0",
                       "Arytmetyczne=0",
                       "Stos=0",
                       "RejestrX=0",
                       "RejestrY=0",
                       "Przerwania=0",
                       "Wejście=0",
                       "Znaczniki=0",
                       "Adres=5",
                       "Kod=3",
                       "[Rozkazy]",
                       "Liczba=8",
                       "Nazwa1=stp",
                       "Nazwa2=dod",
                       "Nazwa3=ode",
                       "Nazwa4=pob",
                       "Nazwa5=ład",
                       "Nazwa6=sob",
                       "Nazwa7=som",
                       "Nazwa8=soz",
                       "[stp]",
                       "Linie=5",
                       "Linia1=// zakończenie programu",
                       "Linia2=ROZKAZ STP;"};
  ASSERT_GE(lines.size(), head.size());
  EXPECT_EQ(TLines(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
}

TEST_F(TListFileTest, RoundTripRestoresConfigurationAndList) {
  machine.SetComponents(*PresetComponents("Pelt"));
  machine.SetAddressBits(8);
  machine.SetCodeBits(4);
  control.AddInstruction(
      {"ROZKAZ NOP;", "   czyt wys wei il;", "{", "\"quoted\"", "}", "  // komentarz  "});
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());

  TSession otherSession;
  TMachine& other = otherSession.Machine();
  TController& otherControl = otherSession.Control();
  LoadInstructionList(Path("a.lst"), other, otherControl);
  EXPECT_EQ(other.GetComponents(), *PresetComponents("Pelt"));
  EXPECT_EQ(other.AddressBits(), 8);
  EXPECT_EQ(other.CodeBits(), 4);
  ASSERT_EQ(otherControl.Instructions().Count(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(otherControl.Instructions().At(i).Source(), control.Instructions().At(i).Source())
        << i;
  }
}

TEST_F(TListFileTest, SavingOverALongerListLeavesStaleKeysWithoutEffect) {
  machine.SetCodeBits(4);
  control.AddInstruction({"ROZKAZ NOWY1;", "czyt wys wei il;"});
  control.AddInstruction({"ROZKAZ NOWY2;", "czyt wys wei il;"});
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());
  control.ClearInstructions();
  control.BuildDefaultInstructions();
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());

  const TLines lines = ReadTextFile(Path("a.lst"));
  EXPECT_TRUE(Holds(lines, "Nazwa10=nowy2"));
  EXPECT_TRUE(Holds(lines, "[nowy1]"));
  EXPECT_TRUE(Holds(lines, "Liczba=8"));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "[stp]"),
            1);  // rewritten in place, not repeated

  control.ClearInstructions();
  LoadInstructionList(Path("a.lst"), machine, control);
  EXPECT_EQ(InstructionNames(control.Instructions()), kDefaultNames);
}

TEST_F(TListFileTest, ForeignFilesFollowTheReadingRules) {
  const TProfileFile profile({"[opcje]", "stos = 1", "Kod=$4", "[ROZKAZY]", "liczba=1",
                              "nazwa1=\"x\"", "[X]", "Linie=3", "Linia1=ROZKAZ X;",
                              "Linia2=   czyt wys wei il;", "Linia3='   wyl wea;'"});
  ReadInstructionList(profile, machine, control);
  EXPECT_TRUE(machine.GetComponents().test(5));
  EXPECT_EQ(machine.CodeBits(), 4);
  EXPECT_EQ(machine.AddressBits(), 5);  // missing: stays
  ASSERT_EQ(control.Instructions().Count(), 1);
  EXPECT_EQ(control.Instructions().At(0).Source(),
            TLines({"ROZKAZ X;", "czyt wys wei il;", "   wyl wea;"}));
}

TEST_F(TListFileTest, PartialLoadsStopAtTheFailingInstruction) {
  struct Case {
    TLines Lines;
    std::string Message;
    TLines Loaded;
  };
  const TLines header = {"[Opcje]", "Stos=1", "[Rozkazy]"};
  const TLines good = {"[a]", "Linie=2", "Linia1=ROZKAZ A;", "Linia2=czyt wys wei il;"};
  const Case cases[] = {
      // More instructions counted than named: the first missing name has no text.
      {Joined({header, {"Liczba=3", "Nazwa1=a"}, good}),
       "1:1  Oczekiwane słowo kluczowe ROZKAZ",
       {"a"}},
      // A named section that is not there.
      {Joined({header, {"Liczba=2", "Nazwa1=a", "Nazwa2=b"}, good}),
       "1:1  Oczekiwane słowo kluczowe ROZKAZ",
       {"a"}},
      // A compile error inside the second instruction, with its own position.
      {Joined({header,
               {"Liczba=3", "Nazwa1=a", "Nazwa2=b", "Nazwa3=a"},
               good,
               {"[b]", "Linie=2", "Linia1=ROZKAZ B;", "Linia2=czyt wys il;"}}),
       "2:13  Błędna treść pierwszego taktu",
       {"a"}},
  };
  for (const Case& c : cases) {
    TSession session;
    TMachine& m = session.Machine();
    TController& unit = session.Control();
    EXPECT_EQ(MessageOf([&] { ReadInstructionList(TProfileFile(c.Lines), m, unit); }), c.Message);
    EXPECT_EQ(InstructionNames(unit.Instructions()), c.Loaded);
    EXPECT_TRUE(m.GetComponents().test(5));  // the configuration took effect
  }
}

TEST_F(TListFileTest, CapacityMessageKeepsThatInstructionAndEndsTheLoad) {
  TLines lines = {"[Rozkazy]", "Liczba=10"};
  TLines sections;
  for (int i = 1; i <= 10; ++i) {
    lines.push_back("Nazwa" + std::to_string(i) + "=r" + std::to_string(i));
    sections.insert(sections.end(), {"[r" + std::to_string(i) + "]", "Linie=1",
                                     "Linia1=ROZKAZ R" + std::to_string(i) + "; czyt wys wei il;"});
  }
  EXPECT_EQ(MessageOf([&] {
              ReadInstructionList(TProfileFile(Joined({lines, sections})), machine, control);
            }),
            "Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie "
            "niedostępny)");
  EXPECT_EQ(control.Instructions().Count(), 9);
}

TEST_F(TListFileTest, MissingFileEmptiesTheListAndKeepsWidths) {
  machine.SetComponents(*PresetComponents("Ombra"));
  machine.SetAddressBits(7);
  LoadInstructionList(Path("none.lst"), machine, control);
  EXPECT_EQ(machine.GetComponents(), TComponentSet().set(0));
  EXPECT_EQ(machine.AddressBits(), 7);
  EXPECT_EQ(control.Instructions().Count(), 0);
}

TEST_F(TListFileTest, FailedSaveLeavesTheOldFile) {
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());
  const TLines before = ReadTextFile(Path("a.lst"));
  control.AddInstruction({"ROZKAZ STP;", "czyt wys wei il; // \u263A"});
  EXPECT_FALSE(MessageOf([&] {
                 SaveInstructionList(Path("a.lst"), machine, control.Instructions());
               }).empty());
  EXPECT_EQ(ReadTextFile(Path("a.lst")), before);
  EXPECT_FALSE(MessageOf([&] {
                 SaveInstructionList(Path("no/such/dir/a.lst"), machine, control.Instructions());
               }).empty());
}

TEST_F(TListFileTest, OutOfRangeWidthEndsTheLoadBeforeTheList) {
  EXPECT_FALSE(MessageOf([&] {
                 ReadInstructionList(TProfileFile({"[Opcje]", "Adres=40"}), machine, control);
               }).empty());
  EXPECT_EQ(control.Instructions().Count(), 8);
}

TEST_F(TListFileTest, AListFileWithANulByteLoadsNothing) {
  machine.SetComponents(*PresetComponents("Ombra"));
  SaveInstructionList(Path("a.lst"), machine, control.Instructions());
  ASSERT_TRUE(PutFileBytes(Path("a.lst"), std::string("Linia9=x\0y\r\n", 12), true));
  machine.SetComponents(TComponentSet().set(0));
  control.ClearInstructions();
  const std::string message =
      MessageOf([&] { LoadInstructionList(Path("a.lst"), machine, control); });
  EXPECT_TRUE(message.starts_with("Nie można wczytać pliku ")) << message;
  EXPECT_EQ(machine.GetComponents(), TComponentSet().set(0));
  EXPECT_EQ(control.Instructions().Count(), 0);
}

TEST_F(TListFileTest, ErrorsPointAtTheFilesLineAndTheInstruction) {
  const TLines head = {
      "[Opcje]",  "Stos=1", "[Rozkazy]", "Liczba=2",         "Nazwa1=a",
      "Nazwa2=b", "[a]",    "Linie=2",   "Linia1=ROZKAZ A;", "Linia2=czyt wys wei il;"};
  struct Case {
    TLines Lines;
    const char* Section;
    int FileLine;
    int FileColumn;
    int TextLine;
  };
  const Case cases[] = {
      // The compiler's error in line 2 of [b], which is line 14 of the file.
      {Joined({head, {"[b]", "Linie=2", "Linia1=ROZKAZ B;", "Linia2=  czyt wys il;"}}), "b", 14, 21,
       2},
      // No section: the name in the list is all there is.
      {head, "b", 6, 0, 0},
      // An empty text has no word at fault: its count of lines, line 12.
      {Joined({head, {"[b]", "Linie=1", "Linia1="}}), "b", 12, 0, 0},
  };
  for (const Case& c : cases) {
    TSession s;
    try {
      ReadInstructionList(TProfileFile(c.Lines), s.Machine(), s.Control());
      ADD_FAILURE() << "the list loaded";
    } catch (const EListFileError& e) {
      EXPECT_EQ(e.Place().Section, c.Section);
      EXPECT_EQ(e.Place().FileLine, c.FileLine);
      EXPECT_EQ(e.Place().FileColumn, c.FileColumn);
      EXPECT_EQ(e.Place().TextLine, c.TextLine);
      EXPECT_TRUE(e.Place().Positioned);
    }
  }
}
