// The student's loop in a real browser.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import {
  closeBox, downloadSaved, newContext, openExample, openPage, register, shownCycle, shownDocument, startSite, typeProgram, uploadFile,
} from './harness.mjs';

const screenshots = process.env.WEB_SCREENSHOTS;
let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

test('an example compiles, runs cycle by cycle on the diagram, steps back and ends', async () => {
  const page = await openPage(site);
  await openExample(page, 'Dorum: suma.prg');
  // Coloured by the engine's reader, as the desktop colours it.
  await page.locator('.cm-w-mnemonic').first().waitFor();
  assert.deepEqual(await page.locator('.cm-w-mnemonic').allTextContents(), ['POB', 'DOD', 'ŁAD', 'STP']);
  assert.deepEqual(await page.locator('.cm-w-label-definition').allTextContents(), ['start:', 'x:', 'y:', 'z:']);
  assert.deepEqual(await page.locator('.cm-w-directive').allTextContents(), ['RST', 'RST', 'RPA']);
  assert.equal(await page.locator('.cm-w-comment').count(), 4);
  await page.getByRole('button', { name: 'Kompiluj' }).click();
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });

  const ak = register(page, 'AK');
  for (let cycle = 1; cycle <= 10 && (await ak.getAttribute('aria-label')) !== 'AK : 5'; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 5');
  assert.equal(await ak.locator('text').textContent(), 'AK : 5');
  assert.ok(await page.getByRole('button', { name: 'AK : 5' }).isVisible());
  if (screenshots) await page.screenshot({ path: `${screenshots}/web-diagram.png` });

  await page.keyboard.press('Shift+F7');
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterAK]')?.getAttribute('aria-label') === 'AK : 0');
  assert.equal(await page.getByRole('button', { name: 'Cofnij rozkaz' }).isEnabled(), true);

  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 12');
  // The watches show the program's labels with their words.
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  const watches = await page.getByRole('listbox', { name: 'Zmienne programu' }).getByRole('option').allTextContents();
  assert.equal(watches.length, 4);
  assert.match(watches.find((w) => w.startsWith('z ')), /^z \[ 6 \]\s+12\b/);
  assert.deepEqual(page.errors, []);
});

test('a compile error is an alert and its word is marked in the editor', async () => {
  const page = await openPage(site);
  await typeProgram(page, 'POB x\nXYZ 1\nx: RST 2\n');
  // Checked as typed: marked without a box, the caret left where it was.
  await page.locator('.cm-error-word').waitFor();
  assert.equal(await page.locator('.cm-error-word').textContent(), 'XYZ');
  assert.match(await page.locator('.editor-panel .status').textContent(), /^2:\d+ /);
  assert.equal(await page.locator('.box').count(), 0);
  await page.keyboard.press('Control+F9');
  const box = await closeBox(page);
  assert.equal(box.role, 'alertdialog');
  assert.match(box.text, /^2:\d+ /);
  assert.equal(await page.locator('.cm-error-word').textContent(), 'XYZ');
  assert.match(await page.locator('.editor-panel .status').textContent(), /^2:\d+ /);
  if (screenshots) await page.screenshot({ path: `${screenshots}/web-error.png` });
});

test('nothing is asked of any host but the page\'s own, and no serious accessibility fault', async () => {
  // The test's own script goes past the page's policy; the page's do not.
  const context = await newContext(site, { bypassCSP: true });
  const page = await openPage(site, context);
  await openExample(page, 'Dorum: suma.prg');
  const own = new URL(site.url).origin;
  assert.deepEqual(page.requests.filter((url) => !url.startsWith(own) && !url.startsWith('data:')), []);
  const axe = readFileSync(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');
  await page.addScriptTag({ content: axe });
  const violations = await page.evaluate(async () => {
    const result = await window.axe.run(document, { resultTypes: ['violations'] });
    return result.violations
      .filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
  assert.deepEqual(violations, []);
  await context.close();
});

test('once loaded, the page goes on working without a network', async () => {
  // A site of its own, whose server this test stops.
  const own = await startSite();
  try {
    const context = await newContext(own);
    const page = await openPage(own, context);
    // Controlled means every file of the page is kept and served by its
    // service worker.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
    await own.stopServer();
    // The page goes on: an example, a compile, a run.
    await openExample(page, 'Pelt: podprogram.prg');
    await page.keyboard.press('Control+F9');
    assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
    await page.keyboard.press('F9');
    assert.equal((await closeBox(page)).role, 'dialog');
    // And it opens again, as after a closed tab.
    await page.reload();
    await page.waitForSelector('body.ready');
    await page.getByRole('button', { name: 'Przykłady' }).click();
    await page.getByRole('menuitem', { name: 'Dorum: suma.prg' }).waitFor();
    assert.deepEqual(page.errors, []);
  } finally {
    await own.close();
  }
});

test('the panels are resized with the keyboard and keep their sizes across a reload', async () => {
  const context = await newContext(site);
  const page = await openPage(site, context);
  const editor = page.locator('.editor-panel');
  const before = (await editor.boundingBox()).width;
  const separator = page.getByRole('separator', { name: 'Szerokość edytora' });
  await separator.focus();
  for (let i = 0; i < 5; ++i) await page.keyboard.press('ArrowRight');
  const wider = (await editor.boundingBox()).width;
  assert.ok(wider > before + 50, `${wider} > ${before}`);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.ok(Math.abs((await editor.boundingBox()).width - wider) < 2);
  await context.close();
});
