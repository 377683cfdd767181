// The machine as the student sees and sets it up: the diagram's lights,
// its registers and their menu, the memory's rows and scroll bar, the
// diagram's pictures, and the options that shape the machine.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bytesOf, compiled, eventually, freshPage, menu, register, shownCycle, siteOfFile } from './harness.mjs';

const site = siteOfFile();

const item = (page, kind, name) => page.locator(`svg.diagram g.${kind}[data-name=${name}]`);
const lit = async (page, kind, name) => (await item(page, kind, name).getAttribute('class')).split(' ').includes('active');
const rowText = (page, index) => page.locator('svg.diagram text.row').nth(index).getAttribute('aria-label');
const firstRowIs = (page, start) => page.waitForFunction((s) => document.querySelector('svg.diagram text.row')?.getAttribute('aria-label')?.startsWith(s), start);
const lastRowIs = (page, start) =>
  page.waitForFunction((s) => document.querySelector('svg.diagram text.row:last-of-type')?.getAttribute('aria-label')?.startsWith(s), start);
const focusedLabel = (page) => page.evaluate(() => document.activeElement?.getAttribute('aria-label'));

// The value box: its title and label, answered with `value` (or cancelled).
async function answerValue(page, value) {
  const box = page.locator('.box');
  await box.waitFor();
  const asked = { title: await box.locator('h2').textContent(), label: await box.locator('label').textContent() };
  if (value === null) await box.getByRole('button', { name: 'Anuluj' }).click();
  else {
    await box.locator('input').fill(value);
    await box.getByRole('button', { name: 'OK' }).click();
  }
  await box.waitFor({ state: 'detached' });
  return asked;
}

test('the diagram lights what a cycle drove, hides what the machine lacks, and a row entered after scrolling is its own word', async () => {
  const page = await freshPage(site);
  // The first preset has no X, Y nor their signals.
  assert.equal(await item(page, 'register', 'RegisterX').isVisible(), false);
  assert.equal(await item(page, 'signal', 'SignalWex').isVisible(), false);
  assert.equal(await item(page, 'register', 'RegisterAK').isVisible(), true);

  await compiled(page, 'POB x\nSTP\nx: RST 3\n');
  await page.keyboard.press('F7'); // the fetch: czyt wys wei il
  await shownCycle(page, 1);
  for (const name of ['WireWys', 'WireWei']) assert.equal(await lit(page, 'wire', name), true, name);
  for (const name of ['WireWyl', 'WireWyak0', 'WireWea']) assert.equal(await lit(page, 'wire', name), false, name);
  assert.equal(await item(page, 'signal', 'SignalWys').getAttribute('aria-checked'), 'true');
  assert.equal(await item(page, 'signal', 'SignalWyl').getAttribute('aria-checked'), 'false');
  assert.equal(await lit(page, 'bus', 'BusS'), true);
  assert.match(await item(page, 'bus', 'BusS').getAttribute('aria-label'), /^mag S = \d+$/);
  assert.equal(await lit(page, 'bus', 'BusA'), false);
  await page.keyboard.press('F7'); // wyad wea
  await shownCycle(page, 2);
  assert.equal(await lit(page, 'wire', 'WireWea'), true);
  assert.equal(await lit(page, 'wire', 'WireWys'), false);
  assert.equal(await item(page, 'bus', 'BusA').getAttribute('aria-label'), 'mag A = 2');

  // Scrolled by two, the first row shown is word 2 and a click enters it.
  const bar = page.getByRole('scrollbar', { name: 'Przewijanie pamięci' });
  await bar.focus();
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await firstRowIs(page, '2  ');
  assert.match(await rowText(page, 0), /^2 {2}3\b/);
  // Anywhere on the row's stripe, as the desktop reads the row from the pointer.
  const first = await page.locator('svg.diagram text.row').first().boundingBox();
  await page.mouse.click(first.x + first.width + 20, first.y + first.height / 2);
  assert.deepEqual(await answerValue(page, '9'), { title: 'PaO', label: 'Wartość[2]' });
  await page.waitForFunction(() => /^2 {2}9\b/.test(document.querySelector('svg.diagram text.row')?.getAttribute('aria-label') ?? ''));
  // Enter on the second row shown asks for word 3.
  await page.locator('svg.diagram text.row').nth(1).focus();
  await page.keyboard.press('Enter');
  assert.deepEqual(await answerValue(page, null), { title: 'PaO', label: 'Wartość[3]' });
  // The register's box offers its value now.
  await item(page, 'register', 'RegisterA').click();
  const box = page.locator('.box');
  await box.waitFor();
  assert.equal(await box.locator('input').inputValue(), '2');
  assert.equal((await answerValue(page, '5')).label, 'Aktualna wartość');
  await page.getByRole('button', { name: 'A : 5' }).waitFor();
  assert.deepEqual(page.errors, []);
});

