// The editor panel: a tab for each open program or instruction, the one
// shown edited in a CodeMirror editor. Every change is kept in storage.
import { StateEffect } from '@codemirror/state';
import { EditorView } from '@codemirror/view';
import { SourceEditor } from './editor';
import { arrowedTab } from './tabs';
import { type DocumentKind, type DocumentWork, newDocument, Storage } from './storage';
import type { MarkRange } from './protocol';

export class Document {
  readonly editor: SourceEditor;
  readonly tab: HTMLButtonElement;
  readonly panel: HTMLElement;
  handle?: FileSystemFileHandle;

  constructor(
    public work: DocumentWork,
    tab: HTMLButtonElement,
    panel: HTMLElement,
    private readonly statusLine: HTMLElement,
    changed: () => void,
  ) {
    this.tab = tab;
    this.panel = panel;
    const label = work.kind === 'program' ? 'Program' : 'Rozkaz';
    const breakpointsChanged = () => {
      this.work.breakpoints = this.editor.breakpointLines;
      changed();
    };
    this.editor = new SourceEditor(
      panel,
      label,
      work.text,
      (text) => {
        this.work.text = text;
        this.work.modified = true;
        if (this.work.breakpoints) this.work.breakpoints = this.editor.breakpointLines;
        this.status = '';
        changed();
      },
      work.kind === 'program' ? breakpointsChanged : undefined,
    );
    if (work.breakpoints) this.editor.breakpointLines = work.breakpoints;
    this.rename(work.name);
  }

  get kind(): DocumentKind {
    return this.work.kind;
  }

  rename(name: string): void {
    this.work.name = name;
    this.tab.textContent = name;
  }

  // The editor's status line: the last compile's error, until the next edit.
  set status(message: string) {
    this.statusLine.textContent = message;
  }

  markError(mark: MarkRange | undefined, message: string, moveCaret = true): void {
    if (mark) this.editor.markError(mark, moveCaret);
    this.status = message;
  }
}

// The pause after the last key before a text is checked, in ms.
export const checkDelay = 500;

// What keeping the work in the browser ran into.
export type StorageTrouble = { full: true } | { tooLarge: string } | { changedElsewhere: string };

export class Documents {
  private readonly list: Document[] = [];
  private shown = -1;
  private checkTimer: ReturnType<typeof setTimeout> | null = null;
  // Checks the shown document's text as the student types.
  checker: (document: Document) => void = () => {};
  // Colours a document's text (as it is typed, and when it opens).
  colourer: (document: Document) => void = () => {};
  // Gives a document's editor the words it completes (when it opens).
  completer: (document: Document) => void = () => {};
  // A program's breakpoints changed (or moved with its lines).
  breakpointsChanged: (document: Document) => void = () => {};
  // The shown document, its caret or whether it is changed may differ.
  statusChanged: () => void = () => {};
  private storageFull = false;
  private readonly toldTooLarge = new WeakSet<DocumentWork>();

  constructor(
    private readonly tabs: HTMLElement,
    private readonly panels: HTMLElement,
    private readonly statusLine: HTMLElement,
    private readonly storage: Storage,
    // The work could not all be kept in the browser: the storage is full,
    // or a document is too large for it. Each is told once: the full
    // storage again only after it kept the work once more.
    private readonly storageTrouble: (trouble: StorageTrouble) => void,
  ) {
    const work = storage.load();
    for (const document of work.documents) this.add(document, false);
    this.show(work.current);
    tabs.addEventListener('keydown', (event) => this.moveBetweenTabs(event));
    attachScrollArrows(tabs);
    // The wheel moves along tabs too many to be seen at once.
    tabs.addEventListener(
      'wheel',
      (event) => {
        if (event.deltaY === 0 || tabs.scrollWidth <= tabs.clientWidth) return;
        event.preventDefault();
        tabs.scrollLeft += event.deltaY;
      },
      { passive: false },
    );
  }

  get current(): Document {
    return this.list[this.shown]!;
  }

  get all(): readonly Document[] {
    return this.list;
  }

  // Opens a document in a tab of its own and shows it.
  open(work: DocumentWork, handle?: FileSystemFileHandle): Document {
    const document = this.add(work, true);
    document.handle = handle;
    this.show(this.list.length - 1);
    this.save();
    return document;
  }

  create(kind: DocumentKind): Document {
    return this.open(newDocument(kind));
  }

  // Closes the shown tab; the last one becomes a new program. Unsaved
  // changes are not thrown away without a word: `confirm` asks first and
  // says whether to close.
  async closeCurrent(confirm: (document: Document) => Promise<boolean>): Promise<void> {
    if (this.current.work.modified && !(await confirm(this.current))) return;
    const [closed] = this.list.splice(this.shown, 1);
    if (closed) this.storage.forget(closed.work);
    closed?.tab.remove();
    closed?.panel.remove();
    if (this.list.length === 0) this.add(newDocument('program'), false);
    this.show(Math.min(this.shown, this.list.length - 1));
    this.save();
  }

