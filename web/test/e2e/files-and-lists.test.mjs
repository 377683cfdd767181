// Files and instruction lists: reading and saving a file byte for byte in
// its encoding, the question about a character code page 1250 lacks, the
// browser's own file pickers, the work and the list kept across a reload,
// the names lists are saved under, deleting and adding instructions, and
// when an example asks before its list replaces the student's.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import {
  bytesOf, closeBox, downloadSaved, eventually, freshPage, openMenu, openPage, shownDocument, shownEditor, shownLines, siteOfFile, typeProgram, uploadFile, menuCommand } from './harness.mjs';

const site = siteOfFile();

const fileTabs = (page) => page.getByRole('tablist', { name: 'Otwarte pliki' }).getByRole('tab');
const machineKept = (page) => page.evaluate(() => JSON.parse(localStorage.getItem('dorum.machine') ?? '{}'));
const listChanged = (page) => page.waitForFunction(() => JSON.parse(localStorage.getItem('dorum.machine') ?? '{}').changed === true);

// Opens an example with its own list; whether the page asked first (and
// then answers "Tak": the example's list replaces the student's). Every
// example opens in a new tab, which comes only after the question.
async function exampleAsked(page, name) {
  const opened = await fileTabs(page).count();
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name }).click();
  const box = page.locator('.box');
  const grown = page.waitForFunction((n) => document.querySelectorAll('#editor-tabs [role=tab]').length > n, opened);
  const asked = await Promise.race([box.waitFor().then(() => true), grown.then(() => false)]);
  if (asked) {
    assert.match(await box.locator('.message').textContent(), /Lista rozkazów została zmieniona/);
    await box.getByRole('button', { name: 'Tak' }).click();
    await grown;
  }
  await shownDocument(page, name.split(': ')[1]);
  assert.equal(await fileTabs(page).count(), opened + 1);
  return asked;
}

test('files are read and saved back byte for byte in their encodings and line ends, across a reload; a NUL file is refused', async () => {
  const page = await freshPage(site);
  // The chooser offers the editors' files, or lists only.
  const accept = async (key) => {
    const chooser = new Promise((resolve) => page.choosers.push(resolve));
    await page.keyboard.press(key);
    const picked = await chooser;
    const kinds = await picked.element().getAttribute('accept');
    await picked.setFiles([]);
    return kinds;
  };
  assert.equal(await accept('F3'), '.prg,.rzk,.lst,.txt');
  assert.equal(await accept('Control+F3'), '.lst');

  const utf8 = Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), Buffer.from('// żółw\nSTP\n')]);
  const samples = [
    ['suma.prg', readFileSync(new URL('../../../examples/dorum/suma.prg', import.meta.url))],
    ['lf.rzk', Buffer.from('ROZKAZ NIC;\nczyt wys wei il;\n')],
    ['utf8.prg', utf8],
  ];
  for (const [name, bytes] of samples) {
    await uploadFile(page, name, bytes);
    await shownDocument(page, name);
    const saved = await downloadSaved(page);
    assert.equal(saved.name, name);
    assert.deepEqual(saved.bytes, bytes, name);
  }
  // A change is kept across a reload with the file's encoding and line ends.
  await shownEditor(page).locator('.cm-content').press('Control+End');
  await page.keyboard.type('// ź');
  await page.reload();
  await page.waitForSelector('body.ready');
  await shownDocument(page, 'utf8.prg');
  // "Zapisz jako" cancelled: nothing saved, the name and the change kept.
  await menuCommand(page, 'Plik', 'Zapisz jako');
  const name = page.getByRole('dialog', { name: 'Zapisz jako' });
  assert.equal(await name.locator('input').inputValue(), 'utf8.prg');
  await page.keyboard.press('Escape');
  await name.waitFor({ state: 'detached' });
  await page.getByRole('tab', { name: 'utf8.prg', selected: true }).waitFor();
  const saved = await downloadSaved(page);
  assert.equal(saved.name, 'utf8.prg');
  assert.deepEqual(saved.bytes, Buffer.concat([utf8, Buffer.from('// ź\n')]));
  // Saved, the tab closes without a question, even after a reload.
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await fileTabs(page).allTextContents(), ['program.prg', 'suma.prg', 'lf.rzk', 'utf8.prg']);
  await page.getByRole('button', { name: 'Zamknij' }).click();
  assert.deepEqual(await eventually(() => fileTabs(page).allTextContents(), ['program.prg', 'suma.prg', 'lf.rzk']), ['program.prg', 'suma.prg', 'lf.rzk']);
  assert.equal(await page.locator('.box').count(), 0);
  // A tab closed stays closed: the work kept forgets it.
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await fileTabs(page).allTextContents(), ['program.prg', 'suma.prg', 'lf.rzk']);

  // "Zapisz jako" asks the name of the download, and the tab takes it.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await shownEditor(page).locator('.cm-content').pressSequentially('STP\n');
  const download = page.waitForEvent('download');
  await menuCommand(page, 'Plik', 'Zapisz jako');
  await name.locator('input').fill('moj program');
  await name.getByRole('button', { name: 'OK' }).click();
  assert.equal((await download).suggestedFilename(), 'moj program.prg');
  await page.getByRole('tab', { name: 'moj program.prg', selected: true }).waitFor();

  // A new document's first F2 asks for a name too: Escape saves nothing,
  // and once named, F2 saves under that name without asking.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await shownEditor(page).locator('.cm-content').pressSequentially('STP\n');
  await page.keyboard.press('F2');
  assert.equal(await name.locator('input').inputValue(), 'program.prg');
  await page.keyboard.press('Escape');
  await name.waitFor({ state: 'detached' });
  const named = page.waitForEvent('download');
  await page.keyboard.press('F2');
  await name.locator('input').fill('drugi');
  await name.getByRole('button', { name: 'OK' }).click();
  assert.equal((await named).suggestedFilename(), 'drugi.prg');
  await page.reload();
  await page.waitForSelector('body.ready');
  await shownDocument(page, 'drugi.prg');
  assert.equal((await downloadSaved(page)).name, 'drugi.prg');
  assert.equal(await page.locator('.box').count(), 0);

  const tabs = await fileTabs(page).count();
  await uploadFile(page, 'zly.prg', Buffer.from('STP\0\r\n', 'latin1'));
  const box = await closeBox(page);
  assert.equal(box.role, 'alertdialog');
  assert.match(box.text, /zly\.prg/);
  assert.equal(await fileTabs(page).count(), tabs);
  assert.deepEqual(page.errors, []);
});

