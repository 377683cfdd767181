// The protocol against the real engine, under node: every request the page
// may send is answered as protocol.ts says, and runs go on in slices.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import type { RegisterModes, Request, RunState, View } from '../../src/protocol';
import { askingHost, bytesOf } from './engine-host';

async function newHost() {
  const { notices, ask } = await askingHost();
  const lastView = (): View => (notices.filter((n) => n.kind === 'view').pop() as { view: View }).view;
  const runEnd = async (): Promise<RunState> => {
    for (let turn = 0; turn < 2000; ++turn) {
      const end = notices.find((n) => n.kind === 'runEnded');
      if (end) {
        notices.splice(notices.indexOf(end), 1);
        return (end as { state: RunState }).state;
      }
      await new Promise((r) => setImmediate(r));
    }
    throw new Error('the run did not end');
  };
  return { notices, ask, lastView, runEnd };
}


test('the host starts with the layout and a view', async () => {
  const { notices } = await newHost();
  const ready = notices[0];
  assert.equal(ready?.kind, 'ready');
  const layout = ready.kind === 'ready' ? ready.layout : [];
  assert.equal(layout.length, 93);
  assert.ok(layout.some((item) => item.kind === 'register' && item.name === 'RegisterAK'));
  const instructions = notices[1];
  assert.equal(instructions?.kind, 'instructions');
  if (instructions.kind === 'instructions') {
    assert.deepEqual(instructions.list.map((i) => i.name), ['stp', 'dod', 'ode', 'pob', 'ład', 'sob', 'som', 'soz']);
    assert.deepEqual(instructions.list[5], {
      name: 'sob', lines: ['// skok bezwarunkowy', 'ROZKAZ SOB;', 'Argumenty 1;', 'czyt wys wei il;', 'wyad wea wel;'],
      cycleLines: [3, 4], breakpointLines: [],
    });
  }
  const view = notices[2];
  assert.equal(view?.kind, 'view');
  if (view.kind === 'view') {
    assert.equal(view.view.items.length, layout.length);
    assert.equal(view.view.running, false);
    // Every command the page has, as the desktop greys it: all but stepping
    // back, with nothing to step back over.
    const greyed = Object.entries(view.view.enabled).filter(([, on]) => !on).map(([name]) => name);
    assert.deepEqual(greyed, ['stepBack', 'stepBackInstruction']);
    for (const name of ['cycle', 'instruction', 'program', 'toLine', 'reset', 'stop', 'compile', 'stopConditions'])
      assert.equal((view.view.enabled as unknown as Record<string, boolean>)[name], true, name);
  }
});

