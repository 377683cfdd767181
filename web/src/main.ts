// The page: the run commands, the program editor, the machine diagram and
// the console over the engine's worker.
import { EngineClient } from './engine-client';
import { MachineDiagram } from './diagram';
import { SourceEditor } from './editor';
import { askValue, boxOpen, showMessage } from './dialogs';
import type { Enabled, Outcome, RunCommand, RunState, View } from './protocol';
import { type Example, examplesByMachine } from './examples';
import { Storage } from './storage';

const $ = <T extends HTMLElement>(selector: string) => document.querySelector<T>(selector)!;

const storage = new Storage(window.localStorage);
let view: View | null = null;
let diagram: MachineDiagram | null = null;

const engine = new EngineClient('worker.js', {
  view(fresh) {
    view = fresh;
    diagram?.update(fresh);
    program.showCurrentLine(fresh.currentLine);
    updateCommands(fresh.enabled, fresh.running);
    showConsole(fresh);
  },
  runEnded(state) {
    void report(state);
  },
  failed(message) {
    void showMessage('error', message);
  },
});

// ---- the program editor ----

const work = storage.loadProgram();
const program = new SourceEditor($('#program-editor'), 'Program', work.text, (text) => storage.saveProgram(programName(), text));

function programName(): string {
  return $('#program-name').textContent ?? 'program.prg';
}
$('#program-name').textContent = work.name;

async function compile(): Promise<void> {
  program.clearError();
  const outcome = await engine.call({ kind: 'compileProgram', text: program.text });
  if (outcome.ok) {
    await showMessage('information', 'Program został skompilowany');
    return;
  }
  await failedCompile(outcome);
}

async function failedCompile(outcome: Outcome): Promise<void> {
  if (outcome.mark) program.markError(outcome.mark);
  $('#program-error').textContent = outcome.message;
  await showMessage('error', outcome.boxText);
  program.view.focus();
}

program.view.dom.addEventListener('input', () => ($('#program-error').textContent = ''));

// ---- the run commands ----

interface CommandButton {
  id: string;
  name: string; // the accessible name, as on the desktop
  key: string; // as the key handler names it
  keyLabel: string;
  act: () => void;
  enabled: (e: Enabled, running: boolean) => boolean;
}

const commands: CommandButton[] = [
  { id: 'cycle', name: 'Takt', key: 'F7', keyLabel: 'F7', act: () => start('cycle'), enabled: (e) => e.cycle },
  { id: 'instruction', name: 'Rozkaz', key: 'F8', keyLabel: 'F8', act: () => start('instruction'), enabled: (e) => e.instruction },
  { id: 'program', name: 'Program', key: 'F9', keyLabel: 'F9', act: () => start('program'), enabled: (e) => e.program },
  { id: 'to-line', name: 'Do kursora', key: 'F4', keyLabel: 'F4', act: () => start('toLine'), enabled: (e) => e.toLine },
  { id: 'stop', name: 'Przerwij', key: '', keyLabel: '', act: () => void engine.call({ kind: 'stop' }), enabled: () => true },
  { id: 'reset', name: 'Reset', key: 'Ctrl+F2', keyLabel: 'Ctrl+F2', act: () => void reset(), enabled: () => true },
  { id: 'back', name: 'Cofnij takt', key: 'Shift+F7', keyLabel: 'Shift+F7', act: () => void stepBack(false), enabled: (e) => e.stepBack },
  { id: 'back-instruction', name: 'Cofnij rozkaz', key: 'Shift+F8', keyLabel: 'Shift+F8', act: () => void stepBack(true), enabled: (e) => e.stepBackInstruction },
];

function buildCommands(): void {
  const bar = $('#run-commands');
  for (const command of commands) {
    const button = document.createElement('button');
    button.id = `command-${command.id}`;
    button.textContent = command.name;
    button.setAttribute('aria-label', command.name);
    if (command.keyLabel) {
      button.title = `${command.name} (${command.keyLabel})`;
      button.setAttribute('aria-keyshortcuts', command.keyLabel.replace('Ctrl', 'Control'));
    }
    button.addEventListener('click', command.act);
    bar.append(button);
  }
}

function updateCommands(enabled: Enabled, running: boolean): void {
  for (const command of commands) {
    const button = document.getElementById(`command-${command.id}`) as HTMLButtonElement | null;
    if (button) button.disabled = !command.enabled(enabled, running);
  }
  $('#compile').toggleAttribute('aria-busy', running);
  document.body.classList.toggle('running', running);
}

async function start(command: RunCommand): Promise<void> {
  if (view && !commands.find((c) => c.id === idOf(command))!.enabled(view.enabled, view.running)) return;
  await engine.call({ kind: 'start', command, line: program.caretLine });
}

function idOf(command: RunCommand): string {
  return command === 'toLine' ? 'to-line' : command;
}

async function report(state: RunState): Promise<void> {
  if (state.box === 'none') return;
  await showMessage(state.box, state.message);
}

async function reset(): Promise<void> {
  const outcome = await engine.call({ kind: 'reset' });
  if (!outcome.ok) await showMessage('error', outcome.boxText);
}

async function stepBack(whole: boolean): Promise<void> {
  await engine.call({ kind: 'stepBack', whole });
}

function keyName(event: KeyboardEvent): string {
  return (event.ctrlKey ? 'Ctrl+' : '') + (event.shiftKey ? 'Shift+' : '') + event.key;
}

