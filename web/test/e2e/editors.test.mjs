// The editors as a student writes in them: their tabs, the check as the
// text is typed and the compile's error marks, the next line and the
// breakpoints in the gutter, find and replace.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, compiled, eventually, freshPage, newContext, openPage, shownEditor, shownLines, siteOfFile, typeProgram, menuCommand } from './harness.mjs';

const site = siteOfFile();

// The editor tabs: name, chosen, in the Tab order.
const tabsOf = (page) =>
  page
    .getByRole('tablist', { name: 'Otwarte pliki' })
    .getByRole('tab')
    .evaluateAll((tabs) => tabs.map((t) => `${t.textContent}${t.getAttribute('aria-selected') === 'true' ? '*' : ''}${t.tabIndex}`));
const shownText = (page) => shownLines(page).allTextContents();
const focusedLabel = (page) => page.evaluate(() => document.activeElement?.getAttribute('aria-label') ?? document.activeElement?.textContent);
const inEditor = (page) => page.evaluate(() => document.querySelector('[role=tabpanel]:not([hidden]) .cm-content').contains(document.activeElement));
// The shown editor's selection: where it starts and what it holds.
const selection = (page) =>
  page.evaluate(() => {
    const { state } = document.querySelector('[role=tabpanel]:not([hidden]) .cm-content').cmTile.root.view;
    return `${state.selection.main.from}-${state.sliceDoc(state.selection.main.from, state.selection.main.to)}`;
  });

