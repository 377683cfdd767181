#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dorum {

class TInstructionList;

// What a piece of source text is, for the editors' colours. Both front ends
// colour from these rules, which split a line where the word reader does.
enum class TWordKind : std::uint8_t {
  Text,
  Comment,
  Keyword,
  Signal,
  Condition,
  Label,
  Number,
  Character,
  Directive,
  Mnemonic,
  LabelDefinition,
  Semicolon,
};

// A piece of a line: its bytes (UTF-8) and its kind.
struct TWordSpan {
  std::size_t Begin = 0;
  std::size_t Length = 0;
  TWordKind Kind = TWordKind::Text;
};

// The kind of one word of the instruction language: a keyword, a condition,
// a label ("@..."), a signal's name, a number, or plain text.
[[nodiscard]] TWordKind InstructionWordKind(std::string_view word);
// The kind of one word of a program: a label's definition ("name:"), a
// directive, one of `mnemonics` (lower case), a number, a quoted character.
[[nodiscard]] TWordKind ProgramWordKind(std::string_view word,
                                        const std::vector<std::string>& mnemonics);

// Splits a line (without its line break) as the word reader does: blanks
// and tabs part words, ";" is a word of its own, an apostrophe takes the
// next character into the word, "//" comments to the end of the line and
// "{" up to the next "}", across lines. `inBraces` says whether the line
// starts inside a brace comment and is left saying whether it ends inside
// one. Adjacent pieces of one kind are joined.
[[nodiscard]] std::vector<TWordSpan> ColourLine(
    std::string_view line, bool& inBraces,
    const std::function<TWordKind(std::string_view word)>& wordKind);

// The words each language knows besides the signals and the mnemonics.
[[nodiscard]] const std::vector<std::string>& InstructionKeywords();
[[nodiscard]] const std::vector<std::string>& ProgramDirectives();

// The names a program may use as mnemonics: the instructions whose codes
// the operation field holds, lower case.
[[nodiscard]] std::vector<std::string> AcceptedMnemonics(const TInstructionList& list,
                                                         int codeBits);

}  // namespace dorum