test('a register shows its value as chosen in its menu and is zeroed there; the memory is cleared', async () => {
  const page = await freshPage(site);
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

  // The format, the tracking level and the tempo are the student's across a reload.
  await page.getByLabel('wysoki (takt)').check();
  // Neither the first nor the default: the tempo kept is the one chosen, not its place in the list.
  await page.locator('#tempo').selectOption({ label: '0,25 s na takt' });
  const tempo = await page.locator('#tempo').inputValue();
  assert.equal(tempo, '250');
  await page.reload();
  await page.waitForSelector('body.ready');
  await page.waitForFunction(() => document.querySelector('g.register[data-name=RegisterAK]')?.getAttribute('aria-label') === 'AK : %00000000');
  assert.equal(await page.getByLabel('wysoki (takt)').isChecked(), true);
  assert.equal(await page.locator('#tempo').inputValue(), tempo);

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
  // Near either edge of its stripe, the row is still the one under the pointer.
  const stripe = async (index) => {
    const [row, next] = await Promise.all([index, index + 1].map((k) => page.locator('svg.diagram text.row').nth(k).boundingBox()));
    return { middle: row.y + row.height / 2, pitch: next.y - row.y };
  };
  for (const [index, side, value] of [[4, 1, 44], [5, -1, 55]]) {
    const { middle, pitch } = await stripe(index);
    await page.mouse.click(memory.x + memory.width - 30, middle + side * pitch * 0.4);
    await page.locator('.box input').fill(String(value));
    await page.keyboard.press('Enter');
    await page.waitForFunction(([k, v]) => document.querySelectorAll('svg.diagram text.row')[k]?.getAttribute('aria-label')?.startsWith(`${k}  ${v}`), [index, value]);
  }
  await page.locator('svg.diagram').click({ button: 'right', position: { x: 20, y: 20 } });
  await menu(page, 'Schemat').getByRole('menuitem', { name: 'Wyczyść pamięć' }).click();
  await page.waitForFunction(() => document.querySelectorAll('svg.diagram text.row')[3]?.getAttribute('aria-label')?.startsWith('3  0'));
  assert.deepEqual(page.errors, []);
});

