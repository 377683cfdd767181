#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dorum {

// A file name's extension in lower case, without its dot; empty when the
// name has none. Folders in the path do not count.
[[nodiscard]] std::string ExtensionOf(std::string_view name);

// The bundled examples' folders, each with the machine its programs run on,
// in the order the "Przykłady" menu lists them.
struct TExampleFolder {
  std::string_view Folder;
  std::string_view Machine;
};
inline constexpr std::array<TExampleFolder, 4> kExampleFolders = {{
    {"dorum", "Dorum"},
    {"dorum-plus", "Dorum+"},
    {"pelt", "Pelt"},
    {"ombra", "Ombra"},
}};

// The examples of one machine: its instruction list (empty: the default
// machine, whose list is built in) and its programs, each named as
// "folder/file" below the examples' folder.
struct TExampleSet {
  std::string Machine;
  std::string ListFile;
  std::vector<std::string> Programs;

  bool operator==(const TExampleSet&) const = default;
};

// The names of the files in one of the examples' folders, given by its name
// ("dorum"); nothing when there is no such folder.
using TFolderListing = std::function<std::vector<std::string>(std::string_view folder)>;

// The sets of examples, in the machines' order: a folder's programs (".prg",
// in any case) sorted by name, with the first of its lists (".lst") by name;
// a folder without programs makes no set.
[[nodiscard]] std::vector<TExampleSet> ExampleSets(const TFolderListing& filesOf);

}  // namespace dorum
