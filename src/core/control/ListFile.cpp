#include "control/ListFile.h"

#include <algorithm>
#include <optional>

#include "control/ControlUnit.h"
#include "machine/Machine.h"

namespace dorum {

namespace {

constexpr std::string_view kOptions = "Opcje";
constexpr std::string_view kInstructions = "Rozkazy";

std::string Numbered(const char* key, int n) {
  return key + ToText(n);
}

// Points a failure to compile the instruction of section `name` (the i-th
// name of the list) at the file's line that holds the word at fault.
EListFileError InFile(const TProfileFile& profile, int i, const std::string& name,
                      const EDorumError& error) {
  EListFileError::TPlace place;
  place.Section = name;
  const auto* positioned = dynamic_cast<const EControlException*>(&error);
  std::optional<TProfileFile::TPlace> at;
  if (positioned != nullptr) {
    place.Positioned = true;
    place.Word = positioned->WordPlace();
    if (!place.Word.Word.empty()) {
      place.TextLine = place.Word.Line;
      at = profile.PlaceOf(name, Numbered("Linia", place.Word.Line));
      if (at && at->ValueColumn > 0)
        place.FileColumn = static_cast<int>(at->ValueColumn) + place.Word.Column;
    }
  }
  if (!at) at = profile.PlaceOf(name, "Linie");
  // Without its section the instruction is only a name in the list.
  if (!at) at = profile.PlaceOf(kInstructions, Numbered("Nazwa", i));
  if (at) place.FileLine = static_cast<int>(at->Line) + 1;
  return {error.Message(), std::move(place)};
}

}  // namespace

void WriteInstructionList(TProfileFile& profile, const TMachine& machine,
                          const TInstructionList& instructions) {
  const TComponentSet components = machine.GetComponents();
  for (const TComponentOption& option : ComponentOptions()) {
    profile.WriteBool(kOptions, option.Key,
                      components.test(static_cast<std::size_t>(option.Number)));
  }
  profile.WriteInteger(kOptions, "Adres", machine.AddressBits());
  profile.WriteInteger(kOptions, "Kod", machine.CodeBits());

  const int count = instructions.Count();
  profile.WriteInteger(kInstructions, "Liczba", count);
  for (int i = 0; i < count; ++i)
    profile.WriteString(kInstructions, Numbered("Nazwa", i + 1), instructions.At(i).Name());
  for (int i = 0; i < count; ++i) {
    const TInstruction& instruction = instructions.At(i);
    const TLines& source = instruction.Source();
    profile.WriteInteger(instruction.Name(), "Linie", static_cast<int>(source.size()));
    for (std::size_t j = 0; j < source.size(); ++j)
      profile.WriteString(instruction.Name(), Numbered("Linia", static_cast<int>(j) + 1),
                          source[j]);
  }
}

void SaveInstructionList(const std::string& path, const TMachine& machine,
                         const TInstructionList& instructions) {
  TProfileFile profile = TProfileFile::Load(path);
  WriteInstructionList(profile, machine, instructions);
  profile.Save(path);
}

void ReadInstructionList(const TProfileFile& profile, TMachine& machine, TController& control) {
  // One option at a time, as the options dialog would switch them.
  for (const TComponentOption& option : ComponentOptions()) {
    TComponentSet components = machine.GetComponents();
    components.set(static_cast<std::size_t>(option.Number),
                   profile.ReadBool(kOptions, option.Key, false));
    machine.SetComponents(components);
  }
  machine.SetAddressBits(profile.ReadInteger(kOptions, "Adres", machine.AddressBits()));
  machine.SetCodeBits(profile.ReadInteger(kOptions, "Kod", machine.CodeBits()));

  control.ClearInstructions();
  const int count = profile.ReadInteger(kInstructions, "Liczba", 0);
  for (int i = 1; i <= count; ++i) {
    const std::string name = profile.ReadString(kInstructions, Numbered("Nazwa", i), "???");
    // A text cannot have more stored lines than the file has; a larger count
    // would only add empty lines, so a damaged count costs nothing.
    const int lineCount =
        std::min(profile.ReadInteger(name, "Linie", 0), static_cast<int>(profile.Lines().size()));
    TLines lines;
    for (int j = 1; j <= lineCount; ++j)
      lines.push_back(profile.ReadString(name, Numbered("Linia", j), ""));
    try {
      control.AddInstruction(lines);
    } catch (const EDorumError& e) {
      throw InFile(profile, i, name, e);
    }
  }
}

void LoadInstructionList(const std::string& path, TMachine& machine, TController& control) {
  ReadInstructionList(TProfileFile::Load(path), machine, control);
}

}  // namespace dorum
