// More of the page's smaller promises: which row a list keeps chosen after
// a change, which way the arrows move, what the find box remembers, and
// when a text being typed is checked.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { eventually, openPage, startSite, typeProgram } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const isDisabled = (page, name) => page.getByRole('button', { name, exact: true }).isDisabled();

test('after "Usuń" takes the last condition, the one before it is chosen and goes next', async () => {
  const page = await openPage(site);
  await page.getByRole('menubar').getByRole('menuitem', { name: 'Wykonaj' }).click();
  await page.getByRole('menu', { name: 'Wykonaj' }).getByRole('menuitem', { name: 'Warunki zatrzymania...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Warunki zatrzymania' });
  const field = dialog.getByRole('textbox', { name: 'Nowy warunek' });
  const rows = dialog.getByRole('listitem');
  const chosen = () => rows.evaluateAll((items) => items.map((item) => item.getAttribute('aria-current') === 'true'));
  for (const text of ['AK=3', 'AK=4']) {
    await field.fill(text);
    await dialog.getByRole('button', { name: 'Dodaj' }).click();
    await eventually(() => field.inputValue(), '');
  }
  assert.deepEqual(await eventually(chosen, [false, true]), [false, true]);
  const remove = dialog.getByRole('button', { name: 'Usuń', exact: true });
  await remove.click();
  assert.deepEqual(await eventually(chosen, [true]), [true]);
  assert.equal(await rows.textContent(), 'AK=3');
  assert.equal(await remove.isDisabled(), false);
  await remove.click();
  assert.equal(await eventually(() => rows.count(), 0), 0);
  assert.equal(await remove.isDisabled(), true);
  assert.deepEqual(page.errors, []);
});

test('the arrows move along the lower panel\'s tabs, right to the next and left to the one before', async () => {
  const page = await openPage(site);
  const tabs = page.getByRole('tablist', { name: 'Okna' }).getByRole('tab');
  const selected = () => tabs.evaluateAll((all) => all.filter((t) => t.getAttribute('aria-selected') === 'true').map((t) => t.textContent));
  await page.getByRole('tab', { name: 'Konsola' }).focus();
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selected(), ['Lista rozkazów']);
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selected(), ['Zmienne']);
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual(await selected(), ['Lista rozkazów']);
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  // From the first round to the last.
  assert.deepEqual(await selected(), ['Przebiegi czasowe']);
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Przebiegi czasowe');
});

test('the find box opened again ticks what the last search ticked, each box on its own', async () => {
  const page = await openPage(site);
  await typeProgram(page, 'POB x\nSTP\nx: RST 1\n');
  const find = page.getByRole('dialog', { name: 'Znajdź' });
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
    await find.getByRole('textbox', { name: 'Znajdź' }).fill('x');
    await find.getByRole('button', { name: 'Znajdź następny' }).click();
    await find.getByRole('textbox', { name: 'Znajdź' }).press('Escape');
    await page.keyboard.press('Control+F');
    assert.deepEqual(await ticks(), [matchCase, wholeWord]);
    await find.getByRole('textbox', { name: 'Znajdź' }).press('Escape');
  }
});

test('a text being typed is checked only after the pause that follows its last key', async () => {
  const page = await openPage(site);
  // The page's clock, not the machine's, from before the first key: the
  // pauses are exact however busy the machine is (the engine's worker keeps
  // its own time), and no check is left waiting on the real clock.
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
});

test('choosing another instruction leaves none of its lines chosen', async () => {
  const page = await openPage(site);
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const names = page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option');
  const source = page.locator('#instruction-source');
  await names.filter({ hasText: 'dod' }).click();
  await source.locator('li.cycle').first().click();
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), false);
  await names.filter({ hasText: 'ode' }).click();
  assert.equal(await source.locator('li[aria-selected=true]').count(), 0);
  assert.equal(await isDisabled(page, 'Punkt zatrzymania'), true);
  // Ctrl+F8 with no line chosen sets no breakpoint.
  await source.focus();
  await page.keyboard.press('Control+F8');
  await page.waitForTimeout(200);
  assert.equal(await source.locator('li.breakpoint').count(), 0);
});
