// Script commands of the control unit: the instruction list, list files and
// the run commands.
#include <QDir>

#include "CoreText.h"
#include "ScriptRunner.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/History.h"
#include "control/ListFile.h"

namespace dorum::cli {

namespace {

QString OnOff(bool value) {
  return value ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

const TInstruction& TScriptRunner::InstructionArg(const QString& name) const {
  const int code = control_.Instructions().IndexOf(LowerCase(U8(name)));
  if (code < 0)
    throw EDorumError(U8(QStringLiteral("Nieznany rozkaz: %1 (lista: instructions)").arg(name)));
  return control_.Instructions().At(code);
}

QString TScriptRunner::PathArg(const QString& rest, const QString& usage) const {
  const QString name = rest.trimmed();
  if (name.isEmpty()) throw EDorumError(U8(Usage(usage.section(u' ', 0, 0), usage)));
  return baseDirectory_.isEmpty() ? name : QDir(baseDirectory_).filePath(name);
}

int TScriptRunner::CountArg(const QStringList& args, const QString& usage) {
  NeedArgs(args, 0, 1, usage);
  if (args.isEmpty()) return 1;
  const std::int32_t count = StrToInt(U8(args[0]));
  if (count < 1)
    throw EDorumError(U8(QStringLiteral("Liczba powtórzeń musi być dodatnia: %1").arg(count)));
  return count;
}

TRunHistory& TScriptRunner::RecordedHistory() {
  TRunHistory* history = session_.History();
  if (history == nullptr)
    throw EDorumError(U8(QStringLiteral("Historia nie jest zapisywana (polecenie record)")));
  return *history;
}

void TScriptRunner::RegisterInstructionCommands() {
  Register(QStringLiteral("instruction"), QStringLiteral("instruction PLIK"),
           [this](const QStringList&, const QString& rest) {
             const QString path = PathArg(rest, QStringLiteral("instruction PLIK"));
             session_.CompileInstruction(ReadTextFile(U8(path)));
           });
  Register(QStringLiteral("instructions"), QStringLiteral("instructions"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("instructions"));
             const TInstructionList& list = control_.Instructions();
             for (int code = 0; code < list.Count(); ++code) {
               const TInstruction& instruction = list.At(code);
               Print(QStringLiteral("%1 %2 %3 %4")
                         .arg(code)
                         .arg(Q(instruction.Name()))
                         .arg(instruction.ArgumentCount())
                         .arg(instruction.CycleCount()));
             }
           });
  Register(QStringLiteral("cycles"), QStringLiteral("cycles NAZWA"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("cycles NAZWA"));
             const TInstruction& instruction = InstructionArg(args[0]);
             for (int k = 0; k < instruction.CycleCount(); ++k) Print(CycleText(instruction, k));
           });
  Register(QStringLiteral("source"), QStringLiteral("source NAZWA"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("source NAZWA"));
             for (const std::string& line : InstructionArg(args[0]).Source()) Print(Q(line));
           });
  Register(QStringLiteral("delete"), QStringLiteral("delete KOD"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("delete KOD"));
             session_.DeleteInstruction(StrToInt(U8(args[0])));
           });
  Register(QStringLiteral("load-list"), QStringLiteral("load-list PLIK"),
           [this](const QStringList&, const QString& rest) {
             session_.LoadList(U8(PathArg(rest, QStringLiteral("load-list PLIK"))));
           });
  Register(QStringLiteral("save-list"), QStringLiteral("save-list PLIK"),
           [this](const QStringList&, const QString& rest) {
             session_.SaveList(U8(PathArg(rest, QStringLiteral("save-list PLIK"))));
           });
  Register(QStringLiteral("cycle-break"), QStringLiteral("cycle-break NAZWA K"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 2, 2, QStringLiteral("cycle-break NAZWA K"));
             const int code = control_.Instructions().IndexOf(InstructionArg(args[0]).Name());
             session_.ToggleCycleBreakpoint(code, StrToInt(U8(args[1])));
           });
}

QString TScriptRunner::CycleText(const TInstruction& instruction, int k) const {
  const TMicroCode& micro = instruction.Cycle(k);
  QStringList names;
  for (int n = 0; n < kSignalCount; ++n) {
    if (micro.Signals.Test(n)) names.append(Q(machine_.Signal(n).Caption()));
  }
  return QStringLiteral("%1: %2 | cond=%3 next=%4 else=%5 line=%6 break=%7")
      .arg(k)
      .arg(names.join(QLatin1Char(' ')))
      .arg(static_cast<int>(micro.Condition))
      .arg(micro.NextCycle)
      .arg(micro.ElseCycle)
      .arg(micro.SourceLine + 1)  // lines are numbered from 1, as in the error messages
      .arg(OnOff(micro.Breakpoint));
}

