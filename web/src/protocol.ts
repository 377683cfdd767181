// The messages between the page and the engine's worker, said once: the
// engine's calls (web/engine/Bindings.cpp) are typed by the `Engine`
// interface of host.ts in these types, and the unit test contract.test.ts
// checks the engine built against both: every call, every name below.

// The names the engine's enumerations cross under, as its table of names
// gives them (contract.test.ts compares the two).
export const wireNames = {
  runCommand: ['cycle', 'instruction', 'program', 'toLine'],
  encoding: ['cp1250', 'utf8', 'utf8bom', 'utf16le', 'utf16be'],
  lineEnd: ['crlf', 'lf', 'cr'],
  displayMode: ['binary', 'unsigned', 'signed', 'hexadecimal', 'instruction'],
  wordKind: ['text', 'comment', 'keyword', 'signal', 'condition', 'label', 'number', 'character', 'directive', 'mnemonic', 'labelDefinition', 'semicolon'],
  boxKind: ['none', 'information', 'error'],
  itemKind: ['register', 'bus', 'memory', 'alu', 'signal', 'wire'],
  laneKind: ['signal', 'bus', 'register'],
  fileKind: ['program', 'instruction'],
} as const;

type Named<K extends keyof typeof wireNames> = (typeof wireNames)[K][number];
// The run commands: "Takt", "Rozkaz", "Program", "Do kursora".
export type RunCommand = Named<'runCommand'>;
export type Encoding = Named<'encoding'>;
export type LineEnd = Named<'lineEnd'>;
export type DisplayMode = Named<'displayMode'>;
export type WordKind = Named<'wordKind'>;
export type BoxKind = Named<'boxKind'>;
export type ItemKind = Named<'itemKind'>;
export type FileKind = Named<'fileKind'>;

// The page's commands, by the names the engine's command table gives them.
export const commandNames = [
  'newProgram', 'newInstruction', 'open', 'save', 'saveAs', 'compile', 'saveList', 'loadList', 'options',
  'program', 'instruction', 'cycle', 'toLine', 'reset', 'stop', 'stepBack', 'stepBackInstruction',
  'stopConditions', 'helpContents', 'find', 'findNext', 'replace', 'deleteInstruction', 'manualControl',
  'clearMemory', 'goToCycle', 'openExample', 'windowList', 'viewEditor', 'viewInstructions', 'viewWatches',
  'viewCpu', 'viewConsole', 'viewTiming', 'restoreLayout', 'helpTopic', 'helpSearch',
] as const;
export type CommandName = (typeof commandNames)[number];

// A command as the table describes it: its menu ('' for none, "Plik/Nowy"
// for a submenu), its menu entry with "&" before the mnemonic, what its
// tool button shows, and its key.
export interface CommandRow {
  name: CommandName;
  menu: string;
  separator: boolean; // a line before its menu entry
  menuText: string;
  button: string;
  key: string;
}

// The command table, the menu bar's menus in order, and the tempos.
export interface PageCommands {
  commands: CommandRow[];
  menus: { menu: string; text: string }[];
  // The tool bar's buttons in order; one without a name is the gap between
  // two groups. The icon is the file "icons/<icon>.svg".
  toolBar: { name: CommandName | ''; icon: string }[];
  tempos: { milliseconds: number; text: string }[];
  defaultTempo: number;
}

// The bundled examples of one machine: its list ('' for the default
// machine) and its programs, named "folder/file".
export interface ExampleSet {
  machine: string;
  list: string;
  programs: string[];
}

// What a call that may fail answers: the message in the box's words, with
// the line and column (from 1) of the word a compile stopped at.
export interface Outcome {
  ok: boolean;
  message: string; // as an editor's status line shows it
  boxText: string; // as the error box shows it
  line: number;
  column: number;
  mark?: MarkRange; // what the editor marks, when the error has a place
  notice?: string; // after a success: stop conditions no longer checked
  information?: string; // after a success: what the information box says
}

// Characters of a line (from 1) an editor marks, counted from 0, end excluded.
export interface MarkRange {
  line: number;
  begin: number;
  end: number;
}

