// The menus and the keys: what each menu holds and how the bar and its
// menus answer keys and mouse, the context menus, the keys of the lists
// and the lower panel's tabs, and the value and message boxes' keys.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, compiled, eventually, freshPage, menu, register, shownCycle, siteOfFile, typeProgram, menuCommand } from './harness.mjs';

const site = siteOfFile();

const bar = (page) => page.getByRole('menubar');
const top = (page, name) => bar(page).getByRole('menuitem', { name });
// The focused menu item's label (or the focused element's text).
const focused = (page) =>
  page.evaluate(() => (document.activeElement?.matches('li') ? document.activeElement.firstElementChild : document.activeElement)?.textContent);
// A menu as the student reads it: each label with its key, a line as "---".
const entriesOf = (list) =>
  list.locator(':scope > li').evaluateAll((items) =>
    items.map((li) => {
      if (li.getAttribute('role') === 'separator') return '---';
      const key = li.getAttribute('aria-keyshortcuts');
      const shown = li.querySelector('.key')?.textContent;
      return [li.firstElementChild.textContent, key, shown].filter(Boolean).join(' ');
    }),
  );

test('every menu holds its commands with their keys, the toolbar tells the same keys, and the mouse opens, moves between and chooses', async () => {
  const page = await freshPage(site);
  const expected = {
    Plik: ['Nowy', 'Otwórz... F3 F3', 'Zapisz F2 F2', 'Zapisz jako...'],
    Szukaj: ['Znajdź... Control+F Ctrl+F', 'Znajdź następny Control+L Ctrl+L', 'Zamień Control+H Ctrl+H'],
    Projekt: ['Zapisz listę rozkazów', 'Ładuj listę rozkazów Control+F3 Ctrl+F3', '---', 'Opcje ... Control+Shift+F11 Ctrl+Shift+F11'],
    Wykonaj: [
      'Program F9 F9', 'Rozkaz F8 F8', 'Takt F7 F7', 'Do kursora F4 F4', 'Reset Control+F2 Ctrl+F2', 'Przerwij', '---',
      'Cofnij takt Shift+F7 Shift+F7', 'Cofnij rozkaz Shift+F8 Shift+F8', '---', 'Warunki zatrzymania...',
    ],
    Widok: [
      'Lista okien F5 F5', 'Okno edycyjne', 'Lista rozkazów F10 F10', 'Obserwowane zmienne', 'Jednostka centralna F11 F11',
      'Konsola we/wy F12 F12', 'Przebiegi czasowe Control+F12 Ctrl+F12', '---', 'Przywróć układ okien',
    ],
    Pomoc: ['Zawartość', 'Szukaj tematu'],
  };
  for (const [name, entries] of Object.entries(expected)) {
    await top(page, name).click();
    assert.equal(await top(page, name).getAttribute('aria-expanded'), 'true', name);
    assert.deepEqual(await entriesOf(menu(page, name)), entries, name);
    // A click on the open menu's own item closes it.
    await top(page, name).click();
    assert.equal(await menu(page, name).count(), 0, name);
    assert.equal(await top(page, name).getAttribute('aria-expanded'), 'false', name);
  }
  // The tool bar's buttons are icons named by their captions, grouped as the
  // desktop groups them, and tell the same keys.
  const groups = await page.locator('#tool-bar .tool-group').evaluateAll((all) =>
    all.map((group) => [...group.querySelectorAll('button')].map((b) => [b.getAttribute('aria-label'), b.getAttribute('aria-keyshortcuts'), b.title, b.textContent])),
  );
  const tool = (name, key) => [name, key ? key.replace('Ctrl', 'Control') : null, key ? `${name} (${key})` : name, ''];
  assert.deepEqual(groups, [
    [tool('Nowy program', ''), tool('Otwórz', 'F3'), tool('Zapisz', 'F2'), tool('Kompiluj', 'Ctrl+F9')],
    [tool('Takt', 'F7'), tool('Rozkaz', 'F8'), tool('Wykonaj program', 'F9'), tool('Do kursora', 'F4'), tool('Przerwij', ''), tool('Reset', 'Ctrl+F2')],
    [tool('Cofnij takt', 'Shift+F7'), tool('Cofnij rozkaz', 'Shift+F8')],
  ]);
  assert.ok(await page.locator('#tool-bar img[src="icons/takt.svg"]').evaluate((img) => img.complete && img.naturalWidth > 0));

  // The mouse: a click opens a menu without choosing an item; moving to the
  // next item of the bar opens its menu; resting on "Nowy" opens its
  // submenu, and moving on closes it.
  await top(page, 'Plik').click();
  assert.equal(await focused(page), 'Plik');
  await top(page, 'Szukaj').hover();
  assert.equal(await menu(page, 'Szukaj').count(), 1);
  assert.equal(await menu(page, 'Plik').count(), 0);
  await top(page, 'Plik').hover();
  await menu(page, 'Plik').getByRole('menuitem', { name: 'Nowy' }).hover();
  await menu(page, 'Nowy').waitFor();
  await menu(page, 'Plik').getByRole('menuitem', { name: 'Zapisz', exact: true }).hover();
  assert.equal(await eventually(() => menu(page, 'Nowy').count(), 0), 0);
  assert.equal(await focused(page), 'Zapisz');
  // A click elsewhere closes the menus.
  await page.locator('#console-output').click();
  assert.equal(await page.getByRole('menu').count(), 0);

  // The items do what they say.
  const tabs = page.getByRole('tablist', { name: 'Otwarte pliki' }).getByRole('tab');
  const before = await tabs.count();
  await top(page, 'Plik').click();
  await menu(page, 'Plik').getByRole('menuitem', { name: 'Nowy' }).click();
  await menu(page, 'Nowy').getByRole('menuitem', { name: 'Program' }).click();
  assert.equal(await eventually(() => tabs.count(), before + 1), before + 1);
  await top(page, 'Szukaj').click();
  await menu(page, 'Szukaj').getByRole('menuitem', { name: 'Zamień' }).click();
  await page.getByRole('dialog', { name: 'Zamień' }).waitFor();
  await page.keyboard.press('Escape');
  await top(page, 'Szukaj').click();
  await menu(page, 'Szukaj').getByRole('menuitem', { name: 'Znajdź...' }).click();
  await page.getByRole('dialog', { name: 'Znajdź' }).waitFor();
  await page.keyboard.press('Escape');
  await top(page, 'Projekt').click();
  await menu(page, 'Projekt').getByRole('menuitem', { name: 'Opcje ...' }).click();
  await page.locator('.box').waitFor();
  await page.locator('.box').getByRole('button', { name: 'Anuluj' }).click();
  await top(page, 'Pomoc').click();
  await menu(page, 'Pomoc').getByRole('menuitem', { name: 'Zawartość' }).click();
  await page.getByRole('dialog', { name: 'Pomoc' }).locator('h1', { hasText: 'Maszyna Dorum' }).waitFor();
  await page.keyboard.press('Escape');
  assert.deepEqual(page.errors, []);
});

