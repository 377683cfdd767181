#include "Diagnostics.h"

#include "CoreText.h"
#include "common/Error.h"
#include "common/Texts.h"
#include "control/ControlUnit.h"
#include "control/InstructionList.h"
#include "session/Session.h"

namespace dorum::cli {

void LoadListToRun(const QString& path, TSession& session) {
  session.LoadList(U8(path));
  if (session.Control().Instructions().Count() == 0)
    throw EDorumError(Texts::ListWithoutInstructions());
}

QString FormatDiagnostic(const TDiagnostic& d) {
  return Q(d.Text());
}

void AddDiagnosticFields(QJsonObject& result, const TDiagnostic& d) {
  if (d.Stage == TStage::None && d.File.empty()) return;
  if (d.Stage != TStage::None) result[QStringLiteral("stage")] = Q(std::string(StageName(d.Stage)));
  // The line a person reads, as the runner prints it without --json.
  result[QStringLiteral("diagnostic")] = FormatDiagnostic(d);
  if (!d.File.empty()) result[QStringLiteral("file")] = Q(d.File);
  if (d.Line > 0) result[QStringLiteral("line")] = d.Line;
  if (d.Column > 0) result[QStringLiteral("column")] = d.Column;
  if (d.HasWord) result[QStringLiteral("word")] = Q(d.Word);
  if (!d.Section.empty()) result[QStringLiteral("instruction")] = Q(d.Section);
  if (d.Stage != TStage::Run) return;
  if (!d.Instruction.empty()) result[QStringLiteral("instruction")] = Q(d.Instruction);
  if (d.Step >= 0) result[QStringLiteral("step")] = d.Step;
  if (d.ProgramLine > 0) result[QStringLiteral("program_line")] = d.ProgramLine;
  result[QStringLiteral("cycle")] = static_cast<qint64>(d.Cycle);
}

}  // namespace dorum::cli
