#include <gtest/gtest.h>

#include "control/CommentFilter.h"

using namespace dorum;

namespace {

// Every word until the end of the text, the final empty word included.
TLines Words(const TLines& lines) {
  TCommentFilter reader(lines);
  TLines words;
  while (!reader.EndOfText()) words.push_back(reader.NextToken());
  return words;
}

}  // namespace

TEST(CommentFilter, ReadsWords) {
  const struct {
    TLines lines;
    TLines words;
  } cases[] = {
      {{"czyt wys;"}, {"czyt", "wys", ";", ""}},
      {{"ROZKAZ Dod; // komentarz"}, {"rozkaz", "dod", ";", ""}},
      {{"a{comment}b"}, {"a", "b"}},
      {{"a{comment", "still}b c"}, {"a", "b", "c"}},
      {{"koniec;"}, {"koniec", ";", ""}},
      {{"'A"}, {"'A"}},
      {{"'Ab"}, {"'ab"}},
      {{"ab'"}, {"ab'"}},
      {{"ab'c d"}, {"ab'c", "d"}},
      {{"' x"}, {"' x"}},
      {{"';"}, {"';"}},
      {{"JEŻELI Z TO @Ujemne"}, {"jeżeli", "z", "to", "@ujemne"}},
      {{"ŁAD ĄĆĘŁŃÓŚŹŻ"}, {"ład", "ąćęłńóśźż"}},
      {{"x", ""}, {"x", ""}},
      {{"", "// only", "{ comments }", "  "}, {""}},
      // Two slashes that end the line open an empty comment.
      {{"wys; //", "czyt//", "//"}, {"wys", ";", "czyt", ""}},
      {{}, {}},
      {{"a\tb\rc"}, {"a", "b"}},  // a line break ends the line
      {{"(a),b:+1"}, {"(a),b:+1"}},
      {{"a{", "}"}, {"a", ""}},
      {{std::string("a\0b", 3)}, {"a", "b"}},  // NUL separates words as a blank does
      {{"a\nb"}, {"a"}},
      {{"a;b"}, {"a", ";", "b"}},
      {{"a{x}}b"}, {"a", "}b"}},
      {{"x '", "b"}, {"x", "'", "b"}},
      {{"{x", "}b"}, {"b"}},  // a brace first on its line closes the comment  // an apostrophe
                              // ending the line is taken alone
  };
  for (const auto& c : cases) EXPECT_EQ(Words(c.lines), c.words) << Join(c.lines, "|");
}

TEST(CommentFilter, LoneSlashIsAnError) {
  const struct {
    TLines lines;
    const char* message;
  } cases[] = {
      {{"x / y"}, "1:3  Nieoczekiwany symbol"},
      {{"ab/"}, "1:3  Nieoczekiwany symbol"},
      {{"ok", "  a/b"}, "2:4  Nieoczekiwany symbol"},
  };
  for (const auto& c : cases) {
    TCommentFilter reader(c.lines);
    try {
      while (!reader.EndOfText()) (void)reader.NextToken();
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const EControlException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(CommentFilter, PositionsAndTokenLines) {
  const TLines lines = {"rozkaz x;", "  czyt", "wys"};
  TCommentFilter r(lines);
  EXPECT_EQ(r.PositionText(), "1:1");
  EXPECT_EQ(r.NextToken(), "rozkaz");
  EXPECT_EQ(r.PositionText(), "1:7");  // on the blank after the word
  EXPECT_EQ(r.NextToken(), "x");
  EXPECT_EQ(r.NextToken(), ";");
  EXPECT_EQ(r.TokenLine(), 1);
  EXPECT_EQ(r.NextToken(), "czyt");
  // The word ended at the end of its line: the reader already stands on the next.
  EXPECT_EQ(r.TokenLine(), 2);
  EXPECT_EQ(r.LineNumber(), 3);
  EXPECT_EQ(r.Column(), 0);
  const EControlException error = r.CreateError(" Oczekiwany średnik");
  EXPECT_EQ(error.Message(), "3:0  Oczekiwany średnik");
  EXPECT_EQ(error.Line(), 3);
  EXPECT_EQ(error.Column(), 0);
  EXPECT_EQ(r.NextToken(), "wys");
  EXPECT_EQ(r.TokenLine(), 3);
  EXPECT_TRUE(r.EndOfText());
  EXPECT_EQ(r.NextToken(), "");
}

TEST(CommentFilter, LastLineEmptyAfterAWordAtTheEndOfTheLineBefore) {
  const TLines lines = {"stop;", ""};
  TCommentFilter r(lines);
  EXPECT_EQ(r.NextToken(), "stop");
  EXPECT_EQ(r.NextToken(), ";");
  EXPECT_FALSE(r.EndOfText());
  EXPECT_EQ(r.NextToken(), "");
  EXPECT_TRUE(r.EndOfText());
}