test('work the browser cannot keep is said at once: a file too large for its storage, and a storage full', async () => {
  const page = await freshPage(site);
  const stored = () => page.evaluate(() => JSON.parse(localStorage.getItem('dorum.work') ?? '{}').documents?.map((d) => d.name));
  // A file over a million characters opens, and stays in the page alone.
  await uploadFile(page, 'duzy.prg', Buffer.from(`STP\r\n${'// komentarz\r\n'.repeat(80000)}`));
  const tooLarge = await closeBox(page);
  assert.equal(tooLarge.role, 'alertdialog');
  assert.match(tooLarge.text, /duzy\.prg jest za duży/);
  await shownDocument(page, 'duzy.prg');
  // The other documents are still kept, changes and all; the large one is
  // not said again.
  await page.getByRole('tab', { name: 'program.prg' }).click();
  await typeProgram(page, 'STP\n');
  assert.deepEqual(await eventually(stored, ['program.prg']), ['program.prg']);
  assert.equal(await page.locator('.box').count(), 0);

  // A storage the page cannot write to any more, filled to the brim by
  // something else: said once, not at each key.
  await page.evaluate(() => {
    let k = 0;
    for (const size of [1 << 20, 1 << 16, 1 << 12, 1 << 8]) {
      const block = 'x'.repeat(size);
      for (;;) {
        try {
          localStorage.setItem(`zapychacz-${++k}`, block);
        } catch {
          break;
        }
      }
    }
  });
  await shownEditor(page).locator('.cm-content').press('Control+End');
  await page.keyboard.insertText(`// ${'z'.repeat(1000)}`);
  const full = await closeBox(page);
  assert.match(full.text, /nie ma już miejsca/);
  await page.keyboard.type('abc');
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal(await page.locator('.box').count(), 0);
  await page.evaluate(() => {
    for (const key of Object.keys(localStorage)) if (key.startsWith('zapychacz-')) localStorage.removeItem(key);
  });
  assert.deepEqual(page.errors, []);
});

