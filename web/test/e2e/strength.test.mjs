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

test('after the wheel, Enter on a memory row enters the word of that row', async () => {
  const page = await openPage(site);
  const rows = page.locator('g.memory text.row');
  await rows.first().waitFor();
  assert.match(await rows.first().getAttribute('aria-label'), /^0  /);
  const box = await page.locator('g.memory rect').first().boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.wheel(0, 120);
  await page.waitForFunction(() => document.querySelector('g.memory text.row')?.getAttribute('aria-label')?.startsWith('3  '));

  await rows.first().focus();
  await page.keyboard.press('Enter');
  const value = page.getByRole('dialog');
  await value.getByLabel('Wartość[3]').fill('7');
  await value.getByRole('button', { name: 'OK' }).click();
  await page.waitForFunction(() => document.querySelector('g.memory text.row')?.getAttribute('aria-label')?.startsWith('3  7  '));
  // The word at address 0 is as it was.
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.wheel(0, -120);
  await page.waitForFunction(() => document.querySelector('g.memory text.row')?.getAttribute('aria-label')?.startsWith('0  0  '));
});

test('a bad device number hands the keyboard to its own field', async () => {
  const page = await openPage(site);
  const dialog = page.getByRole('dialog', { name: 'Opcje projektu' });
  for (const field of ['Port wejścia', 'Port wyjścia', 'Przerwanie wejścia', 'Przerwanie wyjścia']) {
    await page.getByRole('button', { name: 'Opcje ...' }).click();
    await dialog.getByRole('textbox', { name: field }).fill('zle');
    await dialog.getByRole('button', { name: 'OK' }).click();
    const box = page.getByRole('alertdialog');
    assert.match(await box.textContent(), /'zle' is not a valid integer value/);
    await box.getByRole('button', { name: 'OK' }).click();
    assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')), field);
    await dialog.getByRole('button', { name: 'Anuluj' }).click();
    await dialog.waitFor({ state: 'detached' });
  }
});

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
