#include "Examples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <array>

namespace dorum::gui {

namespace {

struct TFolder {
  const char* Name;
  const char16_t* Machine;
};
constexpr std::array<TFolder, 4> kFolders = {{
    {"dorum", u"Dorum"},
    {"dorum-plus", u"Dorum+"},
    {"pelt", u"Pelt"},
    {"ombra", u"Ombra"},
}};

}  // namespace

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
  for (const TFolder& f : kFolders) {
    const QDir dir(root.filePath(QString::fromLatin1(f.Name)));
    if (!dir.exists()) continue;
    TExampleSet set;
    set.Machine = QString::fromUtf16(f.Machine);
    const QStringList lists = dir.entryList({QStringLiteral("*.lst")}, QDir::Files, QDir::Name);
    if (!lists.isEmpty()) set.ListFile = dir.filePath(lists.front());
    for (const QString& program : dir.entryList({QStringLiteral("*.prg")}, QDir::Files, QDir::Name))
      set.Programs.append(dir.filePath(program));
    if (!set.Programs.isEmpty()) sets.push_back(set);
  }
  return sets;
}

}  // namespace dorum::gui
