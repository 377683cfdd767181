// The engine's two sides said once: every call the bindings offer is one the
// page's Engine interface declares, with the same name and kind (a method of
// the engine or of the module), and the other way round; and the names the
// engine's values cross under are the protocol's.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { commandNames, wireNames } from '../../src/protocol';
import { createEngine } from './engine-host';

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

test('every enumeration crosses under the names the protocol gives, and the page knows every command', async () => {
  const module = await createEngine();
  assert.deepEqual(module.Engine.enumNames(), wireNames);
  const table = module.Engine.commands();
  assert.deepEqual(table.commands.map((c) => c.name).sort(), [...commandNames].sort());
  // Each menu entry stands in a menu of the bar.
  const menus = new Set(table.menus.map((m) => m.menu));
  for (const command of table.commands) if (command.menu) assert.ok(menus.has(command.menu), command.name);
  assert.ok(table.tempos.some((t) => t.milliseconds === table.defaultTempo));
});

test('the examples\' catalogue comes from the engine, each set in plain values', async () => {
  const module = await createEngine();
  const listing: Record<string, string[]> = { pelt: ['podprogram.prg', 'pelt.lst'], dorum: ['suma.prg'] };
  assert.deepEqual(module.Engine.exampleSets((folder) => listing[folder] ?? []), [
    { machine: 'Dorum', list: '', programs: ['dorum/suma.prg'] },
    { machine: 'Pelt', list: 'pelt/pelt.lst', programs: ['pelt/podprogram.prg'] },
  ]);
});
