#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

namespace dorum::cli {

// Exit statuses of "dorum-cli run".
enum class TRunStatus : int {
  Stopped = 0,      // the program ended with its stop signal
  Error = 1,        // any other error (assembly, list file, a signal's failure)
  Usage = 2,        // bad invocation or unreadable file named on the command line
  Limit = 3,        // the cycle limit was reached
  Input = 4,        // the program waits for input and none is left
  Expectation = 5,  // a check of --expect did not hold
  Condition = 6,    // a condition of --stop-when held
};

// "dorum-cli run PROGRAM [options]": assembles a program on the default
// machine (or the configuration and instructions of a list file), runs it
// like "Program" at the lowest tracking level and reports how it ended.
// `arguments` are those after "run".
[[nodiscard]] int RunProgramCommand(const QStringList& arguments, std::ostream& out,
                                    std::ostream& err);

// What would make "dorum-cli run" with these arguments end with status 2
// before the program is read (a malformed value, a register or an interrupt
// line the configuration lacks, an address past memory); empty when
// nothing would. The program named is not read.
[[nodiscard]] QString CheckRunOptions(const QStringList& arguments);

// The instruction a value written as an instruction word names ("ZAM" of
// "ZAM 40"); empty when the value is no such word.
[[nodiscard]] QString InstructionOfWord(const QString& value);

}  // namespace dorum::cli
