// The run commands as a student uses them: an example run from compile to
// end, the commands' keys, buttons and menu items, their greying, a key
// held back by a box, the tracking level and its tempo, manual control,
// and the console a running program reads.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  closeBox, compiled, freshPage, openExample, openMenu, register, shownCycle, shownEditor, shownLines, siteOfFile, typeProgram,
} from './harness.mjs';

const site = siteOfFile();

const running = (page) => page.waitForFunction(() => document.body.classList.contains('running'));
const stopped = (page) => page.waitForFunction(() => !document.body.classList.contains('running'));

// The cycle counts the diagram shows from now on, each change once, the
// one shown now first.
async function recordCycles(page) {
  await page.evaluate(() => {
    const svg = document.querySelector('svg.diagram');
    const seen = (window.cyclesSeen = [svg.dataset.cycles]);
    new MutationObserver(() => {
      if (seen.at(-1) !== svg.dataset.cycles) seen.push(svg.dataset.cycles);
    }).observe(svg, { attributeFilter: ['data-cycles'] });
  });
  return () => page.evaluate(() => window.cyclesSeen);
}

test('an example compiles, runs cycle by cycle on the diagram, steps back and ends', async () => {
  const page = await freshPage(site);
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

test('the run commands answer to their keys and menu items, and run the program compiled whichever editor is shown', async () => {
  const page = await freshPage(site);
  await compiled(page, 'POB x\nDOD x\nSTP\nx: RST 3\n');
  const ak = register(page, 'AK');
  await page.keyboard.press('F8'); // POB's three cycles
  await shownCycle(page, 3);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 3');
  await page.keyboard.press('Shift+F8');
  await shownCycle(page, 0);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 0');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('Shift+F7');
  await shownCycle(page, 0);

  // "Do kursora" runs to the line the caret stands on, from the start or
  // from within an instruction: both instructions before STP are done.
  await shownLines(page).nth(2).click();
  await page.keyboard.press('F4');
  await shownCycle(page, 6);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 6');
  assert.equal(await page.locator('.cm-next-line').textContent(), 'STP');
  assert.equal(await page.locator('.box').count(), 0);
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 0');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.keyboard.press('F4');
  await page.waitForFunction(() => document.querySelector('.cm-next-line')?.textContent === 'STP');
  await stopped(page);
  await shownCycle(page, 6);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 6');
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);

  // The menu's items do the same, and close the menu.
  const run = await openMenu(page, 'Wykonaj');
  await run.getByRole('menuitem', { name: 'Takt', exact: true }).click();
  await shownCycle(page, 1);
  assert.equal(await run.count(), 0);
  // From the keyboard: to "Wykonaj" along the bar, down into its menu, to "Takt".
  const bar = page.getByRole('menubar');
  await bar.getByRole('menuitem', { name: 'Plik' }).focus();
  assert.deepEqual(await bar.getByRole('menuitem').allTextContents(), ['Plik', 'Widok', 'Szukaj', 'Projekt', 'Wykonaj', 'Pomoc']);
  for (let step = 0; step < 4; ++step) await page.keyboard.press('ArrowRight');
  for (let step = 0; step < 3; ++step) await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement?.firstElementChild?.textContent), 'Takt');
  await page.keyboard.press('Enter');
  await shownCycle(page, 2);
  assert.equal(await bar.getByRole('menuitem', { name: 'Wykonaj' }).evaluate((e) => e === document.activeElement), true);
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);

  // From another editor, "Do kursora" runs to the caret of the program
  // compiled, not to the line the shown editor's caret stands on (here the
  // second, which would stop after POB); the other editor's text was never
  // compiled: no line of it runs next.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await shownEditor(page).locator('.cm-content').pressSequentially('STP\n');
  await shownLines(page).filter({ hasText: 'STP' }).first().waitFor();
  await page.keyboard.press('F4');
  await shownCycle(page, 6);
  assert.equal(await ak.getAttribute('aria-label'), 'AK : 6');
  assert.equal(await shownEditor(page).locator('.cm-next-line').count(), 0);
  await page.locator('#editor-tabs [role=tab]').nth(0).click();
  assert.equal(await shownEditor(page).locator('.cm-next-line').textContent(), 'STP');
  assert.deepEqual(page.errors, []);
});

