#include "control/History.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace dorum {

namespace {

// What a user action's record holds, one bit each. Bits 0..14 are the
// registers and 16..18 the buses whose old values follow.
enum TRecordBit : std::uint32_t {
  kAluInput = 1u << 19,
  kAluResult = 1u << 20,
  kSignals = 1u << 21,
  kWord = 1u << 22,
  kInputText = 1u << 23,
  kOutputText = 1u << 24,
  kModes = 1u << 25,
  kPlace = 1u << 26,
};
constexpr std::uint32_t kRegisterBits = 0x7FFFu;
constexpr int kBusShift = 16;
constexpr std::uint32_t kBusBits = 0x7u << kBusShift;

// The fewest cycles a segment takes before the next one keeps the state
// again; with a large memory a segment runs longer, so that keeping the
// words costs little per cycle. Stepping back performs at most that many
// cycles again.
constexpr std::uint64_t kSegmentCycles = 32768;
constexpr std::uint64_t kCyclesPerWord = 16;

class TWriter {
 public:
  explicit TWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }
  template <class T>
  void Put(const T& value) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + sizeof(T));
    std::memcpy(bytes_.data() + at, &value, sizeof(T));
  }
  void PutText(const std::string& text) {
    Put(static_cast<std::uint32_t>(text.size()));
    const std::size_t at = bytes_.size();
    const std::size_t size = text.size();
    bytes_.resize(at + size);
    if (size != 0) std::memcpy(bytes_.data() + at, text.data(), size);
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

class TReader {
 public:
  explicit TReader(const std::uint8_t* bytes) : at_(bytes) {}
  template <class T>
  T Get() {
    T value;
    std::memcpy(&value, at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  std::string GetText() {
    const auto size = Get<std::uint32_t>();
    std::string text(reinterpret_cast<const char*>(at_), size);
    at_ += size;
    return text;
  }

 private:
  const std::uint8_t* at_;
};

std::size_t TextBytes(const std::string& text) {
  return text.size();
}

}  // namespace

// Everything a user action can change, taken before it.
struct TRunHistory::TSnapshot {
  std::array<std::uint32_t, kRegisterCount> Registers{};
  std::array<TDisplayMode, kRegisterCount> Modes{};
  std::array<std::uint32_t, kBusCount> Buses{};
  std::int32_t AluInput = 0;
  std::int32_t AluResult = 0;
  std::uint32_t Marks = 0;
  std::uint64_t Signals = 0;
  TControlPlace Place;
  int Cell = -1;  // the word the action may write
  std::uint32_t Word = 0;
  std::string Input;
  std::string Output;
};

// Consecutive clock cycles with nothing from outside between them: the
// state before the first, and what lets them be performed again.
struct TRunHistory::TSegment {
  TMachineSnapshot Machine;
  TControlPlace Place;
  bool Manual = false;
  std::uint64_t Cycles = 0;                // recorded since the state was kept
  std::uint64_t Limit = 0;                 // after which the next cycle opens a new segment
  std::vector<std::uint64_t> FetchStarts;  // bit k: cycle k began with a fetch
  // With a program bound, its current line moves between instructions:
  // before a fetch it is normally the line of the address in L, where a run
  // put it. Where it was not, (cycle, line), in cycle order.
  std::vector<std::pair<std::uint32_t, std::int32_t>> Lines;
  bool Bound = false;
  bool EndsRefused = false;  // its last cycle was refused by a rule

  [[nodiscard]] std::size_t Bytes() const {
    return sizeof(TSegment) + Machine.Words.size() * sizeof(std::uint32_t) +
           TextBytes(Machine.Input) + TextBytes(Machine.Output) +
           FetchStarts.capacity() * sizeof(std::uint64_t) +
           Lines.capacity() * sizeof(Lines.front());
  }
};

// One step or more: a segment of cycles, or one user action's record.
struct TRunHistory::TItem {
  std::unique_ptr<TSegment> Segment;
  std::vector<std::uint8_t> Record;
  std::size_t Bytes = 0;
};

TRunHistory::TRunHistory(TMachine& machine, TController& control, std::size_t budget)
    : machine_(machine),
      control_(control),
      budget_(budget),
      before_(std::make_unique<TSnapshot>()) {
  machine_.SetRecorder(this);
  recording_ = control_.RecordCycles(*this);
}

TRunHistory::~TRunHistory() {
  machine_.SetRecorder(nullptr);
  recording_.End();
}

void TRunHistory::Clear() noexcept {
  items_.clear();
  open_ = nullptr;
  bytes_ = 0;
  steps_ = 0;
  cycles_ = 0;
  instructions_ = 0;
}

void TRunHistory::StartAfresh() {
  if (!restoring_) Clear();
}

void TRunHistory::ControlChanged() {
  open_ = nullptr;
}

// ---- cycles ----

void TRunHistory::OpenSegment() {
  auto segment = std::make_unique<TSegment>();
  segment->Machine = machine_.TakeSnapshot();
  segment->Place = control_.Place();
  segment->Manual = control_.ManualControl();
  segment->Limit = std::max(
      kSegmentCycles, kCyclesPerWord * static_cast<std::uint64_t>(segment->Machine.Words.size()));
  segment->FetchStarts.assign(static_cast<std::size_t>(segment->Limit / 64 + 1), 0);
  segment->Bound = control_.ProgramEditor() != nullptr;
  open_ = segment.get();
  TItem item;
  item.Segment = std::move(segment);
  Push(std::move(item));
}

void TRunHistory::MarkFetchStart(TSegment& segment, std::uint64_t index, bool atFetch) noexcept {
  // The segment holds a bit for each cycle it may take.
  std::uint64_t& word = segment.FetchStarts[static_cast<std::size_t>(index >> 6)];
  const std::uint64_t bit = std::uint64_t{1} << (index & 63);
  word = atFetch ? (word | bit) : (word & ~bit);
}

void TRunHistory::NoteLineAtFetch(TSegment& segment, std::uint64_t index) {
  if (!segment.Bound) return;
  const IBoundProgram* program = control_.ProgramEditor();
  if (program != nullptr &&
      !program->CurrentLineIsAt(machine_.Register(TRegisterId::L).CurrentValue())) [[unlikely]]
    NoteLine(segment, index, program->CurrentLine());
}

void TRunHistory::NoteLine(TSegment& segment, std::uint64_t index, int line) {
  const std::size_t capacity = segment.Lines.capacity();
  segment.Lines.emplace_back(static_cast<std::uint32_t>(index), line);
  if (segment.Lines.capacity() != capacity) [[unlikely]]
    SegmentGrew(segment);
}

void TRunHistory::SegmentGrew(TSegment& segment) {
  // Only the open segment grows, and it is the newest item.
  TItem& item = items_.back();
  const std::size_t bytes = segment.Bytes();
  bytes_ += bytes - item.Bytes;
  item.Bytes = bytes;
  // It ends where it stands once the lines outweigh the rest of it, so that
  // no segment costs more than twice its state and dropping the oldest
  // always gives memory back; a batch of whole instructions under way still
  // fills the room it was given.
  const std::size_t lines = segment.Lines.capacity() * sizeof(segment.Lines.front());
  if (lines > bytes - lines) segment.Limit = 0;
  KeepBudget();
}

bool TRunHistory::OpenSegmentTakes(std::uint64_t cycles) const noexcept {
  return open_ != nullptr && !open_->EndsRefused && open_->Cycles + cycles <= open_->Limit;
}

void TRunHistory::BeginCycle() {
  counted_ = false;
  if (restoring_) [[unlikely]]
    return;
  if (!OpenSegmentTakes(1)) [[unlikely]]
    OpenSegment();
  TSegment& s = *open_;
  cycleIndex_ = s.Cycles;
  cycleAtFetch_ = control_.NextCycleFetches();
  MarkFetchStart(s, cycleIndex_, cycleAtFetch_);
  // The current line moves between instructions, before the next fetch.
  if (cycleAtFetch_) NoteLineAtFetch(s, cycleIndex_);
  // Counted as a step at once: most cycles end well, and only those that do
  // not are told to EndCycle.
  s.Cycles = cycleIndex_ + 1;
  ++steps_;
  ++cycles_;
  instructions_ += cycleAtFetch_ ? 1 : 0;
  counted_ = true;
}

std::uint64_t TRunHistory::BeginWholeInstructions() {
  // The batch's state before stays the segment's: a segment opens now if
  // the open one could not take the longest instruction.
  if (!OpenSegmentTakes(TInstructionPlan::kMaxCycles)) [[unlikely]]
    OpenSegment();
  TSegment& s = *open_;
  // Taken before the line is noted, which may end the segment here.
  const std::uint64_t room = s.Limit - s.Cycles;
  // The batch's first instruction starts from the line shown now; the run
  // moves it before the recorder hears of the batch.
  NoteLineAtFetch(s, s.Cycles);
  return room;
}

void TRunHistory::WholeInstructions(std::span<const std::uint8_t> cycles) {
  counted_ = false;
  TSegment& s = *open_;
  std::uint64_t at = s.Cycles;
  // The bits past the recorded cycles are clear (a segment cut short
  // clears them), so only the fetches' are set.
  for (const std::uint8_t c : cycles) {
    MarkFetchStart(s, at, true);
    at += c;
  }
  steps_ += at - s.Cycles;
  cycles_ += at - s.Cycles;
  instructions_ += cycles.size();
  s.Cycles = at;
}

void TRunHistory::EndCycle(const EDorumError* error) {
  if (!counted_ || error == nullptr) return;
  counted_ = false;
  // The end of the program is a cycle like any other and stays a step.
  if (control_.Finished()) return;
  --steps_;
  --cycles_;
  instructions_ -= cycleAtFetch_ ? 1 : 0;
  EndRefusedCycle(*open_);
}

void TRunHistory::EndRefusedCycle(TSegment& s) {
  // A refused cycle goes with the step before it, and with none it cannot
  // be undone at all.
  if (steps_ == 0 && s.Cycles == 1) {
    bytes_ -= items_.back().Bytes;
    items_.pop_back();
    open_ = nullptr;
    return;
  }
  s.EndsRefused = true;
}

bool TRunHistory::StartedAtFetch(const TSegment& segment, std::uint64_t cycle) {
  return ((segment.FetchStarts[static_cast<std::size_t>(cycle >> 6)] >> (cycle & 63)) & 1u) != 0;
}

void TRunHistory::RestoreSegmentStart(const TSegment& s) {
  TMachine::TRestorer(machine_).Snapshot(s.Machine);
  control_.RestorePlace(s.Place);
}

void TRunHistory::ReplayTo(TSegment& s, std::uint64_t cycles) {
  RestoreSegmentStart(s);
  // The line moved between instructions as it did the first time.
  auto line = s.Lines.begin();
  const std::uint64_t recorded = s.Cycles;
  const auto setLine = [&](std::uint64_t before) {
    if (!s.Bound || before >= recorded || !StartedAtFetch(s, before)) return;
    TControlPlace place = control_.Place();
    if (line != s.Lines.end() && line->first == before) {
      place.CurrentLine = line->second;
      ++line;
    } else {
      place.CurrentLine = LineOfL();
    }
    control_.RestorePlace(place);
  };
  for (std::uint64_t k = 0; k < cycles; ++k) {
    setLine(k);
    control_.ReplayCycle(s.Manual);
  }
  setLine(cycles);
  // The segment now ends here; the cycles after it are gone.
  for (std::uint64_t k = cycles; k < s.Cycles; ++k) {
    if (k + 1 == s.Cycles && s.EndsRefused) break;
    --steps_;
    --cycles_;
    if (StartedAtFetch(s, k)) --instructions_;
  }
  for (std::uint64_t k = cycles; k < s.Cycles; ++k) MarkFetchStart(s, k, false);
  s.Cycles = cycles;
  s.EndsRefused = false;
  // What comes after the replay is recorded afresh, the line at the fetch
  // it stopped before too.
  while (!s.Lines.empty() && s.Lines.back().first >= cycles) s.Lines.pop_back();
}

int TRunHistory::LineOfL() const {
  const IBoundProgram* program = control_.ProgramEditor();
  return program != nullptr
             ? program->LineOfAddress(machine_.Register(TRegisterId::L).CurrentValue())
             : -1;
}

// ---- user actions ----

void TRunHistory::BeginUserAction(int cell) {
  if (restoring_) return;
  if (userDepth_++ == 0) Capture(*before_, cell);
}

void TRunHistory::EndUserAction() {
  if (restoring_) return;
  if (--userDepth_ == 0) Commit(*before_);
}

void TRunHistory::Capture(TSnapshot& s, int cell) const {
  const TMachine& m = machine_;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    s.Registers[r] = reg.Content();
    s.Modes[r] = reg.DisplayMode();
  }
  for (std::size_t b = 0; b < kBusCount; ++b) s.Buses[b] = m.Bus(static_cast<TBusId>(b)).RawValue();
  s.AluInput = m.Alu().Input();
  s.AluResult = m.Alu().Result();
  s.Marks = m.CycleMarks();
  s.Signals = m.ActiveSignals();
  s.Place = control_.Place();
  s.Cell = cell;
  s.Word = cell >= 0 ? m.Memory().Raw(cell) : 0;
  s.Input = m.Console().InputText();
  s.Output = m.Console().OutputText();
}

void TRunHistory::Commit(const TSnapshot& b) {
  const TMachine& m = machine_;
  const TIOConsole& console = m.Console();
  const TControlPlace place = control_.Place();
  std::uint32_t flags = 0;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    const TRegister& reg = m.Register(static_cast<TRegisterId>(r));
    if (reg.Content() != b.Registers[r]) flags |= 1u << r;
    if (reg.DisplayMode() != b.Modes[r]) flags |= kModes;
  }
  for (std::size_t k = 0; k < kBusCount; ++k) {
    if (m.Bus(static_cast<TBusId>(k)).RawValue() != b.Buses[k]) flags |= 1u << (kBusShift + k);
  }
  if (m.Alu().Input() != b.AluInput) flags |= kAluInput;
  if (m.Alu().Result() != b.AluResult) flags |= kAluResult;
  if (m.ActiveSignals() != b.Signals) flags |= kSignals;
  if (b.Cell >= 0 && m.Memory().Raw(b.Cell) != b.Word) flags |= kWord;
  if (console.InputText() != b.Input) flags |= kInputText;
  if (console.OutputText() != b.Output) flags |= kOutputText;
  if (place.CurrentCycle != b.Place.CurrentCycle || place.Flags != b.Place.Flags ||
      place.CurrentLine != b.Place.CurrentLine || place.ShownCode != b.Place.ShownCode ||
      place.ShownLine != b.Place.ShownLine)
    flags |= kPlace;
  if (flags == 0 && m.CycleMarks() == b.Marks) return;  // nothing to undo

  TItem item;
  TWriter w(item.Record);
  w.Put(flags);
  w.Put(b.Marks);
  for (std::uint32_t bits = flags & kRegisterBits; bits != 0; bits &= bits - 1)
    w.Put(b.Registers[static_cast<std::size_t>(std::countr_zero(bits))]);
  for (std::uint32_t bits = (flags & kBusBits) >> kBusShift; bits != 0; bits &= bits - 1)
    w.Put(b.Buses[static_cast<std::size_t>(std::countr_zero(bits))]);
  if (flags & kAluInput) w.Put(b.AluInput);
  if (flags & kAluResult) w.Put(b.AluResult);
  if (flags & kSignals) w.Put(b.Signals);
  if (flags & kWord) {
    w.Put(b.Cell);
    w.Put(b.Word);
  }
  if (flags & kInputText) w.PutText(b.Input);
  if (flags & kOutputText) w.PutText(b.Output);
  if (flags & kModes) {
    for (const TDisplayMode mode : b.Modes) w.Put(static_cast<std::uint8_t>(mode));
  }
  if (flags & kPlace) {
    w.Put(b.Place.CurrentCycle);
    w.Put(b.Place.CurrentLine);
    w.Put(b.Place.ShownCode);
    w.Put(b.Place.ShownLine);
    w.Put(b.Place.Flags);
  }
  item.Record.shrink_to_fit();
  // The next cycle begins a segment of its own.
  open_ = nullptr;
  ++steps_;
  Push(std::move(item));
}

