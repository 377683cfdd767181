// The page's layout: the separators between its panels, by keys and by
// mouse, the sizes kept across a reload, the accessibility check of the
// page and its menus and boxes, and the screenshots (taken when
// WEB_SCREENSHOTS names a folder for them).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, compiled, freshPage, menu, newContext, openExample, openMenu, openPage, register, shownCycle, siteOfFile, typeProgram } from './harness.mjs';

const screenshots = process.env.WEB_SCREENSHOTS;
const site = siteOfFile();

test('the separators move their panels the way their arrows point, no further than their bounds, and keep their sizes across a reload', async () => {
  const page = await freshPage(site);
  const lower = page.getByRole('separator', { name: 'Wysokość konsoli' });
  const lowerPanel = page.getByRole('region', { name: 'Konsola i lista rozkazów' });
  const top = async () => (await lower.boundingBox()).y;
  const height = async () => (await lowerPanel.boundingBox()).height;
  const [topBefore, heightBefore] = [await top(), await height()];
  await lower.focus();
  for (let i = 0; i < 3; ++i) await page.keyboard.press('ArrowUp');
  // Up raises the separator: the lower panel grows.
  assert.ok((await top()) < topBefore - 10, `${await top()} < ${topBefore}`);
  assert.ok((await height()) > heightBefore + 20, `${await height()} > ${heightBefore}`);
  assert.equal(await lower.getAttribute('aria-valuenow'), '36');
  for (let i = 0; i < 40; ++i) await page.keyboard.press('ArrowDown');
  assert.equal(await lower.getAttribute('aria-valuenow'), '10');
  assert.ok((await height()) < heightBefore - 20, `${await height()} < ${heightBefore}`);

  const editor = page.getByRole('separator', { name: 'Szerokość edytora' });
  const editorPanel = page.locator('.editor-panel');
  const widthBefore = (await editorPanel.boundingBox()).width;
  await editor.focus();
  for (let i = 0; i < 5; ++i) await page.keyboard.press('ArrowRight');
  const wider = (await editorPanel.boundingBox()).width;
  assert.ok(wider > widthBefore + 50, `${wider} > ${widthBefore}`);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.ok(Math.abs((await editorPanel.boundingBox()).width - wider) < 2);
  assert.equal(await lower.getAttribute('aria-valuenow'), '10');
  await editor.focus();
  for (let i = 0; i < 30; ++i) await page.keyboard.press('ArrowRight');
  assert.equal(await editor.getAttribute('aria-valuenow'), '70');
  for (let i = 0; i < 40; ++i) await page.keyboard.press('ArrowLeft');
  assert.equal(await editor.getAttribute('aria-valuenow'), '15');
  const width = (await editorPanel.boundingBox()).width;
  assert.ok(Math.abs(width - 1366 * 0.15) < 40, `${width}`);
  assert.deepEqual(page.errors, []);
});

test('the separators follow the mouse within their bounds, let go on release, and keep their sizes', async () => {
  const page = await freshPage(site);
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
});

test('no serious accessibility fault: the page, a menu open over the timing diagram, a register\'s menu, the replace box, the stop conditions', async () => {
  // A context of its own: the test's own script goes past the page's
  // policy; the page's do not.
  const context = await newContext(site, { bypassCSP: true });
  const page = await openPage(site, context);
  await page.addScriptTag({ content: readFileSync(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url), 'utf8') });
  const serious = () =>
    page.evaluate(async () => {
      const result = await window.axe.run(document, { resultTypes: ['violations'] });
      return result.violations
        .filter((v) => v.impact === 'serious' || v.impact === 'critical')
        .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    });
  await openExample(page, 'Dorum: suma.prg');
  assert.deepEqual(await serious(), [], 'the page with an example open');
  await compiled(page);
  await page.keyboard.press('F8');
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await page.locator('svg.timing text.number').first().waitFor();
  await openMenu(page, 'Wykonaj');
  assert.deepEqual(await serious(), [], 'a menu open, the timing diagram shown');
  await page.keyboard.press('Escape');
  await register(page, 'AK').click({ button: 'right' });
  await menu(page, 'Rejestr').getByRole('menuitem', { name: 'Pokaż jako' }).click();
  assert.deepEqual(await serious(), [], "a register's menu and its submenu");
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+H');
  await page.getByRole('dialog', { name: 'Zamień' }).waitFor();
  assert.deepEqual(await serious(), [], 'the replace box');
  await page.keyboard.press('Escape');
  await (await openMenu(page, 'Wykonaj')).getByRole('menuitem', { name: 'Warunki zatrzymania...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Warunki zatrzymania' });
  await dialog.getByRole('textbox').fill('AK=3');
  await dialog.getByRole('button', { name: 'Dodaj' }).click();
  await dialog.getByRole('listitem').waitFor();
  assert.deepEqual(await serious(), [], 'the stop conditions');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the screenshots: an example mid-run and a compile error', { skip: screenshots ? false : 'WEB_SCREENSHOTS names no folder' }, async () => {
  let page = await freshPage(site);
  await openExample(page, 'Dorum: suma.prg');
  await compiled(page);
  const ak = register(page, 'AK');
  for (let cycle = 1; cycle <= 10 && (await ak.getAttribute('aria-label')) !== 'AK : 5'; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 5');
  await page.screenshot({ path: `${screenshots}/web-diagram.png` });

  page = await freshPage(site);
  await typeProgram(page, 'POB x\nXYZ 1\nx: RST 2\n');
  await page.locator('.cm-error-word').waitFor();
  await page.keyboard.press('Control+F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  await page.screenshot({ path: `${screenshots}/web-error.png` });
});
