// A source editor: CodeMirror with line numbers, the error mark at the word
// a compile stopped at, and the program's line that runs next.
import { acceptCompletion, autocompletion, closeCompletion, completionKeymap, completionStatus, type CompletionContext, type CompletionResult } from '@codemirror/autocomplete';
import { EditorState, Prec, RangeSet, StateEffect, StateField, type Extension } from '@codemirror/state';
import { Decoration, type DecorationSet, EditorView, GutterMarker, gutter, keymap, lineNumbers, highlightActiveLine } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, insertTab, temporarilySetTabFocusMode } from '@codemirror/commands';
import { wireNames, type ColourPiece, type MarkRange } from './protocol';

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

// A program's breakpoints: a mark in the gutter and the line coloured; they
// move with their lines as the text is edited.
const toggleBreakpoint = StateEffect.define<number>(); // a position on the line
const setBreakpoints = StateEffect.define<number[]>(); // lines from 1

class BreakpointMarker extends GutterMarker {
  override toDOM(): Node {
    const mark = document.createElement('span');
    mark.className = 'cm-breakpoint-mark';
    mark.textContent = '●';
    mark.setAttribute('aria-hidden', 'true');
    return mark;
  }
}
const breakpointMarker = new BreakpointMarker();
const breakpointLine = Decoration.line({ class: 'cm-breakpoint-line' });

const breakpointField = StateField.define<RangeSet<GutterMarker>>({
  create: () => RangeSet.empty,
  update(marks, transaction) {
    marks = marks.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(setBreakpoints)) {
        const doc = transaction.state.doc;
        marks = RangeSet.of(effect.value.filter((line) => line >= 1 && line <= doc.lines).map((line) => breakpointMarker.range(doc.line(line).from)), true);
      } else if (effect.is(toggleBreakpoint)) {
        const from = transaction.state.doc.lineAt(effect.value).from;
        let present = false;
        marks.between(from, from, () => {
          present = true;
        });
        marks = present ? marks.update({ filter: (at) => at !== from }) : marks.update({ add: [breakpointMarker.range(from)] });
      }
    }
    return marks;
  },
});

const breakpointLines = EditorView.decorations.compute([breakpointField], (state) => {
  const lines: ReturnType<typeof breakpointLine.range>[] = [];
  state.field(breakpointField).between(0, state.doc.length, (from) => {
    lines.push(breakpointLine.range(from));
  });
  return Decoration.set(lines, true);
});

// The gutter and Ctrl+F8 ("Punkt zatrzymania") of a program editor.
function breakpoints(changed: () => void): Extension {
  const toggleAt = (view: EditorView, position: number) => {
    view.dispatch({ effects: toggleBreakpoint.of(position) });
    changed();
    return true;
  };
  return [
    breakpointField,
    breakpointLines,
    gutter({
      class: 'cm-breakpoint-gutter',
      markers: (view) => view.state.field(breakpointField),
      initialSpacer: () => breakpointMarker,
      domEventHandlers: { mousedown: (view, line) => toggleAt(view, line.from) },
    }),
    keymap.of([{ key: 'Ctrl-F8', run: (view) => toggleAt(view, view.state.selection.main.head) }]),
  ];
}

// The words' colours, as the engine's reader gives them for the text it was
// given; an edit since keeps the old colours, moved with the text.
const wordMarks = new Map(
  wireNames.wordKind.map((kind) => [kind, Decoration.mark({ class: `cm-w-${kind.replace(/[A-Z]/g, (c) => `-${c.toLowerCase()}`)}` })]),
);
const setColours = StateEffect.define<{ text: string; lines: ColourPiece[][] }>();

const colourField = StateField.define<DecorationSet>({
  create: () => Decoration.none,
  update(colours, transaction) {
    colours = colours.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (!effect.is(setColours) || effect.value.text !== transaction.state.doc.toString()) continue;
      const doc = transaction.state.doc;
      const ranges = [];
      for (let n = 0; n < effect.value.lines.length && n < doc.lines; ++n) {
        const line = doc.line(n + 1);
        for (const [begin, length, kind] of effect.value.lines[n]!) {
          const from = line.from + unitOffset(line.text, begin);
          const to = line.from + unitOffset(line.text, begin + length);
          const mark = kind === 'text' ? undefined : wordMarks.get(kind);
          if (mark && to > from) ranges.push(mark.range(from, to));
        }
      }
      colours = Decoration.set(ranges, true);
    }
    return colours;
  },
  provide: (field) => EditorView.decorations.from(field),
});