test('the run commands are greyed as the run allows, in the buttons, the menu and their keys', async () => {
  const page = await freshPage(site);
  const button = (name) => page.getByRole('button', { name, exact: true });
  const item = (menu, name) => menu.getByRole('menuitem', { name, exact: true });
  // Nothing to step back over yet.
  assert.equal(await button('Cofnij takt').isDisabled(), true);
  assert.equal(await button('Cofnij rozkaz').isDisabled(), true);
  let run = await openMenu(page, 'Wykonaj');
  assert.equal(await item(run, 'Cofnij takt').getAttribute('aria-disabled'), 'true');
  assert.equal(await item(run, 'Cofnij rozkaz').getAttribute('aria-disabled'), 'true');
  await page.keyboard.press('Escape');
  await compiled(page, 'POB x\nDOD x\nSTP\nx: RST 3\n');
  assert.equal(await button('Cofnij takt').isDisabled(), true);
  // A value entered by hand can be stepped back, but it is no instruction.
  await page.getByRole('button', { name: 'AK : 0' }).click();
  const value = page.getByRole('dialog');
  await value.getByLabel('Aktualna wartość').fill('9');
  await value.getByRole('button', { name: 'OK' }).click();
  await page.getByRole('button', { name: 'AK : 9' }).waitFor();
  assert.equal(await button('Cofnij takt').isEnabled(), true);
  assert.equal(await button('Cofnij rozkaz').isDisabled(), true);
  // An instruction begun is.
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  await page.waitForFunction(() => document.querySelector('#command-step-back-instruction')?.disabled === false);

  // Under manual control "Takt" and "Do kursora" stay open; "Program" and
  // "Rozkaz" are greyed, and neither their items nor their keys do anything.
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.waitForFunction(() => document.querySelector('#command-program')?.disabled === true);
  assert.equal(await button('Rozkaz').isDisabled(), true);
  assert.equal(await button('Takt').isEnabled(), true);
  assert.equal(await button('Do kursora').isEnabled(), true);
  run = await openMenu(page, 'Wykonaj');
  assert.equal(await item(run, 'Program').getAttribute('aria-disabled'), 'true');
  assert.equal(await item(run, 'Rozkaz').getAttribute('aria-disabled'), 'true');
  await item(run, 'Program').click({ force: true });
  assert.equal(await run.count(), 1, 'a greyed item leaves its menu open');
  await page.keyboard.press('Escape');
  assert.equal(await run.count(), 0);
  await page.keyboard.press('F9');
  await page.keyboard.press('F8');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  assert.equal(await page.locator('.box').count(), 0);
  assert.equal(await page.locator('svg.diagram').getAttribute('data-cycles'), '1');
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).uncheck();

  // During a run only "Przerwij" (and "Reset") is open, and the page goes
  // on answering: the editor takes keys.
  await compiled(page, 'a: SOB a\n');
  await page.keyboard.press('F9');
  await running(page);
  for (const name of ['Takt', 'Rozkaz', 'Wykonaj program', 'Do kursora', 'Cofnij takt', 'Cofnij rozkaz'])
    assert.equal(await button(name).isDisabled(), true, name);
  assert.equal(await button('Przerwij').isEnabled(), true);
  await shownEditor(page).locator('.cm-content').press('End');
  run = await openMenu(page, 'Wykonaj');
  assert.equal(await item(run, 'Program').getAttribute('aria-disabled'), 'true');
  assert.equal(await item(run, 'Takt').getAttribute('aria-disabled'), 'true');
  assert.equal(await item(run, 'Przerwij').getAttribute('aria-disabled'), null);
  // A greyed item does nothing, not even close its menu.
  await item(run, 'Takt').click({ force: true });
  assert.equal(await run.isVisible(), true);
  await item(run, 'Przerwij').click();
  await stopped(page);
  assert.equal(await button('Takt').isEnabled(), true);
  assert.equal(await button('Cofnij takt').isEnabled(), true);
  assert.equal(await page.locator('.box').count(), 0);
  assert.deepEqual(page.errors, []);
});

