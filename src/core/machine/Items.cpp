#include "machine/Items.h"

#include "common/Error.h"
#include "common/Texts.h"

namespace dorum {

std::string TRegister::ValueText(const TGetCodeEvent& getCode) const {
  const std::int32_t v = Value();
  if (flag_) {
    std::string text;
    if (v & 1) text += "Z ";
    if (v & 2) text += "V ";
    if (v & 4) text += "INT ";
    if (v & 8) text += "ZAK ";
    return text + " (" + ToText(v) + ')';
  }
  switch (mode_) {
    case TDisplayMode::dmBinary:
      return '%' + ToText(static_cast<std::uint32_t>(v) & mask_, 2, bits_);
    case TDisplayMode::dmUnsigned:
    case TDisplayMode::dmSigned:
      return ToText(v);
    case TDisplayMode::dmHexadecimal:
      return '$' + UpperAscii(ToText(static_cast<std::uint32_t>(v), 16, (bits_ + 3) / 4));
    case TDisplayMode::dmInstruction:
      return getCode ? getCode(v) : "???";
  }
  return {};
}

std::string TSignal::ComponentName() const {
  std::string word = Caption().substr(0, Caption().find(' '));
  if (!word.empty()) word = UpperAscii(word.substr(0, 1)) + word.substr(1);
  return "Signal" + word;
}

void TRegister::ThrowNotAvailable() const {
  throw EDorumError(Texts::RegisterNotAvailable(Caption()));
}
void TRegister::ThrowActiveAlready() const {
  throw EDorumError(Texts::RegisterActiveAlready(Caption()));
}

void TBus::ThrowEmpty() const {
  throw EDorumError(Texts::BusEmpty(Caption()));
}
void TBus::ThrowBusy() const {
  throw EDorumError(Texts::BusBusy(Caption()));
}

TMemory::TMemory(const char* caption, int tag) : TBaseItem(caption, tag), cells_(kCells, 0u) {}

void TMemory::SetSize(int size) {
  size_ = size;
  addressBits_ = 0;
  while ((1 << addressBits_) < size) ++addressBits_;
}

std::string TMemory::CodeText(int cell, const TGetCodeEvent& getCode) const {
  if (!getCode) return "???";
  const std::uint32_t raw = Raw(cell);
  return getCode(static_cast<int>(raw >> addressBits_)) + ' ' +
         ToText(raw & static_cast<std::uint32_t>(size_ - 1));
}

std::string TMemory::CellText(int cell, const TGetCodeEvent& getCode) const {
  return ToText(Word(cell)) + " ( " + CodeText(cell, getCode) + " )";
}

void TMemory::ThrowBusy() {
  throw EDorumError(Texts::MemoryBusy());
}

void TALU::ThrowNoInput() {
  throw EDorumError(Texts::AluNoInput());
}
void TALU::ThrowActiveAlready() {
  throw EDorumError(Texts::AluActiveAlready());
}
void TALU::ThrowNoResult() {
  throw EDorumError(Texts::AluNoResult());
}

}  // namespace dorum