test('the desktop\'s window keys bring each panel forward, F5 lists the windows, and no key reloads the page', async () => {
  const page = await freshPage(site);
  const active = () => page.evaluate(() => document.activeElement?.id || document.activeElement?.getAttribute('aria-label'));
  const shownTab = () => page.locator('#lower-tabs [aria-selected=true]').textContent();
  await page.keyboard.press('F10');
  assert.equal(await shownTab(), 'Lista rozkazów');
  assert.equal(await active(), 'instruction-names');
  await page.keyboard.press('Control+F12');
  assert.equal(await shownTab(), 'Przebiegi czasowe');
  await page.keyboard.press('F12');
  assert.equal(await shownTab(), 'Konsola');
  assert.equal(await active(), 'console-input');
  await page.keyboard.press('F11');
  assert.ok(await page.evaluate(() => document.getElementById('diagram').contains(document.activeElement)));

  // F5 is the window list, not a reload: the machine's state stays.
  const cycles = () => page.evaluate(() => document.querySelector('svg.diagram')?.dataset.cycles);
  await typeProgram(page, 'POB x\nSTP\nx: RST 5\n');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('F5');
  const list = menu(page, 'Lista okien');
  assert.deepEqual(await entriesOf(list), ['program.prg', '---', 'Jednostka centralna', '---', 'Konsola we/wy', 'Lista rozkazów', 'Obserwowane zmienne', 'Przebiegi czasowe']);
  await list.getByRole('menuitem', { name: 'Obserwowane zmienne' }).click();
  assert.equal(await shownTab(), 'Zmienne');
  assert.equal(await cycles(), '1');
  // Within a box as well.
  await menuCommand(page, 'Plik', 'Zapisz jako');
  const box = page.getByRole('dialog', { name: 'Zapisz jako' });
  await box.waitFor();
  await page.keyboard.press('F5');
  await page.keyboard.press('Escape');
  await box.waitFor({ state: 'detached' });
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.equal(await cycles(), '1');

  // "Przywróć układ okien" puts the separators back where they began.
  await page.locator('#split-editor').focus();
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.locator('#split-editor').getAttribute('aria-valuenow'), '35');
  await top(page, 'Widok').click();
  await menu(page, 'Widok').getByRole('menuitem', { name: 'Przywróć układ okien' }).click();
  assert.equal(await page.locator('#split-editor').getAttribute('aria-valuenow'), '33');

  // A key command closes a menu left open, which would stand over what it shows.
  await top(page, 'Wykonaj').click();
  await menu(page, 'Wykonaj').waitFor();
  await page.keyboard.press('F12');
  assert.equal(await page.getByRole('menu').count(), 0);

  // Too many files for the tab row: the wheel moves along it.
  for (let k = 0; k < 8; ++k) await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  const row = page.locator('#editor-tabs');
  await row.evaluate((tabs) => (tabs.scrollLeft = 0));
  await row.hover();
  await page.mouse.wheel(0, 200);
  assert.ok((await row.evaluate((tabs) => tabs.scrollLeft)) > 0);

  // F1 opens the help.
  await page.keyboard.press('F1');
  await page.getByRole('dialog', { name: 'Pomoc' }).locator('h1', { hasText: 'Maszyna Dorum' }).waitFor();
  await page.keyboard.press('Escape');

  // Leaving with changes not saved to a file asks first; staying keeps all.
  page.off('dialog', page.leaveAnyway);
  const asked = new Promise((resolve) => page.once('dialog', (dialog) => void dialog.dismiss().then(() => resolve(dialog.type()))));
  await page.reload({ timeout: 3000 }).catch(() => {});
  assert.equal(await asked, 'beforeunload');
  page.on('dialog', page.leaveAnyway);
  assert.equal(await cycles(), '1');
  assert.deepEqual(page.errors, []);
});