test('the memory scrolls by its scroll bar and the wheel, a row entered is the one shown, and a smaller memory brings its rows back', async () => {
  const page = await freshPage(site);
  const rows = page.locator('svg.diagram text.row');
  const firstRow = async () => (await rows.first().getAttribute('aria-label')).split('  ')[0];
  const bar = page.getByRole('scrollbar', { name: 'Przewijanie pamięci' });
  const shown = await rows.count();
  assert.equal(await bar.getAttribute('aria-valuemax'), String(32 - shown));
  await bar.focus();
  await page.keyboard.press('End');
  await lastRowIs(page, '31  ');
  assert.equal(await bar.getAttribute('aria-valuenow'), await firstRow());
  await page.keyboard.press('Home');
  await firstRowIs(page, '0  ');
  await page.keyboard.press('ArrowDown');
  await firstRowIs(page, '1  ');
  // A click on the track below the thumb goes a page on.
  const track = await bar.locator('.track').boundingBox();
  await page.mouse.click(track.x + track.width / 2, track.y + track.height - 3);
  await firstRowIs(page, '11  ');
  // The click scrolled, and entered no value.
  assert.equal(await page.locator('.box').count(), 0);
  // A page up is one row short of the rows shown, so one row stays in sight.
  await bar.focus();
  await page.keyboard.press('PageUp');
  await firstRowIs(page, '1  ');
  await page.keyboard.press('PageDown');
  await firstRowIs(page, `${shown}  `);
  // The thumb dragged to the bottom shows the last rows.
  const thumb = await bar.locator('.thumb').boundingBox();
  await page.mouse.move(thumb.x + thumb.width / 2, thumb.y + 2);
  await page.mouse.down();
  await page.mouse.move(thumb.x + thumb.width / 2, track.y + track.height + 40, { steps: 4 });
  await page.mouse.up();
  await lastRowIs(page, '31  ');

  // After the wheel, Enter on a memory row enters the word of that row.
  await bar.focus();
  await page.keyboard.press('Home');
  await firstRowIs(page, '0  ');
  const memory = await page.locator('g.memory rect').first().boundingBox();
  await page.mouse.move(memory.x + memory.width / 2, memory.y + memory.height / 2);
  await page.mouse.wheel(0, 120);
  await firstRowIs(page, '3  ');
  await rows.first().focus();
  await page.keyboard.press('Enter');
  const value = page.getByRole('dialog');
  await value.getByLabel('Wartość[3]').fill('7');
  await value.getByRole('button', { name: 'OK' }).click();
  await firstRowIs(page, '3  7  ');
  // The word at address 0 is as it was.
  await page.mouse.move(memory.x + memory.width / 2, memory.y + memory.height / 2);
  await page.mouse.wheel(0, -120);
  await firstRowIs(page, '0  0  ');

  // A memory made smaller while its last rows are shown: the rows come back within it.
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  const setAddressBits = async (bits) => {
    await page.keyboard.press('Control+Shift+F11');
    await options.getByLabel('Liczba bitów adresowych').fill(String(bits));
    await options.getByRole('button', { name: 'OK' }).click();
    await options.waitFor({ state: 'detached' });
  };
  await setAddressBits(6);
  assert.equal(await eventually(() => bar.getAttribute('aria-valuemax'), String(64 - shown)), String(64 - shown));
  await bar.focus();
  await page.keyboard.press('End');
  await lastRowIs(page, '63  ');
  await setAddressBits(5);
  await lastRowIs(page, '31  ');
  assert.equal(await bar.getAttribute('aria-valuemax'), String(32 - shown));
  assert.equal(await bar.getAttribute('aria-valuenow'), String(32 - shown));
  assert.equal(await bar.getAttribute('aria-valuetext'), `adres ${32 - shown}`);
  assert.deepEqual(page.errors, []);
});

test('a picture of the diagram is drawn on white at twice its size, in the light colours, with a style that needs nothing of the page', async () => {
  const page = await freshPage(site);
  // Even from a dark page.
  await page.emulateMedia({ colorScheme: 'dark' });
  const saveAs = async (label, name) => {
    const download = page.waitForEvent('download');
    await page.locator('svg.diagram').click({ button: 'right', position: { x: 20, y: 20 } });
    await menu(page, 'Schemat').getByRole('menuitem', { name: label }).click();
    await page.locator('.box input').press('Enter');
    const saved = await download;
    assert.equal(saved.suggestedFilename(), name);
    return bytesOf(saved);
  };
  const svg = (await saveAs('Zapisz schemat jako SVG...', 'schemat.svg')).toString();
  assert.match(svg, /^<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"[^>]*width="816" height="477"/);
  const size = /<svg [^>]*width="(\d+)" height="(\d+)"/.exec(svg);
  assert.ok(size, svg.slice(0, 200));
  const style = /<style>([^<]*)<\/style>/.exec(svg)?.[1] ?? '';
  assert.ok(style.length > 100);
  assert.doesNotMatch(style, /var\(|light-dark|:focus|:hover/);
  assert.match(style, /svg\.diagram \.bus\.active rect \{ fill: #d40000; \}/);
  assert.ok(svg.includes('AK : 0'));
  assert.ok(!svg.includes('scrollbar') && !svg.includes('tabindex'));
  const png = await saveAs('Zapisz schemat jako PNG...', 'schemat.png');
  assert.deepEqual([...png.subarray(1, 4)], [...Buffer.from('PNG')]);
  assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20)], [Number(size[1]) * 2, Number(size[2]) * 2]);
  // The corner, where nothing is drawn, is opaque white.
  const corner = await page.evaluate(async (data) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    return [...context.getImageData(1, 1, 1, 1).data];
  }, png.toString('base64'));
  assert.deepEqual(corner, [255, 255, 255, 255]);
  await page.emulateMedia({ colorScheme: null });
  assert.deepEqual(page.errors, []);
});

