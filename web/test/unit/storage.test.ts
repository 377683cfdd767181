import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Storage, loadMachine, newDocument, newWork, saveMachine, storedTextLimit, type Work } from '../../src/storage';
import { examplesByMachine } from '../../src/examples';

function memoryStore(initial: Record<string, string> = {}) {
  const items = new Map(Object.entries(initial));
  return {
    items,
    getItem: (key: string) => items.get(key) ?? null,
    setItem: (key: string, value: string) => void items.set(key, value),
  };
}

test('every open document is kept with its name, kind, encoding, line ends and whether the student named it', () => {
  const store = memoryStore();
  const storage = new Storage(store);
  assert.deepEqual(storage.load(), newWork());
  const work: Work = {
    documents: [
      { kind: 'program', name: 'suma.prg', text: 'STP', encoding: 'utf8', lineEnd: 'cr', named: true, modified: true },
      { kind: 'instruction', name: 'dod.rzk', text: 'ROZKAZ DOD;', encoding: 'cp1250', lineEnd: 'crlf' },
    ],
    current: 1,
  };
  storage.save(work);
  assert.deepEqual(new Storage(store).load(), work);
  assert.deepEqual(newDocument('instruction'), { kind: 'instruction', name: 'rozkaz.rzk', text: '', encoding: 'cp1250', lineEnd: 'crlf' });
});

test('the document shown is kept as the one shown, even when only another document changed', () => {
  const store = memoryStore();
  const first: Work = { documents: [newDocument('program', 'a.prg'), newDocument('program', 'b.prg')], current: 1 };
  new Storage(store).save(first);
  const storage = new Storage(store);
  const work = storage.load();
  work.documents[0]!.text = 'STP';
  storage.save(work);
  assert.equal(new Storage(store).load().current, 1);
});

