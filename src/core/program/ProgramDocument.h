#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/Strings.h"
#include "control/ControlUnit.h"

namespace dorum {

class TProgramDocument;

// What a program editor window does for its document when the front end
// edits it: repaint. Every call is optional.
class IProgramView {
 public:
  virtual ~IProgramView() = default;
  virtual void RepaintAll() {}
  virtual void RepaintLine(int /*line*/) {}
};

struct TLineFlags {
  bool Current = false;
  bool Breakpoint = false;
  bool Code = false;
  friend bool operator==(const TLineFlags&, const TLineFlags&) = default;
};

// Breakpoints on the source lines of one program editor: 1-based line
// numbers, ascending, without duplicates. They stay on their line numbers
// when lines are inserted or deleted and are not stored with the file.
class TDebugger {
 public:
  explicit TDebugger(const TProgramDocument& document) : document_(document) {}

  void ToggleBreakpoint(int line);
  [[nodiscard]] bool IsBreakpoint(int line) const;
  [[nodiscard]] bool HasCode(int line) const;
  [[nodiscard]] TLineFlags LineFlags(int line) const;
  [[nodiscard]] const std::vector<int>& Breakpoints() const noexcept { return breakpoints_; }

  // Raised after every toggle with the toggled line.
  std::function<void(int line)> OnBreakpointChange;

 private:
  const TProgramDocument& document_;
  std::vector<int> breakpoints_;
};

// The text of a program editor: its lines, each with the address the last
// assembly recorded against it (-1 for none), which moves with its line when
// other lines are inserted or deleted; the line of the instruction that runs
// next; and the breakpoints of its debugger.
class TProgramDocument final : public IBoundProgram {
 public:
  TProgramDocument() = default;

  [[nodiscard]] int LineCount() const noexcept { return static_cast<int>(texts_.size()); }
  [[nodiscard]] const TLines& Texts() const noexcept { return texts_; }
  // Replaces the whole text, as loading a file does: no line has an address.
  void SetTexts(const TLines& texts);
  // Edits by 0-based line index; a new line has no address.
  void InsertLine(int index, const std::string& text);
  void RemoveLine(int index);
  void SetLineText(int index, const std::string& text);

  // The line address map, one entry per line.
  [[nodiscard]] const std::vector<int>& Addresses() const noexcept { return addresses_; }
  void SetAddresses(std::vector<int> addresses);

  // The 1-based number of the first line holding the address, or -1.
  [[nodiscard]] int LineOfAddress(int address) const override;
  // The address of the 1-based line, or -1 when there is no such line.
  [[nodiscard]] int AddressOfLine(int line) const override;

  [[nodiscard]] int CurrentLine() const override { return currentLine_; }
  [[nodiscard]] bool CurrentLineIsAt(int address) const override {
    return currentLine_ == LineOfAddress(address);
  }
  // Stores the current line without repainting.
  void SetCurrentLine(int line) override { currentLine_ = line; }
  // Marks the line of the address as current and repaints (the front end's
  // own call: the control unit only moves the line).
  void ShowAddress(int address);
  [[nodiscard]] bool HasBreakpoints() const override { return !debugger_.Breakpoints().empty(); }
  [[nodiscard]] bool IsBreakpointAt(int address) const override;

  [[nodiscard]] TDebugger& Debugger() noexcept { return debugger_; }
  [[nodiscard]] const TDebugger& Debugger() const noexcept { return debugger_; }

  void SetView(IProgramView* view) noexcept { view_ = view; }
  void Repaint() const {
    if (view_ != nullptr) view_->RepaintAll();
  }
  void RepaintLine(int line) const {
    if (view_ != nullptr) view_->RepaintLine(line);
  }

 private:
  // The first line of each address, made again after the map or the lines
  // have changed, so that runs find the current line at once.
  void IndexAddresses() const;

  TLines texts_;
  std::vector<int> addresses_;
  mutable std::vector<int> lineOfAddress_;
  mutable bool indexed_ = false;
  int currentLine_ = -1;
  TDebugger debugger_{*this};
  IProgramView* view_ = nullptr;
};

}  // namespace dorum
