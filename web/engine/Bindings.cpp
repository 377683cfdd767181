// The application as the page's worker sees it: one class whose calls take
// and give plain JavaScript values. The worker's side of the same calls is
// typed in web/src/protocol.ts. Every rule is the application's; this only
// converts.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "Yardstick.h"
#include "app/Application.h"
#include "app/Examples.h"
#include "app/Grading.h"
#include "app/WireNames.h"
#include "common/Strings.h"
#include "common/Texts.h"
#include "diagram/DiagramItems.h"
#include "machine/MachineConfig.h"

using emscripten::val;

namespace dorum::web {

using dorum::TApplication;

namespace {

template <class E>
std::string Name(E value) {
  return std::string(WireName(value));
}

// The value a name stands for; a name the engine does not know is the
// page's mistake, and its request fails.
template <class E>
E Named(const std::string& name) {
  const std::optional<E> value = WireValue<E>(name);
  if (!value) throw std::invalid_argument("unknown name: " + name);
  return *value;
}

// A JavaScript object of these fields.
val Object(std::initializer_list<std::pair<const char*, val>> fields) {
  val object = val::object();
  for (const auto& [key, value] : fields) object.set(key, value);
  return object;
}

val Text(std::string_view text) {
  return val(std::string(text));
}

template <class Range, class Convert>
val Array(const Range& range, Convert convert) {
  val array = val::array();
  for (const auto& item : range) array.call<void>("push", convert(item));
  return array;
}

// A JavaScript object of texts by name ({"ilo.rzk": "..."}).
std::map<std::string, std::string> TextsOf(const val& object) {
  std::map<std::string, std::string> texts;
  for (const std::string& key :
       emscripten::vecFromJSArray<std::string>(val::global("Object").call<val>("keys", object)))
    texts[key] = object[key].as<std::string>();
  return texts;
}

val Bytes(const std::string& bytes) {
  return val::global("Uint8Array")
      .new_(emscripten::typed_memory_view(bytes.size(),
                                          reinterpret_cast<const std::uint8_t*>(bytes.data())));
}

val ToJs(const TOutcome& outcome) {
  val result = Object({{"ok", val(outcome.Ok)},
                       {"message", val(outcome.Message)},
                       {"boxText", val(Texts::BoxText(outcome.Message))},
                       {"line", val(outcome.Line)},
                       {"column", val(outcome.Column)}});
  if (!outcome.Notice.empty()) result.set("notice", Texts::BoxText(outcome.Notice));
  if (!outcome.Information.empty()) result.set("information", outcome.Information);
  if (outcome.Line > 0)
    result.set("mark", Object({{"line", val(outcome.Mark.Line)},
                               {"begin", val(outcome.Mark.Begin)},
                               {"end", val(outcome.Mark.End)}}));
  return result;
}

val ToJs(const TRunStep& step) {
  return Object({{"running", val(step.Running())},
                 {"waiting", val(step.Next == TRunNext::Input)},
                 {"pause", val(step.Next == TRunNext::Pause)},
                 {"delay", val(step.DelayMs)},
                 {"box", val(Name(step.Box))},
                 {"message", val(step.Message)}});
}

// A count since the last run began; none when the machine was built anew
// since, its controller counting from zero again.
[[nodiscard]] std::uint64_t SinceRun(std::uint64_t now, std::uint64_t atStart) noexcept {
  return now >= atStart ? now - atStart : 0;
}

// Every name of an enumeration, for the page's check of its own list.
template <class E>
val Names() {
  return Array(TWireNames<E>::Table, [](const auto& entry) { return Text(entry.second); });
}

// The engine behind the page: a thin class converting its values.
class TPageEngine {
 public:
  val OpenText(const std::string& name, const std::string& bytes) const {
    const TOpenedText opened = engine_.OpenText(name, bytes);
    val result = ToJs(opened.Outcome);
    result.set("text", opened.Text);
    result.set("encoding", Name(opened.Encoding));
    result.set("lineEnd", Name(opened.LineEnd));
    return result;
  }
  static val EncodeText(const std::string& text, const std::string& encoding,
                        const std::string& lineEnd) {
    TOutcome outcome;
    const std::string bytes = TApplication::EncodeText(text, Named<TTextEncoding>(encoding),
                                                       Named<TLineEnd>(lineEnd), outcome);
    val result = ToJs(outcome);
    result.set("bytes", Bytes(bytes));
    return result;
  }
  // The speed yardstick's loop run for `cycles` in a session of its own:
  // cycles per second, 0 when it did not reach the limit.
  static double Speed(double cycles) {
    if (!(cycles >= 1 && cycles <= 1e12)) return 0;
    return YardstickCyclesPerSecond(static_cast<std::uint64_t>(cycles));
  }
  // The desktop's questions, in its words: "delete" an instruction, close
  // a "modified" file; and what the page says of its storage: "storageFull",
  // a file "tooLarge" to keep there, or one "changedElsewhere" as well;
  // that it will not work offline ("noOffline"), and a call that failed
  // inside the engine ("engineFault").
  static std::string Question(const std::string& which, const std::string& name) {
    if (which == "storageFull") return std::string(Texts::StorageFull);
    if (which == "noOffline") return std::string(Texts::NoOfflineWithoutHttps);
    if (which == "engineFault") return std::string(Texts::EngineFault);
    if (which == "tooLarge") return Texts::TooLargeToStore(name);
    if (which == "changedElsewhere") return Texts::ChangedInAnotherTab(name);
    return which == "delete" ? Texts::DeleteInstructionQuestion(name)
                             : Texts::SaveModifiedQuestion(name);
  }
  // The editors' find and replace, as their error box says it.
  static std::string SearchMessage(const std::string& which) {
    const std::string_view text = which == "emptyFind"      ? Texts::EmptyFind
                                  : which == "emptyReplace" ? Texts::EmptyReplace
                                                            : Texts::NotFound;
    return Texts::BoxText(std::string(text));
  }
  static std::string SaveQuestion(const std::string& text, const std::string& encoding,
                                  const std::string& name) {
    return TApplication::SaveQuestion(text, Named<TTextEncoding>(encoding), name);
  }
  val LoadList(const std::string& name, const std::string& bytes) {
    return ToJs(engine_.LoadList(name, bytes));
  }
  val SaveList() { return Bytes(engine_.SaveList()); }
  val CompileProgram(const std::string& text, const val& breakpoints) {
    return ToJs(engine_.CompileProgram(text, emscripten::vecFromJSArray<int>(breakpoints)));
  }
  void SetBreakpoints(const val& lines) {
    engine_.SetBreakpoints(emscripten::vecFromJSArray<int>(lines));
  }
  val CheckProgram(const std::string& text) { return ToJs(engine_.CheckProgram(text)); }
  // Each line's coloured pieces as [begin, length, kind], counted in
  // characters (the page counts UTF-16 units of them) rather than bytes.
  val Colour(bool program, const std::string& text) const {
    val lines = val::array();
    std::size_t lineStart = 0;
    for (const std::vector<TWordSpan>& spans : engine_.Colour(program, text)) {
      const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
      const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
      val pieces = val::array();
      for (const TWordSpan& span : spans) {
        if (span.Kind == TWordKind::Text) continue;
        val piece = val::array();
        piece.call<void>("push", static_cast<int>(CharCount(line.substr(0, span.Begin))));
        piece.call<void>("push", static_cast<int>(CharCount(line.substr(span.Begin, span.Length))));
        piece.call<void>("push", Name(span.Kind));
        pieces.call<void>("push", piece);
      }
      lines.call<void>("push", pieces);
      lineStart = lineEnd + 1;
    }
    return lines;
  }
  val CompletionWords(bool program) const { return Array(engine_.CompletionWords(program), Text); }
  static val CheckInstruction(const std::string& text) {
    return ToJs(TApplication::CheckInstruction(text));
  }
  val CompileInstruction(const std::string& text) { return ToJs(engine_.CompileInstruction(text)); }
  // A run that performed something, or goes on, is the one the status line
  // counts from, as the desktop's machine window counts from its start.
  val Start(const std::string& command, int line) {
    const TController& control = engine_.Session().Control();
    const std::uint64_t cycles = control.CyclesPerformed();
    const std::uint64_t instructions = control.InstructionsPerformed();
    const TRunStep step = engine_.Start(Named<TRunCommand>(command), line);
    const TController& after = engine_.Session().Control();
    if (step.Running() || after.CyclesPerformed() != cycles) {
      runCycles_ = cycles;
      runInstructions_ = instructions;
    }
    return ToJs(step);
  }
  val Slice() { return ToJs(engine_.Slice()); }
  bool RequestStop() { return engine_.RequestStop(); }
  bool SetTempo(int milliseconds) { return engine_.SetTempo(milliseconds); }
  [[nodiscard]] bool Running() const { return engine_.Running(); }
  val Reset() { return ToJs(engine_.Reset()); }
  bool StepBack(bool wholeInstruction) { return engine_.StepBack(wholeInstruction); }
  val EnterRegister(int id, const std::string& text) {
    return ToJs(engine_.EnterRegister(static_cast<TRegisterId>(id), text));
  }
  val EnterMemory(int address, const std::string& text) {
    return ToJs(engine_.EnterMemory(address, text));
  }
  // What the value box offers: the box's title and label and the value now.
  val RegisterValue(int id) const {
    return Ask(engine_.RegisterQuestion(static_cast<TRegisterId>(id)));
  }
  val MemoryValue(int address) const { return Ask(engine_.MemoryQuestion(address)); }
  void ToggleSignal(int signal) { engine_.ToggleSignal(signal); }
  // A register's "Pokaż jako" choices and the one it shows now.
  val RegisterModes(int id) const {
    const auto reg = static_cast<TRegisterId>(id);
    val result = val::object();
    result.set(
        "choices", Array(DisplayModeChoices(reg), [](const TDisplayModeChoice& choice) {
          return Object({{"caption", Text(choice.Caption)}, {"mode", val(Name(choice.Mode))}});
        }));
    result.set("current", Name(engine_.Session().Machine().Register(reg).DisplayMode()));
    return result;
  }
  val SetDisplayMode(int id, const std::string& mode) {
    return ToJs(engine_.SetDisplayMode(static_cast<TRegisterId>(id), Named<TDisplayMode>(mode)));
  }
  val ZeroRegister(int id) { return ToJs(engine_.ZeroRegister(static_cast<TRegisterId>(id))); }
  void ClearMemory() { engine_.ClearMemory(); }
  void ClearConsole() { engine_.ClearConsoleOutput(); }
  // The stop conditions' dialog: the rows of its copy after each change.
  val StopConditions() const {
    return Array(engine_.StopConditionRows(), [](const TStopConditionRow& row) {
      return Object({{"text", val(row.Text)},
                     {"checked", val(row.Checked)},
                     {"checkable", val(row.Checkable)}});
    });
  }
  val EditStopConditions() {
    (void)engine_.EditStopConditions();
    return Object({{"rows", StopConditions()}, {"note", Text(Texts::StopConditionNote)}});
  }
  val AddStopCondition(const std::string& text) {
    const TStopConditionAdded added = engine_.AddStopCondition(text);
    return Object({{"ok", val(added.Ok)},
                   {"message", val(added.Message)},
                   {"index", val(added.Index)},
                   {"rows", StopConditions()}});
  }
  val RemoveStopCondition(int index) { return Drafted(&TApplication::RemoveStopCondition, index); }
  val ClearStopConditions() { return Drafted(&TApplication::ClearStopConditions); }
  val SetStopConditionChecked(int index, bool checked) {
    return Drafted(&TApplication::SetStopConditionChecked, index, checked);
  }
  void CommitStopConditions() { engine_.CommitStopConditions(); }
  val StopOnChange(int watch) { return ToJs(engine_.StopOnChange(watch)); }
  // The conditions in force as the page keeps them across a reload.
  val KeptStopConditions() const {
    return Array(engine_.KeptStopConditions(), [](const TApplication::TKeptStopCondition& c) {
      return Object({{"text", val(c.Text)}, {"enabled", val(c.Enabled)}});
    });
  }
  // What the page kept, checked by the page; a text it cannot read is left out.
  void RestoreStopConditions(const val& kept) {
    std::vector<TApplication::TKeptStopCondition> conditions;
    const auto length = kept["length"].as<unsigned>();
    for (unsigned i = 0; i < length; ++i) {
      const val condition = kept[i];
      conditions.push_back({condition["text"].as<std::string>(), condition["enabled"].as<bool>()});
    }
    engine_.RestoreStopConditions(conditions);
  }
  // "Przebiegi czasowe" as far back as the application looks: the lanes,
  // and for each cycle its number, the instruction a fetch brought in, and
  // each lane's value (null where a bus was not driven) with its text; the
  // index of the current cycle, those after it stepped back over.
  val Timing(const val& registers) {
    std::vector<TRegisterId> chosen;
    for (const int id : emscripten::vecFromJSArray<int>(registers))
      chosen.push_back(static_cast<TRegisterId>(id));
    const TApplication::TTiming timing = engine_.Timing(kTimingDepth, chosen);
    const TMachine& machine = engine_.Session().Machine();
    const auto cycle = [&](const TRecordedCycle& c) {
      val values = val::array();
      val texts = val::array();
      for (const TTimingLane& lane : timing.Lanes) {
        const std::optional<std::uint32_t> value = LaneValue(lane, c.Sample);
        values.call<void>("push", value ? val(*value) : val::null());
        texts.call<void>("push", value && lane.Kind != TLaneKind::Signal
                                     ? LaneValueText(machine, lane, *value)
                                     : std::string());
      }
      return Object({{"number", val(static_cast<double>(c.Number))},
                     {"instruction", val(c.BeginsInstruction ? c.Instruction : std::string())},
                     {"values", values},
                     {"texts", texts}});
    };
    return Object(
        {{"lanes",
          Array(timing.Lanes,
                [](const TTimingLane& lane) {
                  return Object({{"name", val(lane.Name)}, {"kind", val(Name(lane.Kind))}});
                })},
         {"cycles", Array(timing.Cycles, cycle)},
         {"current", val(static_cast<double>(timing.Current))},
         {"empty", Text(Texts::NoCyclesRecorded)},
         {"nothingToSave", val(Texts::BoxText(std::string(Texts::NothingToSave)))}});
  }
  val GoToCycle(double number) {
    return ToJs(number >= 1 ? engine_.GoToCycle(static_cast<std::uint64_t>(number)) : TRunStep{});
  }
  val TimingVcd() { return Bytes(engine_.TimingVcd(kTimingDepth)); }
  // The options dialog: what it offers and what the machine has now.
  val Options() const {
    const TMachineOptions now = engine_.Session().Options();
    const auto components = [](const TComponentSet& set) {
      return Array(ComponentOptions(), [&set](const TComponentOption& option) {
        return val(set.test(static_cast<std::size_t>(option.Number)));
      });
    };
    const auto label = [](const TComponentOption& option) { return Text(option.Label); };
    const auto preset = [&components](const TPreset& p) {
      return Object({{"name", Text(p.Name)}, {"components", components(p.Components)}});
    };
    const auto vector = [](const TInterruptVector& v) {
      return Object({{"label", val(v.LabelName)}, {"address", val(std::to_string(v.Address))}});
    };
    const auto number = [](int n) { return val(std::to_string(n)); };
    const TIOPorts& ports = now.Ports;
    return Object({{"addressBits", val(now.AddressBits)},
                   {"codeBits", val(now.CodeBits)},
                   {"minAddressBits", val(kMinAddressBits)},
                   {"maxAddressBits", val(kMaxAddressBits)},
                   {"minCodeBits", val(kMinCodeBits)},
                   {"maxCodeBits", val(kMaxCodeBits)},
                   {"components", components(now.Components)},
                   {"componentLabels", Array(ComponentOptions(), label)},
                   {"presets", Array(Presets(), preset)},
                   {"vectors", Array(now.Vectors, vector)},
                   {"devices", Array(std::array{ports.InputPort, ports.OutputPort,
                                                ports.InputInterrupt, ports.OutputInterrupt},
                                     number)}});
  }
  val Configure(const val& chosen) {
    TMachineOptions options;
    options.AddressBits = chosen["addressBits"].as<int>();
    options.CodeBits = chosen["codeBits"].as<int>();
    const std::vector<bool> ticked = emscripten::vecFromJSArray<bool>(chosen["components"]);
    for (std::size_t k = 0; k < ticked.size() && k < ComponentOptions().size(); ++k)
      options.Components.set(static_cast<std::size_t>(ComponentOptions()[k].Number), ticked[k]);
    std::array<std::string, 4> addresses;
    std::array<std::string, 4> devices;
    for (std::size_t k = 0; k < 4; ++k) {
      options.Vectors[k].LabelName = chosen["vectorLabels"][k].as<std::string>();
      addresses[k] = chosen["vectorAddresses"][k].as<std::string>();
      devices[k] = chosen["devices"][k].as<std::string>();
    }
    return ToJs(engine_.Configure(options, addresses, devices));
  }
  val DeleteInstruction(int code) { return ToJs(engine_.DeleteInstruction(code)); }
  bool ToggleBreakpointAtLine(int code, int line) {
    return engine_.ToggleBreakpointAtLine(code, line);
  }