test('tabs open focused, go round with the arrows, close to their right-hand neighbour, ask only when changed, and a reload keeps them', async () => {
  const page = await freshPage(site);
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  // The new tab is shown and has the keyboard: typing goes into it.
  await page.keyboard.type('ROZKAZ A;');
  assert.deepEqual(await shownText(page), ['ROZKAZ A;']);
  assert.equal(await focusedLabel(page), 'Rozkaz');
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await page.keyboard.type('STP');
  assert.equal(await focusedLabel(page), 'Program');
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk-1', 'program.prg*0']);

  // The arrows go along the tabs and round, the keyboard with them.
  await page.getByRole('tablist', { name: 'Otwarte pliki' }).getByRole('tab', { selected: true }).focus();
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await tabsOf(page), ['program.prg*0', 'rozkaz.rzk-1', 'program.prg-1']);
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk*0', 'program.prg-1']);
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'rozkaz.rzk');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk-1', 'program.prg*0']);

  // A compile error's message goes when another tab is shown, not when the
  // same one is chosen again.
  await typeProgram(page, 'XYZ');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  const status = page.locator('.status');
  assert.notEqual(await status.textContent(), '');
  await page.getByRole('tablist', { name: 'Otwarte pliki' }).getByRole('tab', { selected: true }).click();
  assert.notEqual(await status.textContent(), '');
  await page.getByRole('tab', { name: 'rozkaz.rzk' }).click();
  assert.equal(await status.textContent(), '');
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk*0', 'program.prg-1']);

  // A reload keeps the tabs, the one shown, and which were changed.
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk*0', 'program.prg-1']);
  assert.deepEqual(await shownText(page), ['ROZKAZ A;']);
  await page.getByRole('button', { name: 'Zamknij' }).click();
  const question = page.getByRole('dialog');
  assert.equal(await question.locator('.message').textContent(), 'Plik rozkaz.rzk został zmodyfikowany. Zapisać ?');
  // Escape is "Anuluj": the tab stays.
  await page.keyboard.press('Escape');
  await question.waitFor({ state: 'detached' });
  assert.deepEqual(await tabsOf(page), ['program.prg-1', 'rozkaz.rzk*0', 'program.prg-1']);
  await page.getByRole('button', { name: 'Zamknij' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Nie' }).click();
  // The tab to the right takes the closed one's place.
  await eventually(() => tabsOf(page), ['program.prg-1', 'program.prg*0']);
  assert.deepEqual(await shownText(page), ['XYZ']);
  await page.getByRole('button', { name: 'Zamknij' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Nie' }).click();
  // The last tab closed: the one before it is shown. It was never changed,
  // so it closes without a question, a new program in its place.
  assert.deepEqual(await eventually(() => tabsOf(page), ['program.prg*0']), ['program.prg*0']);
  const closing = await shownEditor(page).elementHandle();
  await page.getByRole('button', { name: 'Zamknij' }).click();
  await page.waitForFunction((editor) => !editor.isConnected || document.querySelector('.box') !== null, closing);
  assert.equal(await page.locator('.box').count(), 0);
  assert.deepEqual(await tabsOf(page), ['program.prg*0']);
  assert.equal(await shownEditor(page).locator('.cm-content').getAttribute('aria-label'), 'Program');
  assert.equal(await page.locator('.editor[role=tabpanel]').count(), 1);

  // Tab types a tab; Escape, then Tab, leaves the editor: the keyboard is
  // never trapped.
  await typeProgram(page, 'et:');
  await page.keyboard.press('Tab');
  await page.keyboard.type('STP');
  assert.deepEqual(await shownText(page), ['et:\tSTP']);
  await page.keyboard.press('Escape');
  await page.keyboard.press('Tab');
  assert.notEqual(await page.evaluate(() => document.activeElement?.classList.contains('cm-content')), true);
  // The last tab, changed: "Anuluj" keeps it; "Nie" closes it, and a new,
  // empty program takes its place.
  await page.getByRole('button', { name: 'Zamknij' }).click();
  assert.equal(await question.locator('.message').textContent(), 'Plik program.prg został zmodyfikowany. Zapisać ?');
  await question.getByRole('button', { name: 'Anuluj' }).click();
  assert.deepEqual(await shownText(page), ['et:\tSTP']);
  await page.getByRole('button', { name: 'Zamknij' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Nie' }).click();
  await page.waitForFunction(() => document.querySelector('[role=tabpanel]:not([hidden]) .cm-content')?.textContent === '');
  assert.deepEqual(await tabsOf(page), ['program.prg*0']);
  assert.deepEqual(page.errors, []);
});

test('a text is checked as typed, the caret left alone; a compile error is an alert that puts the caret at its word; an edit takes mark and message away', async () => {
  const page = await freshPage(site);
  const marks = page.locator('.cm-error-word');
  const status = page.locator('.editor-panel .status');
  await typeProgram(page, 'POB x\nXYZ 1\nSTP');
  // Checked as typed: marked without a box.
  await marks.waitFor();
  assert.equal(await marks.textContent(), 'XYZ');
  assert.match(await status.textContent(), /^2:\d+ /);
  assert.equal(await page.locator('.box').count(), 0);
  // Coloured as typed.
  assert.deepEqual(await eventually(() => page.locator('.cm-w-mnemonic').allTextContents(), ['POB', 'STP']), ['POB', 'STP']);
  // The check marked the word, but the caret stays at the end of the text.
  await page.keyboard.type('!');
  assert.deepEqual(await shownText(page), ['POB x', 'XYZ 1', 'STP!']);
  await page.keyboard.press('Backspace');

  // A compile that fails, even from the button, is an alert; the box gives
  // the keyboard back to the editor, the caret at the word.
  await page.getByRole('button', { name: 'Kompiluj' }).click();
  const box = await closeBox(page);
  assert.equal(box.role, 'alertdialog');
  assert.match(box.text, /^2:\d+ /);
  assert.equal(await marks.textContent(), 'XYZ');
  assert.match(await status.textContent(), /^2:\d+ /);
  assert.equal(await eventually(() => inEditor(page), true), true);
  await page.keyboard.type('#');
  assert.deepEqual(await shownText(page), ['POB x', '#XYZ 1', 'STP']);
  // The edit takes the mark and the message away at once.
  assert.equal(await marks.count(), 0);
  await page.waitForFunction(() => document.querySelector('.editor-panel .status')?.textContent === '');

  // Made right by an edit, nothing marks it again.
  await typeProgram(page, 'STPX\n');
  assert.equal(await eventually(async () => (await marks.allTextContents()).join(), 'STPX'), 'STPX');
  await shownLines(page).first().click();
  await page.keyboard.press('End');
  await page.keyboard.press('Backspace');
  await page.waitForFunction(() => document.querySelector('.cm-error-word') === null, null, { timeout: 3000 });
  assert.equal(await status.textContent(), '');

  // A character beyond the 16-bit range is one character to the engine but
  // two to the editor: the colours and the mark after it still fit.
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  await page.keyboard.type('{😀} ROZKAZ A;');
  const shown = shownEditor(page);
  await shown.locator('.cm-error-word').first().waitFor();
  assert.equal(await eventually(async () => (await shown.locator('.cm-error-word').allTextContents()).join(''), 'A;'), 'A;');
  assert.deepEqual(await eventually(() => shown.locator('.cm-w-keyword').allTextContents(), ['ROZKAZ']), ['ROZKAZ']);
  assert.deepEqual(await shown.locator('.cm-w-comment').allTextContents(), ['{😀}']);
  assert.deepEqual(page.errors, []);
});

// A mnemonic the list lacks compiles once a list that has it is loaded:
// the same text, so only the compile takes its mark and status away.
test('a compile that succeeds after a failed one takes the old mark and status away', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'WPR 1\nSTP');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  const status = page.locator('.editor-panel .status');
  const marks = shownEditor(page).locator('.cm-error-word');
  assert.notEqual(await status.textContent(), '');
  assert.equal(await marks.count(), 1);
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  const list = readFileSync(new URL('../../../examples/ombra/ombra.lst', import.meta.url));
  await (await chooser).setFiles({ name: 'ombra.lst', mimeType: 'text/plain', buffer: list });
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option', { name: 'wpr' }).waitFor();
  assert.notEqual(await status.textContent(), '');
  assert.equal(await marks.count(), 1);
  await compiled(page);
  assert.equal(await status.textContent(), '');
  assert.equal(await marks.count(), 0);
  assert.deepEqual(page.errors, []);
});

test('the next line is marked down to the program\'s last line; breakpoints toggle and move with their lines across a reload', async () => {
  const page = await freshPage(site);
  await compiled(page, 'POB x\nSOB a\nx: RST 5\na: STP');
  await page.keyboard.press('F8');
  await page.locator('.cm-next-line', { hasText: 'SOB a' }).waitFor();
  await page.keyboard.press('F8');
  await page.locator('.cm-next-line', { hasText: 'a: STP' }).waitFor();
  // Ctrl+F8 twice on a line: on, then off again.
  await page.locator('.cm-line').nth(1).click();
  await page.keyboard.press('Control+F8');
  assert.deepEqual(await page.locator('.cm-breakpoint-line').allTextContents(), ['SOB a']);
  await page.keyboard.press('Control+F8');
  assert.equal(await page.locator('.cm-breakpoint-line').count(), 0);
  // The gutter the same way.
  const gutter = await shownEditor(page).locator('.cm-breakpoint-gutter').boundingBox();
  const third = await shownLines(page).nth(2).boundingBox();
  const mark = () => page.mouse.click(gutter.x + gutter.width / 2, third.y + third.height / 2);
  await mark();
  assert.deepEqual(await page.locator('.cm-breakpoint-line').allTextContents(), ['x: RST 5']);
  await mark();
  assert.equal(await page.locator('.cm-breakpoint-line').count(), 0);
  await page.locator('.cm-line').nth(1).click();
  await page.keyboard.press('Control+F8');
  // A line typed above moves the breakpoint down with its line, and so it
  // comes back after a reload.
  await page.locator('.cm-line').nth(0).click();
  await page.keyboard.press('Home');
  await page.keyboard.type('// nowa\n');
  assert.deepEqual(await page.locator('.cm-breakpoint-line').allTextContents(), ['SOB a']);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await shownText(page), ['// nowa', 'POB x', 'SOB a', 'x: RST 5', 'a: STP']);
  assert.deepEqual(await page.locator('.cm-breakpoint-line').allTextContents(), ['SOB a']);
  // An instruction's editor has no breakpoints.
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  await page.keyboard.type('ROZKAZ A;');
  await page.keyboard.press('Control+F8');
  assert.equal(await shownEditor(page).locator('.cm-breakpoint-gutter').count(), 0);
  assert.equal(await shownEditor(page).locator('.cm-breakpoint-line').count(), 0);
  assert.deepEqual(page.errors, []);
});

test('the find box seeks either way with the desktop\'s messages, starts from the selected word, remembers its text, direction and ticks, and gives the editor back', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'POB x\nDOD x\nSTP\nx: RST 1\n');
  const find = page.getByRole('dialog', { name: 'Znajdź' });
  const field = find.getByRole('textbox', { name: 'Znajdź' });
  const next = find.getByRole('button', { name: 'Znajdź następny' });
  // Ctrl+L before any search opens the box, empty.
  await page.keyboard.press('Control+L');
  await find.waitFor();
  assert.equal(await field.inputValue(), '');
  await find.getByRole('button', { name: 'Anuluj' }).click();
  assert.equal(await find.count(), 0);
  assert.equal(await inEditor(page), true);
  // The word selected is the text sought.
  await page.keyboard.press('Control+Home');
  await page.keyboard.press('End');
  await page.keyboard.press('Shift+ArrowLeft');
  await page.keyboard.press('Control+f');
  assert.equal(await field.inputValue(), 'x');
  assert.equal(await field.evaluate((e) => e === document.activeElement && e.selectionStart === 0 && e.selectionEnd === 1), true);
  assert.equal(await find.getByRole('radio', { name: 'W dół' }).isChecked(), true);
  await field.press('Enter');
  assert.equal(await selection(page), '10-x');
  // Ctrl+L goes on to the next one; past the last, the desktop's message.
  await page.keyboard.press('Control+L');
  assert.equal(await selection(page), '16-x');
  await next.click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie znaleziono szukanego tekstu.' });
  // Backwards, from the last "x".
  await find.getByRole('radio', { name: 'W górę' }).check();
  await next.click();
  assert.equal(await selection(page), '10-x');
  await field.press('Escape');
  assert.equal(await find.count(), 0);
  assert.equal(await inEditor(page), true);
  // A selection of more than a line is not sought: the last text is offered, and its direction.
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Control+F');
  assert.equal(await field.inputValue(), 'x');
  assert.equal(await find.getByRole('radio', { name: 'W górę' }).isChecked(), true);
  await field.fill('');
  await next.click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie można szukać pustego tekstu.' });
  await field.press('Escape');
  // Enter on a check box ticks nothing and seeks nothing; Enter in the
  // field seeks, whatever the case of its letters.
  await page.keyboard.press('Control+Home');
  await page.keyboard.press('Control+F');
  await find.getByRole('radio', { name: 'W dół' }).check();
  await field.fill('X');
  await find.getByRole('checkbox', { name: 'Tylko całe wyrazy' }).focus();
  await page.keyboard.press('Enter');
  assert.equal(await selection(page), '0-');
  assert.equal(await find.getByRole('checkbox', { name: 'Tylko całe wyrazy' }).isChecked(), false);
  await field.press('Enter');
  assert.equal(await selection(page), '4-x');
  // Ctrl+L goes on the remembered way, downwards now.
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+l');
  assert.equal(await selection(page), '10-x');

  // Opened again, the box ticks what the last search ticked, each box on its own.
  const ticks = async () => [
    await find.getByRole('checkbox', { name: 'Uwzględniaj wielkość liter' }).isChecked(),
    await find.getByRole('checkbox', { name: 'Tylko całe wyrazy' }).isChecked(),
  ];
  for (const [matchCase, wholeWord] of [
    [false, true],
    [true, false],
  ]) {
    await page.keyboard.press('Control+Home');
    await page.keyboard.press('Control+F');
    await find.getByRole('checkbox', { name: 'Uwzględniaj wielkość liter' }).setChecked(matchCase);
    await find.getByRole('checkbox', { name: 'Tylko całe wyrazy' }).setChecked(wholeWord);
    await field.fill('x');
    await next.click();
    await field.press('Escape');
    await page.keyboard.press('Control+F');
    assert.deepEqual(await ticks(), [matchCase, wholeWord]);
    await field.press('Escape');
  }
  assert.deepEqual(page.errors, []);
});

