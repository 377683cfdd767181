// The page's longer errands as a student runs them: a change of options an
// example asks about, keys while a box is up, a compile after a failed one.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, openPage, shownCycle, shownDocument, startSite, typeProgram } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const examples = new URL('../../../examples/', import.meta.url);
const box = (page) => page.locator('.box');

// Opens an example with its own list; whether the page asked first.
async function exampleAsked(page, name) {
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name }).click();
  const asked = await Promise.race([
    box(page).waitFor().then(() => true),
    page.getByRole('tab', { name: name.split(': ')[1], selected: true }).waitFor().then(() => false),
  ]);
  if (asked) {
    assert.match(await box(page).locator('.message').textContent(), /Lista rozkazów została zmieniona/);
    await box(page).getByRole('button', { name: 'Tak' }).click();
  }
  await shownDocument(page, name.split(': ')[1]);
  return asked;
}

test('the list counts as the student\'s own after a change of options', async () => {
  const page = await openPage(site);
  // New widths are a change of the list's project: an example asks.
  await page.keyboard.press('Control+Shift+F11');
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  await options.getByLabel('Liczba bitów kodu').fill('4');
  await options.getByRole('button', { name: 'OK' }).click();
  await options.waitFor({ state: 'detached' });
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), true);
  // The example's list took its place: the next example with it asks nothing.
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), false);
  assert.deepEqual(page.errors, []);
});
