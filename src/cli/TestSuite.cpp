#include "TestSuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>
#include <functional>

#include "CoreText.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

namespace dorum::cli {

namespace {

// A case's keys, as the help and the README list them.
const QStringList kCaseKeys{QStringLiteral("name"),          QStringLiteral("set"),
                            QStringLiteral("input"),         QStringLiteral("input_file"),
                            QStringLiteral("irq"),           QStringLiteral("expect"),
                            QStringLiteral("max_cycles"),    QStringLiteral("must_execute"),
                            QStringLiteral("output"),        QStringLiteral("output_contains"),
                            QStringLiteral("status"),        QStringLiteral("points"),
                            QStringLiteral("hide_expected"), QStringLiteral("public")};

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

// Paths in a suite stay inside its folder: the folder is what a teacher
// hands on, and a path out of it would reach for files others lack.
QString InsideFolder(const QDir& base, const QString& path, const QString& where) {
  const QString clean = QDir::cleanPath(path);
  if (QDir::isAbsolutePath(path) || clean == u".." || clean.startsWith(QStringLiteral("../")))
    Broken(where + QStringLiteral(": ") + Q(Texts::SuitePathOutsideFolder(U8(path))));
  return base.absoluteFilePath(clean);
}

// The input as the teacher wrote it, every line end as the file has it: a
// program may be asked to tell CR LF from LF, or to read the last line's end.
QString InputFileText(const QString& path) {
  const std::string bytes = ReadFileBytes(U8(path));
  // Refuses a NUL and bytes that are no text in the file's encoding.
  const TTextEncoding encoding = DecodeText(bytes).Encoding;
  const QByteArray raw = ByteArray(bytes);
  if (encoding == TTextEncoding::Cp1250) return Q(DecodeCp1250(bytes));
  if (encoding == TTextEncoding::Utf8) return QString::fromUtf8(raw);
  // A byte-order mark names the encoding; the decoder drops the mark.
  QStringDecoder decoder(QStringDecoder::encodingForData(raw).value_or(QStringConverter::Utf8));
  return decoder(raw);
}

// The run's input: typed into the suite, or read from a file beside it.
void ReadCaseInput(const QJsonObject& object, const QString& where, const QDir& base,
                   TTestCase& test) {
  const std::optional<QString> input = OptionalText(object, "input", where);
  const std::optional<QString> file = OptionalText(object, "input_file", where);
  if (input && file) Broken(where + QStringLiteral(": input i input_file wykluczają się"));
  if (!file) {
    test.Input = input.value_or(QString());
    return;
  }
  const QString path = InsideFolder(base, *file, where + QStringLiteral(".input_file"));
  try {
    test.Input = InputFileText(path);
  } catch (const EDorumError& e) {
    Broken(where + QStringLiteral(".input_file: ") + Q(e.Message()));
  }
  test.InputFile = QDir::cleanPath(*file);
}

std::optional<bool> OptionalBool(const QJsonObject& object, const char* key, const QString& where) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isUndefined()) return std::nullopt;
  if (!value.isBool())
    Broken(QStringLiteral("%1.%2: ").arg(where, key) + Q(Texts::SuiteExpectedTrueOrFalse()));
  return value.toBool();
}

// Runs one reading; what it refuses becomes a mistake and the reading of the
// rest goes on.
using TGuard = std::function<void(const std::function<void()>&)>;

// A refusal "cases[2].expect.AK: what" told as "SUITE:case NAME:expect: AK: what".
QString CaseLine(const QString& suiteFile, const QString& caseName, const QString& where,
                 const QString& message) {
  if (!message.startsWith(where)) return CaseMistake(suiteFile, caseName, {}, message);
  QString rest = message.mid(where.size());
  QString key;
  if (rest.startsWith(u'.')) {
    qsizetype end = 1;
    while (end < rest.size() && (rest.at(end).isLower() || rest.at(end) == u'_')) ++end;
    key = rest.mid(1, end - 1);
    rest = rest.mid(end);
    if (rest.startsWith(u'.')) rest = rest.mid(1);
  }
  if (rest.startsWith(u':')) rest = rest.mid(1).trimmed();
  return CaseMistake(suiteFile, caseName, key, rest);
}