test('the menu bar and its menus answer the keys a menu answers: along the bar, round a menu, letters, submenus, Escape and Tab', async () => {
  const page = await freshPage(site);
  // Along the bar: one item at a time is reached by Tab, and the arrows go round.
  const tabbable = () => bar(page).getByRole('menuitem').evaluateAll((all) => all.filter((t) => t.tabIndex === 0).map((t) => t.textContent));
  assert.deepEqual(await tabbable(), ['Plik']);
  await top(page, 'Plik').focus();
  await page.keyboard.press('ArrowLeft');
  assert.equal(await focused(page), 'Pomoc');
  assert.deepEqual(await tabbable(), ['Pomoc']);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  assert.equal(await focused(page), 'Widok');
  assert.deepEqual(await tabbable(), ['Widok']);
  assert.equal(await page.getByRole('menu').count(), 0, 'the arrows along the bar open nothing');

  // Enter on the bar opens its menu at the first item; down from the last goes round to the first.
  await top(page, 'Plik').focus();
  await page.keyboard.press('Enter');
  assert.equal(await focused(page), 'Nowy');
  await page.keyboard.press('End');
  await page.keyboard.press('ArrowDown');
  assert.equal(await focused(page), 'Nowy');
  // Up from the first goes round to the last; Home and End.
  await page.keyboard.press('ArrowUp');
  assert.equal(await focused(page), 'Zapisz jako...');
  await page.keyboard.press('Home');
  assert.equal(await focused(page), 'Nowy');
  await page.keyboard.press('End');
  assert.equal(await focused(page), 'Zapisz jako...');
  // A letter goes to the item whose underlined letter it is ("&Zapisz",
  // "Z&apisz jako...").
  await page.keyboard.press('z');
  assert.equal(await focused(page), 'Zapisz');
  await page.keyboard.press('z');
  assert.equal(await focused(page), 'Zapisz');
  await page.keyboard.press('a');
  assert.equal(await focused(page), 'Zapisz jako...');
  await page.keyboard.press('o');
  assert.equal(await focused(page), 'Otwórz...');
  // A submenu: Space opens it, Escape closes it alone, back on its item.
  await page.keyboard.press('Home');
  await page.keyboard.press(' ');
  assert.equal(await focused(page), 'Program');
  assert.equal(await page.getByRole('menuitem', { name: 'Nowy' }).getAttribute('aria-expanded'), 'true');
  await page.keyboard.press('Escape');
  assert.equal(await menu(page, 'Nowy').count(), 0);
  assert.equal(await menu(page, 'Plik').count(), 1);
  assert.equal(await focused(page), 'Nowy');
  assert.equal(await page.getByRole('menuitem', { name: 'Nowy' }).getAttribute('aria-expanded'), 'false');
  // Right opens a submenu too; left closes it, back on its item.
  await page.keyboard.press('ArrowRight');
  assert.equal(await focused(page), 'Program');
  assert.equal(await menu(page, 'Nowy').count(), 1);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await menu(page, 'Nowy').count(), 0);
  assert.equal(await focused(page), 'Nowy');
  // Right on an item without a submenu opens the next menu of the bar, left the one before.
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowRight');
  assert.equal(await menu(page, 'Widok').count(), 1);
  assert.equal(await menu(page, 'Plik').count(), 0);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await menu(page, 'Plik').count(), 1);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await menu(page, 'Pomoc').count(), 1, 'left from the first goes round to the last');
  // Escape closes, and the keyboard is back on the bar.
  await page.keyboard.press('Escape');
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.equal(await focused(page), 'Pomoc');
  // Down on the bar opens its menu at the first item too; Tab leaves the
  // menus closed.
  await top(page, 'Plik').focus();
  await page.keyboard.press('ArrowDown');
  assert.equal(await focused(page), 'Nowy');
  await page.keyboard.press('Tab');
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.equal(await top(page, 'Plik').getAttribute('aria-expanded'), 'false');

  // "Nowy" ▸ "Rozkaz" by keys opens an instruction editor.
  await top(page, 'Plik').focus();
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  await page.getByRole('tab', { name: 'rozkaz.rzk', selected: true }).waitFor();
  assert.deepEqual(page.errors, []);
});