test('a run key pressed while a box is up does nothing, and works once the box is closed', async () => {
  const page = await freshPage(site);
  const seen = await recordCycles(page);
  // Under a compile's error, and under its news of success.
  await typeProgram(page, 'POB x\nXYZ\nx: RST 1');
  await page.keyboard.press('Control+F9');
  await page.locator('.box').waitFor();
  await page.keyboard.press('F7');
  assert.equal((await closeBox(page)).role, 'alertdialog');
  await typeProgram(page, 'POB x\nSTP\nx: RST 1');
  await page.keyboard.press('Control+F9');
  const box = page.locator('.box');
  await box.waitFor();
  await page.keyboard.press('F7');
  await box.getByRole('button', { name: 'OK' }).click();
  await box.waitFor({ state: 'detached' });
  // A key after the box is closed does its work; one done behind the box,
  // or held back until it closed, would show before this cycle and the
  // step back after it.
  await page.keyboard.press('F7');
  await page.waitForFunction(() => window.cyclesSeen.length >= 2);
  await page.keyboard.press('Shift+F7');
  await page.waitForFunction(() => window.cyclesSeen.length >= 3);
  assert.deepEqual(await seen(), ['0', '1', '0']);
  assert.deepEqual(page.errors, []);
});

test('the tracking level: the highest shows every cycle at its tempo, the lowest none until the end, and the machine keeps the one chosen', async () => {
  const page = await freshPage(site);
  await compiled(page, 'a: SOB a\n');
  await page.getByRole('radio', { name: 'wysoki (takt)' }).check();
  const tempo = page.getByRole('combobox', { name: 'Tempo przy wysokim poziomie śledzenia' });
  // A page never set starts at the desktop's tempo, 100 ms.
  assert.equal(await tempo.inputValue(), '100');
  await tempo.selectOption('250');
  await page.keyboard.press('F9');
  await shownCycle(page, 1);
  await shownCycle(page, 2);
  const started = Date.now();
  await page.getByRole('button', { name: 'Przerwij' }).click();
  // The pause ends at once, not after the tempo.
  await stopped(page);
  assert.ok(Date.now() - started < 1000);

  // At the lowest level a run shows no cycle until it ends.
  await page.getByRole('radio', { name: 'niski (program)' }).check();
  await compiled(page, 'DOD x\nDOD x\nSTP\nx: RST 1\n');
  const seen = await recordCycles(page);
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  assert.equal((await seen()).length, 2, (await seen()).join());
  const checkedLevels = () => page.locator('#tracking input:checked').evaluateAll((all) => all.map((r) => r.value));
  assert.deepEqual(await checkedLevels(), ['0']);
  await page.getByRole('radio', { name: 'wysoki (takt)' }).check();
  await page.keyboard.press('Control+F2');
  await shownCycle(page, 0);
  assert.deepEqual(await checkedLevels(), ['2']);
  assert.deepEqual(page.errors, []);
});

test('under manual control a click on a signal\'s line, away from its name, switches it', async () => {
  const page = await freshPage(site);
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.waitForFunction(() => document.querySelector('#command-program')?.disabled === true);
  const czyt = page.getByRole('checkbox', { name: 'czyt' });
  assert.equal(await czyt.getAttribute('aria-checked'), 'false');
  const box = await page.locator('g.signal[data-name=SignalCzyt] .hit').boundingBox();
  await page.mouse.click(box.x + 3, box.y + box.height / 2);
  await page.waitForFunction(() => document.querySelector('g.signal[data-name=SignalCzyt]')?.getAttribute('aria-checked') === 'true');
  assert.deepEqual(page.errors, []);
});

