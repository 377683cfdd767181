// The page: the run commands, the editors, the machine diagram and the
// console over the engine's worker.
import { EngineClient } from './engine-client';
import { MachineDiagram } from './diagram';
import { askQuestion, askValue, askYesNo, askYesNoCancel, boxOpen, showMessage } from './dialogs';
import type { Enabled, Outcome, RunCommand, RunState, View } from './protocol';
import { type Example, examplesByMachine } from './examples';
import { Storage, loadMachine, saveMachine, type DocumentKind } from './storage';
import { Documents, type Document } from './documents';
import { downloadName, openFile, saveFile, type PickedFile } from './files';
import { FindPanel } from './find';
import { editStopConditions } from './stopconditions';
import { TimingPanel } from './timing';
import { pngPicture, svgPicture } from './picture';
import { buildMenuBar, isContextMenuKey, showContextMenu, type MenuItem, type Opener } from './menu';
import { InstructionList } from './instructions';
import { attachSeparator, loadSizes, saveSizes } from './layout';
import { showOptions } from './options';
import { arrowedTab } from './tabs';

const $ = <T extends HTMLElement>(selector: string) => document.querySelector<T>(selector)!;

let view: View | null = null;
// The page is ready once the worker's first view has arrived: before it,
// the diagram would stand without values.
let firstView: () => void = () => {};
const viewArrived = new Promise<void>((resolve) => (firstView = resolve));
let diagram: MachineDiagram | null = null;
// The program compiled last: the one that runs, whose next line is shown.
let bound: Document | null = null;

const engine = new EngineClient('worker.js', {
  view(fresh) {
    view = fresh;
    firstView();
    diagram?.update(fresh);
    for (const document of documents.all) document.editor.showCurrentLine(document === bound ? fresh.currentLine : 0);
    updateCommands(fresh.enabled, fresh.running);
    showConsole(fresh);
    instructionList.follow(fresh);
    showMachineControls(fresh);
    showWatches(fresh);
    followTiming(fresh);
  },
  instructions(list) {
    instructionList.setList(list);
    void keepMachine();
    for (const document of documents.all) if (document.kind === 'program') documents.colourer(document);
  },
  runEnded(state) {
    void report(state);
  },
  failed(message) {
    void showMessage('error', message);
  },
});

const documents = new Documents($('#editor-tabs'), $('#editor-panels'), $('.editor-panel .status'), new Storage(window.localStorage));

const instructionList = new InstructionList(
  $('#instruction-names'),
  $('#instruction-source'),
  $<HTMLButtonElement>('#delete-instruction'),
  $<HTMLButtonElement>('#toggle-breakpoint'),
  {
    deleteInstruction: async (code, name) => {
      // Only a clear yes deletes.
      if (!(await askYesNo(await engine.call({ kind: 'question', which: 'delete', name })))) return;
      const outcome = await engine.call({ kind: 'deleteInstruction', code });
      markListChanged();
      if (!outcome.ok) await showMessage('error', outcome.boxText);
    },
    toggleBreakpoint: (code, line) => void engine.call({ kind: 'toggleBreakpoint', code, line }),
  },
);

// The lower panel's tabs: the console and the instruction list.
function showLowerTab(tab: HTMLElement): void {
  for (const other of document.querySelectorAll<HTMLElement>('#lower-tabs [role=tab]')) {
    const selected = other === tab;
    other.setAttribute('aria-selected', String(selected));
    other.tabIndex = selected ? 0 : -1;
    document.getElementById(other.getAttribute('aria-controls')!)!.hidden = !selected;
  }
  if (tab.id === 'tab-timing') redrawTiming();
}
for (const tab of document.querySelectorAll<HTMLElement>('#lower-tabs [role=tab]')) tab.addEventListener('click', () => showLowerTab(tab));
$('#lower-tabs').addEventListener('keydown', (event) => {
  const tabs = [...document.querySelectorAll<HTMLElement>('#lower-tabs [role=tab]')];
  const index = arrowedTab(event.key, tabs.indexOf(document.activeElement as HTMLElement), tabs.length);
  if (index === null) return;
  const next = tabs[index]!;
  showLowerTab(next);
  next.focus();
});

