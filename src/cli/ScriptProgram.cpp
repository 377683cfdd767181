// Script commands of programs: assembling into the script's one program
// document, its line map, breakpoints and current line, and the watches.
#include "CoreText.h"
#include "ScriptRunner.h"
#include "common/Error.h"
#include "common/Text.h"

namespace dorum::cli {

void TScriptRunner::RegisterProgramCommands() {
  Register(QStringLiteral("assemble"), QStringLiteral("assemble PLIK"),
           [this](const QStringList&, const QString& rest) {
             // Loading the file clears the line map; breakpoints belong to
             // the editor window and stay.
             document_.SetTexts(ReadTextFile(U8(PathArg(rest, QStringLiteral("assemble PLIK")))));
             session_.AssembleProgram(document_);
           });
  Register(QStringLiteral("lines"), QStringLiteral("lines"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("lines"));
             for (int line = 1; line <= document_.LineCount(); ++line)
               Print(QStringLiteral("%1 %2").arg(line).arg(document_.AddressOfLine(line)));
           });
  Register(QStringLiteral("current"), QStringLiteral("current"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("current"));
             const IBoundProgram* bound = control_.ProgramEditor();
             Print(QString::number(bound != nullptr ? bound->CurrentLine() : -1));
           });
  Register(QStringLiteral("break"), QStringLiteral("break WIERSZ"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("break WIERSZ"));
             document_.Debugger().ToggleBreakpoint(StrToInt(U8(args[0])));
           });
  Register(QStringLiteral("breakpoints"), QStringLiteral("breakpoints"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("breakpoints"));
             QStringList lines;
             for (const int line : document_.Debugger().Breakpoints())
               lines.append(QString::number(line));
             Print(lines.join(QLatin1Char(' ')));
           });
  Register(QStringLiteral("run-to"), QStringLiteral("run-to WIERSZ"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("run-to WIERSZ"));
             const int line = StrToInt(U8(args[0]));
             const TCycleLimitScope limit(control_, cycleLimit_);
             Ran(control_.RunToLine(line));
           });
  Register(QStringLiteral("watches"), QStringLiteral("watches"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("watches"));
             for (int i = 0; i < watches_.Count(); ++i)
               Print(Q(watches_.NameText(i) + '\t' + watches_.ContentText(i, machine_)));
           });
}

}  // namespace dorum::cli
