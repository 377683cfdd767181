// What stops a run: the stop conditions dialog and the conditions it
// writes, a watched word that changes, breakpoints on a program's lines and
// on an instruction's cycles, and the greying of "Punkt zatrzymania".
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, compiled, eventually, freshPage, menu, openExample, openMenu, register, shownCycle, shownEditor, shownLines, siteOfFile, typeProgram } from './harness.mjs';

const site = siteOfFile();

async function openConditions(page) {
  await (await openMenu(page, 'Wykonaj')).getByRole('menuitem', { name: 'Warunki zatrzymania...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Warunki zatrzymania' });
  await dialog.waitFor();
  return dialog;
}

const isDisabled = (page, name) => page.getByRole('button', { name, exact: true }).isDisabled();

test('the stop conditions dialog greys what cannot be done, tells faults apart, chooses the row "Usuń" takes and keeps only what "OK" wrote', async () => {
  const page = await freshPage(site);
  let dialog = await openConditions(page);
  const field = dialog.getByRole('textbox', { name: 'Nowy warunek' });
  const button = (name) => dialog.getByRole('button', { name, exact: true });
  const greyed = async () => [await button('Dodaj').isDisabled(), await button('Usuń').isDisabled(), await button('Usuń wszystkie').isDisabled()];
  const rows = dialog.getByRole('listitem');
  const current = () => rows.evaluateAll((all) => all.map((r) => r.getAttribute('aria-current') === 'true'));
  const message = dialog.locator('.message');
  assert.deepEqual(await greyed(), [true, true, true]);
  assert.notEqual((await dialog.locator('.note').textContent()).trim(), '');
  assert.equal(await field.evaluate((e) => e === document.activeElement), true);
  await field.fill('   ');
  assert.equal(await button('Dodaj').isDisabled(), true, 'blanks are nothing to add');
  await field.fill('AK=');
  assert.equal(await button('Dodaj').isDisabled(), false);
  await button('Dodaj').click();
  await dialog.locator('.message.fault').waitFor();
  assert.equal(await field.inputValue(), 'AK=', 'a malformed text stays for mending');
  assert.equal(await field.evaluate((e) => e === document.activeElement), true);
  await field.fill('AK=1');
  await field.press('Enter');
  await eventually(() => field.inputValue(), '');
  assert.equal(await message.evaluate((e) => e.classList.contains('fault')), false);
  assert.deepEqual(await greyed(), [true, false, false]);
  await field.fill('AK=2');
  await field.press('Enter');
  assert.deepEqual(await eventually(current, [false, true]), [false, true]);
  // Typed again: not added twice, and the student is told.
  await field.fill('ak = 2');
  await field.press('Enter');
  const listed = 'Warunek AK=2 jest już na liście; zaznaczono go.';
  assert.equal(await eventually(() => message.textContent(), listed), listed);
  assert.deepEqual(await rows.allTextContents(), ['AK=1', 'AK=2']);
  // A click chooses the row "Usuń" takes.
  await rows.nth(0).click();
  assert.deepEqual(await current(), [true, false]);
  await button('Usuń').click();
  assert.deepEqual(await eventually(() => rows.allTextContents(), ['AK=2']), ['AK=2']);
  assert.deepEqual(await current(), [true]);
  // Unchecked, it stays unchecked; a condition typed but not added is added
  // by "OK", which a malformed one keeps from closing the dialog.
  await rows.nth(0).getByRole('checkbox').uncheck();
  await field.fill('AK=');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.locator('.message.fault').waitFor();
  assert.equal(await dialog.isVisible(), true);
  assert.equal(await field.inputValue(), 'AK=');
  await field.fill('AK=5');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  dialog = await openConditions(page);
  assert.deepEqual(await rows.allTextContents(), ['AK=2', 'AK=5']);
  assert.deepEqual([await rows.nth(0).getByRole('checkbox').isChecked(), await rows.nth(1).getByRole('checkbox').isChecked()], [false, true]);
  assert.deepEqual(await current(), [true, false], 'the first row is chosen when the dialog opens');
  assert.deepEqual(await greyed(), [true, false, false]);
  // The checkbox's focus chooses its row too.
  await rows.nth(1).getByRole('checkbox').focus();
  assert.deepEqual(await current(), [false, true]);
  // After "Usuń" takes the last row, the one before it is chosen and goes
  // next; with none left, "Usuń" is greyed.
  await button('Usuń').click();
  assert.deepEqual(await eventually(current, [true]), [true]);
  assert.equal(await rows.textContent(), 'AK=2');
  assert.equal(await button('Usuń').isDisabled(), false);
  await button('Usuń').click();
  assert.equal(await eventually(() => rows.count(), 0), 0);
  assert.deepEqual(await greyed(), [true, true, true]);
  for (const text of ['AK=3', 'AK=4']) {
    await field.fill(text);
    await field.press('Enter');
    await eventually(() => field.inputValue(), '');
  }
  await button('Usuń wszystkie').click();
  assert.equal(await eventually(() => rows.count(), 0), 0);
  assert.deepEqual(await greyed(), [true, true, true]);
  // Enter with nothing typed is "OK".
  await field.press('Enter');
  await dialog.waitFor({ state: 'detached' });
  dialog = await openConditions(page);
  assert.equal(await rows.count(), 0);
  // "Anuluj" writes nothing.
  await field.fill('AK=3');
  await field.press('Enter');
  await rows.first().waitFor();
  await dialog.getByRole('button', { name: 'Anuluj' }).click();
  dialog = await openConditions(page);
  assert.equal(await rows.count(), 0);
  // A single condition is chosen too when the dialog opens: "Usuń" takes it.
  await field.fill('AK=6');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  dialog = await openConditions(page);
  assert.deepEqual(await current(), [true], 'the only row is chosen when the dialog opens');
  assert.deepEqual(await greyed(), [true, false, false]);
  await dialog.getByRole('button', { name: 'Anuluj' }).click();
  assert.deepEqual(page.errors, []);
});

