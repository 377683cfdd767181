// The engine's side of the protocol: performs the page's requests on the
// engine and advances runs in slices. The worker wires it to its messages;
// tests drive it directly under node.
import type { InstructionEntry, LayoutItem, Notice, Request, RunState, View } from './protocol';
import { runCommandCode } from './protocol';

// The engine as web/engine/Bindings.cpp offers it.
export interface Engine {
  openText(name: string, bytes: Uint8Array): unknown;
  loadList(name: string, bytes: Uint8Array): unknown;
  saveList(): Uint8Array;
  compileProgram(text: string, breakpoints: number[]): unknown;
  setBreakpoints(lines: number[]): void;
  compileInstruction(text: string): unknown;
  checkProgram(text: string): unknown;
  colour(program: boolean, text: string): unknown;
  start(command: number, line: number): RunState;
  slice(): RunState;
  requestStop(): boolean;
  setTempo(milliseconds: number): boolean;
  restoreDefaultMachine(): unknown;
  fileKind(name: string): 'program' | 'instruction';
  listChanged(): boolean;
  setListChanged(changed: boolean): void;
  exampleQuestion(example: string, list: string): string;
  running(): boolean;
  reset(): unknown;
  stepBack(whole: boolean): boolean;
  enterRegister(id: number, text: string): unknown;
  enterMemory(address: number, text: string): unknown;
  toggleSignal(id: number): void;
  registerModes(id: number): unknown;
  setDisplayMode(id: number, mode: number): unknown;
  zeroRegister(id: number): unknown;
  clearMemory(): void;
  editStopConditions(): unknown;
  addStopCondition(text: string): unknown;
  removeStopCondition(index: number): unknown;
  clearStopConditions(): unknown;
  setStopConditionChecked(index: number, checked: boolean): unknown;
  commitStopConditions(): void;
  stopOnChange(watch: number): unknown;
  timing(count: number, registers: number[]): unknown;
  timingVcd(count: number): Uint8Array;
  goToCycle(number: number): RunState;
  deleteInstruction(code: number): unknown;
  options(): unknown;
  configure(options: object): unknown;
  toggleBreakpointAtLine(code: number, line: number): boolean;
  instructions(): InstructionEntry[];
  registerValue(id: number): unknown;
  memoryValue(address: number): unknown;
  setManualControl(manual: boolean): void;
  setTrackingLevel(level: number): void;
  raiseInterrupt(line: number): unknown;
  typeInput(text: string): boolean;
  view(firstRow: number, rows: number): View;
  delete(): void;
}

export interface EngineModule {
  Engine: {
    new (): Engine;
    layout(): LayoutItem[];
    encodeText(text: string, encoding: number, lineEnd: number): unknown;
    saveQuestion(text: string, encoding: number, name: string): string;
    speed(cycles: number): number;
    question(which: string, name: string): string;
    searchMessage(which: string): string;
    checkInstruction(text: string): unknown;
  };
}

// Views sent during a run: about one per frame.
const viewInterval = 30;