document.addEventListener(
  'keydown',
  (event) => {
    if (boxOpen()) return;
    const name = keyName(event);
    if (name === 'Ctrl+F9') {
      event.preventDefault();
      void compile();
      return;
    }
    const command = commands.find((c) => c.key === name);
    if (!command) return;
    event.preventDefault();
    const button = document.getElementById(`command-${command.id}`) as HTMLButtonElement;
    if (!button.disabled) command.act();
  },
  true,
);

// ---- the diagram ----

async function enterRegister(id: number): Promise<void> {
  const question = await engine.call({ kind: 'registerValue', id });
  const text = await askValue(question.title, question.label, question.value);
  if (text === null) return;
  const outcome = await engine.call({ kind: 'enterRegister', id, text });
  if (!outcome.ok) await showMessage('error', outcome.boxText);
}

async function enterMemory(address: number): Promise<void> {
  const question = await engine.call({ kind: 'memoryValue', address });
  const text = await askValue(question.title, question.label, question.value);
  if (text === null) return;
  const outcome = await engine.call({ kind: 'enterMemory', address, text });
  if (!outcome.ok) await showMessage('error', outcome.boxText);
}

// ---- the console ----

function showConsole(fresh: View): void {
  const output = $('#console-output');
  if (output.textContent !== fresh.output) {
    output.textContent = fresh.output;
    output.scrollTop = output.scrollHeight;
  }
}

$<HTMLFormElement>('#console-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const input = $<HTMLInputElement>('#console-input');
  void engine.call({ kind: 'typeInput', text: input.value });
  input.value = '';
});

// ---- files and examples ----

async function openProgram(name: string, bytes: Uint8Array): Promise<boolean> {
  const opened = await engine.call({ kind: 'openText', name, bytes });
  if (!opened.ok) {
    await showMessage('error', opened.boxText);
    return false;
  }
  program.text = opened.text;
  program.clearError();
  $('#program-name').textContent = name;
  storage.saveProgram(name, opened.text, opened.encoding, opened.lineEnd);
  return true;
}

async function fetchBytes(path: string): Promise<Uint8Array> {
  const response = await fetch(path);
  return new Uint8Array(await response.arrayBuffer());
}

async function openExample(example: Example): Promise<void> {
  closeExamples();
  if (example.list) {
    const name = example.list.split('/').pop()!;
    const outcome = await engine.call({ kind: 'loadList', name, bytes: await fetchBytes(`examples/${example.list}`) });
    if (!outcome.ok) {
      await showMessage('error', outcome.boxText);
      return;
    }
  }
  await openProgram(example.file, await fetchBytes(`examples/${example.path}`));
  program.view.focus();
}

let examples: Example[] = [];

function buildExamples(): void {
  const menu = $('#examples-menu');
  menu.replaceChildren();
  for (const [machine, items] of examplesByMachine(examples)) {
    const group = document.createElement('li');
    group.setAttribute('role', 'presentation');
    group.className = 'group';
    group.textContent = machine;
    menu.append(group);
    for (const example of items) {
      const item = document.createElement('li');
      item.setAttribute('role', 'menuitem');
      item.tabIndex = -1;
      item.textContent = example.file;
      item.setAttribute('aria-label', `${machine}: ${example.file}`);
      item.addEventListener('click', () => void openExample(example));
      item.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' || event.key === ' ') {
          event.preventDefault();
          void openExample(example);
        }
      });
      menu.append(item);
    }
  }
}

function closeExamples(): void {
  $('#examples-menu').hidden = true;
  $('#examples').setAttribute('aria-expanded', 'false');
}

$('#examples').addEventListener('click', () => {
  const menu = $('#examples-menu');
  menu.hidden = !menu.hidden;
  $('#examples').setAttribute('aria-expanded', String(!menu.hidden));
  if (!menu.hidden) menu.querySelector<HTMLElement>('[role=menuitem]')?.focus();
});

$('#examples-menu').addEventListener('keydown', (event) => {
  const items = [...$('#examples-menu').querySelectorAll<HTMLElement>('[role=menuitem]')];
  const at = items.indexOf(document.activeElement as HTMLElement);
  if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    event.preventDefault();
    const next = (at + (event.key === 'ArrowDown' ? 1 : items.length - 1)) % items.length;
    items[next]?.focus();
  } else if (event.key === 'Escape') {
    closeExamples();
    $('#examples').focus();
  }
});

$('#compile').addEventListener('click', () => void compile());

// ---- start-up ----

async function startUp(): Promise<void> {
  buildCommands();
  const layout = await engine.ready;
  diagram = new MachineDiagram(layout, {
    enterRegister: (id) => void enterRegister(id),
    enterMemory: (address) => void enterMemory(address),
    toggleSignal: (id) => void engine.call({ kind: 'toggleSignal', id }),
  });
  $('#diagram').append(diagram.svg);
  diagram.svg.addEventListener('memoryscroll', (event) => {
    const first = diagram!.scrollMemory((event as CustomEvent<number>).detail);
    void engine.call({ kind: 'memoryWindow', first, rows: diagram!.visibleRows });
  });
  void engine.call({ kind: 'memoryWindow', first: 0, rows: diagram.visibleRows });
  if (view) diagram.update(view);
  examples = await (await fetch('examples/examples.json')).json();
  buildExamples();
  document.body.classList.add('ready');
}

void startUp();
