// The editor panel, the boxes and the separators as a student meets them:
// which tab is shown after a close, what a reload keeps, where the caret goes
// after an error, where the keyboard goes in and out of a box, and how the
// mouse drags a separator.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { closeBox, downloadSaved, eventually, newContext, openPage, register, shownDocument, startSite, typeProgram, uploadFile } from './harness.mjs';

let site;

before(async () => {
  site = await startSite();
});
after(async () => {
  await site?.close();
});

// The editor tabs: name, chosen, in the Tab order.
const tabsOf = (page) =>
  page
    .getByRole('tablist', { name: 'Otwarte pliki' })
    .getByRole('tab')
    .evaluateAll((tabs) => tabs.map((t) => `${t.textContent}${t.getAttribute('aria-selected') === 'true' ? '*' : ''}${t.tabIndex}`));
const shownText = (page) => page.locator('[role=tabpanel]:not([hidden]) .cm-line').allTextContents();
const command = (page, id) => page.locator(`#command-${id}`).click();
const focusedLabel = (page) => page.evaluate(() => document.activeElement?.getAttribute('aria-label') ?? document.activeElement?.textContent);

test('the separators follow the mouse within their bounds, let go on release, and keep their sizes', async () => {
  const context = await newContext(site);
  const page = await openPage(site, context);
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
  await context.close();
});

test('the options box: presets tick their sets, the keyboard stays inside, Escape changes nothing and gives the keyboard back', async () => {
  const page = await openPage(site);
  const opener = page.getByRole('button', { name: 'Opcje ...' });
  await opener.focus();
  await page.keyboard.press('Enter');
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
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Opcje ...');
  assert.equal(await register(page, 'X').isVisible(), false);
  await opener.click();
  await dialog.waitFor();
  assert.deepEqual(await chosen(), atFirst);
  assert.deepEqual(await ticks(), dorum);

  // A bad address of the third vector gives that field the keyboard.
  await dialog.getByLabel('Adres procedury przerwania 3').fill('zle');
  await dialog.getByLabel('Adres procedury przerwania 1').press('Enter');
  const alert = page.getByRole('alertdialog');
  await alert.getByRole('button', { name: 'OK' }).click();
  await alert.waitFor({ state: 'detached' });
  assert.equal(await focusedLabel(page), 'Adres procedury przerwania 3');
  assert.equal(await page.evaluate(() => document.activeElement.selectionEnd - document.activeElement.selectionStart), 3);
  // Enter in a field is "OK": the preset written, the box closed.
  await dialog.getByLabel('Adres procedury przerwania 3').fill('0');
  await dialog.getByRole('radio', { name: 'Ombra' }).check();
  const address = Number(await dialog.getByLabel('Liczba bitów adresowych').inputValue());
  const code = dialog.getByLabel('Liczba bitów kodu');
  const bits = Number(await code.inputValue()) + 1 === address ? Number(await code.inputValue()) - 1 : Number(await code.inputValue()) + 1;
  await code.fill(String(bits));
  await dialog.getByLabel('Etykieta przerwania 1').fill('obsluga');
  await dialog.getByLabel('Etykieta przerwania 1').press('Enter');
  await dialog.waitFor({ state: 'detached' });
  await page.getByRole('button', { name: 'X : 0' }).waitFor();
  await opener.click();
  await dialog.waitFor();
  assert.deepEqual(
    [await code.inputValue(), await dialog.getByLabel('Liczba bitów adresowych').inputValue(), await dialog.getByLabel('Etykieta przerwania 1').inputValue()],
    [String(bits), String(address), 'obsluga'],
  );
  assert.deepEqual(page.errors, []);
});

test('a picture of the diagram is drawn on white at twice its size, with no style that needs the page', async () => {
  const page = await openPage(site);
  const saveAs = async (label) => {
    const download = page.waitForEvent('download');
    await page.locator('svg.diagram').click({ button: 'right', position: { x: 20, y: 20 } });
    await page.getByRole('menu', { name: 'Schemat' }).getByRole('menuitem', { name: label }).click();
    await page.locator('.box input').press('Enter');
    const chunks = [];
    for await (const chunk of await (await download).createReadStream()) chunks.push(chunk);
    return Buffer.concat(chunks);
  };
  const svg = (await saveAs('Zapisz schemat jako SVG...')).toString();
  const size = /<svg [^>]*width="(\d+)" height="(\d+)"/.exec(svg);
  assert.ok(size, svg.slice(0, 200));
  const style = /<style>([^<]*)<\/style>/.exec(svg)?.[1] ?? '';
  assert.ok(style.length > 100);
  assert.doesNotMatch(style, /var\(|:focus|:hover/);
  const png = await saveAs('Zapisz schemat jako PNG...');
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
  assert.deepEqual(page.errors, []);
});