test('the console example echoes typed input in capitals; what is typed ahead stays in the field, mendable, until read', async () => {
  const page = await freshPage(site);
  await openExample(page, 'Ombra: echo.prg');
  await page.getByRole('button', { name: 'Kompiluj' }).click();
  await closeBox(page);
  const input = page.getByLabel('Wejście');
  const output = page.locator('#console-output');
  await page.keyboard.press('F9');
  // Each key goes to the program at once, no Enter needed.
  await input.pressSequentially('ala.');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  assert.equal(await output.textContent(), 'ALA.');
  assert.equal(await input.inputValue(), '');

  // Typed before the run, the characters wait in the field and a slip can
  // be mended there; the run reads them from the front.
  await page.keyboard.press('Control+F2');
  await input.pressSequentially('abx');
  await input.press('Backspace');
  await input.pressSequentially('c.');
  assert.equal(await input.inputValue(), 'abc.');
  await new Promise((resolve) => setTimeout(resolve, 200));
  assert.equal(await input.inputValue(), 'abc.', 'the field kept what was typed');
  // Enter sends no form away: the page stays, the field as it was.
  await page.evaluate(() => (window.notReloaded = true));
  await input.press('Enter');
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  assert.equal(await input.inputValue(), 'abc.');
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  assert.equal(await output.textContent(), 'ALA.ABC.');
  assert.equal(await input.inputValue(), '');
  // A character read from the front leaves the caret where it stood among
  // the rest.
  await page.keyboard.press('Control+F2');
  await input.pressSequentially('abcd');
  await input.press('Home');
  await input.press('ArrowRight');
  await input.press('ArrowRight');
  // An instruction at a time, each seen through, up to the one that reads.
  const read = () => page.waitForFunction(() => document.getElementById('console-input').value !== 'abcd', null, { timeout: 1000 });
  for (let k = 0; k < 20; ++k) {
    await page.keyboard.press('F8');
    if (await read().then(() => true, () => false)) break;
  }
  assert.equal(await input.inputValue(), 'bcd');
  assert.deepEqual(await input.evaluate((field) => [field.selectionStart, field.selectionEnd]), [1, 1]);
  await page.keyboard.press('Control+F2');
  // The output's menu, as the desktop's, has "Clear".
  await output.click({ button: 'right' });
  await page.getByRole('menu', { name: 'Wyjście' }).getByRole('menuitem', { name: 'Clear' }).click();
  await page.waitForFunction(() => document.getElementById('console-output')?.textContent === '');
  assert.deepEqual(page.errors, []);
});

test('the status line tells the run going on and the last one: its cycles and instructions, and the cycles since reset', async () => {
  const page = await freshPage(site);
  const status = page.locator('#run-status');
  const counts = async () => {
    const text = await status.textContent();
    const found = /^Zatrzymana\. Ostatnie wykonanie: takty (\d+), rozkazy (\d+); od resetu: takty (\d+)$/.exec(text);
    assert.ok(found, text);
    return found.slice(1).map(Number);
  };
  assert.deepEqual(await counts(), [0, 0, 0]);
  await compiled(page, 'POB x\nDOD x\nSTP\nx: RST 5\n');
  await page.keyboard.press('F7');
  await shownCycle(page, 1);
  assert.deepEqual(await counts(), [1, 0, 1]);
  // "Rozkaz" ends the instruction begun: the cycles it took now, one instruction.
  await page.keyboard.press('F8');
  await page.waitForFunction(() => /rozkazy 1;/.test(document.querySelector('#run-status').textContent));
  const [cycles, instructions, sinceReset] = await counts();
  assert.equal(instructions, 1);
  assert.ok(cycles >= 1);
  assert.equal(sinceReset, 1 + cycles);
  // A run going on says so, counting; ended, the last run's counts stay.
  await compiled(page, 'a: SOB a\n');
  await page.keyboard.press('F9');
  // Each turn of the loop is one instruction of more than one cycle: the cycles outnumber the instructions.
  await page.waitForFunction(() => {
    const found = /^Wykonywanie… takty: (\d+), rozkazy: (\d+)$/.exec(document.querySelector('#run-status').textContent);
    return found !== null && Number(found[2]) > 0 && Number(found[1]) > Number(found[2]);
  });
  await openMenu(page, 'Wykonaj').then((list) => list.getByRole('menuitem', { name: 'Przerwij' }).click());
  await stopped(page);
  const [ran, ranInstructions, total] = await counts();
  assert.ok(ran > 0 && ranInstructions > 0 && ran >= ranInstructions, `${ran} ${ranInstructions}`);
  assert.ok(total >= ran);
  // Under manual control it says that too.
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.waitForFunction(() => document.querySelector('#run-status').textContent.endsWith(' · sterowanie ręczne'));
  assert.deepEqual(page.errors, []);
});
