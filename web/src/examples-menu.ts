// "Przykłady": each example opens as a copy, on its machine.
import { askYesNoCancel } from './dialogs';
import { type Example, examplesByMachine } from './examples';
import type { Files } from './files-and-lists';
import { $, showOutcome, type Page } from './page';

async function fetchBytes(path: string): Promise<Uint8Array> {
  const response = await fetch(path);
  return new Uint8Array(await response.arrayBuffer());
}

// With the instruction list of its folder, or the default machine for a
// folder without one. Only the student's own changes to the list in use
// are worth a question.
async function openExample(page: Page, files: Files, example: Example): Promise<void> {
  closeExamples();
  const name = example.list?.split('/').pop() ?? '';
  const question = await page.engine.call({ kind: 'exampleQuestion', example: example.file, list: name });
  const answer = question ? await askYesNoCancel(question) : 'yes';
  if (answer === 'cancel') return;
  if (answer === 'yes' && !(await useExampleMachine(page, files, example, name))) return;
  await files.openBytes({ name: example.file, bytes: await fetchBytes(`examples/${example.path}`) }, false);
}

async function useExampleMachine(page: Page, files: Files, example: Example, name: string): Promise<boolean> {
  if (example.list) return files.loadList({ name, bytes: await fetchBytes(`examples/${example.list}`) });
  const outcome = await page.engine.call({ kind: 'restoreDefaultMachine' });
  if (outcome.ok) page.listName = 'rozkazy.lst';
  return showOutcome(outcome);
}

function closeExamples(): void {
  closeMenu($('#examples'), $('#examples-menu'));
}

function closeMenu(button: HTMLElement, menu: HTMLElement): void {
  menu.hidden = true;
  button.setAttribute('aria-expanded', 'false');
}

// An item of a button's menu, opened by a click, Enter or Space.
export function menuItem(text: string, label: string, open: () => void): HTMLLIElement {
  const item = document.createElement('li');
  item.setAttribute('role', 'menuitem');
  item.tabIndex = -1;
  item.textContent = text;
  item.setAttribute('aria-label', label);
  item.addEventListener('click', open);
  item.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      open();
    }
  });
  return item;
}

function exampleItem(machine: string, example: Example, open: () => void): HTMLLIElement {
  return menuItem(example.file, `${machine}: ${example.file}`, open);
}

export function buildExamples(page: Page, files: Files, examples: Example[]): void {
  const menu = $('#examples-menu');
  menu.replaceChildren();
  for (const [machine, items] of examplesByMachine(examples)) {
    const group = document.createElement('li');
    group.setAttribute('role', 'presentation');
    group.className = 'group';
    group.textContent = machine;
    menu.append(group, ...items.map((example) => exampleItem(machine, example, () => void openExample(page, files, example))));
  }
}

export function attachExamples(): void {
  attachMenuButton($('#examples'), $('#examples-menu'));
}

// A button opening its menu: the arrows go round the items, Escape closes
// it on its button; an item chosen closes it.
export function attachMenuButton(button: HTMLElement, menu: HTMLElement): void {
  button.addEventListener('click', () => {
    menu.hidden = !menu.hidden;
    button.setAttribute('aria-expanded', String(!menu.hidden));
    if (!menu.hidden) menu.querySelector<HTMLElement>('[role=menuitem]')?.focus();
  });
  menu.addEventListener('click', (event) => {
    if ((event.target as HTMLElement).closest('[role=menuitem]')) closeMenu(button, menu);
  });
  menu.addEventListener('keydown', (event) => {
    const items = [...menu.querySelectorAll<HTMLElement>('[role=menuitem]')];
    const at = items.indexOf(document.activeElement as HTMLElement);
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const next = (at + (event.key === 'ArrowDown' ? 1 : items.length - 1)) % items.length;
      items[next]?.focus();
    } else if (event.key === 'Escape') {
      closeMenu(button, menu);
      button.focus();
    } else if (event.key === 'Enter' || event.key === ' ') {
      closeMenu(button, menu);
    }
  });
}
