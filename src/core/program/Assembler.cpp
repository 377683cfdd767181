#include "program/Assembler.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

#include "common/Error.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/ControlUnit.h"
#include "control/InstructionList.h"
#include "machine/Machine.h"
#include "program/ProgramDocument.h"
#include "program/Watches.h"

namespace dorum {

namespace {

const std::string kReserve = "rpa";
const std::string kConstant = "rst";
const std::string kEnd = "kon";

bool IsLabelDefinition(const std::string& word) {
  return !word.empty() && word.ends_with(':');
}

// 'c' with the character's code page 1250 code.
bool TryCharacter(const std::string& word, std::int32_t& value) {
  if (word.size() < 3 || word.front() != '\'' || word.back() != '\'') return false;
  std::size_t end = 1;
  const char32_t c = NextChar(word, end);
  if (end != word.size() - 1) return false;  // one character between the quotes
  value = CharToCp1250OrQuestion(c);
  return true;
}

}  // namespace

const TProgram::TLabel* TProgram::FindLabel(const std::string& name) const {
  const auto at = labelIndex_.find(LowerCase(name));
  return at == labelIndex_.end() ? nullptr : &labels_[at->second];
}

void TProgram::ForgetLabels() {
  labels_.clear();
  labelIndex_.clear();
}

std::uint32_t TProgram::Operand(TCommentFilter& reader, int bits) const {
  const std::string word = reader.NextToken();
  std::int32_t value = 0;
  if (!TryStrToInt(word, value) && !TryCharacter(word, value)) {
    const TLabel* label = FindLabel(word);
    if (label == nullptr) throw reader.CreateError(Texts::LabelNotFound(word));
    value = label->Address;
  }
  return static_cast<std::uint32_t>(value) & WidthMask(bits);
}

int TProgram::CountWords(const TLines& lines) {
  // The watches get every label read, also when the pass fails on the way.
  struct TFillWatches {
    TProgram& Program;
    ~TFillWatches() {
      std::vector<TWatch> watches;
      watches.reserve(Program.labels_.size());
      for (const TLabel& label : Program.labels_) watches.push_back({label.Name, label.Address});
      Program.watches_.SetWatches(std::move(watches));
    }
  } fill{*this};
  return CountWordsAndLabels(lines);
}

int TProgram::CountWordsAndLabels(const TLines& lines) {
  // Only the codes the operation field can hold are mnemonics.
  const int accepted = std::min(1 << machine_.CodeBits(), instructions_.Count());
  int count = 0;
  TCommentFilter reader(lines);
  while (!reader.EndOfText()) {
    std::string word = reader.NextToken();
    if (word.empty()) break;
    while (IsLabelDefinition(word)) {
      const std::string name = word.substr(0, word.size() - 1);
      std::string key = LowerCase(name);
      if (labelIndex_.contains(key)) throw reader.CreateError(Texts::LabelRedefinition(name));
      labelIndex_.emplace(key, labels_.size());
      labels_.push_back({name, std::move(key), count});
      word = reader.NextToken();
    }
    if (word == kEnd) break;
    if (word == kConstant) {
      (void)reader.NextToken();
    } else if (word != kReserve) {
      int code = 0;
      while (code < accepted && instructions_.At(code).Name() != word) ++code;
      if (code < accepted) {
        const int arguments = instructions_.At(code).ArgumentCount();
        if (arguments > 0) (void)reader.NextToken();
        for (int k = 2; k <= arguments; ++k) {
          (void)reader.NextToken();
          ++count;
        }
      } else if (!word.empty()) {
        throw reader.CreateError(Texts::ExpectedInstruction());
      }
    }
    ++count;
  }
  return count;
}

template <class TStore>
void TProgram::EmitWords(const TLines& lines, TStore&& store) const {
  const int a = machine_.AddressBits();
  const int wordBits = a + machine_.CodeBits();
  int counter = 0;
  TCommentFilter reader(lines);
  // Each word is recorded against the line of the last word read for it.
  const auto emit = [&](std::uint32_t value) {
    store(counter, value, reader.TokenLine());
    ++counter;
  };
  while (!reader.EndOfText()) {
    std::string word = reader.NextToken();
    if (word.empty()) break;
    while (IsLabelDefinition(word)) word = reader.NextToken();
    std::uint32_t value = 0;
    if (word == kEnd) break;
    if (word == kConstant) {
      value = Operand(reader, wordBits);
    } else if (word != kReserve) {
      const int code = instructions_.IndexOf(word);
      if (code >= 0) {
        const int arguments = instructions_.At(code).ArgumentCount();
        if (arguments > 0) value = Operand(reader, a);
        value |= static_cast<std::uint32_t>(code) << a;
        for (int k = 2; k <= arguments; ++k) {
          emit(value);
          value = Operand(reader, wordBits);
        }
      }
    }
    emit(value);
  }
}

void TProgram::StoreWords(const TLines& lines, std::vector<int>& lineAddresses) {
  EmitWords(lines, [&](int address, std::uint32_t value, int line) {
    machine_.Memory().Store(address, static_cast<std::int32_t>(value));
    const auto index = static_cast<std::size_t>(line - 1);
    if (index < lineAddresses.size()) lineAddresses[index] = address;
  });
}

void TProgram::PointVectorsAtHandlers() {
  TInterruptVectors vectors = machine_.Vectors();
  std::array<std::string, std::tuple_size_v<TInterruptVectors>> names;
  for (std::size_t k = 0; k < vectors.size(); ++k) names[k] = LowerCase(vectors[k].LabelName);
  for (const TLabel& label : labels_) {
    // A label points the first vector named like it at itself.
    for (std::size_t k = 0; k < vectors.size(); ++k) {
      if (names[k] == label.Key) {
        vectors[k].Address = label.Address;
        break;
      }
    }
  }
  machine_.SetVectors(vectors);
}

void TProgram::Assemble(TProgramDocument& document) {
  ForgetLabels();
  const TLines lines = document.Texts();
  // The first pass knows the size, so a program that does not fit is
  // refused before it can overwrite the memory it wraps around to.
  if (CountWords(lines) > (1 << machine_.AddressBits())) {
    ForgetLabels();
    throw EDorumError(Texts::ProgramTooLarge());
  }
  std::vector<int> lineAddresses(static_cast<std::size_t>(lines.size()), -1);
  try {
    StoreWords(lines, lineAddresses);
  } catch (...) {
    machine_.NotifyMemoryChanged();
    ForgetLabels();
    throw;
  }
  document.SetAddresses(std::move(lineAddresses));
  PointVectorsAtHandlers();
  ForgetLabels();
  machine_.NotifyMemoryChanged();
  machine_.ResetMachine();
}

void TProgram::Check(const TLines& lines) {
  // The label table serves this check only and is gone afterwards, also
  // when the check fails.
  struct TForget {
    TProgram& Program;
    ~TForget() { Program.ForgetLabels(); }
  } forget{*this};
  ForgetLabels();
  if (CountWordsAndLabels(lines) > (1 << machine_.AddressBits()))
    throw EDorumError(Texts::ProgramTooLarge());
  EmitWords(lines, [](int, std::uint32_t, int) {});
}

void CompileProgram(TProgram& program, TController& control, TProgramDocument& document) {
  program.Assemble(document);
  control.SetProgramEditor(&document);
  // The words stored tell the views; they find the new line then.
  document.SetCurrentLine(
      document.LineOfAddress(control.Machine().Register(TRegisterId::L).Value()));
}

}  // namespace dorum
