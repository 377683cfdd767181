// Serves build/web on a free port of 127.0.0.1 and drives Debian's
// chromium headless, recording every request the page makes. Each test
// file starts one site with one browser (node's runner gives each file a
// process of its own) and its tests share one page (freshPage).
import { chromium } from 'playwright-core';
import { after, before } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { fileURLToPath } from 'node:url';
import { dirname, resolve } from 'node:path';

const here = dirname(fileURLToPath(import.meta.url));
export const webRoot = resolve(process.env.WEB_OUT ?? resolve(here, '../../../build/web'));
export const chromiumPath = process.env.CHROMIUM ?? '/usr/bin/chromium';

function freePort() {
  return new Promise((done, fail) => {
    const probe = createServer();
    probe.on('error', fail);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => done(port));
    });
  });
}

async function waitForServer(url) {
  for (let attempt = 0; attempt < 100; ++attempt) {
    try {
      if ((await fetch(url)).ok) return;
    } catch {
      // not listening yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`no server at ${url}`);
}

// The site and browser a test file shares: started before its first test,
// closed after its last.
export function siteOfFile() {
  const site = {};
  before(async () => Object.assign(site, await startSite()));
  after(async () => site.close?.());
  return site;
}

export async function startSite() {
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1'], {
    cwd: webRoot,
    stdio: 'ignore',
  });
  const url = `http://127.0.0.1:${port}/`;
  await waitForServer(url);
  const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
  return {
    url,
    browser,
    // The network fails: nothing answers at the page's address any more.
    async stopServer() {
      if (server.exitCode !== null || server.signalCode !== null) return;
      const exited = new Promise((resolve) => server.once('exit', resolve));
      server.kill();
      await exited;
    },
    async close() {
      await browser.close();
      await this.stopServer();
    },
  };
}

// A fresh page of its own (its own storage) at 1366 × 768, ready to use.
export async function openPage(site, context) {
  context ??= await newContext(site);
  const page = await context.newPage();
  page.requests = [];
  page.errors = [];
  page.on('request', (request) => page.requests.push(request.url()));
  page.on('pageerror', (error) => page.errors.push(error.message));
  // Leaving a page with unsaved changes asks first; the tests leave. A test
  // of the question itself takes this listener off for a while.
  page.leaveAnyway = (dialog) => void (dialog.type() === 'beforeunload' ? dialog.accept() : dialog.dismiss());
  page.on('dialog', page.leaveAnyway);
  // Listening from the start: the browser hands file choosers to the test
  // only once it is told to, which takes a moment.
  page.choosers = [];
  page.on('filechooser', (chooser) => page.choosers.shift()?.(chooser));
  await page.goto(site.url);
  await page.waitForSelector('body.ready');
  return page;
}

// The page all the tests of a file share, each beginning on it as on a new
// one: the first gets it as opened, each later one after the page was left,
// the storage of its origin (all the page keeps of the student's work: the
// documents, the machine, the panels' sizes) cleared, and the page loaded
// again, with the records of the test before forgotten. A page left first
// writes nothing after the storage is cleared. Quicker than a context of
// its own, which a test that changes the context (its clock, its scripts,
// its options) still opens.
export async function freshPage(site) {
  const page = site.shared;
  if (!page || page.isClosed()) return (site.shared = await openPage(site));
  await page.goto('about:blank');
  for (const other of page.context().pages()) if (other !== page) await other.close();
  const session = await page.context().newCDPSession(page);
  await session.send('Storage.clearDataForOrigin', { origin: new URL(site.url).origin, storageTypes: 'local_storage' });
  await session.detach();
  page.requests.length = 0;
  page.errors.length = 0;
  page.choosers.length = 0;
  await page.goto(site.url);
  await page.waitForSelector('body.ready');
  return page;
}

// A context of its own. The browser's file pickers are native dialogs no
// test can answer, so the page's tests take its other way: an upload and a
// download.
export async function newContext(site, options = {}) {
  const context = await site.browser.newContext({ viewport: { width: 1366, height: 768 }, acceptDownloads: true, ...options });
  await context.addInitScript(() => {
    for (const name of ['showOpenFilePicker', 'showSaveFilePicker'])
      Object.defineProperty(window, name, { value: undefined });
  });
  return context;
}