test('storage that is damaged, foreign or full loses nothing of the page', () => {
  for (const stored of ['{', 'null', '42', '{"documents": 5}', '{"documents": [{"text": 5, "name": "a"}]}', '{"documents": []}']) {
    assert.deepEqual(new Storage(memoryStore({ 'dorum.work': stored })).load(), newWork(), stored);
  }
  // What can be read is kept: a document without its encoding, a foreign
  // kind, a current tab out of range.
  const partial = new Storage(memoryStore({ 'dorum.work': '{"documents":[{"name":"a.prg","text":"STP","kind":"x"},7],"current":9}' }));
  assert.deepEqual(partial.load(), { documents: [{ kind: 'program', name: 'a.prg', text: 'STP', encoding: 'cp1250', lineEnd: 'crlf' }], current: 0 });
  // An empty id names no document: it is read as none, to be given a new one.
  const unnamed = new Storage(memoryStore({ 'dorum.work': '{"documents":[{"name":"a.prg","text":"","id":"","revision":1.5},{"name":"b.prg","text":"","id":"b","revision":2}],"current":7}' }));
  assert.deepEqual(unnamed.load(), {
    documents: [
      { kind: 'program', name: 'a.prg', text: '', encoding: 'cp1250', lineEnd: 'crlf' },
      { kind: 'program', name: 'b.prg', text: '', encoding: 'cp1250', lineEnd: 'crlf', id: 'b', revision: 2 },
    ],
    current: 1,
  });
  // Work kept before encodings were stored by name keeps its encoding; a
  // name the page does not know, or a number no name has, is read as a new
  // file's.
  const older = new Storage(memoryStore({ 'dorum.work': '{"documents":[{"name":"a.prg","text":"STP","encoding":3,"lineEnd":1},{"name":"b.prg","text":"","encoding":"koi8","lineEnd":9},{"name":"c.prg","text":"","encoding":-1,"lineEnd":-1}]}' }));
  assert.deepEqual(
    older.load().documents.map((d) => [d.encoding, d.lineEnd]),
    [['utf16le', 'lf'], ['cp1250', 'crlf'], ['cp1250', 'crlf']],
  );
  const full = new Storage({
    getItem: () => null,
    setItem: () => {
      throw new Error('QuotaExceededError');
    },
  });
  assert.doesNotThrow(() => full.save(newWork()));
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

test('the machine is kept as its list file, byte for byte', () => {
  const store = memoryStore();
  assert.equal(loadMachine(store), null);
  const bytes = Uint8Array.from([0x5b, 0x4f, 0xa3, 0x0d, 0x0a, 0x00, 0xff]);
  saveMachine(store, { name: 'ombra.lst', bytes });
  assert.deepEqual(loadMachine(store), { name: 'ombra.lst', bytes, changed: false });
  // Whether the student changed it is kept too: an example asks before replacing it.
  saveMachine(store, { name: 'ombra.lst', bytes, changed: true });
  assert.equal(loadMachine(store)?.changed, true);
  for (const stored of ['{', '{"name": 1, "bytes": ""}', '{"name": "a", "bytes": "%%%"}'])
    assert.equal(loadMachine(memoryStore({ 'dorum.machine': stored })), null, stored);
});

test('a document too large for the browser stays in the page alone, and a full storage says it kept nothing', () => {
  const store = memoryStore();
  const large = { ...newDocument('program', 'duzy.prg'), text: 'x'.repeat(storedTextLimit + 1) };
  const small = { ...newDocument('instruction'), text: 'ROZKAZ NIC;' };
  const work: Work = { documents: [large, small], current: 1 };
  assert.deepEqual(new Storage(store).save(work), { kept: true, left: [large], changedElsewhere: [] });
  // The tab shown is still the one shown, counted among those kept.
  assert.deepEqual(new Storage(store).load(), { documents: [small], current: 0 });
  const full = new Storage({ getItem: store.getItem, setItem: () => { throw new DOMException('full', 'QuotaExceededError'); } });
  assert.deepEqual(full.save({ documents: [small], current: 0 }), { kept: false, left: [], changedElsewhere: [] });
  assert.deepEqual(new Storage(store).load(), { documents: [small], current: 0 }, 'what was kept before stays');
  // A document that grew too large leaves no older copy to come back stale.
  const growing = new Storage(store);
  const work2 = growing.load();
  work2.documents[0]!.text = 'y'.repeat(storedTextLimit + 1);
  growing.save(work2);
  assert.deepEqual(new Storage(store).load(), newWork());
});

test('a document of exactly the largest size kept is kept, not left in the page alone', () => {
  const store = memoryStore();
  const largest = { ...newDocument('program', 'pelny.prg'), text: 'x'.repeat(storedTextLimit) };
  assert.deepEqual(new Storage(store).save({ documents: [largest], current: 0 }), { kept: true, left: [], changedElsewhere: [] });
  assert.equal(new Storage(store).load().documents[0]?.text.length, storedTextLimit);
});

test('two tabs of the page never write over each other\'s work: a document changed in both is kept twice', () => {
  const store = memoryStore();
  const first = new Storage(store);
  const a = first.load();
  a.documents[0]!.text = 'STP';
  first.save(a);
  // A second tab opens the same work, adds a program and types in it.
  const second = new Storage(store);
  const b = second.load();
  b.documents.push({ ...newDocument('program', 'drugi.prg'), text: 'POB x' });
  second.save(b);
  // The first tab types again: the second's program is still kept.
  a.documents[0]!.text = 'STP\nSTP';
  assert.deepEqual(first.save(a).changedElsewhere, []);
  const texts = () => new Storage(store).load().documents.map((d) => d.text);
  assert.deepEqual(texts(), ['STP\nSTP', 'POB x']);

  // The second tab changes the program the first changed since it looked:
  // the later writer is told, and both texts stay.
  b.documents[0]!.text = 'B';
  const saved = second.save(b);
  assert.deepEqual(saved.changedElsewhere.map((d) => d.text), ['STP\nSTP']);
  assert.deepEqual(texts().sort(), ['B', 'POB x', 'STP\nSTP']);
  // From then on they are two documents, and neither tab is told again.
  a.documents[0]!.text = 'A';
  assert.deepEqual(first.save(a).changedElsewhere, []);
  b.documents[0]!.text = 'B2';
  assert.deepEqual(second.save(b).changedElsewhere, []);
  assert.deepEqual(texts().sort(), ['A', 'B2', 'POB x']);

  // A document closed in a tab is not brought back by that tab, unless
  // another tab changed it since this one looked.
  const third = new Storage(store);
  const c = third.load();
  const closing = c.documents.find((d) => d.text === 'POB x')!;
  c.documents = c.documents.filter((d) => d !== closing);
  b.documents[1]!.text = 'POB y';
  second.save(b);
  third.forget(closing);
  third.save(c);
  assert.deepEqual(texts().sort(), ['A', 'B2', 'POB y']);
  const d = third.load();
  const unchanged = d.documents.find((doc) => doc.text === 'POB y')!;
  d.documents = d.documents.filter((doc) => doc !== unchanged);
  third.forget(unchanged);
  third.save(d);
  assert.deepEqual(texts().sort(), ['A', 'B2']);
});

test('a write the storage refused is no change of another tab\'s: the next one writes without a question', () => {
  const items = new Map<string, string>();
  let refuse = false;
  const store = {
    getItem: (key: string) => items.get(key) ?? null,
    setItem: (key: string, value: string) => {
      if (refuse) throw new DOMException('full', 'QuotaExceededError');
      items.set(key, value);
    },
  };
  const storage = new Storage(store);
  const work = storage.load();
  work.documents[0]!.text = 'STP';
  storage.save(work);
  refuse = true;
  work.documents[0]!.text = 'STP\nSTP';
  assert.equal(storage.save(work).kept, false);
  refuse = false;
  assert.deepEqual(storage.save(work), { kept: true, left: [], changedElsewhere: [] });
  assert.deepEqual(new Storage(store).load().documents.map((d) => d.text), ['STP\nSTP']);
});
