// The work in progress, kept in the browser's storage after every change,
// so that a reload or a closed tab loses nothing.

export interface ProgramWork {
  name: string;
  text: string;
  encoding: number; // the engine's numbers: 0 is code page 1250
  lineEnd: number; // 0 is CR LF
}

// The text a new page starts with.
export const newProgram: ProgramWork = { name: 'program.prg', text: '', encoding: 0, lineEnd: 0 };

const key = 'dorum.program';

export class Storage {
  constructor(private readonly store: Pick<globalThis.Storage, 'getItem' | 'setItem'>) {}

  loadProgram(): ProgramWork {
    try {
      const saved = JSON.parse(this.store.getItem(key) ?? 'null') as Partial<ProgramWork> | null;
      if (saved && typeof saved.text === 'string' && typeof saved.name === 'string') {
        return {
          name: saved.name,
          text: saved.text,
          encoding: typeof saved.encoding === 'number' ? saved.encoding : 0,
          lineEnd: typeof saved.lineEnd === 'number' ? saved.lineEnd : 0,
        };
      }
    } catch {
      // Storage that cannot be read starts afresh, as a new page would.
    }
    return { ...newProgram };
  }

  saveProgram(name: string, text: string, encoding?: number, lineEnd?: number): void {
    const previous = this.loadProgram();
    const work: ProgramWork = { name, text, encoding: encoding ?? previous.encoding, lineEnd: lineEnd ?? previous.lineEnd };
    try {
      this.store.setItem(key, JSON.stringify(work));
    } catch {
      // A full or forbidden storage: the page goes on, the editor holds the text.
    }
  }
}