// ---- compiling ----

// The program that runs stops at the breakpoints its editor shows.
documents.breakpointsChanged = (document) => {
  if (document === bound) void engine.call({ kind: 'setBreakpoints', lines: document.editor.breakpointLines });
};

// The words' colours from the engine's reader: as the student types, when a
// document opens, and for programs when the instruction list changes.
documents.colourer = async (document) => {
  const text = document.editor.text;
  const lines = await engine.call({ kind: 'colour', program: document.kind === 'program', text });
  document.editor.colour(text, lines);
};

// As the student types: the first error marked, the caret left alone.
documents.checker = async (document) => {
  const text = document.editor.text;
  const kind = document.kind === 'program' ? 'checkProgram' : 'checkInstruction';
  const outcome = await engine.call({ kind, text });
  // A text typed on meanwhile waits for its own check.
  if (document.editor.text !== text || documents.current !== document) return;
  if (outcome.ok) return;
  document.markError(outcome.mark, outcome.message, false);
};

async function compile(): Promise<void> {
  const document = documents.current;
  document.editor.clearError();
  document.status = '';
  if (document.kind === 'program') {
    const outcome = await engine.call({ kind: 'compileProgram', text: document.editor.text, breakpoints: document.editor.breakpointLines });
    if (!outcome.ok) return failedCompile(document, outcome);
    bound = document;
    await showMessage('information', outcome.information ?? '');
    await tellNotice(outcome);
  } else {
    const outcome = await engine.call({ kind: 'compileInstruction', text: document.editor.text });
    markListChanged();
    if (!outcome.ok) return failedCompile(document, outcome);
    await showMessage('information', outcome.information ?? '');
  }
}

// The stop conditions a compile, a list or the options left unchecked.
async function tellNotice(outcome: Outcome): Promise<void> {
  if (outcome.notice) await showMessage('information', outcome.notice);
}

async function failedCompile(document: Document, outcome: Outcome): Promise<void> {
  document.markError(outcome.mark, outcome.message);
  await showMessage('error', outcome.boxText);
  document.editor.view.focus();
}

// ---- the run commands ----

interface Command {
  id: string;
  name: string; // the accessible name, as on the desktop
  key?: string; // as keyName() names it
  act: () => void;
  enabled: (e: Enabled) => boolean;
}

const always = () => true;

const fileCommands: Command[] = [
  { id: 'new-program', name: 'Nowy program', act: () => void documents.create('program'), enabled: always },
  { id: 'new-instruction', name: 'Nowy rozkaz', act: () => void documents.create('instruction'), enabled: always },
  { id: 'open', name: 'Otwórz', key: 'F3', act: () => void open(), enabled: always },
  { id: 'save', name: 'Zapisz', key: 'F2', act: () => void save(false), enabled: always },
  { id: 'save-as', name: 'Zapisz jako', act: () => void save(true), enabled: always },
];

const runCommands: Command[] = [
  { id: 'cycle', name: 'Takt', key: 'F7', act: () => void start('cycle'), enabled: (e) => e.cycle },
  { id: 'instruction', name: 'Rozkaz', key: 'F8', act: () => void start('instruction'), enabled: (e) => e.instruction },
  { id: 'program', name: 'Program', key: 'F9', act: () => void start('program'), enabled: (e) => e.program },
  { id: 'to-line', name: 'Do kursora', key: 'F4', act: () => void start('toLine'), enabled: (e) => e.toLine },
  { id: 'stop', name: 'Przerwij', act: () => void engine.call({ kind: 'stop' }), enabled: always },
  { id: 'reset', name: 'Reset', key: 'Ctrl+F2', act: () => void reset(), enabled: always },
  { id: 'back', name: 'Cofnij takt', key: 'Shift+F7', act: () => void stepBack(false), enabled: (e) => e.stepBack },
  { id: 'back-instruction', name: 'Cofnij rozkaz', key: 'Shift+F8', act: () => void stepBack(true), enabled: (e) => e.stepBackInstruction },
];

