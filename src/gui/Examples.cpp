#include "Examples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <string>

#include "app/Examples.h"

namespace dorum::gui {

QString ExamplesFolderBeside(const QString& programFolder) {
  const QDir program(programFolder);
  for (const QString& candidate :
       {program.filePath(QStringLiteral("../share/maszyna-dorum/examples")),
        program.filePath(QStringLiteral("examples"))}) {
    if (QFileInfo(candidate).isDir()) return QDir(candidate).absolutePath();
  }
  return {};
}

QString ExamplesFolder() {
  const QString beside = ExamplesFolderBeside(QCoreApplication::applicationDirPath());
  if (!beside.isEmpty()) return beside;
#ifdef DORUM_SOURCE_EXAMPLES
  if (QFileInfo(QStringLiteral(DORUM_SOURCE_EXAMPLES)).isDir())
    return QDir(QStringLiteral(DORUM_SOURCE_EXAMPLES)).absolutePath();
#endif
  return {};
}

bool LiesInFolder(const QString& path, const QString& folder) {
  if (folder.isEmpty()) return false;
  const QString root = QFileInfo(folder).canonicalFilePath();
  const QString file = QFileInfo(path).canonicalFilePath();
  if (root.isEmpty() || file.isEmpty()) return false;
  const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
      Qt::CaseInsensitive;
#else
      Qt::CaseSensitive;
#endif
  return file.startsWith(root.endsWith(u'/') ? root : root + u'/', cs);
}

std::vector<TExampleSet> ExampleSets(const QString& folder) {
  std::vector<TExampleSet> sets;
  if (folder.isEmpty()) return sets;
  const QDir root(folder);
  const auto filesOf = [&root](std::string_view name) {
    std::vector<std::string> files;
    const QDir dir(
        root.filePath(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    for (const QString& file : dir.entryList(QDir::Files)) files.push_back(file.toStdString());
    return files;
  };
  const auto path = [&root](const std::string& file) {
    return file.empty() ? QString() : root.filePath(QString::fromStdString(file));
  };
  for (const dorum::TExampleSet& found : dorum::ExampleSets(filesOf)) {
    TExampleSet set{QString::fromStdString(found.Machine), path(found.ListFile), {}};
    for (const std::string& program : found.Programs) set.Programs.append(path(program));
    sets.push_back(set);
  }
  return sets;
}

}  // namespace dorum::gui
