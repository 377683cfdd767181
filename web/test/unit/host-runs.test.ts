// The host's runs against the real engine: the tempo's pause, "Przerwij",
// typed input, and which notices follow which request. The tempo's timer is
// node's mocked one, so a pause of seconds takes no time and cannot race.
import { mock, test } from 'node:test';
import assert from 'node:assert/strict';
import type { Request, RunState, View } from '../../src/protocol';
import { askingHost, bytesOf } from './engine-host';

// Slices follow each other through setImmediate, which stays real.
const turns = async (count: number) => {
  for (let k = 0; k < count; ++k) await new Promise((r) => setImmediate(r));
};

async function newHost() {
  const { notices, ask } = await askingHost();
  const views = () => notices.filter((n) => n.kind === 'view').map((n) => (n as { view: View }).view);
  const lastView = (): View => views().pop()!;
  const ended = () => notices.filter((n) => n.kind === 'runEnded').map((n) => (n as { state: RunState }).state);
  const runEnd = async (): Promise<RunState> => {
    for (let turn = 0; turn < 2000; ++turn) {
      const end = ended()[0];
      if (end) return end;
      await turns(1);
    }
    throw new Error('the run did not end');
  };
  return { notices, ask, views, lastView, ended, runEnd };
}

// A run of an endless loop shown cycle by cycle, its first cycle done and
// the pause after it begun.
async function pausedLoop(tempo: number) {
  const host = await newHost();
  host.ask({ kind: 'setTrackingLevel', level: 2 });
  host.ask({ kind: 'setTempo', milliseconds: tempo });
  assert.equal((host.ask({ kind: 'compileProgram', text: 'a: SOB a', breakpoints: [] }) as { ok: boolean }).ok, true);
  host.ask({ kind: 'start', command: 'program', line: 0 });
  await turns(5);
  assert.equal(host.lastView().running, true);
  return host;
}

test('the tempo paces a cycle-by-cycle run, no longer than 2 s; "Przerwij" in the pause ends it at once', async () => {
  mock.timers.enable({ apis: ['setTimeout'] });
  let host: Awaited<ReturnType<typeof newHost>> | undefined;
  try {
    host = await pausedLoop(5000);
    const { ask, lastView, views, runEnd } = host;
    const first = lastView().cycles;
    mock.timers.tick(1999);
    await turns(5);
    assert.equal(lastView().cycles, first, 'the next cycle waits for the tempo');
    // Typing in the console meanwhile does not hurry it.
    ask({ kind: 'setInput', before: '', text: 'a' });
    await turns(5);
    assert.equal(lastView().cycles, first, 'typing does not hurry the tempo');
    mock.timers.tick(1);
    await turns(5);
    assert.equal(lastView().cycles, first + 1, 'a tempo above 2 s is held to 2 s');
    assert.equal(lastView().running, true);
    // A request in the pause is answered with a fresh view of the paused run.
    const before = views().length;
    ask({ kind: 'enterRegister', id: 0, text: '3' });
    assert.equal(views().length, before + 1);
    ask({ kind: 'stop' });
    const end = await runEnd();
    assert.equal(end.box, 'none');
    assert.equal(lastView().running, false);
    assert.equal(lastView().cycles, first + 1);
  } finally {
    host?.ask({ kind: 'stop' });
    mock.timers.reset();
  }
});

test('whatever ends a run in the tempo\'s pause leaves no pause behind to hurry the next run', async () => {
  const listBytes = bytesOf('dorum-plus/dorum-plus.lst');
  const ending: ((ask: (r: Request) => unknown) => Request)[] = [
    () => ({ kind: 'reset' }),
    () => ({ kind: 'compileProgram', text: 'a: SOB a', breakpoints: [] }),
    () => ({ kind: 'compileInstruction', text: 'ROZKAZ NIC;\nczyt wys wei il;' }),
    () => ({ kind: 'loadList', name: 'dorum-plus.lst', bytes: listBytes }),
    () => ({ kind: 'deleteInstruction', code: 7 }),
    (ask) => {
      const o = ask({ kind: 'options' }) as { addressBits: number; codeBits: number; presets: { components: boolean[] }[] };
      return {
        kind: 'configure',
        options: { addressBits: o.addressBits, codeBits: o.codeBits, components: o.presets[0]!.components, vectorLabels: ['', '', '', ''], vectorAddresses: ['0', '0', '0', '0'], devices: ['1', '2', '3', '4'] },
      };
    },
    () => ({ kind: 'clearMemory' }),
    () => ({ kind: 'setManualControl', manual: true }),
  ];
  for (const request of ending) {
    mock.timers.enable({ apis: ['setTimeout'] });
    let host: Awaited<ReturnType<typeof newHost>> | undefined;
    try {
      host = await pausedLoop(2000);
      const { ask, lastView, ended } = host;
      mock.timers.tick(1000);
      const made = request(ask);
      ask(made);
      await turns(5);
      assert.equal(lastView().running, false, made.kind);
      assert.deepEqual(ended(), [], made.kind);
      // The next run: its first cycle now, its second a whole tempo later.
      ask({ kind: 'start', command: 'program', line: 0 });
      await turns(5);
      const first = lastView().cycles;
      const endings = ended().length;
      mock.timers.tick(1000);
      await turns(5);
      assert.equal(lastView().cycles, first, `${made.kind}: the old pause went on`);
      assert.equal(ended().length, endings, made.kind);
    } finally {
      host?.ask({ kind: 'stop' });
      mock.timers.reset();
    }
  }
});

