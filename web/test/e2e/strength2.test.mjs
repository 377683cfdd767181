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
