#include "Diagnostics.h"

#include <QRegularExpression>
#include <algorithm>

#include "CoreText.h"

#include "common/Error.h"
#include "control/CommentFilter.h"
#include "control/ControlUnit.h"
#include "control/ListFile.h"
#include "machine/Machine.h"
#include "program/ProgramDocument.h"
#include "session/Session.h"

namespace dorum::cli {

namespace {

QString Quoted(const QString& word) {
  return QStringLiteral("„%1”").arg(word);
}

// Whether the message already shows the word as a word of its own; "z" is
// not named by "Oczekiwany rozkaz". The reader lower-cases words and the
// messages quote them so, letter for letter: a student's "oczekiwany" is
// not named by the message's own "Oczekiwany".
bool Names(const QString& message, const QString& word) {
  const QString wanted = word.trimmed();
  if (wanted.isEmpty()) return false;
  const QStringList parts = message.split(u' ', Qt::SkipEmptyParts);
  return parts.contains(wanted);
}

// The word at fault, its place and what the message does not say of it.
void TakeWord(TDiagnostic& d, const TWordPlace& word, const QString& atEndNote) {
  d.HasWord = true;
  if (word.AtEnd) {
    // Nothing follows: there is no word at fault, only the one before it.
    d.Word.clear();
    if (!word.Word.empty()) d.Note = atEndNote.arg(Quoted(Q(word.Word)));
    return;
  }
  d.Word = Q(word.Word);
  if (!Names(d.Message, d.Word)) d.Note = QStringLiteral("słowo %1").arg(Quoted(d.Word));
}

QString StageName(TStage stage) {
  switch (stage) {
    case TStage::List:
      return QStringLiteral("list");
    case TStage::Assembly:
      return QStringLiteral("assembly");
    case TStage::Run:
      return QStringLiteral("run");
    case TStage::None:
      break;
  }
  return {};
}

}  // namespace

void LoadListToRun(const QString& path, TSession& session) {
  session.LoadList(U8(path));
  if (session.Control().Instructions().Count() == 0)
    throw EDorumError("brak rozkazów: plik nie zawiera żadnego rozkazu");
}

QString WithoutPosition(const QString& message) {
  static const QRegularExpression position(QStringLiteral("^\\d+:\\d+ +"));
  QString text = message;
  text.remove(position);
  return text.trimmed();
}

TDiagnostic AssemblyDiagnostic(const EDorumError& error, const QString& file) {
  TDiagnostic d;
  d.Stage = TStage::Assembly;
  d.File = file;
  d.Message = WithoutPosition(Q(error.Message()));
  if (const auto* positioned = dynamic_cast<const EControlException*>(&error)) {
    const TWordPlace& word = positioned->WordPlace();
    if (!word.Word.empty()) {
      d.Line = word.Line;
      d.Column = word.Column;
    }
    TakeWord(d, word, QStringLiteral("brak argumentu po słowie %1 na końcu programu"));
  }
  return d;
}

TDiagnostic ListDiagnostic(const EDorumError& error, const QString& file) {
  TDiagnostic d;
  d.Stage = TStage::List;
  d.File = file;
  d.Message = WithoutPosition(Q(error.Message()));
  const auto* inFile = dynamic_cast<const EListFileError*>(&error);
  if (inFile == nullptr) return d;
  const EListFileError::TPlace& place = inFile->Place();
  d.Section = Q(place.Section);
  d.Line = place.FileLine;
  d.Column = place.FileColumn;
  if (place.Positioned)
    TakeWord(d, place.Word, QStringLiteral("tekst rozkazu kończy się po słowie %1"));
  QString where = QStringLiteral("rozkaz %1 w sekcji [%1]").arg(d.Section);
  if (place.TextLine > 0) where += QStringLiteral(", wiersz %1 jego tekstu").arg(place.TextLine);
  d.Note = d.Note.isEmpty() ? where : where + QStringLiteral(", ") + d.Note;
  return d;
}

TDiagnostic RunDiagnostic(const QString& message, const TController& control,
                          const TProgramDocument& document, const QString& file) {
  TDiagnostic d;
  d.Stage = TStage::Run;
  d.File = file;
  d.Message = message;
  const bool refused = control.RefusedCycle() == control.CyclesPerformed() + 1;
  d.Cycle = refused ? control.RefusedCycle() : control.CyclesPerformed();
  const std::int32_t address = control.InstructionAddress();
  d.ProgramLine = std::max(0, document.LineOfAddress(address));
  d.Line = d.ProgramLine;
  // A fetch is cycle 0 of the instruction it fetches, which I may not hold
  // yet when the fetch fails.
  const bool fetch = control.CurrentCycle() == 0;
  const TMachine& machine = control.Machine();
  const int code =
      fetch ? static_cast<int>(machine.Memory().Word(machine.Memory().IndexOf(address)) >>
                               machine.AddressBits())
            : control.CurrentCode();
  d.Step = control.CurrentCycle();
  if (const TInstruction* instruction = control.Instructions().Find(code))
    d.Instruction = Q(instruction->Name());
  QStringList parts;
  if (!d.Instruction.isEmpty()) parts << QStringLiteral("rozkaz %1").arg(d.Instruction);
  parts << QStringLiteral("takt %1 rozkazu").arg(d.Step);
  if (d.ProgramLine > 0) parts << QStringLiteral("wiersz %1 programu").arg(d.ProgramLine);
  parts << QStringLiteral("takt zegara nr %1").arg(d.Cycle);
  d.Note = parts.join(QStringLiteral(", "));
  return d;
}

QString FormatDiagnostic(const TDiagnostic& d) {
  QString text = d.File;
  if (d.Line > 0) {
    text += QLatin1Char(':') + QString::number(d.Line);
    if (d.Column > 0) text += QLatin1Char(':') + QString::number(d.Column);
  }
  if (!text.isEmpty()) text += QStringLiteral(": ");
  text += d.Message;
  if (!d.Note.isEmpty()) text += QStringLiteral(" (") + d.Note + QLatin1Char(')');
  return text;
}

void AddDiagnosticFields(QJsonObject& result, const TDiagnostic& d) {
  if (d.Stage == TStage::None && d.File.isEmpty()) return;
  if (d.Stage != TStage::None) result[QStringLiteral("stage")] = StageName(d.Stage);
  // The line a person reads, as the runner prints it without --json.
  result[QStringLiteral("diagnostic")] = FormatDiagnostic(d);
  if (!d.File.isEmpty()) result[QStringLiteral("file")] = d.File;
  if (d.Line > 0) result[QStringLiteral("line")] = d.Line;
  if (d.Column > 0) result[QStringLiteral("column")] = d.Column;
  if (d.HasWord) result[QStringLiteral("word")] = d.Word;
  if (!d.Section.isEmpty()) result[QStringLiteral("instruction")] = d.Section;
  if (d.Stage != TStage::Run) return;
  if (!d.Instruction.isEmpty()) result[QStringLiteral("instruction")] = d.Instruction;
  if (d.Step >= 0) result[QStringLiteral("step")] = d.Step;
  if (d.ProgramLine > 0) result[QStringLiteral("program_line")] = d.ProgramLine;
  result[QStringLiteral("cycle")] = static_cast<qint64>(d.Cycle);
}

}  // namespace dorum::cli