// Waits until the tab of that file is the one shown.
export async function shownDocument(page, file) {
  await page.getByRole('tab', { name: file, selected: true }).waitFor();
}

export async function openExample(page, name) {
  await page.getByRole('button', { name: 'Przykłady' }).click();
  await page.getByRole('menuitem', { name }).click();
  await shownDocument(page, name.split(': ')[1]);
}

// Opens a file through the page's upload; a refused one opens no tab.
export async function uploadFile(page, name, bytes) {
  const chooser = new Promise((resolve) => page.choosers.push(resolve));
  await page.keyboard.press('F3');
  await (await chooser).setFiles({ name, mimeType: 'text/plain', buffer: Buffer.from(bytes) });
}

// Saves the shown document through the page's download; its bytes.
export async function downloadSaved(page, key = 'F2', answer) {
  const download = page.waitForEvent('download');
  await page.keyboard.press(key);
  if (answer) await page.locator('.box').getByRole('button', { name: answer }).click();
  const saved = await download;
  return { name: saved.suggestedFilename(), bytes: await bytesOf(saved) };
}

// The message box: its role, its text, closed with "OK".
export async function closeBox(page) {
  const box = page.locator('.box');
  await box.waitFor();
  const role = await box.getAttribute('role');
  const text = await box.locator('.message').textContent();
  await box.getByRole('button', { name: 'OK' }).click();
  await box.waitFor({ state: 'detached' });
  return { role, text };
}

export const register = (page, name) => page.locator(`g.register[data-name=Register${name}]`);

export const menu = (page, name) => page.getByRole('menu', { name });

// The menu bar's menu of that name, opened by a click.
export async function openMenu(page, name) {
  await page.getByRole('menubar').getByRole('menuitem', { name }).click();
  return menu(page, name);
}

// A command given from the menu bar: its menu opened by a click, then each
// entry of the path ("Plik", "Nowy", "Rozkaz": a submenu's entry after it).
export async function menuCommand(page, top, ...entries) {
  let open = await openMenu(page, top);
  for (const [k, entry] of entries.entries()) {
    await open.getByRole('menuitem', { name: entry }).click();
    open = menu(page, entry);
    if (k < entries.length - 1) await open.waitFor();
  }
}

// The editor shown, and its lines.
export const shownEditor = (page) => page.locator('.editor[role=tabpanel]:not([hidden])');
export const shownLines = (page) => shownEditor(page).locator('.cm-line');

// Compiles the program shown (typed first when `text` is given), which
// must compile.
export async function compiled(page, text) {
  if (text !== undefined) await typeProgram(page, text);
  await page.keyboard.press('Control+F9');
  assert.deepEqual(await closeBox(page), { role: 'dialog', text: 'Program został skompilowany' });
}

// A download's bytes.
export async function bytesOf(download) {
  const chunks = [];
  for await (const chunk of await download.createReadStream()) chunks.push(chunk);
  return Buffer.concat(chunks);
}

// Replaces the shown editor's text, entered in one piece as a paste would
// (a key at a time takes the best part of a second for a short program);
// the tests of typing itself press their keys.
export async function typeProgram(page, text) {
  const editor = page.locator('[role=tabpanel]:not([hidden]) .cm-content');
  await editor.click();
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await page.keyboard.insertText(text);
}

// Waits until the diagram shows the machine after that many cycles.
export async function shownCycle(page, cycles) {
  await page.waitForFunction((n) => document.querySelector('svg.diagram')?.dataset.cycles === String(n), cycles);
}

// What `read` answers once it equals `expected` (the page answers after the
// worker did); the last answer when it never does.
export async function eventually(read, expected) {
  let value;
  for (let attempt = 0; attempt < 100; ++attempt) {
    value = await read();
    if (JSON.stringify(value) === JSON.stringify(expected)) break;
    await new Promise((r) => setTimeout(r, 50));
  }
  return value;
}
