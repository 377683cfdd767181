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
