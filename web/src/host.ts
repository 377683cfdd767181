// The engine's side of the protocol: performs the page's requests on the
// engine and advances runs in slices. The worker wires it to its messages;
// tests drive it directly under node.
import type {
  Answers,
  ChosenOptions,
  ColourPiece,
  DisplayMode,
  EncodedText,
  Encoding,
  ExampleSet,
  FileKind,
  InstructionEntry,
  KeptStops,
  LayoutItem,
  LineEnd,
  MachineOptions,
  Notice,
  OpenedText,
  Outcome,
  PageCommands,
  RegisterModes,
  RunCommand,
  Request,
  RunState,
  StopConditionRow,
  TaskCheckResult,
  Timing,
  ValueQuestion,
  View,
} from './protocol';

// The engine as web/engine/Bindings.cpp offers it: its answers are the
// protocol's own types, so the table of handlers below is checked against
// what the page is promised.
export interface Engine {
  openText(name: string, bytes: Uint8Array): OpenedText;
  loadList(name: string, bytes: Uint8Array): Outcome;
  saveList(): Uint8Array;
  compileProgram(text: string, breakpoints: number[]): Outcome;
  setBreakpoints(lines: number[]): void;
  compileInstruction(text: string): Outcome;
  checkProgram(text: string): Outcome;
  colour(program: boolean, text: string): ColourPiece[][];
  completionWords(program: boolean): string[];
  start(command: RunCommand, line: number): RunState;
  slice(): RunState;
  requestStop(): boolean;
  setTempo(milliseconds: number): boolean;
  restoreDefaultMachine(): Outcome;
  fileKind(name: string): FileKind;
  listChanged(): boolean;
  setListChanged(changed: boolean): void;
  exampleQuestion(example: string, list: string): string;
  taskQuestion(task: string, list: string): string;
  loadListKeeping(name: string, bytes: Uint8Array, keepOwn: boolean): Outcome;
  instructionsLacking(name: string, bytes: Uint8Array): string[];
  checkTask(suite: string, suiteFile: string, listName: string, list: Uint8Array, inputs: Record<string, string>, files: Record<string, string>, cycleCap: number): TaskCheckResult;
  running(): boolean;
  reset(): Outcome;
  stepBack(whole: boolean): boolean;
  enterRegister(id: number, text: string): Outcome;
  enterMemory(address: number, text: string): Outcome;
  toggleSignal(id: number): void;
  registerModes(id: number): RegisterModes;
  setDisplayMode(id: number, mode: DisplayMode): Outcome;
  zeroRegister(id: number): Outcome;
  clearMemory(): void;
  clearConsole(): void;
  editStopConditions(): Answers['editStopConditions'];
  addStopCondition(text: string): Answers['addStopCondition'];
  removeStopCondition(index: number): StopConditionRow[];
  clearStopConditions(): StopConditionRow[];
  setStopConditionChecked(index: number, checked: boolean): StopConditionRow[];
  commitStopConditions(): void;
  stopOnChange(watch: number): Outcome;
  keptStopConditions(): KeptStops['conditions'];
  restoreStopConditions(kept: KeptStops['conditions']): void;
  timing(registers: number[]): Timing;
  timingVcd(): Uint8Array;
  goToCycle(number: number): RunState;
  deleteInstruction(code: number): Outcome;
  options(): MachineOptions;
  configure(options: ChosenOptions): Outcome;
  toggleBreakpointAtLine(code: number, line: number): boolean;
  instructions(): InstructionEntry[];
  registerValue(id: number): ValueQuestion;
  memoryValue(address: number): ValueQuestion;
  setManualControl(manual: boolean): void;
  setTrackingLevel(level: number): void;
  raiseInterrupt(line: number): Outcome;
  setInput(before: string, after: string): boolean;
  view(firstRow: number, rows: number): View;
  delete(): void;
}

export interface EngineModule {
  // The engine's memory: its length is all it ever took.
  HEAPU8: Uint8Array;
  Engine: {
    new (): Engine;
    layout(): LayoutItem[];
    encodeText(text: string, encoding: Encoding, lineEnd: LineEnd): EncodedText;
    saveQuestion(text: string, encoding: Encoding, name: string): string;
    commands(): PageCommands;
    enumNames(): Record<string, string[]>;
    exampleSets(filesOf: (folder: string) => string[]): ExampleSet[];
    speed(cycles: number): number;
    question(which: string, name: string): string;
    searchMessage(which: string): string;
    checkInstruction(text: string): Outcome;
  };
}

// Performs what answers nothing.
const nothing = (action: () => void): null => {
  action();
  return null;
};

// One handler for each request, answering in the shape the protocol gives
// for it: TypeScript checks that none is missing and each answers as promised.
type Handlers = { [K in Request['kind']]: (request: Extract<Request, { kind: K }>) => Answers[K] };

// Views sent during a run: about one per frame.
const viewInterval = 30;

// The requests after which the instruction list may differ (a failed
// compile may still have added an instruction).
const changesInstructions = new Set<Request['kind']>(['compileInstruction', 'loadList', 'deleteInstruction', 'toggleBreakpoint', 'configure', 'restoreDefaultMachine', 'restoreStops', 'loadListKeeping']);