test('every request is answered in the shape the protocol gives', async () => {
  const { ask } = await newHost();
  const outcome = (value: unknown) => {
    const o = value as Record<string, unknown>;
    assert.equal(typeof o['ok'], 'boolean');
    assert.equal(typeof o['message'], 'string');
    assert.equal(typeof o['boxText'], 'string');
    assert.equal(typeof o['line'], 'number');
    assert.equal(typeof o['column'], 'number');
    return o;
  };
  const opened = outcome(ask({ kind: 'openText', name: 'suma.prg', bytes: bytesOf('dorum/suma.prg') }));
  assert.equal(opened['ok'], true);
  assert.equal(opened['encoding'], 'cp1250');
  assert.equal(opened['lineEnd'], 'crlf');
  assert.match(opened['text'] as string, /ŁAD z/);
  const encoded = outcome(ask({ kind: 'encodeText', text: 'ŁAD z', encoding: 'cp1250', lineEnd: 'lf' }));
  assert.deepEqual([...(encoded['bytes'] as Uint8Array)], [0xa3, 0x41, 0x44, 0x20, 0x7a, 0x0a]);
  assert.equal(
    ask({ kind: 'saveQuestion', text: '// ∑', encoding: 'cp1250', name: 'a.prg' }),
    "Znaku '∑' (U+2211) w pliku a.prg nie można zapisać w stronie kodowej 1250. Zapisać plik w kodowaniu UTF-8?",
  );
  assert.equal(ask({ kind: 'saveQuestion', text: '// ∑', encoding: 'utf8', name: 'a.prg' }), '');
  assert.equal(outcome(ask({ kind: 'loadList', name: 'pelt.lst', bytes: bytesOf('pelt/pelt.lst') }))['ok'], true);
  assert.deepEqual(ask({ kind: 'saveList' }), bytesOf('pelt/pelt.lst'));
  assert.equal(outcome(ask({ kind: 'compileInstruction', text: 'ROZKAZ NIC;\nczyt wys wei il;' }))['ok'], true);
  const wrong = outcome(ask({ kind: 'compileProgram', text: 'POB 1\nXYZ 2', breakpoints: [] }));
  assert.equal(wrong['ok'], false);
  assert.deepEqual(wrong['mark'], { line: 2, begin: 0, end: 3 });
  assert.deepEqual(outcome(ask({ kind: 'checkProgram', text: 'POB 1\nXYZ 2' }))['mark'], { line: 2, begin: 0, end: 3 });
  assert.equal(outcome(ask({ kind: 'checkInstruction', text: 'ROZKAZ X;\nczyt wys wei il;' }))['ok'], true);
  // Pieces counted in characters: "Ł" is one, though two bytes.
  assert.deepEqual(ask({ kind: 'colour', program: true, text: 'ŁAD x // c\n;' }), [[[0, 3, 'mnemonic'], [6, 4, 'comment']], [[0, 1, 'semicolon']]]);
  // The words completed, Polish letters whole.
  assert.ok((ask({ kind: 'completionWords', program: true }) as string[]).includes('ład'));
  assert.ok((ask({ kind: 'completionWords', program: false }) as string[]).includes('jeżeli'));
  assert.equal(outcome(ask({ kind: 'compileProgram', text: 'STP', breakpoints: [1] }))['ok'], true);
  assert.equal(ask({ kind: 'setBreakpoints', lines: [] }), null);
  assert.equal(ask({ kind: 'setTrackingLevel', level: 1 }), null);
  assert.equal(ask({ kind: 'setTempo', milliseconds: 50 }), null);
  assert.equal(outcome(ask({ kind: 'raiseInterrupt', line: 9 }))['ok'], false);
  const state = ask({ kind: 'start', command: 'cycle', line: 0 }) as RunState;
  assert.deepEqual(Object.keys(state).sort(), ['box', 'delay', 'message', 'pause', 'running', 'waiting']);
  assert.equal(ask({ kind: 'stepBack', whole: false }), true);
  assert.equal(outcome(ask({ kind: 'reset' }))['ok'], true);
  assert.equal(outcome(ask({ kind: 'enterRegister', id: 0, text: '7' }))['ok'], true);
  assert.deepEqual(ask({ kind: 'registerValue', id: 0 }), { title: 'Rejestr AK', label: 'Aktualna wartość', value: '7' });
  // AK's menu: its choices without "Rozkaz", the one it shows, zeroing.
  const modes = ask({ kind: 'registerModes', id: 0 }) as RegisterModes;
  assert.deepEqual(modes.choices.map((c) => c.caption), ['Dziesiętnie bez znaku', 'Dziesiętnie ze znakiem', 'Binarnie', 'Szestnastkowo']);
  assert.equal(modes.current, 'unsigned');
  assert.equal(outcome(ask({ kind: 'setDisplayMode', id: 0, mode: 'hexadecimal' }))['ok'], true);
  assert.equal((ask({ kind: 'registerModes', id: 0 }) as RegisterModes).current, 'hexadecimal');
  assert.equal(outcome(ask({ kind: 'zeroRegister', id: 0 }))['ok'], true);
  assert.equal((ask({ kind: 'registerValue', id: 0 }) as { value: string }).value, '0');
  assert.equal(outcome(ask({ kind: 'enterRegister', id: 0, text: '7' }))['ok'], true);
  assert.equal(outcome(ask({ kind: 'enterMemory', address: 3, text: '9' }))['ok'], true);
  assert.equal(ask({ kind: 'clearMemory' }), null);
  assert.deepEqual(ask({ kind: 'memoryValue', address: 3 }), { title: 'PaO', label: 'Wartość[3]', value: '0' });
  assert.equal(outcome(ask({ kind: 'enterMemory', address: 3, text: 'abc' }))['ok'], false);
  // The stop conditions' dialog: rows after each change, written on commit.
  const edited = ask({ kind: 'editStopConditions' }) as { rows: unknown[]; note: string };
  assert.deepEqual(edited.rows, []);
  assert.match(edited.note, /^Warunek ma postać NAZWA=W/);
  const added = ask({ kind: 'addStopCondition', text: 'AK>2' }) as { ok: boolean; index: number; rows: unknown[] };
  assert.deepEqual([added.ok, added.index, added.rows], [true, 0, [{ text: 'AK>2', checked: true, checkable: true }]]);
  assert.equal((ask({ kind: 'addStopCondition', text: 'AK>' }) as { ok: boolean }).ok, false);
  assert.deepEqual(ask({ kind: 'setStopConditionChecked', index: 0, checked: false }), [{ text: 'AK>2', checked: false, checkable: true }]);
  assert.deepEqual(ask({ kind: 'removeStopCondition', index: 0 }), []);
  ask({ kind: 'addStopCondition', text: 'AK>2' });
  assert.deepEqual(ask({ kind: 'clearStopConditions' }), []);
  assert.equal(ask({ kind: 'commitStopConditions' }), null);
  assert.deepEqual(ask({ kind: 'memoryValue', address: 3 }), { title: 'PaO', label: 'Wartość[3]', value: '0' });
  assert.equal(ask({ kind: 'toggleBreakpoint', code: 5, line: 4 }), true);
  assert.equal(ask({ kind: 'toggleBreakpoint', code: 5, line: 0 }), false);
  assert.equal(outcome(ask({ kind: 'deleteInstruction', code: 99 }))['ok'], false);
  assert.equal(ask({ kind: 'question', which: 'delete', name: 'nic' }), 'Rzeczywiście chcesz usunąć rozkaz nic z listy rozkazów ?');
  assert.equal(ask({ kind: 'question', which: 'modified', name: 'a.prg' }), 'Plik a.prg został zmodyfikowany. Zapisać ?');
  assert.ok((ask({ kind: 'speed', cycles: 10000 }) as number) > 0);
  assert.equal(ask({ kind: 'speed', cycles: 0 }), 0);
  const options = ask({ kind: 'options' }) as Record<string, unknown>;
  assert.deepEqual(
    Object.keys(options).sort(),
    ['addressBits', 'codeBits', 'componentLabels', 'components', 'devices', 'maxAddressBits', 'maxCodeBits', 'minAddressBits', 'minCodeBits', 'presets', 'vectors'],
  );
  assert.equal((options['componentLabels'] as string[]).length, 10);
  assert.deepEqual((options['presets'] as { name: string }[]).map((p) => p.name), ['Dorum', 'Dorum+', 'Pelt', 'Ombra']);
  const chosen = {
    addressBits: 7, codeBits: 4, components: (options['presets'] as { components: boolean[] }[])[3]!.components,
    vectorLabels: ['', '', '', ''], vectorAddresses: ['0', '0', '0', '0'], devices: ['1', '2', '3', '4'],
  };
  assert.equal(outcome(ask({ kind: 'configure', options: { ...chosen, devices: ['1', '2', '3', 'x'] } }))['line'], 8);
  assert.equal(outcome(ask({ kind: 'configure', options: chosen }))['ok'], true);
  assert.equal((ask({ kind: 'options' }) as { addressBits: number }).addressBits, 7);
  for (const request of [
    { kind: 'toggleSignal', id: 0 },
    { kind: 'setManualControl', manual: false },
    { kind: 'setInput', before: '', text: 'x' },
    { kind: 'memoryWindow', first: 0, rows: 4 },
    { kind: 'stop' },
  ] as Request[])
    assert.equal(ask(request), null, request.kind);
});

