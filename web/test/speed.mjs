// The speed of the web edition beside the desktop's: the yardstick loop
// run by native `dorum-cli run` and by the page's worker in chromium, three
// times each, alternating; prints the medians and their ratio.
// Usage: node test/speed.mjs PATH/TO/dorum-cli [CYCLES]
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { startSite } from './e2e/harness.mjs';

const [cli, cyclesText = '50000000'] = process.argv.slice(2);
if (!cli) throw new Error('usage: node test/speed.mjs PATH/TO/dorum-cli [CYCLES]');
const cycles = Number(cyclesText);
const loop = fileURLToPath(new URL('../../../shared/perf/loop.prg', import.meta.url));

function nativeSpeed() {
  const start = process.hrtime.bigint();
  try {
    execFileSync(cli, ['run', loop, '--max-cycles', String(cycles)], { stdio: 'ignore' });
  } catch (error) {
    if (error.status !== 3) throw error; // 3: the run ended at its cycle limit
  }
  return cycles / (Number(process.hrtime.bigint() - start) / 1e9);
}

const site = await startSite();
async function pageSpeed() {
  const page = await site.browser.newPage();
  await page.goto(`${site.url}bench.html?cycles=${cycles}`);
  const result = page.locator('#result[data-cycles-per-second]');
  await result.waitFor({ timeout: 600000 });
  const speed = Number(await result.getAttribute('data-cycles-per-second'));
  await page.close();
  return speed;
}

// The first picture: the first contentful paint, and the diagram drawn with
// the engine ready, in ms from the navigation's start, on a fresh page.
async function firstPicture() {
  const context = await site.browser.newContext({ viewport: { width: 1366, height: 768 } });
  const page = await context.newPage();
  await page.goto(site.url);
  await page.waitForSelector('body.ready');
  const times = await page.evaluate(() => ({
    paint: performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? NaN,
    ready: performance.getEntriesByName('dorum-ready')[0]?.startTime ?? NaN,
  }));
  await context.close();
  return times;
}

const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const pictures = [];
for (let round = 0; round < 3; ++round) pictures.push(await firstPicture());
console.log(
  `first picture ${median(pictures.map((p) => p.paint)).toFixed(0)} ms, diagram and engine ready ${median(pictures.map((p) => p.ready)).toFixed(0)} ms`,
);
const native = [];
const web = [];
for (let round = 0; round < 3; ++round) {
  native.push(nativeSpeed());
  web.push(await pageSpeed());
}
await site.close();
const [n, w] = [median(native), median(web)];
console.log(`dorum-cli ${(n / 1e6).toFixed(1)} M cycles/s, web worker in chromium ${(w / 1e6).toFixed(1)} M cycles/s, ratio ${(w / n).toFixed(2)}`);
