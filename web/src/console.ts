// The console: the program's output, and the input field the program reads
// from, as on the desktop: what is typed ahead stays in the field, and can
// be mended, until the program reads it.
import { isContextMenuKey, showContextMenu } from './menu';
import { $, type Page } from './page';
import type { View } from './protocol';

// Changes of the field on their way to the engine: a view that left before
// them would put back what the student just typed. Each says what the field
// showed before it, so that the engine gives nothing the program read since.
let inputsOnTheWay = 0;
let shownInput = '';

export function showConsole(fresh: View): void {
  const output = $('#console-output');
  if (output.textContent !== fresh.output) {
    output.textContent = fresh.output;
    output.scrollTop = output.scrollHeight;
  }
  const input = $<HTMLInputElement>('#console-input');
  if (inputsOnTheWay > 0) return;
  shownInput = fresh.input;
  if (input.value === fresh.input) return;
  // The program read from the front: the caret keeps its place from the end.
  const fromEnd = input.value.length - (input.selectionEnd ?? input.value.length);
  input.value = fresh.input;
  const caret = Math.max(0, fresh.input.length - fromEnd);
  input.setSelectionRange(caret, caret);
}

// A program waiting for a character goes on with the first key.
export function attachConsole(page: Page): void {
  $<HTMLInputElement>('#console-input').addEventListener('input', (event) => {
    const input = event.target as HTMLInputElement;
    ++inputsOnTheWay;
    const before = shownInput;
    shownInput = input.value;
    void page.engine.call({ kind: 'setInput', before, text: input.value }).finally(() => --inputsOnTheWay);
  });
  $<HTMLFormElement>('#console-form').addEventListener('submit', (event) => event.preventDefault());
  // The output's menu has the desktop's one item.
  const output = $('#console-output');
  const menu = (at?: { x: number; y: number }) =>
    showContextMenu([{ label: 'Clear', act: () => void page.engine.call({ kind: 'clearConsole' }) }], 'Wyjście', output, at);
  output.addEventListener('contextmenu', (event) => {
    event.preventDefault();
    menu({ x: event.clientX, y: event.clientY });
  });
  output.addEventListener('keydown', (event) => {
    if (!isContextMenuKey(event)) return;
    event.preventDefault();
    menu();
  });
}
