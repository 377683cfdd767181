// What a student sees the page do, command by command: the diagram's
// lights and rows, the run commands' keys and greying, the instruction
// list following a run, the options' fields and the editors' marks.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, openPage, register, shownCycle, startSite, typeProgram } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const item = (page, kind, name) => page.locator(`svg.diagram g.${kind}[data-name=${name}]`);
const lit = async (page, kind, name) => (await item(page, kind, name).getAttribute('class')).split(' ').includes('active');
const rowText = (page, index) => page.locator('svg.diagram text.row').nth(index).getAttribute('aria-label');

async function compiled(page, text) {
  await typeProgram(page, text);
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
}

// The value box: its title and label, answered with `value` (or cancelled).
async function answerValue(page, value) {
  const box = page.locator('.box');
  await box.waitFor();
  const asked = { title: await box.locator('h2').textContent(), label: await box.locator('label').textContent() };
  if (value === null) await box.getByRole('button', { name: 'Anuluj' }).click();
  else {
    await box.locator('input').fill(value);
    await box.getByRole('button', { name: 'OK' }).click();
  }
  await box.waitFor({ state: 'detached' });
  return asked;
}

test('the separators move their panels the way their arrows point, and no further than their bounds', async () => {
  const page = await openPage(site);
  const lower = page.getByRole('separator', { name: 'Wysokość konsoli' });
  const height = async () => (await lower.boundingBox()).y;
  const before = await height();
  await lower.focus();
  for (let i = 0; i < 3; ++i) await page.keyboard.press('ArrowUp');
  // Up raises the separator: the lower panel grows.
  assert.ok((await height()) < before - 10, `${await height()} < ${before}`);
  assert.equal(await lower.getAttribute('aria-valuenow'), '36');
  for (let i = 0; i < 40; ++i) await page.keyboard.press('ArrowDown');
  assert.equal(await lower.getAttribute('aria-valuenow'), '10');

  const editor = page.getByRole('separator', { name: 'Szerokość edytora' });
  await editor.focus();
  for (let i = 0; i < 30; ++i) await page.keyboard.press('ArrowRight');
  assert.equal(await editor.getAttribute('aria-valuenow'), '70');
  for (let i = 0; i < 40; ++i) await page.keyboard.press('ArrowLeft');
  assert.equal(await editor.getAttribute('aria-valuenow'), '15');
  const width = (await page.locator('.editor-panel').boundingBox()).width;
  assert.ok(Math.abs(width - 1366 * 0.15) < 40, `${width}`);
  assert.deepEqual(page.errors, []);
});