  // The instruction list in code order: each name, its source, and the
  // lines where its cycles begin, with their breakpoints.
  val Instructions() const {
    const TInstructionList& instructions = engine_.Session().Control().Instructions();
    const auto line = [](const TMicroCode& cycle) { return val(cycle.SourceLine); };
    val list = val::array();
    for (int code = 0; code < instructions.Count(); ++code) {
      const TInstruction& instruction = instructions.At(code);
      val breakpoints = val::array();
      for (const TMicroCode& cycle : instruction.Cycles())
        if (cycle.Breakpoint) breakpoints.call<void>("push", cycle.SourceLine);
      list.call<void>("push", Object({{"name", val(instruction.Name())},
                                      {"lines", Array(instruction.Source(), Text)},
                                      {"cycleLines", Array(instruction.Cycles(), line)},
                                      {"breakpointLines", breakpoints}}));
    }
    return list;
  }
  void SetManualControl(bool manual) { (void)engine_.SetManualControl(manual); }
  val RestoreDefaultMachine() { return ToJs(engine_.RestoreDefaultMachine()); }
  [[nodiscard]] std::string FileKind(const std::string& name) const {
    return Name(FileKindOf(name));
  }
  [[nodiscard]] bool ListChanged() const { return engine_.ListChanged(); }
  void SetListChanged(bool changed) { engine_.SetListChanged(changed); }
  [[nodiscard]] std::string ExampleQuestion(const std::string& example,
                                            const std::string& list) const {
    return engine_.ExampleQuestion(example, list);
  }
  [[nodiscard]] std::string TaskQuestion(const std::string& task, const std::string& list) const {
    return engine_.TaskQuestion(task, list);
  }
  val LoadListKeeping(const std::string& name, const std::string& bytes, bool keepOwn) {
    return ToJs(engine_.LoadListKeeping(name, bytes, keepOwn));
  }
  val InstructionsLacking(const std::string& name, const std::string& bytes) {
    return Array(engine_.InstructionsLacking(name, bytes), Text);
  }
  // "Sprawdź": the task's public cases on the student's texts, each with
  // its mark as the command line's table shows it.
  val CheckTask(const std::string& suiteJson, const std::string& suiteFile,
                const std::string& listName, const std::string& listBytes, val inputs, val files,
                double cycleCap) const {
    TTaskCheck check{.SuiteJson = suiteJson,
                     .SuiteFile = suiteFile,
                     .Inputs = TextsOf(inputs),
                     .Files = TextsOf(files),
                     .CycleCap = static_cast<std::uint64_t>(cycleCap)};
    if (!listBytes.empty()) check.List = engine_.OpenText(listName, listBytes).Text;
    const TTaskCheckResult result = dorum::CheckTask(check);
    const auto caseOf = [](const TTaskCaseResult& c) {
      const TOutcomeMark& mark = MarkOf(c.Outcome);
      return Object({{"name", val(c.Name)},
                     {"outcome", Text(mark.Type)},
                     {"mark", Text(mark.Mark)},
                     {"meaning", Text(mark.Meaning)},
                     {"message", val(c.Message)},
                     {"points", val(c.Points)},
                     {"maxPoints", val(c.MaxPoints)},
                     {"cycles", val(static_cast<double>(c.Cycles))},
                     {"capped", val(c.Capped)}});
    };
    return Object({{"error", val(result.Error)}, {"cases", Array(result.Cases, caseOf)}});
  }
  void SetTrackingLevel(int level) { engine_.SetTrackingLevel(level); }
  val RaiseInterrupt(int line) { return ToJs(engine_.RaiseInterrupt(line)); }
  bool SetInput(const std::string& before, const std::string& after) {
    return engine_.SetConsoleInput(before, after);
  }