void TRunHistory::Restore(const std::uint8_t* record) {
  TMachine& m = machine_;
  TMachine::TRestorer restore(machine_);
  TReader r(record);
  const auto flags = r.Get<std::uint32_t>();
  const auto marks = r.Get<std::uint32_t>();
  for (std::uint32_t bits = flags & kRegisterBits; bits != 0; bits &= bits - 1)
    restore.Register(static_cast<TRegisterId>(std::countr_zero(bits)), r.Get<std::uint32_t>());
  for (std::uint32_t bits = (flags & kBusBits) >> kBusShift; bits != 0; bits &= bits - 1)
    restore.Bus(static_cast<TBusId>(std::countr_zero(bits)), r.Get<std::uint32_t>());
  if (flags & kAluInput) restore.AluInput(r.Get<std::int32_t>());
  if (flags & kAluResult) restore.AluResult(r.Get<std::int32_t>());
  if (flags & kSignals) m.SetActiveSignals(r.Get<std::uint64_t>());
  if (flags & kWord) {
    const int cell = r.Get<int>();
    restore.Word(cell, r.Get<std::uint32_t>());
  }
  if (flags & kInputText) restore.ConsoleInput(r.GetText());
  if (flags & kOutputText) restore.ConsoleOutput(r.GetText());
  if (flags & kModes) {
    std::array<TDisplayMode, kRegisterCount> modes{};
    for (TDisplayMode& mode : modes) mode = static_cast<TDisplayMode>(r.Get<std::uint8_t>());
    restore.DisplayModes(modes);
  }
  restore.Marks(marks);
  if (flags & kPlace) {
    TControlPlace place = control_.Place();
    place.CurrentCycle = r.Get<std::int32_t>();
    place.CurrentLine = r.Get<std::int32_t>();
    place.ShownCode = r.Get<std::int32_t>();
    place.ShownLine = r.Get<std::int32_t>();
    place.Flags = r.Get<std::uint8_t>();
    control_.RestorePlace(place);
  }
}

