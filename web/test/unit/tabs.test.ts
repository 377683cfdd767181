import { test } from 'node:test';
import assert from 'node:assert/strict';
import { arrowedTab } from '../../src/tabs';

test('the arrow keys move to the neighbouring tab, round from either end', () => {
  for (let count = 1; count <= 5; ++count) {
    for (let current = 0; current < count; ++current) {
      const right = arrowedTab('ArrowRight', current, count)!;
      const left = arrowedTab('ArrowLeft', current, count)!;
      assert.equal(arrowedTab('ArrowLeft', right, count), current, `${count} tabs: right then left from ${current}`);
      assert.equal(arrowedTab('ArrowRight', left, count), current, `${count} tabs: left then right from ${current}`);
    }
    assert.equal(arrowedTab('ArrowLeft', 0, count), count - 1, `${count} tabs: left from the first`);
    assert.equal(arrowedTab('ArrowRight', count - 1, count), 0, `${count} tabs: right from the last`);
    if (count > 1) assert.equal(arrowedTab('ArrowLeft', count - 1, count), count - 2, `${count} tabs: left from the last`);
  }
});

test('going one way, every tab is visited once before the first comes back', () => {
  for (const key of ['ArrowLeft', 'ArrowRight']) {
    const seen = new Set<number>();
    let tab = 1;
    for (let press = 0; press < 4; ++press) {
      tab = arrowedTab(key, tab, 4)!;
      assert.ok(tab >= 0 && tab < 4, `${key}: tab ${tab} of 4`);
      seen.add(tab);
    }
    assert.equal(tab, 1, key);
    assert.equal(seen.size, 4, key);
  }
});

test('Home and End go to the first and the last tab from anywhere', () => {
  for (let current = 0; current < 4; ++current) {
    assert.equal(arrowedTab('Home', current, 4), 0, `Home from ${current}`);
    assert.equal(arrowedTab('End', current, 4), 3, `End from ${current}`);
  }
});

test('other keys leave the tabs alone', () => {
  for (const key of ['ArrowUp', 'ArrowDown', 'Enter', 'a']) assert.equal(arrowedTab(key, 1, 4), null, key);
});