test('a stop condition ends a run where it holds; one on a label the program loses is told and shown inactive', async () => {
  const page = await freshPage(site);
  await compiled(page, 'a: DOD jeden\nSOB a\njeden: RST 1\n');
  let dialog = await openConditions(page);
  const field = dialog.getByRole('textbox', { name: 'Nowy warunek' });
  const rows = dialog.getByRole('listitem');
  await field.fill('AK=3');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  await page.keyboard.press('F9');
  const stopped = await closeBox(page);
  assert.match(stopped.text, /^Warunek zatrzymania: AK=3/);
  assert.equal(await register(page, 'AK').getAttribute('aria-label'), 'AK : 3');

  // A condition on a label the program loses: the compile tells it, and the
  // dialog shows it unchecked, with why.
  dialog = await openConditions(page);
  await field.fill('changed(jeden)');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  await typeProgram(page, 'a: SOB a\nSTP\n');
  await page.keyboard.press('Control+F9');
  // Two boxes, one after the other: the compile's, then the news.
  await page.locator('.box .message', { hasText: 'Program został skompilowany' }).waitFor();
  await page.locator('.box').getByRole('button', { name: 'OK' }).click();
  const lost = page.locator('.box', { hasText: 'Te warunki zatrzymania' });
  await lost.waitFor();
  assert.equal(await lost.getAttribute('role'), 'dialog');
  assert.match(await lost.locator('.message').textContent(), /^Te warunki zatrzymania stały się nieczynne[^\n]*\nchanged\(jeden\) — /);
  await lost.getByRole('button', { name: 'OK' }).click();
  dialog = await openConditions(page);
  await rows.nth(1).waitFor();
  assert.match(await rows.nth(1).textContent(), /^changed\(jeden\) — nieczynny: /);
  assert.equal(await rows.nth(1).getByRole('checkbox').isDisabled(), true);
  // Unchecked and removed.
  await rows.nth(0).getByRole('checkbox').uncheck();
  await rows.nth(1).click();
  await dialog.getByRole('button', { name: 'Usuń', exact: true }).click();
  assert.deepEqual(await eventually(() => rows.allTextContents(), ['AK=3']), ['AK=3']);
  assert.equal(await rows.nth(0).getByRole('checkbox').isChecked(), false);
  await dialog.getByRole('button', { name: 'Usuń wszystkie' }).click();
  assert.equal(await eventually(() => rows.count(), 0), 0);
  await dialog.getByRole('button', { name: 'Anuluj' }).click();
  assert.deepEqual(page.errors, []);
});

