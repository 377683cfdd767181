import { test } from 'node:test';
import assert from 'node:assert/strict';
import { downloadName } from '../../src/files';

test('a download is named as typed, keeping the old extension when the name has none', () => {
  assert.equal(downloadName('moj', 'program.prg'), 'moj.prg');
  assert.equal(downloadName('  dwa slowa ', 'rozkaz.rzk'), 'dwa slowa.rzk');
  assert.equal(downloadName('lista.lst', 'rozkazy.lst'), 'lista.lst');
  assert.equal(downloadName('inny.txt', 'program.prg'), 'inny.txt');
  // No folders and none of the characters a file system forbids.
  assert.equal(downloadName('../a/b:c', 'program.prg'), '.._a_b_c.prg');
  assert.equal(downloadName('', 'program.prg'), null);
  assert.equal(downloadName('..', 'program.prg'), null);
  assert.equal(downloadName('bez', 'bez_rozszerzenia'), 'bez');
});