test('Alt enters the menu bar and Alt with an underlined letter opens its menu; letters choose within it; Escape gives the keyboard back', async () => {
  const page = await freshPage(site);
  const underlined = (locator) => locator.locator('.mnemonic').evaluateAll((all) => all.map((e) => e.textContent));
  const inEditor = () => page.evaluate(() => document.activeElement?.classList.contains('cm-content'));
  // The bar's captions underline the letters the desktop gives them.
  assert.deepEqual(await underlined(bar(page)), ['P', 'W', 'S', 'r', 'y', 'm']);
  assert.deepEqual(await bar(page).getByRole('menuitem').allTextContents(), ['Plik', 'Widok', 'Szukaj', 'Projekt', 'Wykonaj', 'Pomoc']);

  // Alt alone: to the bar's first menu, closed; Escape, or Alt again, back.
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await page.keyboard.press('Alt');
  assert.equal(await focused(page), 'Plik');
  assert.equal(await page.getByRole('menu').count(), 0);
  await page.keyboard.press('Escape');
  assert.ok(await inEditor());
  await page.keyboard.press('Alt');
  assert.equal(await focused(page), 'Plik');
  await page.keyboard.press('Alt');
  assert.ok(await inEditor());
  // AltGr, which the browser tells as Ctrl+Alt, types Polish letters ("ś"
  // with S): it opens no menu.
  await page.keyboard.press('Control+Alt+s');
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.ok(await inEditor());
  // Alt with Shift (a keyboard layout's switch) is not Alt alone.
  await page.keyboard.press('Shift+Alt');
  assert.ok(await inEditor());

  // Alt+Y opens "W&ykonaj" at its first entry; its letters go to their entries.
  await page.keyboard.press('Alt+y');
  const run = menu(page, 'Wykonaj');
  await run.waitFor();
  assert.equal(await focused(page), 'Program');
  assert.equal(await run.getByRole('menuitem', { name: 'Reset' }).locator('.mnemonic').textContent(), 'e');
  for (const [letter, entry] of [['e', 'Reset'], ['r', 'Rozkaz'], ['i', 'Cofnij rozkaz'], ['c', 'Cofnij takt']]) {
    await page.keyboard.press(letter);
    assert.equal(await focused(page), entry, letter);
  }
  // With Alt held, a letter no menu of the bar underlines chooses nothing.
  await page.keyboard.press('Alt+e');
  assert.equal(await focused(page), 'Cofnij takt');
  // Escape closes the menu onto its caption, a second leaves the bar.
  await page.keyboard.press('Escape');
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.equal(await focused(page), 'Wykonaj');
  await page.keyboard.press('Escape');
  assert.ok(await inEditor());
  // Entries without a letter of their own go by their first letter.
  await page.keyboard.press('Alt+s');
  await menu(page, 'Szukaj').waitFor();
  await page.keyboard.press('z');
  assert.equal(await focused(page), 'Znajdź następny');
  await page.keyboard.press('z');
  assert.equal(await focused(page), 'Zamień');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');

  // A command chosen so does what its key does: "L&ista rozkazów".
  await page.keyboard.press('Alt+w');
  await page.keyboard.press('i');
  assert.equal(await focused(page), 'Lista rozkazów');
  await page.keyboard.press('Enter');
  assert.equal(await page.locator('#lower-tabs [aria-selected=true]').textContent(), 'Lista rozkazów');
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'instruction-names');
  // Not while a box holds the keyboard.
  await menuCommand(page, 'Plik', 'Zapisz jako');
  const box = page.getByRole('dialog', { name: 'Zapisz jako' });
  await box.waitFor();
  await page.keyboard.press('Alt+p');
  assert.equal(await page.getByRole('menu').count(), 0);
  await page.keyboard.press('Escape');
  await box.waitFor({ state: 'detached' });
  assert.deepEqual(page.errors, []);
});

