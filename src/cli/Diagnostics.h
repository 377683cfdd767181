#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>

namespace dorum {
class EDorumError;
class TController;
class TMachine;
class TProgramDocument;
class TSession;
}  // namespace dorum

namespace dorum::cli {

// What a run of "dorum-cli run" was doing when it failed.
enum class TStage { None, List, Assembly, Run };

// An error with its place, told in the usual compiler form to a person and
// field by field to a tool. A number 0 (or a step of −1) means not known.
struct TDiagnostic {
  TStage Stage = TStage::None;
  QString File;
  int Line = 0;    // from 1
  int Column = 0;  // from 1, where the word at fault starts
  bool HasWord = false;
  QString Word;
  QString Message;  // the system's own text, without its position
  QString Note;     // what the text itself leaves unsaid
  QString Section;  // of a list file: the instruction's section
  QString Instruction;
  int Step = -1;
  int ProgramLine = 0;
  std::uint64_t Cycle = 0;
};

// Loads a list file to run programs with. A list without a single
// instruction is refused ("brak rozkazów"): every program would fail on it
// with an error that blames the program.
void LoadListToRun(const QString& path, TSession& session);

// A list file that did not load; `error` as the list reader raised it.
[[nodiscard]] TDiagnostic ListDiagnostic(const EDorumError& error, const QString& file);
// A program that did not assemble.
[[nodiscard]] TDiagnostic AssemblyDiagnostic(const EDorumError& error, const QString& file);
// A cycle the machine refused: the instruction, its cycle, the program line
// and the number of the clock cycle, as the control unit stands after it.
[[nodiscard]] TDiagnostic RunDiagnostic(const QString& message, const TController& control,
                                        const TProgramDocument& document, const QString& file);

// "FILE:LINE:COLUMN: MESSAGE (NOTE)", leaving out what is not known.
[[nodiscard]] QString FormatDiagnostic(const TDiagnostic& diagnostic);
// Adds stage, file, line, column, word, instruction, step, program_line and
// cycle, those that apply.
void AddDiagnosticFields(QJsonObject& result, const TDiagnostic& diagnostic);

// "3:0  Oczekiwany rozkaz" without "3:0" and the blanks after it.
[[nodiscard]] QString WithoutPosition(const QString& message);

}  // namespace dorum::cli
