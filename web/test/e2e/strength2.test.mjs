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