const projectCommands: Command[] = [
  { id: 'options', name: 'Opcje ...', key: 'Ctrl+Shift+F11', act: () => void editOptions(), enabled: always },
  { id: 'save-list', name: 'Zapisz listę rozkazów', act: () => void saveList(), enabled: always },
];

async function editOptions(): Promise<void> {
  const options = await engine.call({ kind: 'options' });
  await showOptions(options, async (chosen) => {
    // The widths come from number fields: out of range, they are brought in.
    chosen.addressBits = Math.min(Math.max(Math.round(chosen.addressBits) || options.addressBits, options.minAddressBits), options.maxAddressBits);
    chosen.codeBits = Math.min(Math.max(Math.round(chosen.codeBits) || options.codeBits, options.minCodeBits), options.maxCodeBits);
    const outcome = await engine.call({ kind: 'configure', options: chosen });
    markListChanged();
    if (outcome.ok) {
      await tellNotice(outcome);
      return 0;
    }
    await showMessage('error', outcome.boxText);
    return outcome.line || -1;
  });
}

// Find and replace in the editor shown.
const findPanel = new FindPanel($('.editor-panel'), () => documents.current.editor.view, async (why) =>
  showMessage('error', await engine.call({ kind: 'searchMessage', which: why })),
);

// Commands of the menus alone.
const menuCommands: Command[] = [
  {
    id: 'stop-conditions',
    name: 'Warunki zatrzymania',
    act: () =>
      void editStopConditions({
        edit: () => engine.call({ kind: 'editStopConditions' }),
        add: (text) => engine.call({ kind: 'addStopCondition', text }),
        remove: (index) => engine.call({ kind: 'removeStopCondition', index }),
        clear: () => engine.call({ kind: 'clearStopConditions' }),
        check: (index, checked) => engine.call({ kind: 'setStopConditionChecked', index, checked }),
        commit: async () => void (await engine.call({ kind: 'commitStopConditions' })),
      }),
    enabled: always,
  },
];

const otherKeys: Command[] = [
  { id: 'compile', name: 'Kompiluj', key: 'Ctrl+F9', act: () => void compile(), enabled: always },
  { id: 'find', name: 'Znajdź...', key: 'Ctrl+F', act: () => findPanel.open(false), enabled: always },
  { id: 'find-next', name: 'Znajdź następny', key: 'Ctrl+L', act: () => void findPanel.findAgain(), enabled: always },
  { id: 'replace', name: 'Zamień', key: 'Ctrl+H', act: () => findPanel.open(true), enabled: always },
  { id: 'load-list', name: 'Ładuj listę rozkazów', key: 'Ctrl+F3', act: () => void openList(), enabled: always },
];

const buttonOf = (command: Command) => document.getElementById(`command-${command.id}`) as HTMLButtonElement | null;

function buildButtons(bar: HTMLElement, commands: Command[]): void {
  for (const command of commands) {
    const button = document.createElement('button');
    button.id = `command-${command.id}`;
    button.textContent = command.name;
    if (command.key) {
      button.title = `${command.name} (${command.key})`;
      button.setAttribute('aria-keyshortcuts', command.key.replace('Ctrl', 'Control'));
    }
    button.addEventListener('click', command.act);
    bar.append(button);
  }
}

function updateCommands(enabled: Enabled, running: boolean): void {
  for (const command of runCommands) {
    const button = buttonOf(command);
    if (button) button.disabled = !command.enabled(enabled);
  }
  document.body.classList.toggle('running', running);
}

async function start(command: RunCommand): Promise<void> {
  const line = documents.current === bound ? documents.current.editor.caretLine : (bound?.editor.caretLine ?? 0);
  await engine.call({ kind: 'start', command, line });
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
  // A letter is named by its capital, whatever Caps Lock says.
  const key = event.key.length === 1 ? event.key.toUpperCase() : event.key;
  return (event.ctrlKey ? 'Ctrl+' : '') + (event.shiftKey ? 'Shift+' : '') + key;
}

