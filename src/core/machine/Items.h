#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Strings.h"

namespace dorum {

enum class TDisplayMode : std::uint8_t {
  dmBinary = 0,
  dmUnsigned = 1,
  dmSigned = 2,
  dmHexadecimal = 3,
  dmInstruction = 4,
};

// Text for a value shown as an instruction (register I, memory words).
using TGetCodeEvent = std::function<std::string(int value)>;

[[nodiscard]] constexpr std::uint32_t WidthMask(int bits) noexcept {
  if (bits <= 0) return 0;
  if (bits >= 32) return 0xFFFFFFFFu;
  return (1u << bits) - 1u;
}

// Every component of the data path: a caption, the number of the component
// option it belongs to (its tag) and whether that option is in force.
class TBaseItem {
 public:
  constexpr TBaseItem(const char* caption, int tag) noexcept : caption_(caption), tag_(tag) {}

  [[nodiscard]] std::string Caption() const { return caption_; }
  [[nodiscard]] const char* CaptionLatin1() const noexcept { return caption_; }
  [[nodiscard]] int Tag() const noexcept { return tag_; }
  [[nodiscard]] bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible) noexcept { visible_ = visible; }

 private:
  const char* caption_;
  int tag_;
  bool visible_ = true;
};

// A register holds a value cut to its width. While its option is off it can
// be neither read nor written; the flags register is exempt. Whether it was
// written in the current cycle is one of the machine's cycle marks.
class TRegister : public TBaseItem {
 public:
  constexpr TRegister(const char* caption, int tag, int bits) noexcept
      : TBaseItem(caption, tag), bits_(bits), mask_(WidthMask(bits)) {}

  [[nodiscard]] std::int32_t Value() const {
    if (!Available()) ThrowNotAvailable();
    return CurrentValue();
  }
  // The value as Value() reads it, without the availability check: a
  // register shown signed reads as a signed number.
  [[nodiscard]] std::int32_t CurrentValue() const noexcept { return Reading(content_ & mask_); }
  // Bits within the width as a read of this register gives them.
  [[nodiscard]] std::int32_t Reading(std::uint32_t v) const noexcept {
    if (mode_ == TDisplayMode::dmSigned && bits_ > 0 && (v >> (bits_ - 1)) & 1u) {
      return static_cast<std::int32_t>(v | ~mask_);
    }
    return static_cast<std::int32_t>(v);
  }
  void SetValue(std::int32_t v) {
    if (!Available()) ThrowNotAvailable();
    Store(v);
  }
  // Writes without the availability check.
  void Store(std::int32_t v) noexcept { content_ = static_cast<std::uint32_t>(v) & mask_; }
  [[nodiscard]] bool Available() const noexcept { return flag_ || Visible(); }

  // The stored bits as they are, whatever the width is now.
  [[nodiscard]] std::uint32_t Content() const noexcept { return content_; }
  // Stepping back: the stored bits exactly as they were.
  void RestoreContent(std::uint32_t content) noexcept { content_ = content; }
  [[nodiscard]] int Bits() const noexcept { return bits_; }
  [[nodiscard]] std::uint32_t Mask() const noexcept { return mask_; }
  void SetBits(int bits) noexcept {
    bits_ = bits;
    mask_ = WidthMask(bits);
  }
  [[nodiscard]] TDisplayMode DisplayMode() const noexcept { return mode_; }
  void SetDisplayMode(TDisplayMode mode) noexcept { mode_ = mode; }
  [[nodiscard]] bool Flag() const noexcept { return flag_; }
  void SetFlag(bool flag) noexcept { flag_ = flag; }
  void Reset() noexcept { content_ = 0; }

  // The text after "Caption : " in the machine window.
  [[nodiscard]] std::string ValueText(const TGetCodeEvent& getCode = {}) const;

  [[noreturn]] void ThrowNotAvailable() const;
  [[noreturn]] void ThrowActiveAlready() const;

 private:
  int bits_;
  std::uint32_t mask_;
  std::uint32_t content_ = 0;
  TDisplayMode mode_ = TDisplayMode::dmUnsigned;
  bool flag_ = false;
};

// A bus carries one value per cycle and has no availability check. Whether
// it is driven in the current cycle is one of the machine's cycle marks.
class TBus : public TBaseItem {
 public:
  constexpr TBus(const char* caption, int tag, int bits) noexcept
      : TBaseItem(caption, tag), bits_(bits), mask_(WidthMask(bits)) {}

  // The last value put on the bus, driven or not.
  [[nodiscard]] std::uint32_t RawValue() const noexcept { return value_; }
  void Store(std::int32_t v) noexcept { value_ = static_cast<std::uint32_t>(v) & mask_; }
  void RestoreValue(std::uint32_t raw) noexcept { value_ = raw; }
  [[nodiscard]] int Bits() const noexcept { return bits_; }
  void SetBits(int bits) noexcept {
    bits_ = bits;
    mask_ = WidthMask(bits);
  }

