// The page's layout: the separators between its panels, by keys and by
// mouse, the sizes kept across a reload, the panels moved between the two
// right-hand areas, hidden and shown again, the accessibility check of the
// page and its menus and boxes, and the screenshots (taken when
// WEB_SCREENSHOTS names a folder for them).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, compiled, eventually, freshPage, menu, menuCommand, newContext, openExample, openMenu, openPage, register, shownCycle, siteOfFile, typeProgram } from './harness.mjs';

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

test('no accessibility fault of any impact: the page light and dark, a menu open over the timing diagram, a register\'s menu, the replace box, the options, a message box, the stop conditions', async () => {
  // A context of its own: the test's own script goes past the page's
  // policy; the page's do not.
  const context = await newContext(site, { bypassCSP: true });
  const page = await openPage(site, context);
  await page.addScriptTag({ content: readFileSync(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url), 'utf8') });
  const serious = () =>
    page.evaluate(async () => {
      const result = await window.axe.run(document, { resultTypes: ['violations'] });
      return result.violations.map((v) => `${v.impact} ${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    });
  await openExample(page, 'Dorum: suma.prg');
  assert.deepEqual(await serious(), [], 'the page with an example open');
  await page.emulateMedia({ colorScheme: 'dark' });
  assert.deepEqual(await serious(), [], 'the page dark');
  await page.getByRole('tab', { name: 'Zmienne' }).click({ button: 'right' });
  assert.deepEqual(await serious(), [], "a panel's tab menu");
  await menu(page, 'Zmienne').getByRole('menuitem', { name: 'Przenieś do górnego obszaru' }).click();
  assert.deepEqual(await serious(), [], "a panel in the machine's area");
  await page.getByRole('tab', { name: 'Zmienne' }).click({ button: 'right' });
  await menu(page, 'Zmienne').getByRole('menuitem', { name: 'Przenieś do dolnego obszaru' }).click();
  await page.emulateMedia({ colorScheme: 'light' });
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
  await page.keyboard.press('Control+Shift+F11');
  await page.getByRole('dialog', { name: 'Opcje projektu' }).waitFor();
  assert.deepEqual(await serious(), [], 'the options');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+F9');
  await page.locator('.box').waitFor();
  assert.deepEqual(await serious(), [], 'a message box');
  await closeBox(page);
  await (await openMenu(page, 'Wykonaj')).getByRole('menuitem', { name: 'Warunki zatrzymania...' }).click();
  const dialog = page.getByRole('dialog', { name: 'Warunki zatrzymania' });
  await dialog.getByRole('textbox').fill('AK=3');
  await dialog.getByRole('button', { name: 'Dodaj' }).click();
  await dialog.getByRole('listitem').waitFor();
  assert.deepEqual(await serious(), [], 'the stop conditions');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the screenshots: an example mid-run, light and dark, on three screens, and a compile error', { skip: screenshots ? false : 'WEB_SCREENSHOTS names no folder' }, async () => {
  for (const [width, height] of [[1366, 768], [1024, 768], [390, 844]])
    for (const colorScheme of ['light', 'dark']) {
      const context = await newContext(site, { viewport: { width, height }, colorScheme });
      const page = await openPage(site, context);
      await openExample(page, 'Dorum: suma.prg');
      await compiled(page);
      const ak = register(page, 'AK');
      for (let cycle = 1; cycle <= 10 && (await ak.getAttribute('aria-label')) !== 'AK : 5'; ++cycle) {
        await page.keyboard.press('F7');
        await shownCycle(page, cycle);
      }
      assert.equal(await ak.getAttribute('aria-label'), 'AK : 5');
      // A phone shows the machine, the editor a tab away.
      if (width < 900) await page.getByRole('tab', { name: 'Maszyna' }).click();
      await page.screenshot({ path: `${screenshots}/web-${colorScheme}-${width}.png` });
      await context.close();
    }

  const page = await freshPage(site);
  await typeProgram(page, 'POB x\nXYZ 1\nx: RST 2\n');
  await page.locator('.cm-error-word').waitFor();
  await page.keyboard.press('Control+F9');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  await page.screenshot({ path: `${screenshots}/web-error.png` });
});

test('a narrow screen shows one area at a time, keeps the tool bar to one row with the rest under "»", and the diagram legible', async () => {
  const context = await newContext(site, { viewport: { width: 390, height: 844 } });
  const page = await openPage(site, context);
  assert.ok(await page.evaluate(() => document.scrollingElement.scrollWidth <= window.innerWidth), 'nothing beyond the screen');
  const tools = page.locator('#tool-bar');
  const more = page.getByRole('button', { name: 'Więcej poleceń' });
  assert.ok((await tools.boundingBox()).height < 48, 'one row');
  await more.click();
  const hidden = await menu(page, 'Więcej poleceń').getByRole('menuitem').evaluateAll((items) => items.map((i) => i.firstElementChild.textContent));
  const shown = await tools.locator('button.tool:visible').evaluateAll((buttons) => buttons.map((b) => b.getAttribute('aria-label')));
  // Every button of the bar is in sight or in the menu, once.
  assert.deepEqual([...shown, ...hidden].sort(), ['Cofnij rozkaz', 'Cofnij takt', 'Do kursora', 'Kompiluj', 'Nowy program', 'Otwórz', 'Przerwij', 'Reset', 'Rozkaz', 'Takt', 'Wykonaj program', 'Zapisz'].sort());
  assert.ok(shown.length > 0 && hidden.length > 0);
  // Chosen from the menu, a command acts.
  await menu(page, 'Więcej poleceń').getByRole('menuitem', { name: 'Reset' }).click();
  await eventually(async () => assert.equal(await page.getByRole('menu').count(), 0));
  for (const top of await page.getByRole('menubar').getByRole('menuitem').all()) {
    const box = await top.boundingBox();
    assert.ok(box.x >= 0 && box.x + box.width <= 390, await top.textContent());
  }

  const areas = page.getByRole('tablist', { name: 'Obszary' });
  assert.equal(await page.locator('.cm-content').first().isVisible(), true);
  assert.equal(await page.locator('svg.diagram').isVisible(), false);
  await areas.getByRole('tab', { name: 'Maszyna' }).click();
  assert.equal(await page.locator('.editor-panel').isVisible(), false);
  await page.locator('svg.diagram text').first().waitFor();
  const fontSize = await page.locator('svg.diagram').evaluate((svg) => svg.getScreenCTM().a * 11);
  assert.ok(fontSize >= 9.99, `the diagram's text is ${fontSize} px`);
  // Too large for the screen at that size, it scrolls rather than spilling over.
  assert.ok(await page.locator('#diagram').evaluate((holder) => getComputedStyle(holder).overflowX === 'auto' && holder.scrollWidth > holder.clientWidth));
  // A window key brings its area forward with its panel.
  await page.keyboard.press('F12');
  assert.equal(await areas.getByRole('tab', { name: 'Okna' }).getAttribute('aria-selected'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'console-input');
  assert.equal(await page.locator('svg.diagram').isVisible(), false);
  // At any width what stays in sight ends before "»", and "»" within the bar.
  for (let width = 390; width <= 900; width += 9) {
    await page.setViewportSize({ width, height: 844 });
    const bar = await page.locator('#tool-bar').evaluate(
      (tools) => new Promise((answer) => requestAnimationFrame(() => requestAnimationFrame(() => {
        const more = tools.querySelector('.tool-more');
        const rights = [...tools.querySelectorAll('button.tool')].filter((b) => b.checkVisibility()).map((b) => b.getBoundingClientRect().right);
        answer({ end: tools.getBoundingClientRect().right, more: more.hidden ? null : more.getBoundingClientRect(), rights });
      }))),
    );
    if (!bar.more) continue;
    assert.ok(bar.more.right <= bar.end, `"»" within the bar ${width} px wide: ${JSON.stringify(bar)}`);
    for (const right of bar.rights) assert.ok(right <= bar.more.left, `a button under "»" ${width} px wide`);
  }
  assert.deepEqual(page.errors, []);
  await context.close();
});

// The panels' places: each tool panel's tab in the lower area's strip or in
// the machine's (upper) one, moved or hidden from the tab's menu.
const upperTabs = (page) => page.getByRole('tablist', { name: 'Górny obszar', exact: true }).getByRole('tab');
const lowerTabs = (page) => page.getByRole('tablist', { name: 'Okna', exact: true }).getByRole('tab');
const namesOf = (tabs) => tabs.evaluateAll((all) => all.map((tab) => tab.textContent));
const selectedOf = (tabs) => tabs.evaluateAll((all) => all.filter((tab) => tab.getAttribute('aria-selected') === 'true').map((tab) => tab.textContent));
const areaHolding = (page, id) => page.evaluate((id) => document.getElementById(id).closest('section')?.id, id);
const visible = (page, selector) => page.locator(selector).isVisible();

async function fromTabMenu(page, tab, entry) {
  await page.getByRole('tab', { name: tab, exact: true }).click({ button: 'right' });
  await menu(page, tab).getByRole('menuitem', { name: entry }).click();
}

// The window list as shown: labels, and a line between groups as "---".
async function windowList(page) {
  await page.keyboard.press('F5');
  const list = menu(page, 'Lista okien');
  await list.waitFor();
  return list.locator(':scope > li').evaluateAll((items) => items.map((li) => (li.getAttribute('role') === 'separator' ? '---' : li.textContent)));
}

test('a panel moved to the machine\'s area from its tab\'s menu is shown there under a tab beside the machine\'s, the same panel, and moved back by the keyboard', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'POB x\nSTP\nx: RST 5\n');
  await compiled(page);
  await page.getByRole('tab', { name: 'Zmienne' }).click();
  await page.locator('#watches li').first().waitFor();
  await page.evaluate(() => (document.getElementById('watches').dataset.mark = 'the same list'));
  assert.equal(await upperTabs(page).count(), 0, 'the machine alone has no tabs');

  await fromTabMenu(page, 'Zmienne', 'Przenieś do górnego obszaru');
  assert.deepEqual(await namesOf(upperTabs(page)), ['Jednostka centralna', 'Zmienne']);
  assert.deepEqual(await selectedOf(upperTabs(page)), ['Zmienne']);
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Przebiegi czasowe']);
  assert.equal(await lowerTabs(page).evaluateAll((all) => all.filter((t) => t.getAttribute('aria-selected') === 'true').length), 1, 'the lower area shows one of its own');
  assert.equal(await areaHolding(page, 'watches-panel'), 'area-machine');
  assert.equal(await visible(page, '#watches'), true);
  assert.equal(await visible(page, 'svg.diagram'), false);
  assert.equal(await page.locator('#watches').getAttribute('data-mark'), 'the same list', 'moved, not made anew');
  assert.ok((await page.locator('#watches li').count()) > 0, 'the variables still listed');

  await upperTabs(page).getByText('Jednostka centralna').click();
  assert.equal(await visible(page, 'svg.diagram'), true);
  assert.equal(await visible(page, '#watches'), false);
  // Back, by the keyboard: the arrows along the upper tabs, Shift+F10 for the menu.
  await page.getByRole('tab', { name: 'Jednostka centralna' }).focus();
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selectedOf(upperTabs(page)), ['Zmienne']);
  await page.keyboard.press('Shift+F10');
  const tabMenu = menu(page, 'Zmienne');
  assert.deepEqual(await tabMenu.getByRole('menuitem').allTextContents(), ['Przenieś do dolnego obszaru', 'Ukryj']);
  await page.keyboard.press('Enter');
  assert.equal(await upperTabs(page).count(), 0);
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Przebiegi czasowe', 'Zmienne']);
  assert.deepEqual(await selectedOf(lowerTabs(page)), ['Zmienne']);
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Zmienne', 'the keyboard stays on the tab');
  assert.equal(await areaHolding(page, 'watches-panel'), 'area-lower');
  assert.equal(await visible(page, 'svg.diagram'), true);
  assert.deepEqual(page.errors, []);
});