document.addEventListener(
  'keydown',
  (event) => {
    if (boxOpen()) return;
    const name = keyName(event);
    const command = [...fileCommands, ...projectCommands, ...runCommands, ...otherKeys].find((c) => c.key === name);
    if (!command) return;
    event.preventDefault();
    const button = buttonOf(command);
    if (!button || !button.disabled) command.act();
  },
  true,
);

// ---- the menu bar, as the desktop's ----

const commandById = (id: string) => [...fileCommands, ...projectCommands, ...runCommands, ...otherKeys, ...menuCommands].find((c) => c.id === id)!;

function menuItem(id: string, label?: string, separator = false): MenuItem {
  const command = commandById(id);
  const item: MenuItem = { label: label ?? command.name, act: command.act, enabled: () => (view ? command.enabled(view.enabled) : true), separator };
  if (command.key) item.key = command.key;
  return item;
}

function buildMenus(): void {
  buildMenuBar($('#menubar'), [
    {
      label: 'Plik',
      items: [
        { label: 'Nowy', items: [menuItem('new-program', 'Program'), menuItem('new-instruction', 'Rozkaz')] },
        menuItem('open', 'Otwórz...'),
        menuItem('save'),
        menuItem('save-as', 'Zapisz jako...'),
      ],
    },
    { label: 'Szukaj', items: [menuItem('find'), menuItem('find-next'), menuItem('replace')] },
    { label: 'Projekt', items: [menuItem('save-list'), menuItem('load-list'), menuItem('options')] },
    {
      label: 'Wykonaj',
      items: ['program', 'instruction', 'cycle', 'to-line', 'reset', 'stop'].map((id) => menuItem(id)).concat(menuItem('back', undefined, true), menuItem('back-instruction'), menuItem('stop-conditions', 'Warunki zatrzymania...', true)),
    },
    { label: 'Pomoc', items: [{ label: 'Zawartość', act: () => void window.open('help/index.html', '_blank', 'noopener') }] },
  ]);
}

// ---- the diagram ----

async function enterValue(question: { title: string; label: string; value: string }, enter: (text: string) => Promise<Outcome>): Promise<void> {
  const text = await askValue(question.title, question.label, question.value);
  if (text === null) return;
  const outcome = await enter(text);
  if (!outcome.ok) await showMessage('error', outcome.boxText);
}

const enterRegister = async (id: number) =>
  enterValue(await engine.call({ kind: 'registerValue', id }), (text) => engine.call({ kind: 'enterRegister', id, text }));
const enterMemory = async (address: number) =>
  enterValue(await engine.call({ kind: 'memoryValue', address }), (text) => engine.call({ kind: 'enterMemory', address, text }));

// A register's menu, as the desktop's: "Wpisz wartość", "Pokaż jako" and
// "Zeruj".
async function registerMenu(id: number, opener: Opener, at?: { x: number; y: number }): Promise<void> {
  const modes = await engine.call({ kind: 'registerModes', id });
  const failedWith = async (outcome: Outcome) => {
    if (!outcome.ok) await showMessage('error', outcome.boxText);
  };
  const items: MenuItem[] = [
    { label: 'Wpisz wartość', act: () => void enterRegister(id) },
    {
      label: 'Pokaż jako',
      items: modes.choices.map((choice) => ({
        label: choice.caption,
        checked: () => choice.mode === modes.current,
        act: () => void engine.call({ kind: 'setDisplayMode', id, mode: choice.mode }).then(failedWith),
      })),
    },
    { label: 'Zeruj', act: () => void engine.call({ kind: 'zeroRegister', id }).then(failedWith) },
  ];
  showContextMenu(items, 'Rejestr', opener, at);
}