// A text file opened through the engine: its lines joined by "\n", and the
// encoding and line ends it is saved back with.
export interface OpenedText extends Outcome {
  text: string;
  encoding: Encoding;
  lineEnd: LineEnd;
}

export interface EncodedText extends Outcome {
  bytes: Uint8Array;
}

// Where a run stands: going on, waiting for console input, or ended with the
// box to show.
export interface RunState {
  running: boolean;
  waiting: boolean;
  pause?: boolean; // highest tracking level: a cycle to show, then the tempo's pause
  delay?: number; // the pause before the next slice, in ms
  box: BoxKind;
  message: string;
}

// One item of the machine diagram in design units (816 × 477).
export interface LayoutItem {
  kind: ItemKind;
  id: number;
  x: number;
  y: number;
  width: number;
  height: number;
  right: boolean; // a signal's caption stands left of its line
  arrow: 'start' | 'stop' | 'none';
  horizontal: boolean;
  name: string;
}

// What an item shows now.
export interface ItemView {
  shown: boolean;
  active: boolean;
  text: string;
  impulse?: boolean;
}

// Whether each command may be given now.
export type Enabled = Record<CommandName, boolean>;

// Everything the page draws, in the layout's order.
export interface View {
  items: ItemView[];
  memory: string[]; // the rows asked for: "address  word  code"
  memorySize: number;
  running: boolean;
  currentLine: number; // the program's line that runs next, 0 for none
  shownInstruction: number; // the code of the instruction performed last, -1 for none
  shownCycleLine: number; // the line (from 0) of its source where that cycle begins
  cycles: number;
  runCycles: number; // the cycles and instructions of the last run, or of the one going on
  runInstructions: number;
  manualControl: boolean;
  trackingLevel: number; // 0 program, 1 instruction, 2 cycle
  interruptButtons: boolean;
  watches: { name: string; content: string }[]; // "name [ address ]" and the word as shown
  output: string;
  input: string;
  enabled: Enabled;
}

// The page's requests. Each is answered once, with the same id.
export type Request =
  | { kind: 'openText'; name: string; bytes: Uint8Array }
  | { kind: 'encodeText'; text: string; encoding: Encoding; lineEnd: LineEnd }
  | { kind: 'saveQuestion'; text: string; encoding: Encoding; name: string }
  | { kind: 'loadList'; name: string; bytes: Uint8Array }
  | { kind: 'saveList' }
  | { kind: 'compileProgram'; text: string; breakpoints: number[] }
  | { kind: 'setBreakpoints'; lines: number[] }
  | { kind: 'compileInstruction'; text: string }
  | { kind: 'checkProgram'; text: string }
  | { kind: 'checkInstruction'; text: string }
  | { kind: 'colour'; program: boolean; text: string }
  | { kind: 'completionWords'; program: boolean }
  | { kind: 'start'; command: RunCommand; line: number }
  | { kind: 'stop' }
  | { kind: 'reset' }
  | { kind: 'stepBack'; whole: boolean }
  | { kind: 'enterRegister'; id: number; text: string }
  | { kind: 'enterMemory'; address: number; text: string }
  | { kind: 'toggleSignal'; id: number }
  | { kind: 'registerModes'; id: number }
  | { kind: 'setDisplayMode'; id: number; mode: DisplayMode }
  | { kind: 'zeroRegister'; id: number }
  | { kind: 'clearMemory' }
  | { kind: 'clearConsole' }
  | { kind: 'editStopConditions' }
  | { kind: 'addStopCondition'; text: string }
  | { kind: 'removeStopCondition'; index: number }
  | { kind: 'clearStopConditions' }
  | { kind: 'setStopConditionChecked'; index: number; checked: boolean }
  | { kind: 'commitStopConditions' }
  | { kind: 'stopOnChange'; watch: number }
  | { kind: 'keptStops' }
  | { kind: 'restoreStops'; stops: KeptStops }
  | { kind: 'timing'; registers: number[] }
  | { kind: 'timingVcd' }
  | { kind: 'goToCycle'; number: number }
  | { kind: 'deleteInstruction'; code: number }
  | { kind: 'options' }
  | { kind: 'configure'; options: ChosenOptions }
  | { kind: 'toggleBreakpoint'; code: number; line: number }
  | { kind: 'registerValue'; id: number }
  | { kind: 'memoryValue'; address: number }
  | { kind: 'setManualControl'; manual: boolean }
  | { kind: 'setTrackingLevel'; level: number }
  | { kind: 'setTempo'; milliseconds: number }
  | { kind: 'restoreDefaultMachine' }
  | { kind: 'fileKind'; name: string }
  | { kind: 'listChanged' }
  | { kind: 'setListChanged'; changed: boolean }
  | { kind: 'exampleQuestion'; example: string; list: string }
  | { kind: 'taskQuestion'; task: string; list: string }
  | { kind: 'loadListKeeping'; name: string; bytes: Uint8Array; keepOwn: boolean }
  | { kind: 'checkTask'; task: TaskCheck }
  | { kind: 'instructionsLacking'; name: string; bytes: Uint8Array }
  | { kind: 'raiseInterrupt'; line: number }
  | { kind: 'setInput'; before: string; text: string }
  | { kind: 'memoryWindow'; first: number; rows: number }
  | { kind: 'engineMemory' }
  | { kind: 'speed'; cycles: number }
  | { kind: 'question'; which: 'delete' | 'modified' | 'storageFull' | 'tooLarge' | 'changedElsewhere' | 'noOffline'; name: string }
  | { kind: 'searchMessage'; which: 'emptyFind' | 'emptyReplace' | 'notFound' };

