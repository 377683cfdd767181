// The timing diagram: its cycles, lanes and instructions as a program is
// stepped, the registers chosen for it, a click back to a cycle, and what
// it is saved as.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bytesOf, closeBox, compiled, eventually, freshPage, menu, openExample, shownCycle, siteOfFile } from './harness.mjs';

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
  const three = await page.locator('svg.timing text.number').nth(2).boundingBox();
  await page.mouse.click(three.x + three.width / 2, three.y + 40);
  await shownCycle(page, 3);
  assert.deepEqual(await eventually(() => numbers(page), cycles(3)), cycles(3));
  assert.equal(await page.locator('svg.timing text.number.now').textContent(), '3');
  // Stepping back: the diagram ends at the cycle now current; stepping on
  // from a cycle clicked writes the history anew.
  await page.keyboard.press('Shift+F7');
  assert.deepEqual(await eventually(() => numbers(page), cycles(2)), cycles(2));
  const one = await page.locator('svg.timing text.number').nth(0).boundingBox();
  await page.mouse.click(one.x + one.width / 2, one.y + 60);
  assert.deepEqual(await eventually(() => numbers(page), cycles(1)), cycles(1));
  await shownCycle(page, 1);
  await page.keyboard.press('F7');
  assert.deepEqual(await eventually(() => numbers(page), cycles(2)), cycles(2));
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