export class EngineHost {
  private readonly engine: Engine;
  private memoryFirst = 0;
  private memoryRows = 10;
  private running = false;
  private lastView = 0;
  private pauseTimer: ReturnType<typeof setTimeout> | null = null;

  // `post` sends a notice to the page; `yieldThen` runs the next slice once
  // the messages that arrived meanwhile have been handled.
  constructor(
    private readonly module: EngineModule,
    private readonly post: (notice: Notice) => void,
    private readonly yieldThen: (next: () => void) => void,
  ) {
    this.engine = new module.Engine();
    post({ kind: 'ready', layout: module.Engine.layout(), commands: module.Engine.commands() });
    this.sendInstructions();
    this.sendView();
  }

  // What a failed call tells the student: the engine's own words, never
  // "[object WebAssembly.Exception]"; a script's error keeps its message.
  private failure(error: unknown): string {
    const fault = this.module.Engine.question('engineFault', '');
    return error instanceof Error ? `${fault} (${error.message})` : fault;
  }

  private keptStops(): KeptStops {
    const cycleBreakpoints = this.engine.instructions().flatMap(({ name, breakpointLines }) => breakpointLines.map((line) => ({ instruction: name, line })));
    return { conditions: this.engine.keptStopConditions(), cycleBreakpoints };
  }

  // Puts back what the page kept: the conditions, and each cycle breakpoint
  // where the list still has its instruction with a cycle at that line.
  private restoreStops(stops: KeptStops): void {
    this.engine.restoreStopConditions(stops.conditions);
    const list = this.engine.instructions();
    const done = new Set<string>();
    for (const { instruction, line } of stops.cycleBreakpoints) {
      const code = list.findIndex((entry) => entry.name === instruction);
      const entry = list[code];
      if (!entry || !entry.cycleLines.includes(line) || entry.breakpointLines.includes(line) || done.has(`${code}:${line}`)) continue;
      done.add(`${code}:${line}`);
      this.engine.toggleBreakpointAtLine(code, line);
    }
  }

  private sendInstructions(): void {
    this.post({ kind: 'instructions', list: this.engine.instructions() });
  }

  // Performs a request, answers it and sends the view it left.
  handle(id: number, request: Request): void {
    let answer: unknown;
    try {
      answer = this.perform(request);
    } catch (error) {
      this.post({ kind: 'failed', id, message: this.failure(error) });
      return;
    }
    // A command that stops the run ends it here: no slice comes after it.
    if (!this.engine.running() && (this.running || this.pauseTimer !== null)) {
      this.stopPause();
      this.running = false;
    }
    this.post({ kind: 'answer', id, answer });
    if (changesInstructions.has(request.kind)) this.sendInstructions();
    if (!this.running || this.pauseTimer !== null) this.sendView();
  }

  // The run in progress waits for the console's input: no slice comes until
  // the student types (or acts otherwise).
  waitingForInput(): boolean {
    return !this.running && this.pauseTimer === null && this.engine.running();
  }

  private sendView(): void {
    this.lastView = performance.now();
    this.post({ kind: 'view', view: this.engine.view(this.memoryFirst, this.memoryRows) });
  }

  private runSlice(): void {
    if (!this.running) return;
    let state: RunState;
    try {
      state = this.engine.slice();
    } catch (error) {
      this.running = false;
      this.post({ kind: 'failed', message: this.failure(error) });
      return;
    }
    this.followRun(state);
  }

  // Goes on with a run, pauses it for input, or reports its end.
  private followRun(state: RunState): void {
    this.running = state.running && !state.waiting;
    if (this.running && state.pause) {
      // Each cycle is shown, then the run waits for the tempo.
      this.sendView();
      this.pauseTimer = setTimeout(() => {
        this.pauseTimer = null;
        this.runSlice();
      }, state.delay ?? 0);
      return;
    }
    if (this.running) {
      if (performance.now() - this.lastView >= viewInterval) this.sendView();
      this.yieldThen(() => this.runSlice());
      return;
    }
    this.sendView();
    if (!state.running) this.post({ kind: 'runEnded', state });
  }

  // A run paused for input or the tempo goes on now (or ends, after
  // "Przerwij").
  private resumeRun(): void {
    if (this.pauseTimer !== null) {
      clearTimeout(this.pauseTimer);
      this.pauseTimer = null;
      this.yieldThen(() => this.runSlice());
      return;
    }
    if (this.running || !this.engine.running()) return;
    this.running = true;
    this.yieldThen(() => this.runSlice());
  }

  // A command that stops the run: no slice comes after the pause.
  private stopPause(): void {
    if (this.pauseTimer === null) return;
    clearTimeout(this.pauseTimer);
    this.pauseTimer = null;
  }

  private perform(request: Request): unknown {
    return (this.handlers[request.kind] as (request: Request) => unknown)(request);
  }

