#include "program/ProgramDocument.h"

#include <algorithm>

namespace dorum {

namespace {
// Every address of the largest memory.
constexpr int kIndexedAddresses = 65536;
}  // namespace

void TDebugger::ToggleBreakpoint(int line) {
  if (line <= 0) return;
  const auto at = std::lower_bound(breakpoints_.begin(), breakpoints_.end(), line);
  if (at != breakpoints_.end() && *at == line) {
    breakpoints_.erase(at);
  } else {
    breakpoints_.insert(at, line);
  }
  if (OnBreakpointChange) OnBreakpointChange(line);
}

bool TDebugger::IsBreakpoint(int line) const {
  return line > 0 && std::binary_search(breakpoints_.begin(), breakpoints_.end(), line);
}

bool TDebugger::HasCode(int line) const {
  return line >= 1 && document_.AddressOfLine(line) >= 0;
}

TLineFlags TDebugger::LineFlags(int line) const {
  if (line <= 0) return {};
  return {line == document_.CurrentLine(), IsBreakpoint(line), HasCode(line)};
}

void TProgramDocument::SetTexts(const TLines& texts) {
  indexed_ = false;
  texts_ = texts;
  addresses_.assign(static_cast<std::size_t>(texts.size()), -1);
}

void TProgramDocument::InsertLine(int index, const std::string& text) {
  indexed_ = false;
  index = std::clamp(index, 0, LineCount());
  texts_.insert(texts_.begin() + index, text);
  addresses_.insert(addresses_.begin() + index, -1);
}

void TProgramDocument::RemoveLine(int index) {
  indexed_ = false;
  if (index < 0 || index >= LineCount()) return;
  texts_.erase(texts_.begin() + index);
  addresses_.erase(addresses_.begin() + index);
}

void TProgramDocument::SetLineText(int index, const std::string& text) {
  if (index >= 0 && index < LineCount()) texts_[static_cast<std::size_t>(index)] = text;
}

void TProgramDocument::SetAddresses(std::vector<int> addresses) {
  addresses.resize(static_cast<std::size_t>(LineCount()), -1);
  addresses_ = std::move(addresses);
  indexed_ = false;
}

void TProgramDocument::IndexAddresses() const {
  lineOfAddress_.clear();
  for (std::size_t k = addresses_.size(); k-- > 0;) {
    const int address = addresses_[k];
    if (address < 0 || address >= kIndexedAddresses) continue;
    const auto at = static_cast<std::size_t>(address);
    if (at >= lineOfAddress_.size()) lineOfAddress_.resize(at + 1, -1);
    lineOfAddress_[at] = static_cast<int>(k) + 1;  // walking back leaves the first line
  }
  indexed_ = true;
}

int TProgramDocument::LineOfAddress(int address) const {
  if (!indexed_) IndexAddresses();
  if (address >= kIndexedAddresses) {  // no assembly records such an address
    const auto at = std::find(addresses_.begin(), addresses_.end(), address);
    return at == addresses_.end() ? -1 : static_cast<int>(at - addresses_.begin()) + 1;
  }
  const auto at = static_cast<std::size_t>(address);
  return address >= 0 && at < lineOfAddress_.size() ? lineOfAddress_[at] : -1;
}

int TProgramDocument::AddressOfLine(int line) const {
  if (line < 1 || line > LineCount()) return -1;
  return addresses_[static_cast<std::size_t>(line - 1)];
}

void TProgramDocument::ShowAddress(int address) {
  currentLine_ = LineOfAddress(address);
  Repaint();
}

bool TProgramDocument::IsBreakpointAt(int address) const {
  return debugger_.IsBreakpoint(LineOfAddress(address));
}

}  // namespace dorum