void TScriptRunner::RegisterRunCommands() {
  Register(QStringLiteral("cycle"), QStringLiteral("cycle [N]"),
           [this](const QStringList& args, const QString&) {
             const int count = CountArg(args, QStringLiteral("cycle [N]"));
             for (int n = 0; n < count; ++n) Ran(control_.ExecuteCycle());
           });
  Register(QStringLiteral("step"), QStringLiteral("step [N]"),
           [this](const QStringList& args, const QString&) {
             const int count = CountArg(args, QStringLiteral("step [N]"));
             const TCycleLimitScope limit(control_, cycleLimit_);
             for (int n = 0; n < count; ++n) Ran(control_.ExecuteInstruction());
           });
  Register(QStringLiteral("run"), QStringLiteral("run"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("run"));
             const TCycleLimitScope limit(control_, cycleLimit_);
             Ran(control_.ExecuteProgram(-1));
           });
  Register(
      QStringLiteral("limit"), QStringLiteral("limit N"),
      [this](const QStringList& args, const QString&) {
        NeedArgs(args, 1, 1, QStringLiteral("limit N"));
        const std::int32_t cycles = StrToInt(U8(args[0]));
        if (cycles < 1)
          throw EDorumError(U8(QStringLiteral("Limit taktów musi być dodatni: %1").arg(cycles)));
        cycleLimit_ = static_cast<std::uint64_t>(cycles);
      });
  // Conditions take the whole rest of the line: "AK > 3" may have blanks.
  Register(QStringLiteral("stop-when"), QStringLiteral("stop-when [WARUNEK | clear]"),
           [this](const QStringList&, const QString& rest) {
             const QString condition = rest.trimmed();
             TStopConditions& conditions = session_.StopConditions();
             if (condition == u"clear") {
               conditions.Clear();
             } else if (!condition.isEmpty()) {
               session_.AddStopCondition(U8(condition));
             } else {
               for (int i = 0; i < conditions.Count(); ++i) {
                 const TStopCondition& c = conditions.At(i);
                 Print(c.Problem.empty() ? QStringLiteral("%1: %2").arg(i + 1).arg(Q(c.Text))
                                         : QStringLiteral("%1: %2 (nieczynny: %3)")
                                               .arg(i + 1)
                                               .arg(Q(c.Text), Q(c.Problem)));
               }
             }
           });
  Register(
      QStringLiteral("manual"), QStringLiteral("manual on|off"),
      [this](const QStringList& args, const QString&) {
        NeedArgs(args, 1, 1, QStringLiteral("manual on|off"));
        if (args[0] != u"on" && args[0] != u"off")
          throw EDorumError(U8(Usage(QStringLiteral("manual"), QStringLiteral("manual on|off"))));
        control_.SetManualControl(args[0] == u"on");
      });
  Register(QStringLiteral("toggle"), QStringLiteral("toggle NAZWA ..."),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, kSignalCount, QStringLiteral("toggle NAZWA ..."));
             QList<int> signals;
             for (const QString& name : args) signals.append(SignalArg(name));
             for (const int signal : signals) control_.ToggleSignal(signal);
           });
  Register(QStringLiteral("tracking"), QStringLiteral("tracking 0|1|2"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("tracking 0|1|2"));
             const std::int32_t level = StrToInt(U8(args[0]));
             if (level < 0 || level > 2)
               throw EDorumError(
                   U8(Usage(QStringLiteral("tracking"), QStringLiteral("tracking 0|1|2"))));
             control_.SetTrackingLevel(level);
           });
  Register(QStringLiteral("abort"), QStringLiteral("abort"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("abort"));
             control_.RequestStop();
           });
  Register(
      QStringLiteral("record"), QStringLiteral("record [on|off]"),
      [this](const QStringList& args, const QString&) {
        NeedArgs(args, 0, 1, QStringLiteral("record [on|off]"));
        const bool on = args.isEmpty() || args[0] == u"on";
        if (!on && args[0] != u"off")
          throw EDorumError(U8(Usage(QStringLiteral("record"), QStringLiteral("record [on|off]"))));
        session_.RecordHistory(on);
      });
  Register(QStringLiteral("back"), QStringLiteral("back [N]"),
           [this](const QStringList& args, const QString&) {
             const int count = CountArg(args, QStringLiteral("back [N]"));
             if (RecordedHistory().UndoSteps(static_cast<std::uint64_t>(count)) == 0)
               throw EDorumError(U8(QStringLiteral("Nie ma czego cofnąć")));
           });
  Register(QStringLiteral("back-step"), QStringLiteral("back-step [N]"),
           [this](const QStringList& args, const QString&) {
             const int count = CountArg(args, QStringLiteral("back-step [N]"));
             for (int k = 0; k < count; ++k) {
               if (!RecordedHistory().UndoInstruction()) {
                 if (k == 0) throw EDorumError(U8(QStringLiteral("Nie ma czego cofnąć")));
                 break;
               }
             }
           });
  Register(QStringLiteral("history"), QStringLiteral("history"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("history"));
             const TRunHistory& history = RecordedHistory();
             Print(QStringLiteral("cycles=%1 instructions=%2 steps=%3")
                       .arg(history.UndoableCycles())
                       .arg(history.UndoableInstructions())
                       .arg(history.UndoableSteps()));
           });
  Register(QStringLiteral("state"), QStringLiteral("state"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("state"));
             Print(QStringLiteral("fetch=%1 cycle=%2 manual=%3 stop=%4 armed=%5 waiting=%6 "
                                  "tracking=%7")
                       .arg(OnOff(control_.AtFetch()))
                       .arg(control_.CurrentCycle())
                       .arg(OnOff(control_.ManualControl()))
                       .arg(OnOff(control_.StopRequested()))
                       .arg(OnOff(control_.BreakpointsArmed()))
                       .arg(OnOff(control_.WaitingForInput()))
                       .arg(control_.TrackingLevel()));
           });
}

}  // namespace dorum::cli
