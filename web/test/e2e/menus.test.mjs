// The menus: the menu bar's commands, a register's menu and the diagram's,
// and the names a download is saved under.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, eventually, newContext, openExample, openPage, register, shownCycle, startSite, typeProgram } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const menu = (page, name) => page.getByRole('menu', { name });

test('the menus, the find box, the stop conditions and the timing diagram pass the accessibility check', async () => {
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
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  await page.keyboard.press('F8');
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await page.locator('svg.timing text.number').first().waitFor();
  await page.getByRole('menubar').getByRole('menuitem', { name: 'Wykonaj' }).click();
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
  await page.getByRole('menubar').getByRole('menuitem', { name: 'Wykonaj' }).click();
  await menu(page, 'Wykonaj').getByRole('menuitem', { name: 'Warunki zatrzymania...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Warunki zatrzymania' });
  await dialog.getByRole('textbox').fill('AK=3');
  await dialog.getByRole('button', { name: 'Dodaj' }).click();
  await dialog.getByRole('listitem').waitFor();
  assert.deepEqual(await serious(), [], 'the stop conditions');
  await context.close();
});
