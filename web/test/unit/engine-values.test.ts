// The values the engine hands the page, checked one by one against the
// machine they come from: where the diagram's items stand, what a view
// holds, what the options dialog and the timing diagram are given.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import type { InstructionEntry, LayoutItem, Outcome, Timing, View } from '../../src/protocol';
import { askingHost } from './engine-host';

async function newHost() {
  const { notices, ask } = await askingHost();
  const ready = notices[0] as { layout: LayoutItem[] };
  const view = (): View => (notices.filter((n) => n.kind === 'view').pop() as { view: View }).view;
  const instructions = (): InstructionEntry[] =>
    (notices.filter((n) => n.kind === 'instructions').pop() as { list: InstructionEntry[] }).list;
  const at = (name: string) => ready.layout.findIndex((item) => item.name === name);
  const compile = (text: string) => assert.equal((ask({ kind: 'compileProgram', text, breakpoints: [] }) as { ok: boolean }).ok, true);
  return { ask, layout: ready.layout, view, instructions, at, compile };
}

test('the layout says where each item stands, which way its caption and arrows go', async () => {
  const { layout, at } = await newHost();
  const item = (name: string) => layout[at(name)]!;
  assert.deepEqual(item('WireWel'), {
    kind: 'wire', id: item('SignalWel').id, x: 122, y: 104, width: 14, height: 30, right: false, arrow: 'stop', horizontal: false, name: 'WireWel',
  });
  assert.equal(item('WireWyl').arrow, 'start');
  assert.equal(item('WireWyak0').arrow, 'none');
  assert.equal(item('WireWyak1').horizontal, true);
  assert.equal(item('SignalWyad').right, true);
  assert.equal(item('SignalCzyt').right, false);
  assert.deepEqual(
    ['BusS', 'RegisterAK', 'Memory', 'Alu', 'SignalCzyt'].map((name) => item(name).kind),
    ['bus', 'register', 'memory', 'alu', 'signal'],
  );
  assert.equal(item('RegisterI').id, 1);
  assert.equal(item('BusA').id, 1);
});

test('a view holds the memory rows asked for, what a cycle drove, the console and the commands open', async () => {
  const { ask, view, at, compile } = await newHost();
  compile('POB x\nŁAD y\nSTP\nx: RST 5\ny: RST 0\n');
  ask({ kind: 'memoryWindow', first: 3, rows: 2 });
  assert.deepEqual(view().memory, ['3  5  stp 5', '4  0  stp 0']);
  assert.equal(view().memorySize, 32);
  ask({ kind: 'memoryWindow', first: 30, rows: 5 });
  assert.deepEqual(view().memory.map((row) => row.split(' ')[0]), ['30', '31']);

  // A value typed in can be taken back, but there is no instruction to undo.
  ask({ kind: 'enterRegister', id: 4, text: '1' });
  assert.deepEqual(
    [view().enabled.stepBack, view().enabled.stepBackInstruction, view().enabled.cycle, view().enabled.program],
    [true, false, true, true],
  );
  ask({ kind: 'reset' });
  ask({ kind: 'start', command: 'cycle', line: 0 });
  const after = view();
  assert.equal(after.cycles, 1);
  assert.equal(after.items[at('SignalCzyt')]!.active, true);
  assert.equal(after.items[at('WireWei')]!.active, true);
  assert.equal(after.items[at('SignalWyad')]!.active, false);
  assert.equal(typeof after.items[at('SignalCzyt')]!.impulse, 'boolean');
  assert.equal(after.items[at('RegisterAK')]!.impulse, undefined);
  assert.equal(after.items[at('BusS')]!.active, true);
  assert.equal(after.items[at('BusS')]!.text, 'mag S = 99'); // POB x fetched: code 3, address 3
  assert.equal(after.items[at('BusA')]!.text, 'mag A');
  assert.equal(after.items[at('BusAS')]!.shown, false);
  assert.equal(after.items[at('BusAS')]!.text, '');

  // The watches: each label with its address, and its word as shown.
  assert.deepEqual(after.watches.map((w) => w.content), ['5 ( stp 5 )', '0 ( stp 0 )']);
  assert.match(after.watches[0]!.name, /^x\b.*3/);
  assert.match(after.watches[1]!.name, /^y\b.*4/);

  ask({ kind: 'setInput', before: '', text: 'ab' });
  assert.deepEqual([view().input, view().output], ['ab', '']);
  assert.equal(view().interruptButtons, false);
});

