#include "ScriptRunner.h"

#include "CoreText.h"
#include "common/Error.h"
#include "common/Text.h"

namespace dorum::cli {

QString Usage(const QString& command, const QString& usage) {
  return QStringLiteral("Polecenie %1 wymaga postaci: %2").arg(command, usage);
}

namespace {

std::optional<TDisplayMode> ModeByName(const QString& name) {
  static const std::map<QString, TDisplayMode> modes = {
      {QStringLiteral("binary"), TDisplayMode::dmBinary},
      {QStringLiteral("unsigned"), TDisplayMode::dmUnsigned},
      {QStringLiteral("signed"), TDisplayMode::dmSigned},
      {QStringLiteral("hex"), TDisplayMode::dmHexadecimal},
      {QStringLiteral("instruction"), TDisplayMode::dmInstruction},
  };
  const auto it = modes.find(name.toLower());
  if (it == modes.end()) return std::nullopt;
  return it->second;
}

QString JoinComponents(const TComponentSet& set) {
  QStringList numbers;
  for (std::size_t n = 0; n < set.size(); ++n) {
    if (set.test(n)) numbers.append(QString::number(n));
  }
  return numbers.join(QLatin1Char(','));
}

}  // namespace

TScriptRunner::TScriptRunner(std::ostream& out) : out_(out) {
  // A script starts where the application starts (the session's default
  // machine with the eight built-in instructions compiled).
  RegisterMachineCommands();
  RegisterDeviceCommands();
  RegisterInstructionCommands();
  RegisterRunCommands();
  RegisterProgramCommands();
}

void TScriptRunner::Print(const QString& line) {
  out_ << line.toStdString() << '\n';
}

void TScriptRunner::Register(const QString& name, const QString& usage,
                             std::function<void(const QStringList&, const QString&)> run) {
  commands_[name] = TCommand{usage, std::move(run)};
}

bool TScriptRunner::RunLine(const QString& rawLine) {
  QString line = rawLine;
  while (line.endsWith(u'\r') || line.endsWith(u'\n')) line.chop(1);
  const QString trimmed = line.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith(u'#')) return true;

  const QStringList words = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const QString& name = words.front();
  // Free text ("input", "echo") is everything after the one blank that
  // follows the command word, blanks included.
  const QString afterBlanks = line.mid(line.indexOf(name) + name.size());
  const QString rest = afterBlanks.isEmpty() ? QString() : afterBlanks.mid(1);
  try {
    const auto it = commands_.find(name);
    if (it == commands_.end()) {
      throw EDorumError(
          U8(QStringLiteral("Nieznane polecenie: %1 (lista poleceń: help)").arg(name)));
    }
    it->second.Run(words.mid(1), rest);
    return true;
  } catch (const EDorumError& error) {
    Print(QStringLiteral("error: ") + Q(error.Message()));
  } catch (const std::exception& error) {
    Print(QStringLiteral("error: ") + QString::fromUtf8(error.what()));
  }
  anyFailed_ = true;
  return false;
}

void TScriptRunner::NeedArgs(const QStringList& args, int min, int max, const QString& usage) {
  if (args.size() < min || args.size() > max)
    throw EDorumError(U8(Usage(usage.section(u' ', 0, 0), usage)));
}

TRegisterId TScriptRunner::RegisterArg(const QString& name) const {
  const int index = TMachine::FindRegister(U8(name));
  if (index < 0) {
    throw EDorumError(
        U8(QStringLiteral("Nieznany rejestr: %1 (rejestry: AK I L A S WS X Y RZ RM RP AP RB G F)")
               .arg(name)));
  }
  return static_cast<TRegisterId>(index);
}

int TScriptRunner::SignalArg(const QString& name) const {
  const int number = TMachine::FindSignal(U8(name));
  if (number < 0) throw EDorumError(U8(QStringLiteral("Nieznany sygnał: %1").arg(name)));
  return number;
}

int TScriptRunner::AddressArg(const QString& text) const {
  const std::int32_t address = StrToInt(U8(text));
  if (address < 0 || address >= TMemory::kCells) {
    throw EDorumError(U8(QStringLiteral("Adres %1 spoza zakresu 0..65535").arg(address)));
  }
  return address;
}

int TScriptRunner::CellArg(const QString& text) const {
  std::int32_t number = 0;
  if (TryStrToInt(U8(text), number)) return AddressArg(text);
  // A label of the program assembled last stands for its address.
  for (int i = 0; i < watches_.Count(); ++i) {
    if (CompareNamesIgnoringCase(watches_.At(i).Name, U8(text)) == 0)
      return AddressArg(QString::number(watches_.At(i).Address));
  }
  throw EDorumError(
      U8(QStringLiteral("Nie ma takiego adresu ani etykiety programu: %1").arg(text)));
}