// A diagram saved as a picture, under a name the student chooses.
async function savePicture(svg: SVGSVGElement, width: number, height: number, name: string, png: boolean): Promise<void> {
  try {
    const text = svgPicture(svg, width, height);
    const bytes = png ? await pngPicture(text, width, height) : new TextEncoder().encode(text);
    await saveFile(`${name}.${png ? 'png' : 'svg'}`, bytes, undefined, true, chooseName);
  } catch (error) {
    await showMessage('error', String(error));
  }
}

const saveDiagram = (png: boolean) => diagram && void savePicture(diagram.svg, 816, 477, 'schemat', png);

// The diagram's own menu.
function diagramMenu(opener: Opener, at?: { x: number; y: number }): void {
  showContextMenu(
    [
      { label: 'Zapisz schemat jako PNG...', act: () => saveDiagram(true) },
      { label: 'Zapisz schemat jako SVG...', act: () => saveDiagram(false) },
      { label: 'Wyczyść pamięć', act: () => void engine.call({ kind: 'clearMemory' }), separator: true },
    ],
    'Schemat',
    opener,
    at,
  );
}

// ---- tracking, tempo, manual control, interrupts ----

function showMachineControls(fresh: View): void {
  for (const radio of document.querySelectorAll<HTMLInputElement>('#tracking input')) radio.checked = Number(radio.value) === fresh.trackingLevel;
  $<HTMLInputElement>('#manual-control').checked = fresh.manualControl;
  $('#interrupts').hidden = !fresh.interruptButtons;
}

for (const radio of document.querySelectorAll<HTMLInputElement>('#tracking input'))
  radio.addEventListener('change', () => void engine.call({ kind: 'setTrackingLevel', level: Number(radio.value) }));
$<HTMLSelectElement>('#tempo').addEventListener('change', (event) =>
  void engine.call({ kind: 'setTempo', milliseconds: Number((event.target as HTMLSelectElement).value) }),
);
$<HTMLInputElement>('#manual-control').addEventListener('change', (event) =>
  void engine.call({ kind: 'setManualControl', manual: (event.target as HTMLInputElement).checked }),
);
for (let line = 1; line <= 4; ++line) {
  const button = document.createElement('button');
  button.textContent = String(line);
  button.setAttribute('aria-label', `Przerwanie ${line}`);
  button.title = `Przerwanie ${line}`;
  button.addEventListener('click', () =>
    void engine.call({ kind: 'raiseInterrupt', line }).then(async (outcome) => {
      if (!outcome.ok) await showMessage('error', outcome.boxText);
    }),
  );
  $('#interrupts').append(button);
}

// ---- the watches ----

function showWatches(fresh: View): void {
  const list = $('#watches');
  const rows = fresh.watches.map((w) => `${w.name}  ${w.content}`);
  const shown = [...list.children].map((li) => li.textContent);
  if (rows.length === shown.length && rows.every((row, k) => row === shown[k])) return;
  const selected = Math.min(selectedWatch(), rows.length - 1);
  list.replaceChildren(
    ...rows.map((row, index) => {
      const item = document.createElement('li');
      item.id = `watch-${index}`;
      item.setAttribute('role', 'option');
      item.setAttribute('aria-selected', String(index === selected));
      item.textContent = row;
      item.addEventListener('click', () => selectWatch(index));
      item.addEventListener('contextmenu', (event) => {
        event.preventDefault();
        selectWatch(index);
        watchMenu(item, { x: event.clientX, y: event.clientY });
      });
      return item;
    }),
  );
  if (selected >= 0) list.setAttribute('aria-activedescendant', `watch-${selected}`);
  else list.removeAttribute('aria-activedescendant');
}

const selectedWatch = () => [...$('#watches').children].findIndex((item) => item.getAttribute('aria-selected') === 'true');

function selectWatch(index: number): void {
  const items = [...$('#watches').children];
  items.forEach((item, k) => item.setAttribute('aria-selected', String(k === index)));
  if (items[index]) $('#watches').setAttribute('aria-activedescendant', items[index].id);
}

