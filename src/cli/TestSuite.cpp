#include "TestSuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "CoreText.h"
#include "common/Error.h"
#include "common/Text.h"

namespace dorum::cli {

namespace {

// A case's keys, as the help and the README list them.
const QStringList kCaseKeys{QStringLiteral("name"),       QStringLiteral("set"),
                            QStringLiteral("input"),      QStringLiteral("input_file"),
                            QStringLiteral("irq"),        QStringLiteral("expect"),
                            QStringLiteral("max_cycles"), QStringLiteral("must_execute"),
                            QStringLiteral("output"),     QStringLiteral("output_contains"),
                            QStringLiteral("status"),     QStringLiteral("points")};

// A day: longer than any run a course needs, short enough for a timer.
constexpr int kMaxTimeout = 86'400;

[[noreturn]] void Broken(const QString& what) {
  throw EDorumError(U8(what));
}

// Refuses keys the format does not know: a misspelt "expect" must not
// silently make every submission pass.
void CheckKeys(const QJsonObject& object, const QStringList& known, const QString& where) {
  for (const QString& key : object.keys()) {
    if (!known.contains(key))
      Broken(QStringLiteral("%1: nieznany klucz \"%2\" (znane: %3)")
                 .arg(where, key, known.join(QStringLiteral(", "))));
  }
}

QString ScalarText(const QJsonValue& value, const QString& where) {
  if (value.isString()) return value.toString();
  if (value.isDouble()) {
    const double number = value.toDouble();
    if (number != static_cast<double>(static_cast<qint64>(number)))
      Broken(QStringLiteral("%1: wartość musi być liczbą całkowitą").arg(where));
    return QString::number(static_cast<qint64>(number));
  }
  Broken(QStringLiteral("%1: oczekiwano liczby albo tekstu").arg(where));
}

// {"wynik": 12, "mem[5]": "$FF"} or "wynik=12,mem[5]=$FF" as NAME=VALUE items.
QStringList Assignments(const QJsonValue& value, const QString& where) {
  QStringList items;
  if (value.isUndefined()) return items;
  if (value.isString()) {
    for (const QString& item : value.toString().split(u',', Qt::SkipEmptyParts)) {
      if (item.indexOf(u'=') <= 0)
        Broken(QStringLiteral("%1: \"%2\" nie ma postaci NAZWA=WARTOŚĆ").arg(where, item));
      items.append(item.trimmed());
    }
    return items;
  }
  if (!value.isObject())
    Broken(QStringLiteral("%1: oczekiwano obiektu {\"NAZWA\": WARTOŚĆ}").arg(where));
  const QJsonObject object = value.toObject();
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.key().contains(u',') || it.key().contains(u'=') || it.key().trimmed().isEmpty())
      Broken(QStringLiteral("%1: zła nazwa \"%2\"").arg(where, it.key()));
    items.append(it.key() + u'=' + ScalarText(it.value(), where + u'.' + it.key()));
  }
  return items;
}

QStringList Strings(const QJsonValue& value, const QString& where) {
  QStringList items;
  if (value.isUndefined()) return items;
  if (value.isString()) return value.toString().split(u',', Qt::SkipEmptyParts);
  if (!value.isArray()) Broken(QStringLiteral("%1: oczekiwano listy tekstów").arg(where));
  for (const QJsonValue item : value.toArray()) {
    if (!item.isString() || item.toString().trimmed().isEmpty())
      Broken(QStringLiteral("%1: oczekiwano niepustych tekstów").arg(where));
    items.append(item.toString().trimmed());
  }
  return items;
}

std::optional<std::uint64_t> Cycles(const QJsonValue& value, const QString& where) {
  if (value.isUndefined()) return std::nullopt;
  const double number = value.toDouble(-1);
  if (!value.isDouble() || number < 1 || number > 1e15 ||
      number != static_cast<double>(static_cast<qint64>(number)))
    Broken(QStringLiteral("%1: oczekiwano dodatniej liczby całkowitej").arg(where));
  return static_cast<std::uint64_t>(number);
}

// A cycle limit: a number, or "reference*N" (N times the reference's).
struct TCycleLimit {
  std::optional<std::uint64_t> Cycles;
  std::optional<std::uint64_t> ReferenceFactor;
};

