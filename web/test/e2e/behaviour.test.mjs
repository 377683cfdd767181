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

test('the diagram lights what a cycle drove, hides what the machine lacks, and a row entered after scrolling is its own word', async () => {
  const page = await openPage(site);
  // The first preset has no X, Y nor their signals.
  assert.equal(await item(page, 'register', 'RegisterX').isVisible(), false);
  assert.equal(await item(page, 'signal', 'SignalWex').isVisible(), false);
  assert.equal(await item(page, 'register', 'RegisterAK').isVisible(), true);

  await compiled(page, 'POB x\nSTP\nx: RST 3\n');
  await page.keyboard.press('F7'); // the fetch: czyt wys wei il
  await shownCycle(page, 1);
  for (const name of ['WireWys', 'WireWei']) assert.equal(await lit(page, 'wire', name), true, name);
  for (const name of ['WireWyl', 'WireWyak0', 'WireWea']) assert.equal(await lit(page, 'wire', name), false, name);
  assert.equal(await item(page, 'signal', 'SignalWys').getAttribute('aria-checked'), 'true');
  assert.equal(await item(page, 'signal', 'SignalWyl').getAttribute('aria-checked'), 'false');
  assert.equal(await lit(page, 'bus', 'BusS'), true);
  assert.match(await item(page, 'bus', 'BusS').getAttribute('aria-label'), /^mag S = \d+$/);
  assert.equal(await lit(page, 'bus', 'BusA'), false);
  await page.keyboard.press('F7'); // wyad wea
  await shownCycle(page, 2);
  assert.equal(await lit(page, 'wire', 'WireWea'), true);
  assert.equal(await lit(page, 'wire', 'WireWys'), false);
  assert.equal(await item(page, 'bus', 'BusA').getAttribute('aria-label'), 'mag A = 2');

  // Scrolled by two, the first row shown is word 2 and a click enters it.
  const bar = page.getByRole('scrollbar', { name: 'Przewijanie pamięci' });
  await bar.focus();
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith('2  '));
  assert.match(await rowText(page, 0), /^2 {2}3\b/);
  // Anywhere on the row's stripe, as the desktop reads the row from the pointer.
  const first = await page.locator('svg.diagram text.row').first().boundingBox();
  await page.mouse.click(first.x + first.width + 20, first.y + first.height / 2);
  assert.deepEqual(await answerValue(page, '9'), { title: 'PaO', label: 'Wartość[2]' });
  await page.waitForFunction(() => /^2 {2}9\b/.test(document.querySelector('svg.diagram text.row')?.getAttribute('aria-label') ?? ''));
  // Enter on the second row shown asks for word 3.
  await page.locator('svg.diagram text.row').nth(1).focus();
  await page.keyboard.press('Enter');
  assert.deepEqual(await answerValue(page, null), { title: 'PaO', label: 'Wartość[3]' });
  // The register's box offers its value now.
  await item(page, 'register', 'RegisterA').click();
  const box = page.locator('.box');
  await box.waitFor();
  assert.equal(await box.locator('input').inputValue(), '2');
  assert.equal((await answerValue(page, '5')).label, 'Aktualna wartość');
  await page.getByRole('button', { name: 'A : 5' }).waitFor();
  assert.deepEqual(page.errors, []);
});

test('a bad device number gives its own field the keyboard; an edit clears the compile error', async () => {
  const page = await openPage(site);
  await page.getByRole('button', { name: 'Opcje ...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Opcje projektu' });
  await dialog.getByLabel('Przerwanie wejścia').fill('1z');
  await dialog.getByRole('button', { name: 'OK' }).click();
  const box = page.getByRole('alertdialog');
  assert.match(await box.textContent(), /'1z' is not a valid integer value/);
  await box.getByRole('button', { name: 'OK' }).click();
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('aria-label')), 'Przerwanie wejścia');
  await dialog.getByLabel('Przerwanie wejścia').fill('3');
  await dialog.getByLabel('Port wyjścia').fill('7');
  await dialog.getByLabel('Etykieta przerwania 3').fill('obsluga');
  await dialog.getByRole('button', { name: 'OK' }).click();
  await dialog.waitFor({ state: 'detached' });
  await page.getByRole('button', { name: 'Opcje ...' }).click();
  assert.equal(await dialog.getByLabel('Port wyjścia').inputValue(), '7');
  assert.equal(await dialog.getByLabel('Przerwanie wejścia').inputValue(), '3');
  assert.equal(await dialog.getByLabel('Etykieta przerwania 3').inputValue(), 'obsluga');
  await dialog.getByRole('button', { name: 'Anuluj' }).click();

  await typeProgram(page, 'POB x\nXYZ 1\nx: RST 2\n');
  await page.keyboard.press('Control+F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  const status = page.locator('.editor-panel .status');
  assert.notEqual(await status.textContent(), '');
  assert.equal(await page.locator('.cm-error-word').textContent(), 'XYZ');
  await page.keyboard.press('End');
  await page.keyboard.type(' ');
  await page.waitForFunction(() => document.querySelector('.editor-panel .status')?.textContent === '');
  assert.equal(await page.locator('.cm-error-word').count(), 0);
  assert.deepEqual(page.errors, []);
});

test('the editors\' tabs go round with the arrows, only the compiled program shows its next line, and keys wait for an open box', async () => {
  const page = await openPage(site);
  const tabs = page.locator('#editor-tabs [role=tab]');
  const shownPanel = '[role=tabpanel]:not([hidden])';
  await page.getByRole('button', { name: 'Nowy program' }).click();
  assert.equal(await tabs.count(), 2);
  await page.locator(`${shownPanel} .cm-content`).pressSequentially('STP\nSTP\n');
  await tabs.nth(0).click();
  await compiled(page, 'POB x\nSTP\nx: RST 3\n');
  await page.keyboard.press('F8');
  await shownCycle(page, 3);
  assert.equal(await page.locator(`${shownPanel} .cm-next-line`).textContent(), 'STP');
  // The other tab's text was never compiled: no line of it runs next.
  await tabs.nth(1).click();
  await page.locator(`${shownPanel} .cm-line`, { hasText: 'STP' }).first().waitFor();
  assert.equal(await page.locator(`${shownPanel} .cm-next-line`).count(), 0);

  // Left from the first tab comes round to the last.
  await tabs.nth(1).focus();
  await page.keyboard.press('ArrowLeft');
  assert.equal(await tabs.nth(0).getAttribute('aria-selected'), 'true');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await tabs.nth(1).getAttribute('aria-selected'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('role')), 'tab');
  await page.keyboard.press('ArrowRight');
  assert.equal(await tabs.nth(0).getAttribute('aria-selected'), 'true');

  // "Opcje ..." on its key.
  await page.keyboard.press('Control+Shift+F11');
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  await options.waitFor();
  await page.keyboard.press('Escape');
  await options.waitFor({ state: 'detached' });

  // A key pressed under a box waits: the run command does not run behind it.
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  await page.keyboard.press('Control+F9');
  const box = page.locator('.box');
  await box.waitFor();
  await page.keyboard.press('F7');
  await page.waitForTimeout(300);
  await box.getByRole('button', { name: 'OK' }).click();
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.waitForTimeout(300);
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '1');
  assert.deepEqual(page.errors, []);
});

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