test('a watch stops a run when its word changes', async () => {
  const page = await freshPage(site);
  await openExample(page, 'Dorum: suma.prg');
  await compiled(page);
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  const watches = page.getByRole('listbox', { name: 'Zmienne programu' });
  // From the keyboard with no watch chosen yet, the menu is the first watch's.
  await watches.focus();
  await page.keyboard.press('Shift+F10');
  await menu(page, 'Zmienne').waitFor({ timeout: 5000 });
  assert.equal(await watches.getByRole('option').first().getAttribute('aria-selected'), 'true');
  await page.keyboard.press('Escape');
  const z = watches.getByRole('option').filter({ hasText: /^z / });
  await z.click({ button: 'right' });
  assert.equal(await z.getAttribute('aria-selected'), 'true');
  await menu(page, 'Zmienne').getByRole('menuitem', { name: 'Zatrzymaj przy zmianie' }).click();
  await page.keyboard.press('F9');
  const box = await closeBox(page);
  assert.match(box.text, /^Warunek zatrzymania: changed\(z\)/);
  // By keyboard: the arrows choose a watch, Shift+F10 opens its menu.
  await watches.focus();
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('Shift+F10');
  await menu(page, 'Zmienne').waitFor();
  await page.keyboard.press('Escape');
  assert.equal(await watches.getByRole('option', { selected: true }).count(), 1);
  assert.deepEqual(page.errors, []);
});