test('a hidden panel is listed by the window list and comes back where it stood with its "Widok" command', async () => {
  const page = await freshPage(site);
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await fromTabMenu(page, 'Przebiegi czasowe', 'Ukryj');
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Zmienne']);
  assert.equal(await visible(page, '#timing-panel'), false);
  assert.equal(await lowerTabs(page).evaluateAll((all) => all.filter((t) => t.getAttribute('aria-selected') === 'true').length), 1);
  const focused = await page.evaluate(() => document.activeElement?.textContent);
  assert.deepEqual(await selectedOf(lowerTabs(page)), [focused], 'the keyboard on the tab shown instead');
  // The arrows pass the hidden panel's tab by: from the last tab shown round to the first.
  await page.getByRole('tab', { name: 'Zmienne', exact: true }).click();
  await page.keyboard.press('ArrowRight');
  assert.deepEqual(await selectedOf(lowerTabs(page)), ['Konsola']);
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Konsola');
  assert.deepEqual(await windowList(page), ['program.prg', '---', 'Jednostka centralna', '---', 'Konsola we/wy', 'Lista rozkazów', 'Obserwowane zmienne', 'Przebiegi czasowe (ukryte)']);
  await page.keyboard.press('Escape');

  await page.keyboard.press('Control+F12');
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Zmienne', 'Przebiegi czasowe']);
  assert.deepEqual(await selectedOf(lowerTabs(page)), ['Przebiegi czasowe']);
  assert.equal(await visible(page, '#timing-panel'), true);

  // Moved up and hidden, it comes back up; the window list shows it there.
  await fromTabMenu(page, 'Przebiegi czasowe', 'Przenieś do górnego obszaru');
  await fromTabMenu(page, 'Przebiegi czasowe', 'Ukryj');
  assert.equal(await upperTabs(page).count(), 0, 'the machine alone again');
  assert.equal(await visible(page, 'svg.diagram'), true);
  const list = await windowList(page);
  assert.deepEqual(list, ['program.prg', '---', 'Jednostka centralna', 'Przebiegi czasowe (ukryte)', '---', 'Konsola we/wy', 'Lista rozkazów', 'Obserwowane zmienne']);
  await menu(page, 'Lista okien').getByRole('menuitem', { name: 'Przebiegi czasowe' }).click();
  assert.deepEqual(await namesOf(upperTabs(page)), ['Jednostka centralna', 'Przebiegi czasowe']);
  assert.deepEqual(await selectedOf(upperTabs(page)), ['Przebiegi czasowe']);
  assert.equal(await visible(page, '#timing-panel'), true);
  assert.deepEqual(page.errors, []);
});