// What each request answers.
export interface Answers {
  openText: OpenedText;
  encodeText: EncodedText;
  saveQuestion: string; // empty: nothing to ask
  loadList: Outcome;
  saveList: Uint8Array;
  compileProgram: Outcome;
  setBreakpoints: null;
  compileInstruction: Outcome;
  checkProgram: Outcome;
  checkInstruction: Outcome;
  colour: ColourPiece[][]; // for each line
  completionWords: string[]; // sorted regardless of case, each once
  start: RunState;
  stop: null;
  reset: Outcome;
  stepBack: boolean;
  enterRegister: Outcome;
  enterMemory: Outcome;
  toggleSignal: null;
  registerModes: RegisterModes;
  setDisplayMode: Outcome;
  zeroRegister: Outcome;
  clearMemory: null;
  clearConsole: null;
  editStopConditions: { rows: StopConditionRow[]; note: string };
  addStopCondition: { ok: boolean; message: string; index: number; rows: StopConditionRow[] };
  removeStopCondition: StopConditionRow[];
  clearStopConditions: StopConditionRow[];
  setStopConditionChecked: StopConditionRow[];
  commitStopConditions: null;
  stopOnChange: Outcome;
  keptStops: KeptStops;
  restoreStops: null;
  timing: Timing;
  timingVcd: Uint8Array;
  goToCycle: RunState; // a later cycle is run forward to and may end so
  deleteInstruction: Outcome;
  options: MachineOptions;
  configure: Outcome; // line: the field at fault, 1-4 a vector's address, 5-8 a device's number
  toggleBreakpoint: boolean;
  registerValue: ValueQuestion;
  memoryValue: ValueQuestion;
  setManualControl: null;
  setTrackingLevel: null;
  setTempo: null;
  restoreDefaultMachine: Outcome;
  fileKind: FileKind; // the editor "Otwórz" opens the file in
  listChanged: boolean; // whether the student changed the list since it was loaded
  setListChanged: null;
  exampleQuestion: string; // empty: nothing to ask
  taskQuestion: string; // empty: nothing to ask
  loadListKeeping: Outcome;
  checkTask: TaskCheckResult;
  instructionsLacking: string[]; // the current list's instructions that list lacks
  raiseInterrupt: Outcome;
  setInput: null;
  memoryWindow: null;
  engineMemory: number; // bytes the engine's memory spans; it grows and never shrinks
  speed: number; // cycles per second of the yardstick loop, 0 if it failed
  question: string;
  searchMessage: string;
}

