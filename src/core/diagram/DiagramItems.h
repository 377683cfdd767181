#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The layout of the machine diagram, which every front end draws from: the
// desktop's widget and the web page's picture.
namespace dorum {

class TMachine;
enum class TDisplayMode : std::uint8_t;
enum class TRegisterId : std::uint8_t;

// The diagram of the data path is drawn in design units: a client area of
// 816 × 477, scaled to the window.
inline constexpr int kDiagramWidth = 816;
inline constexpr int kDiagramHeight = 477;

// A rectangle in design units.
struct TBox {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

enum class TItemKind : std::uint8_t { Register, Bus, Memory, Alu, Signal, Wire };

// Where a signal's caption stands and its line runs.
enum class TSignalDirection : std::uint8_t { sdLeft, sdRight };
// Which end of a wire carries the arrow head.
enum class TWireArrow : std::uint8_t { waStart, waStop, waNone };

// One item of the diagram: what it is (with the number of its register, bus
// or signal), where it stands and how it is drawn. Painting, hit-testing and
// the accessible children all walk this one table.
struct TDiagramItem {
  TItemKind Kind;
  int Id;  // TRegisterId, TBusId or signal number; for a wire, its signal
  TBox Box;
  TSignalDirection Direction = TSignalDirection::sdLeft;
  TWireArrow Arrow = TWireArrow::waStart;
  bool Horizontal = false;
  const char* Name = "";  // the component's name ("WireWyak1", "SignalCzyt")
};

[[nodiscard]] std::span<const TDiagramItem> DiagramItems();

// What an item shows of the machine now, the same in every front end.
// Whether it is part of the configured machine.
[[nodiscard]] bool ItemShown(const TMachine& machine, const TDiagramItem& item);
// Drawn in the active colour: a driven bus, a signal or wire that is on.
[[nodiscard]] bool ItemActive(const TMachine& machine, const TDiagramItem& item);
// Its caption, which is also its accessible name: "AK : 5", a bus's name
// with "= value" while driven, a signal's name; empty for an item the
// machine lacks.
[[nodiscard]] std::string ItemText(const TMachine& machine, const TDiagramItem& item);
// A row of the memory view: "address  word  code".
[[nodiscard]] std::string MemoryRowText(const TMachine& machine, int address);

// A register's "Pokaż jako" choices, in menu order.
struct TDisplayModeChoice {
  std::string_view Caption;
  TDisplayMode Mode;
};
// The choices a register offers: only I shows its value as an instruction.
[[nodiscard]] std::vector<TDisplayModeChoice> DisplayModeChoices(TRegisterId id);

}  // namespace dorum
