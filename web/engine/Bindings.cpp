// The application as the page's worker sees it: one class whose calls take
// and give plain JavaScript values. The worker's side of the same calls is
// typed in web/src/protocol.ts. Every rule is the application's; this only
// converts.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <array>
#include <optional>

#include "Yardstick.h"
#include "app/Application.h"
#include "common/Strings.h"
#include "common/Texts.h"
#include "diagram/DiagramItems.h"
#include "machine/MachineConfig.h"

using emscripten::val;

namespace dorum::web {

using dorum::TApplication;

namespace {

val Bytes(const std::string& bytes) {
  return val::global("Uint8Array")
      .new_(emscripten::typed_memory_view(bytes.size(),
                                          reinterpret_cast<const std::uint8_t*>(bytes.data())));
}

val ToJs(const TOutcome& outcome) {
  val result = val::object();
  result.set("ok", outcome.Ok);
  result.set("message", outcome.Message);
  result.set("boxText", Texts::BoxText(outcome.Message));
  result.set("line", outcome.Line);
  result.set("column", outcome.Column);
  if (!outcome.Notice.empty()) result.set("notice", Texts::BoxText(outcome.Notice));
  if (!outcome.Information.empty()) result.set("information", outcome.Information);
  if (outcome.Line > 0) {
    val mark = val::object();
    mark.set("line", outcome.Mark.Line);
    mark.set("begin", outcome.Mark.Begin);
    mark.set("end", outcome.Mark.End);
    result.set("mark", mark);
  }
  return result;
}

const char* BoxName(TBoxKind box) {
  switch (box) {
    case TBoxKind::Information:
      return "information";
    case TBoxKind::Error:
      return "error";
    case TBoxKind::None:
      break;
  }
  return "none";
}

val ToJs(const TRunStep& step) {
  val result = val::object();
  result.set("running", step.Running());
  result.set("waiting", step.Next == TRunNext::Input);
  result.set("pause", step.Next == TRunNext::Pause);
  result.set("delay", step.DelayMs);
  result.set("box", std::string(BoxName(step.Box)));
  result.set("message", step.Message);
  return result;
}

const char* KindName(TItemKind kind) {
  switch (kind) {
    case TItemKind::Register:
      return "register";
    case TItemKind::Bus:
      return "bus";
    case TItemKind::Memory:
      return "memory";
    case TItemKind::Alu:
      return "alu";
    case TItemKind::Signal:
      return "signal";
    case TItemKind::Wire:
      return "wire";
  }
  return "";
}

// The engine behind the page: a thin class converting its values.
class TPageEngine {
 public:
  val OpenText(const std::string& name, const std::string& bytes) const {
    const TOpenedText opened = engine_.OpenText(name, bytes);
    val result = ToJs(opened.Outcome);
    result.set("text", opened.Text);
    result.set("encoding", static_cast<int>(opened.Encoding));
    result.set("lineEnd", static_cast<int>(opened.LineEnd));
    return result;
  }
  static val EncodeText(const std::string& text, int encoding, int lineEnd) {
    TOutcome outcome;
    const std::string bytes = TApplication::EncodeText(text, static_cast<TTextEncoding>(encoding),
                                                       static_cast<TLineEnd>(lineEnd), outcome);
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
  // a "modified" file.
  static std::string Question(const std::string& which, const std::string& name) {
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
  static std::string SaveQuestion(const std::string& text, int encoding, const std::string& name) {
    return TApplication::SaveQuestion(text, static_cast<TTextEncoding>(encoding), name);
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
        piece.call<void>("push", static_cast<int>(span.Kind));
        pieces.call<void>("push", piece);
      }
      lines.call<void>("push", pieces);
      lineStart = lineEnd + 1;
    }
    return lines;
  }
  static val CheckInstruction(const std::string& text) {
    return ToJs(TApplication::CheckInstruction(text));
  }
  val CompileInstruction(const std::string& text) { return ToJs(engine_.CompileInstruction(text)); }
  val Start(int command, int line) {
    return ToJs(engine_.Start(static_cast<TRunCommand>(command), line));
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
    val choices = val::array();
    for (const TDisplayModeChoice& choice : DisplayModeChoices(reg)) {
      val c = val::object();
      c.set("caption", std::string(choice.Caption));
      c.set("mode", static_cast<int>(choice.Mode));
      choices.call<void>("push", c);
    }
    val result = val::object();
    result.set("choices", choices);
    result.set("current",
               static_cast<int>(engine_.Session().Machine().Register(reg).DisplayMode()));
    return result;
  }
  val SetDisplayMode(int id, int mode) {
    return ToJs(
        engine_.SetDisplayMode(static_cast<TRegisterId>(id), static_cast<TDisplayMode>(mode)));
  }
  val ZeroRegister(int id) { return ToJs(engine_.ZeroRegister(static_cast<TRegisterId>(id))); }
  void ClearMemory() { engine_.ClearMemory(); }
  // The stop conditions' dialog: the rows of its copy after each change.
  val StopConditions() const {
    val rows = val::array();
    for (const TStopConditionRow& row : engine_.StopConditionRows()) {
      val r = val::object();
      r.set("text", row.Text);
      r.set("checked", row.Checked);
      r.set("checkable", row.Checkable);
      rows.call<void>("push", r);
    }
    return rows;
  }
  val EditStopConditions() {
    (void)engine_.EditStopConditions();
    val result = val::object();
    result.set("rows", StopConditions());
    result.set("note", std::string(Texts::StopConditionNote));
    return result;
  }
  val AddStopCondition(const std::string& text) {
    const TStopConditionAdded added = engine_.AddStopCondition(text);
    val result = val::object();
    result.set("ok", added.Ok);
    result.set("message", added.Message);
    result.set("index", added.Index);
    result.set("rows", StopConditions());
    return result;
  }
  val RemoveStopCondition(int index) {
    engine_.RemoveStopCondition(index);
    return StopConditions();
  }
  val ClearStopConditions() {
    engine_.ClearStopConditions();
    return StopConditions();
  }
  val SetStopConditionChecked(int index, bool checked) {
    engine_.SetStopConditionChecked(index, checked);
    return StopConditions();
  }
  void CommitStopConditions() { engine_.CommitStopConditions(); }
  val StopOnChange(int watch) { return ToJs(engine_.StopOnChange(watch)); }
  // "Przebiegi czasowe": the lanes, and for each cycle its number, the
  // instruction a fetch brought in, and each lane's value (null where a bus
  // was not driven) with its text.
  val Timing(int count, const val& registers) {
    std::vector<TRegisterId> chosen;
    for (const int id : emscripten::vecFromJSArray<int>(registers))
      chosen.push_back(static_cast<TRegisterId>(id));
    const TApplication::TTiming timing =
        engine_.Timing(static_cast<std::size_t>(std::max(count, 0)), chosen);
    static constexpr std::array<const char*, 3> kKinds = {"signal", "bus", "register"};
    val lanes = val::array();
    for (const TTimingLane& lane : timing.Lanes) {
      val l = val::object();
      l.set("name", lane.Name);
      l.set("kind", std::string(kKinds.at(static_cast<std::size_t>(lane.Kind))));
      lanes.call<void>("push", l);
    }
    val cycles = val::array();
    for (const TRecordedCycle& cycle : timing.Cycles) {
      val c = val::object();
      c.set("number", static_cast<double>(cycle.Number));
      c.set("instruction", cycle.BeginsInstruction ? cycle.Instruction : std::string());
      val values = val::array();
      val texts = val::array();
      for (const TTimingLane& lane : timing.Lanes) {
        const std::optional<std::uint32_t> value = LaneValue(lane, cycle.Sample);
        values.call<void>("push", value ? val(*value) : val::null());
        texts.call<void>("push", value && lane.Kind != TLaneKind::Signal
                                     ? LaneValueText(engine_.Session().Machine(), lane, *value)
                                     : std::string());
      }
      c.set("values", values);
      c.set("texts", texts);
      cycles.call<void>("push", c);
    }
    val result = val::object();
    result.set("lanes", lanes);
    result.set("cycles", cycles);
    result.set("empty", std::string(Texts::NoCyclesRecorded));
    result.set("nothingToSave", Texts::BoxText(std::string(Texts::NothingToSave)));
    return result;
  }
  val GoToCycle(double number) {
    return ToJs(number >= 1 ? engine_.GoToCycle(static_cast<std::uint64_t>(number)) : TRunStep{});
  }
  val TimingVcd(int count) {
    return Bytes(engine_.TimingVcd(static_cast<std::size_t>(std::max(count, 0))));
  }
  // The options dialog: what it offers and what the machine has now.
  val Options() const {
    const TMachineOptions now = engine_.Session().Options();
    const auto components = [](const TComponentSet& set) {
      val ticked = val::array();
      for (const TComponentOption& option : ComponentOptions())
        ticked.call<void>("push", set.test(static_cast<std::size_t>(option.Number)));
      return ticked;
    };
    val result = val::object();
    result.set("addressBits", now.AddressBits);
    result.set("codeBits", now.CodeBits);
    result.set("minAddressBits", kMinAddressBits);
    result.set("maxAddressBits", kMaxAddressBits);
    result.set("minCodeBits", kMinCodeBits);
    result.set("maxCodeBits", kMaxCodeBits);
    result.set("components", components(now.Components));
    val labels = val::array();
    for (const TComponentOption& option : ComponentOptions())
      labels.call<void>("push", std::string(option.Label));
    result.set("componentLabels", labels);
    val presets = val::array();
    for (const TPreset& preset : Presets()) {
      val p = val::object();
      p.set("name", std::string(preset.Name));
      p.set("components", components(preset.Components));
      presets.call<void>("push", p);
    }
    result.set("presets", presets);
    val vectors = val::array();
    for (const TInterruptVector& vector : now.Vectors) {
      val v = val::object();
      v.set("label", vector.LabelName);
      v.set("address", std::to_string(vector.Address));
      vectors.call<void>("push", v);
    }
    result.set("vectors", vectors);
    val devices = val::array();
    for (const int number : {now.Ports.InputPort, now.Ports.OutputPort, now.Ports.InputInterrupt,
                             now.Ports.OutputInterrupt})
      devices.call<void>("push", std::to_string(number));
    result.set("devices", devices);
    return result;
  }
  val Configure(const val& chosen) {
    TMachineOptions options;
    options.AddressBits = chosen["addressBits"].as<int>();
    options.CodeBits = chosen["codeBits"].as<int>();
    options.Components.set(0);
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
    val list = val::array();
    const TInstructionList& instructions = engine_.Session().Control().Instructions();
    for (int code = 0; code < instructions.Count(); ++code) {
      const TInstruction& instruction = instructions.At(code);
      val lines = val::array();
      for (const std::string& line : instruction.Source()) lines.call<void>("push", line);
      val cycles = val::array();
      val breakpoints = val::array();
      for (const TMicroCode& cycle : instruction.Cycles()) {
        cycles.call<void>("push", cycle.SourceLine);
        if (cycle.Breakpoint) breakpoints.call<void>("push", cycle.SourceLine);
      }
      val v = val::object();
      v.set("name", instruction.Name());
      v.set("lines", lines);
      v.set("cycleLines", cycles);
      v.set("breakpointLines", breakpoints);
      list.call<void>("push", v);
    }
    return list;
  }
  void SetManualControl(bool manual) { (void)engine_.SetManualControl(manual); }
  val RestoreDefaultMachine() { return ToJs(engine_.RestoreDefaultMachine()); }
  [[nodiscard]] std::string FileKind(const std::string& name) const {
    return FileKindOf(name) == TFileKind::Program ? "program" : "instruction";
  }
  [[nodiscard]] bool ListChanged() const { return engine_.ListChanged(); }
  void SetListChanged(bool changed) { engine_.SetListChanged(changed); }
  [[nodiscard]] std::string ExampleQuestion(const std::string& example,
                                            const std::string& list) const {
    return engine_.ExampleQuestion(example, list);
  }
  void SetTrackingLevel(int level) { engine_.SetTrackingLevel(level); }
  val RaiseInterrupt(int line) { return ToJs(engine_.RaiseInterrupt(line)); }
  bool TypeInput(const std::string& text) { return engine_.TypeInput(text); }

