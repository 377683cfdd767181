#include "PublicSuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "CoreText.h"
#include "common/Error.h"
#include "common/Texts.h"

namespace dorum::cli {

namespace {

[[noreturn]] void CannotWrite(const QString& path, const QString& reason) {
  throw EDorumError(Texts::CannotWriteFile(U8(path), U8(reason)));
}

// A file the suite names, copied to the same place under `to`; the suite
// keeps its paths inside its folder, so the same name serves both.
void CopyBeside(const QDir& from, const QDir& to, const QString& relative) {
  const QString target = to.absoluteFilePath(relative);
  if (!QDir().mkpath(QFileInfo(target).absolutePath()))
    CannotWrite(target, QStringLiteral("nie można utworzyć folderu"));
  QFile::remove(target);
  QFile source(from.absoluteFilePath(relative));
  if (!source.copy(target)) CannotWrite(target, source.errorString());
}

const TGradingCase* CaseNamed(const TTestSuite& suite, const QString& name) {
  for (const TGradingCase& test : suite.Cases) {
    if (Q(test.Name) == name) return &test;
  }
  return nullptr;
}

// The public cases as the suite wrote them, named, and with their limits
// as numbers.
QJsonArray PublicCases(const QJsonArray& written, const TTestSuite& suite, const QDir& from,
                       const QDir& to) {
  QJsonArray cases;
  for (qsizetype i = 0; i < written.size(); ++i) {
    QJsonObject object = written.at(i).toObject();
    // An unnamed case is named by its place, which changes here.
    QString name = object.value(QStringLiteral("name")).toString().trimmed();
    if (name.isEmpty()) name = QStringLiteral("przypadek%1").arg(i + 1);
    const TGradingCase* test = CaseNamed(suite, name);
    if (test == nullptr || !test->Public) continue;
    object[QStringLiteral("name")] = name;
    if (test->MaxCycles)
      object[QStringLiteral("max_cycles")] = static_cast<double>(*test->MaxCycles);
    else
      object.remove(QStringLiteral("max_cycles"));
    if (!test->InputFile.empty()) {
      CopyBeside(from, to, Q(test->InputFile));
      object[QStringLiteral("input_file")] = Q(test->InputFile);
    }
    cases.append(object);
  }
  return cases;
}

}  // namespace

QString WritePublicSuite(const TTestSuite& suite, const QString& folder) {
  const QDir from = QFileInfo(suite.Path).absoluteDir();
  const QDir to(QDir(folder).absolutePath());
  // Written over the teacher's own, the suite would lose its hidden cases.
  if (QDir::cleanPath(to.absolutePath()) == QDir::cleanPath(from.absolutePath()))
    throw EDorumError(Texts::SuiteWouldOverwriteItself());
  QJsonObject object = ReadSuiteObject(suite.Path);
  if (!QDir().mkpath(to.absolutePath()))
    CannotWrite(to.absolutePath(), QStringLiteral("nie można utworzyć folderu"));
  const QJsonArray cases =
      PublicCases(object.value(QStringLiteral("cases")).toArray(), suite, from, to);
  if (cases.isEmpty()) throw EDorumError(Texts::SuiteNoPublicCases());
  object[QStringLiteral("cases")] = cases;
  // Each case carries its own limit; the reference stays with the teacher.
  for (const char* key : {"reference", "submissions", "max_cycles"})
    object.remove(QLatin1String(key));
  if (!suite.List.isEmpty()) {
    object[QStringLiteral("list")] = from.relativeFilePath(suite.List);
    CopyBeside(from, to, from.relativeFilePath(suite.List));
  }
  const QString path = to.absoluteFilePath(QFileInfo(suite.Path).fileName());
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(QJsonDocument(object).toJson(QJsonDocument::Indented)) < 0 || !out.commit())
    CannotWrite(path, out.errorString());
  return path;
}

}  // namespace dorum::cli
