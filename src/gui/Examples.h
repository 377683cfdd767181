#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace dorum::gui {

// The bundled examples of one machine type: its instruction list (none for
// the default machine) and its programs.
struct TExampleSet {
  QString Machine;   // "Dorum", "Dorum+", "Pelt", "Ombra"
  QString ListFile;  // empty: the default machine with the built-in list
  QStringList Programs;
};

// The examples' folder laid out beside a program in programFolder: the
// installed one (programFolder/../share/maszyna-dorum/examples, so
// /usr/share/... for /usr/bin/dorum, wherever the prefix is), else an
// "examples" folder next to the program; empty when there is neither.
[[nodiscard]] QString ExamplesFolderBeside(const QString& programFolder);

// The examples' folder of this program: the one beside it, else the source
// tree's when run from the build tree; empty when there is none.
[[nodiscard]] QString ExamplesFolder();

// Whether the file lies in the folder or below it (an empty folder holds
// nothing); links are followed, so a file reached another way counts too.
[[nodiscard]] bool LiesInFolder(const QString& path, const QString& folder);

// The example sets found in the folder, in the order of the machine types.
[[nodiscard]] std::vector<TExampleSet> ExampleSets(const QString& folder);

}  // namespace dorum::gui
