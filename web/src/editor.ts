// A source editor: CodeMirror with line numbers, the error mark at the word
// a compile stopped at, and the program's line that runs next.
import { EditorState, StateEffect, StateField, type Extension } from '@codemirror/state';
import { Decoration, type DecorationSet, EditorView, keymap, lineNumbers, highlightActiveLine } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import type { MarkRange } from './protocol';

const setError = StateEffect.define<MarkRange | null>();
const setCurrentLine = StateEffect.define<number>();

// The engine counts characters; the editor counts UTF-16 units.
function unitOffset(text: string, characters: number): number {
  let units = 0;
  for (let i = 0; i < characters && units < text.length; ++i) units += text.codePointAt(units)! > 0xffff ? 2 : 1;
  return units;
}

function markOffsets(state: EditorState, mark: MarkRange): [number, number] {
  const line = state.doc.line(Math.min(Math.max(mark.line, 1), state.doc.lines));
  return [line.from + unitOffset(line.text, mark.begin), line.from + unitOffset(line.text, mark.end)];
}

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
      const [from, to] = markOffsets(transaction.state, effect.value);
      marks = Decoration.set(to > from ? [errorMark.range(from, to)] : []);
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
          EditorView.contentAttributes.of({ 'aria-label': label, tabindex: '0' }),
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

  // Marks the word at fault and puts the caret at its start; a check made
  // while the student types leaves the caret where it is.
  markError(mark: MarkRange, moveCaret = true): void {
    if (!moveCaret) {
      this.view.dispatch({ effects: setError.of(mark) });
      return;
    }
    const [from] = markOffsets(this.view.state, mark);
    this.view.dispatch({ effects: setError.of(mark), selection: { anchor: from }, scrollIntoView: true });
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