// The words offered as the student types, as the desktop's editors offer
// them: from the second character of a word (Ctrl+Space from the first), the
// words that begin so regardless of case; none for a word typed in full.
export function completionsOf(words: readonly string[], typed: string, requested: boolean): string[] {
  if (!requested && typed.length < 2) return [];
  const prefix = typed.toLowerCase();
  const matches = words.filter((word) => word.toLowerCase().startsWith(prefix));
  const complete = matches.length === 1 && matches[0]!.toLowerCase() === prefix;
  return !requested && complete ? [] : matches;
}

function wordCompletion(words: () => readonly string[]): Extension {
  const source = (context: CompletionContext): CompletionResult | null => {
    const typed = context.matchBefore(/[\p{L}\p{N}_]+/u);
    const matches = completionsOf(words(), typed?.text ?? '', context.explicit);
    if (matches.length === 0) return null;
    return { from: typed?.from ?? context.pos, options: matches.map((label) => ({ label })), filter: false };
  };
  // Escape is the list's only while the list is seen: a query still under
  // way must not take it from the editor (Escape, then Tab, leaves it).
  const close = (view: EditorView) => {
    const shown = completionStatus(view.state) === 'active';
    closeCompletion(view);
    return shown;
  };
  const keys = completionKeymap.map((binding) => (binding.key === 'Escape' ? { key: 'Escape', run: close } : binding));
  return [
    // Enter and Tab take the word, as in the desktop's editors, at once.
    Prec.highest(keymap.of([...keys, { key: 'Tab', run: acceptCompletion }])),
    autocompletion({ override: [source], activateOnTyping: true, defaultKeymap: false, icons: false, interactionDelay: 0 }),
  ];
}

export class SourceEditor {
  readonly view: EditorView;
  private shownLine = 0;
  // What completion offers, sorted as the list shows it.
  completionWords: readonly string[] = [];

  // `onBreakpoints` gives the editor a breakpoint gutter (a program's).
  constructor(parent: HTMLElement, label: string, text: string, onChange: (text: string) => void, onBreakpoints?: () => void) {
    this.view = new EditorView({
      parent,
      state: EditorState.create({
        doc: text,
        extensions: [
          lineNumbers(),
          history(),
          highlightActiveLine(),
          // Tab types a tab, as in the desktop's editors (the sources line
          // up with them); Escape, then Tab, leaves the editor, so that the
          // keyboard alone reaches every control (Ctrl+M switches for good).
          keymap.of([
            { key: 'Tab', run: insertTab },
            { key: 'Escape', run: temporarilySetTabFocusMode },
            ...defaultKeymap,
            ...historyKeymap,
          ]),
          errorField,
          currentLineField,
          colourField,
          wordCompletion(() => this.completionWords),
          EditorView.contentAttributes.of({ 'aria-label': label, 'aria-description': 'Tab wstawia tabulator; Esc, potem Tab, przechodzi dalej', tabindex: '0' }),
          EditorView.updateListener.of((update) => {
            if (update.docChanged) onChange(update.state.doc.toString());
          }),
          onBreakpoints ? breakpoints(onBreakpoints) : [],
        ],
      }),
    });
  }

  // The breakpoints' lines (from 1), in order.
  get breakpointLines(): number[] {
    const lines: number[] = [];
    const state = this.view.state;
    state.field(breakpointField, false)?.between(0, state.doc.length, (from) => {
      lines.push(state.doc.lineAt(from).number);
    });
    return lines;
  }

  set breakpointLines(lines: number[]) {
    if (this.view.state.field(breakpointField, false)) this.view.dispatch({ effects: setBreakpoints.of(lines) });
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

  // The colours the engine gave for `text`; ignored if the text has changed.
  colour(text: string, lines: ColourPiece[][]): void {
    this.view.dispatch({ effects: setColours.of({ text, lines }) });
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
