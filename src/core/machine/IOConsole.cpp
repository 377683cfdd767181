#include "machine/IOConsole.h"

#include "common/Text.h"

namespace dorum {

void TIOConsole::SetInputText(const std::string& text) {
  input_ = text;
  observers_.Tell([](IConsoleObserver& o) { o.InputChanged(); });
}

void TIOConsole::AppendInput(const std::string& text) {
  SetInputText(input_ + text);
}

std::uint8_t TIOConsole::PeekInputChar() const {
  if (input_.empty()) return 0;
  std::size_t i = 0;
  return CharToCp1250OrQuestion(NextChar(input_, i));
}

void TIOConsole::DropInputChar() {
  if (input_.empty()) return;
  // The whole rest of the field stays: nothing the user typed is lost.
  std::size_t length = 0;
  (void)NextChar(input_, length);
  input_.erase(0, length);
  observers_.Tell([](IConsoleObserver& o) { o.InputChanged(); });
}

std::uint8_t TIOConsole::TakeInputChar() {
  const std::uint8_t code = PeekInputChar();
  DropInputChar();
  return code;
}

void TIOConsole::PutOutputChar(int code) {
  const char32_t c = Cp1250ToChar(static_cast<std::uint8_t>(code & 0xFF));
  AppendChar(output_, c);
  observers_.Tell([c](IConsoleObserver& o) { o.OutputAppended(c); });
}

void TIOConsole::RestoreOutput(const std::string& text) {
  output_ = text;
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

void TIOConsole::TruncateOutput(std::size_t length) {
  if (length >= output_.size()) return;
  output_.resize(length);
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

void TIOConsole::Clear() {
  output_.clear();
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

}  // namespace dorum
