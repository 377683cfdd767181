#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace dorum::test {

// A folder of one test's own under the system's temporary folder, removed
// with everything in it when the test is done. Its name is random, so that
// tests run side by side (ctest -j, several build folders) never share one.
class TTempDir {
 public:
  TTempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate =
          base / ("dorum-test-" + std::to_string(random()) + '-' + std::to_string(random()));
      // False, without an error, when the name is taken: another is drawn.
      if (std::filesystem::create_directory(candidate)) {
        path_ = std::move(candidate);
        return;
      }
    }
    throw std::runtime_error("no free name for a temporary folder in " + base.string());
  }
  ~TTempDir() {
    std::error_code ignored;  // a destructor cannot fail a test; a leftover is harmless
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // Paths as the core takes them.
  [[nodiscard]] std::string Path() const { return path_.string(); }
  [[nodiscard]] std::string FilePath(std::string_view name) const {
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

// A file's bytes written and read without the core, so that what a test
// checks of the core's files does not rest on the core itself.
[[nodiscard]] inline bool PutFileBytes(const std::string& path, std::string_view bytes,
                                       bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// Empty for a file that cannot be read.
[[nodiscard]] inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace dorum::test
