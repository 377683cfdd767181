// A source editor: CodeMirror with line numbers, the error mark at the word
// a compile stopped at, and the program's line that runs next.
import { EditorState, StateEffect, StateField, type Extension } from '@codemirror/state';
import { Decoration, type DecorationSet, EditorView, keymap, lineNumbers, highlightActiveLine } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { wordRange } from './words';

const setError = StateEffect.define<{ line: number; column: number } | null>();
const setCurrentLine = StateEffect.define<number>();

const errorMark = Decoration.mark({ class: 'cm-error-word' });
const currentLineMark = Decoration.line({ class: 'cm-next-line' });

// The error's word, until the text changes or another compile.
const errorField = StateField.define<DecorationSet>({
  create: () => Decoration.none,
  update(marks, transaction) {
    if (transaction.docChanged) marks = Decoration.none;
    for (const effect of transaction.effects) {
      if (!effect.is(setError)) continue;
      if (effect.value === null) {
        marks = Decoration.none;
        continue;
      }
      const lines = transaction.state.doc.toString().split('\n');
      const range = wordRange(lines, effect.value.line, effect.value.column);
      const line = transaction.state.doc.line(range.line);
      marks = Decoration.set(range.end > range.begin ? [errorMark.range(line.from + range.begin, line.from + range.end)] : []);
    }
    return marks;
  },
  provide: (field) => EditorView.decorations.from(field),
});

const currentLineField = StateField.define<DecorationSet>({
  create: () => Decoration.none,
  update(marks, transaction) {
    marks = marks.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (!effect.is(setCurrentLine)) continue;
      const number = effect.value;
      marks = number >= 1 && number <= transaction.state.doc.lines ? Decoration.set([currentLineMark.range(transaction.state.doc.line(number).from)]) : Decoration.none;
    }
    return marks;
  },
  provide: (field) => EditorView.decorations.from(field),
});

export class SourceEditor {
  readonly view: EditorView;
  private shownLine = 0;

  constructor(parent: HTMLElement, label: string, text: string, onChange: (text: string) => void, extra: Extension = []) {
    this.view = new EditorView({
      parent,
      state: EditorState.create({
        doc: text,
        extensions: [
          lineNumbers(),
          history(),
          highlightActiveLine(),
          keymap.of([...defaultKeymap, ...historyKeymap]),
          errorField,
          currentLineField,
          EditorView.contentAttributes.of({ 'aria-label': label }),
          EditorView.updateListener.of((update) => {
            if (update.docChanged) onChange(update.state.doc.toString());
          }),
          extra,
        ],
      }),
    });
  }

  get text(): string {
    return this.view.state.doc.toString();
  }

  set text(text: string) {
    this.view.dispatch({ changes: { from: 0, to: this.view.state.doc.length, insert: text } });
  }

  // The line (from 1) of the caret.
  get caretLine(): number {
    return this.view.state.doc.lineAt(this.view.state.selection.main.head).number;
  }

  markError(line: number, column: number): void {
    this.view.dispatch({ effects: setError.of({ line, column }) });
    const range = wordRange(this.text.split('\n'), line, column);
    const at = this.view.state.doc.line(range.line).from + range.begin;
    this.view.dispatch({ selection: { anchor: at }, scrollIntoView: true });
  }

  clearError(): void {
    this.view.dispatch({ effects: setError.of(null) });
  }

  showCurrentLine(line: number): void {
    if (line === this.shownLine) return;
    this.shownLine = line;
    const effects = [setCurrentLine.of(line)];
    if (line >= 1 && line <= this.view.state.doc.lines) {
      this.view.dispatch({ effects: [...effects, EditorView.scrollIntoView(this.view.state.doc.line(line).from, { y: 'nearest' })] });
    } else {
      this.view.dispatch({ effects });
    }
  }
}