test('the desktop\'s Ctrl, Shift and Alt forms of the function keys are the page\'s, and none reloads it, a box open or not', async () => {
  const page = await freshPage(site);
  await page.evaluate(() => {
    window.notReloaded = true;
    window.browserGot = [];
    window.addEventListener('keydown', (event) => /^F\d+$/.test(event.key) && !event.defaultPrevented && window.browserGot.push(event.key));
  });
  // The forms the table binds, and those of F5 the browser would reload by.
  await page.keyboard.press('Control+F12');
  assert.equal(await page.locator('#lower-tabs [aria-selected=true]').textContent(), 'Przebiegi czasowe');
  await typeProgram(page, 'POB x\nSTP\nx: RST 5\n');
  await compiled(page);
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('Shift+F7');
  await shownCycle(page, 0);
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  for (const key of ['Control+F5', 'Shift+F5', 'Control+Shift+F5', 'Alt+F5', 'Shift+F8', 'Control+F1', 'Alt+F7', 'Shift+F3', 'Control+F7', 'Shift+F12', 'Alt+F12'])
    await page.keyboard.press(key);
  assert.deepEqual(await page.evaluate(() => window.browserGot), []);
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  // With Alt held a key is none of the table's: Alt+F7 took no cycle.
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '0');
  // A box keeps its keys from the page's commands, never from being taken
  // from the browser: seen last on their way down, none is the browser's.
  await page.evaluate(() => {
    window.browserGotInBox = [];
    window.addEventListener('keydown', (event) => (/^F\d+$/.test(event.key) || event.ctrlKey) && event.key !== 'Control' && !event.defaultPrevented && window.browserGotInBox.push(event.key), true);
  });
  await menuCommand(page, 'Plik', 'Zapisz jako');
  const box = page.getByRole('dialog', { name: 'Zapisz jako' });
  await box.waitFor();
  for (const key of ['F5', 'F7', 'Control+F9', 'Control+F5', 'Shift+F5', 'Control+f', 'Control+l']) await page.keyboard.press(key);
  await page.keyboard.press('Escape');
  await box.waitFor({ state: 'detached' });
  assert.deepEqual(await page.evaluate(() => window.browserGotInBox), []);
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '0');
  assert.deepEqual(page.errors, []);
});

test('a letter key of the table is the page\'s wherever the keyboard stands, typed small as a key gives it', async () => {
  const page = await freshPage(site);
  await page.locator('#console-output').focus();
  await page.keyboard.press('Control+h');
  const replace = page.getByRole('dialog', { name: 'Zamień' });
  await replace.waitFor();
  await page.keyboard.press('Escape');
  await replace.waitFor({ state: 'detached' });
  assert.deepEqual(page.errors, []);
});

