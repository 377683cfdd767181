// The work in progress, kept in the browser's storage after every change,
// so that a reload or a closed tab loses nothing: every open document with
// its text and how its file was stored.
import { wireNames, type DisplayMode, type Encoding, type KeptStops, type FileKind, type LineEnd } from './protocol';

export type DocumentKind = FileKind;

export interface DocumentWork {
  kind: DocumentKind;
  name: string;
  text: string;
  encoding: Encoding;
  lineEnd: LineEnd;
  breakpoints?: number[]; // a program's, lines from 1
  modified?: boolean; // changed since it was opened or saved
  // Its name is one the student gave: opened from a file or saved under it.
  // A new document or an example's copy asks for a name when first saved.
  named?: boolean;
  // Which document it is across the page's tabs, and how many times it was
  // written: a tab that writes over a revision it did not see forks it.
  id?: string;
  revision?: number;
}

export interface Work {
  documents: DocumentWork[];
  current: number;
}

// What a new document starts as.
export function newDocument(kind: DocumentKind, name?: string): DocumentWork {
  return { kind, name: name ?? (kind === 'program' ? 'program.prg' : 'rozkaz.rzk'), text: '', encoding: 'cp1250', lineEnd: 'crlf' };
}

// A new page: one empty program.
export const newWork = (): Work => ({ documents: [newDocument('program')], current: 0 });

const key = 'dorum.work';

// The longest text a document may have to be kept in the browser's storage,
// which holds about 5 MB for the whole page: a larger one stays in the page.
export const storedTextLimit = 1_000_000;

// A name as stored; work kept before names were stored has the engine's
// numbers, the names' places; anything else is the first name.
function storedName<N extends string>(names: readonly N[], stored: unknown): N {
  if (typeof stored === 'number' && Number.isInteger(stored) && names[stored] !== undefined) return names[stored]!;
  return names.includes(stored as N) ? (stored as N) : names[0]!;
}

function documentOf(value: unknown): DocumentWork | null {
  if (typeof value !== 'object' || value === null) return null;
  const d = value as Partial<DocumentWork>;
  if (typeof d.text !== 'string' || typeof d.name !== 'string') return null;
  return {
    kind: d.kind === 'instruction' ? 'instruction' : 'program',
    name: d.name,
    text: d.text,
    encoding: storedName(wireNames.encoding, d.encoding),
    lineEnd: storedName(wireNames.lineEnd, d.lineEnd),
    ...(d.modified === true ? { modified: true } : {}),
    ...(d.named === true ? { named: true } : {}),
    ...(typeof d.id === 'string' && d.id !== '' ? { id: d.id } : {}),
    ...(Number.isInteger(d.revision) ? { revision: d.revision } : {}),
    ...(Array.isArray(d.breakpoints) ? { breakpoints: d.breakpoints.filter((line): line is number => Number.isInteger(line) && line >= 1) } : {}),
  };
}

// What one write of the work came to: whether it was kept, the documents
// too large to keep, and those another tab of the page changed while this
// one changed them too: their version as it was kept, beside this tab's,
// which now stands as a document of its own.
export interface Saved {
  kept: boolean;
  left: DocumentWork[];
  changedElsewhere: DocumentWork[];
}

const newId = () => `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 10)}`;

// The work of every tab of the page in one place. Each tab writes the
// documents it changed and keeps those of other tabs it did not close, so
// two tabs never write over each other's work.
export class Storage {
  // The revision of each document this tab last read or wrote, and what it wrote.
  private readonly seen = new Map<string, number>();
  private readonly written = new Map<string, string>();
  private readonly closed = new Set<string>();

  constructor(private readonly store: Pick<globalThis.Storage, 'getItem' | 'setItem'>) {}

  load(): Work {
    const saved = this.read();
    if (saved.documents.length === 0) return newWork();
    for (const d of saved.documents) this.remember(d);
    return { documents: saved.documents, current: Math.min(Math.max(saved.current, 0), saved.documents.length - 1) };
  }

  // A document closed in this tab is not kept for it any more.
  forget(work: DocumentWork): void {
    if (work.id) this.closed.add(work.id);
  }

