// The page's half of the two editions' parity: a student's session of
// actions performed through the page's engine host as the page performs
// them, written down after each action as the desktop's half writes it
// (tests/gui/ParityTest.cpp), and compared with the one transcript both
// halves must give.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import type { LayoutItem, MachineOptions, OpenedText, Outcome, Request, View } from '../../src/protocol';
import { askingHost, bytesOf } from './engine-host';

const transcriptFile = join(__dirname, '../../tests/parity/session.txt');

const turns = async (count: number) => {
  for (let k = 0; k < count; ++k) await new Promise((r) => setImmediate(r));
};

test('the page gives the session\'s transcript', async () => {
  const { host, notices, ask } = await askingHost();
  const layout = (notices.find((n) => n.kind === 'ready') as { layout: LayoutItem[] }).layout;
  const lines: string[] = [];
  let boxes: string[] = [];
  let text = '';
  let seen = notices.length;

  const lastView = (): View => (notices.filter((n) => n.kind === 'view').pop() as { view: View }).view;
  const outcome = (answer: Outcome, information?: string) => {
    if (!answer.ok) boxes.push(`error: ${answer.boxText}`);
    else {
      if (answer.information ?? information) boxes.push(`information: ${answer.information ?? information}`);
      if (answer.notice) boxes.push(`information: ${answer.notice}`);
    }
    return answer.ok;
  };
  const note = async (action: string) => {
    await turns(5);
    for (const notice of notices.slice(seen)) {
      if (notice.kind === 'runEnded' && notice.state.box !== 'none') boxes.push(`${notice.state.box}: ${notice.state.message}`);
    }
    seen = notices.length;
    const view = lastView();
    lines.push(`# ${action}`);
    lines.push(`enabled: ${Object.entries(view.enabled).filter(([, on]) => on).map(([name]) => name).join(' ')}`);
    lines.push(`running: ${!view.running ? 'no' : host.waitingForInput() ? 'waiting' : 'yes'}`);
    // The desktop tells its questions before its boxes, and its information
    // boxes before its error boxes.
    const order = (box: string) => (box.startsWith('question') ? 0 : box.startsWith('information') ? 1 : 2);
    lines.push(...[...boxes].sort((a, b) => order(a) - order(b)));
    boxes = [];
    const registers = layout.flatMap((item, k) => (item.kind === 'register' && view.items[k]!.shown ? [view.items[k]!.text] : []));
    lines.push(`registers: ${registers.join(' | ')}`);
  };
  const call = <R extends Request>(request: R) => ask(request) as never;
  const example = (list: string, program: string) => {
    const name = list.split('/').pop() ?? '';
    const question: string = call({ kind: 'exampleQuestion', example: program.split('/').pop()!, list: name });
    if (question) boxes.push(`question: ${question}`);
    if (list) {
      if (!outcome(call({ kind: 'loadList', name, bytes: bytesOf(list) }))) return;
    } else if (!outcome(call({ kind: 'restoreDefaultMachine' }))) return;
    const opened: OpenedText = call({ kind: 'openText', name: program, bytes: bytesOf(program) });
    text = opened.text;
  };
  const compile = () => outcome(call({ kind: 'compileProgram', text, breakpoints: [] }));
  // A run command, followed until its run ends or waits for input.
  const start = async (command: 'cycle' | 'program') => {
    call({ kind: 'start', command, line: 0 });
    for (let turn = 0; turn < 2000 && lastView().running && !host.waitingForInput(); ++turn) await turns(1);
  };

  example('ombra/ombra.lst', 'ombra/echo.prg');
  await note('example ombra/echo.prg');
  compile();
  await note('compile');
  await start('cycle');
  await note('F7');
  await start('program');
  await note('F9');
  call({ kind: 'editStopConditions' });
  call({ kind: 'commitStopConditions' });
  await note('stop conditions, OK');
  outcome(call({ kind: 'reset' }));
  await note('Ctrl+F2');
  const options: MachineOptions = call({ kind: 'options' });
  outcome(
    call({
      kind: 'configure',
      options: {
        addressBits: options.addressBits,
        codeBits: options.codeBits,
        components: options.components,
        vectorLabels: options.vectors.map((v) => v.label),
        vectorAddresses: options.vectors.map((v) => v.address),
        devices: options.devices,
      },
    }),
  );
  await note('options, OK');
  text = 'POB nic\nSTP\n';
  compile();
  await note('compile POB nic');
  example('', 'dorum/suma.prg');
  await note('example dorum/suma.prg, Tak');
  compile();
  await note('compile');
  await start('cycle');
  await note('F7');
  call({ kind: 'stepBack', whole: false });
  await note('Shift+F7');
  outcome(call({ kind: 'compileInstruction', text: 'ROZKAZ NIC;\nczyt wys wei il;\n' }));
  await note('compile ROZKAZ NIC');
  outcome(call({ kind: 'loadList', name: 'pelt.lst', bytes: bytesOf('pelt/pelt.lst') }));
  await note('load list pelt.lst');
  example('pelt/pelt.lst', 'pelt/podprogram.prg');
  await note('example pelt/podprogram.prg');

  const written = `${lines.join('\n')}\n`;
  if (process.env['DORUM_WRITE_PARITY']) writeFileSync(process.env['DORUM_WRITE_PARITY'], written);
  assert.equal(written, readFileSync(transcriptFile, 'utf8'));
});
