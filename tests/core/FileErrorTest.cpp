// Files the system refuses: each common cause is told in Polish, with the
// system's own text after it, whether a file is read or written.
#include <gtest/gtest.h>

#include "MachineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/Error.h"
#include "common/Text.h"

using namespace dorum;
using dorum::test::MessageOf;

namespace {

// The Polish cause, then the system's text for errno.
QString Reason(const char* polish, int errorNumber) {
  return QStringLiteral("%1 (%2)").arg(
      QString::fromUtf8(polish),
      QString::fromLocal8Bit(std::generic_category().message(errorNumber)));
}

QString CannotWrite(const QString& path, const QString& reason) {
  return QStringLiteral("Nie można zapisać pliku %1: %2").arg(path, reason);
}

QString CannotRead(const QString& path, const QString& reason) {
  return QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, reason);
}

// Permissions stop neither reads nor writes of the superuser.
bool PermissionsStopUs() {
#ifdef Q_OS_UNIX
  return geteuid() != 0;
#else
  return true;
#endif
}

class FileErrors : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  [[nodiscard]] QString Path(const char* name) const {
    return dir_.filePath(QString::fromUtf8(name));
  }
  const QStringList lines_ = {QStringLiteral("stp")};
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(FileErrors, NoSuchFileOrFolder) {
  const QString missing = Path("brak.prg");
  const QString noFolder = Path("nie/ma/x.prg");
  const QString enoent = Reason("nie ma takiego pliku ani folderu", ENOENT);
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(missing); }), CannotRead(missing, enoent));
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(missing); }), CannotRead(missing, enoent));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(noFolder, lines_); }), CannotWrite(noFolder, enoent));
  EXPECT_FALSE(QFileInfo::exists(Path("nie")));
}

TEST_F(FileErrors, AFolderWhereAFileWasExpectedAndAFileWhereAFolderWas) {
  const QString folder = dir_.path();
  const QString eisdir = Reason("w miejscu pliku jest folder", EISDIR);
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(folder); }), CannotRead(folder, eisdir));
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(folder); }), CannotRead(folder, eisdir));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(folder, lines_); }), CannotWrite(folder, eisdir));
  EXPECT_TRUE(QFileInfo(folder).isDir());

  WriteTextFile(Path("plik.prg"), lines_);
  const QString under = Path("plik.prg/x.prg");
  EXPECT_EQ(MessageOf([&] { WriteTextFile(under, lines_); }),
            CannotWrite(under, Reason("część ścieżki nie jest folderem", ENOTDIR)));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(under); }),
            CannotRead(under, Reason("część ścieżki nie jest folderem", ENOTDIR)));
  EXPECT_EQ(ReadTextFile(Path("plik.prg")), lines_);
}

// A file is read up to a limit: /dev/zero or an endless pipe would take all
// the memory there is.
TEST_F(FileErrors, AFileTooLargeIsRefusedBeforeItFillsTheMemory) {
  const QString path = Path("duzy.prg");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(kMaxFileBytes));
  file.close();
  EXPECT_EQ(ReadFileBytes(path).size(), kMaxFileBytes);
  ASSERT_TRUE(file.resize(kMaxFileBytes + 1));
  const QString tooLarge = QStringLiteral("plik jest za duży (ponad 16 MiB)");
  EXPECT_EQ(MessageOf([&] { (void)ReadFileBytes(path); }), CannotRead(path, tooLarge));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(path); }), CannotRead(path, tooLarge));

  const QString zero = QStringLiteral("/dev/zero");
  if (!QFileInfo::exists(zero)) GTEST_SKIP() << "no /dev/zero on this system";
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(zero); }), CannotRead(zero, tooLarge));
}

TEST_F(FileErrors, AReadOnlyFileOrFolderKeepsWhatItHolds) {
  if (!PermissionsStopUs())
    GTEST_SKIP() << "run as the superuser, whom no permission stops; /sys is tried instead";
  const QString file = Path("stary.prg");
  WriteTextFile(file, lines_);
  ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(file, {QStringLiteral("rst 1")}); }),
            CannotWrite(file, Reason("plik jest tylko do odczytu", EACCES)));
  EXPECT_EQ(ReadTextFile(file), lines_);

  ASSERT_TRUE(QFile::setPermissions(file, {}));
  EXPECT_EQ(MessageOf([&] { (void)ReadTextFile(file); }),
            CannotRead(file, Reason("brak uprawnień", EACCES)));

  const QString folder = Path("zamkniety");
  ASSERT_TRUE(QDir().mkdir(folder));
  ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                QFileDevice::ReadUser | QFileDevice::ExeUser));
  const QString inside = QDir(folder).filePath(QStringLiteral("nowy.prg"));
  EXPECT_EQ(MessageOf([&] { WriteTextFile(inside, lines_); }),
            CannotWrite(inside, Reason("folder jest tylko do odczytu", EACCES)));
  EXPECT_FALSE(QFileInfo::exists(inside));
  (void)QFile::setPermissions(
      folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Even the superuser may not create files in /sys.
TEST_F(FileErrors, AFolderNobodyMayWriteTo) {
  if (!QFileInfo(QStringLiteral("/sys")).isDir()) GTEST_SKIP() << "no /sys on this system";
  const QString path = QStringLiteral("/sys/dorum-test.prg");
  const QString message = MessageOf([&] { WriteTextFile(path, lines_); });
  // A read-only mount says so instead.
  EXPECT_TRUE(message == CannotWrite(path, Reason("folder jest tylko do odczytu", EACCES)) ||
              message == CannotWrite(path, Reason("system plików jest tylko do odczytu", EROFS)))
      << message.toStdString();
  EXPECT_FALSE(QFileInfo::exists(path));
}

#ifdef Q_OS_UNIX
// A device or a pipe is written into: put in its place, a new file would be
// no device any more. Tried on a pipe of our own before /dev/full, which a
// replacement would destroy for every program on the machine.
TEST_F(FileErrors, ADeviceIsWrittenIntoAndAFullDiskIsToldAsSuch) {
  const QString pipe = Path("rura");
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const int reader = open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  WriteTextFile(pipe, lines_);
  char bytes[16] = {};
  EXPECT_EQ(read(reader, bytes, sizeof bytes), 5);
  EXPECT_EQ(QByteArray(bytes, 5), QByteArray("stp\r\n"));
  close(reader);
  struct stat status {};
  ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &status), 0);
  ASSERT_TRUE(S_ISFIFO(status.st_mode)) << "the pipe was replaced by a file";

  const QString full = QStringLiteral("/dev/full");
  if (!QFileInfo::exists(full)) GTEST_SKIP() << "no /dev/full on this system";
  EXPECT_EQ(MessageOf([&] { WriteTextFile(full, lines_); }),
            CannotWrite(full, Reason("brak miejsca na dysku", ENOSPC)));
  ASSERT_EQ(stat("/dev/full", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
  // Reading a pipe would wait for a writer: it is refused as it stands.
  EXPECT_EQ(MessageOf([&] { RequireReadableFile(pipe); }),
            CannotRead(pipe, QStringLiteral("to nie jest zwykły plik")));
}
#endif

// The causes a test cannot bring about, and any other, by errno alone.
TEST_F(FileErrors, CausesByTheirErrorNumbers) {
  const QString path = Path("x.prg");
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
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
  EXPECT_EQ(FileErrorReason(EACCES, path, TFileAccess::Read), Reason("brak uprawnień", EACCES));
  EXPECT_EQ(FileErrorReason(EACCES, path, TFileAccess::Write),
            Reason("plik jest tylko do odczytu", EACCES));
}
