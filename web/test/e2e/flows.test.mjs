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

test('the run keys wait while a box is up and work once it is closed; a text typed anew loses the old mark', async () => {
  const page = await openPage(site);
  await typeProgram(page, 'POB x\nXYZ\nx: RST 1');
  await page.keyboard.press('Control+F9');
  // While the error box is up, the run keys do nothing.
  await box(page).waitFor();
  await page.keyboard.press('F7');
  await closeBox(page);
  const status = page.locator('.editor-panel .status');
  assert.notEqual(await status.textContent(), '');
  assert.equal(await page.locator('.cm-error-word').count(), 1);
  await typeProgram(page, 'POB x\nSTP\nx: RST 1');
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
  assert.equal(await status.textContent(), '');
  assert.equal(await page.locator('.cm-error-word').count(), 0);
  // A key after the box is closed does its work: the cycle count was 0.
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '0');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
});

// A mnemonic the list lacks compiles once a list that has it is loaded:
// the same text, so only the compile takes its mark and status away.
test('a compile that succeeds after a failed one takes the old mark and status away', async () => {
  const page = await openPage(site);
  await typeProgram(page, 'WPR 1\nSTP');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  const status = page.locator('.editor-panel .status');
  const marks = page.locator('[role=tabpanel]:not([hidden]) .cm-error-word');
  assert.notEqual(await status.textContent(), '');
  assert.equal(await marks.count(), 1);
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  const list = readFileSync(new URL('ombra/ombra.lst', examples));
  await (await chooser).setFiles({ name: 'ombra.lst', mimeType: 'text/plain', buffer: list });
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option', { name: 'wpr' }).waitFor();
  assert.notEqual(await status.textContent(), '');
  assert.equal(await marks.count(), 1);
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
  assert.equal(await status.textContent(), '');
  assert.equal(await marks.count(), 0);
});
