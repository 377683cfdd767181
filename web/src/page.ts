// What every part of the page shares: the engine, the open documents, the
// view drawn last, the program that runs and the instruction list's file,
// and how an answer of the engine is told to the student.
import type { EngineClient } from './engine-client';
import type { Document, Documents } from './documents';
import type { MachineDiagram } from './diagram';
import type { Outcome, View } from './protocol';
import { showMessage } from './dialogs';

export const $ = <T extends HTMLElement>(selector: string) => document.querySelector<T>(selector)!;

export class Page {
  view: View | null = null;
  // The program compiled last: the one that runs, whose next line is shown.
  bound: Document | null = null;
  // The list's file: "Zapisz listę rozkazów" writes it under this name.
  listName = 'rozkazy.lst';
  // The machine kept before the reload has been loaded again: only then is
  // the machine kept anew.
  machineRestored = false;
  diagram: MachineDiagram | null = null;
  // After a stop condition is added outside its dialog: the page keeps it.
  keepStops: () => void = () => {};

  constructor(
    readonly engine: EngineClient,
    readonly documents: Documents,
  ) {}
}

// An answer of the engine, told: a failure in the error box; a success with
// what the information box says, then the notice about stop conditions left
// unchecked. True for a success.
export async function showOutcome(outcome: Outcome): Promise<boolean> {
  if (!outcome.ok) {
    await showMessage('error', outcome.boxText);
    return false;
  }
  if (outcome.information) await showMessage('information', outcome.information);
  if (outcome.notice) await showMessage('information', outcome.notice);
  return true;
}

// A file the browser would not read or write, told.
export async function showFailure(error: unknown): Promise<void> {
  await showMessage('error', String(error));
}
