// The engine's worker: it owns the simulated computer and advances runs in
// slices, so that the page never waits for the machine and "Przerwij" is
// heard between two slices.
import type { Envelope, LayoutItem, Notice, Request, RunState, View } from './protocol';
import { runCommandCode } from './protocol';

interface Engine {
  openText(name: string, bytes: Uint8Array): unknown;
  loadList(name: string, bytes: Uint8Array): unknown;
  saveList(): Uint8Array;
  compileProgram(text: string): unknown;
  compileInstruction(text: string): unknown;
  start(command: number, line: number): RunState;
  slice(milliseconds: number): RunState;
  requestStop(): void;
  reset(): unknown;
  stepBack(whole: boolean): boolean;
  enterRegister(id: number, text: string): unknown;
  enterMemory(address: number, text: string): unknown;
  toggleSignal(id: number): void;
  setManualControl(manual: boolean): void;
  typeInput(text: string): void;
  view(firstRow: number, rows: number): View;
  running(): boolean;
}

interface EngineModule {
  Engine: {
    new (): Engine;
    layout(): LayoutItem[];
    encodeText(text: string, encoding: number, lineEnd: number): unknown;
  };
}

declare function importScripts(...urls: string[]): void;
declare const createEngine: () => Promise<EngineModule>;

// A slice long enough that the turns between slices cost nothing, short
// enough that a key is answered at once.
const sliceMilliseconds = 15;
// Views sent during a run: about one per frame.
const viewInterval = 30;

const post = (notice: Notice) => (self as unknown as Worker).postMessage(notice);

let module: EngineModule;
let engine: Engine;
let memoryFirst = 0;
let memoryRows = 10;
let running = false;
let lastView = 0;

function sendView(): void {
  lastView = performance.now();
  post({ kind: 'view', view: engine.view(memoryFirst, memoryRows) });
}

// The next slice comes after the messages that arrived meanwhile: a message
// channel yields without the timers' minimum delay.
const channel = new MessageChannel();
channel.port1.onmessage = () => runSlice();
const nextSlice = () => channel.port2.postMessage(null);

function runSlice(): void {
  if (!running) return;
  let state: RunState;
  try {
    state = engine.slice(sliceMilliseconds);
  } catch (error) {
    running = false;
    post({ kind: 'failed', message: String(error) });
    return;
  }
  followRun(state);
}

// Goes on with a run, pauses it for input, or reports its end.
function followRun(state: RunState): void {
  running = state.running && !state.waiting;
  if (state.running && !state.waiting) {
    if (performance.now() - lastView >= viewInterval) sendView();
    nextSlice();
    return;
  }
  sendView();
  if (!state.running) post({ kind: 'runEnded', state });
}

function resumeRun(): void {
  if (running || !engine.running()) return;
  running = true;
  nextSlice();
}

function perform(request: Request): unknown {
  switch (request.kind) {
    case 'openText':
      return engine.openText(request.name, request.bytes);
    case 'encodeText':
      return module.Engine.encodeText(request.text, request.encoding, request.lineEnd);
    case 'loadList':
      running = false;
      return engine.loadList(request.name, request.bytes);
    case 'saveList':
      return engine.saveList();
    case 'compileProgram':
      running = false;
      return engine.compileProgram(request.text);
    case 'compileInstruction':
      running = false;
      return engine.compileInstruction(request.text);
    case 'start': {
      const state = engine.start(runCommandCode[request.command], request.line);
      // The run goes on after the answer, slice by slice.
      queueMicrotask(() => followRun(state));
      return state;
    }
    case 'stop':
      engine.requestStop();
      // A run paused for input ends now too.
      resumeRun();
      return null;
    case 'reset':
      running = false;
      return engine.reset();
    case 'stepBack':
      return engine.stepBack(request.whole);
    case 'enterRegister':
      return engine.enterRegister(request.id, request.text);
    case 'enterMemory':
      return engine.enterMemory(request.address, request.text);
    case 'toggleSignal':
      engine.toggleSignal(request.id);
      return null;
    case 'setManualControl':
      running = false;
      engine.setManualControl(request.manual);
      return null;
    case 'typeInput':
      engine.typeInput(request.text);
      // A run waiting for a character goes on.
      resumeRun();
      return null;
    case 'memoryWindow':
      memoryFirst = request.first;
      memoryRows = request.rows;
      return null;
  }
}

self.onmessage = (event: MessageEvent<Envelope>) => {
  const { id, request } = event.data;
  let answer: unknown;
  try {
    answer = perform(request);
  } catch (error) {
    post({ kind: 'failed', message: String(error) });
    return;
  }
  post({ kind: 'answer', id, answer });
  if (!running) sendView();
};

importScripts('engine.js');
createEngine().then((loaded) => {
  module = loaded;
  engine = new module.Engine();
  post({ kind: 'ready', layout: module.Engine.layout() });
  sendView();
});
