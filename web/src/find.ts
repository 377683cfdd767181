// The editors' find and replace boxes, as the desktop's: they stay open
// beside the editor while the student works on (not modal), and act on the
// editor shown. "Znajdź następny" (Ctrl+L) repeats the last search.
import type { EditorView } from '@codemirror/view';
import { findNext, replace, type SearchOptions } from './search';

export type SearchFailure = 'emptyFind' | 'emptyReplace' | 'notFound';

interface LastSearch {
  text: string;
  options: SearchOptions;
}

function labelled(caption: string, control: HTMLElement): HTMLLabelElement {
  const label = document.createElement('label');
  label.append(caption, control);
  return label;
}

function checkbox(caption: string): [HTMLLabelElement, HTMLInputElement] {
  const input = document.createElement('input');
  input.type = 'checkbox';
  const label = document.createElement('label');
  label.append(input, caption);
  return [label, input];
}

function button(caption: string, act: () => void): HTMLButtonElement {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = caption;
  b.addEventListener('click', act);
  return b;
}

// "Kierunek": the fieldset and its "W górę" radio button.
function directionField(backwards: boolean): [HTMLFieldSetElement, HTMLInputElement] {
  const direction = document.createElement('fieldset');
  const legend = document.createElement('legend');
  legend.textContent = 'Kierunek';
  direction.append(legend);
  const radio = (caption: string, checked: boolean) => {
    const input = document.createElement('input');
    input.type = 'radio';
    input.name = 'find-direction';
    input.checked = checked;
    const label = document.createElement('label');
    label.append(input, caption);
    direction.append(label);
    return input;
  };
  const up = radio('W górę', backwards);
  radio('W dół', !backwards);
  return [direction, up];
}

export class FindPanel {
  private panel: HTMLElement | null = null;
  private last: LastSearch | null = null;

  constructor(
    private readonly host: HTMLElement,
    private readonly editor: () => EditorView,
    private readonly failed: (why: SearchFailure) => Promise<void>,
  ) {}

  // Ctrl+F and Ctrl+H: the box, its text the editor's selection if any.
  open(replacing: boolean): void {
    this.close(false);
    const view = this.editor();
    const selected = view.state.sliceDoc(view.state.selection.main.from, view.state.selection.main.to);
    const panel = document.createElement('div');
    panel.className = 'find-panel';
    panel.setAttribute('role', 'dialog');
    panel.setAttribute('aria-label', replacing ? 'Zamień' : 'Znajdź');
    const heading = document.createElement('h2');
    heading.textContent = replacing ? 'Zamień' : 'Znajdź';
    const text = document.createElement('input');
    text.value = selected.includes('\n') ? (this.last?.text ?? '') : selected || (this.last?.text ?? '');
    text.setAttribute('aria-label', 'Znajdź');
    const replacement = document.createElement('input');
    replacement.setAttribute('aria-label', 'Zamień na');
    const [caseLabel, matchCase] = checkbox('Uwzględniaj wielkość liter');
    const [wordLabel, wholeWord] = checkbox('Tylko całe wyrazy');
    matchCase.checked = this.last?.options.matchCase ?? false;
    wholeWord.checked = this.last?.options.wholeWord ?? false;
    const [direction, up] = directionField(this.last?.options.backwards ?? false);

    const options = (): SearchOptions => ({ matchCase: matchCase.checked, wholeWord: wholeWord.checked, backwards: !replacing && up.checked });
    const findButton = button('Znajdź następny', () => void this.find(text.value, options()));
    const fields = document.createElement('div');
    fields.className = 'fields';
    fields.append(labelled('Znajdź:', text));
    if (replacing) fields.append(labelled('Zamień na:', replacement));
    fields.append(caseLabel, wordLabel);
    if (!replacing) fields.append(direction);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    buttons.append(findButton);
    if (replacing) {
      buttons.append(
        button('Zamień', () => void this.replace(text.value, replacement.value, options(), false)),
        button('Zamień wszystko', () => void this.replace(text.value, replacement.value, options(), true)),
      );
    }
    buttons.append(button('Anuluj', () => this.close(true)));
    panel.append(heading, fields, buttons);
    panel.addEventListener('keydown', (event) => this.keyDown(event, findButton));
    this.host.append(panel);
    this.panel = panel;
    text.select();
    text.focus();
  }

  // Escape closes the box; Enter in a text field finds the next.
  private keyDown(event: KeyboardEvent, findButton: HTMLButtonElement): void {
    if (event.key === 'Escape') {
      event.preventDefault();
      this.close(true);
    } else if (event.key === 'Enter' && event.target instanceof HTMLInputElement && event.target.type !== 'checkbox') {
      event.preventDefault();
      findButton.click();
    }
  }

  get isOpen(): boolean {
    return this.panel !== null;
  }

  close(focusEditor: boolean): void {
    this.panel?.remove();
    this.panel = null;
    if (focusEditor) this.editor().focus();
  }

  // Ctrl+L: the last search again; the box when there was none.
  async findAgain(): Promise<void> {
    if (!this.last) return this.open(false);
    await this.find(this.last.text, this.last.options);
  }

  private async find(text: string, options: SearchOptions): Promise<void> {
    if (text === '') return this.failed('emptyFind');
    this.last = { text, options };
    const view = this.editor();
    const found = findNext(view.state.doc.toString(), text, options, view.state.selection.main);
    if (!found) return this.failed('notFound');
    view.dispatch({ selection: { anchor: found.from, head: found.to }, scrollIntoView: true });
  }

  private async replace(text: string, by: string, options: SearchOptions, all: boolean): Promise<void> {
    if (text === '') return this.failed('emptyReplace');
    this.last = { text, options };
    const view = this.editor();
    const done = replace(view.state.doc.toString(), text, by, options, view.state.selection.main, all);
    if (!done) return this.failed('notFound');
    view.dispatch({ changes: done.changes, selection: { anchor: done.caret }, scrollIntoView: true });
  }
}