  [[noreturn]] void ThrowEmpty() const;
  [[noreturn]] void ThrowBusy() const;

 private:
  int bits_;
  std::uint32_t mask_;
  std::uint32_t value_ = 0;
};

// Main memory: all 65 536 words always exist; the configured size only
// decides how addresses wrap, so shrinking and growing keeps every word.
// The one access per cycle is one of the machine's cycle marks.
class TMemory : public TBaseItem {
 public:
  static constexpr int kCells = 65536;

  TMemory(const char* caption, int tag);

  // An access of the machine: the address wraps to the size, the word is
  // cut to its width.
  [[nodiscard]] std::int32_t Read(std::int32_t address) const noexcept {
    return static_cast<std::int32_t>(cells_[static_cast<std::size_t>(IndexOf(address))] &
                                     wordMask_);
  }
  void Write(std::int32_t address, std::int32_t v) noexcept { Store(address, v); }
  // Stepping back: the stored bits of a cell exactly as they were.
  void RestoreRaw(int cell, std::uint32_t raw) noexcept {
    cells_[static_cast<std::size_t>(cell) & 0xFFFFu] = raw;
  }
  // Loading a program: no busy check, and no access a view follows.
  void Store(std::int32_t address, std::int32_t v) noexcept {
    cells_[static_cast<std::size_t>(IndexOf(address))] = static_cast<std::uint32_t>(v) & wordMask_;
  }

  [[nodiscard]] int IndexOf(std::int32_t address) const noexcept {
    return static_cast<int>(static_cast<std::uint32_t>(address) &
                            static_cast<std::uint32_t>(size_ - 1));
  }
  // The stored bits of a cell (0..65535), not masked to the word width.
  [[nodiscard]] std::uint32_t Raw(int cell) const noexcept {
    return cells_[static_cast<std::size_t>(cell) & 0xFFFFu];
  }
  // The cell as the machine reads it (masked to the word width).
  [[nodiscard]] std::uint32_t Word(int cell) const noexcept { return Raw(cell) & wordMask_; }

  [[nodiscard]] int Size() const noexcept { return size_; }
  [[nodiscard]] int AddressBits() const noexcept { return addressBits_; }
  void SetSize(int size);
  [[nodiscard]] int WordBits() const noexcept { return wordBits_; }
  void SetWordBits(int bits) noexcept {
    wordBits_ = bits;
    wordMask_ = WidthMask(bits);
  }

  // "name address" for a cell (0..65535) shown as an instruction.
  [[nodiscard]] std::string CodeText(int cell, const TGetCodeEvent& getCode = {}) const;
  // "value ( CodeText )", as the watches show a word.
  [[nodiscard]] std::string CellText(int cell, const TGetCodeEvent& getCode = {}) const;

  [[noreturn]] static void ThrowBusy();

 private:
  std::vector<std::uint32_t> cells_;
  int size_ = 32;
  int addressBits_ = 5;
  int wordBits_ = 8;
  std::uint32_t wordMask_ = 0xFF;
};

// The arithmetic-logic unit ("JAL" in messages) latches one input and
// produces one result per cycle; the operations themselves are signals.
// Whether the input and the result are valid are cycle marks of the machine.
class TALU : public TBaseItem {
 public:
  constexpr TALU(const char* caption, int tag) noexcept : TBaseItem(caption, tag) {}

  [[nodiscard]] std::int32_t Input() const noexcept { return input_; }
  void SetInput(std::int32_t v) noexcept { input_ = v; }
  [[nodiscard]] std::int32_t Result() const noexcept { return result_; }
  void SetResult(std::int32_t v) noexcept { result_ = v; }

  [[noreturn]] static void ThrowNoInput();
  [[noreturn]] static void ThrowActiveAlready();
  [[noreturn]] static void ThrowNoResult();

 private:
  std::int32_t input_ = 0;
  std::int32_t result_ = 0;
};

// A control signal. Whether it is active for the cycle is held by the
// machine (one bit per signal), so a cycle can switch many at once.
class TSignal : public TBaseItem {
 public:
  constexpr TSignal(const char* caption, int tag, bool impulse) noexcept
      : TBaseItem(caption, tag), impulse_(impulse) {}

  [[nodiscard]] bool Impulse() const noexcept { return impulse_; }
  // The name of the component in the machine window ("SignalCzyt", and
  // "SignalAs" for "as (sa)").
  [[nodiscard]] std::string ComponentName() const;

 private:
  bool impulse_;
};

}  // namespace dorum
