#pragma once

#include <QString>
#include <span>
#include <string_view>

namespace dorum::cli {

// One option of `dorum-cli run`, said once: the parser takes it, --help
// describes it, and a grading suite passes it to every run of a case
// through the key named here.
struct TRunOption {
  std::string_view Name;      // without the dashes
  std::string_view Value;     // the value's name in the help; empty for a switch
  std::string_view Help;      // UTF-8
  std::string_view SuiteKey;  // the suite's key that sets it; empty for none
};

// In the order --help lists them.
[[nodiscard]] std::span<const TRunOption> RunOptions() noexcept;

// "--name" of an option in the table; an option missing from it is a
// programming error, caught by the tests at once.
[[nodiscard]] QString RunFlag(std::string_view name);

}  // namespace dorum::cli
