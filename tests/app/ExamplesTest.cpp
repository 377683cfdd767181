#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/Examples.h"

namespace dorum {
namespace {

using TFolders = std::map<std::string, std::vector<std::string>, std::less<>>;

std::vector<TExampleSet> SetsOf(const TFolders& folders) {
  return ExampleSets([&folders](std::string_view folder) {
    const auto found = folders.find(folder);
    return found == folders.end() ? std::vector<std::string>{} : found->second;
  });
}

TEST(ExampleCatalogue, SetsFollowTheMachinesOrderWithProgramsSortedAndTheFirstList) {
  const TFolders folders = {
      {"ombra", {"zz.lst", "przerwanie.prg", "ombra.lst", "ECHO.PRG", "rozkazy", "opis.txt"}},
      {"dorum", {"suma.prg", "mnozenie.prg"}},
      {"pelt", {"pelt.lst"}},
      {"inne", {"obce.prg"}},
  };
  const std::vector<TExampleSet> expected = {
      {"Dorum", "", {"dorum/mnozenie.prg", "dorum/suma.prg"}},
      {"Ombra", "ombra/ombra.lst", {"ombra/ECHO.PRG", "ombra/przerwanie.prg"}},
  };
  // A folder with a list but no program makes no set, and folders outside
  // the catalogue are not looked at.
  EXPECT_EQ(SetsOf(folders), expected);
  EXPECT_TRUE(SetsOf({}).empty());
}

TEST(ExampleCatalogue, TheBundledExamplesGiveEveryMachineWithItsOwnList) {
  const std::filesystem::path root = DORUM_EXAMPLES_DIR;
  const std::vector<TExampleSet> sets = ExampleSets([&root](std::string_view folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(root / folder))
      if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
    return files;
  });
  ASSERT_EQ(sets.size(), kExampleFolders.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    EXPECT_EQ(sets[i].Machine, kExampleFolders[i].Machine);
    EXPECT_FALSE(sets[i].Programs.empty()) << sets[i].Machine;
    for (const std::string& program : sets[i].Programs)
      EXPECT_TRUE(std::filesystem::is_regular_file(root / program)) << program;
  }
  // The default machine's examples run on the built-in list; the others
  // each bring theirs.
  EXPECT_EQ(sets[0].ListFile, "");
  EXPECT_EQ(sets[3].ListFile, "ombra/ombra.lst");
}

TEST(ExampleCatalogue, ExtensionsAreReadInLowerCaseFromTheFileNameOnly) {
  EXPECT_EQ(ExtensionOf("Suma.PRG"), "prg");
  EXPECT_EQ(ExtensionOf("lab.1/rozkazy"), "");
  EXPECT_EQ(ExtensionOf("C:\\lab.1\\rozkazy"), "");
  EXPECT_EQ(ExtensionOf("archiwum.tar.Gz"), "gz");
}

}  // namespace
}  // namespace dorum
