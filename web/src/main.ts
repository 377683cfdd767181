// The page: the run commands, the editors, the machine diagram and the
// console over the engine's worker. Each part lives in its own module; this
// one wires them to the engine's notices and starts the page.
import { EngineClient } from './engine-client';
import { askYesNo, showMessage } from './dialogs';
import { Documents, type StorageTrouble } from './documents';
import { Storage } from './storage';
import { StopsKeeper } from './kept-stops';
import { editStopConditions } from './stopconditions';
import { InstructionList } from './instructions';
import { showOptions } from './options';
import { applyTheme } from './theme';
import { Panels } from './panels';
import { $, Page, showOutcome } from './page';
import { Commands, type CommandActions } from './commands';
import { attachEditors, compile } from './editing';
import { Files } from './files-and-lists';
import { attachExamples, buildExamples } from './examples-menu';
import { Tasks } from './tasks';
import { attachMachineControls, reportEnd, reset, showMachineControls, start } from './run-commands';
import { createDiagram, restoreDisplayModes } from './machine-view';
import { attachWatches, showWatches } from './watches';
import { TimingView } from './timing-view';
import { attachConsole, showConsole } from './console';
import { attachHelpLink, caretWord, HelpPanel } from './help';
import type { View } from './protocol';
import { StatusBar } from './status-bar';

// Said when the engine cannot start; the engine's own texts are out of reach then.
const engineUnavailable =
  'Silnik symulatora nie wystartował, więc strona nie może działać. Otwórz ją z serwera WWW ' +
  '(adres http:// lub https://), a nie jako plik z dysku; serwer musi podawać pliki engine.js ' +
  "i worker.js, a jego Content-Security-Policy musi zezwalać na WebAssembly ('wasm-unsafe-eval') " +
  'i na skrypty oraz wątki z tego samego adresu.';

// The page is ready once the worker's first view has arrived: before it,
// the diagram would stand without values.
let firstView: () => void = () => {};
const viewArrived = new Promise<void>((resolve) => (firstView = resolve));

const engine = new EngineClient('worker.js', {
  view: (fresh) => showView(fresh),
  instructions(list) {
    instructionList.setList(list);
    help.setInstructions(list);
    void files.keepMachine();
    // The cycle breakpoints are the list's: kept with every change of it.
    void stops.keep();
    for (const document of documents.all) if (document.kind === 'program') documents.colourer(document);
    for (const document of documents.all) documents.completer(document);
  },
  runEnded: (state) => void reportEnd(state),
  failed: (message) => void showMessage('error', message),
  unavailable: () => void showMessage('error', engineUnavailable),
});
// Work the browser cannot keep is said at once: the student saves it to files.
async function tellStorageTrouble(trouble: StorageTrouble): Promise<void> {
  const [which, name] =
    'full' in trouble ? (['storageFull', ''] as const) : 'tooLarge' in trouble ? (['tooLarge', trouble.tooLarge] as const) : (['changedElsewhere', trouble.changedElsewhere] as const);
  await showMessage('error', await engine.call({ kind: 'question', which, name }));
}
const documents = new Documents(
  $('#editor-tabs'),
  $('#editor-panels'),
  $('.editor-panel .status'),
  new Storage(window.localStorage),
  (trouble) => void tellStorageTrouble(trouble),
);
const page = new Page(engine, documents);
const statusBar = new StatusBar(documents);
const files = new Files(page);
const stops = new StopsKeeper(engine);
page.keepStops = () => void stops.keep();
// The list changed: the engine keeps whether the student changed it since
// it was loaded; the page keeps the machine.
const listChanged = () => void files.keepMachine();
const findPanel = attachEditors(page, (ask) => files.save(ask));
const timing = new TimingView(page);
// The timing diagram is drawn when its tab comes forward.
const panels = new Panels(documents, (tab) => tab.id === 'tab-timing' && timing.redraw());
let commands: Commands | null = null;
const help = new HelpPanel(() => engine.call({ kind: 'options' }));
const tasks = new Tasks(page, files);

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
      listChanged();
      await showOutcome(outcome);
    },
    toggleBreakpoint: (code, line) => void engine.call({ kind: 'toggleBreakpoint', code, line }),
  },
);

function showView(fresh: View): void {
  page.view = fresh;
  firstView();
  page.diagram?.update(fresh);
  for (const document of documents.all) document.editor.showCurrentLine(document === page.bound ? fresh.currentLine : 0);
  commands?.show(fresh.enabled, fresh.running);
  showConsole(fresh);
  instructionList.follow(fresh);
  showMachineControls(fresh);
  showWatches(page, fresh);
  timing.follow(fresh);
  statusBar.showView(fresh);
}

