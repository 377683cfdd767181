// What a save and a loaded list leave behind for the next step: the
// encoding a file was saved in, and whether the list counts as changed.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, downloadSaved, eventually, openPage, startSite } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const storedEncodings = (page) => page.evaluate(() => JSON.parse(localStorage.getItem('dorum.work') ?? '{}').documents.map((d) => d.encoding));

test('a file saved in UTF-8 after the question stays UTF-8: the next save asks nothing, and a reload keeps it', async () => {
  const page = await openPage(site);
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await page.keyboard.type('// ∑');
  assert.deepEqual(await storedEncodings(page), [0]);
  const first = await downloadSaved(page, 'F2', 'Tak');
  assert.deepEqual(first.bytes, Buffer.from('// ∑\r\n'));
  assert.deepEqual(await eventually(() => storedEncodings(page), [1]), [1]);
  // Saved again, with no question in between, in the same encoding.
  await page.keyboard.type('!');
  const download = page.waitForEvent('download', { timeout: 5000 });
  await page.keyboard.press('F2');
  const second = await download.catch(() => null);
  assert.equal(await page.locator('.box').count(), 0, 'the second save asked again');
  assert.ok(second, 'the second save wrote nothing');
  const chunks = [];
  for await (const chunk of await second.createReadStream()) chunks.push(chunk);
  assert.deepEqual(Buffer.concat(chunks), Buffer.from('// ∑!\r\n'));
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await storedEncodings(page), [1]);
  assert.deepEqual(page.errors, []);
});

test('a list loaded over the student\'s changes counts as unchanged: an example\'s own list then loads without a question', async () => {
  const page = await openPage(site);
  // The student changes the list: a new instruction.
  await page.getByRole('button', { name: 'Nowy rozkaz' }).click();
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').pressSequentially('ROZKAZ NIC;\nczyt wys wei il;\n');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  await page.waitForFunction(() => JSON.parse(localStorage.getItem('dorum.machine') ?? '{}').changed === true);
  // A list from a file replaces it, changes and all.
  const list = Buffer.from(await (await fetch(`${site.url}examples/pelt/pelt.lst`)).arrayBuffer());
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  await (await chooser).setFiles({ name: 'pelt.lst', mimeType: 'text/plain', buffer: list });
  await page.waitForFunction(() => JSON.parse(localStorage.getItem('dorum.machine') ?? '{}').name === 'pelt.lst');
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('dorum.machine')).changed), false);
  // So an example with a list of its own opens at once.
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name: 'Pelt: podprogram.prg' }).click();
  const opened = page.getByRole('tab', { name: 'podprogram.prg', selected: true });
  await Promise.race([page.locator('.box').waitFor(), opened.waitFor()]);
  assert.equal(await page.locator('.box').count(), 0, 'the example asked about the list');
  await opened.waitFor();
  assert.deepEqual(page.errors, []);
});
