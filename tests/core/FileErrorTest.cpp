// Files the system refuses: each common cause is told in Polish, with the
// system's own text after it, whether a file is read or written.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "MachineTestSupport.h"
#include "TempDir.h"

// A pipe, the superuser and the devices are tried where the system has them.
#if __has_include(<unistd.h>) && __has_include(<sys/stat.h>) && __has_include(<fcntl.h>)
#define DORUM_HAS_POSIX 1
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/Error.h"
#include "common/Text.h"

using namespace dorum;
using dorum::test::MessageOf;
namespace fs = std::filesystem;

namespace {

// The Polish cause, then the system's text for errno.
std::string Reason(const char* polish, int errorNumber) {
  return std::string(polish) + " (" + std::generic_category().message(errorNumber) + ")";
}

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "Nie można zapisać pliku " + path + ": " + reason;
}

std::string CannotRead(const std::string& path, const std::string& reason) {
  return "Nie można odczytać pliku " + path + ": " + reason;
}

// Permissions stop neither reads nor writes of the superuser.
bool PermissionsStopUs() {
#ifdef DORUM_HAS_POSIX
  return geteuid() != 0;
#else
  return true;
#endif
}

class FileErrors : public ::testing::Test {
 protected:
  [[nodiscard]] std::string Path(const char* name) const { return dir_.FilePath(name); }
  const TLines lines_ = {"stp"};
  dorum::test::TTempDir dir_;
};

}  // namespace

TEST_F(FileErrors, NoSuchFileOrFolder) {
  const std::string missing = Path("brak.prg");
  const std::string noFolder = Path("nie/ma/x.prg");
  const std::string enoent = Reason("nie ma takiego pliku ani folderu", ENOENT);
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(missing); }), CannotRead(missing, enoent));
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(missing); }), CannotRead(missing, enoent));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(noFolder, lines_); }), CannotWrite(noFolder, enoent));
  EXPECT_FALSE(fs::exists(Path("nie")));
}

TEST_F(FileErrors, AFolderWhereAFileWasExpectedAndAFileWhereAFolderWas) {
  const std::string folder = dir_.Path();
  const std::string eisdir = Reason("w miejscu pliku jest folder", EISDIR);
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(folder); }), CannotRead(folder, eisdir));
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(folder); }), CannotRead(folder, eisdir));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(folder, lines_); }), CannotWrite(folder, eisdir));
  EXPECT_TRUE(fs::is_directory(folder));

  WriteTextFile(Path("plik.prg"), lines_);
  const std::string under = Path("plik.prg/x.prg");
  EXPECT_EQ(MessageOf([&] { WriteTextFile(under, lines_); }),
            CannotWrite(under, Reason("część ścieżki nie jest folderem", ENOTDIR)));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(under); }),
            CannotRead(under, Reason("część ścieżki nie jest folderem", ENOTDIR)));
  EXPECT_EQ(ReadTextFile(Path("plik.prg")), lines_);
}

// A file is read up to a limit: /dev/zero or an endless pipe would take all
// the memory there is.
TEST_F(FileErrors, AFileTooLargeIsRefusedBeforeItFillsTheMemory) {
  const std::string path = Path("duzy.prg");
  ASSERT_TRUE(dorum::test::PutFileBytes(path, ""));
  std::error_code error;
  fs::resize_file(path, kMaxFileBytes, error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(ReadFileBytes(path).size(), kMaxFileBytes);
  fs::resize_file(path, kMaxFileBytes + 1, error);
  ASSERT_FALSE(error) << error.message();
  const std::string tooLarge = "plik jest za duży (ponad 16 MiB)";
  EXPECT_EQ(MessageOf([&] { (void)ReadFileBytes(path); }), CannotRead(path, tooLarge));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(path); }), CannotRead(path, tooLarge));

  const std::string zero = "/dev/zero";
  if (!fs::exists(zero)) GTEST_SKIP() << "no /dev/zero on this system";
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(zero); }), CannotRead(zero, tooLarge));
}