void TScriptRunner::RegisterMachineCommands() {
  Register(QStringLiteral("help"), QStringLiteral("help"),
           [this](const QStringList&, const QString&) { Help(); });
  Register(QStringLiteral("echo"), QStringLiteral("echo TEKST"),
           [this](const QStringList&, const QString& rest) { Print(rest); });
  Register(QStringLiteral("config"),
           QStringLiteral("config [address N | code N | components 0,1,5 | preset NAZWA]"),
           [this](const QStringList& args, const QString&) { Config(args); });

  Register(QStringLiteral("reg"), QStringLiteral("reg NAZWA"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("reg NAZWA"));
             Print(Q(machine_.RegisterText(RegisterArg(args[0]))));
           });
  Register(QStringLiteral("regs"), QStringLiteral("regs"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("regs"));
             for (int r = 0; r < kRegisterCount; ++r) {
               const auto id = static_cast<TRegisterId>(r);
               if (machine_.Register(id).Visible()) Print(Q(machine_.RegisterText(id)));
             }
           });
  Register(QStringLiteral("set"), QStringLiteral("set NAZWA WARTOŚĆ"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 2, 2, QStringLiteral("set NAZWA WARTOŚĆ"));
             machine_.EnterRegisterValue(RegisterArg(args[0]), U8(args[1]));
           });
  Register(
      QStringLiteral("mode"), QStringLiteral("mode NAZWA binary|unsigned|signed|hex|instruction"),
      [this](const QStringList& args, const QString&) {
        NeedArgs(args, 2, 2, QStringLiteral("mode NAZWA binary|unsigned|signed|hex|instruction"));
        const TRegisterId id = RegisterArg(args[0]);
        const auto mode = ModeByName(args[1]);
        if (!mode) {
          throw EDorumError(U8(
              QStringLiteral(
                  "Nieznany sposób wyświetlania: %1 (binary, unsigned, signed, hex, instruction)")
                  .arg(args[1])));
        }
        machine_.SetDisplayMode(id, *mode);
      });
  Register(QStringLiteral("zero"), QStringLiteral("zero NAZWA"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("zero NAZWA"));
             machine_.ZeroRegister(RegisterArg(args[0]));
           });
  Register(
      QStringLiteral("mem"), QStringLiteral("mem ADRES|ETYKIETA [WARTOŚĆ]"),
      [this](const QStringList& args, const QString&) {
        NeedArgs(args, 1, 2, QStringLiteral("mem ADRES|ETYKIETA [WARTOŚĆ]"));
        const int address = CellArg(args[0]);
        if (args.size() == 2) {
          machine_.EnterMemoryValue(address, U8(args[1]));
        } else {
          Print(QString::number(address) + QStringLiteral(": ") + Q(machine_.CellText(address)));
        }
      });
  Register(QStringLiteral("clear-memory"), QStringLiteral("clear-memory"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("clear-memory"));
             session_.ClearMemory();
           });
  Register(QStringLiteral("bus"), QStringLiteral("bus S|A|AS"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("bus S|A|AS"));
             const int index = TMachine::FindBus(U8(args[0]));
             if (index < 0)
               throw EDorumError(
                   U8(QStringLiteral("Nieznana magistrala: %1 (magistrale: S A AS)").arg(args[0])));
             const auto id = static_cast<TBusId>(index);
             Print(Q(machine_.Bus(id).Caption()) + QStringLiteral(" = ") +
                   (machine_.BusDriven(id) ? QString::number(machine_.BusValue(id))
                                           : QStringLiteral("-")));
           });
  Register(QStringLiteral("signals"), QStringLiteral("signals [NAZWA ...]"),
           [this](const QStringList& args, const QString&) {
             std::uint64_t mask = 0;
             for (qsizetype n = 0; n < args.size(); ++n) {
               const int number = SignalArg(args[n]);
               // "as (sa)" may be written out in full.
               if (number == static_cast<int>(TSignalId::as) && n + 1 < args.size() &&
                   args[n + 1] == u"(sa)")
                 ++n;
               mask |= std::uint64_t{1} << number;
             }
             machine_.ExecuteSignals(mask);
           });
  Register(QStringLiteral("active"), QStringLiteral("active"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("active"));
             QStringList names;
             for (int n = 0; n < kSignalCount; ++n) {
               if (machine_.SignalActive(n)) names.append(Q(machine_.Signal(n).Caption()));
             }
             Print(names.join(QLatin1Char(' ')));
           });
  Register(QStringLiteral("reset"), QStringLiteral("reset"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("reset"));
             machine_.ResetMachine();
           });
}

