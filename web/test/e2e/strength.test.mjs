// The page's smaller promises: the keys and greying of its commands, what
// an edit clears, where a click on the diagram lands after the wheel, and
// which field the keyboard is handed to.
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

const shownEditor = (page) => page.locator('[role=tabpanel]:not([hidden])');
const isDisabled = (page, name) => page.getByRole('button', { name, exact: true }).isDisabled();

async function compiled(page, text) {
  await typeProgram(page, text);
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
}

test('the console\'s separator grows the lower panel with ArrowUp and shrinks it with ArrowDown', async () => {
  const page = await openPage(site);
  const lower = page.getByRole('region', { name: 'Konsola i lista rozkazów' });
  const separator = page.getByRole('separator', { name: 'Wysokość konsoli' });
  const before = (await lower.boundingBox()).height;
  await separator.focus();
  for (let i = 0; i < 5; ++i) await page.keyboard.press('ArrowUp');
  const taller = (await lower.boundingBox()).height;
  assert.ok(taller > before + 20, `${taller} > ${before}`);
  for (let i = 0; i < 10; ++i) await page.keyboard.press('ArrowDown');
  assert.ok((await lower.boundingBox()).height < before - 20);
});