// ---- stepping back ----

void TRunHistory::UndoLastItem() {
  TItem& item = items_.back();
  if (item.Segment) {
    ReplayTo(*item.Segment, 0);
  } else {
    Restore(item.Record.data());
    --steps_;
  }
  bytes_ -= item.Bytes;
  items_.pop_back();
}

std::uint64_t TRunHistory::UndoSteps(std::uint64_t count) {
  if (steps_ == 0 || count == 0) return 0;
  restoring_ = true;
  std::uint64_t undone = 0;
  // Steps within one segment go back with one replay, whatever their number.
  while (undone < count && !items_.empty()) {
    TItem& item = items_.back();
    if (!item.Segment) {
      UndoLastItem();
      ++undone;
      continue;
    }
    TSegment& s = *item.Segment;
    // A refused cycle goes back together with the step before it.
    const std::uint64_t counted = s.EndsRefused ? s.Cycles - 1 : s.Cycles;
    const std::uint64_t wanted = count - undone;
    if (wanted < counted) {
      ReplayTo(s, counted - wanted);
      undone = count;
    } else {
      undone += counted;
      UndoLastItem();
    }
  }
  open_ = !items_.empty() && items_.back().Segment ? items_.back().Segment.get() : nullptr;
  restoring_ = false;
  machine_.NotifyRestored();
  return undone;
}

