#include "app/GradingSuite.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

#include "common/Error.h"
#include "common/Strings.h"
#include "common/Texts.h"

namespace dorum {

namespace {

// std::map underneath: keys in their sorted order, as mistakes name them.
using TJson = nlohmann::json;

// A day: longer than any run a course needs, short enough for a timer.
constexpr int kMaxTimeout = 86'400;

const std::vector<std::string> kSuiteKeys{"list",          "program",   "instructions",
                                          "submissions",   "timeout",   "max_cycles",
                                          "hide_expected", "reference", "cases"};
const std::vector<std::string> kCaseKeys{
    "name",   "set",        "input",         "input_file", "irq",
    "expect", "max_cycles", "must_execute",  "output",     "output_contains",
    "status", "points",     "hide_expected", "public"};

[[noreturn]] void Broken(const std::string& what) {
  throw EDorumError(what);
}

std::string Trim(std::string_view text) {
  return std::string(Trimmed(text));
}

// The value under the key; none when the object lacks it.
const TJson* Find(const TJson& object, std::string_view key) {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

// A text value, or empty for any other, as an optional setting is read.
std::string TextOr(const TJson& object, std::string_view key) {
  const TJson* value = Find(object, key);
  return value != nullptr && value->is_string() ? value->get<std::string>() : std::string();
}

// Refuses keys the format does not know: a misspelt "expect" must not
// silently make every submission pass.
void CheckKeys(const TJson& object, const std::vector<std::string>& known,
               const std::string& where) {
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) == known.end())
      Broken(Texts::SuiteUnknownKey(where, key, Join(known, ", ")));
  }
}

// Whole numbers as a double holds them, so that 12.0 is 12 and 1e300 no number.
std::optional<std::int64_t> WholeNumber(const TJson& value) {
  const double number = value.get<double>();
  if (!(std::abs(number) < 9.0e18)) return std::nullopt;
  const auto whole = static_cast<std::int64_t>(number);
  if (static_cast<double>(whole) != number) return std::nullopt;
  return whole;
}

std::string ScalarText(const TJson& value, const std::string& where) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number()) {
    const auto whole = WholeNumber(value);
    if (!whole) Broken(Texts::SuiteNotWholeNumber(where));
    return ToText(*whole);
  }
  Broken(Texts::SuiteExpectedNumberOrText(where));
}

std::vector<std::string> NonEmptyParts(std::string_view text) {
  std::vector<std::string> parts = Split(text, ',');
  std::erase_if(parts, [](const std::string& part) { return part.empty(); });
  return parts;
}

// {"wynik": 12, "mem[5]": "$FF"} or "wynik=12,mem[5]=$FF" as NAME=VALUE items.
std::vector<std::string> Assignments(const TJson* value, const std::string& where) {
  std::vector<std::string> items;
  if (value == nullptr) return items;
  if (value->is_string()) {
    for (const std::string& item : NonEmptyParts(value->get<std::string>())) {
      const std::size_t equals = item.find('=');
      if (equals == std::string::npos || equals == 0)
        Broken(Texts::SuiteNotAssignment(where, item));
      items.push_back(Trim(item));
    }
    return items;
  }
  if (!value->is_object()) Broken(Texts::SuiteExpectedAssignments(where));
  for (const auto& [key, item] : value->items()) {
    if (key.find_first_of(",=") != std::string::npos || Trimmed(key).empty())
      Broken(Texts::SuiteBadName(where, key));
    items.push_back(key + '=' + ScalarText(item, where + '.' + key));
  }
  return items;
}

std::vector<std::string> Strings(const TJson* value, const std::string& where) {
  std::vector<std::string> items;
  if (value == nullptr) return items;
  if (value->is_string()) return NonEmptyParts(value->get<std::string>());
  if (!value->is_array()) Broken(Texts::SuiteExpectedTexts(where));
  for (const TJson& item : *value) {
    if (!item.is_string() || Trimmed(item.get<std::string>()).empty())
      Broken(Texts::SuiteExpectedNonEmptyTexts(where));
    items.push_back(Trim(item.get<std::string>()));
  }
  return items;
}

