#include "control/History.h"

#include <array>
#include <bit>
#include <cstring>

#include "control/ControlUnit.h"

namespace dorum {

namespace {

// What a record holds beyond its fixed part, one bit each. Bits 0..14 are
// the registers and 16..18 the buses whose old values follow.
enum TRecordBit : std::uint32_t {
  kCycleCounted = 1u << 15,
  kAluInput = 1u << 19,
  kAluResult = 1u << 20,
  kSignals = 1u << 21,
  kTop = 1u << 22,
  kWord = 1u << 23,
  kInputHead = 1u << 24,
  kOutputAppended = 1u << 25,
  kUserAction = 1u << 26,
  kFetchStart = 1u << 27,
  kInstructionCounted = 1u << 28,
  kInputText = 1u << 29,
  kOutputText = 1u << 30,
  kModes = 1u << 31,
};
constexpr std::uint32_t kRegisterBits = 0x7FFFu;
constexpr int kBusShift = 16;
constexpr std::uint32_t kBusBits = 0x7u << kBusShift;
// The second word of flags.
constexpr std::uint8_t kAttached = 1;  // undone together with the step before

constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// Writes a record into a buffer made large enough beforehand.
class TWriter {
 public:
  explicit TWriter(std::uint8_t* bytes) : start_(bytes), at_(bytes) {}
  template <class T>
  void Put(const T& value) {
    std::memcpy(at_, &value, sizeof(T));
    at_ += sizeof(T);
  }
  void PutText(const QString& text) {
    Put(static_cast<std::uint32_t>(text.size()));
    const std::size_t size = static_cast<std::size_t>(text.size()) * sizeof(char16_t);
    if (size != 0) std::memcpy(at_, text.utf16(), size);
    at_ += size;
  }
  [[nodiscard]] std::size_t Size() const noexcept { return static_cast<std::size_t>(at_ - start_); }

 private:
  std::uint8_t* start_;
  std::uint8_t* at_;
};

// The most a record holds besides the texts of a user action.
constexpr std::size_t kFixedRecordBound = 256;

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
  QString GetText() {
    const auto size = Get<std::uint32_t>();
    QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (size != 0) std::memcpy(text.data(), at_, size * sizeof(char16_t));
    at_ += size * sizeof(char16_t);
    return text;
  }

 private:
  const std::uint8_t* at_;
};

}  // namespace

// Everything a step can change, taken before it.
struct TRunHistory::TSnapshot {
  std::array<std::uint32_t, kRegisterCount> Registers{};
  std::array<TDisplayMode, kRegisterCount> Modes{};
  std::array<std::uint32_t, kBusCount> Buses{};
  std::int32_t AluInput = 0;
  std::int32_t AluResult = 0;
  std::uint32_t Marks = 0;
  std::uint64_t Signals = 0;
  int TopAddress = 0;
  TControlPlace Place;
  int Cell = -1;  // the word the step may write
  std::uint32_t Word = 0;
  qsizetype InputSize = 0;
  qsizetype OutputSize = 0;
  std::array<char16_t, 2> InputHead{};
  bool Full = false;  // a user action: texts and display modes too
  QString Input;
  QString Output;
};

struct TRunHistory::TChunk {
  std::unique_ptr<std::uint8_t[]> Bytes;  // Size bytes, of which Used hold records
  std::size_t Size = 0;
  std::size_t Used = 0;
  std::uint64_t Cycles = 0;
  std::uint64_t Instructions = 0;
  std::uint64_t Steps = 0;
};

TRunHistory::TRunHistory(TMachine& machine, TController& control, std::size_t budget)
    : machine_(machine),
      control_(control),
      budget_(std::max(budget, kChunkSize)),
      before_(std::make_unique<TSnapshot>()) {
  machine_.SetRecorder(this);
  control_.SetCycleRecorder(this);
}

TRunHistory::~TRunHistory() {
  machine_.SetRecorder(nullptr);
  control_.SetCycleRecorder(nullptr);
}

void TRunHistory::Clear() noexcept {
  newest_ = nullptr;
  chunks_.clear();
  spare_.reset();
  spareSize_ = 0;
  bytes_ = 0;
  cycles_ = 0;
  instructions_ = 0;
  steps_ = 0;
}

