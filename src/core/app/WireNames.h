#pragma once

// The names under which the application's enumerations cross to another
// process or language (the page's worker, a script): one table for each,
// so that a value is never passed as a bare number whose meaning could
// drift between the two sides.

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "app/Application.h"
#include "diagram/DiagramItems.h"
#include "machine/Items.h"

namespace dorum {

// The table of an enumeration: specialised for each one that crosses.
template <class E>
struct TWireNames;

template <>
struct TWireNames<TRunCommand> {
  static constexpr std::array<std::pair<TRunCommand, std::string_view>, 4> Table = {{
      {TRunCommand::Cycle, "cycle"},
      {TRunCommand::Instruction, "instruction"},
      {TRunCommand::Program, "program"},
      {TRunCommand::ToLine, "toLine"},
  }};
};

template <>
struct TWireNames<TTextEncoding> {
  static constexpr std::array<std::pair<TTextEncoding, std::string_view>, 5> Table = {{
      {TTextEncoding::Cp1250, "cp1250"},
      {TTextEncoding::Utf8, "utf8"},
      {TTextEncoding::Utf8WithBom, "utf8bom"},
      {TTextEncoding::Utf16Le, "utf16le"},
      {TTextEncoding::Utf16Be, "utf16be"},
  }};
};

template <>
struct TWireNames<TLineEnd> {
  static constexpr std::array<std::pair<TLineEnd, std::string_view>, 3> Table = {{
      {TLineEnd::CrLf, "crlf"},
      {TLineEnd::Lf, "lf"},
      {TLineEnd::Cr, "cr"},
  }};
};

template <>
struct TWireNames<TDisplayMode> {
  static constexpr std::array<std::pair<TDisplayMode, std::string_view>, 5> Table = {{
      {TDisplayMode::dmBinary, "binary"},
      {TDisplayMode::dmUnsigned, "unsigned"},
      {TDisplayMode::dmSigned, "signed"},
      {TDisplayMode::dmHexadecimal, "hexadecimal"},
      {TDisplayMode::dmInstruction, "instruction"},
  }};
};

template <>
struct TWireNames<TWordKind> {
  static constexpr std::array<std::pair<TWordKind, std::string_view>, 12> Table = {{
      {TWordKind::Text, "text"},
      {TWordKind::Comment, "comment"},
      {TWordKind::Keyword, "keyword"},
      {TWordKind::Signal, "signal"},
      {TWordKind::Condition, "condition"},
      {TWordKind::Label, "label"},
      {TWordKind::Number, "number"},
      {TWordKind::Character, "character"},
      {TWordKind::Directive, "directive"},
      {TWordKind::Mnemonic, "mnemonic"},
      {TWordKind::LabelDefinition, "labelDefinition"},
      {TWordKind::Semicolon, "semicolon"},
  }};
};

template <>
struct TWireNames<TBoxKind> {
  static constexpr std::array<std::pair<TBoxKind, std::string_view>, 3> Table = {{
      {TBoxKind::None, "none"},
      {TBoxKind::Information, "information"},
      {TBoxKind::Error, "error"},
  }};
};

template <>
struct TWireNames<TItemKind> {
  static constexpr std::array<std::pair<TItemKind, std::string_view>, 6> Table = {{
      {TItemKind::Register, "register"},
      {TItemKind::Bus, "bus"},
      {TItemKind::Memory, "memory"},
      {TItemKind::Alu, "alu"},
      {TItemKind::Signal, "signal"},
      {TItemKind::Wire, "wire"},
  }};
};

template <>
struct TWireNames<TLaneKind> {
  static constexpr std::array<std::pair<TLaneKind, std::string_view>, 3> Table = {{
      {TLaneKind::Signal, "signal"},
      {TLaneKind::Bus, "bus"},
      {TLaneKind::Register, "register"},
  }};
};

template <>
struct TWireNames<TFileKind> {
  static constexpr std::array<std::pair<TFileKind, std::string_view>, 2> Table = {{
      {TFileKind::Program, "program"},
      {TFileKind::Instruction, "instruction"},
  }};
};

template <class E>
[[nodiscard]] constexpr std::string_view WireName(E value) noexcept {
  for (const auto& [v, name] : TWireNames<E>::Table)
    if (v == value) return name;
  return {};
}

// The value named so; none for a name the table lacks.
template <class E>
[[nodiscard]] constexpr std::optional<E> WireValue(std::string_view name) noexcept {
  for (const auto& [value, n] : TWireNames<E>::Table)
    if (n == name) return value;
  return std::nullopt;
}

}  // namespace dorum