test('the options come back in the dialog\'s order and the components by their numbers', async () => {
  const { ask } = await newHost();
  const options = ask({ kind: 'options' }) as {
    presets: { name: string; components: boolean[] }[]; devices: string[]; vectors: { label: string; address: string }[];
  };
  const pelt = options.presets.find((p) => p.name === 'Pelt')!.components;
  assert.ok(pelt.some(Boolean) && !pelt.every(Boolean));
  const chosen = {
    addressBits: 6, codeBits: 4, components: pelt, vectorLabels: ['a', 'b', 'c', 'd'],
    vectorAddresses: ['1', '2', '3', '4'], devices: ['11', '12', '13', '14'],
  };
  assert.equal((ask({ kind: 'configure', options: chosen }) as { ok: boolean }).ok, true);
  const now = ask({ kind: 'options' }) as typeof options & { components: boolean[]; addressBits: number; codeBits: number };
  assert.deepEqual(now.components, pelt);
  assert.deepEqual(now.devices, ['11', '12', '13', '14']);
  assert.deepEqual(now.vectors.map((v) => v.address), ['1', '2', '3', '4']);
  assert.deepEqual(now.vectors.map((v) => v.label), ['a', 'b', 'c', 'd']);
  assert.deepEqual([now.addressBits, now.codeBits], [6, 4]);

  // Options that take X away tell, in a box's sentence, which condition it silenced.
  const ombra = options.presets.find((p) => p.name === 'Ombra')!.components;
  ask({ kind: 'configure', options: { ...chosen, components: ombra } });
  ask({ kind: 'editStopConditions' });
  assert.equal((ask({ kind: 'addStopCondition', text: 'X=1' }) as { ok: boolean }).ok, true);
  ask({ kind: 'commitStopConditions' });
  const dorum = { ...chosen, components: options.presets.find((p) => p.name === 'Dorum')!.components };
  const lost = ask({ kind: 'configure', options: dorum }) as { ok: boolean; notice?: string };
  assert.equal(lost.ok, true);
  assert.match(lost.notice ?? '', /^Te warunki zatrzymania stały się nieczynne[^]*\nX=1 — [^]*\.$/);
  assert.equal((ask({ kind: 'configure', options: dorum }) as { notice?: string }).notice, undefined);
});

test('the timing diagram gets each cycle\'s values and texts; a cycle clicked is gone back to', async () => {
  const { ask, compile, view } = await newHost();
  compile('POB x\nSTP\nx: RST 9\n');
  for (let cycle = 0; cycle < 3; ++cycle) ask({ kind: 'start', command: 'cycle', line: 0 });
  const timing = ask({ kind: 'timing', registers: [0] }) as Timing;
  assert.deepEqual(timing.cycles.map((c) => c.number), [1, 2, 3]);
  assert.equal(timing.cycles[0]!.instruction, 'pob');
  assert.equal(timing.cycles[1]!.instruction, '');
  const lane = (kind: string) => timing.lanes.findIndex((l) => l.kind === kind);
  const signal = lane('signal');
  assert.ok(signal >= 0);
  for (const cycle of timing.cycles) {
    assert.ok(cycle.values[signal] === 0 || cycle.values[signal] === 1);
    assert.equal(cycle.texts[signal], '');
  }
  assert.deepEqual(timing.lanes.at(-1), { name: 'AK', kind: 'register' });
  assert.equal(timing.cycles[2]!.texts.at(-1), '9');
  assert.equal(timing.cycles[2]!.values.at(-1), 9);
  // A bus nobody drove in a cycle has no value there.
  const buses = timing.lanes.map((l, k) => (l.kind === 'bus' ? k : -1)).filter((k) => k >= 0);
  assert.ok(timing.cycles.some((c) => buses.some((k) => c.values[k] === null && c.texts[k] === '')));
  assert.ok(timing.cycles.some((c) => buses.some((k) => typeof c.values[k] === 'number' && c.texts[k] !== '')));

  // Cycle 0 was never performed: nothing happens. An earlier cycle is gone
  // back to, and a later one run forward to again, as "Takt" runs.
  const now = view().cycles;
  assert.deepEqual(ask({ kind: 'goToCycle', number: 0 }), { running: false, waiting: false, pause: false, delay: 0, box: 'none', message: '' });
  assert.equal(view().cycles, now);
  ask({ kind: 'goToCycle', number: 1 });
  assert.equal(view().cycles, 1);
  ask({ kind: 'goToCycle', number: 2 });
  assert.equal(view().cycles, 2);
  ask({ kind: 'goToCycle', number: 1 });
  assert.equal(view().cycles, 1);
  const vcd = new TextDecoder().decode(ask({ kind: 'timingVcd' }) as Uint8Array);
  assert.match(vcd, /^\$version /);
  assert.match(vcd, /\n#1\n/);
});

test('the instruction list gives breakpoints only on the lines that have one', async () => {
  const { ask, instructions } = await newHost();
  assert.equal(ask({ kind: 'toggleBreakpoint', code: 3, line: 3 }), true);
  const list = instructions();
  assert.deepEqual(list[3]!.cycleLines, [2, 3, 4]);
  assert.deepEqual(list[3]!.breakpointLines, [3]);
  assert.ok(list.every((entry, code) => code === 3 || entry.breakpointLines.length === 0));
});

test('only an error with a place in the text comes with a mark for the editor', async () => {
  const { ask } = await newHost();
  const compiled = (text: string) => ask({ kind: 'compileProgram', text, breakpoints: [] }) as Outcome;
  // A success, and failures the text cannot place, leave the editor's caret
  // where the student has it.
  assert.equal(compiled('STP\n').mark, undefined);
  const tooLong = compiled('RST 1\n'.repeat(40));
  assert.equal(tooLong.ok, false);
  assert.equal(tooLong.line, 0);
  assert.equal(tooLong.mark, undefined);
  const entered = ask({ kind: 'enterRegister', id: 0, text: 'abc' }) as Outcome;
  assert.equal(entered.ok, false);
  assert.equal(entered.mark, undefined);
  // A placed one is marked on its own line.
  const placed = ask({ kind: 'compileInstruction', text: 'ROZKAZ X;\nblah;\n' }) as Outcome;
  assert.equal(placed.line, 2);
  assert.deepEqual(placed.mark, { line: 2, begin: 0, end: 4 });
});