// "Sprawdź": a task's public suite, the teacher's list and input files,
// and the student's current texts by file name.
export interface TaskCheck {
  suite: string; // the suite's JSON text
  suiteFile: string; // "iloczyn.json", as the messages name it
  listName: string;
  list: Uint8Array; // empty: the default machine
  inputs: Record<string, string>; // by the path the suite names
  files: Record<string, string>;
  cycleCap: number; // no case runs longer
}

export interface TaskCaseResult {
  name: string;
  outcome: string; // "passed", "wrong"... as the command line's reports name it
  mark: string; // "ok", "źle"...
  meaning: string;
  message: string;
  points: number; // earned
  maxPoints: number;
  cycles: number;
  capped: boolean; // its limit was cut to the cap
}

export interface TaskCheckResult {
  error: string; // a suite that cannot be read; then no cases
  cases: TaskCaseResult[];
}

// A register's "Pokaż jako" choices and the one it shows now.
export interface RegisterModes {
  choices: { caption: string; mode: DisplayMode }[];
  current: DisplayMode;
}

// What stops a run, as the page keeps it across a reload: the conditions
// in force as written, with the student's choice, and the cycle
// breakpoints by instruction name and line.
export interface KeptStops {
  conditions: { text: string; enabled: boolean }[];
  cycleBreakpoints: { instruction: string; line: number }[];
}

// A stop condition as its dialog lists it: one whose names no longer
// resolve says why and cannot be checked.
export interface StopConditionRow {
  text: string;
  checked: boolean;
  checkable: boolean;
}

// "Przebiegi czasowe": the lanes (signals active in the cycles, the buses,
// the registers chosen) and the recorded cycles, oldest first: each lane's
// value (null where a bus was not driven) and its text for buses and
// registers; the instruction a fetch brought in, else ''.
export interface Timing {
  lanes: { name: string; kind: Named<'laneKind'> }[];
  cycles: { number: number; instruction: string; values: (number | null)[]; texts: string[] }[];
  current: number; // the current cycle's index; those after it were stepped back over
  empty: string; // what the panel says while there are no cycles
  nothingToSave: string; // the box for a picture or dump asked for then
}

// What the value box asks before a value is entered.
export interface ValueQuestion {
  title: string;
  label: string;
  value: string;
}

// The options dialog: what it offers and what the machine has now. The
// components are the ten options in order; the devices are the input port,
// the output port, the input interrupt and the output interrupt.
export interface MachineOptions {
  addressBits: number;
  codeBits: number;
  minAddressBits: number;
  maxAddressBits: number;
  minCodeBits: number;
  maxCodeBits: number;
  components: boolean[];
  componentLabels: string[];
  presets: { name: string; components: boolean[] }[];
  vectors: { label: string; address: string }[];
  devices: string[];
}

export interface ChosenOptions {
  addressBits: number;
  codeBits: number;
  components: boolean[];
  vectorLabels: string[];
  vectorAddresses: string[];
  devices: string[];
}

// A coloured piece of a line: its first character (from 0), its length in
// characters and its kind.
export type ColourPiece = [number, number, WordKind];

// An instruction of the list, in code order.
export interface InstructionEntry {
  name: string;
  lines: string[];
  cycleLines: number[]; // where each cycle begins (from 0)
  breakpointLines: number[];
}

export interface Envelope {
  id: number;
  request: Request;
}

// From the worker: an answer, a fresh view (after every request and during
// runs, at most once a frame), the instruction list when it may have
// changed, the end of a run, the start-up's layout, or a failure (of the
// request with that id, whose promise it rejects).
export type Notice =
  | { kind: 'ready'; layout: LayoutItem[]; commands: PageCommands }
  | { kind: 'answer'; id: number; answer: unknown }
  | { kind: 'view'; view: View }
  | { kind: 'instructions'; list: InstructionEntry[] }
  | { kind: 'runEnded'; state: RunState }
  | { kind: 'failed'; id?: number; message: string };
