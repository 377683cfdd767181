// What the page keeps of each document across a reload beyond its text:
// its breakpoints and whether it was changed, read back only as far as
// they make sense.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Storage, loadMachine, loadSettings, loadStops, saveSettings, saveStops, type Work } from '../../src/storage';
import { loadSizes, saveSizes } from '../../src/layout';

function memoryStore(initial: Record<string, string> = {}) {
  const items = new Map(Object.entries(initial));
  return { items, getItem: (key: string) => items.get(key) ?? null, setItem: (key: string, value: string) => void items.set(key, value) };
}

test('a program\'s breakpoints and a changed document\'s mark survive a reload; nonsense in them does not', () => {
  const store = memoryStore();
  const work: Work = {
    documents: [
      { kind: 'program', name: 'a.prg', text: 'POB x\nSTP', encoding: 'utf8', lineEnd: 'lf', breakpoints: [1, 2], modified: true },
      { kind: 'program', name: 'b.prg', text: 'STP', encoding: 'cp1250', lineEnd: 'crlf', breakpoints: [] },
      { kind: 'instruction', name: 'c.rzk', text: 'ROZKAZ C;', encoding: 'cp1250', lineEnd: 'cr' },
    ],
    current: 2,
  };
  new Storage(store).save(work);
  assert.deepEqual(new Storage(store).load(), work);

  const saved = {
    documents: [
      { kind: 'program', name: 'a.prg', text: 'STP', breakpoints: [0, -1, 1.5, '3', null, 2, 4], modified: 'yes' },
      { kind: 'program', name: 'b.prg', text: 'STP', breakpoints: 'all', modified: false },
    ],
    current: -4,
  };
  const read = new Storage(memoryStore({ 'dorum.work': JSON.stringify(saved) })).load();
  assert.deepEqual(read, {
    documents: [
      { kind: 'program', name: 'a.prg', text: 'STP', encoding: 'cp1250', lineEnd: 'crlf', breakpoints: [2, 4] },
      { kind: 'program', name: 'b.prg', text: 'STP', encoding: 'cp1250', lineEnd: 'crlf' },
    ],
    current: 0,
  });
});

test('a kept machine needs both its name and its bytes; kept sizes are each read on their own', () => {
  for (const stored of ['{"name": "a.lst"}', '{"bytes": "AAAA"}', '{"name": "a.lst", "bytes": 5}', '{"name": "a.lst", "bytes": ["AAAA"]}', 'null'])
    assert.equal(loadMachine(memoryStore({ 'dorum.machine': stored })), null, stored);
  const store = memoryStore();
  saveSizes(store, { editorWidth: 55, lowerHeight: 12 });
  assert.deepEqual(loadSizes(store), { editorWidth: 55, lowerHeight: 12 });
  store.items.set('dorum.layout', '{"lowerHeight": 44}');
  assert.deepEqual(loadSizes(store), { editorWidth: 33, lowerHeight: 44 });
  store.items.set('dorum.layout', '{"editorWidth": 14.5, "lowerHeight": 70.5}');
  assert.deepEqual(loadSizes(store), { editorWidth: 15, lowerHeight: 70 });
  assert.doesNotThrow(() => saveSizes({ setItem: () => { throw new Error('full'); } }, { editorWidth: 40, lowerHeight: 40 }));
});

test('the machine\'s controls are kept as far as they make sense, each change beside the others', () => {
  const store = memoryStore();
  saveSettings(store, { trackingLevel: 2 });
  saveSettings(store, { tempo: 500, displayModes: { 1: 'hexadecimal' } });
  saveSettings(store, { displayModes: { 3: 'binary' } });
  assert.deepEqual(loadSettings(store), { trackingLevel: 2, tempo: 500, displayModes: { 1: 'hexadecimal', 3: 'binary' } });
  // A register's format chosen again replaces the one kept, the others staying.
  saveSettings(store, { displayModes: { 1: 'signed' } });
  assert.deepEqual(loadSettings(store).displayModes, { 1: 'signed', 3: 'binary' });
  const nonsense = memoryStore({ 'dorum.settings': '{"trackingLevel": 7, "tempo": -1, "displayModes": {"x": "hex", "2": "koi8", "4": "signed"}}' });
  assert.deepEqual(loadSettings(nonsense), { displayModes: { 4: 'signed' } });
  assert.deepEqual(loadSettings(memoryStore({ 'dorum.settings': '{' })), {});
  // The lowest level and tempo are settings like any other; the colours are
  // kept by the names the options give them.
  const lowest = memoryStore();
  saveSettings(lowest, { trackingLevel: 0, tempo: 0, theme: 'dark' });
  assert.deepEqual(loadSettings(lowest), { trackingLevel: 0, tempo: 0, theme: 'dark' });
  for (const theme of ['system', 'light'] as const) {
    saveSettings(lowest, { theme });
    assert.equal(loadSettings(lowest).theme, theme);
  }
  assert.equal(loadSettings(memoryStore({ 'dorum.settings': '{"theme": "Ciemny", "trackingLevel": -1}' })).theme, undefined);
  assert.equal(loadSettings(memoryStore({ 'dorum.settings': '{"trackingLevel": -1}' })).trackingLevel, undefined);
});

test('the stop conditions and cycle breakpoints are kept under their version; a stored value of another version or malformed is ignored, a part malformed left out', () => {
  const store = memoryStore();
  const stops = { conditions: [{ text: 'changed(wynik)', enabled: true }, { text: 'AK=7', enabled: false }], cycleBreakpoints: [{ instruction: 'sob', line: 3 }, { instruction: 'stp', line: 0 }] };
  saveStops(store, stops);
  // An instruction written on one line has its cycles on the first, line 0.
  assert.deepEqual(loadStops(store), stops);
  const none = { conditions: [], cycleBreakpoints: [] };
  const stored = (value: unknown) => loadStops(memoryStore({ 'dorum.stops': typeof value === 'string' ? value : JSON.stringify(value) }));
  assert.deepEqual(stored('{'), none);
  assert.deepEqual(stored({ ...stops, version: 2 }), none);
  assert.deepEqual(stored({ ...stops }), none);
  assert.deepEqual(stored({ version: 1, conditions: 'AK=1', cycleBreakpoints: [] }), none);
  assert.deepEqual(
    stored({ version: 1, conditions: [{ text: 5, enabled: true }, null, { text: 'AK=1', enabled: true }], cycleBreakpoints: [{ instruction: 'sob', line: -1 }, { instruction: 'pob', line: 1.5 }, { instruction: 'dod', line: 2 }] }),
    { conditions: [{ text: 'AK=1', enabled: true }], cycleBreakpoints: [{ instruction: 'dod', line: 2 }] },
  );
  assert.doesNotThrow(() => saveStops({ setItem: () => { throw new Error('full'); } }, stops));
});
