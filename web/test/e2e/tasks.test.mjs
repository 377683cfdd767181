// A course's tasks: opened by their address, described in the panel
// "Zadanie", checked with "Sprawdź" on the engine; reopened without losing
// the student's files or the instruction they compiled; the catalogue
// fetched fresh and kept for offline use; and the screenshot of a task.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { closeBox, newContext, openExample, openPage, shownDocument, siteOfFile, startSite, typeProgram, uploadFile, eventually, webRoot } from './harness.mjs';

const site = siteOfFile();
const screenshots = process.env.WEB_SCREENSHOTS;
const reference = (name) => new TextDecoder('windows-1250').decode(readFileSync(new URL(`../../../examples/lab/iloczyn/wzorzec/${name}`, import.meta.url)));

const panel = (page) => page.locator('#task-panel');
const resultRows = (page) => panel(page).locator('.task-table tbody tr');

// Each row of the results: case, mark, points.
async function checked(page) {
  await panel(page).getByRole('button', { name: 'Sprawdź' }).click();
  await panel(page).locator('.task-table').waitFor();
  await page.waitForFunction(() => !document.querySelector('#task-check').disabled);
  const rows = await resultRows(page).evaluateAll((rows) => rows.map((r) => [...r.cells].slice(0, 3).map((c) => c.textContent)));
  return { rows, summary: await panel(page).locator('.task-summary').textContent() };
}

// Opens a page at a task's address; it answers the questions it is asked in turn.
async function openTask(page, id, answers = []) {
  await page.goto(`${site.url}#zadanie=${id}`);
  await page.waitForSelector('body.ready');
  const asked = [];
  for (const answer of answers) {
    const box = page.locator('.box');
    await box.waitFor();
    const shown = await box.elementHandle();
    asked.push(await box.locator('.message').textContent());
    await box.getByRole('button', { name: answer }).click();
    // The next question may stand in the same place at once.
    await page.waitForFunction((element) => !element.isConnected, shown);
  }
  await panel(page).waitFor();
  return asked;
}

const instructionNames = (page) => page.locator('#instruction-names [role=option]').allTextContents();

