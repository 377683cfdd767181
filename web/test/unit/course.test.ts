import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { checkSummary, fileName, folderOf, readCourse, taskAddress, taskIdOf } from '../../src/course';

test('the published catalogue reads whole', () => {
  const { course, problems } = readCourse(readFileSync(join(__dirname, '../../kurs/kurs.json'), 'utf8'));
  assert.deepEqual(problems, []);
  assert.equal(course.title, 'Architektura komputerów');
  assert.deepEqual(course.tasks.map((t) => [t.id, t.machine]), [['lab3/iloczyn', 'Pelt'], ['lab3/odwrotnie', 'Ombra']]);
  assert.deepEqual(course.tasks[0]!.files, ['lab3/iloczyn/iloczyn.prg', 'lab3/iloczyn/ilo.rzk']);
});

test('a task with a slip is told and the good ones stay', () => {
  const task = (id: string, extra = {}) => ({ id, title: 't', machine: 'Pelt', description: 'a/opis.md', files: ['a/p.prg'], list: 'a/p.lst', suite: 'a/s.json', ...extra });
  const { course, problems } = readCourse(
    JSON.stringify({ title: 'K', tasks: [task('a'), task('b', { list: '../../etc/passwd' }), task('c', { files: ['https://evil/x.prg'] }), task('a'), { id: 'd' }, task('e', { suite: '/abs.json' }), task('f', { description: 'a\\..\\..\\opis.md' }), task('g', { files: ['DATA:text/plain,STP'] })] }),
  );
  assert.deepEqual(course.tasks.map((t) => t.id), ['a']);
  assert.equal(problems.length, 7);
  assert.match(problems[0]!, /list/);
  assert.match(problems[1]!, /files/);
  assert.match(problems[2]!, /^zadanie 4: powtórzony identyfikator „a”/);
  assert.match(problems[3]!, /^zadanie 5: brak pola „title”/);
  assert.match(problems[4]!, /\(e\).*suite/);
  // A backslash is a folder's separator to some servers.
  assert.match(problems[5]!, /\(f\).*description/);
  // An address's scheme may be written in capitals.
  assert.match(problems[6]!, /\(g\).*files/);
});

test('a path with an empty part, a blank field or a catalogue without tasks is told', () => {
  const task = (id: string, extra = {}) => ({ id, title: 't', machine: 'Pelt', description: 'a/opis.md', list: 'a/p.lst', suite: 'a/s.json', ...extra });
  const { course, problems } = readCourse(
    JSON.stringify({ tasks: [task('a'), task('b', { list: 'a//p.lst' }), task('c', { machine: '  ' }), task('d', { files: 'a/p.prg' }), task('e', { suite: '' }), 'f'] }),
  );
  // Starting files may be left out.
  assert.deepEqual(course.tasks.map((t) => [t.id, t.files]), [['a', []]]);
  assert.equal(course.title, '');
  assert.deepEqual(problems, [
    'zadanie 2 (b): zła ścieżka w polu „list”',
    'zadanie 3: brak pola „machine”',
    'zadanie 4 (d): zła ścieżka w polu „files”',
    'zadanie 5 (e): zła ścieżka w polu „suite”',
    'zadanie 6: to nie jest obiekt',
  ]);
  for (const root of ['[]', 'null', '{"tasks": {}}']) {
    const read = readCourse(root);
    assert.deepEqual(read.course.tasks, [], root);
    assert.deepEqual(read.problems, ['kurs.json: brak listy „tasks”'], root);
  }
});

test('a path splits into its folder and the name the editor shows', () => {
  assert.equal(fileName('lab3/iloczyn/ilo.rzk'), 'ilo.rzk');
  assert.equal(folderOf('lab3/iloczyn/ilo.rzk'), 'lab3/iloczyn/');
  assert.equal(fileName('opis.md'), 'opis.md');
  assert.equal(folderOf('opis.md'), '');
  assert.equal(taskAddress('lab 3/ą'), '#zadanie=lab%203/%C4%85');
  assert.equal(taskIdOf(taskAddress('lab 3/ą')), 'lab 3/ą');
});

test('a catalogue that is no JSON says so and lists nothing', () => {
  const { course, problems } = readCourse('{ "tasks": [');
  assert.deepEqual(course.tasks, []);
  assert.match(problems[0]!, /nie jest poprawnym JSON/);
});

test('the address names a task by "zadanie", anything else names none', () => {
  assert.equal(taskIdOf('#zadanie=lab3/iloczyn'), 'lab3/iloczyn');
  assert.equal(taskIdOf('zadanie=lab3%2Filoczyn'), 'lab3/iloczyn');
  assert.equal(taskIdOf('#inne=1&zadanie=lab3/odwrotnie'), 'lab3/odwrotnie');
  assert.equal(taskIdOf('#zadanie='), null);
  assert.equal(taskIdOf('#zadanie=%20a%20'), 'a');
  assert.equal(taskIdOf('#zadanie=%20'), null);
  assert.equal(taskIdOf(''), null);
  assert.equal(taskIdOf('#pomoc'), null);
});

test('the summary counts the cases passed and the points', () => {
  assert.equal(
    checkSummary([
      { outcome: 'passed', points: 2, maxPoints: 2 },
      { outcome: 'wrong', points: 0, maxPoints: 1 },
    ]),
    'Zaliczone 1 z 2, punkty 2/3',
  );
  assert.equal(checkSummary([{ outcome: 'passed', points: 0.5, maxPoints: 1.5 }]), 'Zaliczone 1 z 1, punkty 0.5/1.5');
  // Points are never rounded to a few decimals: an eighth stays exact.
  assert.equal(checkSummary([{ outcome: 'passed', points: 0.125, maxPoints: 0.125 }]), 'Zaliczone 1 z 1, punkty 0.125/0.125');
  // As the command line writes them: twelve significant digits, so a third
  // reads the same on the page and in the gradebook, and sums of tenths
  // lose their binary dust.
  assert.equal(checkSummary([{ outcome: 'passed', points: 1 / 3, maxPoints: 0.1 + 0.2 }]), 'Zaliczone 1 z 1, punkty 0.333333333333/0.3');
});