test('the options box: presets tick their sets, the keyboard stays inside, Escape changes nothing and gives the keyboard back, Enter is "OK"', async () => {
  const page = await freshPage(site);
  // Opened by its key from the editor, which gets the keyboard back.
  await page.locator('.editor:not([hidden]) .cm-content').focus();
  await page.keyboard.press('Control+Shift+F11');
  const dialog = page.getByRole('dialog', { name: 'Opcje projektu' });
  await dialog.waitFor();
  assert.equal(await page.evaluate(() => document.activeElement?.closest('label')?.textContent), 'Liczba bitów adresowych');
  // Tab from "Anuluj" comes round to the first field; Shift+Tab goes back.
  await dialog.getByRole('button', { name: 'Anuluj' }).focus();
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.closest('label')?.textContent), 'Liczba bitów adresowych');
  await page.keyboard.press('Shift+Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Anuluj');

  const radios = dialog.getByRole('radiogroup').getByRole('radio');
  const ticks = () => dialog.getByRole('group', { name: 'Składniki maszyny' }).getByRole('checkbox').evaluateAll((boxes) => boxes.map((b) => b.checked));
  const chosen = () => radios.evaluateAll((rs) => rs.filter((r) => r.checked).map((r) => r.parentElement.textContent));
  const atFirst = await chosen();
  const dorum = await ticks();
  await dialog.getByRole('radio', { name: 'Ombra' }).check();
  const ombra = await ticks();
  assert.notDeepEqual(ombra, dorum);
  assert.deepEqual(await chosen(), ['Ombra']);
  // A box ticked by hand makes a set no preset names.
  const first = dialog.getByRole('group', { name: 'Składniki maszyny' }).getByRole('checkbox').first();
  await first.setChecked(!ombra[0]);
  assert.deepEqual(await chosen(), []);
  await first.setChecked(ombra[0]);
  assert.deepEqual(await chosen(), ['Ombra']);
  // The box is each field's caption: a click on the caption ticks it.
  const caption = await first.evaluate((b) => b.parentElement.textContent);
  await dialog.getByText(caption, { exact: true }).click();
  assert.equal(await first.isChecked(), !ombra[0]);

  // Escape: nothing written, the keyboard back on the button that opened it.
  await page.keyboard.press('Escape');
  await dialog.waitFor({ state: 'detached' });
  assert.ok(await page.evaluate(() => document.activeElement?.closest('.cm-editor') !== null));
  assert.equal(await register(page, 'X').isVisible(), false);
  await page.keyboard.press('Control+Shift+F11');
  await dialog.waitFor();
  assert.deepEqual(await chosen(), atFirst);
  assert.deepEqual(await ticks(), dorum);

  // Enter in a field is "OK": the preset written, the box closed.
  await dialog.getByRole('radio', { name: 'Ombra' }).check();
  const address = Number(await dialog.getByLabel('Liczba bitów adresowych').inputValue());
  const code = dialog.getByLabel('Liczba bitów kodu');
  const bits = Number(await code.inputValue()) + 1 === address ? Number(await code.inputValue()) - 1 : Number(await code.inputValue()) + 1;
  await code.fill(String(bits));
  await dialog.getByLabel('Etykieta przerwania 1').fill('obsluga');
  await dialog.getByLabel('Etykieta przerwania 1').press('Enter');
  await dialog.waitFor({ state: 'detached' });
  await page.getByRole('button', { name: 'X : 0' }).waitFor();
  await page.keyboard.press('Control+Shift+F11');
  await dialog.waitFor();
  assert.deepEqual(
    [await code.inputValue(), await dialog.getByLabel('Liczba bitów adresowych').inputValue(), await dialog.getByLabel('Etykieta przerwania 1').inputValue()],
    [String(bits), String(address), 'obsluga'],
  );
  assert.deepEqual(page.errors, []);
});

