import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Storage, newProgram } from '../../src/storage';
import { examplesByMachine } from '../../src/examples';

function memoryStore(initial: Record<string, string> = {}) {
  const items = new Map(Object.entries(initial));
  return {
    items,
    getItem: (key: string) => items.get(key) ?? null,
    setItem: (key: string, value: string) => void items.set(key, value),
  };
}

test('the work is kept with its name, encoding and line ends, and read back', () => {
  const store = memoryStore();
  const storage = new Storage(store);
  assert.deepEqual(storage.loadProgram(), newProgram);
  storage.saveProgram('suma.prg', 'STP', 1, 2);
  assert.deepEqual(new Storage(store).loadProgram(), { name: 'suma.prg', text: 'STP', encoding: 1, lineEnd: 2 });
  // Typing keeps how the file was stored.
  storage.saveProgram('suma.prg', 'STP\nSTP');
  assert.deepEqual(storage.loadProgram(), { name: 'suma.prg', text: 'STP\nSTP', encoding: 1, lineEnd: 2 });
});

test('storage that is damaged, foreign or full loses nothing of the page', () => {
  for (const stored of ['{', 'null', '42', '{"text": 5, "name": "a"}', '{"name": "a"}']) {
    assert.deepEqual(new Storage(memoryStore({ 'dorum.program': stored })).loadProgram(), newProgram, stored);
  }
  const partial = new Storage(memoryStore({ 'dorum.program': '{"name":"a.prg","text":"STP"}' }));
  assert.deepEqual(partial.loadProgram(), { name: 'a.prg', text: 'STP', encoding: 0, lineEnd: 0 });
  const full = new Storage({
    getItem: () => null,
    setItem: () => {
      throw new Error('QuotaExceededError');
    },
  });
  assert.doesNotThrow(() => full.saveProgram('a.prg', 'STP'));
});

test('the examples are grouped by machine in the order listed', () => {
  const groups = examplesByMachine([
    { machine: 'Dorum', file: 'a.prg', path: 'dorum/a.prg' },
    { machine: 'Pelt', file: 'c.prg', path: 'pelt/c.prg', list: 'pelt/pelt.lst' },
    { machine: 'Dorum', file: 'b.prg', path: 'dorum/b.prg' },
  ]);
  assert.deepEqual([...groups.keys()], ['Dorum', 'Pelt']);
  assert.deepEqual(groups.get('Dorum')!.map((e) => e.file), ['a.prg', 'b.prg']);
});
