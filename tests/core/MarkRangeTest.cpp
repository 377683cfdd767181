#include <gtest/gtest.h>

#include "control/CommentFilter.h"

namespace dorum {
namespace {

struct TMarkCase {
  const char* What;
  TLines Lines;
  int Line;
  int Column;
  TMarkRange Expected;
};

TEST(ErrorMark, CoversTheWordBeforeTheReadersPlaceAsTheEditorsShowIt) {
  const TMarkCase cases[] = {
      {"the word just read", {"POB 1", "XYZ 2"}, 2, 4, {2, 0, 3}},
      {"blanks between the word and the place", {"  dod   ;"}, 1, 8, {1, 2, 5}},
      {"no word before the place: the character at it", {"   ;"}, 1, 1, {1, 0, 1}},
      {"columns count characters, not bytes", {"ŁAD żółw"}, 1, 9, {1, 4, 8}},
      {"past the text's end: the end of the last line", {"ROZKAZ A;", "czyt"}, 5, 3, {2, 0, 4}},
      {"column 0: the code of the line before, its comment left out",
       {"ROZKAZ x // koniec  ", "  "},
       2,
       0,
       {1, 7, 8}},
      {"a quoted slash is code", {"rst '/ // c", ""}, 2, 0, {1, 4, 6}},
      {"a brace comment hides a slash pair", {"a {//} b // c", ""}, 2, 0, {1, 7, 8}},
      {"an empty line at its end: the character before", {"ab"}, 1, 3, {1, 0, 2}},
      {"an empty text", {}, 1, 1, {1, 0, 0}},
  };
  for (const TMarkCase& c : cases) {
    const TMarkRange mark = ErrorMarkRange(c.Lines, c.Line, c.Column);
    EXPECT_EQ(mark.Line, c.Expected.Line) << c.What;
    EXPECT_EQ(mark.Begin, c.Expected.Begin) << c.What;
    EXPECT_EQ(mark.End, c.Expected.End) << c.What;
  }
}

}  // namespace
}  // namespace dorum