void TRunHistory::Capture(TSnapshot& s, bool full, int cell) const {
  const TMachineState& m = machine_.s_;
  for (std::size_t r = 0; r < kRegisterCount; ++r) s.Registers[r] = m.Registers[r].Content();
  for (std::size_t b = 0; b < kBusCount; ++b) s.Buses[b] = m.Buses[b].RawValue();
  s.AluInput = m.Alu.Input();
  s.AluResult = m.Alu.Result();
  s.Marks = m.Marks;
  s.Signals = m.ActiveSignals;
  s.TopAddress = m.Memory.TopAddress();
  s.Place = control_.Place();
  // A cycle can write only the word at the address A holds before it.
  s.Cell = cell >= 0 ? cell
                     : m.Memory.IndexOf(static_cast<std::int32_t>(
                           m.Registers[static_cast<std::size_t>(TRegisterId::A)].Content()));
  s.Word = m.Memory.Raw(s.Cell);
  const TIOConsole& console = machine_.console_;
  s.InputSize = console.InputText().size();
  s.OutputSize = console.OutputText().size();
  s.InputHead = {s.InputSize > 0 ? console.InputText().at(0).unicode() : u'\0',
                 s.InputSize > 1 ? console.InputText().at(1).unicode() : u'\0'};
  s.Full = full;
  if (full) {
    for (std::size_t r = 0; r < kRegisterCount; ++r) s.Modes[r] = m.Registers[r].DisplayMode();
    s.Input = console.InputText();
    s.Output = console.OutputText();
  }
}

void TRunHistory::BeginCycle(const TCyclePlan* plan) {
  recordingCycle_ = true;
  if (plan == nullptr || !plan->Clean) {
    planned_ = nullptr;
    Capture(*before_, false, -1);
    return;
  }
  // A clean plan says beforehand what the cycle can change, so its record
  // is written now from the values it will overwrite, with nothing to
  // compare afterwards.
  planned_ = plan;
  const TMachineState& m = machine_.s_;
  plannedPlace_ = control_.Place();
  std::uint32_t flags = (plan->Marks & (kRegisterBits | kBusBits)) | kSignals;
  if (plan->Marks & Marks::kAluInput) flags |= kAluInput;
  if (plan->Marks & Marks::kAluResult) flags |= kAluResult;
  if (plan->Marks & Marks::kMemory) flags |= kTop | kWord;
  if (plannedPlace_.Flags & TControlPlace::kAtFetch) flags |= kFetchStart;
  plannedRecord_ = Reserve(kFixedRecordBound);
  TWriter w(plannedRecord_);
  w.Put(flags);
  w.Put(std::uint8_t{0});
  w.Put(m.Marks);
  w.Put(plannedPlace_.CurrentCycle);
  w.Put(plannedPlace_.CurrentLine);
  w.Put(plannedPlace_.Flags);
  for (std::uint32_t bits = flags & kRegisterBits; bits != 0; bits &= bits - 1)
    w.Put(m.Registers[static_cast<std::size_t>(std::countr_zero(bits))].Content());
  for (std::uint32_t bits = (flags & kBusBits) >> kBusShift; bits != 0; bits &= bits - 1)
    w.Put(m.Buses[static_cast<std::size_t>(std::countr_zero(bits))].RawValue());
  if (flags & kAluInput) w.Put(m.Alu.Input());
  if (flags & kAluResult) w.Put(m.Alu.Result());
  w.Put(m.ActiveSignals);
  if (flags & kWord) {
    w.Put(m.Memory.TopAddress());
    const int cell = m.Memory.IndexOf(static_cast<std::int32_t>(
        m.Registers[static_cast<std::size_t>(TRegisterId::A)].Content()));
    w.Put(cell);
    w.Put(m.Memory.Raw(cell));
  }
  plannedSize_ = w.Size();
}