test('a program runs in slices to the information box; its views follow', async () => {
  const { ask, runEnd, lastView } = await newHost();
  const opened = ask({ kind: 'openText', name: 'suma.prg', bytes: bytesOf('dorum/suma.prg') }) as { text: string };
  ask({ kind: 'compileProgram', text: opened.text, breakpoints: [] });
  ask({ kind: 'memoryWindow', first: 4, rows: 3 });
  const started = ask({ kind: 'start', command: 'program', line: 0 }) as RunState;
  assert.equal(started.running, true);
  assert.deepEqual(await runEnd(), { running: false, waiting: false, pause: false, delay: 0, box: 'information', message: 'Program został zakończony.' });
  const view = lastView();
  assert.deepEqual(view.memory, ['4  5  stp 5', '5  7  stp 7', '6  12  stp 12']);
  assert.equal(view.running, false);
  assert.equal(view.enabled.stepBackInstruction, true);
});

test('an endless loop ends at "Przerwij" without a box, and a run waits for typed input', async () => {
  const { ask, runEnd, lastView } = await newHost();
  ask({ kind: 'compileProgram', text: 'a: SOB a', breakpoints: [] });
  ask({ kind: 'start', command: 'program', line: 0 });
  await new Promise((r) => setTimeout(r, 50));
  assert.equal(lastView().enabled.cycle, false);
  ask({ kind: 'stop' });
  assert.equal((await runEnd()).box, 'none');

  assert.equal((ask({ kind: 'loadList', name: 'ombra.lst', bytes: bytesOf('ombra/ombra.lst') }) as { ok: boolean }).ok, true);
  const echo = ask({ kind: 'openText', name: 'echo.prg', bytes: bytesOf('ombra/echo.prg') }) as { text: string };
  assert.equal((ask({ kind: 'compileProgram', text: echo.text, breakpoints: [] }) as { ok: boolean }).ok, true);
  ask({ kind: 'start', command: 'program', line: 0 });
  await new Promise((r) => setTimeout(r, 50));
  assert.equal(lastView().running, true); // waiting for a character
  ask({ kind: 'setInput', before: '', text: 'Ok.' });
  assert.equal((await runEnd()).box, 'information');
  assert.equal(lastView().output, 'OK.');
});

