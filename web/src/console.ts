// The console: the program's output, and what the student types going to
// its input at once.
import { $, type Page } from './page';
import type { View } from './protocol';

export function showConsole(fresh: View): void {
  const output = $('#console-output');
  if (output.textContent !== fresh.output) {
    output.textContent = fresh.output;
    output.scrollTop = output.scrollHeight;
  }
}

// As on the desktop, a program waiting for a character goes on with the
// first key.
export function attachConsole(page: Page): void {
  $<HTMLInputElement>('#console-input').addEventListener('input', (event) => {
    const input = event.target as HTMLInputElement;
    if (input.value === '') return;
    void page.engine.call({ kind: 'typeInput', text: input.value });
    input.value = '';
  });
  $<HTMLFormElement>('#console-form').addEventListener('submit', (event) => event.preventDefault());
}
