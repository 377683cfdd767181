// The status line at the page's foot, as the desktop's windows have theirs:
// the run going on or the last one with its counts, the shown editor's
// caret as line:column, and whether its text was changed since it was saved.
import type { Documents } from './documents';
import { $ } from './page';
import type { View } from './protocol';

// The machine window's line below the diagram, word for word.
export function runStatusText(view: Pick<View, 'running' | 'runCycles' | 'runInstructions' | 'cycles' | 'manualControl'>): string {
  const text = view.running
    ? `Wykonywanie… takty: ${view.runCycles}, rozkazy: ${view.runInstructions}`
    : `Zatrzymana. Ostatnie wykonanie: takty ${view.runCycles}, rozkazy ${view.runInstructions}; od resetu: takty ${view.cycles}`;
  return view.manualControl ? `${text} · sterowanie ręczne` : text;
}

export class StatusBar {
  private readonly run = $('#run-status');
  private readonly caret = $('#caret-position');
  private readonly modified = $('#modified-status');

  constructor(private readonly documents: Documents) {
    documents.statusChanged = () => this.showDocument();
    this.showDocument();
  }

  showView(view: View): void {
    setText(this.run, runStatusText(view));
  }

  private showDocument(): void {
    const shown = this.documents.current;
    const { doc, selection } = shown.editor.view.state;
    const head = selection.main.head;
    const line = doc.lineAt(head);
    setText(this.caret, `${line.number}:${head - line.from + 1}`);
    setText(this.modified, shown.work.modified ? 'Zmodyfikowane' : '');
  }
}

// Written only when it differs: a run sends many views a second.
function setText(target: HTMLElement, text: string): void {
  if (target.textContent !== text) target.textContent = text;
}