test('a run reset during the tempo\'s pause leaves nothing behind to hold up the next run', async () => {
  const { ask, runEnd, lastView } = await newHost();
  ask({ kind: 'setTrackingLevel', level: 2 });
  ask({ kind: 'setTempo', milliseconds: 2000 });
  ask({ kind: 'compileProgram', text: 'a: SOB a', breakpoints: [] });
  ask({ kind: 'start', command: 'program', line: 0 });
  await new Promise((r) => setTimeout(r, 50));
  assert.equal(lastView().running, true); // the first cycle shown, the pause begun
  ask({ kind: 'reset' });

  // The next run waits for a character, and the character lets it go on.
  ask({ kind: 'setTrackingLevel', level: 0 });
  assert.equal((ask({ kind: 'loadList', name: 'ombra.lst', bytes: bytesOf('ombra/ombra.lst') }) as { ok: boolean }).ok, true);
  const echo = ask({ kind: 'openText', name: 'echo.prg', bytes: bytesOf('ombra/echo.prg') }) as { text: string };
  assert.equal((ask({ kind: 'compileProgram', text: echo.text, breakpoints: [] }) as { ok: boolean }).ok, true);
  ask({ kind: 'start', command: 'program', line: 0 });
  await new Promise((r) => setTimeout(r, 50));
  assert.equal(lastView().running, true);
  ask({ kind: 'setInput', before: '', text: 'Ok.' });
  assert.equal((await runEnd()).box, 'information');
  assert.equal(lastView().output, 'OK.');
});

