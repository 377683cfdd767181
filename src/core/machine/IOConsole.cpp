#include "machine/IOConsole.h"

#include "common/Text.h"

namespace dorum {

void TIOConsole::SetInputText(const QString& text) {
  input_ = text;
  observers_.Tell([](IConsoleObserver& o) { o.InputChanged(); });
}

void TIOConsole::AppendInput(const QString& text) {
  SetInputText(input_ + text);
}

std::uint8_t TIOConsole::PeekInputChar() const {
  if (input_.isEmpty()) return 0;
  return CharToCp1250OrQuestion(input_.front());
}

void TIOConsole::DropInputChar() {
  if (input_.isEmpty()) return;
  // The whole rest of the field stays: nothing the user typed is lost.
  const bool pair =
      input_.size() > 1 && input_.at(0).isHighSurrogate() && input_.at(1).isLowSurrogate();
  input_.remove(0, pair ? 2 : 1);
  observers_.Tell([](IConsoleObserver& o) { o.InputChanged(); });
}

std::uint8_t TIOConsole::TakeInputChar() {
  const std::uint8_t code = PeekInputChar();
  DropInputChar();
  return code;
}

void TIOConsole::PutOutputChar(int code) {
  const QChar c = Cp1250ToChar(static_cast<std::uint8_t>(code & 0xFF));
  output_.append(c);
  observers_.Tell([c](IConsoleObserver& o) { o.OutputAppended(c); });
}

void TIOConsole::RestoreOutput(const QString& text) {
  output_ = text;
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

void TIOConsole::TruncateOutput(qsizetype length) {
  if (length >= output_.size()) return;
  output_.truncate(length);
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

void TIOConsole::Clear() {
  output_.clear();
  observers_.Tell([](IConsoleObserver& o) { o.OutputCleared(); });
}

}  // namespace dorum
