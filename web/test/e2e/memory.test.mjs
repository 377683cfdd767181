// The engine's memory while a program loops endlessly: the run history
// drops its oldest steps once it holds its budget, so the worker's memory
// stops growing a little above it at every tracking level. WebAssembly
// memory never shrinks, so the largest size reached is what the student's
// browser keeps.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { compiled, newContext, openPage, siteOfFile } from './harness.mjs';

const site = siteOfFile();

const MiB = 2 ** 20;
// What the run history may keep (the core's default budget), and what the
// rest of the engine may take beside it: its tables, a view, the heap's
// own slack.
const historyBudget = 64 * MiB;
const allowance = 32 * MiB;
// A loop that writes memory on each pass. With the default machine the
// history holds its budget after some 400 million cycles; a history that
// kept no budget would take about 110 MiB by the end of this run.
const endlessLoop = 'start: POB x\nDOD jeden\nŁAD x\nSOB start\nx: RST 0\njeden: RST 1\n';
const cyclesPastFull = 700e6;

// A page whose engine's worker the test can ask directly, past the page.
async function pageWithWorker() {
  const context = await newContext(site);
  await context.addInitScript(() => {
    const PageWorker = window.Worker;
    window.Worker = class extends PageWorker {
      constructor(...args) {
        super(...args);
        window.engineWorker = this;
      }
    };
  });
  return openPage(site, context);
}

// The bytes the engine's memory spans now, as the worker answers.
const engineMemory = (page) =>
  page.evaluate(
    () =>
      new Promise((resolve) => {
        const worker = window.engineWorker;
        const id = 2 ** 40 + Math.floor(Math.random() * 2 ** 20);
        const hear = (event) => {
          if (event.data.kind !== 'answer' || event.data.id !== id) return;
          worker.removeEventListener('message', hear);
          resolve(event.data.answer);
        };
        worker.addEventListener('message', hear);
        worker.postMessage({ id, request: { kind: 'engineMemory' } });
      }),
  );

const shownCycles = (page) => page.evaluate(() => Number(document.querySelector('svg.diagram')?.dataset.cycles));

// Runs the loop at that level until `enough` says so (or a minute passed);
// the largest memory seen and the cycles run.
async function runLoop(page, level, enough) {
  await page.getByRole('radio', { name: level }).check();
  await compiled(page, endlessLoop);
  await page.keyboard.press('F9');
  const started = Date.now();
  let largest = 0;
  let cycles = 0;
  do {
    await new Promise((r) => setTimeout(r, 1000));
    largest = Math.max(largest, await engineMemory(page));
    cycles = await shownCycles(page);
  } while (!enough(cycles, Date.now() - started) && Date.now() - started < 60_000);
  await page.getByRole('button', { name: 'Przerwij' }).click();
  return { largest, cycles };
}

for (const level of ['niski (program)', 'średni (rozkaz)']) {
  test(`an endless loop at the tracking level "${level}" fills the run history and the engine's memory stays within its budget`, async () => {
    const page = await pageWithWorker();
    const { largest, cycles } = await runLoop(page, level, (cycles) => cycles >= cyclesPastFull);
    assert.ok(cycles >= cyclesPastFull, `only ${cycles} cycles ran in a minute`);
    assert.ok(largest <= historyBudget + allowance, `the engine took ${(largest / MiB).toFixed(1)} MiB`);
    assert.deepEqual(page.errors, []);
    await page.context().close();
  });
}

test('an endless loop shown cycle by cycle keeps the engine\'s memory as it was', async () => {
  const page = await pageWithWorker();
  await page.getByRole('combobox', { name: 'Tempo przy wysokim poziomie śledzenia' }).selectOption('0');
  const before = await engineMemory(page);
  const { largest, cycles } = await runLoop(page, 'wysoki (takt)', (_, elapsed) => elapsed >= 5000);
  assert.ok(cycles > 100, `only ${cycles} cycles were shown`);
  // Each cycle shown is a view made and sent: none of them stays behind.
  assert.ok(largest <= before + allowance, `the engine took ${((largest - before) / MiB).toFixed(1)} MiB more`);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