  // The diagram's items, where they stand and how they are drawn.
  static val Layout() {
    return Array(DiagramItems(), [](const TDiagramItem& item) {
      const char* arrow = item.Arrow == TWireArrow::waStart  ? "start"
                          : item.Arrow == TWireArrow::waStop ? "stop"
                                                             : "none";
      return Object({{"kind", val(Name(item.Kind))},
                     {"id", val(item.Id)},
                     {"x", val(item.Box.X)},
                     {"y", val(item.Box.Y)},
                     {"width", val(item.Box.Width)},
                     {"height", val(item.Box.Height)},
                     {"right", val(item.Direction == TSignalDirection::sdRight)},
                     {"arrow", Text(arrow)},
                     {"horizontal", val(item.Horizontal)},
                     {"name", Text(item.Name)}});
    });
  }

  // The page's commands as the application's table gives them, the menu
  // bar's menus, and the tempos a traced run can take.
  static val Commands() {
    val rows = val::array();
    for (const TCommandRow& row : dorum::Commands()) {
      if (row.PageName.empty()) continue;
      rows.call<void>("push", Object({{"name", Text(row.PageName)},
                                      {"menu", Text(row.Place == TMenuPlace::None ? "" : row.Menu)},
                                      {"separator", val(row.Place == TMenuPlace::AfterSeparator)},
                                      {"menuText", Text(row.MenuText)},
                                      {"button", Text(ButtonText(row))},
                                      {"key", Text(ShownKey(row))}}));
    }
    const auto menu = [](const TMenuRow& m) {
      return Object({{"menu", Text(m.Menu)}, {"text", Text(m.Text)}});
    };
    const auto tempo = [](const TTempoChoice& t) {
      return Object({{"milliseconds", val(t.Milliseconds)}, {"text", Text(t.Text)}});
    };
    // A button without a name is the gap between two groups.
    const auto button = [](const TToolButton& b) {
      return Object({{"name", Text(b.Command ? CommandRow(*b.Command).PageName : "")},
                     {"icon", Text(b.Icon)}});
    };
    return Object({{"commands", rows},
                   {"menus", Array(MenuBar(), menu)},
                   {"toolBar", Array(ToolBar(), button)},
                   {"tempos", Array(kTempos, tempo)},
                   {"defaultTempo", val(kDefaultTempo)}});
  }

