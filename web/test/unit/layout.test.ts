import { test } from 'node:test';
import assert from 'node:assert/strict';
import { defaultSizes, loadSizes, saveSizes } from '../../src/layout';

test('panel sizes are kept, and sizes out of bounds or unreadable fall back', () => {
  const items = new Map<string, string>();
  const store = { getItem: (k: string) => items.get(k) ?? null, setItem: (k: string, v: string) => void items.set(k, v) };
  assert.deepEqual(loadSizes(store), defaultSizes);
  saveSizes(store, { editorWidth: 40, lowerHeight: 25 });
  assert.deepEqual(loadSizes(store), { editorWidth: 40, lowerHeight: 25 });
  items.set('dorum.layout', '{"editorWidth": 99, "lowerHeight": 1}');
  assert.deepEqual(loadSizes(store), { editorWidth: 70, lowerHeight: 10 });
  items.set('dorum.layout', '{"editorWidth": "x"}');
  assert.deepEqual(loadSizes(store), defaultSizes);
  items.set('dorum.layout', '{');
  assert.deepEqual(loadSizes(store), defaultSizes);
});