TCycleLimit CycleLimit(const QJsonValue& value, const QString& where) {
  if (!value.isString()) return {Cycles(value, where), std::nullopt};
  const QString text = value.toString().remove(u' ');
  const QString prefix = QStringLiteral("reference*");
  bool ok = false;
  const qulonglong factor = text.startsWith(prefix) ? text.mid(prefix.size()).toULongLong(&ok) : 0;
  if (!ok || factor == 0 || factor > 1'000'000)
    Broken(QStringLiteral("%1: oczekiwano dodatniej liczby całkowitej albo \"reference*N\"")
               .arg(where));
  return {std::nullopt, factor};
}

std::optional<QString> OptionalText(const QJsonObject& object, const char* key,
                                    const QString& where) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isUndefined()) return std::nullopt;
  if (!value.isString()) Broken(QStringLiteral("%1.%2: oczekiwano tekstu").arg(where, key));
  return value.toString();
}

// The run's input: typed into the suite, or read from a file beside it.
QString CaseInput(const QJsonObject& object, const QString& where, const QDir& base) {
  const std::optional<QString> input = OptionalText(object, "input", where);
  const std::optional<QString> file = OptionalText(object, "input_file", where);
  if (input && file) Broken(where + QStringLiteral(": input i input_file wykluczają się"));
  if (!file) return input.value_or(QString());
  try {
    return Q(Join(ReadTextFile(U8(base.absoluteFilePath(*file))), "\n"));
  } catch (const EDorumError& e) {
    Broken(where + QStringLiteral(".input_file: ") + Q(e.Message()));
  }
}

// What the case checks: values, instructions that must run, the output and
// how the run ends; it must check something.
void ReadCaseChecks(const QJsonObject& object, const QString& where, TTestCase& test) {
  test.Expect =
      Assignments(object.value(QStringLiteral("expect")), where + QStringLiteral(".expect"));
  test.MustExecute = Strings(object.value(QStringLiteral("must_execute")),
                             where + QStringLiteral(".must_execute"));
  test.Output = OptionalText(object, "output", where);
  test.OutputContains = OptionalText(object, "output_contains", where);
  static const QStringList kStatuses{QStringLiteral("stopped"), QStringLiteral("limit"),
                                     QStringLiteral("input"), QStringLiteral("error")};
  test.Status = OptionalText(object, "status", where).value_or(QStringLiteral("stopped"));
  if (!kStatuses.contains(test.Status))
    Broken(QStringLiteral("%1.status: \"%2\" (znane: %3)")
               .arg(where, test.Status, kStatuses.join(QStringLiteral(", "))));
  if (test.Expect.isEmpty() && test.MustExecute.isEmpty() && !test.Output && !test.OutputContains &&
      test.Status == u"stopped")
    Broken(where + QStringLiteral(": przypadek niczego nie sprawdza (expect, must_execute, output, "
                                  "output_contains, status)"));
  const QJsonValue points = object.value(QStringLiteral("points"));
  test.Points = points.isUndefined() ? 1.0 : points.toDouble(-1);
  if (!(points.isUndefined() || points.isDouble()) || test.Points < 0 || test.Points > 1e6)
    Broken(where + QStringLiteral(".points: oczekiwano nieujemnej liczby"));
}

TTestCase ReadCase(const QJsonValue& value, int index, const TCycleLimit& suiteLimit,
                   const QDir& base) {
  const QString where = QStringLiteral("cases[%1]").arg(index);
  if (!value.isObject()) Broken(where + QStringLiteral(": oczekiwano obiektu"));
  const QJsonObject object = value.toObject();
  CheckKeys(object, kCaseKeys, where);
  TTestCase test;
  // A case without a name is named by its place; a name given must say
  // something, or the reports would show an empty column.
  const QJsonValue name = object.value(QStringLiteral("name"));
  if (!name.isUndefined() && (!name.isString() || name.toString().trimmed().isEmpty()))
    Broken(where + QStringLiteral(".name: oczekiwano niepustego tekstu"));
  test.Name = name.toString().trimmed();
  if (test.Name.isEmpty()) test.Name = QStringLiteral("przypadek%1").arg(index + 1);
  test.Set = Assignments(object.value(QStringLiteral("set")), where + QStringLiteral(".set"));
  test.Input = CaseInput(object, where, base);
  test.Irq = Strings(object.value(QStringLiteral("irq")), where + QStringLiteral(".irq"));
  ReadCaseChecks(object, where, test);
  const QJsonValue limit = object.value(QStringLiteral("max_cycles"));
  const TCycleLimit own =
      limit.isUndefined() ? suiteLimit : CycleLimit(limit, where + QStringLiteral(".max_cycles"));
  test.MaxCycles = own.Cycles;
  test.ReferenceFactor = own.ReferenceFactor;
  return test;
}

