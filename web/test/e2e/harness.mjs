// Serves build/web on a free port of 127.0.0.1 and drives Debian's
// chromium headless, recording every request the page makes.
import { chromium } from 'playwright-core';
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
  // Listening from the start: the browser hands file choosers to the test
  // only once it is told to, which takes a moment.
  page.choosers = [];
  page.on('filechooser', (chooser) => page.choosers.shift()?.(chooser));
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
  const chunks = [];
  for await (const chunk of await saved.createReadStream()) chunks.push(chunk);
  return { name: saved.suggestedFilename(), bytes: Buffer.concat(chunks) };
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

export async function typeProgram(page, text) {
  const editor = page.locator('[role=tabpanel]:not([hidden]) .cm-content');
  await editor.click();
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await editor.pressSequentially(text);
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
