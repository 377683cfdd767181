// The page's menu bar from the engine's command table: the desktop's menus
// with the page's commands, a submenu where its first entry stands.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { captionOf, menuBarOf } from '../../src/command-menus';
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
      ['Pomoc', ['Zawartość', 'Szukaj tematu']],
    ],
  );
});

// The letter a caption underlines, as the student reads it: "W[y]konaj".
const underlined = (item: Pick<MenuItem, 'label' | 'mnemonic'>) =>
  item.mnemonic === undefined ? item.label : `${item.label.slice(0, item.mnemonic)}[${item.label.charAt(item.mnemonic)}]${item.label.slice(item.mnemonic + 1)}`;

test('a caption\'s "&" underlines the letter after it and is not shown; one without "&" underlines none', () => {
  assert.deepEqual(captionOf('Z&apisz jako...'), { label: 'Zapisz jako...', mnemonic: 1 });
  assert.deepEqual(captionOf('&Plik'), { label: 'Plik', mnemonic: 0 });
  assert.deepEqual(captionOf('Znajdź...'), { label: 'Znajdź...' });
  assert.deepEqual(captionOf('Koniec&'), { label: 'Koniec&' });
});

test('the bar\'s menus underline the desktop\'s letters, no two the same, and so do the entries of each menu', async () => {
  const table = (await createEngine()).Engine.commands();
  const bar = menuBarOf(table.menus, table.commands, () => ({}));
  assert.deepEqual(bar.map(underlined), ['[P]lik', '[W]idok', '[S]zukaj', 'P[r]ojekt', 'W[y]konaj', 'Po[m]oc']);
  const letters = (items: Pick<MenuItem, 'label' | 'mnemonic'>[]) =>
    items.filter((item) => item.mnemonic !== undefined).map((item) => item.label.charAt(item.mnemonic!).toLowerCase());
  assert.equal(new Set(letters(bar)).size, bar.length);
  for (const menu of bar) assert.equal(new Set(letters(menu.items)).size, letters(menu.items).length, menu.label);
  assert.deepEqual(bar.find((menu) => menu.label === 'Wykonaj')!.items.slice(0, 5).map(underlined), ['[P]rogram', '[R]ozkaz', '[T]akt', '[D]o kursora', 'R[e]set']);
});
