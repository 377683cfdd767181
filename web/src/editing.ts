// The editors and the engine: words coloured and errors marked as the
// student types, breakpoints, compiling, closing a document.
import { askYesNoCancel, showMessage } from './dialogs';
import type { Document } from './documents';
import { FindPanel } from './find';
import { $, showOutcome, type Page } from './page';
import type { Outcome } from './protocol';

export function attachEditors(page: Page, save: (ask: boolean) => Promise<boolean>): FindPanel {
  const { engine, documents } = page;
  // The program that runs stops at the breakpoints its editor shows.
  documents.breakpointsChanged = (document) => {
    if (document === page.bound) void engine.call({ kind: 'setBreakpoints', lines: document.editor.breakpointLines });
  };
  // The words' colours from the engine's reader: as the student types, when a
  // document opens, and for programs when the instruction list changes.
  documents.colourer = async (document) => {
    const text = document.editor.text;
    const lines = await engine.call({ kind: 'colour', program: document.kind === 'program', text });
    document.editor.colour(text, lines);
  };
  // The words completed: asked when a document opens and, as the mnemonics
  // and the signals are the machine's, whenever the list changes.
  documents.completer = async (document) => {
    document.editor.completionWords = await engine.call({ kind: 'completionWords', program: document.kind === 'program' });
  };
  // As the student types: the first error marked, the caret left alone.
  documents.checker = async (document) => {
    const text = document.editor.text;
    const kind = document.kind === 'program' ? 'checkProgram' : 'checkInstruction';
    const outcome = await engine.call({ kind, text });
    // A text typed on meanwhile waits for its own check.
    if (document.editor.text !== text || documents.current !== document) return;
    if (!outcome.ok) document.markError(outcome.mark, outcome.message, false);
  };
  $('#close-document').addEventListener('click', () =>
    void documents.closeCurrent(async (document) => {
      const answer = await askYesNoCancel(await engine.call({ kind: 'question', which: 'modified', name: document.work.name }));
      if (answer === 'cancel') return false;
      return answer === 'no' || (await save(false));
    }),
  );
  // Find and replace in the editor shown.
  return new FindPanel($('.editor-panel'), () => documents.current.editor.view, async (why) =>
    showMessage('error', await engine.call({ kind: 'searchMessage', which: why })),
  );
}

// "Kompiluj": the program becomes the one that runs; an instruction joins
// the list (which may change even when the compile fails).
export async function compile(page: Page, listChanged: () => void): Promise<void> {
  const document = page.documents.current;
  document.editor.clearError();
  document.status = '';
  const text = document.editor.text;
  if (document.kind === 'program') {
    const outcome = await page.engine.call({ kind: 'compileProgram', text, breakpoints: document.editor.breakpointLines });
    if (outcome.ok) page.bound = document;
    await showCompiled(document, outcome);
  } else {
    const outcome = await page.engine.call({ kind: 'compileInstruction', text });
    listChanged();
    await showCompiled(document, outcome);
  }
}

async function showCompiled(document: Document, outcome: Outcome): Promise<void> {
  if (!outcome.ok) document.markError(outcome.mark, outcome.message);
  const ok = await showOutcome(outcome);
  if (!ok) document.editor.view.focus();
}