// As on the desktop: the watch's word stops a run when it changes.
function watchMenu(opener: Opener, at?: { x: number; y: number }): void {
  const watch = selectedWatch();
  if (watch < 0) return;
  showContextMenu(
    [
      {
        label: 'Zatrzymaj przy zmianie',
        act: () =>
          void engine.call({ kind: 'stopOnChange', watch }).then(async (outcome) => {
            if (!outcome.ok) await showMessage('error', outcome.boxText);
          }),
      },
    ],
    'Zmienne',
    opener,
    at,
  );
}

$('#watches').addEventListener('keydown', (event) => {
  const count = $('#watches').children.length;
  if (count === 0) return;
  const at = selectedWatch();
  if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    event.preventDefault();
    selectWatch(Math.min(Math.max(at + (event.key === 'ArrowDown' ? 1 : -1), 0), count - 1));
  } else if (isContextMenuKey(event)) {
    event.preventDefault();
    if (at < 0) selectWatch(0);
    watchMenu($('#watches'));
  }
});

// ---- the timing diagram ----

const timingPanel = new TimingPanel($('#timing'), $('#timing-empty'));
// The registers whose lanes the student chose, by the engine's numbers.
const timingRegisters: number[] = [];
let timingAsked = '';
let timingTimer: ReturnType<typeof setTimeout> | null = null;

// Looking back replays the history's cycles: only a panel in sight asks,
// and during a run at most four times a second.
function followTiming(fresh: View): void {
  if ($('#timing-panel').hidden) return;
  const key = `${fresh.cycles}/${timingRegisters.join(',')}`;
  if (key === timingAsked || timingTimer) return;
  timingAsked = key;
  void drawTiming();
  timingTimer = setTimeout(() => {
    timingTimer = null;
    if (view) followTiming(view);
  }, 250);
}

async function drawTiming(): Promise<void> {
  timingPanel.draw(await engine.call({ kind: 'timing', count: 400, registers: timingRegisters }));
}

function redrawTiming(): void {
  timingAsked = '';
  if (view) followTiming(view);
}

// A click on an earlier cycle steps back to the end of it.
timingPanel.svg.addEventListener('click', (event) => {
  const number = timingPanel.cycleAt(event.clientX);
  if (number !== null) void engine.call({ kind: 'goToCycle', number });
});

$('#timing-registers').addEventListener('click', (event) => {
  const registers = (diagram?.registers ?? []).map(({ id, caption }) => ({
    label: caption,
    checkbox: true,
    checked: () => timingRegisters.includes(id),
    act: () => {
      const at = timingRegisters.indexOf(id);
      if (at >= 0) timingRegisters.splice(at, 1);
      else timingRegisters.push(id);
      // The lanes keep the machine's order of registers.
      timingRegisters.sort((a, b) => a - b);
      redrawTiming();
    },
  }));
  showContextMenu(registers, 'Pokaż rejestr', event.currentTarget as HTMLElement);
});
for (const png of [true, false]) {
  $(png ? '#timing-png' : '#timing-svg').addEventListener('click', () => {
    const svg = timingPanel.svg;
    if (!timingPanel.hasCycles) return void showMessage('error', timingPanel.nothingToSave);
    void savePicture(svg, Number(svg.getAttribute('width')), Number(svg.getAttribute('height')), 'przebiegi', png);
  });
}
$('#timing-vcd').addEventListener('click', async () => {
  const bytes = await engine.call({ kind: 'timingVcd', count: 400 });
  if (bytes.length === 0) {
    await showMessage('error', timingPanel.nothingToSave);
    return;
  }
  try {
    await saveFile('przebiegi.vcd', bytes, undefined, true, chooseName);
  } catch (error) {
    await showMessage('error', String(error));
  }
});

// ---- the console ----

function showConsole(fresh: View): void {
  const output = $('#console-output');
  if (output.textContent !== fresh.output) {
    output.textContent = fresh.output;
    output.scrollTop = output.scrollHeight;
  }
}

// What is typed goes to the console's input at once, as on the desktop:
// a program waiting for a character goes on with the first key.
$<HTMLInputElement>('#console-input').addEventListener('input', (event) => {
  const input = event.target as HTMLInputElement;
  if (input.value === '') return;
  void engine.call({ kind: 'typeInput', text: input.value });
  input.value = '';
});
$<HTMLFormElement>('#console-form').addEventListener('submit', (event) => event.preventDefault());