test('context menus open by the menu key too, stay inside the window and give the keyboard back', async () => {
  const page = await freshPage(site);
  const ak = register(page, 'AK');
  await ak.focus();
  await page.keyboard.press('ContextMenu');
  await menu(page, 'Rejestr').waitFor();
  assert.equal(await focused(page), 'Wpisz wartość');
  await page.keyboard.press('Escape');
  assert.equal(await menu(page, 'Rejestr').count(), 0);
  assert.equal(await ak.evaluate((e) => e === document.activeElement), true);
  // "Wpisz wartość" asks for the register's value.
  await page.keyboard.press('Shift+F10');
  await page.keyboard.press('Enter');
  const box = page.locator('.box');
  await box.waitFor();
  assert.equal(await box.locator('h2').textContent(), 'Rejestr AK');
  await box.locator('input').fill('7');
  await box.getByRole('button', { name: 'OK' }).click();
  await page.getByRole('button', { name: 'AK : 7' }).waitFor();
  // Space, as Enter, on a register asks for its value.
  await ak.focus();
  await page.keyboard.press(' ');
  await box.waitFor();
  assert.equal(await box.locator('input').inputValue(), '7');
  await box.getByRole('button', { name: 'Anuluj' }).click();
  await box.waitFor({ state: 'detached' });

  // A memory row's menu is the diagram's; Escape gives the row the keyboard back.
  const row = page.locator('svg.diagram text.row').nth(2);
  await row.focus();
  await page.keyboard.press('Shift+F10');
  await menu(page, 'Schemat').waitFor();
  assert.equal(await focused(page), 'Zapisz schemat jako PNG...');
  await page.keyboard.press('Escape');
  assert.equal(await row.evaluate((e) => e === document.activeElement), true);
  // Space on a row enters its word.
  await page.keyboard.press(' ');
  await box.waitFor();
  assert.equal(await box.locator('label').textContent(), 'Wartość[2]');
  await box.getByRole('button', { name: 'Anuluj' }).click();
  await box.waitFor({ state: 'detached' });

  // Opened in the window's corner, the menu is moved inside it.
  const { width, height } = page.viewportSize();
  await page.locator('svg.diagram').evaluate((svg, [x, y]) => {
    svg.dispatchEvent(new MouseEvent('contextmenu', { clientX: x, clientY: y, bubbles: true, cancelable: true }));
  }, [width - 2, height - 2]);
  const placed = await menu(page, 'Schemat').boundingBox();
  assert.ok(placed.x + placed.width <= width && placed.y + placed.height <= height, JSON.stringify(placed));
  assert.ok(placed.x > 0 && placed.y > 0);
  await page.keyboard.press('Escape');
  // Opened by a click, at the pointer.
  await page.locator('svg.diagram').click({ button: 'right', position: { x: 30, y: 40 } });
  const diagramBox = await page.locator('svg.diagram').boundingBox();
  const atPointer = await menu(page, 'Schemat').boundingBox();
  assert.ok(Math.abs(atPointer.x - diagramBox.x - 30) <= 1 && Math.abs(atPointer.y - diagramBox.y - 40) <= 1, JSON.stringify(atPointer));
  await page.keyboard.press('Escape');
  assert.equal(await page.getByRole('menu').count(), 0);
  assert.deepEqual(page.errors, []);
});

