// The page on its own: it asks nothing of any host but its own, and once
// loaded its service worker keeps it working without a network.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { closeBox, newContext, openExample, openPage, startSite, webRoot } from './harness.mjs';

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

test('a page that cannot start its engine says why and what to do: opened as a file, or its engine not served', async () => {
  const site = await startSite();
  try {
    const told = async (page) => {
      const box = page.locator('.box');
      await box.waitFor({ timeout: 15000 });
      return box.locator('.message').textContent();
    };
    const asFile = await (await newContext(site)).newPage();
    await asFile.goto(pathToFileURL(join(webRoot, 'index.html')).href);
    assert.match(await told(asFile), /Silnik symulatora nie wystartował.*nie jako plik z dysku/);

    const context = await newContext(site);
    await context.route('**/engine.js', (route) => route.abort());
    const withoutEngine = await context.newPage();
    await withoutEngine.goto(site.url);
    assert.match(await told(withoutEngine), /serwer musi podawać pliki engine\.js/);

    // The help names its icon in the page's folder, so that the browser
    // asks the server's root for none.
    const help = await (await newContext(site)).newPage();
    await help.goto(`${site.url}help/index.html`);
    const icon = await help.locator('link[rel=icon]').evaluate((link) => link.href);
    assert.equal(icon, `${site.url}favicon.svg`);
    assert.equal((await help.request.get(icon)).status(), 200);
  } finally {
    await site.close();
  }
});

test('a page served insecurely, which the browser will not keep for offline use, says so once, quietly', async () => {
  const site = await startSite();
  try {
    const context = await newContext(site);
    await context.addInitScript(() => Object.defineProperty(window, 'isSecureContext', { value: false }));
    const page = await openPage(site, context);
    const status = page.locator('.editor-panel .status');
    await page.waitForFunction(() => document.querySelector('.editor-panel .status')?.textContent !== '');
    assert.match(await status.textContent(), /Bez sieci ta strona nie zadziała/);
    assert.equal(await page.locator('.box').count(), 0);
    assert.equal(await page.evaluate(() => navigator.serviceWorker.controller), null);
    await page.reload();
    await page.waitForSelector('body.ready');
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await status.textContent(), '');
  } finally {
    await site.close();
  }
});
