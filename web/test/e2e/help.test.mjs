// The help inside the page: its contents, links, back and forward, the
// topic search and F1 on the word at the caret, all in a panel beside the
// page that asks nothing outside the page's folder.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { closeBox, eventually, freshPage, newContext, openMenu, openPage, siteOfFile, typeProgram, uploadFile } from './harness.mjs';

const site = siteOfFile();

const panel = (page) => page.getByRole('dialog', { name: 'Pomoc' });
const shownPage = (page) => panel(page).getByRole('article', { name: 'Strona pomocy' });
const heading = (page) => shownPage(page).locator('h1').first();

async function headingBecomes(page, text) {
  await shownPage(page).locator('h1', { hasText: text }).first().waitFor();
  return heading(page).textContent();
}

test('the contents are shown in a panel of the page, in the page\'s own colours, from the menu and the header\'s "Pomoc"', async () => {
  const page = await freshPage(site);
  await page.locator('#console-input').focus();
  await (await openMenu(page, 'Pomoc')).getByRole('menuitem', { name: 'Zawartość' }).click();
  assert.equal(await headingBecomes(page, 'Maszyna Dorum'), 'Maszyna Dorum');
  // Every chapter of the contents page is listed, entries under theirs.
  const contents = panel(page).getByRole('navigation', { name: 'Spis treści' });
  for (const chapter of ['Budowa maszyny', 'Sygnały sterujące', 'Asembler', 'Przebiegi czasowe']) await contents.getByRole('link', { name: chapter, exact: false }).first().waitFor();
  await contents.getByRole('link', { name: 'Sygnał czyt' }).waitFor();
  // The current list's instructions under the list's chapter.
  await contents.getByRole('link', { name: /^\d+ dod$/i }).waitFor();
  await page.keyboard.press('Escape');
  await panel(page).waitFor({ state: 'hidden' });
  // Back where the keyboard was before the menu.
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'console-input');

  await page.locator('header').getByRole('link', { name: 'Pomoc' }).click();
  await panel(page).waitFor();
  assert.equal(page.context().pages().length, 1);
  // Colours come from the page's properties: another theme recolours it.
  await page.evaluate(() => {
    document.documentElement.style.setProperty('--box', 'rgb(10, 20, 30)');
    document.documentElement.style.setProperty('--ink', 'rgb(200, 210, 220)');
  });
  assert.equal(await panel(page).evaluate((e) => getComputedStyle(e).backgroundColor), 'rgb(10, 20, 30)');
  assert.equal(await shownPage(page).locator('p').first().evaluate((e) => getComputedStyle(e).color), 'rgb(200, 210, 220)');
  assert.deepEqual(page.errors, []);
});

