// Files: opening and saving documents, the instruction list's file, the
// machine kept across reloads, pictures saved under a chosen name.
import { askQuestion, askValue } from './dialogs';
import { downloadName, openFile, saveFile, type PickedFile } from './files';
import { showFailure, showOutcome, type Page } from './page';
import { pngPicture, svgPicture } from './picture';
import { loadMachine, saveMachine } from './storage';

// Without a save dialog in the browser, "Zapisz jako" asks for the name
// the download gets.
export async function chooseName(name: string): Promise<string | null> {
  const typed = await askValue('Zapisz jako', 'Nazwa pliku', name);
  return typed === null ? null : downloadName(typed, name);
}

// Bytes saved under a name the student chooses; a failure told.
export async function saveChosen(name: string, bytes: Uint8Array): Promise<string | null> {
  try {
    return (await saveFile(name, bytes, undefined, true, chooseName))?.name ?? null;
  } catch (error) {
    await showFailure(error);
    return null;
  }
}

// A diagram saved as a picture.
export async function savePicture(svg: SVGSVGElement, width: number, height: number, name: string, png: boolean): Promise<void> {
  try {
    const text = svgPicture(svg, width, height);
    await saveChosen(`${name}.${png ? 'png' : 'svg'}`, png ? await pngPicture(text, width, height) : new TextEncoder().encode(text));
  } catch (error) {
    await showFailure(error);
  }
}

export class Files {
  constructor(private readonly page: Page) {}

  // Opens a file's bytes in the editor its name calls for (a list, too,
  // opens as a text: only "Ładuj listę rozkazów" replaces the machine); a
  // file the engine refuses opens nothing. An example opens as a copy,
  // not `named`: its first save asks where.
  async openBytes(file: PickedFile, named = true): Promise<boolean> {
    const { engine, documents } = this.page;
    const kind = await engine.call({ kind: 'fileKind', name: file.name });
    const opened = await engine.call({ kind: 'openText', name: file.name, bytes: file.bytes });
    if (!(await showOutcome(opened))) return false;
    const { text, encoding, lineEnd } = opened;
    documents.open({ kind, name: file.name, text, encoding, lineEnd, ...(named ? { named } : {}) }, file.handle);
    return true;
  }

  async open(): Promise<void> {
    try {
      const file = await openFile();
      if (file) await this.openBytes(file);
    } catch (error) {
      await showFailure(error);
    }
  }

  // "Ładuj listę rozkazów": whatever its name, the file is read as a list.
  async openList(): Promise<void> {
    try {
      const file = await openFile(true);
      if (file) await this.loadList(file);
    } catch (error) {
      await showFailure(error);
    }
  }

  async loadList(file: PickedFile): Promise<boolean> {
    const outcome = await this.page.engine.call({ kind: 'loadList', name: file.name, bytes: file.bytes });
    if (outcome.ok) this.page.listName = file.name;
    return showOutcome(outcome);
  }

  async save(ask: boolean): Promise<boolean> {
    const { engine, documents } = this.page;
    const document = documents.current;
    const { work } = document;
    let encoding = work.encoding;
    const question = await engine.call({ kind: 'saveQuestion', text: work.text, encoding, name: work.name });
    if (question) {
      if (!(await askQuestion(question))) return false;
      encoding = 'utf8';
    }
    const text = work.text;
    const encoded = await engine.call({ kind: 'encodeText', text, encoding, lineEnd: work.lineEnd });
    if (!(await showOutcome(encoded))) return false;
    try {
      const saved = await saveFile(work.name, encoded.bytes, document.handle, ask || !work.named, chooseName);
      if (!saved) return false;
      work.encoding = encoding;
      // What was typed while the file was written is not in it.
      work.modified = work.text !== text;
      work.named = true;
      document.handle = saved.handle;
      document.rename(saved.name);
      documents.save();
      return true;
    } catch (error) {
      await showFailure(error);
      return false;
    }
  }

  // The instruction list and the configuration, as a list file: over the
  // file it was loaded from (the engine keeps what else that file held).
  async saveList(): Promise<void> {
    const saved = await saveChosen(this.page.listName, await this.page.engine.call({ kind: 'saveList' }));
    if (saved) this.page.listName = saved;
  }

  // The instruction list and the configuration survive a reload: kept after
  // each change, once the one kept before has been loaded again.
  async keepMachine(): Promise<void> {
    const { engine, machineRestored, listName } = this.page;
    if (!machineRestored) return;
    const changed = await engine.call({ kind: 'listChanged' });
    saveMachine(window.localStorage, { name: listName, bytes: await engine.call({ kind: 'saveList' }), changed });
  }

  async restoreMachine(): Promise<void> {
    const kept = loadMachine(window.localStorage);
    if (kept) {
      const { engine } = this.page;
      const outcome = await engine.call({ kind: 'loadList', name: kept.name, bytes: kept.bytes });
      // A list the loader stopped in (one fuller than its codes allow) is
      // still the student's as far as it went: its name and its change mark
      // stay, so an example's list asks before replacing it, and the box says
      // what stopped it.
      this.page.listName = kept.name;
      await engine.call({ kind: 'setListChanged', changed: kept.changed === true });
      if (!outcome.ok) void showOutcome(outcome);
    }
    this.page.machineRestored = true;
  }
}
