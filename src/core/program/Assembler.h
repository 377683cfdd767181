#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/Strings.h"

namespace dorum {

class TMachine;
class TInstructionList;
class TWatchList;
class TProgramDocument;
class TCommentFilter;
class TController;

// The assembler: turns a program text into memory words over the machine's
// instruction set, records each line's address in the document, lists the
// labels in the watches and points interrupt vectors at handler labels.
class TProgram {
 public:
  TProgram(TMachine& machine, const TInstructionList& instructions, TWatchList& watches)
      : machine_(machine), instructions_(instructions), watches_(watches) {}

  // Raises EControlException for a syntax error (with its position) and the
  // plain error for a program larger than the memory; a program that does
  // not fit is refused before any word is stored.
  void Assemble(TProgramDocument& document);
  // Runs both passes of an assembly over the text and raises its first
  // error, the same errors in the same order as Assemble, but stores
  // nothing: no memory word, no watch, no line address, no interrupt
  // vector, no reset. The editors check a text with it as the user types.
  void Check(const TLines& lines);

 private:
  struct TLabel {
    std::string Name;
    std::string Key;  // the name lower-cased, as labels compare
    int Address;
  };

  // The label of that name ignoring case, or none.
  [[nodiscard]] const TLabel* FindLabel(const std::string& name) const;
  // Reads one word and evaluates it as a number, a quoted character or a
  // label, reduced to the given width.
  [[nodiscard]] std::uint32_t Operand(TCommentFilter& reader, int bits) const;
  [[nodiscard]] int CountWords(const TLines& lines);
  [[nodiscard]] int CountWordsAndLabels(const TLines& lines);
  void ForgetLabels();
  void StoreWords(const TLines& lines, std::vector<int>& lineAddresses);
  // The second pass: evaluates every word of the program and hands each to
  // the store with its address and the (1-based) line it is recorded against.
  template <class TStore>
  void EmitWords(const TLines& lines, TStore&& store) const;
  void PointVectorsAtHandlers();

  TMachine& machine_;
  const TInstructionList& instructions_;
  TWatchList& watches_;
  // Of the assembly under way only: in order of definition, and by key.
  std::vector<TLabel> labels_;
  std::unordered_map<std::string, std::size_t> labelIndex_;
};

// The program editor's compile: assembles the document, binds it to the
// control unit and marks the line of L (0 after the assembly's reset).
void CompileProgram(TProgram& program, TController& control, TProgramDocument& document);

}  // namespace dorum