test('a breakpoint set in the gutter or with Ctrl+F8 stops the program before its line, on its first and last lines too, across a reload', async () => {
  const page = await freshPage(site);
  const breakpoints = () => shownEditor(page).locator('.cm-breakpoint-line').allTextContents();
  await typeProgram(page, 'POB x\nDOD x\nSTP\nx: RST 3\n');
  // In the gutter before the compile, with the keys after it.
  const gutter = await shownEditor(page).locator('.cm-breakpoint-gutter').boundingBox();
  const line = await shownLines(page).nth(1).boundingBox();
  await page.mouse.click(gutter.x + gutter.width / 2, line.y + line.height / 2);
  await compiled(page);
  await page.keyboard.press('F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  assert.equal(await shownEditor(page).locator('.cm-next-line').textContent(), 'DOD x');
  await shownLines(page).nth(2).click();
  await page.keyboard.press('Control+F8');
  await shownLines(page).nth(1).click();
  await page.keyboard.press('Control+F8'); // off
  await page.keyboard.press('F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  assert.equal(await shownEditor(page).locator('.cm-next-line').textContent(), 'STP');
  assert.deepEqual(await breakpoints(), ['STP']);

  // In a program of its own: no line break after the last line, which is
  // the editor's last line too.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await shownEditor(page).locator('.cm-content').pressSequentially('POB x\nSOB a\nx: RST 5\na: STP');
  for (const at of [0, 3]) {
    await shownLines(page).nth(at).click();
    await page.keyboard.press('Control+F8');
  }
  assert.deepEqual(await breakpoints(), ['POB x', 'a: STP']);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await breakpoints(), ['POB x', 'a: STP']);
  // The engine is given them as well: the run ends at the last line's.
  await compiled(page);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Program doszedł do punktu zatrzymania.' });
  await shownEditor(page).locator('.cm-next-line', { hasText: 'a: STP' }).waitFor();
  assert.deepEqual(page.errors, []);
});

test('the instruction list follows the cycle performed, and a breakpoint on a cycle stops the run there', async () => {
  const page = await freshPage(site);
  await compiled(page, 'POB x\nSTP\nx: RST 3\n');
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const current = () => page.locator('#instruction-names li.current').textContent();
  const currentLine = () => page.locator('#instruction-source li.current').textContent();
  const lines = page.getByRole('listbox', { name: 'Treść rozkazu' }).getByRole('option');
  const toggle = page.getByRole('button', { name: 'Punkt zatrzymania' });
  const chosenNames = () => page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option', { selected: true }).allTextContents();
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  // Back before the first cycle none is performed: the instruction chosen stays.
  const chosenThen = await chosenNames();
  assert.equal(chosenThen.length, 1);
  await page.keyboard.press('Shift+F7');
  await shownCycle(page, 0);
  assert.deepEqual(await chosenNames(), chosenThen);
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('F7');
  await shownCycle(page, 2);
  // POB's second cycle, on its own line of the source.
  await page.waitForFunction(() => document.querySelector('#instruction-names li.current')?.textContent === 'pob');
  assert.equal(await current(), 'pob');
  assert.match(await currentLine(), /^wyad wea;?/);
  await page.keyboard.press('F7');
  await shownCycle(page, 3);
  assert.match(await currentLine(), /czyt wys weja przep weak/);
  // The cycle performed is also the line chosen, ready for a breakpoint.
  const chosen = page.locator('#instruction-source li[aria-selected=true]');
  assert.equal(await chosen.textContent(), await currentLine());
  assert.equal(await toggle.isEnabled(), true);

  // A breakpoint on that cycle of POB: "Program" from the start stops before it.
  await lines.filter({ hasText: 'czyt wys weja' }).click();
  await toggle.click();
  await page.locator('#instruction-source li.breakpoint').waitFor();
  assert.equal(await page.locator('#instruction-source li.breakpoint').count(), 1);
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Napotkano punkt zatrzymania trakcie wykonywania rozkazu pob.' });
  await shownCycle(page, 2);
  assert.equal(await register(page, 'AK').getAttribute('aria-label'), 'AK : 0');
  // Set again, it goes: the program runs to its end.
  await lines.filter({ hasText: 'czyt wys weja' }).click();
  await toggle.click();
  await page.waitForFunction(() => document.querySelectorAll('#instruction-source li.breakpoint').length === 0);
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });

  // One set before the program is compiled stops it too, and the list
  // shows the instruction where the run stopped.
  const names = page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option');
  await names.filter({ hasText: 'sob' }).click();
  await lines.filter({ hasText: 'wyad wea wel;' }).click();
  await toggle.click();
  await page.locator('#instruction-source li.breakpoint').waitFor();
  await compiled(page, 'a: SOB a\n');
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Napotkano punkt zatrzymania trakcie wykonywania rozkazu sob.' });
  assert.equal(await current(), 'sob');
  assert.deepEqual(page.errors, []);
});

test('an instruction word the list no longer has, met at a fetch, marks no line of the instruction last shown', async () => {
  const page = await freshPage(site);
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  // soz (code 7) goes; the program runs on into a word of that code.
  await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option').filter({ hasText: 'soz' }).click();
  await page.getByRole('button', { name: 'Usuń rozkaz' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Tak' }).click();
  await page.waitForFunction(() => document.querySelectorAll('#instruction-names li').length === 7);
  await compiled(page, 'POB x\nx: RST 224\n');
  for (let cycle = 1; cycle <= 4; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  const currentLines = page.locator('#instruction-source li.current');
  assert.equal(await page.locator('#instruction-names li.current').textContent(), 'pob');
  assert.equal(await currentLines.count(), 1);
  await page.keyboard.press('F7');
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nieznany kod rozkazu (7)' });
  // A cycle by hand now shows the word's own code, which the list lacks:
  // pob stays chosen, but none of its lines is the one performed.
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.keyboard.press('F7');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  await page.waitForFunction(() => !document.querySelector('#instruction-names li.current'));
  assert.equal(await page.locator('#instruction-names li[aria-selected=true]').textContent(), 'pob');
  assert.equal(await currentLines.count(), 0);
  assert.deepEqual(page.errors, []);
});

test('"Punkt zatrzymania" is greyed while no line where a cycle begins is chosen, and Ctrl+F8 sets a breakpoint only on such a line', async () => {
  const page = await freshPage(site);
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const names = page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option');
  const source = page.locator('#instruction-source');
  await names.filter({ hasText: 'sob' }).click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), true);
  await source.locator('li:not(.cycle)').first().click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), true);
  await source.locator('li.cycle').first().click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), false);
  await source.locator('li:not(.cycle)').first().click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), true);
  // Choosing another instruction leaves none of its lines chosen.
  await names.filter({ hasText: 'dod' }).click();
  await source.locator('li.cycle').first().click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), false);
  await names.filter({ hasText: 'ode' }).click();
  assert.equal(await source.locator('li[aria-selected=true]').count(), 0);
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), true);
  // Ctrl+F8 with no line chosen sets no breakpoint; on a cycle's line it
  // marks that line, and says so to a screen reader.
  await source.focus();
  await page.keyboard.press('Control+F8');
  await source.locator('li.cycle').first().click();
  await source.focus();
  await page.keyboard.press('Control+F8');
  await page.waitForFunction(() => document.querySelector('#instruction-source li.cycle')?.classList.contains('breakpoint'));
  assert.equal(await source.locator('li.breakpoint').count(), 1);
  assert.equal(await source.locator('li.breakpoint').getAttribute('aria-description'), 'punkt zatrzymania');
  assert.equal(await source.locator('li:not(.breakpoint)[aria-description]').count(), 0);
  assert.deepEqual(page.errors, []);
});