std::optional<std::uint64_t> Cycles(const TJson* value, const std::string& where) {
  if (value == nullptr) return std::nullopt;
  const auto whole = value->is_number() ? WholeNumber(*value) : std::nullopt;
  if (!whole || *whole < 1 || *whole > 1'000'000'000'000'000)
    Broken(Texts::SuiteExpectedPositive(where));
  return static_cast<std::uint64_t>(*whole);
}

// A cycle limit: a number, or "reference*N" (N times the reference's).
struct TCycleLimit {
  std::optional<std::uint64_t> Cycles;
  std::optional<std::uint64_t> ReferenceFactor;
};

TCycleLimit CycleLimit(const TJson* value, const std::string& where) {
  if (value == nullptr || !value->is_string()) return {Cycles(value, where), std::nullopt};
  std::string text = value->get<std::string>();
  std::erase(text, ' ');
  constexpr std::string_view kPrefix = "reference*";
  std::string_view digits = text.starts_with(kPrefix)
                                ? std::string_view(text).substr(kPrefix.size())
                                : std::string_view();
  if (digits.starts_with('+')) digits.remove_prefix(1);
  std::uint64_t factor = 0;
  const bool ok =
      !digits.empty() && digits.size() <= 7 &&
      std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  for (const char c : ok ? digits : std::string_view())
    factor = factor * 10 + static_cast<std::uint64_t>(c - '0');
  if (!ok || factor == 0 || factor > 1'000'000) Broken(Texts::SuiteExpectedLimit(where));
  return {std::nullopt, factor};
}

std::optional<std::string> OptionalText(const TJson& object, const char* key,
                                        const std::string& where) {
  const TJson* value = Find(object, key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) Broken(Texts::SuiteExpectedText(where + '.' + key));
  return value->get<std::string>();
}

std::optional<bool> OptionalBool(const TJson& object, const char* key, const std::string& where) {
  const TJson* value = Find(object, key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) Broken(where + '.' + key + ": " + Texts::SuiteExpectedTrueOrFalse());
  return value->get<bool>();
}

std::string Inside(std::string_view path, const std::string& where) {
  try {
    return PathInsideFolder(path);
  } catch (const EDorumError& e) {
    Broken(where + ": " + e.Message());
  }
}

// Runs one reading; what it refuses becomes a mistake and the reading of the
// rest goes on.
using TGuard = std::function<void(const std::function<void()>&)>;

// A refusal "cases[2].expect.AK: what" told as "SUITE:case NAME:expect: AK: what".
std::string CaseLine(std::string_view suiteFile, std::string_view caseName, std::string_view where,
                     std::string_view message) {
  if (!message.starts_with(where)) return CaseMistake(suiteFile, caseName, {}, message);
  std::string_view rest = message.substr(where.size());
  std::string_view key;
  if (rest.starts_with('.')) {
    std::size_t end = 1;
    while (end < rest.size() && ((rest[end] >= 'a' && rest[end] <= 'z') || rest[end] == '_')) ++end;
    key = rest.substr(1, end - 1);
    rest = rest.substr(end);
    if (rest.starts_with('.')) rest.remove_prefix(1);
  }
  if (rest.starts_with(':')) rest = Trimmed(rest.substr(1));
  return CaseMistake(suiteFile, caseName, key, rest);
}

// What every case of a suite is read with.
struct TCaseReading {
  std::string SuiteFile;  // as the mistakes name it
  const TSuiteFiles& Files;
  TCycleLimit Limit;
  bool HideExpected = false;
};

// The run's input: typed into the suite, or read from a file beside it.
void ReadCaseInput(const TJson& object, const std::string& where, const TSuiteFiles& files,
                   TGradingCase& test) {
  const std::optional<std::string> input = OptionalText(object, "input", where);
  const std::optional<std::string> file = OptionalText(object, "input_file", where);
  if (input && file) Broken(Texts::SuiteInputTwice(where));
  if (!file) {
    test.Input = input.value_or(std::string());
    return;
  }
  const std::string path = Inside(*file, where + ".input_file");
  if (files.ReadInput) {
    try {
      test.Input = files.ReadInput(path);
    } catch (const EDorumError& e) {
      Broken(where + ".input_file: " + e.Message());
    }
  }
  test.InputFile = path;
}

void ReadStatus(const TJson& object, const std::string& where, TGradingCase& test) {
  const std::string status = OptionalText(object, "status", where).value_or("stopped");
  const std::optional<TCaseEnd> end = CaseEndNamed(status);
  if (!end)
    Broken(Texts::SuiteUnknownStatus(where + ".status", status, "stopped, limit, input, error"));
  test.Status = *end;
}

// What the case checks: values, instructions that must run, the output and
// how the run ends; it must check something.
void ReadCaseChecks(const TJson& object, const std::string& where, TGradingCase& test,
                    const TGuard& guard, const int& mistakeCount) {
  guard([&] { test.Expect = Assignments(Find(object, "expect"), where + ".expect"); });
  guard([&] { test.MustExecute = Strings(Find(object, "must_execute"), where + ".must_execute"); });
  guard([&] { test.Output = OptionalText(object, "output", where); });
  guard([&] { test.OutputContains = OptionalText(object, "output_contains", where); });
  guard([&] { ReadStatus(object, where, test); });
  // A check misspelt or unreadable is told already; "checks nothing" would
  // only mislead.
  if (mistakeCount == 0 && test.Expect.empty() && test.MustExecute.empty() && !test.Output &&
      !test.OutputContains && test.Status == TCaseEnd::Stopped)
    guard([&] { Broken(Texts::SuiteChecksNothing(where)); });
  guard([&] {
    const TJson* points = Find(object, "points");
    test.Points = points == nullptr ? 1.0 : points->is_number() ? points->get<double>() : -1.0;
    if (!(test.Points >= 0) || test.Points > 1e6) Broken(Texts::SuiteBadPoints(where + ".points"));
  });
}

// A case without a name is named by its place; a name given must say
// something, or the reports would show an empty column.
std::string CaseName(const TJson& object, const std::string& where, std::size_t index) {
  const TJson* name = Find(object, "name");
  if (name != nullptr && (!name->is_string() || Trimmed(name->get<std::string>()).empty()))
    Broken(Texts::SuiteExpectedNonEmptyText(where + ".name"));
  const std::string given = name != nullptr ? Trim(name->get<std::string>()) : std::string();
  return given.empty() ? "przypadek" + ToText(static_cast<std::uint64_t>(index + 1)) : given;
}

void ReadCaseFields(const TJson& object, const std::string& where, const TCaseReading& reading,
                    const TGuard& guard, const int& mistakeCount, TGradingCase& test,
                    std::size_t index) {
  guard([&] { test.Name = CaseName(object, where, index); });
  guard([&] { CheckKeys(object, kCaseKeys, where); });
  guard([&] { test.Set = Assignments(Find(object, "set"), where + ".set"); });
  guard([&] { ReadCaseInput(object, where, reading.Files, test); });
  guard([&] { test.Irq = Strings(Find(object, "irq"), where + ".irq"); });
  ReadCaseChecks(object, where, test, guard, mistakeCount);
  guard([&] {
    const TJson* limit = Find(object, "max_cycles");
    const TCycleLimit own =
        limit == nullptr ? reading.Limit : CycleLimit(limit, where + ".max_cycles");
    test.MaxCycles = own.Cycles;
    test.ReferenceFactor = own.ReferenceFactor;
  });
  guard([&] {
    test.HideExpected = OptionalBool(object, "hide_expected", where).value_or(reading.HideExpected);
  });
  guard([&] { test.Public = OptionalBool(object, "public", where).value_or(false); });
}

TGradingCase ReadCase(const TJson& value, std::size_t index, const TCaseReading& reading,
                      std::vector<std::string>& mistakes) {
  const std::string where = "cases[" + ToText(static_cast<std::uint64_t>(index)) + "]";
  TGradingCase test;
  test.Name = "przypadek" + ToText(static_cast<std::uint64_t>(index + 1));
  test.HideExpected = reading.HideExpected;
  int mistakeCount = 0;
  const TGuard guard = [&](const std::function<void()>& read) {
    try {
      read();
    } catch (const EDorumError& e) {
      mistakes.push_back(CaseLine(reading.SuiteFile, test.Name, where, e.Message()));
      ++mistakeCount;
    }
  };
  if (!value.is_object()) {
    guard([&] { Broken(Texts::SuiteExpectedObject(where)); });
    return test;
  }
  ReadCaseFields(value, where, reading, guard, mistakeCount, test, index);
  return test;
}

// The suite's own keys; a list out of the folder, or one that cannot be
// found, stops the reading, as every case is read against it.
void ReadSettings(const TJson& object, const TSuiteFiles& files, const TGuard& guard,
                  TGradingSuite& suite) {
  if (const std::string list = TextOr(object, "list"); !list.empty()) {
    suite.List = Inside(list, "list");
    if (files.CheckList) files.CheckList(suite.List);
  }
  guard([&] {
    suite.Program = Trim(TextOr(object, "program"));
    if (suite.Program.empty()) Broken(Texts::SuiteNoProgram());
  });
  guard([&] { suite.Instructions = Strings(Find(object, "instructions"), "instructions"); });
  guard([&] {
    const std::string submissions = TextOr(object, "submissions");
    if (!submissions.empty()) suite.Submissions = Inside(submissions, "submissions");
  });
  guard([&] {
    const TJson* timeout = Find(object, "timeout");
    if (timeout == nullptr) return;
    suite.TimeoutSeconds = timeout->is_number() ? timeout->get<double>() : -1.0;
    if (!(suite.TimeoutSeconds > 0) || suite.TimeoutSeconds > kMaxTimeout)
      Broken(Texts::SuiteBadTimeout(kMaxTimeout));
  });
  guard([&] {
    const TJson* hide = Find(object, "hide_expected");
    if (hide != nullptr && !hide->is_boolean())
      Broken("hide_expected: " + Texts::SuiteExpectedTrueOrFalse());
    suite.HideExpected = hide != nullptr && hide->get<bool>();
  });
  guard([&] {
    const std::string reference = Trim(TextOr(object, "reference"));
    if (!reference.empty()) suite.Reference = Inside(reference, "reference");
  });
}

void ReadCases(const TJson& cases, const TCaseReading& reading, TGradingSuite& suite) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    TGradingCase test = ReadCase(cases[i], i, reading, suite.Mistakes);
    if (!names.insert(test.Name).second)
      suite.Mistakes.push_back(
          CaseMistake(reading.SuiteFile, test.Name, {}, Texts::SuiteNameRepeated(test.Name)));
    if (test.ReferenceFactor && suite.Reference.empty())
      suite.Mistakes.push_back(CaseMistake(reading.SuiteFile, test.Name, "max_cycles",
                                           Texts::SuiteFactorNeedsReference()));
    suite.Cases.push_back(std::move(test));
  }
}

