// The editor panel, the boxes and the separators as a student meets them:
// which tab is shown after a close, what a reload keeps, where the caret goes
// after an error, where the keyboard goes in and out of a box, and how the
// mouse drags a separator.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, downloadSaved, eventually, newContext, openPage, register, shownDocument, startSite, typeProgram, uploadFile } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

// The editor tabs: name, chosen, in the Tab order.
const tabsOf = (page) =>
  page
    .getByRole('tablist', { name: 'Otwarte pliki' })
    .getByRole('tab')
    .evaluateAll((tabs) => tabs.map((t) => `${t.textContent}${t.getAttribute('aria-selected') === 'true' ? '*' : ''}${t.tabIndex}`));
const shownText = (page) => page.locator('[role=tabpanel]:not([hidden]) .cm-line').allTextContents();
const command = (page, id) => page.locator(`#command-${id}`).click();
const focusedLabel = (page) => page.evaluate(() => document.activeElement?.getAttribute('aria-label') ?? document.activeElement?.textContent);

test('the separators follow the mouse within their bounds, let go on release, and keep their sizes', async () => {
  const context = await newContext(site);
  const page = await openPage(site, context);
  const editor = page.getByRole('separator', { name: 'Szerokość edytora' });
  const lower = page.getByRole('separator', { name: 'Wysokość konsoli' });
  assert.deepEqual(
    await editor.evaluate((e) => ['aria-orientation', 'aria-valuemin', 'aria-valuemax', 'aria-valuenow', 'tabindex'].map((a) => e.getAttribute(a))),
    ['vertical', '15', '70', '33', '0'],
  );
  assert.deepEqual(
    await lower.evaluate((e) => ['aria-orientation', 'aria-valuemin', 'aria-valuemax', 'aria-valuenow', 'tabindex'].map((a) => e.getAttribute(a))),
    ['horizontal', '10', '70', '30', '0'],
  );
  const drag = async (separator, to) => {
    const box = await separator.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    for (const [x, y] of to) await page.mouse.move(x ?? box.x + box.width / 2, y ?? box.y + box.height / 2, { steps: 2 });
    await page.mouse.up();
  };
  // The editor's edge goes where the mouse goes, across the page's width.
  await drag(editor, [[683, null]]);
  assert.equal(await editor.getAttribute('aria-valuenow'), '50');
  assert.ok(Math.abs((await page.locator('.editor-panel').boundingBox()).width - 683) < 20);
  await drag(editor, [[5, null]]);
  assert.equal(await editor.getAttribute('aria-valuenow'), '15');
  await drag(editor, [[1360, null]]);
  assert.equal(await editor.getAttribute('aria-valuenow'), '70');
  // Released, the separator no longer follows the mouse.
  await page.mouse.move(400, 300, { steps: 2 });
  assert.equal(await editor.getAttribute('aria-valuenow'), '70');
  await drag(editor, [[546, null]]);
  assert.equal(await editor.getAttribute('aria-valuenow'), '40');

  // The console grows as its top edge is dragged up, within its bounds.
  const column = await page.locator('.separator.horizontal').evaluate((e) => e.parentElement.getBoundingClientRect().toJSON());
  await drag(lower, [[null, column.bottom - column.height * 0.5]]);
  assert.ok(Math.abs(Number(await lower.getAttribute('aria-valuenow')) - 50) <= 1, await lower.getAttribute('aria-valuenow'));
  await drag(lower, [[null, column.bottom - 2]]);
  assert.equal(await lower.getAttribute('aria-valuenow'), '10');
  await drag(lower, [[null, column.top + 2]]);
  assert.equal(await lower.getAttribute('aria-valuenow'), '70');
  await drag(lower, [[null, column.bottom - column.height * 0.4]]);
  const height = await lower.getAttribute('aria-valuenow');

  await page.reload();
  await page.waitForSelector('body.ready');
  assert.equal(await editor.getAttribute('aria-valuenow'), '40');
  assert.equal(await lower.getAttribute('aria-valuenow'), height);
  assert.deepEqual(page.errors, []);
  await context.close();
});
