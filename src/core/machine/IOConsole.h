#pragma once

#include <cstdint>
#include <string>

#include "common/Strings.h"
#include "common/Subscribers.h"

namespace dorum {

class IConsoleObserver {
 public:
  virtual ~IConsoleObserver() = default;
  virtual void InputChanged() {}
  virtual void OutputAppended(char32_t /*c*/) {}
  // The output was cleared or replaced: read OutputText() again.
  virtual void OutputCleared() {}
};

// The character device pair of the machine: an input field the user types
// into, read one character per input operation, and an output text the
// program appends to. Characters travel as code page 1250 codes.
class TIOConsole {
 public:
  [[nodiscard]] const std::string& InputText() const noexcept { return input_; }
  // Replaces the field's text, as typing does; the machine's handling of a
  // change is run by TMachine::ConsoleInputChanged.
  void SetInputText(const std::string& text);
  void AppendInput(const std::string& text);

  // The code of the first character (0 when the field is empty), left in place.
  [[nodiscard]] std::uint8_t PeekInputChar() const;
  void DropInputChar();
  // The code of the first character, which leaves the field; 0 when empty.
  std::uint8_t TakeInputChar();

  void PutOutputChar(int code);
  [[nodiscard]] const std::string& OutputText() const noexcept { return output_; }
  void Clear();

  // Stepping back: the texts as they were. Replacing the output is told to
  // the views as a clear, after which they read the whole text again.
  void RestoreInput(const std::string& text) { SetInputText(text); }
  void RestoreOutput(const std::string& text);
  void TruncateOutput(std::size_t length);  // in bytes

  [[nodiscard]] TSubscribers<IConsoleObserver>::TSubscription Subscribe(
      IConsoleObserver& observer) {
    return observers_.Subscribe(observer);
  }
  // Returns whether they were muted before.
  bool MuteObservers(bool muted) noexcept { return observers_.Mute(muted); }

 private:
  std::string input_;
  std::string output_;
  TSubscribers<IConsoleObserver> observers_;
};

}  // namespace dorum
