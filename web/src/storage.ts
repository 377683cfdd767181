// The work in progress, kept in the browser's storage after every change,
// so that a reload or a closed tab loses nothing: every open document with
// its text and how its file was stored.
import { wireNames, type Encoding, type FileKind, type LineEnd } from './protocol';

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
    ...(Array.isArray(d.breakpoints) ? { breakpoints: d.breakpoints.filter((line): line is number => Number.isInteger(line) && line >= 1) } : {}),
  };
}

export class Storage {
  constructor(private readonly store: Pick<globalThis.Storage, 'getItem' | 'setItem'>) {}

  load(): Work {
    try {
      const saved = JSON.parse(this.store.getItem(key) ?? 'null') as Partial<Work> | null;
      const documents = Array.isArray(saved?.documents) ? saved!.documents.map(documentOf).filter((d): d is DocumentWork => d !== null) : [];
      if (documents.length > 0) {
        const current = typeof saved!.current === 'number' ? saved!.current : 0;
        return { documents, current: Math.min(Math.max(current, 0), documents.length - 1) };
      }
    } catch {
      // Storage that cannot be read starts afresh, as a new page would.
    }
    return newWork();
  }

  // Keeps the work but for documents too large for the browser's storage,
  // which stay in the page alone. Whether it was kept, and the documents
  // left out.
  save(work: Work): { kept: boolean; left: DocumentWork[] } {
    const stored = work.documents.filter((d) => d.text.length <= storedTextLimit);
    const left = work.documents.filter((d) => d.text.length > storedTextLimit);
    const current = Math.max(stored.indexOf(work.documents[work.current]!), 0);
    try {
      this.store.setItem(key, JSON.stringify({ documents: stored, current }));
      return { kept: true, left };
    } catch {
      // A full or forbidden storage: the page goes on, the editors hold the
      // text, and the student is told to save to files.
      return { kept: false, left };
    }
  }
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