// F1: the topic of the word at the caret of the editor being typed in, as
// on the desktop; for a word with none, or anywhere else, the contents.
async function helpAtCaret(): Promise<void> {
  const editor = documents.all.find((d) => d.editor.view.hasFocus)?.editor.view;
  const word = editor ? caretWord(editor) : '';
  if (!word || !(await help.showWord(word))) await help.showContents();
}

// "Opcje ...": written only when every field holds.
async function editOptions(): Promise<void> {
  const options = await engine.call({ kind: 'options' });
  await showOptions(options, async (chosen) => {
    // A number field left empty keeps the width the machine has.
    chosen.addressBits = Math.round(chosen.addressBits) || options.addressBits;
    chosen.codeBits = Math.round(chosen.codeBits) || options.codeBits;
    const outcome = await engine.call({ kind: 'configure', options: chosen });
    listChanged();
    return (await showOutcome(outcome)) ? 0 : outcome.line || -1;
  });
}

function editStops(): void {
  void editStopConditions({
    edit: () => engine.call({ kind: 'editStopConditions' }),
    add: (text) => engine.call({ kind: 'addStopCondition', text }),
    remove: (index) => engine.call({ kind: 'removeStopCondition', index }),
    clear: () => engine.call({ kind: 'clearStopConditions' }),
    check: (index, checked) => engine.call({ kind: 'setStopConditionChecked', index, checked }),
    commit: async () => {
      await engine.call({ kind: 'commitStopConditions' });
      await stops.keep();
    },
  });
}

const actions: CommandActions = {
  newProgram: () => void documents.create('program'),
  newInstruction: () => void documents.create('instruction'),
  open: () => void files.open(),
  save: () => void files.save(false),
  saveAs: () => void files.save(true),
  compile: () => void compile(page, listChanged),
  saveList: () => void files.saveList(),
  loadList: () => void files.openList(),
  options: () => void editOptions(),
  program: () => void start(page, 'program'),
  instruction: () => void start(page, 'instruction'),
  cycle: () => void start(page, 'cycle'),
  toLine: () => void start(page, 'toLine'),
  reset: () => void reset(page),
  stop: () => void engine.call({ kind: 'stop' }),
  stepBack: () => void engine.call({ kind: 'stepBack', whole: false }),
  stepBackInstruction: () => void engine.call({ kind: 'stepBack', whole: true }),
  stopConditions: editStops,
  helpContents: () => void help.showContents(),
  helpSearch: () => void help.showSearch(),
  helpTopic: () => void helpAtCaret(),
  find: () => findPanel.open(false),
  findNext: () => void findPanel.findAgain(),
  replace: () => findPanel.open(true),
};

async function startUp(): Promise<void> {
  applyTheme();
  attachConsole(page);
  attachWatches(page);
  attachExamples();
  attachHelpLink($<HTMLAnchorElement>('.toolbar .help'), help);
  const { layout, commands: table } = await engine.ready;
  Object.assign(actions, panels.actions(table.commands));
  commands = new Commands(page, table, actions);
  commands.buildToolBar($('#tool-bar'));
  commands.buildMenus($('#menubar'));
  commands.attachKeys();
  attachMachineControls(page, table);
  await files.restoreMachine();
  await stops.restore();
  await restoreDisplayModes(page, layout);
  page.diagram = createDiagram(page, layout, $('#diagram'));
  await viewArrived;
  page.diagram.update(page.view!);
  commands.show(page.view!.enabled, page.view!.running);
  buildExamples(page, files, await (await fetch('examples/examples.json')).json());
  tasks.attach();
  await tasks.load();
  document.body.classList.add('ready');
  void tasks.openFromAddress();
  // When the diagram first stands drawn, for the page's measures.
  performance.mark('dorum-ready');
}

void startUp();

// Leaving the page (a reload, a closed tab) asks first while a document
// holds changes not saved to a file: the browser keeps the texts, but the
// file on disk and the machine's state are the student's to keep.
window.addEventListener('beforeunload', (event) => {
  if (!documents.all.some((d) => d.work.modified)) return;
  event.preventDefault();
  event.returnValue = '';
});

// Once loaded, the page works offline: its service worker keeps every file.
// Browsers allow that only to a secure page (https://, or this computer);
// otherwise the student is told once, quietly, in the status line.
if ('serviceWorker' in navigator && window.isSecureContext) void navigator.serviceWorker.register('sw.js').catch(() => {});
else void noteNoOffline();

async function noteNoOffline(): Promise<void> {
  const noted = 'dorum.offlineNoted';
  if (window.localStorage.getItem(noted) !== null) return;
  await viewArrived;
  $('.editor-panel .status').textContent = await engine.call({ kind: 'question', which: 'noOffline', name: '' });
  try {
    window.localStorage.setItem(noted, '1');
  } catch {
    // Said again next time, then.
  }
}