bool TRunHistory::UndoInstruction() {
  if (instructions_ == 0 && steps_ == 0) return false;
  restoring_ = true;
  while (!items_.empty()) {
    TItem& item = items_.back();
    if (!item.Segment) {
      UndoLastItem();
      continue;
    }
    TSegment& s = *item.Segment;
    // Back to the fetch of the last instruction begun in the segment.
    std::uint64_t fetch = s.Cycles;
    const std::uint64_t counted = s.EndsRefused ? s.Cycles - 1 : s.Cycles;
    for (std::uint64_t k = counted; k-- > 0;) {
      if (StartedAtFetch(s, k)) {
        fetch = k;
        break;
      }
    }
    if (fetch < s.Cycles && fetch > 0) {
      ReplayTo(s, fetch);
      break;
    }
    UndoLastItem();
    if (fetch == 0) break;
  }
  open_ = !items_.empty() && items_.back().Segment ? items_.back().Segment.get() : nullptr;
  restoring_ = false;
  machine_.NotifyRestored();
  return true;
}

// ---- looking back ----

std::uint64_t TRunHistory::CountedCycles(const TSegment& segment) noexcept {
  return segment.EndsRefused ? segment.Cycles - 1 : segment.Cycles;
}

std::vector<TRecordedCycle> TRunHistory::LookBack(std::size_t count, TCycleSample* before) {
  count = std::min(count, kMaxLookBack);
  // The segments that hold the cycles wanted, newest first.
  std::vector<std::pair<const TSegment*, std::uint64_t>> parts;  // segment, first cycle
  std::size_t found = 0;
  for (auto item = items_.rbegin(); item != items_.rend() && found < count; ++item) {
    if (!item->Segment) continue;
    const std::uint64_t counted = CountedCycles(*item->Segment);
    const std::uint64_t take = std::min<std::uint64_t>(counted, count - found);
    if (take == 0) continue;
    parts.emplace_back(item->Segment.get(), counted - take);
    found += static_cast<std::size_t>(take);
  }
  std::vector<TRecordedCycle> cycles;
  if (parts.empty()) return cycles;
  cycles.reserve(found);
  // Everything goes back as it was, whatever happens on the way.
  struct TPutBack {
    TRunHistory& History;
    TMachine::TQuiet Quiet;
    TMachineSnapshot Machine;
    TController::TSavedState Control;
    ~TPutBack() {
      TMachine::TRestorer(History.machine_).Snapshot(Machine);
      History.control_.RestoreState(Control);
      TMachine::TRestorer(History.machine_).EndQuiet(Quiet);
      History.restoring_ = false;
    }
  } putBack{*this, TMachine::TRestorer(machine_).BeginQuiet(), machine_.TakeSnapshot(),
            control_.SaveState()};
  restoring_ = true;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part)
    SampleSegment(*part->first, part->second, cycles, before);
  return cycles;
}