test('the panels\' places are kept across a reload, and "Przywróć układ okien" puts every panel back in sight', async () => {
  const page = await freshPage(site);
  await fromTabMenu(page, 'Przebiegi czasowe', 'Przenieś do górnego obszaru');
  await fromTabMenu(page, 'Konsola', 'Przenieś do górnego obszaru');
  await fromTabMenu(page, 'Lista rozkazów', 'Ukryj');
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  const placed = async () => [await namesOf(upperTabs(page)), await namesOf(lowerTabs(page)), await areaHolding(page, 'instructions-panel')];
  const before = await placed();
  assert.deepEqual(before, [['Jednostka centralna', 'Przebiegi czasowe', 'Konsola'], ['Zmienne'], 'area-lower']);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await placed(), before);
  assert.equal(await page.locator('#instructions-panel').isVisible(), false);

  await menuCommand(page, 'Widok', 'Przywróć układ okien');
  const restored = async () => {
    assert.equal(await upperTabs(page).count(), 0);
    assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Zmienne', 'Przebiegi czasowe']);
    assert.deepEqual(await selectedOf(lowerTabs(page)), ['Konsola']);
    for (const id of ['console-panel', 'instructions-panel', 'watches-panel', 'timing-panel']) assert.equal(await areaHolding(page, id), 'area-lower', id);
    assert.equal(await visible(page, 'svg.diagram'), true);
  };
  await restored();
  await page.reload();
  await page.waitForSelector('body.ready');
  await restored();
  assert.deepEqual(page.errors, []);
});