test('the replace box seeks downwards only, replaces one or all, and tells what it cannot do', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'POB x\nDOD x\nSTP\nx: RST 1\n');
  // The last search went up; the replace box, which has no direction, and
  // which Ctrl+H in small letters opens too, seeks downwards.
  await page.keyboard.press('Control+f');
  const find = page.getByRole('dialog', { name: 'Znajdź' });
  await find.getByRole('textbox', { name: 'Znajdź' }).fill('x');
  await find.getByRole('radio', { name: 'W górę' }).check();
  await find.getByRole('button', { name: 'Znajdź następny' }).click();
  assert.equal(await selection(page), '16-x');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+Home');
  await page.keyboard.press('Control+h');
  const box = page.getByRole('dialog', { name: 'Zamień' });
  await box.waitFor();
  await box.getByRole('button', { name: 'Znajdź następny' }).click();
  assert.equal(await selection(page), '4-x');
  await box.getByRole('button', { name: 'Znajdź następny' }).click();
  assert.equal(await selection(page), '10-x');
  assert.equal(await box.getByRole('heading').textContent(), 'Zamień');
  assert.equal(await box.getByRole('radio').count(), 0);
  assert.equal(await find.count(), 0, 'one box at a time');
  await box.getByRole('button', { name: 'Anuluj' }).click();
  assert.equal(await inEditor(page), true);

  await page.keyboard.press('Control+Home');
  await page.keyboard.press('Control+H');
  await box.getByRole('textbox', { name: 'Znajdź' }).fill('x');
  await box.getByRole('textbox', { name: 'Zamień na' }).fill('liczba');
  await box.getByRole('checkbox', { name: 'Tylko całe wyrazy' }).check();
  await box.getByRole('button', { name: 'Zamień', exact: true }).click();
  await box.getByRole('button', { name: 'Zamień wszystko' }).click();
  assert.equal((await shownText(page)).join('\n'), 'POB liczba\nDOD liczba\nSTP\nliczba: RST 1\n');
  await box.getByRole('button', { name: 'Zamień wszystko' }).click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie znaleziono szukanego tekstu.' });
  await box.getByRole('textbox', { name: 'Znajdź' }).fill('');
  await box.getByRole('button', { name: 'Zamień', exact: true }).click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie można zamieniać pustego tekstu.' });
  await box.getByRole('button', { name: 'Anuluj' }).click();
  assert.equal(await box.count(), 0);
  assert.deepEqual(page.errors, []);
});