void TRunHistory::SampleSegment(const TSegment& s, std::uint64_t first,
                                std::vector<TRecordedCycle>& out, TCycleSample* before) {
  TMachine::TRestorer(machine_).Snapshot(s.Machine);
  TControlPlace place = s.Place;
  // The bound program's line is no business of a look back.
  place.CurrentLine = control_.BoundLine();
  control_.RestorePlace(place);
  const IBoundProgram* program = control_.ProgramEditor();
  const std::uint64_t counted = CountedCycles(s);
  for (std::uint64_t k = 0; k < counted; ++k) {
    if (before != nullptr && k == first && out.empty()) *before = TCycleSample::Of(machine_);
    control_.ReplayCycle(s.Manual);
    if (k < first) continue;
    TRecordedCycle& cycle = out.emplace_back();
    cycle.Number = s.Place.Cycles - Origin() + k + 1;
    cycle.Sample = TCycleSample::Of(machine_);
    cycle.BeginsInstruction = StartedAtFetch(s, k);
    if (!cycle.BeginsInstruction) continue;
    const int code = control_.CurrentCode();
    if (code >= 0 && code < control_.InstructionCount())
      cycle.Instruction = control_.InstructionName(code);
    if (program != nullptr) cycle.Line = program->LineOfAddress(control_.InstructionAddress());
  }
}