test('a link between topics is followed inside the panel, back and forward go over the pages visited', async () => {
  const page = await freshPage(site);
  const url = page.url();
  await page.keyboard.press('F1');
  await headingBecomes(page, 'Maszyna Dorum');
  const back = panel(page).getByRole('button', { name: 'Wstecz' });
  const forward = panel(page).getByRole('button', { name: 'Dalej' });
  assert.ok(await back.isDisabled());

  await shownPage(page).getByRole('link', { name: 'Język opisu rozkazów' }).click();
  assert.equal(await headingBecomes(page, 'Język opisu rozkazów'), 'Język opisu rozkazów');
  // An entry's word leads to its entry.
  await shownPage(page).locator('a[data-help-word="koniec"]').first().click();
  assert.match(await headingBecomes(page, 'KONIEC'), /^KONIEC/);
  // The entry marked in the contents.
  assert.equal(await panel(page).locator('.help-contents [aria-current=page]').textContent(), 'KONIEC');

  await back.click();
  await headingBecomes(page, 'Język opisu rozkazów');
  await back.click();
  await headingBecomes(page, 'Maszyna Dorum');
  assert.ok(await back.isDisabled());
  await forward.click();
  await headingBecomes(page, 'Język opisu rozkazów');
  // Alt+Left and Alt+Right do the same, and never leave the page.
  await shownPage(page).focus();
  await page.keyboard.press('Alt+ArrowRight');
  await headingBecomes(page, 'KONIEC');
  assert.ok(await forward.isDisabled());
  // With no page ahead, the key leaves the newest where it is.
  await page.keyboard.press('Alt+ArrowRight');
  assert.match(await headingBecomes(page, 'KONIEC'), /^KONIEC/);
  await page.keyboard.press('Alt+ArrowLeft');
  await headingBecomes(page, 'Język opisu rozkazów');
  // A new page after going back drops the pages ahead.
  await shownPage(page).getByRole('link', { name: 'listę rozkazów' }).first().click();
  await headingBecomes(page, 'Lista rozkazów');
  assert.ok(await forward.isDisabled());
  assert.equal(page.url(), url);
  assert.equal(page.context().pages().length, 1);
  // Ctrl with a click is the browser's: the topic opens in a tab of its own,
  // the panel stays where it was.
  const opened = page.context().waitForEvent('page');
  await shownPage(page).getByRole('link', { name: 'stp', exact: true }).first().click({ modifiers: ['Control'] });
  const tab = await opened;
  assert.equal(await heading(page).textContent(), 'Lista rozkazów');
  await tab.close();
  assert.deepEqual(page.errors, []);
});

test('the topic search finds the words and the pages holding every word typed; picking one opens it', async () => {
  const page = await freshPage(site);
  // "Szukaj tematu" of the menu: the search, the keyboard in its field.
  await (await openMenu(page, 'Pomoc')).getByRole('menuitem', { name: 'Szukaj tematu' }).click();
  const field = panel(page).getByLabel('Wpisz słowo lub jego początek:');
  const results = panel(page).getByRole('list', { name: 'Znalezione tematy' });
  await field.waitFor();
  assert.equal(await page.evaluate(() => document.activeElement?.getAttribute('type')), 'search');
  await page.keyboard.type('wya');
  // The words beginning so, first, in order.
  await results.getByRole('link').first().waitFor();
  assert.deepEqual((await results.getByRole('link').allTextContents()).slice(0, 3), ['wyad', 'wyak', 'wyap']);
  await results.getByRole('link', { name: 'wyak' }).click();
  await headingBecomes(page, 'Sygnał wyak');

  // Every word must stand on the page, wherever.
  await field.fill('rezerwuje zapisuje');
  await results.getByRole('link', { name: 'RPA' }).click();
  await headingBecomes(page, 'RPA');
  // Where it stands is marked, as the desktop selects it.
  assert.equal(await shownPage(page).locator('mark').textContent(), 'rezerwuje');
  await field.fill('rezerwuje xyzzyq');
  await results.getByText('Nic nie znaleziono.').waitFor();
  assert.equal(await results.getByRole('link').count(), 0);
  // An empty field lists nothing, not even that nothing was found.
  await field.fill('');
  assert.equal(await eventually(() => results.locator('li').count(), 0), 0);
  // Enter opens the first one found.
  await field.fill('przebieg');
  await results.getByRole('link').first().waitFor();
  const first = await results.getByRole('link').first().textContent();
  await field.press('Enter');
  await shownPage(page).locator('h1').first().waitFor();
  await page.waitForFunction((title) => document.querySelector('.help-contents [aria-current=page]')?.textContent === title, first);
  // Alt with an arrow goes over the pages visited, not over the side's tabs.
  const searchTab = panel(page).getByRole('tab', { name: 'Szukaj tematu' });
  await searchTab.focus();
  await page.keyboard.press('Alt+ArrowLeft');
  await headingBecomes(page, 'RPA');
  assert.equal(await searchTab.getAttribute('aria-selected'), 'true');
  assert.deepEqual(page.errors, []);
});

