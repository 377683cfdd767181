// The engine's two sides said once: every call the bindings offer is one the
// page's Engine interface declares, with the same name and kind (a method of
// the engine or of the module), and the other way round.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

const root = join(__dirname, '../..');
const bindings = readFileSync(join(root, 'web/engine/Bindings.cpp'), 'utf8');
const host = readFileSync(join(root, 'web/src/host.ts'), 'utf8');

const bound = (kind: 'function' | 'class_function') =>
  [...bindings.matchAll(new RegExp(`\\.${kind}\\("(\\w+)"`, 'g'))].map((m) => m[1]!).sort();

// The members of a TypeScript interface's body, by name.
const declared = (body: string) => [...body.matchAll(/^\s+(\w+)\(/gm)].map((m) => m[1]!).filter((name) => name !== 'new').sort();

test('the bindings and the page\'s Engine interface name the same calls', () => {
  const engine = host.match(/export interface Engine \{([\s\S]*?)\n\}/)?.[1] ?? '';
  const module = host.match(/Engine: \{([\s\S]*?)\n {2}\};/)?.[1] ?? '';
  assert.ok(engine && module, 'host.ts declares the engine and its module');
  // delete() is embind's own, on every object it hands out.
  assert.deepEqual(bound('function'), declared(engine).filter((name) => name !== 'delete'));
  assert.deepEqual(bound('class_function'), declared(module));
});
