// The page's menu bar from the engine's command table: the desktop's menus
// with the page's commands, a submenu where its first entry stands.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { menuBarOf } from '../../src/command-menus';
import type { MenuItem } from '../../src/menu';
import { createEngine } from './engine-host';

// A menu's entries as the student reads them: "-" for a separator line,
// "Nowy/" before a submenu's own.
const entries = (items: MenuItem[]): string[] =>
  items.flatMap((item) => [...(item.separator ? ['-'] : []), ...(item.items ? [`${item.label}/`, ...entries(item.items).map((e) => `  ${e}`)] : [item.label])]);

test('each command with a place in the menus stands once, in its menu, after its separator', async () => {
  const table = (await createEngine()).Engine.commands();
  const bar = menuBarOf(table.menus, table.commands, () => ({}));
  assert.deepEqual(
    bar.map((menu) => [menu.label, entries(menu.items)]),
    [
      ['Plik', ['Nowy/', '  Program', '  Rozkaz', 'Otwórz...', 'Zapisz', 'Zapisz jako...']],
      ['Widok', ['Lista okien', 'Okno edycyjne', 'Lista rozkazów', 'Obserwowane zmienne', 'Jednostka centralna', 'Konsola we/wy', 'Przebiegi czasowe', '-', 'Przywróć układ okien']],
      ['Szukaj', ['Znajdź...', 'Znajdź następny', 'Zamień']],
      ['Projekt', ['Zapisz listę rozkazów', 'Ładuj listę rozkazów', '-', 'Opcje ...']],
      ['Wykonaj', ['Program', 'Rozkaz', 'Takt', 'Do kursora', 'Reset', 'Przerwij', '-', 'Cofnij takt', 'Cofnij rozkaz', '-', 'Warunki zatrzymania...']],
      ['Pomoc', ['Zawartość']],
    ],
  );
});