test('a kept placement the page cannot read is ignored', async () => {
  const page = await freshPage(site);
  await page.evaluate(() => localStorage.setItem('dorum.panels', '{"version":1,"upper":["console","console"],"lower":[],"hidden":[]}'));
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Zmienne', 'Przebiegi czasowe']);
  assert.deepEqual(page.errors, []);
});

test('a right-hand area left with no panel gives its room to the other, and takes it back when a panel returns', async () => {
  const page = await freshPage(site);
  const machine = page.getByRole('region', { name: 'Jednostka centralna' });
  const column = await page.locator('.right-column').boundingBox();
  const heightBefore = (await machine.boundingBox()).height;
  await fromTabMenu(page, 'Konsola', 'Ukryj');
  await fromTabMenu(page, 'Lista rozkazów', 'Ukryj');
  await fromTabMenu(page, 'Zmienne', 'Przenieś do górnego obszaru');
  await fromTabMenu(page, 'Przebiegi czasowe', 'Ukryj');
  assert.equal(await page.getByRole('region', { name: 'Konsola i lista rozkazów' }).isVisible(), false);
  assert.equal(await page.getByRole('separator', { name: 'Wysokość konsoli' }).isVisible(), false);
  const whole = (await machine.boundingBox()).height;
  assert.ok(Math.abs(whole - column.height) < 3, `${whole} fills ${column.height}`);
  await page.keyboard.press('F12');
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'console-input');
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola']);
  assert.ok(Math.abs((await machine.boundingBox()).height - heightBefore) < 3);
  assert.deepEqual(page.errors, []);
});