// ---- files and examples ----

// Opens a file's bytes in the editor its name calls for (a list, too, opens
// as a text: only "Ładuj listę rozkazów" replaces the machine); a file the
// engine refuses opens nothing.
async function openBytes(file: PickedFile): Promise<boolean> {
  const kind: DocumentKind = await engine.call({ kind: 'fileKind', name: file.name });
  const opened = await engine.call({ kind: 'openText', name: file.name, bytes: file.bytes });
  if (!opened.ok) {
    await showMessage('error', opened.boxText);
    return false;
  }
  documents.open({ kind, name: file.name, text: opened.text, encoding: opened.encoding, lineEnd: opened.lineEnd }, file.handle);
  return true;
}

async function open(): Promise<void> {
  try {
    const file = await openFile();
    if (file) await openBytes(file);
  } catch (error) {
    await showMessage('error', String(error));
  }
}

// "Ładuj listę rozkazów": whatever its name, the file is read as a list.
async function openList(): Promise<void> {
  try {
    const file = await openFile(true);
    if (file) await loadList(file);
  } catch (error) {
    await showMessage('error', String(error));
  }
}

async function loadList(file: PickedFile): Promise<boolean> {
  const outcome = await engine.call({ kind: 'loadList', name: file.name, bytes: file.bytes });
  if (!outcome.ok) await showMessage('error', outcome.boxText);
  else {
    listName = file.name;
    await tellNotice(outcome);
  }
  return outcome.ok;
}

// Without a save dialog in the browser, "Zapisz jako" asks for the name
// the download gets.
async function chooseName(name: string): Promise<string | null> {
  const typed = await askValue('Zapisz jako', 'Nazwa pliku', name);
  return typed === null ? null : downloadName(typed, name);
}

async function save(ask: boolean): Promise<boolean> {
  const document = documents.current;
  const { work } = document;
  let encoding = work.encoding;
  const question = await engine.call({ kind: 'saveQuestion', text: work.text, encoding, name: work.name });
  if (question) {
    if (!(await askQuestion(question))) return false;
    encoding = 1; // UTF-8
  }
  const encoded = await engine.call({ kind: 'encodeText', text: work.text, encoding, lineEnd: work.lineEnd });
  if (!encoded.ok) {
    await showMessage('error', encoded.boxText);
    return false;
  }
  try {
    const saved = await saveFile(work.name, encoded.bytes, document.handle, ask, chooseName);
    if (!saved) return false;
    work.encoding = encoding;
    work.modified = false;
    document.handle = saved.handle;
    document.rename(saved.name);
    documents.save();
    return true;
  } catch (error) {
    await showMessage('error', String(error));
    return false;
  }
}

// The instruction list and the configuration, as a list file: over the
// file it was loaded from (the engine keeps what else that file held).
async function saveList(): Promise<void> {
  const bytes = await engine.call({ kind: 'saveList' });
  try {
    const saved = await saveFile(listName, bytes, undefined, true, chooseName);
    if (saved) listName = saved.name;
  } catch (error) {
    await showMessage('error', String(error));
  }
}
let listName = 'rozkazy.lst';
// The list changed (the engine keeps whether the student changed it since
// it was loaded).
function markListChanged(): void {
  void keepMachine();
}

// The instruction list and the configuration survive a reload: kept after
// each change, once the one kept before has been loaded again.
let machineRestored = false;
async function keepMachine(): Promise<void> {
  if (!machineRestored) return;
  const changed = await engine.call({ kind: 'listChanged' });
  saveMachine(window.localStorage, { name: listName, bytes: await engine.call({ kind: 'saveList' }), changed });
}

