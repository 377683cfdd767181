#pragma once

#include <QJsonObject>
#include <QString>

#include "app/Diagnostic.h"

namespace dorum {
class TSession;
}  // namespace dorum

namespace dorum::cli {

// The core's placed errors, as "dorum-cli run" reports them.
using dorum::TDiagnostic;
using dorum::TStage;

// Loads a list file to run programs with. A list without a single
// instruction is refused ("brak rozkazów"): every program would fail on it
// with an error that blames the program.
void LoadListToRun(const QString& path, TSession& session);

// "FILE:LINE:COLUMN: MESSAGE (NOTE)", leaving out what is not known.
[[nodiscard]] QString FormatDiagnostic(const TDiagnostic& diagnostic);
// Adds stage, file, line, column, word, instruction, step, program_line and
// cycle, those that apply.
void AddDiagnosticFields(QJsonObject& result, const TDiagnostic& diagnostic);

}  // namespace dorum::cli