void TRunHistory::EndCycle(const EDorumError* error) {
  recordingCycle_ = false;
  const bool refused = error != nullptr && !control_.Finished();
  if (planned_ == nullptr) {
    Commit(*before_, false, refused);
    return;
  }
  planned_ = nullptr;
  // A refused cycle goes with the step before it; with none, it cannot be
  // undone at all.
  if (refused && steps_ == 0) return;
  std::uint32_t flags = 0;
  std::memcpy(&flags, plannedRecord_, sizeof flags);
  const TControlPlace place = control_.Place();
  if (place.Cycles != plannedPlace_.Cycles) flags |= kCycleCounted;
  if (place.Instructions != plannedPlace_.Instructions) flags |= kInstructionCounted;
  if (refused) {
    flags &= ~kFetchStart;
    plannedRecord_[sizeof flags] = kAttached;
  }
  std::memcpy(plannedRecord_, &flags, sizeof flags);
  const auto size = static_cast<std::uint32_t>(plannedSize_ + sizeof(std::uint32_t));
  std::memcpy(plannedRecord_ + plannedSize_, &size, sizeof size);
  Count(size, flags, refused);
}

void TRunHistory::Count(std::uint32_t size, std::uint32_t flags, bool attached) {
  TChunk& chunk = *newest_;
  chunk.Used += size;
  bytes_ += size;
  if (attached) return;
  ++steps_;
  ++chunk.Steps;
  if ((flags & kUserAction) == 0) {
    ++cycles_;
    ++chunk.Cycles;
  }
  if (flags & kFetchStart) {
    ++instructions_;
    ++chunk.Instructions;
  }
}

void TRunHistory::BeginUserAction(int cell) {
  if (restoring_ || recordingCycle_) return;
  if (userDepth_++ == 0) Capture(*before_, true, cell);
}

void TRunHistory::EndUserAction() {
  if (restoring_ || recordingCycle_) return;
  if (--userDepth_ == 0) Commit(*before_, true, false);
}

void TRunHistory::StartAfresh() {
  if (!restoring_) Clear();
}

void TRunHistory::Commit(const TSnapshot& b, bool userAction, bool attached) {
  const TMachineState& m = machine_.s_;
  const TIOConsole& console = machine_.console_;
  const TControlPlace place = control_.Place();
  std::uint32_t flags = 0;
  for (std::size_t r = 0; r < kRegisterCount; ++r) {
    if (m.Registers[r].Content() != b.Registers[r]) flags |= 1u << r;
  }
  for (std::size_t k = 0; k < kBusCount; ++k) {
    if (m.Buses[k].RawValue() != b.Buses[k]) flags |= 1u << (kBusShift + k);
  }
  if (m.Alu.Input() != b.AluInput) flags |= kAluInput;
  if (m.Alu.Result() != b.AluResult) flags |= kAluResult;
  if (m.ActiveSignals != b.Signals) flags |= kSignals;
  if (m.Memory.TopAddress() != b.TopAddress) flags |= kTop;
  if (m.Memory.Raw(b.Cell) != b.Word) flags |= kWord;
  if (b.Full) {
    if (console.InputText() != b.Input) flags |= kInputText;
    if (console.OutputText() != b.Output) flags |= kOutputText;
    for (std::size_t r = 0; r < kRegisterCount; ++r) {
      if (m.Registers[r].DisplayMode() != b.Modes[r]) flags |= kModes;
    }
  } else {
    if (console.InputText().size() < b.InputSize) flags |= kInputHead;
    if (console.OutputText().size() > b.OutputSize) flags |= kOutputAppended;
  }
  if (place.Cycles != b.Place.Cycles) flags |= kCycleCounted;
  if (place.Instructions != b.Place.Instructions) flags |= kInstructionCounted;
  const bool placeMoved = place.CurrentCycle != b.Place.CurrentCycle ||
                          place.CurrentLine != b.Place.CurrentLine ||
                          place.Flags != b.Place.Flags;
  if (flags == 0 && m.Marks == b.Marks && !placeMoved) return;  // nothing to undo
  if (userAction) flags |= kUserAction;
  if (!userAction && (b.Place.Flags & TControlPlace::kAtFetch) != 0 && !attached)
    flags |= kFetchStart;
  // A refused cycle goes with the step before it; with none, it cannot be
  // undone at all.
  if (attached && steps_ == 0) return;

  std::size_t bound = kFixedRecordBound;
  if (flags & kInputText) bound += static_cast<std::size_t>(b.Input.size()) * sizeof(char16_t);
  if (flags & kOutputText) bound += static_cast<std::size_t>(b.Output.size()) * sizeof(char16_t);
  std::uint8_t* at = Reserve(bound);
  TWriter w(at);
  w.Put(flags);
  w.Put(static_cast<std::uint8_t>(attached ? kAttached : 0));
  w.Put(b.Marks);
  w.Put(b.Place.CurrentCycle);
  w.Put(b.Place.CurrentLine);
  w.Put(b.Place.Flags);
  for (std::uint32_t bits = flags & kRegisterBits; bits != 0; bits &= bits - 1)
    w.Put(b.Registers[static_cast<std::size_t>(std::countr_zero(bits))]);
  for (std::uint32_t bits = (flags & kBusBits) >> kBusShift; bits != 0; bits &= bits - 1)
    w.Put(b.Buses[static_cast<std::size_t>(std::countr_zero(bits))]);
  if (flags & kAluInput) w.Put(b.AluInput);
  if (flags & kAluResult) w.Put(b.AluResult);
  if (flags & kSignals) w.Put(b.Signals);
  if (flags & kTop) w.Put(b.TopAddress);
  if (flags & kWord) {
    w.Put(b.Cell);
    w.Put(b.Word);
  }
  if (flags & kInputHead) {
    const auto removed = static_cast<std::uint8_t>(b.InputSize - console.InputText().size());
    w.Put(removed);
    for (std::uint8_t k = 0; k < removed && k < 2; ++k) w.Put(b.InputHead[k]);
  }
  if (flags & kOutputAppended) w.Put(static_cast<std::uint32_t>(b.OutputSize));
  if (flags & kInputText) w.PutText(b.Input);
  if (flags & kOutputText) w.PutText(b.Output);
  if (flags & kModes) {
    for (const TDisplayMode mode : b.Modes) w.Put(static_cast<std::uint8_t>(mode));
  }
  const auto size = static_cast<std::uint32_t>(w.Size() + sizeof(std::uint32_t));
  w.Put(size);
  Count(size, flags, attached);
}