test('a text being typed is checked only after the pause that follows its last key', async () => {
  // A context of its own: the page's clock, not the machine's, from before
  // the first key, so the pauses are exact however busy the machine is
  // (the engine's worker keeps its own time), and no check is left waiting
  // on the real clock.
  const context = await newContext(site);
  const page = await openPage(site, context);
  await page.clock.install();
  await typeProgram(page, 'STPX');
  await page.clock.runFor(600);
  await page.locator('.cm-error-word').waitFor();
  for (let key = 0; key < 8; ++key) {
    await page.keyboard.press(key % 2 === 0 ? 'Space' : 'Backspace');
    await page.clock.runFor(150);
  }
  // 1050 ms since the first key, 150 since the last: nothing checked yet.
  await page.waitForTimeout(300);
  assert.equal(await page.locator('.cm-error-word').count(), 0);
  await page.clock.runFor(400);
  await page.locator('.cm-error-word').waitFor();
  await context.close();
});

test('many tabs: Home and End go to the row\'s ends, the tab chosen is scrolled into sight, and "‹" "›" scroll a row too long', async () => {
  const page = await freshPage(site);
  const row = page.locator('#editor-tabs');
  const back = page.getByRole('button', { name: 'Przewiń karty w lewo' });
  const forth = page.getByRole('button', { name: 'Przewiń karty w prawo' });
  // A row that fits shows no arrows.
  assert.equal(await back.isVisible(), false);
  assert.equal(await forth.isVisible(), false);
  for (let k = 0; k < 9; ++k) {
    await page.getByRole('menubar').getByRole('menuitem', { name: 'Plik' }).click();
    await page.getByRole('menu', { name: 'Plik' }).getByRole('menuitem', { name: 'Nowy' }).click();
    await page.getByRole('menu', { name: 'Nowy' }).getByRole('menuitem', { name: 'Program' }).click();
  }
  assert.ok(await row.evaluate((tabs) => tabs.scrollWidth > tabs.clientWidth), 'the row is too long for its panel');
  await forth.waitFor();
  const inSight = () =>
    row.evaluate((tabs) => {
      const tab = tabs.querySelector('[aria-selected=true]').getBoundingClientRect();
      const box = tabs.getBoundingClientRect();
      return tab.left >= box.left - 1 && tab.right <= box.right + 1;
    });
  const chosen = () => row.getByRole('tab', { selected: true }).evaluate((tab) => [...tab.parentElement.children].indexOf(tab));
  // Home from the last tab: the first is chosen, has the keyboard and is seen.
  await row.getByRole('tab', { selected: true }).focus();
  await page.keyboard.press('Home');
  assert.equal(await chosen(), 0);
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-selected')), 'true');
  assert.ok(await inSight());
  assert.equal(await back.isDisabled(), true, 'nothing to the left of the first tab');
  await page.keyboard.press('End');
  assert.equal(await chosen(), 9);
  assert.ok(await inSight());
  assert.equal(await forth.isDisabled(), true, 'nothing to the right of the last tab');
  // The arrows scroll without choosing.
  const scrolled = await row.evaluate((tabs) => tabs.scrollLeft);
  assert.ok(scrolled > 0);
  await back.click();
  assert.ok(await eventually(() => row.evaluate((tabs, before) => tabs.scrollLeft < before, scrolled), true), 'back towards the row\'s start');
  assert.equal(await chosen(), 9);
  assert.equal(await forth.isDisabled(), false);
  const after = await row.evaluate((tabs) => tabs.scrollLeft);
  await forth.click();
  assert.ok(await eventually(() => row.evaluate((tabs, before) => tabs.scrollLeft > before, after), true), 'on towards its end');
  assert.deepEqual(page.errors, []);
});