test('a bad number in the options changes nothing and hands the keyboard to its own field, its text chosen', async () => {
  const page = await freshPage(site);
  const dialog = page.getByRole('dialog', { name: 'Opcje projektu' });
  const fields = ['Port wejścia', 'Port wyjścia', 'Przerwanie wejścia', 'Przerwanie wyjścia', 'Adres procedury przerwania 1', 'Adres procedury przerwania 4', 'Adres procedury przerwania 2', 'Adres procedury przerwania 3'];
  for (const [k, field] of fields.entries()) {
    // A word, or a number with a letter after it.
    const bad = k % 2 === 0 ? 'zle' : '1z';
    await page.keyboard.press('Control+Shift+F11');
    // With another preset chosen too: the machine stays as it was.
    await dialog.getByRole('radio', { name: 'Pelt' }).check();
    await dialog.getByRole('textbox', { name: field }).fill(bad);
    // "OK", or Enter in another field.
    if (k === fields.length - 1) await dialog.getByLabel('Adres procedury przerwania 1').press('Enter');
    else await dialog.getByRole('button', { name: 'OK' }).click();
    const box = page.getByRole('alertdialog');
    assert.match(await box.textContent(), new RegExp(`'${bad}' is not a valid integer value`));
    await box.getByRole('button', { name: 'OK' }).click();
    await box.waitFor({ state: 'detached' });
    assert.equal(await focusedLabel(page), field);
    assert.equal(await page.evaluate(() => document.activeElement.selectionEnd - document.activeElement.selectionStart), bad.length, field);
    assert.equal(await register(page, 'X').isVisible(), false, field);
    await dialog.getByRole('button', { name: 'Anuluj' }).click();
    await dialog.waitFor({ state: 'detached' });
  }
  assert.deepEqual(page.errors, []);
});

test('the options change the machine: the values written are kept, the widths brought into range, the interrupt buttons shown for a machine that has them', async () => {
  const page = await freshPage(site);
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  await page.keyboard.press('Control+Shift+F11');
  await options.getByRole('radio', { name: 'Pelt' }).check();
  await options.getByLabel('Liczba bitów adresowych').fill('6');
  await options.getByLabel('Przerwanie wejścia').fill('3');
  await options.getByLabel('Port wyjścia').fill('7');
  await options.getByLabel('Etykieta przerwania 3').fill('obsluga');
  await options.getByRole('button', { name: 'OK' }).click();
  await options.waitFor({ state: 'detached' });
  await page.getByRole('button', { name: 'X : 0' }).waitFor();
  await page.keyboard.press('Control+Shift+F11');
  assert.equal(await options.getByLabel('Port wyjścia').inputValue(), '7');
  assert.equal(await options.getByLabel('Przerwanie wejścia').inputValue(), '3');
  assert.equal(await options.getByLabel('Etykieta przerwania 3').inputValue(), 'obsluga');
  assert.equal(await options.getByRole('radio', { name: 'Pelt' }).isChecked(), true);
  assert.equal(await options.getByLabel('Liczba bitów adresowych').inputValue(), '6');
  await options.getByRole('button', { name: 'Anuluj' }).click();
  await options.waitFor({ state: 'detached' });

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
  // Back to the machine without interrupts: the buttons go.
  await page.keyboard.press('Control+Shift+F11');
  await options.getByRole('radio', { name: 'Dorum', exact: true }).check();
  await options.getByRole('button', { name: 'OK' }).click();
  await interrupts.waitFor({ state: 'hidden' });
  assert.deepEqual(page.errors, []);
});