  private readonly handlers: Handlers = {
    openText: (r) => this.engine.openText(r.name, r.bytes),
    encodeText: (r) => this.module.Engine.encodeText(r.text, r.encoding, r.lineEnd),
    saveQuestion: (r) => this.module.Engine.saveQuestion(r.text, r.encoding, r.name),
    loadList: (r) => this.engine.loadList(r.name, r.bytes),
    saveList: () => this.engine.saveList(),
    compileProgram: (r) => this.engine.compileProgram(r.text, r.breakpoints),
    setBreakpoints: (r) => nothing(() => this.engine.setBreakpoints(r.lines)),
    compileInstruction: (r) => this.engine.compileInstruction(r.text),
    checkProgram: (r) => this.engine.checkProgram(r.text),
    colour: (r) => this.engine.colour(r.program, r.text),
    completionWords: (r) => this.engine.completionWords(r.program),
    checkInstruction: (r) => this.module.Engine.checkInstruction(r.text),
    start: (r) => {
      const state = this.engine.start(r.command, r.line);
      // The run goes on after the answer, slice by slice.
      queueMicrotask(() => this.followRun(state));
      return state;
    },
    stop: () => {
      if (this.engine.requestStop()) this.resumeRun();
      return null;
    },
    reset: () => this.engine.reset(),
    stepBack: (r) => this.engine.stepBack(r.whole),
    enterRegister: (r) => this.engine.enterRegister(r.id, r.text),
    enterMemory: (r) => this.engine.enterMemory(r.address, r.text),
    registerValue: (r) => this.engine.registerValue(r.id),
    memoryValue: (r) => this.engine.memoryValue(r.address),
    deleteInstruction: (r) => this.engine.deleteInstruction(r.code),
    options: () => this.engine.options(),
    configure: (r) => this.engine.configure(r.options),
    toggleBreakpoint: (r) => this.engine.toggleBreakpointAtLine(r.code, r.line),
    toggleSignal: (r) => nothing(() => this.engine.toggleSignal(r.id)),
    registerModes: (r) => this.engine.registerModes(r.id),
    setDisplayMode: (r) => this.engine.setDisplayMode(r.id, r.mode),
    zeroRegister: (r) => this.engine.zeroRegister(r.id),
    clearMemory: () => nothing(() => this.engine.clearMemory()),
    clearConsole: () => nothing(() => this.engine.clearConsole()),
    editStopConditions: () => this.engine.editStopConditions(),
    addStopCondition: (r) => this.engine.addStopCondition(r.text),
    removeStopCondition: (r) => this.engine.removeStopCondition(r.index),
    clearStopConditions: () => this.engine.clearStopConditions(),
    setStopConditionChecked: (r) => this.engine.setStopConditionChecked(r.index, r.checked),
    commitStopConditions: () => nothing(() => this.engine.commitStopConditions()),
    stopOnChange: (r) => this.engine.stopOnChange(r.watch),
    keptStops: () => this.keptStops(),
    restoreStops: (r) => nothing(() => this.restoreStops(r.stops)),
    timing: (r) => this.engine.timing(r.registers),
    timingVcd: () => this.engine.timingVcd(),
    goToCycle: (r) => {
      // A later cycle is run forward to, as "Takt" runs, and may end so.
      const state = this.engine.goToCycle(r.number);
      if (state.box !== 'none') queueMicrotask(() => this.post({ kind: 'runEnded', state }));
      return state;
    },
    setManualControl: (r) => nothing(() => this.engine.setManualControl(r.manual)),
    setTrackingLevel: (r) => nothing(() => this.engine.setTrackingLevel(r.level)),
    setTempo: (r) => {
      this.engine.setTempo(r.milliseconds);
      return null;
    },
    restoreDefaultMachine: () => this.engine.restoreDefaultMachine(),
    fileKind: (r) => this.engine.fileKind(r.name),
    listChanged: () => this.engine.listChanged(),
    setListChanged: (r) => nothing(() => this.engine.setListChanged(r.changed)),
    exampleQuestion: (r) => this.engine.exampleQuestion(r.example, r.list),
    instructionsLacking: (r) => this.engine.instructionsLacking(r.name, r.bytes),
    taskQuestion: (r) => this.engine.taskQuestion(r.task, r.list),
    loadListKeeping: (r) => this.engine.loadListKeeping(r.name, r.bytes, r.keepOwn),
    checkTask: ({ task: t }) => this.engine.checkTask(t.suite, t.suiteFile, t.listName, t.list, t.inputs, t.files, t.cycleCap),
    raiseInterrupt: (r) => this.engine.raiseInterrupt(r.line),
    setInput: (r) => {
      if (this.engine.setInput(r.before, r.text)) this.resumeRun();
      return null;
    },
    memoryWindow: (r) => {
      this.memoryFirst = r.first;
      this.memoryRows = r.rows;
      return null;
    },
    engineMemory: () => this.module.HEAPU8.length,
    speed: (r) => this.module.Engine.speed(r.cycles),
    question: (r) => this.module.Engine.question(r.which, r.name),
    searchMessage: (r) => this.module.Engine.searchMessage(r.which),
  };
}