QJsonObject ReadObject(const QString& path) {
  const QByteArray bytes = ByteArray(ReadFileBytes(U8(path)));
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError)
    Broken(
        QStringLiteral("błąd JSON przy znaku %1: %2").arg(error.offset).arg(error.errorString()));
  if (!document.isObject()) Broken(QStringLiteral("oczekiwano obiektu JSON"));
  return document.object();
}

}  // namespace

const QStringList& SuiteKeys() {
  static const QStringList keys{
      QStringLiteral("list"),          QStringLiteral("program"),   QStringLiteral("instructions"),
      QStringLiteral("submissions"),   QStringLiteral("timeout"),   QStringLiteral("max_cycles"),
      QStringLiteral("hide_expected"), QStringLiteral("reference"), QStringLiteral("cases")};
  return keys;
}

const QStringList& CaseKeys() {
  return kCaseKeys;
}

TTestSuite LoadTestSuite(const QString& path) {
  const QJsonObject object = ReadObject(path);
  CheckKeys(object, SuiteKeys(), QStringLiteral("zestaw"));
  const QDir base = QFileInfo(path).absoluteDir();
  TTestSuite suite;
  suite.Path = QFileInfo(path).absoluteFilePath();
  suite.Name = QFileInfo(path).completeBaseName();
  const QString list = object.value(QStringLiteral("list")).toString();
  if (!list.isEmpty()) {
    suite.List = base.absoluteFilePath(list);
    if (!QFileInfo(suite.List).isFile())
      Broken(QStringLiteral("list: nie ma pliku %1").arg(suite.List));
  }
  suite.Program = object.value(QStringLiteral("program")).toString().trimmed();
  if (suite.Program.isEmpty())
    Broken(QStringLiteral("program: podaj nazwę pliku programu w folderze zgłoszenia"));
  suite.Instructions =
      Strings(object.value(QStringLiteral("instructions")), QStringLiteral("instructions"));
  const QString submissions = object.value(QStringLiteral("submissions")).toString();
  if (!submissions.isEmpty()) suite.Submissions = base.absoluteFilePath(submissions);
  const QJsonValue timeout = object.value(QStringLiteral("timeout"));
  if (!timeout.isUndefined()) {
    suite.TimeoutSeconds = timeout.toDouble(-1);
    if (!timeout.isDouble() || suite.TimeoutSeconds <= 0 || suite.TimeoutSeconds > kMaxTimeout)
      Broken(QStringLiteral("timeout: oczekiwano liczby sekund większej od 0, najwyżej %1")
                 .arg(kMaxTimeout));
  }
  const QJsonValue hide = object.value(QStringLiteral("hide_expected"));
  if (!hide.isUndefined() && !hide.isBool())
    Broken(QStringLiteral("hide_expected: oczekiwano true albo false"));
  suite.HideExpected = hide.toBool();
  const QString reference = object.value(QStringLiteral("reference")).toString().trimmed();
  if (!reference.isEmpty()) suite.Reference = base.absoluteFilePath(reference);
  const TCycleLimit cycles =
      CycleLimit(object.value(QStringLiteral("max_cycles")), QStringLiteral("max_cycles"));
  const QJsonValue cases = object.value(QStringLiteral("cases"));
  if (!cases.isArray() || cases.toArray().isEmpty())
    Broken(QStringLiteral("cases: podaj listę przypadków testowych"));
  QSet<QString> names;
  for (int i = 0; i < cases.toArray().size(); ++i) {
    TTestCase test = ReadCase(cases.toArray().at(i), i, cycles, base);
    if (names.contains(test.Name))
      Broken(QStringLiteral("cases[%1]: nazwa \"%2\" powtarza się").arg(i).arg(test.Name));
    names.insert(test.Name);
    if (test.ReferenceFactor && suite.Reference.isEmpty())
      Broken(QStringLiteral("cases[%1].max_cycles: \"reference*N\" wymaga klucza \"reference\"")
                 .arg(i));
    suite.Cases.push_back(std::move(test));
  }
  return suite;
}

}  // namespace dorum::cli
