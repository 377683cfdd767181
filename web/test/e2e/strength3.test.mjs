// What a save and a loaded list leave behind for the next step: the
// encoding a file was saved in, and whether the list counts as changed.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { downloadSaved, eventually, openPage, startSite } from './harness.mjs';

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