test('F1 on a word at the caret opens its topic: an entry, an instruction of the current list, or both', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'x: RPA\nczyt');
  await page.keyboard.press('F1');
  assert.equal(await headingBecomes(page, 'Sygnał czyt'), 'Sygnał czyt');

  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await typeProgram(page, 'Dod x');
  // The caret at the word's start names it too.
  await page.keyboard.press('Home');
  await page.keyboard.press('F1');
  await shownPage(page).getByText('Słowo „dod” ma kilka znaczeń; poniżej wszystkie.').waitFor();
  await shownPage(page).locator('h1', { hasText: /^Rozkaz dod$/i }).waitFor();
  await shownPage(page).locator('h1', { hasText: 'Sygnał dod' }).waitFor();
  // Its code is its place on the list.
  const names = await page.locator('#instruction-names li').allTextContents();
  const code = names.findIndex((name) => name.trim().toLowerCase() === 'dod');
  assert.ok(code >= 0);
  await shownPage(page).getByText(`Kod operacji: ${code}.`).waitFor();
  // Its word at the machine's widths.
  const addressBits = Number(await shownPage(page).locator('sup').first().textContent());
  assert.ok(addressBits > 0);
  await shownPage(page).getByText(`+ adres = ${code * 2 ** addressBits} + adres.`).waitFor();
  // The instruction's text is the list's.
  assert.match(await shownPage(page).locator('pre').first().textContent(), /ROZKAZ DOD;\s*czyt wys wei il;/i);
  assert.deepEqual(page.errors, []);
});

test('an instruction compiled now has its entry, and the entry shown follows the list', async () => {
  const page = await freshPage(site);
  await uploadFile(page, 'NIC.RZK', 'ROZKAZ NIC;\nczyt wys wei il;\n');
  await page.getByRole('tab', { name: 'NIC.RZK', selected: true }).waitFor();
  await page.keyboard.press('Control+F9');
  // The list is full: the instruction stands on it, its code out of reach.
  const full = { role: 'alertdialog', text: 'Brak miejsca na liście rozkazów (rozkaz został dodany ale jest na razie niedostępny)' };
  assert.deepEqual(await closeBox(page), full);
  await page.locator('[role=tabpanel]:not([hidden]) .cm-content').click();
  await page.keyboard.press('Control+Home');
  for (let k = 0; k < 8; ++k) await page.keyboard.press('ArrowRight');
  await page.keyboard.press('F1');
  assert.equal(await headingBecomes(page, 'Rozkaz'), 'Rozkaz nic');
  assert.match(await shownPage(page).locator('pre').textContent(), /czyt wys wei il;/);
  await shownPage(page).getByText('Rozkaz jest na razie niedostępny.').waitFor();
  await panel(page).getByRole('navigation', { name: 'Spis treści' }).getByRole('link', { name: /^\d+ nic$/ }).waitFor();
  // Compiled again with another text, beside the open help.
  await typeProgram(page, 'ROZKAZ NIC;\nczyt wys wei il;\nwyad wea;\n');
  await page.keyboard.press('Control+F9');
  // Replaced where it stood.
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Rozkaz skompilowany pomyślnie' });
  assert.ok(await panel(page).isVisible());
  await shownPage(page).locator('pre', { hasText: 'wyad wea;' }).waitFor();
  assert.deepEqual(page.errors, []);
});

test('F1 on a word with no topic, or outside an editor, opens the contents', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'xyzzy');
  await page.keyboard.press('F1');
  assert.equal(await headingBecomes(page, 'Maszyna Dorum'), 'Maszyna Dorum');
  await shownPage(page).getByRole('link', { name: 'Asembler' }).click();
  await headingBecomes(page, 'Asembler');
  await page.keyboard.press('Escape');
  await page.locator('#console-input').focus();
  await page.keyboard.press('F1');
  assert.equal(await headingBecomes(page, 'Maszyna Dorum'), 'Maszyna Dorum');
  assert.deepEqual(page.errors, []);
});

