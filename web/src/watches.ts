// "Obserwowane zmienne": the labels of the program compiled last with their
// words; a watch's menu stops a run when its word changes.
import { isContextMenuKey, showContextMenu, type Opener } from './menu';
import { $, showOutcome, type Page } from './page';
import type { View } from './protocol';

const selectedWatch = () => [...$('#watches').children].findIndex((item) => item.getAttribute('aria-selected') === 'true');

function selectWatch(index: number): void {
  const items = [...$('#watches').children];
  items.forEach((item, k) => item.setAttribute('aria-selected', String(k === index)));
  if (items[index]) $('#watches').setAttribute('aria-activedescendant', items[index].id);
}

function watchMenu(page: Page, opener: Opener, at?: { x: number; y: number }): void {
  const watch = selectedWatch();
  if (watch < 0) return;
  const stop = () =>
    void page.engine.call({ kind: 'stopOnChange', watch }).then((outcome) => {
      if (outcome.ok) page.keepStops();
      return showOutcome(outcome);
    });
  showContextMenu([{ label: 'Zatrzymaj przy zmianie', act: stop }], 'Zmienne', opener, at);
}

function watchItem(page: Page, row: string, index: number, selected: boolean): HTMLLIElement {
  const item = document.createElement('li');
  item.id = `watch-${index}`;
  item.setAttribute('role', 'option');
  item.setAttribute('aria-selected', String(selected));
  item.textContent = row;
  item.addEventListener('click', () => selectWatch(index));
  item.addEventListener('contextmenu', (event) => {
    event.preventDefault();
    selectWatch(index);
    watchMenu(page, item, { x: event.clientX, y: event.clientY });
  });
  return item;
}

export function showWatches(page: Page, fresh: View): void {
  const list = $('#watches');
  const rows = fresh.watches.map((w) => `${w.name}  ${w.content}`);
  const shown = [...list.children].map((li) => li.textContent);
  if (rows.length === shown.length && rows.every((row, k) => row === shown[k])) return;
  // A running program changes its words with every view: the rows stay, and
  // only their texts change.
  if (rows.length === shown.length) {
    rows.forEach((row, k) => row !== shown[k] && (list.children[k]!.textContent = row));
    return;
  }
  const selected = Math.min(selectedWatch(), rows.length - 1);
  list.replaceChildren(...rows.map((row, index) => watchItem(page, row, index, index === selected)));
  if (selected >= 0) list.setAttribute('aria-activedescendant', `watch-${selected}`);
  else list.removeAttribute('aria-activedescendant');
}

export function attachWatches(page: Page): void {
  $('#watches').addEventListener('keydown', (event) => {
    const count = $('#watches').children.length;
    if (count === 0) return;
    const at = selectedWatch();
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      selectWatch(Math.min(Math.max(at + (event.key === 'ArrowDown' ? 1 : -1), 0), count - 1));
    } else if (isContextMenuKey(event)) {
      event.preventDefault();
      if (at < 0) selectWatch(0);
      watchMenu(page, $('#watches'));
    }
  });
}
