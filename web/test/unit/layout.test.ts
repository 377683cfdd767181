import { test } from 'node:test';
import assert from 'node:assert/strict';
import { defaultPlacement, defaultSizes, loadPlacement, loadSizes, movePanel, readPlacement, savePlacement, saveSizes, setPanelHidden, shownIn } from '../../src/layout';

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

const memoryStore = () => {
  const items = new Map<string, string>();
  return { items, getItem: (k: string) => items.get(k) ?? null, setItem: (k: string, v: string) => void items.set(k, v) };
};

test('the panels\' placement is kept across a reload, the order of each area with it', () => {
  const store = memoryStore();
  assert.deepEqual(loadPlacement(store), defaultPlacement());
  const placed = setPanelHidden(movePanel(movePanel(defaultPlacement(), 'timing', 'upper'), 'watches', 'upper'), 'console', true);
  savePlacement(store, placed);
  assert.deepEqual(loadPlacement(store), { upper: ['timing', 'watches'], lower: ['console', 'instructions'], hidden: ['console'] });
});

test('a kept placement that does not place each panel exactly once, or of another version, is ignored', () => {
  const valid = { version: 1, upper: ['watches'], lower: ['console', 'instructions', 'timing'], hidden: ['timing'] };
  assert.deepEqual(readPlacement(valid), { upper: ['watches'], lower: ['console', 'instructions', 'timing'], hidden: ['timing'] });
  const broken: unknown[] = [
    null,
    'x',
    [],
    { ...valid, version: 2 },
    { ...valid, version: undefined },
    { ...valid, upper: [] }, // watches nowhere
    { ...valid, upper: ['watches', 'console'] }, // console twice
    { ...valid, lower: ['console', 'console', 'instructions', 'timing'] },
    { ...valid, upper: ['watches', 'memory'] }, // no such panel
    { ...valid, upper: 'watches' },
    { ...valid, hidden: ['editor'] },
    { ...valid, hidden: ['timing', 'timing'] },
    { ...valid, hidden: undefined },
  ];
  for (const value of broken) assert.equal(readPlacement(value), null, JSON.stringify(value));
  const store = memoryStore();
  for (const text of ['{', '"x"', '{"version":1}', JSON.stringify({ ...valid, upper: ['console'] })]) {
    store.items.set('dorum.panels', text);
    assert.deepEqual(loadPlacement(store), defaultPlacement(), text);
  }
  // A store that refuses to keep leaves the page going.
  assert.doesNotThrow(() => savePlacement({ setItem: () => { throw new Error('full'); } }, defaultPlacement()));
});

test('a panel moved goes last in its new area and in sight; hidden, it keeps its place', () => {
  const moved = movePanel(setPanelHidden(defaultPlacement(), 'watches', true), 'watches', 'upper');
  assert.deepEqual(moved, { upper: ['watches'], lower: ['console', 'instructions', 'timing'], hidden: [] });
  const back = movePanel(moved, 'watches', 'lower');
  assert.deepEqual(back.lower, ['console', 'instructions', 'timing', 'watches']);
  const hidden = setPanelHidden(back, 'instructions', true);
  assert.deepEqual(hidden.lower, back.lower);
  assert.deepEqual(shownIn(hidden, 'lower'), ['console', 'timing', 'watches']);
  assert.deepEqual(shownIn(setPanelHidden(hidden, 'instructions', false), 'lower'), back.lower);
});
