#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dorum {

class EDorumError;
class TController;
class TInstructionList;
class TProgramDocument;

// What a run was doing when it failed.
enum class TStage { None, List, Assembly, Run };

// "list", "assembly", "run" as a run's report names the stage; empty for none.
[[nodiscard]] std::string_view StageName(TStage stage) noexcept;

// An error with its place, told in the usual compiler form to a person
// ("FILE:LINE:COLUMN: message (note)") and field by field to a tool. A
// number 0 (or a step of -1) means not known.
struct TDiagnostic {
  TStage Stage = TStage::None;
  std::string File;
  int Line = 0;    // from 1
  int Column = 0;  // from 1, where the word at fault starts
  bool HasWord = false;
  std::string Word;
  std::string Message;  // the system's own text, without its position
  std::string Note;     // what the text itself leaves unsaid
  std::string Section;  // of a list file: the instruction's section
  std::string Instruction;
  int Step = -1;
  int ProgramLine = 0;
  std::uint64_t Cycle = 0;

  // "FILE:LINE:COLUMN: MESSAGE (NOTE)", leaving out what is not known.
  [[nodiscard]] std::string Text() const;
};

// "3:0  Oczekiwany rozkaz" without "3:0" and the blanks after it.
[[nodiscard]] std::string WithoutPosition(std::string_view message);

// A program or an instruction file that did not compile, at the word the
// reader stopped at.
[[nodiscard]] TDiagnostic AssemblyDiagnostic(const EDorumError& error, const std::string& file);
// A list file that did not load; `error` as the list reader raised it.
[[nodiscard]] TDiagnostic ListDiagnostic(const EDorumError& error, const std::string& file);
// A run that did not end on its own: the instruction, its cycle, the
// program line and the number of the clock cycle, as the control unit
// stands after it.
[[nodiscard]] TDiagnostic RunDiagnostic(const std::string& message, const TController& control,
                                        const TProgramDocument& document, const std::string& file);
// A cycle the machine refused in a student's microprogram: its file
// (instruction name -> file) and line come first, the program's line stays
// in the note.
void PlaceInInstructionFile(TDiagnostic& diagnostic, const TInstructionList& list,
                            const std::map<std::string, std::string>& files);

// A word where an instruction was expected, right after an instruction
// that takes no argument: the student's file of that instruction said
// "Argumenty 0", which the assembler's own words cannot tell.
void ExplainUnexpectedArgument(TDiagnostic& diagnostic, const std::vector<std::string>& program,
                               const TInstructionList& list);

}  // namespace dorum