// What the case checks: values, instructions that must run, the output and
// how the run ends; it must check something.
void ReadCaseChecks(const QJsonObject& object, const QString& where, TTestCase& test,
                    const TGuard& guard, const int& mistakeCount) {
  guard([&] {
    test.Expect =
        Assignments(object.value(QStringLiteral("expect")), where + QStringLiteral(".expect"));
  });
  guard([&] {
    test.MustExecute = Strings(object.value(QStringLiteral("must_execute")),
                               where + QStringLiteral(".must_execute"));
  });
  guard([&] { test.Output = OptionalText(object, "output", where); });
  guard([&] { test.OutputContains = OptionalText(object, "output_contains", where); });
  guard([&] {
    static const QStringList kStatuses{QStringLiteral("stopped"), QStringLiteral("limit"),
                                       QStringLiteral("input"), QStringLiteral("error")};
    const QString status =
        OptionalText(object, "status", where).value_or(QStringLiteral("stopped"));
    if (!kStatuses.contains(status))
      Broken(QStringLiteral("%1.status: \"%2\" (znane: %3)")
                 .arg(where, status, kStatuses.join(QStringLiteral(", "))));
    test.Status = status;
  });
  // A check misspelt or unreadable is told already; "checks nothing" would
  // only mislead.
  if (mistakeCount == 0 && test.Expect.isEmpty() && test.MustExecute.isEmpty() && !test.Output &&
      !test.OutputContains && test.Status == u"stopped")
    guard([&] {
      Broken(where + QStringLiteral(": przypadek niczego nie sprawdza (expect, must_execute, "
                                    "output, output_contains, status)"));
    });
  guard([&] {
    const QJsonValue points = object.value(QStringLiteral("points"));
    test.Points = points.isUndefined() ? 1.0 : points.toDouble(-1);
    if (!(points.isUndefined() || points.isDouble()) || test.Points < 0 || test.Points > 1e6)
      Broken(where + QStringLiteral(".points: oczekiwano nieujemnej liczby"));
  });
}

// A case without a name is named by its place; a name given must say
// something, or the reports would show an empty column.
QString CaseName(const QJsonObject& object, const QString& where, int index) {
  const QJsonValue name = object.value(QStringLiteral("name"));
  if (!name.isUndefined() && (!name.isString() || name.toString().trimmed().isEmpty()))
    Broken(where + QStringLiteral(".name: oczekiwano niepustego tekstu"));
  const QString given = name.toString().trimmed();
  return given.isEmpty() ? QStringLiteral("przypadek%1").arg(index + 1) : given;
}

// What every case of a suite is read with.
struct TCaseReading {
  QString SuiteFile;  // as the mistakes name it
  QDir Base;
  TCycleLimit Limit;
  bool HideExpected = false;
};

TTestCase ReadCase(const QJsonValue& value, int index, const TCaseReading& reading,
                   QStringList& mistakes) {
  const QString where = QStringLiteral("cases[%1]").arg(index);
  TTestCase test;
  test.Name = QStringLiteral("przypadek%1").arg(index + 1);
  test.HideExpected = reading.HideExpected;
  int mistakeCount = 0;
  const TGuard guard = [&](const std::function<void()>& read) {
    try {
      read();
    } catch (const EDorumError& e) {
      mistakes.append(CaseLine(reading.SuiteFile, test.Name, where, Q(e.Message())));
      ++mistakeCount;
    }
  };
  if (!value.isObject()) {
    guard([&] { Broken(where + QStringLiteral(": oczekiwano obiektu")); });
    return test;
  }
  const QJsonObject object = value.toObject();
  guard([&] { test.Name = CaseName(object, where, index); });
  guard([&] { CheckKeys(object, kCaseKeys, where); });
  guard([&] {
    test.Set = Assignments(object.value(QStringLiteral("set")), where + QStringLiteral(".set"));
  });
  guard([&] { ReadCaseInput(object, where, reading.Base, test); });
  guard([&] {
    test.Irq = Strings(object.value(QStringLiteral("irq")), where + QStringLiteral(".irq"));
  });
  ReadCaseChecks(object, where, test, guard, mistakeCount);
  guard([&] {
    const QJsonValue limit = object.value(QStringLiteral("max_cycles"));
    const TCycleLimit own = limit.isUndefined()
                                ? reading.Limit
                                : CycleLimit(limit, where + QStringLiteral(".max_cycles"));
    test.MaxCycles = own.Cycles;
    test.ReferenceFactor = own.ReferenceFactor;
  });
  guard([&] {
    test.HideExpected = OptionalBool(object, "hide_expected", where).value_or(reading.HideExpected);
  });
  guard([&] { test.Public = OptionalBool(object, "public", where).value_or(false); });
  return test;
}

// A suite as a teacher saves it: UTF-8 with a byte-order mark or without,
// or code page 1250 (Notepad's "ANSI" on a Polish Windows), as UTF-8.
QByteArray SuiteText(const QString& path) {
  const std::string bytes = ReadFileBytes(U8(path));
  try {
    return ByteArray(Join(DecodeText(bytes).Lines, "\n"));
  } catch (const EDorumError& e) {
    Broken(Q(e.Message()));
  }
}

// The line and column, both from 1, of a byte of UTF-8 text; a column
// counts characters, as an editor shows it.
std::pair<int, int> LineAndColumn(const QByteArray& text, qsizetype offset) {
  int line = 1;
  int column = 1;
  for (qsizetype i = 0; i < std::min(offset, text.size()); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++line;
      column = 1;
    } else if ((byte & 0xC0U) != 0x80U) {
      ++column;
    }
  }
  return {line, column};
}

// Texts::JsonSyntaxError follows the order of Qt's kinds of error.
static_assert(QJsonParseError::MissingValueSeparator == 4 && QJsonParseError::GarbageAtEnd == 14);

}  // namespace

