#include "app/Diagnostic.h"

#include <algorithm>

#include "common/Error.h"
#include "common/Strings.h"
#include "common/Text.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "control/ControlUnit.h"
#include "control/InstructionList.h"
#include "control/ListFile.h"
#include "machine/Machine.h"
#include "program/ProgramDocument.h"

namespace dorum {

namespace {

// Whether the message already shows the word as a word of its own; "z" is
// not named by "Oczekiwany rozkaz". The reader lower-cases words and the
// messages quote them so, letter for letter: a student's "oczekiwany" is
// not named by the message's own "Oczekiwany".
bool Names(const std::string& message, const std::string& word) {
  const std::string_view wanted = Trimmed(word);
  if (wanted.empty()) return false;
  for (const std::string& part : Split(message, ' ')) {
    if (part == wanted) return true;
  }
  return false;
}

// The word at fault, its place and what the message does not say of it;
// `atEnd` tells of the last word when nothing followed it.
template <typename TAtEnd>
void TakeWord(TDiagnostic& d, const TWordPlace& word, TAtEnd atEnd) {
  d.HasWord = true;
  if (word.AtEnd) {
    d.Word.clear();
    if (!word.Word.empty()) d.Note = atEnd(word.Word);
    return;
  }
  d.Word = word.Word;
  if (!Names(d.Message, d.Word)) d.Note = Texts::WordAtFault(d.Word);
}

}  // namespace

std::string_view StageName(TStage stage) noexcept {
  switch (stage) {
    case TStage::List:
      return "list";
    case TStage::Assembly:
      return "assembly";
    case TStage::Run:
      return "run";
    case TStage::None:
      break;
  }
  return {};
}

std::string TDiagnostic::Text() const {
  std::string text = File;
  if (Line > 0) {
    text += ':' + ToText(Line);
    if (Column > 0) text += ':' + ToText(Column);
  }
  if (!text.empty()) text += ": ";
  text += Message;
  return Note.empty() ? text : text + " (" + Note + ")";
}

std::string WithoutPosition(std::string_view message) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < message.size() && message[i] >= '0' && message[i] <= '9') ++i;
    return i > start;
  };
  if (!digits() || i >= message.size() || message[i++] != ':' || !digits() || i >= message.size() ||
      message[i] != ' ')
    return std::string(Trimmed(message));
  return std::string(Trimmed(message.substr(i)));
}

TDiagnostic AssemblyDiagnostic(const EDorumError& error, const std::string& file) {
  TDiagnostic d;
  d.Stage = TStage::Assembly;
  d.File = file;
  d.Message = WithoutPosition(error.Message());
  if (const auto* positioned = dynamic_cast<const EControlException*>(&error)) {
    const TWordPlace& word = positioned->WordPlace();
    if (!word.Word.empty()) {
      d.Line = word.Line;
      d.Column = word.Column;
    }
    TakeWord(d, word, [](const std::string& w) { return Texts::ArgumentMissingAtEnd(w); });
  }
  return d;
}

TDiagnostic ListDiagnostic(const EDorumError& error, const std::string& file) {
  TDiagnostic d;
  d.Stage = TStage::List;
  d.File = file;
  d.Message = WithoutPosition(error.Message());
  const auto* inFile = dynamic_cast<const EListFileError*>(&error);
  if (inFile == nullptr) return d;
  const EListFileError::TPlace& place = inFile->Place();
  d.Section = place.Section;
  d.Line = place.FileLine;
  d.Column = place.FileColumn;
  if (place.Positioned)
    TakeWord(d, place.Word,
             [](const std::string& w) { return Texts::InstructionTextEndsAfter(w); });
  const std::string where = Texts::ListSectionPlace(d.Section, place.TextLine);
  d.Note = d.Note.empty() ? where : where + ", " + d.Note;
  return d;
}

TDiagnostic RunDiagnostic(const std::string& message, const TController& control,
                          const TProgramDocument& document, const std::string& file) {
  TDiagnostic d;
  d.Stage = TStage::Run;
  d.File = file;
  d.Message = message;
  const bool refused = control.RefusedCycle() == control.CyclesPerformed() + 1;
  d.Cycle = refused ? control.RefusedCycle() : control.CyclesPerformed();
  const std::int32_t address = control.InstructionAddress();
  d.ProgramLine = std::max(0, document.LineOfAddress(address));
  d.Line = d.ProgramLine;
  // A fetch is cycle 0 of the instruction it fetches, which I may not hold
  // yet when the fetch fails.
  const bool fetch = control.CurrentCycle() == 0;
  const TMachine& machine = control.Machine();
  const int code =
      fetch ? static_cast<int>(machine.Memory().Word(machine.Memory().IndexOf(address)) >>
                               machine.AddressBits())
            : control.CurrentCode();
  d.Step = control.CurrentCycle();
  if (const TInstruction* instruction = control.Instructions().Find(code))
    d.Instruction = instruction->Name();
  d.Note = Texts::RunPlace(d.Instruction, d.Step, d.ProgramLine, d.Cycle);
  return d;
}

void PlaceInInstructionFile(TDiagnostic& d, const TInstructionList& list,
                            const std::map<std::string, std::string>& files) {
  const auto file = files.find(d.Instruction);
  if (file == files.end() || d.Step < 0) return;
  const TInstruction* instruction = list.Find(list.IndexOf(d.Instruction));
  if (instruction == nullptr || d.Step >= instruction->CycleCount()) return;
  d.File = file->second;
  d.Line = instruction->Cycle(d.Step).SourceLine + 1;
}

void ExplainUnexpectedArgument(TDiagnostic& d, const std::vector<std::string>& program,
                               const TInstructionList& list) {
  if (d.Message != Trimmed(Texts::ExpectedInstruction()) || d.Word.empty() || d.Line <= 0 ||
      static_cast<std::size_t>(d.Line) > program.size())
    return;
  std::string line = program[static_cast<std::size_t>(d.Line - 1)];
  if (const std::size_t comment = line.find("//"); comment != std::string::npos)
    line.resize(comment);
  std::string before;
  for (const std::string& token : Split(line, ' ')) {
    const std::string word = LowerCase(std::string(Trimmed(token)));
    if (word.empty() || word.back() == ':') continue;  // a label
    if (word == d.Word) break;
    before = word;
  }
  const int code = before.empty() ? -1 : list.IndexOf(before);
  const TInstruction* instruction = code < 0 ? nullptr : list.Find(code);
  if (instruction != nullptr && instruction->ArgumentCount() == 0)
    d.Note = Texts::InstructionTakesNoArgument(instruction->Name(), d.Word);
}

}  // namespace dorum