test('two tabs of the page never write over each other\'s work; a program changed in both is kept twice, and the later writer told', async () => {
  const first = await freshPage(site);
  const second = await openPage(site, first.context());
  const tabNames = (page) => fileTabs(page).allTextContents();
  const lines = (page) => shownLines(page).allTextContents();
  await typeProgram(first, 'STP\n');
  await second.getByRole('button', { name: 'Nowy program' }).click();
  await shownEditor(second).locator('.cm-content').pressSequentially('POB x\n');
  await typeProgram(first, 'STP\nSTP\n');
  await second.reload();
  await second.waitForSelector('body.ready');
  assert.deepEqual(await tabNames(second), ['program.prg', 'program.prg']);
  await second.getByRole('tab', { name: 'program.prg' }).nth(1).click();
  assert.deepEqual(await lines(second), ['POB x', '']);

  // Both change the first program: the later writer is told, and its own
  // version stays before it with the other's opened beside it.
  await second.getByRole('tab', { name: 'program.prg' }).nth(0).click();
  await typeProgram(second, 'DRUGA\n');
  await typeProgram(first, 'PIERWSZA\n');
  const told = await closeBox(first);
  assert.match(told.text, /program\.prg zmieniono także w innej karcie/);
  assert.deepEqual(await lines(first), ['PIERWSZA', '']);
  assert.equal(await fileTabs(first).count(), 2);
  await fileTabs(first).nth(1).click();
  assert.deepEqual(await lines(first), ['DRUGA', '']);
  await first.reload();
  await first.waitForSelector('body.ready');
  const kept = [];
  for (let k = 0; k < (await fileTabs(first).count()); ++k) {
    await fileTabs(first).nth(k).click();
    kept.push((await lines(first))[0]);
  }
  assert.deepEqual(kept.sort(), ['DRUGA', 'PIERWSZA', 'POB x']);
  assert.deepEqual([...first.errors, ...second.errors], []);
  await second.close();
});

test('a character code page 1250 lacks: only "Tak" saves, in UTF-8, which the next save and a reload keep', async () => {
  const page = await freshPage(site);
  const storedEncodings = () => page.evaluate(() => JSON.parse(localStorage.getItem('dorum.work') ?? '{}').documents.map((d) => d.encoding));
  await uploadFile(page, 'znak.prg', Buffer.from('STP\r\n'));
  await shownDocument(page, 'znak.prg');
  await shownEditor(page).locator('.cm-content').press('Control+End');
  await page.keyboard.type('// ∑');
  assert.deepEqual(await storedEncodings(), ['cp1250', 'cp1250']);
  // Escape or "Anuluj" at the question saves nothing.
  let downloads = 0;
  const counted = () => ++downloads;
  page.on('download', counted);
  for (const answer of ['Escape', 'Anuluj']) {
    await page.keyboard.press('F2');
    const question = page.getByRole('dialog');
    await question.waitFor();
    if (answer === 'Escape') await page.keyboard.press('Escape');
    else await question.getByRole('button', { name: answer }).click();
    await question.waitFor({ state: 'detached' });
  }
  const first = await downloadSaved(page, 'F2', 'Tak');
  assert.deepEqual(first.bytes, Buffer.from('STP\r\n// ∑\r\n'));
  assert.equal(downloads, 1);
  page.off('download', counted);
  assert.deepEqual(await eventually(storedEncodings, ['cp1250', 'utf8']), ['cp1250', 'utf8']);
  // Saved again, with no question in between, in the same encoding.
  await page.keyboard.type('!');
  const download = page.waitForEvent('download', { timeout: 5000 });
  await page.keyboard.press('F2');
  const second = await download.catch(() => null);
  assert.equal(await page.locator('.box').count(), 0, 'the second save asked again');
  assert.ok(second, 'the second save wrote nothing');
  assert.deepEqual(await bytesOf(second), Buffer.from('STP\r\n// ∑!\r\n'));
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await storedEncodings(), ['cp1250', 'utf8']);
  assert.deepEqual(page.errors, []);
});