  // The diagram's items, where they stand and how they are drawn.
  static val Layout() {
    val items = val::array();
    for (const TDiagramItem& item : DiagramItems()) {
      val v = val::object();
      v.set("kind", std::string(KindName(item.Kind)));
      v.set("id", item.Id);
      v.set("x", item.Box.X);
      v.set("y", item.Box.Y);
      v.set("width", item.Box.Width);
      v.set("height", item.Box.Height);
      v.set("right", item.Direction == TSignalDirection::sdRight);
      v.set("arrow", item.Arrow == TWireArrow::waStart  ? std::string("start")
                     : item.Arrow == TWireArrow::waStop ? std::string("stop")
                                                        : std::string("none"));
      v.set("horizontal", item.Horizontal);
      v.set("name", std::string(item.Name));
      items.call<void>("push", v);
    }
    return items;
  }

  // What the page shows now: every item of the diagram in the layout's
  // order, the memory rows asked for, and where the run stands.
  val View(int firstRow, int rows) const {
    const TSession& session = engine_.Session();
    const TMachine& machine = session.Machine();
    val items = val::array();
    for (const TDiagramItem& item : DiagramItems()) {
      val v = val::object();
      v.set("shown", ItemShown(machine, item));
      v.set("active", ItemActive(machine, item));
      v.set("text", ItemText(machine, item));
      if (item.Kind == TItemKind::Signal) v.set("impulse", machine.Signal(item.Id).Impulse());
      items.call<void>("push", v);
    }
    val memory = val::array();
    const int size = machine.Memory().Size();
    for (int address = std::max(firstRow, 0); address < std::min(firstRow + rows, size); ++address)
      memory.call<void>("push", MemoryRowText(machine, address));
    const TController& control = session.Control();
    val view = val::object();
    view.set("items", items);
    view.set("memory", memory);
    view.set("memorySize", size);
    view.set("running", engine_.Running());
    view.set("currentLine", engine_.CurrentLine());
    view.set("shownInstruction", control.ShownInstruction());
    view.set("shownCycleLine", control.ShownCycleLine());
    view.set("cycles", static_cast<double>(control.CyclesSinceReset()));
    view.set("manualControl", control.ManualControl());
    view.set("trackingLevel", control.TrackingLevel());
    view.set("interruptButtons", machine.InterruptButtonsVisible());
    // Each command the page has, greyed as the desktop greys it.
    val enabled = val::object();
    const TCommandState state = engine_.CommandState();
    for (const TCommandRow& row : Commands())
      if (!row.PageName.empty())
        enabled.set(std::string(row.PageName), CommandEnabled(row.Id, state));
    view.set("enabled", enabled);
    // The watches: the labels of the program assembled last with their words.
    val watches = val::array();
    const TWatchList& watchList = engine_.Session().Watches();
    for (int k = 0; k < watchList.Count(); ++k) {
      val watch = val::object();
      watch.set("name", watchList.NameText(k));
      watch.set("content", watchList.ContentText(k, machine));
      watches.call<void>("push", watch);
    }
    view.set("watches", watches);
    view.set("output", machine.Console().OutputText());
    view.set("input", machine.Console().InputText());
    return view;
  }

 private:
  static val Ask(const TValueQuestion& question) {
    val ask = val::object();
    ask.set("title", question.Title);
    ask.set("label", question.Label);
    ask.set("value", question.Value);
    return ask;
  }

  TApplication engine_;
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
      .function("editStopConditions", &TPageEngine::EditStopConditions)
      .function("addStopCondition", &TPageEngine::AddStopCondition)
      .function("removeStopCondition", &TPageEngine::RemoveStopCondition)
      .function("clearStopConditions", &TPageEngine::ClearStopConditions)
      .function("setStopConditionChecked", &TPageEngine::SetStopConditionChecked)
      .function("commitStopConditions", &TPageEngine::CommitStopConditions)
      .function("stopOnChange", &TPageEngine::StopOnChange)
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
      .function("typeInput", &TPageEngine::TypeInput)
      .class_function("layout", &TPageEngine::Layout)
      .function("view", &TPageEngine::View);
}

}  // namespace dorum::web