test('Escape closes the help and gives the keyboard back to where it was', async () => {
  const page = await freshPage(site);
  await typeProgram(page, 'czyt');
  await page.keyboard.press('F1');
  await headingBecomes(page, 'Sygnał czyt');
  assert.equal(await page.evaluate(() => document.activeElement?.closest('#help') !== null), true);
  // Escape in the search field empties it first.
  await panel(page).getByRole('tab', { name: 'Szukaj tematu' }).click();
  const field = panel(page).getByLabel('Wpisz słowo lub jego początek:');
  await field.fill('pisz');
  await field.press('Escape');
  assert.ok(await panel(page).isVisible());
  await field.press('Escape');
  await panel(page).waitFor({ state: 'hidden' });
  assert.equal(await page.evaluate(() => document.activeElement?.classList.contains('cm-content')), true);
  // Typing goes on where it was.
  await page.keyboard.type(' wys');
  assert.match(await page.locator('[role=tabpanel]:not([hidden]) .cm-content').textContent(), /czyt wys/);
  assert.deepEqual(page.errors, []);
});

test('the help asks nothing outside the page\'s folder', async () => {
  const page = await freshPage(site);
  const folder = site.url;
  await page.keyboard.press('F1');
  await headingBecomes(page, 'Maszyna Dorum');
  await shownPage(page).getByRole('link', { name: 'Sygnały sterujące' }).click();
  await headingBecomes(page, 'Sygnały sterujące');
  await shownPage(page).locator('a[data-help-word]').first().click();
  await shownPage(page).locator('h1', { hasText: 'Sygnał' }).first().waitFor();
  await panel(page).getByRole('tab', { name: 'Szukaj tematu' }).click();
  await panel(page).getByLabel('Wpisz słowo lub jego początek:').fill('takt');
  const asked = page.requests.filter((url) => !url.startsWith('data:'));
  assert.ok(asked.some((url) => url === `${folder}help/tematy.json`));
  assert.deepEqual(asked.filter((url) => !url.startsWith(folder)), []);
  assert.deepEqual(asked.filter((url) => url.endsWith('/favicon.ico')), []);
  // Links of the help lead into the help folder; none is absolute.
  const hrefs = await shownPage(page).locator('a').evaluateAll((links) => links.map((a) => a.href));
  assert.deepEqual(hrefs.filter((href) => !href.startsWith(`${folder}help/`)), []);
  // The service worker keeps the help with the rest of the page.
  const kept = await page.evaluate(async () => (await fetch('sw.js')).text());
  for (const file of ['help/tematy.json', 'help/index.html', 'help/hasla/s00_czyt.html']) assert.ok(kept.includes(`"${file}"`), file);
});

test('the help has no accessibility fault of any impact, light and dark, its contents and its search', async () => {
  // The test's own script goes past the page's policy; the page's do not.
  const page = await openPage(site, await newContext(site, { bypassCSP: true }));
  await page.addScriptTag({ content: readFileSync(new URL('../../node_modules/axe-core/axe.min.js', import.meta.url), 'utf8') });
  const faults = () =>
    page.evaluate(async () => {
      const result = await window.axe.run(document.querySelector('#help'), { resultTypes: ['violations'] });
      return result.violations.map((v) => `${v.impact} ${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    });
  await typeProgram(page, 'dod');
  await page.keyboard.press('F1');
  await shownPage(page).locator('h1', { hasText: 'Sygnał dod' }).waitFor();
  assert.deepEqual(await faults(), [], 'an entry with the contents');
  await page.emulateMedia({ colorScheme: 'dark' });
  assert.deepEqual(await faults(), [], 'dark');
  await page.emulateMedia({ colorScheme: 'light' });
  await panel(page).getByRole('tab', { name: 'Szukaj tematu' }).click();
  await panel(page).getByLabel('Wpisz słowo lub jego początek:').fill('takt');
  await panel(page).getByRole('list', { name: 'Znalezione tematy' }).getByRole('link').first().waitFor();
  assert.deepEqual(await faults(), [], 'the search');
  await page.context().close();
});
