// The timing diagram: its cycles, lanes and instructions as a program is
// stepped, the registers chosen for it, a click back to a cycle, and what
// it is saved as.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bytesOf, closeBox, compiled, eventually, freshPage, menu, openExample, register, shownCycle, siteOfFile } from './harness.mjs';

const site = siteOfFile();

const numbers = (page) => page.locator('svg.timing text.number').allTextContents();
const cycles = (n) => Array.from({ length: n }, (_, k) => String(k + 1));

test('the timing diagram follows the cycles, shows the registers chosen in the machine\'s order, catches up when shown and goes back to a cycle clicked', async () => {
  const page = await freshPage(site);
  await openExample(page, 'Dorum: suma.prg');
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await page.locator('#timing-empty', { hasText: /^Nie zapisano jeszcze żadnego taktu\./ }).waitFor();
  await compiled(page);
  for (let cycle = 1; cycle <= 4; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  assert.deepEqual(await eventually(() => numbers(page), cycles(4)), cycles(4));
  assert.equal(await page.locator('svg.timing text.number.now').textContent(), '4');
  assert.equal(await page.locator('#timing-empty').isVisible(), false);
  assert.match(await page.locator('svg.timing').getAttribute('aria-label'), /^Przebiegi czasowe: takty 1–4, (\S+, )*czyt\b/);
  // The instructions begun, where their fetch is.
  assert.deepEqual(await page.locator('svg.timing text.instruction').allTextContents(), ['pob', 'dod']);
  const lanes = await page.locator('svg.timing g.lane').evaluateAll((all) => all.map((g) => g.dataset.name));
  assert.ok(['czyt', 'wys', 'wei', 'il'].every((signal) => lanes.includes(signal)), lanes.join());
  assert.ok(lanes.includes('mag A') && lanes.includes('mag S'));
  assert.ok(!lanes.includes('pisz'), 'a signal never on has no lane');
  // A signal's lane is high in the cycles it was on: czyt in the fetch of POB.
  const czyt = page.locator('svg.timing g.lane[data-name=czyt] rect.on');
  const firstCell = await page.locator('svg.timing text.number').first().boundingBox();
  const on = await czyt.first().boundingBox();
  assert.ok(on.x < firstCell.x && on.x + on.width > firstCell.x + firstCell.width, 'czyt is on in cycle 1');

  // Only the registers the machine has are offered. Two chosen the other
  // way round: their lanes in the machine's order, AK's with its values as
  // the diagram writes them.
  const choose = async (name) => {
    await page.getByRole('button', { name: 'Pokaż rejestr' }).click();
    await menu(page, 'Pokaż rejestr').locator('[role=menuitemcheckbox]', { hasText: new RegExp(`^${name}$`) }).click();
  };
  await page.getByRole('button', { name: 'Pokaż rejestr' }).click();
  const offered = await menu(page, 'Pokaż rejestr').getByRole('menuitemcheckbox').allTextContents();
  assert.ok(offered.includes('AK') && offered.includes('A'), offered.join());
  assert.ok(!offered.includes('X') && !offered.includes('Y'), offered.join());
  await page.keyboard.press('Escape');
  const [earlier, later] = [offered.indexOf('A'), offered.indexOf('AK')].sort((a, b) => a - b).map((k) => offered[k]);
  await choose(later);
  await choose(earlier);
  const registerLanes = () => page.locator('svg.timing g.lane.register').evaluateAll((all) => all.map((g) => g.dataset.name));
  assert.deepEqual(await eventually(registerLanes, [earlier, later]), [earlier, later]);
  const ak = page.locator('svg.timing g.lane[data-name=AK]');
  assert.deepEqual(await ak.locator('text:not(.name)').allTextContents(), ['0', '5']);
  await page.getByRole('button', { name: 'Pokaż rejestr' }).click();
  const ticked = await menu(page, 'Pokaż rejestr').getByRole('menuitemcheckbox').evaluateAll((all) =>
    all.filter((i) => i.getAttribute('aria-checked') === 'true').map((i) => i.textContent),
  );
  assert.deepEqual(ticked, [earlier, later]);
  await page.keyboard.press('Escape');
  await choose(earlier);
  assert.deepEqual(await eventually(registerLanes, [later]), [later]);

  // Out of sight it waits; shown again, it has the cycles done meanwhile.
  await page.getByRole('tab', { name: 'Konsola' }).click();
  await page.keyboard.press('F7');
  await shownCycle(page, 5);
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  assert.deepEqual(await eventually(() => numbers(page), cycles(5)), cycles(5));
  // A click on the names' column goes nowhere; on a cycle, back to its end.
  const svg = await page.locator('svg.timing').boundingBox();
  await page.mouse.click(svg.x + 10, svg.y + 50);
  await page.keyboard.press('F7');
  await shownCycle(page, 6);
  assert.deepEqual(await eventually(() => numbers(page), cycles(6)), cycles(6));
  const now = () => page.locator('svg.timing text.number.now').textContent();
  const fadedNumbers = () => page.locator('svg.timing text.number.later').allTextContents();
  const clickCycle = async (n) => {
    const at = await page.locator('svg.timing text.number', { hasText: new RegExp(`^${n}$`) }).boundingBox();
    await page.mouse.click(at.x + at.width / 2, at.y + 40);
  };
  await clickCycle(3);
  await shownCycle(page, 3);
  // The cycles stepped back over stay, faded, after the current one.
  assert.deepEqual(await eventually(fadedNumbers, ['4', '5', '6']), ['4', '5', '6']);
  assert.deepEqual(await numbers(page), cycles(6));
  assert.equal(await now(), '3');
  assert.match(await page.locator('svg.timing').getAttribute('aria-label'), /; bieżący takt 3; takty 4–6 po bieżącym są wyblakłe$/);
  await page.keyboard.press('Shift+F7');
  assert.deepEqual(await eventually(fadedNumbers, ['3', '4', '5', '6']), ['3', '4', '5', '6']);
  await clickCycle(1);
  await shownCycle(page, 1);
  assert.equal(await eventually(now, '1'), '1');
  // Stepping on performs cycle 2 as before: what comes after it stays.
  await page.keyboard.press('F7');
  await shownCycle(page, 2);
  assert.deepEqual(await eventually(fadedNumbers, ['3', '4', '5', '6']), ['3', '4', '5', '6']);
  // A click on a faded cycle runs forward to it.
  await clickCycle(5);
  await shownCycle(page, 5);
  assert.equal(await eventually(now, '5'), '5');
  assert.deepEqual(await eventually(fadedNumbers, ['6']), ['6']);
  assert.deepEqual(await numbers(page), cycles(6));
  // A cycle that comes out otherwise (another value in AK) ends them.
  await clickCycle(1);
  await shownCycle(page, 1);
  await register(page, 'AK').click();
  await page.locator('.box input').fill('7');
  await page.locator('.box input').press('Enter');
  await page.keyboard.press('F7');
  await shownCycle(page, 2);
  assert.deepEqual(await eventually(fadedNumbers, []), []);
  assert.deepEqual(await numbers(page), cycles(2));
  assert.deepEqual(page.errors, []);
});

test('the timing diagram is saved as VCD and as a picture; without cycles there is nothing to save', async () => {
  const page = await freshPage(site);
  const saveAs = async (button, name) => {
    const download = page.waitForEvent('download');
    await page.getByRole('button', { name: button }).click();
    await page.locator('.box input').press('Enter');
    const saved = await download;
    assert.equal(saved.suggestedFilename(), name);
    return (await bytesOf(saved)).toString();
  };
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await page.locator('#timing-empty', { hasText: 'Nie zapisano' }).waitFor();
  await page.getByRole('button', { name: 'Zapisz jako SVG...' }).click();
  assert.deepEqual(await closeBox(page), { role: 'alertdialog', text: 'Nie ma czego zapisać: historia wykonania nie zawiera jeszcze żadnego taktu.' });
  await page.getByRole('button', { name: 'Zapisz jako VCD...' }).click();
  assert.equal((await closeBox(page)).role, 'alertdialog');

  await openExample(page, 'Dorum: suma.prg');
  await compiled(page);
  for (let cycle = 1; cycle <= 3; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  assert.deepEqual(await eventually(() => numbers(page), cycles(3)), cycles(3));
  const vcd = await saveAs('Zapisz jako VCD...', 'przebiegi.vcd');
  assert.match(vcd, /\$var wire 1 \S+ czyt \$end/);
  assert.match(vcd, /^#3$/m);
  assert.match(vcd, /^#4$/m); // the last cycle closed
  assert.doesNotMatch(vcd, /^#5$/m);
  const svg = await saveAs('Zapisz jako SVG...', 'przebiegi.svg');
  assert.match(svg, /class="timing"/);
  assert.match(svg, />czyt</);
  assert.deepEqual(page.errors, []);
});

test('the timing diagram holds the last two thousand cycles, scrolled rather than crammed, and zooms about the picked cycle', async () => {
  const page = await freshPage(site);
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await compiled(page, 'a: POB n\nODE jeden\nŁAD n\nSOZ k\nSOB a\nk: STP\nn: RST 200\njeden: RST 1\n');
  await page.keyboard.press('F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został zakończony.' });
  const total = Number(await page.locator('svg.diagram').getAttribute('data-cycles'));
  assert.ok(total > 2000, String(total));
  const range = async () => (await page.locator('svg.timing').getAttribute('aria-label'))?.match(/takty (\d+)–(\d+)/)?.slice(1).map(Number);
  assert.deepEqual(await eventually(range, [total - 1999, total]), [total - 1999, total]);
  const diagram = page.locator('#timing');
  const view = await diagram.boundingBox();
  const inView = async (n) => {
    const box = await page.locator('svg.timing text.number', { hasText: new RegExp(`^${n}$`) }).boundingBox();
    return box !== null && box.x >= view.x && box.x + box.width <= view.x + view.width;
  };
  // The newest cycle in sight, the oldest a scroll away; the numbers apart.
  assert.ok(await inView(total));
  assert.ok(await diagram.evaluate((e) => e.scrollWidth > 20 * e.clientWidth));
  const cellWidth = async () => {
    const [a, b] = await page.locator('svg.timing text.number').evaluateAll((all) => all.slice(0, 2).map((t) => t.getBBox().x + t.getBBox().width / 2));
    return b - a;
  };
  const normal = await cellWidth();
  assert.ok(normal >= 30, String(normal));
  await diagram.focus();
  await page.keyboard.press('Home');
  assert.ok(await inView(total - 1999));
  assert.match(await page.locator('[aria-live]', { hasText: /^Takt / }).textContent(), new RegExp(`^Takt ${total - 1999}(, rozkaz \\S+)?; Enter cofnie do jego końca\\.`));
  // Zooming in and out keeps the picked cycle in sight.
  for (let k = 0; k < 4; ++k) await page.getByRole('button', { name: 'Pomniejsz' }).click();
  assert.ok((await cellWidth()) < normal / 2);
  await diagram.focus();
  await page.keyboard.press('End');
  for (let k = 0; k < 3; ++k) await page.getByRole('button', { name: 'Powiększ' }).click();
  assert.ok(await inView(total));
  const zoomed = await cellWidth();
  // Ctrl with the wheel over the diagram zooms it, not the page.
  await page.mouse.move(view.x + view.width / 2, view.y + view.height / 2);
  await page.keyboard.down('Control');
  await page.mouse.wheel(0, -120);
  await page.keyboard.up('Control');
  assert.ok((await eventually(cellWidth, Math.round(zoomed * 1.25))) > zoomed);
  assert.ok(await inView(total));
  assert.equal(await page.evaluate(() => window.visualViewport?.scale ?? 1), 1);
  // Zooming in stops at a widest cycle.
  for (let k = 0; k < 20; ++k) await page.getByRole('button', { name: 'Powiększ' }).click();
  const widest = await cellWidth();
  assert.ok(widest <= 320, String(widest));
  await page.getByRole('button', { name: 'Powiększ' }).click();
  assert.equal(await cellWidth(), widest);
  assert.ok(await inView(total));
  assert.deepEqual(page.errors, []);
});

test('the keyboard picks a cycle of the timing diagram, says which it is, and Enter goes to it as a click does', async () => {
  const page = await freshPage(site);
  await openExample(page, 'Dorum: suma.prg');
  await page.getByRole('tab', { name: 'Przebiegi czasowe' }).click();
  await compiled(page);
  for (let cycle = 1; cycle <= 4; ++cycle) {
    await page.keyboard.press('F7');
    await shownCycle(page, cycle);
  }
  await eventually(() => numbers(page), cycles(4));
  const said = () => page.locator('#timing-panel [aria-live]').textContent();
  const picked = async () => {
    const mark = await page.locator('svg.timing rect.picked').boundingBox();
    const all = await page.locator('svg.timing text.number').evaluateAll((texts) => texts.map((t) => [t.textContent, t.getBoundingClientRect().x]));
    return all.find(([, x]) => x > mark.x && x < mark.x + mark.width)?.[0];
  };
  // The diagram is one stop of Tab; its mark stands on the current cycle.
  await page.getByRole('button', { name: 'Pomniejsz' }).focus();
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'timing');
  assert.equal(await picked(), '4');
  assert.match(await said(), /^Takt 4, rozkaz dod, bieżący\. Aktywne sygnały: (\S+, )*czyt\b/);
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await picked(), '2');
  assert.match(await said(), /^Takt 2, rozkaz pob; Enter cofnie do jego końca\. /);
  await page.keyboard.press('Enter');
  await shownCycle(page, 2);
  assert.equal(await eventually(() => page.locator('svg.timing text.number.now').textContent(), '2'), '2');
  // Forward over the cycles stepped back over.
  await page.keyboard.press('End');
  assert.equal(await picked(), '4');
  assert.match(await said(), /^Takt 4, rozkaz dod, cofnięty; Enter wykona takty aż do niego\. /);
  await page.keyboard.press('Home');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  assert.equal(await picked(), '3');
  await page.keyboard.press('Enter');
  await shownCycle(page, 3);
  assert.equal(await eventually(() => page.locator('svg.timing text.number.now').textContent(), '3'), '3');
  // At either end the pick stays.
  await page.keyboard.press('End');
  await page.keyboard.press('ArrowRight');
  assert.equal(await picked(), '4');
  // An arrow with Alt held is not the diagram's: the pick stays.
  await page.keyboard.press('Alt+ArrowLeft');
  assert.equal(await picked(), '4');
  // A step moves the pick to the cycle now current, as it moves a caret.
  await page.keyboard.press('Home');
  assert.equal(await picked(), '1');
  await page.keyboard.press('F7');
  await shownCycle(page, 4);
  assert.equal(await eventually(() => picked(), '4'), '4');
  assert.deepEqual(page.errors, []);
});
