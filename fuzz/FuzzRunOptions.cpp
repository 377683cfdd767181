// dorum-cli run over arbitrary option lines: every line one argument, on
// each of the example machines. Whatever the options say, the command ends
// with a status of its own (0 to 6) and never throws or crashes.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <sstream>

#include "CoreText.h"
#include "FuzzSupport.h"
#include "RunCommand.h"

namespace {

// A small program that runs on every machine below, written once.
const QString& ProgramFile() {
  static const QTemporaryDir folder;
  static const QString path = [] {
    const QString file = folder.filePath(QStringLiteral("p.prg"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) std::abort();
    out.write(
        "start: POB x\r\nDOD y\r\n\xa3"
        "AD x\r\nSTP\r\nx: RST 3\r\ny: RST -4\r\n");
    return file;
  }();
  return path;
}

// Options that name files are left out: the fuzzer must not write or read
// the machine's files, and the cycle limit is ours, so a run stays short.
bool Allowed(const QString& argument) {
  for (const char* option :
       {"--trace", "--vcd", "--input-file", "--instruction", "--list", "--max-cycles", "--help"}) {
    if (argument.startsWith(QLatin1String(option))) return false;
  }
  return !argument.contains(u'/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorum;
  if (size == 0) return 0;
  const std::optional<TLines> lines = fuzz::Lines(data + 1, size - 1);
  if (!lines) return 0;
  static const std::array<const char*, 4> kLists{"", "dorum-plus/dorum-plus.lst", "pelt/pelt.lst",
                                                 "ombra/ombra.lst"};
  QStringList arguments{ProgramFile(), QStringLiteral("--max-cycles"), QStringLiteral("2000")};
  const char* list = kLists[data[0] % kLists.size()];
  if (*list != '\0')
    arguments << QStringLiteral("--list")
              << QDir(QStringLiteral(DORUM_EXAMPLES_DIR)).filePath(QString::fromLatin1(list));
  for (const QString& line : Q(*lines)) {
    if (Allowed(line)) arguments.append(line);
  }
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::RunProgramCommand(arguments, out, err);
  if (status < 0 || status > 6) std::abort();
  return 0;
}
