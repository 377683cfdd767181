// The page on its own: it asks nothing of any host but its own, and once
// loaded its service worker keeps it working without a network.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, newContext, openExample, openPage, startSite } from './harness.mjs';

test('the page asks nothing of any host but its own, and once loaded goes on working without a network', async () => {
  // A site of its own, whose server this test stops.
  const site = await startSite();
  try {
    const context = await newContext(site);
    const page = await openPage(site, context);
    await openExample(page, 'Dorum: suma.prg');
    const own = new URL(site.url).origin;
    assert.deepEqual(page.requests.filter((url) => !url.startsWith(own) && !url.startsWith('data:')), []);
    // Controlled means every file of the page is kept and served by its
    // service worker.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
    await site.stopServer();
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
    await site.close();
  }
});