// The line and column, both from 1, of a byte of UTF-8 text; a column
// counts characters, as an editor shows it.
std::pair<int, int> LineAndColumn(std::string_view text, std::size_t offset) {
  int line = 1;
  int column = 1;
  for (std::size_t i = 0; i < std::min(offset, text.size()); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      line = line + 1;
      column = 1;
    } else if ((byte & 0xC0U) != 0x80U) {
      ++column;
    }
  }
  return {line, column};
}

TJson ParseObject(const std::string& text) {
  TJson object;
  try {
    object = TJson::parse(text);
  } catch (const TJson::parse_error& e) {
    // The position is that of the last byte read (the one at fault), from 1.
    const auto [line, column] = LineAndColumn(text, e.byte > 0 ? e.byte - 1 : 0);
    Broken(Texts::JsonSyntaxError(line, column, 0));
  }
  if (!object.is_object()) Broken(Texts::SuiteNotJsonObject());
  return object;
}

}  // namespace

std::string_view CaseEndName(TCaseEnd end) noexcept {
  switch (end) {
    case TCaseEnd::Stopped:
      return "stopped";
    case TCaseEnd::Limit:
      return "limit";
    case TCaseEnd::Input:
      return "input";
    case TCaseEnd::Error:
      return "error";
  }
  return "error";
}