// The requests after which the instruction list may differ (a failed
// compile may still have added an instruction).
const changesInstructions = new Set<Request['kind']>(['compileInstruction', 'loadList', 'deleteInstruction', 'toggleBreakpoint', 'configure', 'restoreDefaultMachine']);

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
    post({ kind: 'ready', layout: module.Engine.layout() });
    this.sendInstructions();
    this.sendView();
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
      this.post({ kind: 'failed', id, message: String(error) });
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
      this.post({ kind: 'failed', message: String(error) });
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
    const engine = this.engine;
    switch (request.kind) {
      case 'openText':
        return engine.openText(request.name, request.bytes);
      case 'encodeText':
        return this.module.Engine.encodeText(request.text, request.encoding, request.lineEnd);
      case 'saveQuestion':
        return this.module.Engine.saveQuestion(request.text, request.encoding, request.name);
      case 'loadList':
        return engine.loadList(request.name, request.bytes);
      case 'saveList':
        return engine.saveList();
      case 'compileProgram':
        return engine.compileProgram(request.text, request.breakpoints);
      case 'setBreakpoints':
        engine.setBreakpoints(request.lines);
        return null;
      case 'compileInstruction':
        return engine.compileInstruction(request.text);
      case 'checkProgram':
        return engine.checkProgram(request.text);
      case 'colour':
        return engine.colour(request.program, request.text);
      case 'checkInstruction':
        return this.module.Engine.checkInstruction(request.text);
      case 'start': {
        const state = engine.start(runCommandCode[request.command], request.line);
        // The run goes on after the answer, slice by slice.
        queueMicrotask(() => this.followRun(state));
        return state;
      }
      case 'stop':
        if (engine.requestStop()) this.resumeRun();
        return null;
      case 'reset':
        return engine.reset();
      case 'stepBack':
        return engine.stepBack(request.whole);
      case 'enterRegister':
        return engine.enterRegister(request.id, request.text);
      case 'enterMemory':
        return engine.enterMemory(request.address, request.text);
      case 'registerValue':
        return engine.registerValue(request.id);
      case 'memoryValue':
        return engine.memoryValue(request.address);
      case 'deleteInstruction':
        return engine.deleteInstruction(request.code);
      case 'options':
        return engine.options();
      case 'configure':
        return engine.configure(request.options);
      case 'toggleBreakpoint':
        return engine.toggleBreakpointAtLine(request.code, request.line);
      case 'toggleSignal':
        engine.toggleSignal(request.id);
        return null;
      case 'registerModes':
        return engine.registerModes(request.id);
      case 'setDisplayMode':
        return engine.setDisplayMode(request.id, request.mode);
      case 'zeroRegister':
        return engine.zeroRegister(request.id);
      case 'clearMemory':
        engine.clearMemory();
        return null;
      case 'editStopConditions':
        return engine.editStopConditions();
      case 'addStopCondition':
        return engine.addStopCondition(request.text);
      case 'removeStopCondition':
        return engine.removeStopCondition(request.index);
      case 'clearStopConditions':
        return engine.clearStopConditions();
      case 'setStopConditionChecked':
        return engine.setStopConditionChecked(request.index, request.checked);
      case 'commitStopConditions':
        engine.commitStopConditions();
        return null;
      case 'stopOnChange':
        return engine.stopOnChange(request.watch);
      case 'timing':
        return engine.timing(request.count, request.registers);
      case 'timingVcd':
        return engine.timingVcd(request.count);
      case 'goToCycle': {
        // A later cycle is run forward to, as "Takt" runs, and may end so.
        const state = engine.goToCycle(request.number);
        if (state.box !== 'none') queueMicrotask(() => this.post({ kind: 'runEnded', state }));
        return state;
      }
      case 'setManualControl':
        engine.setManualControl(request.manual);
        return null;
      case 'setTrackingLevel':
        engine.setTrackingLevel(request.level);
        return null;
      case 'setTempo':
        engine.setTempo(request.milliseconds);
        return null;
      case 'restoreDefaultMachine':
        return engine.restoreDefaultMachine();
      case 'fileKind':
        return engine.fileKind(request.name);
      case 'listChanged':
        return engine.listChanged();
      case 'setListChanged':
        engine.setListChanged(request.changed);
        return null;
      case 'exampleQuestion':
        return engine.exampleQuestion(request.example, request.list);
      case 'raiseInterrupt':
        return engine.raiseInterrupt(request.line);
      case 'typeInput':
        if (engine.typeInput(request.text)) this.resumeRun();
        return null;
      case 'memoryWindow':
        this.memoryFirst = request.first;
        this.memoryRows = request.rows;
        return null;
      case 'speed':
        return this.module.Engine.speed(request.cycles);
      case 'question':
        return this.module.Engine.question(request.which, request.name);
      case 'searchMessage':
        return this.module.Engine.searchMessage(request.which);
    }
  }
}
