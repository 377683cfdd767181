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

test('a register shows its value as chosen in its menu and is zeroed there; the memory is cleared', async () => {
  const page = await openPage(site);
  const ak = register(page, 'AK');
  await ak.click();
  await page.locator('.box input').fill('5');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterAK]')?.getAttribute('aria-label') === 'AK : 5');

  await ak.click({ button: 'right' });
  const registerMenu = menu(page, 'Rejestr');
  await registerMenu.waitFor();
  assert.deepEqual(await registerMenu.locator(':scope > [role=menuitem]').allTextContents(), ['Wpisz wartość', 'Pokaż jako', 'Zeruj']);
  await registerMenu.getByRole('menuitem', { name: 'Pokaż jako' }).click();
  const modes = menu(page, 'Pokaż jako');
  // Only I shows its value as an instruction.
  assert.deepEqual(await modes.getByRole('menuitemradio').allTextContents(), [
    'Dziesiętnie bez znaku', 'Dziesiętnie ze znakiem', 'Binarnie', 'Szestnastkowo',
  ]);
  assert.equal(await modes.getByRole('menuitemradio', { name: 'Dziesiętnie bez znaku' }).getAttribute('aria-checked'), 'true');
  await modes.getByRole('menuitemradio', { name: 'Binarnie' }).click();
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterAK]')?.getAttribute('aria-label') === 'AK : %00000101');

  // By keyboard: Shift+F10 on the focused register, "Zeruj" at the end.
  await ak.focus();
  await page.keyboard.press('Shift+F10');
  await registerMenu.waitFor();
  await page.keyboard.press('End');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterAK]')?.getAttribute('aria-label') === 'AK : %00000000');
  assert.equal(await ak.evaluate((e) => e === document.activeElement), true);

  // I offers "Rozkaz", and shows it.
  await register(page, 'I').click({ button: 'right' });
  await registerMenu.getByRole('menuitem', { name: 'Pokaż jako' }).click();
  assert.equal(await modes.getByRole('menuitemradio', { name: 'Rozkaz' }).getAttribute('aria-checked'), 'true');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');
  assert.equal(await registerMenu.count(), 0);

  // "Wyczyść pamięć" from the diagram's menu.
  // Anywhere on the row's stripe, right of its letters too.
  const memory = await page.locator('svg.diagram g.memory rect').first().boundingBox();
  const row3 = await page.locator('svg.diagram text.row').nth(3).boundingBox();
  await page.mouse.click(memory.x + memory.width - 30, row3.y + row3.height / 2);
  await page.locator('.box input').fill('37');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.querySelectorAll('svg.diagram text.row')[3]?.getAttribute('aria-label')?.startsWith('3  37'));
  await page.locator('svg.diagram').click({ button: 'right', position: { x: 20, y: 20 } });
  await menu(page, 'Schemat').getByRole('menuitem', { name: 'Wyczyść pamięć' }).click();
  await page.waitForFunction(() => document.querySelectorAll('svg.diagram text.row')[3]?.getAttribute('aria-label')?.startsWith('3  0'));
  assert.deepEqual(page.errors, []);
});

test('the memory scrolls by its scroll bar, with the mouse and the keyboard', async () => {
  const page = await openPage(site);
  const rows = page.locator('svg.diagram text.row');
  const firstRow = async () => (await rows.first().getAttribute('aria-label')).split('  ')[0];
  const bar = page.getByRole('scrollbar', { name: 'Przewijanie pamięci' });
  assert.equal(await bar.getAttribute('aria-valuemax'), String(32 - (await rows.count())));
  await bar.focus();
  await page.keyboard.press('End');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row:last-of-type')?.getAttribute('aria-label')?.startsWith('31  '));
  assert.equal(await bar.getAttribute('aria-valuenow'), await firstRow());
  await page.keyboard.press('Home');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith('0  '));
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith('1  '));
  // A click on the track below the thumb goes a page on.
  const track = await bar.locator('.track').boundingBox();
  await page.mouse.click(track.x + track.width / 2, track.y + track.height - 3);
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith('11  '));
  // The click scrolled, and entered no value.
  assert.equal(await page.locator('.box').count(), 0);
  // A page up is one row short of the rows shown, so one row stays in sight.
  const rowsShown = await rows.count();
  await bar.focus();
  await page.keyboard.press('PageUp');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith('1  '));
  await page.keyboard.press('PageDown');
  await page.waitForFunction((n) => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith(`${n}  `), rowsShown);
  // The thumb dragged to the bottom shows the last rows.
  const thumb = await bar.locator('.thumb').boundingBox();
  await page.mouse.move(thumb.x + thumb.width / 2, thumb.y + 2);
  await page.mouse.down();
  await page.mouse.move(thumb.x + thumb.width / 2, track.y + track.height + 40, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row:last-of-type')?.getAttribute('aria-label')?.startsWith('31  '));
  assert.deepEqual(page.errors, []);
});

test('the diagrams are saved as pictures; without cycles there is nothing to save', async () => {
  const page = await openPage(site);
  const saveAs = async (click, name) => {
    const download = page.waitForEvent('download');
    await click();
    await page.locator('.box input').press('Enter');
    const saved = await download;
    const chunks = [];
    for await (const chunk of await saved.createReadStream()) chunks.push(chunk);
    assert.equal(saved.suggestedFilename(), name);
    return Buffer.concat(chunks);
  };
  const diagramMenuItem = async (label) => {
    await page.locator('svg.diagram').click({ button: 'right', position: { x: 20, y: 20 } });
    await menu(page, 'Schemat').getByRole('menuitem', { name: label }).click();
  };
  const svg = (await saveAs(() => diagramMenuItem('Zapisz schemat jako SVG...'), 'schemat.svg')).toString();
  assert.match(svg, /^<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"[^>]*width="816" height="477"/);
  assert.match(svg, /<style>[^<]*svg\.diagram \.bus\.active rect \{ fill: #d40000; \}/);
  assert.ok(svg.includes('AK : 0'));
  assert.ok(!svg.includes('scrollbar') && !svg.includes('tabindex'));
  const png = await saveAs(() => diagramMenuItem('Zapisz schemat jako PNG...'), 'schemat.png');
  assert.deepEqual([...png.subarray(1, 4)], [...Buffer.from('PNG')]);
  assert.equal(png.readUInt32BE(16), 816 * 2);

  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await page.locator('#timing-empty', { hasText: 'Nie zapisano' }).waitFor();
  await page.getByRole('button', { name: 'Zapisz jako SVG...' }).click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie ma czego zapisać: historia wykonania nie zawiera jeszcze żadnego taktu.' });
  await page.getByRole('button', { name: 'Zapisz jako VCD...' }).click();
  assert.equal((await closeBox(page)).role, 'alertdialog');
  await typeProgram(page, 'STP\n');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  await page.keyboard.press('F7');
  await page.locator('svg.timing text.number').first().waitFor();
  const timing = (await saveAs(() => page.getByRole('button', { name: 'Zapisz jako SVG...' }).click(), 'przebiegi.svg')).toString();
  assert.match(timing, /class="timing"/);
  assert.match(timing, />czyt</);
  assert.deepEqual(page.errors, []);
});

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
