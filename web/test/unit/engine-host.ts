// What the page's unit tests share: the real engine beside the page, the
// examples' bytes, and a host whose notices are collected and whose
// requests are answered at once.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { EngineHost, type EngineModule } from '../../src/host';
import type { Notice, Request } from '../../src/protocol';

// The tests run bundled in build/web-tests, beside the page in build/web.
const webOut = process.env['WEB_OUT'] ?? join(__dirname, '../web');
const examples = join(__dirname, '../../examples');
export const createEngine = createRequire(__filename)(join(webOut, 'engine.js')) as () => Promise<EngineModule>;
export const bytesOf = (path: string) => new Uint8Array(readFileSync(join(examples, path)));

// A host with its notices collected; slices follow each other on the event loop.
export async function askingHost() {
  const notices: Notice[] = [];
  const host = new EngineHost(await createEngine(), (n) => notices.push(n), (next) => setImmediate(next));
  let id = 0;
  const ask = (request: Request): unknown => {
    host.handle(++id, request);
    const answer = notices.find((n) => n.kind === 'answer' && n.id === id);
    assert.ok(answer, `no answer to ${request.kind}`);
    return (answer as { answer: unknown }).answer;
  };
  return { host, notices, ask };
}
