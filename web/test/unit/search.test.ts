import { test } from 'node:test';
import assert from 'node:assert/strict';
import { findNext, replace } from '../../src/search';

const plain = { matchCase: false, wholeWord: false, backwards: false };
const at = (from: number, to = from) => ({ from, to });

test('finding goes from the caret, either way, and never wraps round', () => {
  const text = 'POB x\npob y\nDOD pobx\n';
  assert.deepEqual(findNext(text, 'pob', plain, at(0)), at(0, 3));
  // From the end of a selected match on to the next one.
  assert.deepEqual(findNext(text, 'pob', plain, at(0, 3)), at(6, 9));
  assert.deepEqual(findNext(text, 'pob', plain, at(9)), at(16, 19));
  assert.equal(findNext(text, 'pob', plain, at(19)), null);
  // Backwards: the last match that ends before the selection begins.
  const back = { ...plain, backwards: true };
  assert.deepEqual(findNext(text, 'pob', back, at(16, 19)), at(6, 9));
  assert.equal(findNext(text, 'pob', back, at(0, 3)), null);
  // Case, and whole words (Polish letters are letters too).
  assert.deepEqual(findNext(text, 'pob', { ...plain, matchCase: true }, at(0)), at(6, 9));
  assert.equal(findNext(text, 'pob', { ...plain, matchCase: true, wholeWord: true }, at(9)), null);
  assert.equal(findNext('łpob pobź', 'pob', { ...plain, wholeWord: true }, at(0)), null);
  assert.deepEqual(findNext('ŁAD x\nład', 'ład', plain, at(1)), at(6, 9));
});

test('replacing starts at the selection, one place or every one after it', () => {
  const text = 'a x a xa a';
  assert.deepEqual(replace(text, 'a', 'bb', plain, at(1), false), { changes: [{ from: 4, to: 5, insert: 'bb' }], caret: 6 });
  // Every one from the caret on; the caret after the last replacement.
  const all = replace(text, 'a', 'bb', plain, at(1), true)!;
  assert.deepEqual(all.changes.map((c) => c.from), [4, 7, 9]);
  let result = text;
  for (const change of [...all.changes].reverse()) result = result.slice(0, change.from) + change.insert + result.slice(change.to);
  assert.equal(result, 'a x bb xbb bb');
  assert.equal(all.caret, result.length);
  assert.equal(replace(text, 'a', 'b', { ...plain, wholeWord: true }, at(0), true)!.changes.length, 3);
  assert.equal(replace(text, 'q', 'b', plain, at(0), true), null);
  assert.equal(replace(text, 'a', 'b', plain, at(10), false), null);
  // Shorter replacements move the caret back by what the earlier ones took.
  assert.equal(replace('abc abc abc', 'abc', 'z', plain, at(0), true)!.caret, 5);
});

test('matches never overlap, and a word at either end of the text is whole', () => {
  assert.deepEqual(replace('aaaa', 'aa', 'b', plain, at(0), true)!.changes.map((c) => [c.from, c.to]), [[0, 2], [2, 4]]);
  assert.deepEqual(findNext('aaa', 'aa', plain, at(0, 2)), null);
  const whole = { ...plain, wholeWord: true };
  assert.deepEqual(findNext('pob', 'pob', whole, at(0)), at(0, 3));
  assert.deepEqual(findNext('x pob', 'pob', whole, at(0)), at(2, 5));
  // Backwards, a match ending where the selection begins is the one before it.
  assert.deepEqual(findNext('pobpob', 'pob', { ...plain, backwards: true }, at(3, 6)), at(0, 3));
});

test('a letter whose small form is longer leaves the places found where they stand in the text', () => {
  // "İ" lowers to two units: the places are sought in the text itself.
  assert.deepEqual(findNext('İx ab', 'ab', plain, at(0)), at(3, 5));
});