test('on a narrow screen a panel moved to the machine\'s area is shown under the "Maszyna" tab, and an empty area has no tab', async () => {
  const context = await newContext(site, { viewport: { width: 390, height: 844 } });
  const page = await openPage(site, context);
  const areas = page.getByRole('tablist', { name: 'Obszary' });
  await areas.getByRole('tab', { name: 'Okna' }).click();
  await fromTabMenu(page, 'Zmienne', 'Przenieś do górnego obszaru');
  assert.equal(await areas.getByRole('tab', { name: 'Maszyna' }).getAttribute('aria-selected'), 'true');
  assert.equal(await visible(page, '#watches'), true);
  assert.deepEqual(await namesOf(upperTabs(page)), ['Jednostka centralna', 'Zmienne']);
  assert.ok(await page.evaluate(() => document.scrollingElement.scrollWidth <= window.innerWidth), 'nothing beyond the screen');
  await areas.getByRole('tab', { name: 'Okna' }).click();
  assert.equal(await visible(page, '#watches'), false);
  assert.deepEqual(await namesOf(lowerTabs(page)), ['Konsola', 'Lista rozkazów', 'Przebiegi czasowe']);
  // "Widok" brings the area forward with the panel.
  await menuCommand(page, 'Widok', 'Obserwowane zmienne');
  assert.equal(await areas.getByRole('tab', { name: 'Maszyna' }).getAttribute('aria-selected'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'watches');

  await areas.getByRole('tab', { name: 'Okna' }).click();
  for (const tab of ['Konsola', 'Lista rozkazów', 'Przebiegi czasowe']) await fromTabMenu(page, tab, 'Ukryj');
  assert.deepEqual(await namesOf(areas.getByRole('tab')), ['Edytor', 'Maszyna']);
  assert.equal(await areas.getByRole('tab', { name: 'Maszyna' }).getAttribute('aria-selected'), 'true');
  assert.equal(await visible(page, '#area-machine'), true);
  await areas.getByRole('tab', { name: 'Maszyna' }).focus();
  await page.keyboard.press('ArrowRight');
  assert.equal(await areas.getByRole('tab', { name: 'Edytor' }).getAttribute('aria-selected'), 'true', 'the arrows pass the empty area by');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the colours follow the system unless the options fix them, and the choice is kept across a reload', async () => {
  const page = await freshPage(site);
  const background = () => page.evaluate(() => getComputedStyle(document.documentElement).backgroundColor);
  await page.emulateMedia({ colorScheme: 'light' });
  const light = await background();
  await page.emulateMedia({ colorScheme: 'dark' });
  const dark = await background();
  assert.notEqual(dark, light);
  const choose = async (theme) => {
    await page.keyboard.press('Control+Shift+F11');
    const options = page.getByRole('dialog', { name: 'Opcje projektu' });
    await options.getByRole('radio', { name: theme }).check();
    await options.getByRole('button', { name: 'OK' }).click();
    await options.waitFor({ state: 'detached' });
  };
  await choose('Jasny');
  assert.equal(await background(), light);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.equal(await background(), light, 'kept across a reload');
  // The options open on the colours in force: OK with nothing changed keeps them.
  await page.keyboard.press('Control+Shift+F11');
  const reopened = page.getByRole('dialog', { name: 'Opcje projektu' });
  assert.equal(await reopened.getByRole('radio', { name: 'Jasny' }).isChecked(), true);
  await reopened.getByRole('button', { name: 'OK' }).click();
  await reopened.waitFor({ state: 'detached' });
  assert.equal(await background(), light, 'OK with nothing changed keeps the colours');
  await page.emulateMedia({ colorScheme: 'light' });
  // Options refused for a bad number change the colours no more than the
  // rest; nor does "Anuluj".
  await page.keyboard.press('Control+Shift+F11');
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  await options.getByRole('radio', { name: 'Ciemny' }).check();
  await options.getByRole('textbox', { name: 'Port wejścia' }).fill('zle');
  await options.getByRole('button', { name: 'OK' }).click();
  const refusal = page.getByRole('alertdialog');
  await refusal.getByRole('button', { name: 'OK' }).click();
  await refusal.waitFor({ state: 'detached' });
  assert.equal(await background(), light, 'refused options keep the colours');
  await options.getByRole('button', { name: 'Anuluj' }).click();
  await options.waitFor({ state: 'detached' });
  assert.equal(await background(), light, 'cancelled options keep the colours');
  await choose('Ciemny');
  assert.equal(await background(), dark);
  await choose('Jak w systemie');
  assert.equal(await background(), light);
  await page.emulateMedia({ colorScheme: null });
});
