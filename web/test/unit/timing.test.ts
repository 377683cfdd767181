import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spokenCycle, valueRuns } from '../../src/timing';
import type { Timing } from '../../src/protocol';

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

test('a picked cycle is told with its instruction, its place against the current one, its signals and values', () => {
  const timing: Timing = {
    lanes: [
      { name: 'czyt', kind: 'signal' },
      { name: 'wys', kind: 'signal' },
      { name: 'mag A', kind: 'bus' },
      { name: 'AK', kind: 'register' },
    ],
    cycles: [
      { number: 7, instruction: 'pob', values: [1, 1, 3, 0], texts: ['', '', '3', '0'] },
      { number: 8, instruction: '', values: [0, 0, null, 5], texts: ['', '', '', '5'] },
      { number: 9, instruction: 'dod', values: [1, 0, 0, 5], texts: ['', '', '0', '5'] },
    ],
    current: 1,
    empty: '',
    nothingToSave: '',
  };
  assert.equal(spokenCycle(timing, 0), 'Takt 7, rozkaz pob; Enter cofnie do jego końca. Aktywne sygnały: czyt, wys; mag A = 3; AK = 0.');
  // The instruction a cycle belongs to is the last one fetched up to it.
  assert.equal(spokenCycle(timing, 1), 'Takt 8, rozkaz pob, bieżący. Żaden sygnał nie jest aktywny; mag A: bez wartości; AK = 5.');
  assert.equal(spokenCycle(timing, 2), 'Takt 9, rozkaz dod, cofnięty; Enter wykona takty aż do niego. Aktywne sygnały: czyt; mag A = 0; AK = 5.');
});