  show(index: number): void {
    if (index !== this.shown) this.statusLine.textContent = '';
    this.shown = Math.min(Math.max(index, 0), this.list.length - 1);
    this.list.forEach((document, at) => {
      const selected = at === this.shown;
      document.tab.setAttribute('aria-selected', String(selected));
      document.tab.tabIndex = selected ? 0 : -1;
      document.panel.hidden = !selected;
      if (selected) document.tab.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    });
    this.save();
    this.statusChanged();
  }

  private scheduleCheck(): void {
    if (this.checkTimer !== null) clearTimeout(this.checkTimer);
    this.checkTimer = setTimeout(() => {
      this.checkTimer = null;
      this.checker(this.current);
    }, checkDelay);
  }

  save(): void {
    const { kept, left, changedElsewhere } = this.storage.save({ documents: this.list.map((d) => d.work), current: this.shown });
    // The other tab's version opens beside this tab's own, which stays shown.
    for (const work of changedElsewhere) {
      this.add(work, false);
      this.show(this.shown);
      this.storageTrouble({ changedElsewhere: work.name });
    }
    for (const work of left) {
      if (this.toldTooLarge.has(work)) continue;
      this.toldTooLarge.add(work);
      this.storageTrouble({ tooLarge: work.name });
    }
    if (!kept && !this.storageFull) this.storageTrouble({ full: true });
    this.storageFull = !kept;
    this.statusChanged();
  }

  private add(work: DocumentWork, focus: boolean): Document {
    const id = `document-${Date.now()}-${this.list.length}`;
    const tab = document.createElement('button');
    tab.setAttribute('role', 'tab');
    tab.id = `${id}-tab`;
    tab.setAttribute('aria-controls', `${id}-panel`);
    const panel = document.createElement('div');
    panel.className = 'editor';
    panel.id = `${id}-panel`;
    panel.setAttribute('role', 'tabpanel');
    panel.setAttribute('aria-labelledby', tab.id);
    this.tabs.append(tab);
    this.panels.append(panel);
    const doc: Document = new Document(work, tab, panel, this.statusLine, () => {
      this.save();
      this.scheduleCheck();
      this.colourer(doc);
      if (doc.kind === 'program') this.breakpointsChanged(doc);
    });
    tab.addEventListener('click', () => this.show(this.list.indexOf(doc)));
    doc.editor.view.dispatch({
      effects: StateEffect.appendConfig.of(
        EditorView.updateListener.of((update) => {
          if ((update.selectionSet || update.docChanged) && doc === this.current) this.statusChanged();
        }),
      ),
    });
    this.list.push(doc);
    queueMicrotask(() => this.colourer(doc));
    queueMicrotask(() => this.completer(doc));
    if (focus) queueMicrotask(() => doc.editor.view.focus());
    return doc;
  }

  private moveBetweenTabs(event: KeyboardEvent): void {
    const index = arrowedTab(event.key, this.shown, this.list.length);
    if (index === null) return;
    event.preventDefault();
    this.show(index);
    this.current.tab.focus();
  }
}

// "‹" and "›" beside a row of tabs too long for its panel, as a mouse's way
// along it (the keyboard goes by the arrows, the wheel scrolls too); each
// greyed at its end of the row, both hidden while every tab is in sight.
function attachScrollArrows(tabs: HTMLElement): void {
  const arrow = (text: string, label: string, direction: number) => {
    const button = document.createElement('button');
    button.className = 'tab-scroll';
    button.textContent = text;
    button.title = label;
    button.setAttribute('aria-label', label);
    button.tabIndex = -1;
    button.addEventListener('click', () => tabs.scrollBy({ left: direction * tabs.clientWidth * 0.75 }));
    return button;
  };
  const back = arrow('‹', 'Przewiń karty w lewo', -1);
  const forth = arrow('›', 'Przewiń karty w prawo', 1);
  tabs.before(back);
  tabs.after(forth);
  const refresh = () => {
    const overflows = tabs.scrollWidth > tabs.clientWidth + 1;
    back.hidden = forth.hidden = !overflows;
    back.disabled = tabs.scrollLeft <= 0;
    forth.disabled = tabs.scrollLeft + tabs.clientWidth >= tabs.scrollWidth - 1;
  };
  tabs.addEventListener('scroll', refresh, { passive: true });
  new ResizeObserver(refresh).observe(tabs);
  new MutationObserver(refresh).observe(tabs, { childList: true, subtree: true, characterData: true });
  refresh();
}