test('the lists answer their keys: the examples, the lower panel\'s tabs, the watches, the instructions and their lines', async () => {
  const page = await freshPage(site);
  // The examples' menu: the arrows go round, Escape closes it on its button.
  const examples = page.getByRole('button', { name: 'Przykłady' });
  await examples.click();
  assert.equal(await examples.getAttribute('aria-expanded'), 'true');
  const items = menu(page, 'Przykłady').getByRole('menuitem');
  const names = await items.evaluateAll((all) => all.map((i) => i.getAttribute('aria-label')));
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')), names[0]);
  await page.keyboard.press('ArrowUp');
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')), names.at(-1));
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')), names[1]);
  await page.keyboard.press('Escape');
  assert.equal(await menu(page, 'Przykłady').isVisible(), false);
  assert.equal(await examples.getAttribute('aria-expanded'), 'false');
  assert.equal(await examples.evaluate((e) => e === document.activeElement), true);
  // Space opens the example focused.
  await examples.click();
  await page.getByRole('menuitem', { name: 'Dorum: suma.prg' }).focus();
  await page.keyboard.press(' ');
  await page.getByRole('tab', { name: 'suma.prg', selected: true }).waitFor();
  await compiled(page);

  // The lower panel's tabs: only the one shown is reached by Tab, and only its panel is in sight.
  const lower = page.getByRole('tablist', { name: 'Okna' }).getByRole('tab');
  const lowerState = () =>
    lower.evaluateAll((all) => all.map((t) => `${t.textContent}:${t.tabIndex}:${document.getElementById(t.getAttribute('aria-controls')).hidden}`));
  // The arrows go along them, right to the next and left to the one
  // before, and round.
  const selected = () => lower.evaluateAll((all) => all.filter((t) => t.getAttribute('aria-selected') === 'true').map((t) => t.textContent));
  await page.getByRole('tab', { name: 'Konsola' }).focus();
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selected(), ['Lista rozkazów']);
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selected(), ['Zmienne']);
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual(await selected(), ['Lista rozkazów']);
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual(await selected(), ['Przebiegi czasowe']);
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Przebiegi czasowe');
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  assert.deepEqual(await lowerState(), ['Konsola:-1:true', 'Lista rozkazów:-1:true', 'Zmienne:0:false', 'Przebiegi czasowe:-1:true']);

  // The watches: none chosen at first; the arrows go down and up and stop at the ends.
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  const watches = page.getByRole('listbox', { name: 'Zmienne programu' });
  const rows = await watches.getByRole('option').allTextContents();
  assert.ok(rows.length >= 3, rows.join());
  const chosen = () => watches.getByRole('option', { selected: true }).allTextContents();
  assert.deepEqual(await chosen(), []);
  // The menu key with none chosen chooses the first, and offers its menu.
  await watches.focus();
  await page.keyboard.press('Shift+F10');
  await menu(page, 'Zmienne').waitFor();
  assert.deepEqual(await chosen(), [rows[0]]);
  await page.keyboard.press('Escape');
  await page.getByRole('tab', { name: 'Konsola' }).click();
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  await watches.evaluate((list) => [...list.children].forEach((item) => item.setAttribute('aria-selected', 'false')));
  await watches.focus();
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosen(), [rows[0]]);
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosen(), [rows[1]]);
  assert.equal(await watches.getAttribute('aria-activedescendant'), 'watch-1');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  assert.deepEqual(await chosen(), [rows[0]]);
  for (let k = 0; k < rows.length + 1; ++k) await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosen(), [rows.at(-1)]);
  // A run that changes a word keeps the watch chosen.
  const before = await watches.getByRole('option').allTextContents();
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  const changed = async () => JSON.stringify(await watches.getByRole('option').allTextContents()) !== JSON.stringify(before);
  assert.equal(await eventually(changed, true), true, 'the run changed a watched word');
  assert.deepEqual((await chosen()).length, 1);
  assert.equal((await chosen())[0].split('  ')[0], rows.at(-1).split('  ')[0]);
  // A program with fewer labels keeps one chosen: the last there is.
  await compiled(page, 'x: RST 1\n');
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  await eventually(async () => (await watches.getByRole('option').count()) === 1, true);
  assert.deepEqual(await chosen(), await watches.getByRole('option').allTextContents());
  assert.equal(await watches.getAttribute('aria-activedescendant'), 'watch-0');

  // The instructions: the arrows choose one and show its lines, stopping at the ends.
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const list = page.getByRole('listbox', { name: 'Rozkazy' });
  const source = page.getByRole('listbox', { name: 'Treść rozkazu' });
  const chosenName = () => list.getByRole('option', { selected: true }).allTextContents();
  const all = await list.getByRole('option').allTextContents();
  await list.getByRole('option').first().click();
  await list.focus();
  await page.keyboard.press('ArrowUp');
  assert.deepEqual(await chosenName(), [all[0]]);
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosenName(), [all[1]]);
  assert.match((await source.getByRole('option').allTextContents()).join('\n'), new RegExp(`^ROZKAZ ${all[1]}\\b`, 'im'));
  for (let k = 0; k < all.length; ++k) await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosenName(), [all.at(-1)]);
  // Delete asks first; "Nie" keeps it.
  await page.keyboard.press('Delete');
  const question = page.locator('.box');
  await question.waitFor();
  assert.match(await question.locator('.message').textContent(), new RegExp(all.at(-1)));
  await question.getByRole('button', { name: 'Nie' }).click();
  await question.waitFor({ state: 'detached' });
  assert.equal(await list.getByRole('option').count(), all.length);
  // "Tak": it goes, and the one before it is chosen.
  await page.getByRole('button', { name: 'Usuń rozkaz' }).click();
  await question.getByRole('button', { name: 'Tak' }).click();
  assert.equal(await eventually(() => list.getByRole('option').count(), all.length - 1), all.length - 1);
  assert.deepEqual(await chosenName(), [all.at(-2)]);
  assert.ok((await source.getByRole('option').count()) > 0);

  // Its lines: the arrows from none to the first, down and up, not past the first.
  await list.getByRole('option').filter({ hasText: /^pob$/ }).click();
  const lines = await source.getByRole('option').allTextContents();
  const chosenLine = () => source.getByRole('option', { selected: true }).allTextContents();
  await source.focus();
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosenLine(), [lines[0]]);
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosenLine(), [lines[1]]);
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  assert.deepEqual(await chosenLine(), [lines[0]]);
  for (let k = 0; k < lines.length + 1; ++k) await page.keyboard.press('ArrowDown');
  assert.deepEqual(await chosenLine(), [lines.at(-1)]);
  assert.deepEqual(page.errors, []);
});

