// The words the editors offer as the student types, as the desktop's
// editors offer them.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { completionsOf } from '../../src/editor';

const signals = ['wea', 'weak', 'wei', 'wel', 'wyak'];

test('words are offered from the second letter typed, or from the first when asked for, whatever the case', () => {
  assert.deepEqual(completionsOf(signals, 'w', false), []);
  assert.deepEqual(completionsOf(signals, 'w', true), signals);
  assert.deepEqual(completionsOf(signals, 'WE', false), ['wea', 'weak', 'wei', 'wel']);
  assert.deepEqual(completionsOf(signals, 'wx', false), []);
});

test('a word typed in full is offered nothing more, unless longer words begin with it', () => {
  assert.deepEqual(completionsOf(signals, 'wei', false), []);
  assert.deepEqual(completionsOf(signals, 'wei', true), ['wei']);
  // "wea" is a signal of its own and the start of "weak": both stay offered.
  assert.deepEqual(completionsOf(signals, 'wea', false), ['wea', 'weak']);
});