  // Keeps the work but for documents too large for the browser's storage,
  // which stay in the page alone.
  save(work: Work): Saved {
    const stored = this.read().documents;
    const changedElsewhere: DocumentWork[] = [];
    const kept: DocumentWork[] = [];
    const written: [DocumentWork, number | undefined][] = []; // each with its revision before
    for (const mine of work.documents.filter((d) => d.text.length <= storedTextLimit)) {
      const theirs = stored.find((d) => mine.id !== undefined && d.id === mine.id);
      if (mine.id !== undefined && this.written.get(mine.id) === contentOf(mine)) {
        kept.push(theirs ?? mine);
        continue;
      }
      if (theirs && this.seen.has(theirs.id!) && theirs.revision !== this.seen.get(theirs.id!)) {
        // Both tabs changed it: theirs stays as kept, and this tab's becomes a new document.
        changedElsewhere.push(theirs);
        this.remember(theirs);
        kept.push(theirs);
        delete mine.id;
      }
      mine.id ??= newId();
      written.push([mine, mine.revision]);
      mine.revision = (this.seen.get(mine.id) ?? 0) + 1;
      kept.push(mine);
    }
    // A document too large to keep leaves no older copy behind; one closed
    // here goes unless another tab changed it since this one looked.
    const ids = new Set([...kept, ...work.documents.filter((d) => d.text.length > storedTextLimit)].map((d) => d.id));
    const closedUnchanged = (d: DocumentWork) => this.closed.has(d.id!) && d.revision === this.seen.get(d.id!);
    const others = stored.filter((d) => d.id !== undefined && !ids.has(d.id) && !closedUnchanged(d));
    const shown = work.documents[work.current];
    const current = Math.max(kept.findIndex((d) => d === shown || (d.id !== undefined && d.id === shown?.id)), 0);
    const left = work.documents.filter((d) => d.text.length > storedTextLimit);
    try {
      this.store.setItem(key, JSON.stringify({ documents: [...kept, ...others], current }));
      for (const [d] of written) this.remember(d);
      return { kept: true, left, changedElsewhere };
    } catch {
      // A full or forbidden storage: the page goes on, the editors hold the
      // text, and the student is told to save to files. Nothing was written.
      for (const [d, before] of written) {
        if (before === undefined) delete d.revision;
        else d.revision = before;
      }
      return { kept: false, left, changedElsewhere };
    }
  }

  private read(): Work {
    try {
      const saved = JSON.parse(this.store.getItem(key) ?? 'null') as Partial<Work> | null;
      const documents = Array.isArray(saved?.documents) ? saved!.documents.map(documentOf).filter((d): d is DocumentWork => d !== null) : [];
      return { documents, current: typeof saved?.current === 'number' ? saved.current : 0 };
    } catch {
      // Storage that cannot be read starts afresh, as a new page would.
      return { documents: [], current: 0 };
    }
  }

  private remember(work: DocumentWork): void {
    if (work.id === undefined) return;
    this.seen.set(work.id, work.revision ?? 0);
    this.written.set(work.id, contentOf(work));
  }
}

// What a tab writes of a document, apart from its revision.
function contentOf(work: DocumentWork): string {
  const { revision: _, ...content } = work;
  return JSON.stringify(content);
}

// The machine's instruction list and configuration, as the list file the
// engine writes: kept after every change, loaded again at the next start.
export interface MachineWork {
  name: string;
  bytes: Uint8Array;
  changed?: boolean; // changed by the student since it was loaded
}

const machineKey = 'dorum.machine';

export function saveMachine(store: Pick<globalThis.Storage, 'setItem'>, work: MachineWork): void {
  try {
    let binary = '';
    for (const byte of work.bytes) binary += String.fromCharCode(byte);
    store.setItem(machineKey, JSON.stringify({ name: work.name, bytes: btoa(binary), changed: work.changed === true }));
  } catch {
    // A full or forbidden storage: the machine is built again from the files.
  }
}

