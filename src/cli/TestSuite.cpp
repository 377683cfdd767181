#include "TestSuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include "CoreText.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"

// The suite is read by the core (app/GradingSuite.h); what is left here
// needs the file system: the file's encodings, the input files, whether the
// list is there, and the absolute paths the grading works with.
namespace dorum::cli {

namespace {

[[noreturn]] void Broken(const QString& what) {
  throw EDorumError(U8(what));
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

// The text as read, its syntax checked with the messages teachers know
// from every suite so far.
QByteArray CheckedSuiteText(const QString& path) {
  const QByteArray bytes = SuiteText(path);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError) {
    // Qt's offset is that of the character after the one at fault.
    const auto [line, column] = LineAndColumn(bytes, std::max<qsizetype>(0, error.offset - 1));
    Broken(Q(Texts::JsonSyntaxError(line, column, error.error)));
  }
  if (!document.isObject()) Broken(Q(Texts::SuiteNotJsonObject()));
  return bytes;
}

QString Absolute(const QDir& base, const std::string& path) {
  return path.empty() ? QString() : base.absoluteFilePath(Q(path));
}

}  // namespace

QJsonObject ReadSuiteObject(const QString& path) {
  return QJsonDocument::fromJson(CheckedSuiteText(path)).object();
}

const QStringList& SuiteKeys() {
  static const QStringList keys = Q(GradingSuiteKeys());
  return keys;
}

const QStringList& CaseKeys() {
  static const QStringList keys = Q(GradingCaseKeys());
  return keys;
}

QString CaseMistake(const QString& suiteFile, const QString& caseName, const QString& key,
                    const QString& what) {
  return Q(dorum::CaseMistake(U8(suiteFile), U8(caseName), U8(key), U8(what)));
}

TTestSuite LoadTestSuite(const QString& path) {
  const QByteArray text = CheckedSuiteText(path);
  const QDir base = QFileInfo(path).absoluteDir();
  TSuiteFiles files;
  files.CheckList = [&base](const std::string& list) {
    const QString absolute = base.absoluteFilePath(Q(list));
    if (!QFileInfo(absolute).isFile()) throw EDorumError(Texts::SuiteListMissing(U8(absolute)));
  };
  files.ReadInput = [&base](const std::string& input) {
    return U8(InputFileText(base.absoluteFilePath(Q(input))));
  };
  const TGradingSuite read = ReadGradingSuite(Bytes(text), U8(QFileInfo(path).fileName()), files);
  TTestSuite suite;
  suite.Path = QFileInfo(path).absoluteFilePath();
  suite.Name = QFileInfo(path).completeBaseName();
  suite.List = Absolute(base, read.List);
  suite.Program = Q(read.Program);
  suite.Instructions = Q(read.Instructions);
  suite.Submissions = Absolute(base, read.Submissions);
  suite.Reference = Absolute(base, read.Reference);
  suite.TimeoutSeconds = read.TimeoutSeconds;
  suite.HideExpected = read.HideExpected;
  suite.Mistakes = Q(read.Mistakes);
  suite.Cases = read.Cases;
  return suite;
}

}  // namespace dorum::cli