  // The sets of bundled examples, from the names of the files of each
  // folder, which the caller lists.
  static val ExampleSets(val filesOf) {
    const auto listing = [&filesOf](std::string_view folder) {
      return emscripten::vecFromJSArray<std::string>(filesOf(Text(folder)));
    };
    const auto set = [](const dorum::TExampleSet& s) {
      return Object({{"machine", Text(s.Machine)},
                     {"list", Text(s.ListFile)},
                     {"programs", Array(s.Programs, Text)}});
    };
    return Array(dorum::ExampleSets(listing), set);
  }

  // The names each enumeration crosses under.
  static val EnumNames() {
    return Object({{"runCommand", Names<TRunCommand>()},
                   {"encoding", Names<TTextEncoding>()},
                   {"lineEnd", Names<TLineEnd>()},
                   {"displayMode", Names<TDisplayMode>()},
                   {"wordKind", Names<TWordKind>()},
                   {"boxKind", Names<TBoxKind>()},
                   {"itemKind", Names<TItemKind>()},
                   {"laneKind", Names<TLaneKind>()},
                   {"fileKind", Names<TFileKind>()}});
  }

  // What the page shows now: every item of the diagram in the layout's
  // order, the memory rows asked for, and where the run stands.
  val View(int firstRow, int rows) const {
    const TSession& session = engine_.Session();
    const TMachine& machine = session.Machine();
    val items = Array(DiagramItems(), [&machine](const TDiagramItem& item) {
      val v = Object({{"shown", val(ItemShown(machine, item))},
                      {"active", val(ItemActive(machine, item))},
                      {"text", val(ItemText(machine, item))}});
      if (item.Kind == TItemKind::Signal) v.set("impulse", machine.Signal(item.Id).Impulse());
      return v;
    });
    val memory = val::array();
    const int size = machine.Memory().Size();
    for (int address = std::max(firstRow, 0); address < std::min(firstRow + rows, size); ++address)
      memory.call<void>("push", MemoryRowText(machine, address));
    const TController& control = session.Control();
    const auto runCycles = static_cast<double>(SinceRun(control.CyclesPerformed(), runCycles_));
    const auto runInstructions =
        static_cast<double>(SinceRun(control.InstructionsPerformed(), runInstructions_));
    val view = Object({{"items", items},
                       {"memory", memory},
                       {"memorySize", val(size)},
                       {"running", val(engine_.Running())},
                       {"currentLine", val(engine_.CurrentLine())},
                       {"shownInstruction", val(control.ShownInstruction())},
                       {"shownCycleLine", val(control.ShownCycleLine())},
                       {"cycles", val(static_cast<double>(control.CyclesSinceReset()))},
                       {"runCycles", val(runCycles)},
                       {"runInstructions", val(runInstructions)},
                       {"manualControl", val(control.ManualControl())},
                       {"trackingLevel", val(control.TrackingLevel())},
                       {"interruptButtons", val(machine.InterruptButtonsVisible())},
                       {"output", val(machine.Console().OutputText())},
                       {"input", val(machine.Console().InputText())}});
    // Each command the page has, greyed as the desktop greys it.
    val enabled = val::object();
    const TCommandState state = engine_.CommandState();
    for (const TCommandRow& row : dorum::Commands())
      if (!row.PageName.empty())
        enabled.set(std::string(row.PageName), CommandEnabled(row.Id, state));
    view.set("enabled", enabled);
    // The watches: the labels of the program assembled last with their words.
    const TWatchList& watchList = session.Watches();
    val watches = val::array();
    for (int k = 0; k < watchList.Count(); ++k)
      watches.call<void>("push", Object({{"name", val(watchList.NameText(k))},
                                         {"content", val(watchList.ContentText(k, machine))}}));
    view.set("watches", watches);
    return view;
  }