std::optional<TCaseEnd> CaseEndNamed(std::string_view name) noexcept {
  for (const TCaseEnd end :
       {TCaseEnd::Stopped, TCaseEnd::Limit, TCaseEnd::Input, TCaseEnd::Error}) {
    if (CaseEndName(end) == name) return end;
  }
  return std::nullopt;
}

std::string CaseMistake(std::string_view suiteFile, std::string_view caseName, std::string_view key,
                        std::string_view what) {
  std::string line = std::string(suiteFile) + ":case " + std::string(caseName);
  if (!key.empty()) line += ":" + std::string(key);
  return line + ": " + std::string(what);
}

std::string PathInsideFolder(std::string_view path) {
  const bool absolute =
      path.starts_with('/') || path.starts_with('\\') || (path.size() >= 2 && path[1] == ':');
  std::vector<std::string> parts;
  for (const std::string& part : Split(path, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == ".." && !parts.empty() && parts.back() != "..")
      parts.pop_back();
    else
      parts.push_back(part);
  }
  if (absolute || (!parts.empty() && parts.front() == ".."))
    throw EDorumError(Texts::SuitePathOutsideFolder(path));
  if (parts.empty()) return path.empty() ? std::string() : std::string(".");
  return Join(parts, "/");
}

const std::vector<std::string>& GradingSuiteKeys() {
  return kSuiteKeys;
}

const std::vector<std::string>& GradingCaseKeys() {
  return kCaseKeys;
}

TGradingSuite ReadGradingSuite(const std::string& json, std::string_view suiteFile,
                               const TSuiteFiles& files) {
  const TJson object = ParseObject(json);
  CheckKeys(object, kSuiteKeys, "zestaw");
  TGradingSuite suite;
  TCaseReading reading{std::string(suiteFile), files, {}, false};
  const TGuard guard = [&](const std::function<void()>& read) {
    try {
      read();
    } catch (const EDorumError& e) {
      suite.Mistakes.push_back(reading.SuiteFile + ": " + e.Message());
    }
  };
  ReadSettings(object, files, guard, suite);
  guard([&] { reading.Limit = CycleLimit(Find(object, "max_cycles"), "max_cycles"); });
  reading.HideExpected = suite.HideExpected;
  const TJson* cases = Find(object, "cases");
  if (cases == nullptr || !cases->is_array() || cases->empty()) Broken(Texts::SuiteNoCases());
  ReadCases(*cases, reading, suite);
  return suite;
}

}  // namespace dorum