test('with the browser\'s own file pickers, a file is saved back where it came from and "Zapisz jako" asks where', async () => {
  // A context of its own, with pickers that answer as the test says and
  // keep what was asked and written.
  const context = await site.browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(() => {
    const files = { asked: [], written: {}, answers: [] };
    window.__files = files;
    const handle = (name, text) => ({
      name,
      getFile: async () => new File([new TextEncoder().encode(text)], name),
      createWritable: async () => {
        const chunks = [];
        return { write: async (bytes) => void chunks.push(...bytes), close: async () => void (files.written[name] = String.fromCharCode(...chunks)) };
      },
    });
    const answer = () => {
      const next = files.answers.shift();
      if (next === 'cancel') throw new DOMException('cancelled', 'AbortError');
      if (next === 'fail') throw new Error('zepsuty dysk');
      return handle(next.name, next.text ?? '');
    };
    window.showOpenFilePicker = async (options) => {
      files.asked.push(['open', options.types.map((t) => Object.values(t.accept)[0][0])]);
      return [answer()];
    };
    window.showSaveFilePicker = async (options) => {
      files.asked.push(['save', options.suggestedName]);
      return answer();
    };
  });
  const page = await openPage(site, context);
  const files = () => page.evaluate(() => window.__files);
  const answer = (value) => page.evaluate((v) => window.__files.answers.push(v), value);

  await answer({ name: 'a.prg', text: 'STP\r\n' });
  await page.keyboard.press('F3');
  await page.getByRole('tab', { name: 'a.prg', selected: true }).waitFor();
  assert.deepEqual((await files()).asked, [['open', ['.prg', '.rzk', '.lst']]]);
  await answer('cancel');
  await page.keyboard.press('Control+F3');
  assert.deepEqual(await eventually(async () => (await files()).asked.length, 2), 2);
  assert.deepEqual((await files()).asked[1], ['open', ['.lst']]);

  // "Zapisz": back into the file it came from, without a question.
  await shownEditor(page).locator('.cm-content').press('Control+End');
  await page.keyboard.type('// x');
  await page.keyboard.press('F2');
  assert.deepEqual(await eventually(async () => (await files()).written, { 'a.prg': 'STP\r\n// x\r\n' }), { 'a.prg': 'STP\r\n// x\r\n' });
  assert.equal((await files()).asked.length, 2);
  // "Zapisz jako": where the student chooses; the tab takes that name.
  await answer({ name: 'b.prg' });
  await menuCommand(page, 'Plik', 'Zapisz jako');
  await page.getByRole('tab', { name: 'b.prg', selected: true }).waitFor();
  assert.deepEqual((await files()).asked[2], ['save', 'a.prg']);
  assert.equal((await files()).written['b.prg'], 'STP\r\n// x\r\n');

  // A new file has nowhere to go yet: "Zapisz" asks; cancelled, nothing changes.
  await page.getByRole('button', { name: 'Nowy program' }).click();
  await page.keyboard.type('STP');
  await answer('cancel');
  await page.keyboard.press('F2');
  assert.deepEqual(await eventually(async () => (await files()).asked[3], ['save', 'program.prg']), ['save', 'program.prg']);
  await page.getByRole('tab', { name: 'program.prg', selected: true }).waitFor();
  assert.equal(await page.locator('.box').count(), 0);
  // A picker that fails says why.
  await answer('fail');
  await page.keyboard.press('F3');
  const box = await closeBox(page);
  assert.equal(box.role, 'alertdialog');
  assert.match(box.text, /zepsuty dysk/);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the work and the list, with its name and its changes, survive a reload; a list keeps the name it was read or saved under', async () => {
  const page = await freshPage(site);
  await typeProgram(page, '// moja praca\nSTP\n');
  const saveList = async (name) => {
    const download = page.waitForEvent('download');
    await (await openMenu(page, 'Projekt')).getByRole('menuitem', { name: 'Zapisz listę rozkazów' }).click();
    const box = page.getByRole('dialog', { name: 'Zapisz jako' });
    await box.waitFor();
    const offered = await box.getByRole('textbox', { name: 'Nazwa pliku' }).inputValue();
    if (name) await box.getByRole('textbox').fill(name);
    await box.getByRole('button', { name: 'OK' }).click();
    const saved = await download;
    return { offered, name: saved.suggestedFilename(), bytes: await bytesOf(saved) };
  };
  const first = await saveList('moja');
  assert.equal(first.offered, 'rozkazy.lst');
  assert.equal(first.name, 'moja.lst');
  assert.equal((await saveList()).offered, 'moja.lst');
  const opened = await fileTabs(page).count();
  // Ctrl+F3 reads any file as a list.
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  await (await chooser).setFiles({ name: 'inna.txt', mimeType: 'text/plain', buffer: first.bytes });
  assert.equal(await eventually(async () => (await saveList()).offered, 'inna.txt'), 'inna.txt');
  // A file the engine refuses as a list leaves the list and its name.
  const refused = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  await (await refused).setFiles({ name: 'zla.lst', mimeType: 'text/plain', buffer: Buffer.from('[Rozkazy]\0\r\n', 'latin1') });
  assert.equal((await closeBox(page)).role, 'alertdialog');
  const kept = await saveList();
  assert.equal(kept.offered, 'inna.txt');
  assert.deepEqual(kept.bytes, first.bytes);
  // "Otwórz" of a list opens its text as an instruction's, as on the desktop:
  // the machine and its list's name stay.
  await uploadFile(page, 'KOPIA.LST', first.bytes);
  await page.getByRole('tab', { name: 'KOPIA.LST', selected: true }).waitFor();
  assert.equal(await fileTabs(page).count(), opened + 1);
  assert.equal((await saveList()).offered, 'inna.txt');

  // A list loaded is as the file has it; "Usuń rozkaz" deletes only on a
  // clear yes.
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  const names = page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option');
  assert.deepEqual(await names.allTextContents(), ['stp', 'dod', 'ode', 'pob', 'ład', 'sob', 'som', 'soz']);
  await names.filter({ hasText: 'soz' }).click();
  await page.getByRole('button', { name: 'Usuń rozkaz' }).click();
  const question = page.getByRole('dialog');
  assert.equal(await question.locator('.message').textContent(), 'Rzeczywiście chcesz usunąć rozkaz soz z listy rozkazów ?');
  await question.getByRole('button', { name: 'Nie' }).click();
  assert.equal(await names.count(), 8);
  await page.getByRole('button', { name: 'Usuń rozkaz' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Tak' }).click();
  await page.waitForFunction(() => document.querySelectorAll('#instruction-names li').length === 7);
  // Changed by the student, the list stays changed across a reload, so an
  // example asks before replacing it; the documents come back as they were.
  await listChanged(page);
  await page.reload();
  await page.waitForSelector('body.ready');
  await page.waitForFunction(() => document.querySelectorAll('#instruction-names li').length === 7);
  assert.deepEqual(await fileTabs(page).allTextContents(), ['program.prg', 'KOPIA.LST']);
  await shownDocument(page, 'KOPIA.LST');
  await page.getByRole('tab', { name: 'program.prg' }).click();
  assert.deepEqual(await shownLines(page).allTextContents(), ['// moja praca', 'STP', '']);
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name: 'Pelt: podprogram.prg' }).click();
  await question.waitFor();
  assert.match(await question.locator('.message').textContent(), /Lista rozkazów została zmieniona/);
  await question.getByRole('button', { name: 'Anuluj' }).click();
  assert.equal((await saveList()).offered, 'inna.txt');
  // A new instruction compiled goes to the list's end.
  await uploadFile(page, 'NIC.RZK', 'ROZKAZ NIC;\nczyt wys wei il;\n');
  await page.getByRole('tab', { name: 'NIC.RZK', selected: true }).waitFor();
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Rozkaz skompilowany pomyślnie' });
  await page.waitForFunction(() => [...document.querySelectorAll('#instruction-names li')].at(-1)?.textContent === 'nic');
  assert.deepEqual(page.errors, []);
});