test('the stop conditions and the cycle breakpoints survive a reload; a condition on a label waits for its program, and a malformed kept value is ignored', async () => {
  const page = await freshPage(site);
  await compiled(page, 'a: DOD jeden\nŁAD wynik\nSOB a\njeden: RST 1\nwynik: RST 0\n');
  let dialog = await openConditions(page);
  const field = dialog.getByRole('textbox', { name: 'Nowy warunek' });
  const rows = dialog.getByRole('listitem');
  await field.fill('changed(wynik)');
  await field.press('Enter');
  await field.fill('AK=7');
  await field.press('Enter');
  await eventually(() => rows.count(), 2);
  await rows.nth(1).getByRole('checkbox').uncheck();
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const names = page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option');
  const lines = page.getByRole('listbox', { name: 'Treść rozkazu' }).getByRole('option');
  await names.filter({ hasText: 'sob' }).click();
  await lines.filter({ hasText: 'wyad wea wel;' }).click();
  await page.getByRole('button', { name: 'Punkt zatrzymania' }).click();
  await page.locator('#instruction-source li.breakpoint').waitFor();

  const reload = async () => {
    await page.reload();
    await page.waitForSelector('body.ready');
  };
  await reload();
  dialog = await openConditions(page);
  await rows.nth(1).waitFor();
  // The reloaded page has compiled no program yet: the label waits for one.
  assert.match(await rows.nth(0).textContent(), /^changed\(wynik\) — nieczynny: /);
  assert.equal(await rows.nth(1).textContent(), 'AK=7');
  assert.equal(await rows.nth(1).getByRole('checkbox').isChecked(), false);
  await dialog.getByRole('button', { name: 'Anuluj' }).click();
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  await names.filter({ hasText: 'sob' }).click();
  assert.deepEqual(await page.locator('#instruction-source li.breakpoint').allTextContents(), ['wyad wea wel;']);
  // Compiled again, the program has its label: the condition holds first,
  // then the breakpoint stops the run.
  await compiled(page);
  await page.keyboard.press('F9');
  assert.match((await closeBox(page)).text, /^Warunek zatrzymania: changed\(wynik\)/);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Napotkano punkt zatrzymania trakcie wykonywania rozkazu sob.' });

  // What cannot be read, or was kept by another version, is no condition.
  for (const kept of ['{', JSON.stringify({ version: 2, conditions: [{ text: 'AK=1', enabled: true }], cycleBreakpoints: [] }), JSON.stringify({ version: 1, conditions: 'AK=1', cycleBreakpoints: [] })]) {
    await page.evaluate((value) => localStorage.setItem('dorum.stops', value), kept);
    await reload();
    dialog = await openConditions(page);
    assert.equal(await rows.count(), 0, kept);
    await dialog.getByRole('button', { name: 'Anuluj' }).click();
  }
  assert.deepEqual(page.errors, []);
});