std::uint8_t* TRunHistory::Reserve(std::size_t bound) {
  if (newest_ != nullptr && newest_->Used + bound <= newest_->Size) [[likely]]
    return newest_->Bytes.get() + newest_->Used;
  if (chunks_.empty() || chunks_.back().Used + bound > chunks_.back().Size) {
    const std::size_t size = std::max(kChunkSize, bound);
    // The oldest steps make room, and their memory serves the new chunk.
    while (spareSize_ < size && !chunks_.empty() && Capacity() + size > budget_) DropOldest();
    if (spareSize_ >= size) {
      chunks_.push_back(TChunk{std::move(spare_), spareSize_, 0, 0, 0, 0});
      spareSize_ = 0;
    } else {
      chunks_.push_back(
          TChunk{std::make_unique_for_overwrite<std::uint8_t[]>(size), size, 0, 0, 0, 0});
    }
  }
  newest_ = &chunks_.back();
  return newest_->Bytes.get() + newest_->Used;
}

std::size_t TRunHistory::Capacity() const noexcept {
  std::size_t capacity = 0;
  for (const TChunk& chunk : chunks_) capacity += chunk.Size;
  return capacity + spareSize_;
}

void TRunHistory::DropOldest() {
  TChunk& oldest = chunks_.front();
  bytes_ -= oldest.Used;
  cycles_ -= oldest.Cycles;
  instructions_ -= oldest.Instructions;
  steps_ -= oldest.Steps;
  // Its memory serves the next chunk.
  if (oldest.Size >= spareSize_) {
    spare_ = std::move(oldest.Bytes);
    spareSize_ = oldest.Size;
  }
  chunks_.pop_front();
  if (chunks_.empty()) newest_ = nullptr;
}

std::uint32_t TRunHistory::UndoRecord() {
  TChunk& chunk = chunks_.back();
  std::uint32_t size = 0;
  std::memcpy(&size, chunk.Bytes.get() + chunk.Used - sizeof size, sizeof size);
  const std::uint8_t* record = chunk.Bytes.get() + chunk.Used - size;
  std::uint32_t flags = 0;
  std::memcpy(&flags, record, sizeof flags);
  const std::uint8_t more = record[sizeof flags];
  Restore(record, size);
  chunk.Used -= size;
  bytes_ -= size;
  if ((more & kAttached) == 0) {
    --steps_;
    --chunk.Steps;
    if ((flags & kUserAction) == 0) {
      --cycles_;
      --chunk.Cycles;
    }
    if (flags & kFetchStart) {
      --instructions_;
      --chunk.Instructions;
    }
  }
  if (chunk.Used == 0) {
    spare_ = std::move(chunk.Bytes);
    spareSize_ = chunk.Size;
    chunks_.pop_back();
    newest_ = chunks_.empty() ? nullptr : &chunks_.back();
  }
  return flags;
}