test('a task opened by its address: its description, files and machine; checked wrong, then right, then reopened keeping the student\'s work', async () => {
  const page = await openPage(site);
  await openTask(page, 'lab3/iloczyn');
  const shown = panel(page);
  assert.equal(await shown.getByRole('heading', { level: 2 }).first().textContent(), 'Laboratorium 3, zadanie 1: rozkaz ILO (mnożenie)');
  assert.match(await shown.locator('.task-facts').textContent(), /MaszynaPelt/);
  // The description, rendered: its table and its code.
  assert.equal(await shown.locator('.task-description table tbody tr').count(), 2);
  assert.equal(await shown.locator('.task-description h2').textContent(), 'Jak to jest oceniane');
  assert.match(await shown.locator('.task-facts').textContent(), /iloczyn\.prg \(plik początkowy\).*ilo\.rzk \(plik początkowy\)/);
  await shownDocument(page, 'ilo.rzk');
  await page.getByRole('tab', { name: 'iloczyn.prg' }).waitFor();
  // The machine is Pelt's: its list, 14 instructions, no ILO yet.
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('dorum.machine')).name), 'pelt.lst');

  const wrong = await checked(page);
  assert.deepEqual(wrong.rows, [['przyklad', 'źle', '0/2'], ['zero', 'źle', '0/1']]);
  assert.equal(wrong.summary, 'Zaliczone 0 z 2, punkty 0/3');
  // A failed case says why in its row; the mark's meaning is its title.
  const why = resultRows(page).first().locator('td').last();
  assert.match(await why.textContent(), /^oczekiwano wynik=42, jest \d+.*ILO: nie wykonano$/);

  // The student's ILO, compiled, and the program.
  await page.getByRole('tab', { name: 'ilo.rzk' }).click();
  await typeProgram(page, reference('ilo.rzk'));
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Rozkaz skompilowany pomyślnie' });
  await page.getByRole('tab', { name: 'iloczyn.prg' }).click();
  await typeProgram(page, reference('iloczyn.prg'));
  const right = await checked(page);
  assert.deepEqual(right.rows, [['przyklad', 'ok', '2/2'], ['zero', 'ok', '1/1']]);
  assert.equal(right.summary, 'Zaliczone 2 z 2, punkty 3/3');
  if (screenshots) {
    await page.emulateMedia({ colorScheme: 'light' });
    await page.screenshot({ path: `${screenshots}/web-task.png` });
  }

  // A namesake opened from disk: the one in front is checked, whichever
  // of the two it is.
  await uploadFile(page, 'iloczyn.prg', 'STP\r\n');
  const namesakes = page.getByRole('tab', { name: 'iloczyn.prg' });
  await eventually(() => namesakes.count(), 2);
  assert.equal((await checked(page)).summary, 'Zaliczone 0 z 2, punkty 0/3');
  await namesakes.first().click();
  assert.deepEqual((await checked(page)).rows, [['przyklad', 'ok', '2/2'], ['zero', 'ok', '1/1']]);
  await namesakes.last().click();
  await page.getByRole('button', { name: 'Zamknij', exact: true }).click();
  await eventually(() => namesakes.count(), 1);

  // Reopened: the changed list is asked about, the student's ILO kept, and
  // the student's files stay as typed.
  await page.goto('about:blank');
  const asked = await openTask(page, 'lab3/iloczyn', ['Tak', 'Tak']);
  assert.match(asked[0], /^Zadanie „Laboratorium 3, zadanie 1: rozkaz ILO \(mnożenie\)” korzysta z listy rozkazów pelt\.lst\. Lista rozkazów została zmieniona/);
  assert.match(asked[1], /Zachować własne rozkazy \(ILO\)\?/);
  assert.ok((await instructionNames(page)).some((name) => /ilo/i.test(name)), 'ILO is still in the list');
  assert.match(await panel(page).locator('.task-facts').textContent(), /iloczyn\.prg \(twój, zostaje bez zmian\).*ilo\.rzk \(twój, zostaje bez zmian\)/);
  assert.equal(await page.getByRole('tab', { name: /ilo\.rzk/ }).count(), 1);
  assert.deepEqual((await checked(page)).rows, [['przyklad', 'ok', '2/2'], ['zero', 'ok', '1/1']]);

  // Keeping the changed list still opens the task, on the student's list.
  await page.goto('about:blank');
  await openTask(page, 'lab3/iloczyn', ['Nie']);
  assert.ok((await instructionNames(page)).some((name) => /ilo/i.test(name)), 'ILO is still in the list');

  // Declining to keep them loads the task's list as it is.
  await page.goto('about:blank');
  await openTask(page, 'lab3/iloczyn', ['Tak', 'Nie']);
  assert.ok(!(await instructionNames(page)).some((name) => /ilo/i.test(name)), 'ILO is gone');
  assert.deepEqual(page.errors, []);
});

test('a case\'s input file is fetched from its suite\'s folder', async () => {
  const folder = join(webRoot, 'kurs/lab3/odwrotnie');
  const suitePath = join(folder, 'odwrotnie.json');
  const original = readFileSync(suitePath, 'utf8');
  const suite = JSON.parse(original);
  delete suite.cases[0].input;
  suite.cases[0].input_file = 'wiersz.txt';
  try {
    writeFileSync(join(folder, 'wiersz.txt'), 'Ala ma kota.');
    writeFileSync(suitePath, JSON.stringify(suite));
    const page = await openPage(site);
    await openTask(page, 'lab3/odwrotnie');
    assert.deepEqual((await checked(page)).rows.map((row) => row[0]), ['przyklad', 'kropka']);
    assert.equal(await page.locator('.box').count(), 0);
    assert.deepEqual(page.errors, []);
  } finally {
    writeFileSync(suitePath, original);
    rmSync(join(folder, 'wiersz.txt'), { force: true });
  }
});