void TScriptRunner::RegisterDeviceCommands() {
  Register(QStringLiteral("irq"), QStringLiteral("irq 1..4"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 1, 1, QStringLiteral("irq 1..4"));
             machine_.RaiseInterrupt(StrToInt(U8(args[0])));
           });
  Register(QStringLiteral("vectors"), QStringLiteral("vectors"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("vectors"));
             for (std::size_t k = 0; k < machine_.Vectors().size(); ++k) {
               const TInterruptVector& v = machine_.Vectors()[k];
               Print(QStringLiteral("%1 %2 %3").arg(k + 1).arg(Q(v.LabelName)).arg(v.Address));
             }
           });
  Register(QStringLiteral("vector"), QStringLiteral("vector 1..4 ETYKIETA ADRES"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 3, 3, QStringLiteral("vector 1..4 ETYKIETA ADRES"));
             const std::int32_t k = StrToInt(U8(args[0]));
             if (k < 1 || k > 4)
               throw EDorumError(U8(QStringLiteral("Numer wektora %1 spoza zakresu 1..4").arg(k)));
             TInterruptVectors vectors = machine_.Vectors();
             vectors[static_cast<std::size_t>(k - 1)] =
                 TInterruptVector{StrToInt(U8(args[2])), U8(args[1])};
             machine_.SetVectors(vectors);
           });
  Register(QStringLiteral("ports"), QStringLiteral("ports [WE WY PRZERWANIE_WE PRZERWANIE_WY]"),
           [this](const QStringList& args, const QString&) {
             if (args.isEmpty()) {
               const TIOPorts& p = machine_.IOPorts();
               Print(QStringLiteral("in=%1 out=%2 inint=%3 outint=%4")
                         .arg(p.InputPort)
                         .arg(p.OutputPort)
                         .arg(p.InputInterrupt)
                         .arg(p.OutputInterrupt));
               return;
             }
             NeedArgs(args, 4, 4, QStringLiteral("ports [WE WY PRZERWANIE_WE PRZERWANIE_WY]"));
             machine_.SetIOPorts(TIOPorts{StrToInt(U8(args[0])), StrToInt(U8(args[1])),
                                          StrToInt(U8(args[2])), StrToInt(U8(args[3]))});
           });
  Register(QStringLiteral("input"), QStringLiteral("input TEKST"),
           [this](const QStringList&, const QString& rest) { machine_.TypeInput(U8(rest)); });
  Register(QStringLiteral("inputfield"), QStringLiteral("inputfield"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("inputfield"));
             Print(Q(machine_.Console().InputText()));
           });
  Register(QStringLiteral("output"), QStringLiteral("output"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("output"));
             Print(Q(machine_.Console().OutputText()));
           });
  Register(QStringLiteral("clear-output"), QStringLiteral("clear-output"),
           [this](const QStringList& args, const QString&) {
             NeedArgs(args, 0, 0, QStringLiteral("clear-output"));
             machine_.Console().Clear();
           });
}

void TScriptRunner::Config(const QStringList& args) {
  if (args.isEmpty()) {
    Print(QStringLiteral("address=%1 code=%2 components=%3")
              .arg(machine_.AddressBits())
              .arg(machine_.CodeBits())
              .arg(JoinComponents(machine_.GetComponents())));
    return;
  }
  const QString usage =
      QStringLiteral("config [address N | code N | components 0,1,5 | preset NAZWA]");
  NeedArgs(args, 2, 2, usage);
  const QString& what = args[0];
  if (what == u"address") {
    session_.SetAddressBits(StrToInt(U8(args[1])));
  } else if (what == u"code") {
    session_.SetCodeBits(StrToInt(U8(args[1])));
  } else if (what == u"components") {
    TComponentSet set;
    for (const QString& item : args[1].split(QLatin1Char(','))) {
      const std::int32_t n = StrToInt(U8(item));
      if (n < 0 || n > 255)
        throw EDorumError(U8(QStringLiteral("Numer opcji %1 spoza zakresu 0..255").arg(n)));
      set.set(static_cast<std::size_t>(n));
    }
    session_.SetComponents(set);
  } else if (what == u"preset") {
    const auto set = PresetComponents(U8(args[1]));
    if (!set)
      throw EDorumError(
          U8(QStringLiteral("Nieznany zestaw: %1 (Dorum, Dorum+, Pelt, Ombra)").arg(args[1])));
    session_.SetComponents(*set);
  } else {
    throw EDorumError(U8(Usage(QStringLiteral("config"), usage)));
  }
}

void TScriptRunner::Help() {
  for (const auto& [name, command] : commands_) Print(command.Usage);
}

}  // namespace dorum::cli