test('what a file\'s name opens, and which machine an example brings, are the engine\'s answers', async () => {
  const { ask, notices } = await newHost();
  assert.equal(ask({ kind: 'fileKind', name: 'suma.prg' }), 'program');
  assert.equal(ask({ kind: 'fileKind', name: 'SUMA.PRG' }), 'program');
  assert.equal(ask({ kind: 'fileKind', name: 'pelt.lst' }), 'instruction');
  assert.equal(ask({ kind: 'fileKind', name: 'dod.rzk' }), 'instruction');
  // A list the student changed is asked about; one loaded from a file is not.
  assert.equal(ask({ kind: 'exampleQuestion', example: 'suma.prg', list: '' }), '');
  ask({ kind: 'loadList', name: 'ombra.lst', bytes: bytesOf('ombra/ombra.lst') });
  assert.equal(ask({ kind: 'listChanged' }), false);
  ask({ kind: 'setListChanged', changed: true });
  assert.equal(ask({ kind: 'listChanged' }), true);
  assert.match(ask({ kind: 'exampleQuestion', example: 'suma.prg', list: '' }) as string, /^Przykład suma\.prg korzysta z domyślnej listy rozkazów\./);
  // The default machine comes back, and the list with it.
  const before = notices.length;
  assert.equal((ask({ kind: 'restoreDefaultMachine' }) as { ok: boolean }).ok, true);
  assert.equal(ask({ kind: 'listChanged' }), false);
  const list = notices.slice(before).find((n) => n.kind === 'instructions');
  assert.deepEqual(list?.kind === 'instructions' ? list.list.map((i) => i.name) : [], ['stp', 'dod', 'ode', 'pob', 'ład', 'sob', 'som', 'soz']);
});

test('a request the engine fails on is answered with its own id, so that its caller hears of it', async () => {
  const { host, notices } = await askingHost();
  // A text where the engine takes a number: the binding itself refuses it.
  host.handle(41, { kind: 'enterRegister', id: 0, text: 5 } as unknown as Request);
  const failed = notices.filter((n) => n.kind === 'failed');
  assert.equal(failed.length, 1);
  assert.equal((failed[0] as { id?: number }).id, 41);
  assert.equal(notices.some((n) => n.kind === 'answer' && n.id === 41), false);
  // Told in the engine's words, a fault inside the engine as well.
  assert.match((failed[0] as { message: string }).message, /^Polecenie nie zostało wykonane: wystąpił błąd wewnętrzny symulatora\..* \(.+\)$/);
  host.handle(42, { kind: 'start', command: 'nonsense', line: 0 } as unknown as Request);
  const inside = notices.filter((n) => n.kind === 'failed')[1] as { id?: number; message: string };
  assert.equal(inside.id, 42);
  assert.match(inside.message, /^Polecenie nie zostało wykonane/);
  assert.doesNotMatch(inside.message, /object/);
});

test('kept stops come back whatever the list holds already: a breakpoint set stays set, one kept twice is set once, and what the list lacks is passed over', async () => {
  const { notices, ask } = await newHost();
  const sob = () => {
    const lists = notices.filter((n) => n.kind === 'instructions');
    const last = lists.at(-1);
    return last?.kind === 'instructions' ? last.list.find((i) => i.name === 'sob')! : undefined;
  };
  const stops = {
    conditions: [{ text: 'AK = 3', enabled: true }],
    cycleBreakpoints: [
      { instruction: 'sob', line: 4 },
      { instruction: 'sob', line: 4 },
      { instruction: 'sob', line: 1 }, // no cycle begins there
      { instruction: 'xyz', line: 3 },
    ],
  };
  ask({ kind: 'restoreStops', stops });
  assert.deepEqual(sob()?.breakpointLines, [4]);
  // Restored again (a second tab's copy, a page put back twice): still set.
  ask({ kind: 'restoreStops', stops });
  assert.deepEqual(sob()?.breakpointLines, [4]);
  const kept = ask({ kind: 'keptStops' }) as typeof stops;
  assert.deepEqual(kept.cycleBreakpoints, [{ instruction: 'sob', line: 4 }]);
  assert.deepEqual(kept.conditions, [{ text: 'AK = 3', enabled: true }]);
});
