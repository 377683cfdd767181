import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

const webOut = process.env['WEB_OUT'] ?? join(__dirname, '../web');

function filesUnder(folder: string): string[] {
  return readdirSync(folder).flatMap((name) => {
    const path = join(folder, name);
    return statSync(path).isDirectory() ? filesUnder(path) : [path];
  });
}

// A lab's network is slow: the page, its engine, examples and help stay
// well under 2 MB as the server compresses them.
test('everything the page may load stays under 2 MB compressed', () => {
  const files = filesUnder(webOut);
  for (const needed of ['index.html', 'app.js', 'worker.js', 'engine.js', 'style.css', 'sw.js'])
    assert.ok(files.includes(join(webOut, needed)), needed);
  const compressed = files.reduce((sum, file) => sum + gzipSync(readFileSync(file), { level: 9 }).length, 0);
  assert.ok(compressed < 2 * 1024 * 1024, `${compressed} bytes`);
  // The engine carries its WebAssembly inside its script: no file to fetch
  // beside it, which node's loader and the service worker both need.
  assert.ok(!files.some((file) => file.endsWith('.wasm')));
});