TEST_F(FileErrors, AReadOnlyFileOrFolderKeepsWhatItHolds) {
  if (!PermissionsStopUs())
    GTEST_SKIP() << "run as the superuser, whom no permission stops; "
                    "tools/test-unprivileged.sh runs it as an ordinary user";
  const std::string file = Path("stary.prg");
  WriteTextFile(file, lines_);
  std::error_code error;
  fs::permissions(file, fs::perms::owner_read, fs::perm_options::replace, error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(MessageOf([&] { WriteTextFile(file, {"rst 1"}); }),
            CannotWrite(file, Reason("plik jest tylko do odczytu", EACCES)));
  EXPECT_EQ(ReadTextFile(file), lines_);

  fs::permissions(file, fs::perms::none, fs::perm_options::replace, error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(file); }),
            CannotRead(file, Reason("brak uprawnień", EACCES)));

  const std::string folder = Path("zamkniety");
  ASSERT_TRUE(fs::create_directory(folder));
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace,
                  error);
  ASSERT_FALSE(error) << error.message();
  const std::string inside = (fs::path(folder) / "nowy.prg").string();
  EXPECT_EQ(MessageOf([&] { WriteTextFile(inside, lines_); }),
            CannotWrite(inside, Reason("folder jest tylko do odczytu", EACCES)));
  EXPECT_FALSE(fs::exists(inside));
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
}

// Even the superuser may not create files in /sys.
TEST_F(FileErrors, AFolderNobodyMayWriteTo) {
  if (!fs::is_directory("/sys")) GTEST_SKIP() << "no /sys on this system";
  const std::string path = "/sys/dorum-test.prg";
  const std::string message = MessageOf([&] { WriteTextFile(path, lines_); });
  // A read-only mount says so instead.
  EXPECT_TRUE(message == CannotWrite(path, Reason("folder jest tylko do odczytu", EACCES)) ||
              message == CannotWrite(path, Reason("system plików jest tylko do odczytu", EROFS)))
      << message;
  EXPECT_FALSE(fs::exists(path));
}

#ifdef DORUM_HAS_POSIX
// A device or a pipe is written into: put in its place, a new file would be
// no device any more. Tried on a pipe of our own before /dev/full, which a
// replacement would destroy for every program on the machine.
TEST_F(FileErrors, ADeviceIsWrittenIntoAndAFullDiskIsToldAsSuch) {
#ifdef __EMSCRIPTEN__
  GTEST_SKIP() << "node's file system makes no pipes and has no full disk";
#endif
  const std::string pipe = Path("rura");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  WriteTextFile(pipe, lines_);
  char bytes[16] = {};
  EXPECT_EQ(read(reader, bytes, sizeof bytes), 5);
  EXPECT_EQ(std::string(bytes, 5), "stp\r\n");
  close(reader);
  struct stat status {};
  ASSERT_EQ(stat(pipe.c_str(), &status), 0);
  ASSERT_TRUE(S_ISFIFO(status.st_mode)) << "the pipe was replaced by a file";

  const std::string full = "/dev/full";
  if (!fs::exists(full)) GTEST_SKIP() << "no /dev/full on this system";
  EXPECT_EQ(MessageOf([&] { WriteTextFile(full, lines_); }),
            CannotWrite(full, Reason("brak miejsca na dysku", ENOSPC)));
  ASSERT_EQ(stat("/dev/full", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
  // Reading a pipe would wait for a writer: it is refused as it stands.
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(pipe); }),
            CannotRead(pipe, "to nie jest zwykły plik"));
}
#endif

// The causes a test cannot bring about, and any other, by errno alone.
TEST_F(FileErrors, CausesByTheirErrorNumbers) {
  const std::string path = Path("x.prg");
  const struct {
    int error;
    const char* polish;
  } causes[] = {
      {EPERM, "brak uprawnień"},
      {EROFS, "system plików jest tylko do odczytu"},
      {ENOSPC, "brak miejsca na dysku"},
      {ENAMETOOLONG, "za długa nazwa pliku"},
      {EIO, "błąd wejścia-wyjścia urządzenia"},
      {EBUSY, "błąd systemu operacyjnego"},
  };
  for (const auto& c : causes) {
    EXPECT_EQ(FileErrorReason(c.error, path, TFileAccess::Write), Reason(c.polish, c.error))
        << c.polish;
  }
  // Refused a read, a file nobody may write is no reason.
  WriteTextFile(path, lines_);
  std::error_code error;
  fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace, error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(FileErrorReason(EACCES, path, TFileAccess::Read), Reason("brak uprawnień", EACCES));
  EXPECT_EQ(FileErrorReason(EACCES, path, TFileAccess::Write),
            Reason("plik jest tylko do odczytu", EACCES));
}