test('the diagram is one stop of Tab between the editor and the lower tabs; the arrows, Home and End go along it, and Enter still acts', async () => {
  const page = await freshPage(site);
  const focusedId = () => page.evaluate(() => document.activeElement?.id);
  // From the editor to the lower tabs: the diagram's items take one Tab,
  // its memory's scroll bar another.
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await page.keyboard.press('Escape'); // the editor lets Tab go after Escape
  let presses = 0;
  while ((await focusedId()) !== 'tab-console' && presses < 40) {
    await page.keyboard.press('Tab');
    ++presses;
  }
  assert.equal(await focusedId(), 'tab-console');
  assert.ok(presses <= 15, `${presses} Tabs from the editor to the lower tabs`);
  const stops = await page.locator('svg.diagram [tabindex="0"]').evaluateAll((all) => all.map((e) => e.getAttribute('role')));
  assert.deepEqual(stops.sort(), ['button', 'scrollbar']);

  // Along the registers, then the signals, then the memory rows; round.
  await page.locator('svg.diagram [data-roving][tabindex="0"]').focus();
  const role = () => page.evaluate(() => document.activeElement?.getAttribute('role'));
  assert.equal(await role(), 'button');
  const roles = [];
  for (let k = 0; k < 200 && !roles.includes('listitem'); ++k) {
    await page.keyboard.press('ArrowDown');
    roles.push(await role());
  }
  const firstSignal = roles.indexOf('checkbox');
  assert.ok(firstSignal > 0 && roles.indexOf('listitem') > firstSignal, roles.join());
  assert.deepEqual(roles.slice(0, firstSignal), roles.slice(0, firstSignal).map(() => 'button'));
  // Only the item reached is Tab's stop.
  assert.equal(await page.locator('svg.diagram [data-roving][tabindex="0"]').count(), 1);
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('tabindex')), '0');
  await page.keyboard.press('ArrowUp');
  assert.equal(await role(), 'checkbox');
  const onLastRow = () =>
    page.evaluate(() => [...document.querySelectorAll('svg.diagram [role=listitem]')].filter((row) => row.style.display !== 'none' && row.getAttribute('aria-label')).at(-1) === document.activeElement);
  await page.keyboard.press('End');
  assert.equal(await role(), 'listitem');
  assert.equal(await onLastRow(), true, 'End goes to the last row shown');
  const lastRow = await focusedLabel(page);
  // Down from the last row shown scrolls the memory, the keyboard staying on that row.
  await page.keyboard.press('ArrowDown');
  assert.equal(await role(), 'listitem');
  await page.waitForFunction((shown) => document.activeElement?.getAttribute('aria-label') !== shown, lastRow);
  assert.equal(await onLastRow(), true);
  await page.keyboard.press('Home');
  assert.equal(await role(), 'button');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await role(), 'listitem', 'left from the first goes round to the last');
  // At the memory's last word nothing is left to scroll to: down goes round
  // to the first register.
  const scrollBar = page.locator('svg.diagram [role=scrollbar]');
  for (let k = 0; k < 100 && (await scrollBar.getAttribute('aria-valuenow')) !== (await scrollBar.getAttribute('aria-valuemax')); ++k)
    await page.keyboard.press('PageDown');
  assert.equal(await scrollBar.getAttribute('aria-valuenow'), await scrollBar.getAttribute('aria-valuemax'));
  // The rows show the words scrolled to once the engine's view has come.
  await page.waitForFunction(() => {
    const bar = document.querySelector('svg.diagram [role=scrollbar]');
    const first = [...document.querySelectorAll('svg.diagram [role=listitem]')].find((row) => row.style.display !== 'none' && row.getAttribute('aria-label'));
    return first?.getAttribute('aria-label').startsWith(`${bar.getAttribute('aria-valuenow')}  `);
  });
  await page.keyboard.press('ArrowDown');
  assert.equal(await role(), 'button', 'down from the memory\'s last word goes round to the first');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await role(), 'listitem');

  // Enter enters the row's word, as a click does.
  const row = await focusedLabel(page);
  await page.keyboard.press('Enter');
  const asked = await answerValue(page, '7');
  assert.match(asked.title, /./);
  assert.match(await eventually(() => focusedLabel(page), ''), new RegExp(`^${row.split('  ')[0]}  7`));
  // A register's name is kept for the screen reader, and Enter edits it.
  await page.keyboard.press('Home');
  assert.match(await focusedLabel(page), /./);
  await page.keyboard.press('Enter');
  await answerValue(page, null);

  // Under manual control Space switches the signal reached.
  await page.getByRole('checkbox', { name: 'Sterowanie ręczne' }).check();
  await page.locator('svg.diagram [data-roving][tabindex="0"]').focus();
  while ((await role()) !== 'checkbox') await page.keyboard.press('ArrowDown');
  const signal = page.locator('svg.diagram g.signal:focus');
  const before = await signal.getAttribute('aria-checked');
  await page.keyboard.press(' ');
  assert.notEqual(await eventually(() => signal.getAttribute('aria-checked'), before === 'true' ? 'false' : 'true'), before);
  assert.deepEqual(page.errors, []);
});