test('the instruction list is sent again after a request that may change it, and a view after every request', async () => {
  const { ask, notices } = await newHost();
  const counts = () => ({
    instructions: notices.filter((n) => n.kind === 'instructions').length,
    views: notices.filter((n) => n.kind === 'view').length,
  });
  const resent = (request: Request) => {
    const before = counts();
    ask(request);
    const after = counts();
    assert.equal(after.views, before.views + 1, `${request.kind}: view`);
    return after.instructions - before.instructions;
  };
  assert.equal(resent({ kind: 'compileInstruction', text: 'ROZKAZ NIC;\nczyt wys wei il;' }), 1);
  assert.equal(resent({ kind: 'compileInstruction', text: 'ROZKAZ ZLE;\nxyz;' }), 1);
  assert.equal(resent({ kind: 'toggleBreakpoint', code: 5, line: 4 }), 1);
  assert.equal(resent({ kind: 'deleteInstruction', code: 8 }), 1);
  assert.equal(resent({ kind: 'loadList', name: 'pelt.lst', bytes: bytesOf('pelt/pelt.lst') }), 1);
  const o = ask({ kind: 'options' }) as { addressBits: number; codeBits: number; components: boolean[] };
  const options = { addressBits: o.addressBits, codeBits: o.codeBits, components: o.components, vectorLabels: ['', '', '', ''], vectorAddresses: ['0', '0', '0', '0'], devices: ['1', '2', '3', '4'] };
  assert.equal(resent({ kind: 'configure', options }), 1);
  assert.equal(resent({ kind: 'compileProgram', text: 'STP', breakpoints: [] }), 0);
  assert.equal(resent({ kind: 'enterRegister', id: 0, text: '5' }), 0);
  assert.equal(resent({ kind: 'reset' }), 0);
  assert.equal(resent({ kind: 'memoryWindow', first: 2, rows: 3 }), 0);
  assert.equal((notices.filter((n) => n.kind === 'view').pop() as { view: View }).view.memory.length, 3);
});

test('a run waiting for a key waits quietly, goes on with it, and ends at "Przerwij"; with no run these start nothing', async () => {
  const { ask, notices, lastView, ended, runEnd } = await newHost();
  ask({ kind: 'setInput', before: '', text: 'x' });
  ask({ kind: 'stop' });
  await turns(20);
  assert.deepEqual(ended(), []);
  assert.equal(notices.some((n) => n.kind === 'failed'), false);

  assert.equal((ask({ kind: 'loadList', name: 'ombra.lst', bytes: bytesOf('ombra/ombra.lst') }) as { ok: boolean }).ok, true);
  const echo = ask({ kind: 'openText', name: 'echo.prg', bytes: bytesOf('ombra/echo.prg') }) as { text: string };
  assert.equal((ask({ kind: 'compileProgram', text: echo.text, breakpoints: [] }) as { ok: boolean }).ok, true);
  ask({ kind: 'start', command: 'program', line: 0 });
  // Waiting: the view says the run goes on, and nothing more comes.
  const quiet = async () => {
    let count = -1;
    for (let k = 0; k < 30 && count !== notices.length; ++k) {
      count = notices.length;
      const until = performance.now() + 100;
      while (performance.now() < until) await turns(1);
    }
    assert.equal(count, notices.length, 'the host never went quiet');
  };
  await quiet();
  assert.equal(lastView().running, true);
  assert.deepEqual(ended(), []);
  ask({ kind: 'setInput', before: '', text: 'a' });
  await quiet();
  assert.equal(lastView().output, 'XA');
  assert.equal(lastView().running, true);
  assert.deepEqual(ended(), []);
  ask({ kind: 'stop' });
  assert.equal((await runEnd()).box, 'none');
  assert.equal(lastView().running, false);
  assert.equal(lastView().output, 'XA');
});

test('a long run is shown as it goes, about once a frame, not after every slice', async () => {
  const { ask, views } = await newHost();
  assert.equal((ask({ kind: 'compileProgram', text: 'a: SOB a', breakpoints: [] }) as { ok: boolean }).ok, true);
  const before = views().length;
  const started = performance.now();
  ask({ kind: 'start', command: 'program', line: 0 });
  try {
    while (views().length < before + 5 && performance.now() - started < 10000) await turns(1);
    const elapsed = performance.now() - started;
    const shown = views().slice(before);
    assert.ok(shown.length >= 5, 'the run was not shown while it went on');
    assert.ok(shown.every((v) => v.running));
    assert.ok(shown.at(-1)!.cycles > shown[0]!.cycles);
    // Views at least 30 ms apart (the answer to "start" brings one more).
    assert.ok(shown.length <= elapsed / 30 + 2, `${shown.length} views in ${elapsed} ms`);
  } finally {
    ask({ kind: 'stop' });
  }
});

test('a cycle gone back to ends nothing; one gone forward to runs as "Takt" runs, and a program ending there ends with its box', async () => {
  const { ask, lastView, ended, runEnd } = await newHost();
  assert.equal((ask({ kind: 'compileProgram', text: 'POB x\nSTP\nx: RST 5', breakpoints: [] }) as { ok: boolean }).ok, true);
  ask({ kind: 'start', command: 'program', line: 0 });
  const end = await runEnd();
  assert.notEqual(end.box, 'none');
  const total = lastView().cycles;
  const back = ask({ kind: 'goToCycle', number: 1 }) as RunState;
  await turns(2);
  assert.equal(back.box, 'none');
  assert.equal(ended().length, 1, 'going back ends no run');
  const forth = ask({ kind: 'goToCycle', number: total }) as RunState;
  await turns(2);
  assert.equal(forth.box, end.box);
  assert.deepEqual(ended().slice(1), [forth]);
});
