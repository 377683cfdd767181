#include "app/Examples.h"

#include <algorithm>

namespace dorum {

std::string ExtensionOf(std::string_view name) {
  const std::string_view file = name.substr(name.find_last_of("/\\") + 1);
  const std::size_t dot = file.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(file.substr(dot + 1));
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

std::vector<TExampleSet> ExampleSets(const TFolderListing& filesOf) {
  std::vector<TExampleSet> sets;
  for (const TExampleFolder& folder : kExampleFolders) {
    std::vector<std::string> files = filesOf(folder.Folder);
    std::sort(files.begin(), files.end());
    const std::string prefix = std::string(folder.Folder) + '/';
    TExampleSet set{.Machine = std::string(folder.Machine), .ListFile = {}, .Programs = {}};
    for (const std::string& file : files) {
      const std::string extension = ExtensionOf(file);
      if (extension == "prg") set.Programs.push_back(prefix + file);
      if (extension == "lst" && set.ListFile.empty()) set.ListFile = prefix + file;
    }
    if (!set.Programs.empty()) sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace dorum