QJsonObject ReadSuiteObject(const QString& path) {
  const QByteArray bytes = SuiteText(path);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError) {
    // Qt's offset is that of the character after the one at fault.
    const auto [line, column] = LineAndColumn(bytes, std::max<qsizetype>(0, error.offset - 1));
    Broken(Q(Texts::JsonSyntaxError(line, column, error.error)));
  }
  if (!document.isObject()) Broken(QStringLiteral("oczekiwano obiektu JSON"));
  return document.object();
}

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

QString CaseMistake(const QString& suiteFile, const QString& caseName, const QString& key,
                    const QString& what) {
  return key.isEmpty() ? QStringLiteral("%1:case %2: %3").arg(suiteFile, caseName, what)
                       : QStringLiteral("%1:case %2:%3: %4").arg(suiteFile, caseName, key, what);
}

namespace {

// The suite's own keys; a list that cannot be found stops the reading, as
// every case is read against it.
void ReadSettings(const QJsonObject& object, const QDir& base, const TGuard& guard,
                  TTestSuite& suite) {
  const QString list = object.value(QStringLiteral("list")).toString();
  if (!list.isEmpty()) {
    suite.List = InsideFolder(base, list, QStringLiteral("list"));
    if (!QFileInfo(suite.List).isFile())
      Broken(QStringLiteral("list: nie ma pliku %1").arg(suite.List));
  }
  guard([&] {
    suite.Program = object.value(QStringLiteral("program")).toString().trimmed();
    if (suite.Program.isEmpty())
      Broken(QStringLiteral("program: podaj nazwę pliku programu w folderze zgłoszenia"));
  });
  guard([&] {
    suite.Instructions =
        Strings(object.value(QStringLiteral("instructions")), QStringLiteral("instructions"));
  });
  guard([&] {
    const QString submissions = object.value(QStringLiteral("submissions")).toString();
    if (!submissions.isEmpty())
      suite.Submissions = InsideFolder(base, submissions, QStringLiteral("submissions"));
  });
  guard([&] {
    const QJsonValue timeout = object.value(QStringLiteral("timeout"));
    if (timeout.isUndefined()) return;
    suite.TimeoutSeconds = timeout.toDouble(-1);
    if (!timeout.isDouble() || suite.TimeoutSeconds <= 0 || suite.TimeoutSeconds > kMaxTimeout)
      Broken(QStringLiteral("timeout: oczekiwano liczby sekund większej od 0, najwyżej %1")
                 .arg(kMaxTimeout));
  });
  guard([&] {
    const QJsonValue hide = object.value(QStringLiteral("hide_expected"));
    if (!hide.isUndefined() && !hide.isBool())
      Broken(QStringLiteral("hide_expected: oczekiwano true albo false"));
    suite.HideExpected = hide.toBool();
  });
  guard([&] {
    const QString reference = object.value(QStringLiteral("reference")).toString().trimmed();
    if (!reference.isEmpty())
      suite.Reference = InsideFolder(base, reference, QStringLiteral("reference"));
  });
}

void ReadCases(const QJsonArray& cases, const TCaseReading& reading, TTestSuite& suite) {
  QSet<QString> names;
  for (int i = 0; i < cases.size(); ++i) {
    TTestCase test = ReadCase(cases.at(i), i, reading, suite.Mistakes);
    if (names.contains(test.Name))
      suite.Mistakes.append(
          CaseMistake(reading.SuiteFile, test.Name, {},
                      QStringLiteral("nazwa \"%1\" powtarza się").arg(test.Name)));
    names.insert(test.Name);
    if (test.ReferenceFactor && suite.Reference.isEmpty())
      suite.Mistakes.append(
          CaseMistake(reading.SuiteFile, test.Name, QStringLiteral("max_cycles"),
                      QStringLiteral("\"reference*N\" wymaga klucza \"reference\"")));
    suite.Cases.push_back(std::move(test));
  }
}

}  // namespace

TTestSuite LoadTestSuite(const QString& path) {
  const QJsonObject object = ReadSuiteObject(path);
  CheckKeys(object, SuiteKeys(), QStringLiteral("zestaw"));
  const QDir base = QFileInfo(path).absoluteDir();
  TTestSuite suite;
  suite.Path = QFileInfo(path).absoluteFilePath();
  suite.Name = QFileInfo(path).completeBaseName();
  TCaseReading reading{QFileInfo(path).fileName(), base, {}, false};
  const TGuard guard = [&](const std::function<void()>& read) {
    try {
      read();
    } catch (const EDorumError& e) {
      suite.Mistakes.append(reading.SuiteFile + QStringLiteral(": ") + Q(e.Message()));
    }
  };
  ReadSettings(object, base, guard, suite);
  guard([&] {
    reading.Limit =
        CycleLimit(object.value(QStringLiteral("max_cycles")), QStringLiteral("max_cycles"));
  });
  reading.HideExpected = suite.HideExpected;
  const QJsonValue cases = object.value(QStringLiteral("cases"));
  if (!cases.isArray() || cases.toArray().isEmpty())
    Broken(QStringLiteral("cases: podaj listę przypadków testowych"));
  ReadCases(cases.toArray(), reading, suite);
  return suite;
}

}  // namespace dorum::cli