export function loadMachine(store: Pick<globalThis.Storage, 'getItem'>): MachineWork | null {
  try {
    const saved = JSON.parse(store.getItem(machineKey) ?? 'null') as { name?: unknown; bytes?: unknown; changed?: unknown } | null;
    if (typeof saved?.name !== 'string' || typeof saved.bytes !== 'string') return null;
    const binary = atob(saved.bytes);
    return { name: saved.name, bytes: Uint8Array.from(binary, (c) => c.charCodeAt(0)), changed: saved.changed === true };
  } catch {
    return null;
  }
}

// The machine's controls the page keeps across reloads, as the desktop keeps
// its settings: the tracking level, the tempo, and the registers' formats
// (by register number).
export type Theme = 'system' | 'light' | 'dark';

export interface Settings {
  theme?: Theme;
  trackingLevel?: number;
  tempo?: number;
  displayModes?: Record<string, DisplayMode>;
}

const settingsKey = 'dorum.settings';

export function loadSettings(store: Pick<globalThis.Storage, 'getItem'>): Settings {
  try {
    const saved = JSON.parse(store.getItem(settingsKey) ?? 'null') as Settings | null;
    const settings: Settings = {};
    if (Number.isInteger(saved?.trackingLevel) && saved!.trackingLevel! >= 0 && saved!.trackingLevel! <= 2) settings.trackingLevel = saved!.trackingLevel!;
    if (Number.isInteger(saved?.tempo) && saved!.tempo! >= 0) settings.tempo = saved!.tempo!;
    if (saved?.theme === 'system' || saved?.theme === 'light' || saved?.theme === 'dark') settings.theme = saved.theme;
    if (typeof saved?.displayModes === 'object' && saved.displayModes !== null) {
      const modes = Object.entries(saved.displayModes).filter(([id, mode]) => /^\d+$/.test(id) && wireNames.displayMode.includes(mode));
      if (modes.length > 0) settings.displayModes = Object.fromEntries(modes);
    }
    return settings;
  } catch {
    return {};
  }
}

export function saveSettings(store: Pick<globalThis.Storage, 'getItem' | 'setItem'>, change: Settings): void {
  const settings = loadSettings(store);
  if (change.displayModes) change = { ...change, displayModes: { ...settings.displayModes, ...change.displayModes } };
  try {
    store.setItem(settingsKey, JSON.stringify({ ...settings, ...change }));
  } catch {
    // The settings are a comfort; the page goes on without keeping them.
  }
}

// The stop conditions and the cycle breakpoints survive a reload, as the
// rest of the student's work does. The stored value carries its version: a
// value of another version, or malformed, is ignored.
const stopsKey = 'dorum.stops';
const stopsVersion = 1;

export function loadStops(store: Pick<globalThis.Storage, 'getItem'>): KeptStops {
  const stops: KeptStops = { conditions: [], cycleBreakpoints: [] };
  try {
    const saved = JSON.parse(store.getItem(stopsKey) ?? 'null') as { version?: unknown; conditions?: unknown; cycleBreakpoints?: unknown } | null;
    if (saved?.version !== stopsVersion || !Array.isArray(saved.conditions) || !Array.isArray(saved.cycleBreakpoints)) return stops;
    for (const c of saved.conditions as { text?: unknown; enabled?: unknown }[]) {
      if (typeof c?.text === 'string' && typeof c.enabled === 'boolean') stops.conditions.push({ text: c.text, enabled: c.enabled });
    }
    for (const b of saved.cycleBreakpoints as { instruction?: unknown; line?: unknown }[]) {
      if (typeof b?.instruction === 'string' && Number.isInteger(b.line) && (b.line as number) >= 0) stops.cycleBreakpoints.push({ instruction: b.instruction, line: b.line as number });
    }
  } catch {
    // Nothing readable kept: nothing to put back.
  }
  return stops;
}

export function saveStops(store: Pick<globalThis.Storage, 'setItem'>, stops: KeptStops): void {
  try {
    store.setItem(stopsKey, JSON.stringify({ version: stopsVersion, ...stops }));
  } catch {
    // A full or forbidden storage: the stops last until the page is left.
  }
}