std::optional<std::uint64_t> TRunHistory::StepsBackTo(std::uint64_t number) const {
  std::uint64_t steps = 0;
  for (auto item = items_.rbegin(); item != items_.rend(); ++item) {
    if (!item->Segment) {
      ++steps;
      continue;
    }
    const TSegment& s = *item->Segment;
    const std::uint64_t counted = CountedCycles(s);
    const std::uint64_t base = s.Place.Cycles - Origin();
    if (number > base && number <= base + counted) return steps + (base + counted - number);
    steps += counted;
  }
  return std::nullopt;
}

// ---- memory ----

void TRunHistory::Push(TItem item) {
  item.Bytes = item.Segment ? item.Segment->Bytes() : item.Record.size() + sizeof(TItem);
  bytes_ += item.Bytes;
  items_.push_back(std::move(item));
  KeepBudget();
}

void TRunHistory::KeepBudget() {
  while (bytes_ > budget_ && items_.size() > 1) DropOldest();
}

void TRunHistory::DropOldest() {
  TItem& oldest = items_.front();
  if (oldest.Segment) {
    const TSegment& s = *oldest.Segment;
    const std::uint64_t counted = s.EndsRefused ? s.Cycles - 1 : s.Cycles;
    steps_ -= counted;
    cycles_ -= counted;
    for (std::uint64_t k = 0; k < counted; ++k) instructions_ -= StartedAtFetch(s, k) ? 1 : 0;
  } else {
    --steps_;
  }
  bytes_ -= oldest.Bytes;
  items_.pop_front();
}

}  // namespace dorum