async function restoreMachine(): Promise<void> {
  const kept = loadMachine(window.localStorage);
  if (kept) {
    const outcome = await engine.call({ kind: 'loadList', name: kept.name, bytes: kept.bytes });
    // A list the loader stopped in (one fuller than its codes allow) is
    // still the student's as far as it went: its name and its change mark
    // stay, so an example's list asks before replacing it, and the box says
    // what stopped it.
    listName = kept.name;
    await engine.call({ kind: 'setListChanged', changed: kept.changed === true });
    if (!outcome.ok) void showMessage('error', outcome.boxText);
  }
  machineRestored = true;
}

async function fetchBytes(path: string): Promise<Uint8Array> {
  const response = await fetch(path);
  return new Uint8Array(await response.arrayBuffer());
}

// An example opens as a copy, on its machine: with the instruction list of
// its folder, or the default machine for a folder without one. Only the
// student's own changes to the list in use are worth a question.
async function openExample(example: Example): Promise<void> {
  closeExamples();
  const name = example.list?.split('/').pop() ?? '';
  const question = await engine.call({ kind: 'exampleQuestion', example: example.file, list: name });
  const answer = question ? await askYesNoCancel(question) : 'yes';
  if (answer === 'cancel') return;
  if (answer === 'yes' && !(await useExampleMachine(example, name))) return;
  await openBytes({ name: example.file, bytes: await fetchBytes(`examples/${example.path}`) });
}

async function useExampleMachine(example: Example, name: string): Promise<boolean> {
  if (example.list) return loadList({ name, bytes: await fetchBytes(`examples/${example.list}`) });
  const outcome = await engine.call({ kind: 'restoreDefaultMachine' });
  if (!outcome.ok) {
    await showMessage('error', outcome.boxText);
    return false;
  }
  listName = 'rozkazy.lst';
  await tellNotice(outcome);
  return true;
}

function buildExamples(examples: Example[]): void {
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
$('#close-document').addEventListener('click', () =>
  void documents.closeCurrent(async (document) => {
    const answer = await askYesNoCancel(await engine.call({ kind: 'question', which: 'modified', name: document.work.name }));
    if (answer === 'cancel') return false;
    return answer === 'no' || (await save(false));
  }),
);

// ---- the panels' sizes ----

const sizes = loadSizes(window.localStorage);
const applySizes = () => {
  document.body.style.setProperty('--editor-width', `${sizes.editorWidth}%`);
  document.body.style.setProperty('--lower-height', `${sizes.lowerHeight}%`);
  saveSizes(window.localStorage, sizes);
};
attachSeparator($('#split-editor'), $('main'), 'editorWidth', sizes, applySizes);
attachSeparator($('#split-lower'), $('.right-column'), 'lowerHeight', sizes, applySizes);

// ---- start-up ----

async function startUp(): Promise<void> {
  buildButtons($('#file-commands'), fileCommands);
  buildButtons($('#project-commands'), projectCommands);
  buildButtons($('#run-commands'), runCommands);
  buildMenus();
  const layout = await engine.ready;
  await restoreMachine();
  diagram = new MachineDiagram(layout, {
    enterRegister: (id) => void enterRegister(id),
    enterMemory: (address) => void enterMemory(address),
    toggleSignal: (id) => void engine.call({ kind: 'toggleSignal', id }),
    registerMenu: (id, opener, at) => void registerMenu(id, opener, at),
    diagramMenu,
  });
  $('#diagram').append(diagram.svg);
  diagram.svg.addEventListener('memoryscroll', (event) => {
    void engine.call({ kind: 'memoryWindow', first: (event as CustomEvent<number>).detail, rows: diagram!.visibleRows });
  });
  void engine.call({ kind: 'memoryWindow', first: 0, rows: diagram.visibleRows });
  await viewArrived;
  diagram.update(view!);
  buildExamples(await (await fetch('examples/examples.json')).json());
  document.body.classList.add('ready');
  // When the diagram first stands drawn, for the page's measures.
  performance.mark('dorum-ready');
}

void startUp();

// Once loaded, the page works offline: its service worker keeps every file.
if ('serviceWorker' in navigator) void navigator.serviceWorker.register('sw.js').catch(() => {});