bool TRunHistory::UndoStep() {
  if (chunks_.empty()) return false;
  restoring_ = true;
  // A refused cycle is undone with the step before it.
  bool attached = false;
  do {
    const TChunk& chunk = chunks_.back();
    std::uint32_t size = 0;
    std::memcpy(&size, chunk.Bytes.get() + chunk.Used - sizeof size, sizeof size);
    attached = (chunk.Bytes[chunk.Used - size + sizeof(std::uint32_t)] & kAttached) != 0;
    (void)UndoRecord();
  } while (attached && !chunks_.empty());
  restoring_ = false;
  TellViews();
  return true;
}

bool TRunHistory::UndoInstruction() {
  if (chunks_.empty()) return false;
  restoring_ = true;
  while (!chunks_.empty()) {
    const std::uint32_t flags = UndoRecord();
    if (flags & kFetchStart) break;
  }
  restoring_ = false;
  TellViews();
  return true;
}

void TRunHistory::Restore(const std::uint8_t* record, std::size_t /*size*/) {
  TMachineState& m = machine_.s_;
  TIOConsole& console = machine_.console_;
  TReader r(record);
  const auto flags = r.Get<std::uint32_t>();
  (void)r.Get<std::uint8_t>();
  const auto marks = r.Get<std::uint32_t>();
  TControlPlace place = control_.Place();
  place.CurrentCycle = r.Get<std::int32_t>();
  place.CurrentLine = r.Get<std::int32_t>();
  place.Flags = r.Get<std::uint8_t>();
  if (flags & kCycleCounted) --place.Cycles;
  if (flags & kInstructionCounted) --place.Instructions;
  for (std::uint32_t bits = flags & kRegisterBits; bits != 0; bits &= bits - 1)
    m.Registers[static_cast<std::size_t>(std::countr_zero(bits))].RestoreContent(
        r.Get<std::uint32_t>());
  for (std::uint32_t bits = (flags & kBusBits) >> kBusShift; bits != 0; bits &= bits - 1)
    m.Buses[static_cast<std::size_t>(std::countr_zero(bits))].RestoreValue(r.Get<std::uint32_t>());
  if (flags & kAluInput) m.Alu.SetInput(r.Get<std::int32_t>());
  if (flags & kAluResult) m.Alu.SetResult(r.Get<std::int32_t>());
  if (flags & kSignals) machine_.SetActiveSignals(r.Get<std::uint64_t>());
  if (flags & kTop) m.Memory.SetTopAddress(r.Get<int>());
  if (flags & kWord) {
    const int cell = r.Get<int>();
    m.Memory.RestoreRaw(cell, r.Get<std::uint32_t>());
    machine_.pending_.TouchCell(cell);
  }
  if (flags & kInputHead) {
    const auto removed = r.Get<std::uint8_t>();
    QString head;
    for (std::uint8_t k = 0; k < removed && k < 2; ++k) head.append(QChar(r.Get<char16_t>()));
    console.RestoreInput(head + console.InputText());
  }
  if (flags & kOutputAppended) console.TruncateOutput(r.Get<std::uint32_t>());
  if (flags & kInputText) console.RestoreInput(r.GetText());
  if (flags & kOutputText) console.RestoreOutput(r.GetText());
  if (flags & kModes) {
    for (TRegister& reg : m.Registers)
      reg.SetDisplayMode(static_cast<TDisplayMode>(r.Get<std::uint8_t>()));
  }
  // The marks go back whole; the views are told of everything at the end.
  m.Marks = marks;
  control_.RestorePlace(place);
}

void TRunHistory::TellViews() {
  TMachineChanges& pending = machine_.pending_;
  pending.Registers |= Marks::kRegisters;
  pending.Buses |= Marks::kBuses >> 16;
  pending.Alu = true;
  pending.Words = true;
  machine_.reportedMarks_ = 0;
  machine_.Notify();
}

}  // namespace dorum
