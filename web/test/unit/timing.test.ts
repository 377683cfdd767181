import { test } from 'node:test';
import assert from 'node:assert/strict';
import { valueRuns } from '../../src/timing';

test('a lane\'s equal values in a row are one box; an undriven bus is a run of its own', () => {
  assert.deepEqual(valueRuns([]), []);
  assert.deepEqual(valueRuns([5, 5, null, null, 5, 7]), [
    { first: 0, end: 2, value: 5 },
    { first: 2, end: 4, value: null },
    { first: 4, end: 5, value: 5 },
    { first: 5, end: 6, value: 7 },
  ]);
  // Zero is a value like any other, not the lack of one.
  assert.deepEqual(valueRuns([0, null, 0]).map((run) => run.value), [0, null, 0]);
});