test('the status line tells the caret\'s line and column and whether the text changed, of the editor shown', async () => {
  const page = await freshPage(site);
  const caret = page.locator('#caret-position');
  const modified = page.locator('#modified-status');
  assert.equal(await caret.textContent(), '1:1');
  assert.equal(await modified.textContent(), '');
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await page.keyboard.type('POB x\nDOD y');
  assert.equal(await caret.textContent(), '2:6');
  assert.equal(await modified.textContent(), 'Zmodyfikowane');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('Home');
  assert.equal(await caret.textContent(), '1:1');
  await page.keyboard.press('End');
  assert.equal(await caret.textContent(), '1:6');
  // Another tab: its own caret and its own changes.
  await page.getByRole('menubar').getByRole('menuitem', { name: 'Plik' }).click();
  await page.getByRole('menu', { name: 'Plik' }).getByRole('menuitem', { name: 'Nowy' }).click();
  await page.getByRole('menu', { name: 'Nowy' }).getByRole('menuitem', { name: 'Rozkaz' }).click();
  await page.getByRole('tab', { name: 'rozkaz.rzk', selected: true }).waitFor();
  assert.equal(await modified.textContent(), '');
  assert.equal(await caret.textContent(), '1:1');
  await page.getByRole('tab', { name: 'program.prg' }).click();
  assert.equal(await caret.textContent(), '1:6');
  assert.equal(await modified.textContent(), 'Zmodyfikowane');
  assert.deepEqual(page.errors, []);
});

