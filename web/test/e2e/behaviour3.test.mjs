// The page's smaller promises, one panel at a time: what each menu holds
// and how its keys move, the keys every command answers to, the context
// menus, the lists' keys, the find box's memory, the stop conditions'
// greying, the timing diagram's lanes and the list files' names.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, eventually, openExample, openPage, register, shownCycle, startSite, typeProgram, uploadFile } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

const menu = (page, name) => page.getByRole('menu', { name });
const bar = (page) => page.getByRole('menubar');
const top = (page, name) => bar(page).getByRole('menuitem', { name });
// The focused menu item's label (or the focused element's text).
const focused = (page) =>
  page.evaluate(() => (document.activeElement?.matches('li') ? document.activeElement.firstElementChild : document.activeElement)?.textContent);
// A menu as the student reads it: each label with its key, a line as "---".
const entriesOf = (list) =>
  list.locator(':scope > li').evaluateAll((items) =>
    items.map((li) => {
      if (li.getAttribute('role') === 'separator') return '---';
      const key = li.getAttribute('aria-keyshortcuts');
      const shown = li.querySelector('.key')?.textContent;
      return [li.firstElementChild.textContent, key, shown].filter(Boolean).join(' ');
    }),
  );

async function compiled(page) {
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
}

// The shown editor's selection: where it starts and what it holds.
const selection = (page) =>
  page.evaluate(() => {
    const { state } = document.querySelector('[role=tabpanel]:not([hidden]) .cm-content').cmTile.root.view;
    return `${state.selection.main.from}-${state.sliceDoc(state.selection.main.from, state.selection.main.to)}`;
  });
const inEditor = (page) => page.evaluate(() => document.querySelector('[role=tabpanel]:not([hidden]) .cm-content').contains(document.activeElement));

test('the machine\'s controls: the widths brought into range, the interrupt buttons of a machine that has them, the tracking level', async () => {
  const page = await openPage(site);
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  const widths = async () => [await options.getByLabel('Liczba bitów adresowych').inputValue(), await options.getByLabel('Liczba bitów kodu').inputValue()];
  await page.keyboard.press('Control+Shift+F11');
  await options.getByLabel('Liczba bitów adresowych').fill('99');
  await options.getByLabel('Liczba bitów kodu').fill('1');
  await options.getByRole('radio', { name: 'Ombra' }).check();
  await options.getByRole('button', { name: 'OK' }).click();
  await options.waitFor({ state: 'detached' });
  const interrupts = page.getByRole('group', { name: 'Przerwania' });
  await interrupts.waitFor();
  assert.deepEqual(await interrupts.getByRole('button').evaluateAll((all) => all.map((b) => b.getAttribute('aria-label'))), [
    'Przerwanie 1', 'Przerwanie 2', 'Przerwanie 3', 'Przerwanie 4',
  ]);
  await page.keyboard.press('Control+Shift+F11');
  assert.deepEqual(await widths(), ['16', '3']);
  // Writes both widths with "OK" and opens the dialog again.
  const writeWidths = async (address, code) => {
    await options.getByLabel('Liczba bitów adresowych').fill(address);
    await options.getByLabel('Liczba bitów kodu').fill(code);
    await options.getByRole('button', { name: 'OK' }).click();
    await options.waitFor({ state: 'detached' });
    await page.keyboard.press('Control+Shift+F11');
  };
  await writeWidths('2', '30');
  assert.deepEqual(await widths(), ['5', '8']);
  // A field left empty keeps the width it had.
  await writeWidths('7', '6');
  await writeWidths('', '');
  assert.deepEqual(await widths(), ['7', '6']);
  await options.getByRole('button', { name: 'Anuluj' }).click();

  // Each button raises its own line: the first is RZ's highest bit.
  const rz = register(page, 'RZ');
  await interrupts.getByRole('button', { name: 'Przerwanie 1' }).click();
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterRZ]')?.getAttribute('aria-label') === 'RZ : 8');
  await interrupts.getByRole('button', { name: 'Przerwanie 4' }).click();
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterRZ]')?.getAttribute('aria-label') === 'RZ : 9');
  assert.equal(await rz.getAttribute('aria-label'), 'RZ : 9');

  // The tracking level chosen is the one the machine keeps: a run at the
  // lowest level shows no cycle until it ends.
  await page.getByRole('radio', { name: 'niski (program)' }).check();
  await typeProgram(page, 'DOD x\nDOD x\nSTP\nx: RST 1\n');
  await compiled(page);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  const checkedLevels = () => page.locator('#tracking input:checked').evaluateAll((all) => all.map((r) => r.value));
  assert.deepEqual(await checkedLevels(), ['0']);
  await page.getByRole('radio', { name: 'wysoki (takt)' }).check();
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  assert.deepEqual(await checkedLevels(), ['2']);
  // Back to the machine without interrupts: the buttons go.
  await page.keyboard.press('Control+Shift+F11');
  await options.getByRole('radio', { name: 'Dorum', exact: true }).check();
  await options.getByRole('button', { name: 'OK' }).click();
  await interrupts.waitFor({ state: 'hidden' });
  assert.deepEqual(page.errors, []);
});

test('the run keys go by the compiled program from any tab and do nothing while greyed; a smaller memory brings its rows back', async () => {
  const page = await openPage(site);
  // A compile that fails hands the keyboard to the editor, even from the button.
  await typeProgram(page, 'STPX\n');
  await page.getByRole('button', { name: 'Kompiluj' }).click();
  assert.equal((await closeBox(page)).role, 'alertdialog');
  assert.equal(await eventually(() => inEditor(page), true), true);
  await typeProgram(page, 'POB x\nDOD x\nSTP\nx: RST 3\n');
  await page.locator('[role=tabpanel]:not([hidden]) .cm-line').nth(2).click();
  await compiled(page);
  // From another editor, "Do kursora" runs to the caret of the program compiled.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await page.keyboard.press('F4');
  await shownCycle(page, 6);
  assert.equal(await register(page, 'AK').getAttribute('aria-label'), 'AK : 6');
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  // Under manual control the greyed keys start nothing.
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.waitForFunction(() => document.querySelector('#command-program')?.disabled === true);
  await page.keyboard.press('F9');
  await page.keyboard.press('F8');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  assert.equal(await page.locator('.box').count(), 0);
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '1');
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).uncheck();

  // A memory made smaller while its last rows are shown: the rows come back within it.
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  const setAddressBits = async (bits) => {
    await page.keyboard.press('Control+Shift+F11');
    await options.getByLabel('Liczba bitów adresowych').fill(String(bits));
    await options.getByRole('button', { name: 'OK' }).click();
    await options.waitFor({ state: 'detached' });
  };
  await setAddressBits(6);
  const bar = page.getByRole('scrollbar', { name: 'Przewijanie pamięci' });
  const rows = page.locator('svg.diagram text.row');
  const shown = await rows.count();
  await eventually(() => bar.getAttribute('aria-valuemax'), String(64 - shown));
  await bar.focus();
  await page.keyboard.press('End');
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row:last-of-type')?.getAttribute('aria-label')?.startsWith('63  '));
  await setAddressBits(5);
  await page.waitForFunction(() => document.querySelector('svg.diagram text.row:last-of-type')?.getAttribute('aria-label')?.startsWith('31  '));
  assert.equal(await bar.getAttribute('aria-valuemax'), String(32 - shown));
  assert.equal(await bar.getAttribute('aria-valuenow'), String(32 - shown));
  assert.equal(await bar.getAttribute('aria-valuetext'), `adres ${32 - shown}`);
  assert.deepEqual(page.errors, []);
});