test('an example asks before its list replaces one the student changed, by an instruction or by the options, and not once a list was loaded over the changes, a reload after too', async () => {
  const page = await freshPage(site);
  // The student changes the list: a new instruction.
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  await shownEditor(page).locator('.cm-content').pressSequentially('ROZKAZ NIC;\nczyt wys wei il;\n');
  await page.keyboard.press('Control+F9');
  await closeBox(page);
  await listChanged(page);
  const tabs = await fileTabs(page).count();
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name: 'Pelt: podprogram.prg' }).click();
  const question = page.getByRole('dialog');
  assert.match(await question.locator('.message').textContent(), /pelt\.lst/);
  assert.match(await question.locator('.message').textContent(), /Lista rozkazów została zmieniona/);
  await question.getByRole('button', { name: 'Anuluj' }).click();
  assert.equal(await fileTabs(page).count(), tabs);
  // "Nie": the program opens over the student's list, which keeps NIC.
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name: 'Pelt: podprogram.prg' }).click();
  await page.getByRole('dialog').getByRole('button', { name: 'Nie' }).click();
  await page.getByRole('tab', { name: 'podprogram.prg', selected: true }).waitFor();
  // The example is a copy: its first save asks where, as a new program's does.
  await shownEditor(page).locator('.cm-content').press('F2');
  const saveAs = page.getByRole('dialog', { name: 'Zapisz jako' });
  assert.equal(await saveAs.locator('input').inputValue(), 'podprogram.prg');
  await page.keyboard.press('Escape');
  await saveAs.waitFor({ state: 'detached' });
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  assert.ok((await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option').allTextContents()).includes('nic'));

  // A list from a file replaces it, changes and all: it counts as
  // unchanged, so an example with a list of its own opens at once.
  const list = Buffer.from(await (await fetch(`${site.url}examples/pelt/pelt.lst`)).arrayBuffer());
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('Control+F3');
  await (await chooser).setFiles({ name: 'pelt.lst', mimeType: 'text/plain', buffer: list });
  await page.waitForFunction(() => JSON.parse(localStorage.getItem('dorum.machine') ?? '{}').name === 'pelt.lst');
  assert.equal((await machineKept(page)).changed, false);
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), false, 'the example asked about the list');
  // It stays unchanged across a reload.
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), false, 'the example asked about the list kept unchanged');

  // New widths are a change of the list's project: an example asks. The
  // example's list took its place: the next example with it asks nothing.
  await page.keyboard.press('Control+Shift+F11');
  const options = page.getByRole('dialog', { name: 'Opcje projektu' });
  await options.getByLabel('Liczba bitów kodu').fill('4');
  await options.getByRole('button', { name: 'OK' }).click();
  await options.waitFor({ state: 'detached' });
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), true);
  assert.equal(await exampleAsked(page, 'Pelt: podprogram.prg'), false);
  // An example without a list of its own brings back the default machine,
  // and with it the default list's name.
  await exampleAsked(page, 'Dorum: suma.prg');
  await (await openMenu(page, 'Projekt')).getByRole('menuitem', { name: 'Zapisz listę rozkazów' }).click();
  const listSaved = page.getByRole('dialog', { name: 'Zapisz jako' });
  assert.equal(await listSaved.getByRole('textbox', { name: 'Nazwa pliku' }).inputValue(), 'rozkazy.lst');
  await page.keyboard.press('Escape');
  await listSaved.waitFor({ state: 'detached' });
  assert.deepEqual(page.errors, []);
});

// An instruction compiled into a full list is kept but cannot be used yet;
// after a reload the list is the student's still: the box says so again,
// and an example's list asks before it replaces it.
test('a list fuller than its codes stays the student\'s across a reload', async () => {
  const page = await freshPage(site);
  await menuCommand(page, 'Plik', 'Nowy', 'Rozkaz');
  await page.keyboard.type('ROZKAZ NOWY;\nczyt wys wei il;');
  await page.keyboard.press('Control+F9');
  const full = await closeBox(page);
  assert.match(full.text, /^Brak miejsca na liście rozkazów/);
  await listChanged(page);
  await page.reload();
  await page.waitForSelector('body.ready');
  assert.deepEqual(await closeBox(page), full);
  await page.getByRole('tab', { name: 'Lista rozkazów' }).click();
  await page.getByRole('listbox', { name: 'Rozkazy' }).getByRole('option', { name: 'NOWY' }).waitFor();
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name: 'Pelt: podprogram.prg' }).click();
  const question = page.locator('.box');
  await question.waitFor();
  assert.match(await question.locator('.message').textContent(), /Lista rozkazów została zmieniona/);
  await question.getByRole('button', { name: 'Anuluj' }).click();
  assert.deepEqual(page.errors, []);
});
