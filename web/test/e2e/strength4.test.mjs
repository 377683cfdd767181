// The page's promises about a program's edges: what stands on its first and
// last lines is kept like any other line.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, newContext, openPage, startSite, typeProgram } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

test('breakpoints on a program\'s first and last lines come back after a reload and stop its run', async () => {
  const context = await newContext(site);
  const page = await openPage(site, context);
  // No line break after the last line: it is the editor's last line too.
  await typeProgram(page, 'POB x\nSOB a\nx: RST 5\na: STP');
  for (const line of [0, 3]) {
    await page.locator('[role=tabpanel]:not([hidden]) .cm-line').nth(line).click();
    await page.keyboard.press('Control+F8');
  }
  const marked = () => page.locator('.cm-breakpoint-line').allTextContents();
  assert.deepEqual(await marked(), ['POB x', 'a: STP']);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await marked(), ['POB x', 'a: STP']);
  // The engine is given them as well: the run ends at the last line's.
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  await page.keyboard.press('F9');
  const stop = await closeBox(page);
  assert.deepEqual(stop, { role: 'alertdialog', text: 'Program doszedł do punktu zatrzymania.' });
  await page.locator('.cm-next-line', { hasText: 'a: STP' }).waitFor();
  await context.close();
});