test('the editors complete words as the desktop does: from two letters, Ctrl+Space from one, Enter and Tab take one, none for a word typed in full, and the list follows the instruction list', async () => {
  const page = await freshPage(site);
  const list = page.locator('.cm-tooltip-autocomplete');
  const offered = () => list.locator('li').allTextContents();
  const listed = async (words) => assert.deepEqual(await eventually(offered, words), words);
  // What comes after a key: the list shows a moment later, if at all.
  const noList = async () => {
    await page.waitForTimeout(300);
    assert.equal(await list.count(), 0);
  };
  await typeProgram(page, '');

  // One letter is not enough; two list the words that begin so, in any case.
  await page.keyboard.type('S');
  await noList();
  await page.keyboard.type('o');
  await listed(['sob', 'som', 'soz']);
  // The list is drawn in the page's colours.
  const [back, ink] = await page.evaluate(() => {
    const probe = document.createElement('div');
    probe.style.background = 'var(--box)';
    probe.style.color = 'var(--ink)';
    document.body.append(probe);
    const style = getComputedStyle(probe);
    const colours = [style.backgroundColor, style.color];
    probe.remove();
    return colours;
  });
  assert.equal(await list.evaluate((e) => getComputedStyle(e).backgroundColor), back);
  assert.equal(await list.evaluate((e) => getComputedStyle(e).color), ink);
  await page.keyboard.press('Enter');
  await list.waitFor({ state: 'detached' });
  assert.deepEqual(await shownText(page), ['sob']);

  // A word typed in full needs no list; Ctrl+Space lists after one letter,
  // Escape closes the list and leaves the text.
  await page.keyboard.type(' x\nst');
  await listed(['stp']);
  await page.keyboard.type('p');
  await list.waitFor({ state: 'detached' });
  await page.keyboard.type('\nr');
  await noList();
  await page.keyboard.press('Control+Space');
  await listed(['rpa', 'rst']);
  await page.keyboard.press('Escape');
  await list.waitFor({ state: 'detached' });
  assert.deepEqual(await shownText(page), ['sob x', 'stp', 'r']);
  // The page's keys act while the list is open: Ctrl+F9 compiles.
  await page.keyboard.type('p');
  await listed(['rpa']);
  await page.keyboard.press('Control+F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');

  // A deleted instruction is offered no more, a newly compiled one is.
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option').filter({ hasText: 'soz' }).click();
  await page.getByRole('button', { name: 'Usuń rozkaz' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Tak' }).click();
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  await page.keyboard.insertText('ROZKAZ NOWY;\n');
  // An instruction's editor offers the signals; Tab takes one too.
  await page.keyboard.type('wya');
  await listed(['wyad', 'wyak', 'wyap']);
  await page.keyboard.press('Escape');
  for (let n = 0; n < 3; ++n) await page.keyboard.press('Backspace');
  await page.keyboard.type('cz');
  await listed(['czyt']);
  await page.keyboard.press('Tab');
  await list.waitFor({ state: 'detached' });
  assert.deepEqual(await shownText(page), ['ROZKAZ NOWY;', 'czyt']);
  await page.keyboard.insertText(' wys wei il;');
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Rozkaz skompilowany pomyślnie' });
  await page.getByRole('tab', { name: 'program.prg' }).click();
  await typeProgram(page, '');
  await page.keyboard.type('so');
  await listed(['sob', 'som']);
  await page.keyboard.press('Escape');
  await page.keyboard.type(' no');
  await listed(['nowy']);
  await page.keyboard.press('Enter');
  assert.deepEqual(await shownText(page), ['so nowy']);
});