// The shown editor's selection: where it starts and what it holds.
const selection = (page) =>
  page.evaluate(() => {
    const { state } = document.querySelector('[role=tabpanel]:not([hidden]) .cm-content').cmTile.root.view;
    return `${state.selection.main.from}-${state.sliceDoc(state.selection.main.from, state.selection.main.to)}`;
  });

test('the value box: its text chosen to be typed over, Enter enters it, Escape and "Anuluj" change nothing, the keyboard comes back', async () => {
  const page = await freshPage(site);
  const row = page.locator('g.memory text.row').first();
  await row.waitFor();
  const value = page.getByRole('dialog', { name: 'PaO' });
  const field = value.getByLabel('Wartość[0]');
  const word = () => row.getAttribute('aria-label');
  await row.focus();
  await page.keyboard.press('Enter');
  await field.waitFor();
  assert.equal(await page.evaluate(() => document.activeElement?.closest('label')?.textContent), 'Wartość[0]');
  // The old value is chosen: the first key replaces it.
  await page.waitForFunction(() => document.activeElement?.selectionEnd === 1 && document.activeElement?.selectionStart === 0);
  await page.keyboard.type('12');
  await page.keyboard.press('Enter');
  await value.waitFor({ state: 'detached' });
  assert.match(await eventually(async () => (await word()).slice(0, 6), '0  12 '), /^0 {2}12 /);
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')?.slice(0, 5)), '0  12');
  // The keyboard stays in the box both ways round.
  await page.keyboard.press('Enter');
  await field.waitFor();
  // The box gives its field the keyboard once it stands.
  await page.waitForFunction(() => document.activeElement?.closest('label')?.textContent === 'Wartość[0]');
  await page.keyboard.press('Shift+Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Anuluj');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.tagName), 'INPUT');
  await page.keyboard.type('5');
  await page.keyboard.press('Escape');
  await value.waitFor({ state: 'detached' });
  await page.keyboard.press('Enter');
  await field.fill('6');
  await value.getByRole('button', { name: 'Anuluj' }).click();
  await value.waitFor({ state: 'detached' });
  assert.match(await word(), /^0 {2}12 /);
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')?.slice(0, 5)), '0  12');

  // A message box: the information is a plain dialog, its "OK" has the
  // keyboard, and Enter closes it.
  await typeProgram(page, 'STP');
  await page.keyboard.press('Control+F9');
  const box = page.locator('.box');
  await box.waitFor();
  assert.equal(await box.getAttribute('role'), 'dialog');
  assert.equal(await box.locator('.message').textContent(), 'Program został skompilowany');
  assert.equal(await box.getAttribute('aria-describedby'), await box.locator('.message').getAttribute('id'));
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'OK');
  await page.keyboard.press('Enter');
  await box.waitFor({ state: 'detached' });
  assert.equal(await page.evaluate(() => document.activeElement?.classList.contains('cm-content')), true);
  assert.deepEqual(page.errors, []);
});