 private:
  // A change of the stop conditions' draft, answered with its rows.
  template <class... A>
  val Drafted(void (TApplication::*change)(A...), A... arguments) {
    (engine_.*change)(arguments...);
    return StopConditions();
  }
  static val Ask(const TValueQuestion& question) {
    return Object({{"title", val(question.Title)},
                   {"label", val(question.Label)},
                   {"value", val(question.Value)}});
  }

  TApplication engine_;
  // Where the last run began, in the controller's counts since construction.
  std::uint64_t runCycles_ = 0;
  std::uint64_t runInstructions_ = 0;
};

}  // namespace

EMSCRIPTEN_BINDINGS(dorum_engine) {
  emscripten::class_<TPageEngine>("Engine")
      .constructor<>()
      .function("openText", &TPageEngine::OpenText)
      .class_function("encodeText", &TPageEngine::EncodeText)
      .class_function("saveQuestion", &TPageEngine::SaveQuestion)
      .class_function("speed", &TPageEngine::Speed)
      .class_function("question", &TPageEngine::Question)
      .class_function("searchMessage", &TPageEngine::SearchMessage)
      .function("loadList", &TPageEngine::LoadList)
      .function("saveList", &TPageEngine::SaveList)
      .function("compileProgram", &TPageEngine::CompileProgram)
      .function("setBreakpoints", &TPageEngine::SetBreakpoints)
      .function("compileInstruction", &TPageEngine::CompileInstruction)
      .function("checkProgram", &TPageEngine::CheckProgram)
      .function("colour", &TPageEngine::Colour)
      .function("completionWords", &TPageEngine::CompletionWords)
      .class_function("checkInstruction", &TPageEngine::CheckInstruction)
      .function("start", &TPageEngine::Start)
      .function("slice", &TPageEngine::Slice)
      .function("requestStop", &TPageEngine::RequestStop)
      .function("setTempo", &TPageEngine::SetTempo)
      .function("restoreDefaultMachine", &TPageEngine::RestoreDefaultMachine)
      .function("fileKind", &TPageEngine::FileKind)
      .function("listChanged", &TPageEngine::ListChanged)
      .function("setListChanged", &TPageEngine::SetListChanged)
      .function("exampleQuestion", &TPageEngine::ExampleQuestion)
      .function("loadListKeeping", &TPageEngine::LoadListKeeping)
      .function("taskQuestion", &TPageEngine::TaskQuestion)
      .function("checkTask", &TPageEngine::CheckTask)
      .function("instructionsLacking", &TPageEngine::InstructionsLacking)
      .function("running", &TPageEngine::Running)
      .function("reset", &TPageEngine::Reset)
      .function("stepBack", &TPageEngine::StepBack)
      .function("enterRegister", &TPageEngine::EnterRegister)
      .function("enterMemory", &TPageEngine::EnterMemory)
      .function("toggleSignal", &TPageEngine::ToggleSignal)
      .function("registerModes", &TPageEngine::RegisterModes)
      .function("setDisplayMode", &TPageEngine::SetDisplayMode)
      .function("zeroRegister", &TPageEngine::ZeroRegister)
      .function("clearMemory", &TPageEngine::ClearMemory)
      .function("clearConsole", &TPageEngine::ClearConsole)
      .function("editStopConditions", &TPageEngine::EditStopConditions)
      .function("addStopCondition", &TPageEngine::AddStopCondition)
      .function("removeStopCondition", &TPageEngine::RemoveStopCondition)
      .function("clearStopConditions", &TPageEngine::ClearStopConditions)
      .function("setStopConditionChecked", &TPageEngine::SetStopConditionChecked)
      .function("commitStopConditions", &TPageEngine::CommitStopConditions)
      .function("stopOnChange", &TPageEngine::StopOnChange)
      .function("keptStopConditions", &TPageEngine::KeptStopConditions)
      .function("restoreStopConditions", &TPageEngine::RestoreStopConditions)
      .function("timing", &TPageEngine::Timing)
      .function("timingVcd", &TPageEngine::TimingVcd)
      .function("goToCycle", &TPageEngine::GoToCycle)
      .function("deleteInstruction", &TPageEngine::DeleteInstruction)
      .function("options", &TPageEngine::Options)
      .function("configure", &TPageEngine::Configure)
      .function("toggleBreakpointAtLine", &TPageEngine::ToggleBreakpointAtLine)
      .function("instructions", &TPageEngine::Instructions)
      .function("registerValue", &TPageEngine::RegisterValue)
      .function("memoryValue", &TPageEngine::MemoryValue)
      .function("setManualControl", &TPageEngine::SetManualControl)
      .function("setTrackingLevel", &TPageEngine::SetTrackingLevel)
      .function("raiseInterrupt", &TPageEngine::RaiseInterrupt)
      .function("setInput", &TPageEngine::SetInput)
      .class_function("layout", &TPageEngine::Layout)
      .class_function("commands", &TPageEngine::Commands)
      .class_function("enumNames", &TPageEngine::EnumNames)
      .class_function("exampleSets", &TPageEngine::ExampleSets)
      .function("view", &TPageEngine::View);
}

}  // namespace dorum::web