test('a kept instruction the task\'s list has no room for is told, and the machine has the task\'s list', async () => {
  const page = await openPage(site);
  await openExample(page, 'Ombra: echo.prg');
  for (const [name, text] of [['ilo.rzk', reference('ilo.rzk')], ['prz.rzk', 'ROZKAZ PRZ;\nczyt wys wei il;\nrint;\n']]) {
    await uploadFile(page, name, text);
    await shownDocument(page, name);
    await page.keyboard.press('Control+F9');
    assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Rozkaz skompilowany pomyślnie' });
  }
  await page.goto(`${site.url}#zadanie=lab3/iloczyn`);
  await page.waitForSelector('body.ready');
  for (const answer of ['Tak', 'Tak']) {
    const box = page.locator('.box');
    await box.waitFor();
    const shown = await box.elementHandle();
    await box.getByRole('button', { name: answer }).click();
    await page.waitForFunction((element) => !element.isConnected, shown);
  }
  const told = await closeBox(page);
  assert.match(told.text, /Brak miejsca na liście rozkazów/);
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('dorum.machine')).name), 'pelt.lst');
});

test('an unknown task in the address says so in a box', async () => {
  const page = await openPage(site);
  await page.goto(`${site.url}#zadanie=lab9/nie-ma`);
  await page.waitForSelector('body.ready');
  const told = await closeBox(page);
  assert.equal(told.role, 'alertdialog');
  assert.match(told.text, /nie ma zadania „lab9\/nie-ma”/);
  // The menu lists the course's tasks; one chosen opens.
  await page.getByRole('button', { name: 'Zadania' }).click();
  const items = page.getByRole('menu', { name: 'Zadania' }).getByRole('menuitem');
  assert.deepEqual(await items.allTextContents(), ['Laboratorium 3, zadanie 1: rozkaz ILO (mnożenie)', 'Laboratorium 3, zadanie 2: wiersz wspak']);
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  await panel(page).getByText('Laboratorium 3, zadanie 2: wiersz wspak').first().waitFor();
  assert.match(page.url(), /#zadanie=lab3\/odwrotnie$/);
  assert.match(await panel(page).locator('.task-facts').textContent(), /MaszynaOmbra/);
});

test('the catalogue comes fresh from the network, and offline from the copy fetched last; a task file never fetched says so', async () => {
  const own = await startSite();
  const catalogue = join(webRoot, 'kurs/kurs.json');
  const original = readFileSync(catalogue, 'utf8');
  try {
    const page = await openPage(own, await newContext(own));
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
    const titles = async () => {
      await page.reload();
      await page.waitForSelector('body.ready');
      return page.locator('#tasks-menu [role=menuitem]').allTextContents();
    };
    assert.equal((await titles())[0], 'Laboratorium 3, zadanie 1: rozkaz ILO (mnożenie)');
    writeFileSync(catalogue, original.replace('zadanie 1: rozkaz ILO (mnożenie)', 'zadanie 1: ILO, wersja poprawiona'));
    assert.equal((await titles())[0], 'Laboratorium 3, zadanie 1: ILO, wersja poprawiona');
    await own.stopServer();
    assert.equal((await titles())[0], 'Laboratorium 3, zadanie 1: ILO, wersja poprawiona');
    // A task whose files were never fetched cannot open offline, and says why.
    await page.evaluate(() => (window.location.hash = '#zadanie=lab3/odwrotnie'));
    const told = await closeBox(page);
    assert.match(told.text, /Nie można pobrać pliku kurs\/lab3\/odwrotnie\/.*brak połączenia z siecią/);
    assert.equal(await panel(page).isHidden(), true);
  } finally {
    writeFileSync(catalogue, original);
    await own.close();
  }
});
