import { test } from 'node:test';
import assert from 'node:assert/strict';
import { contentsOf, findTopic, searchHelp, shownBy, topicEmpty, wordAt, type HelpIndex, type HelpPage } from '../../src/help-topics';

const page = (file: string, title: string, text: string, keywords: string[] = [], chapter = ''): HelpPage => ({ file, title, keywords, chapter, text });

const index: HelpIndex = {
  chapters: ['index.html', 'sygnaly.html', 'jezyk.html', 'brak.html'],
  pages: [
    page('hasla/j3_jezeli.html', 'JEŻELI … TO … GDY NIE …', 'jeżeli warunek to skok gdy nie skok', ['jeżeli', 'to', 'gdy', 'nie'], 'jezyk.html'),
    page('hasla/s00_czyt.html', 'Sygnał czyt', 'czyt czyta słowo pamięci', ['czyt'], 'sygnaly.html'),
    page('hasla/s16_dod.html', 'Sygnał dod', 'dod dodaje', ['dod'], 'sygnaly.html'),
    page('hasla/s23_as.html', 'Sygnał as (sa)', 'as łączy magistrale', ['as (sa)', 'as', 'sa'], 'sygnaly.html'),
    page('index.html', 'Maszyna Dorum – pomoc', 'symulator, takt po takcie; takt i takt'),
    page('jezyk.html', 'Język opisu rozkazów', 'rozkaz to mikroprogram: takt po takcie czyt i pisz'),
    page('sygnaly.html', 'Sygnały sterujące', 'wszystkie sygnały: czyt, pisz, dod; czyt pobiera'),
  ],
};
const instructions = [
  { name: 'POB', lines: ['ROZKAZ POB;'] },
  { name: 'DOD', lines: ['ROZKAZ DOD;'] },
];

test('the word at the caret is the one the caret stands in or touches, Polish letters included', () => {
  assert.equal(wordAt('czyt wys wei il;', 0), 'czyt');
  assert.equal(wordAt('czyt wys wei il;', 2), 'czyt');
  // Right after a word, as right before one.
  assert.equal(wordAt('czyt wys wei il;', 4), 'czyt');
  assert.equal(wordAt('czyt wys wei il;', 15), 'il');
  assert.equal(wordAt('JEŻELI Z TO @ujemne;', 3), 'JEŻELI');
  assert.equal(wordAt('@ujemne_2 wyad', 4), 'ujemne_2');
  // Between two non-words there is none.
  assert.equal(wordAt('a ;  b', 3), '');
  assert.equal(wordAt('', 0), '');
});

test('a word names its entries and the current list\'s instruction of that name, whatever its case', () => {
  const dod = findTopic(index, instructions, ' Dod ');
  assert.equal(dod.word, 'dod');
  assert.equal(dod.code, 1);
  assert.deepEqual(dod.entries.map((e) => e.file), ['hasla/s16_dod.html']);
  // Polish capitals lowered too.
  assert.deepEqual(findTopic(index, instructions, 'JEŻELI').entries.map((e) => e.file), ['hasla/j3_jezeli.html']);
  assert.equal(findTopic(index, instructions, 'pob').code, 0);
  assert.deepEqual(findTopic(index, instructions, 'pob').entries, []);
  const unknown = findTopic(index, instructions, 'xyzzy');
  assert.equal(unknown.code, -1);
  assert.deepEqual(unknown.entries, []);
  // A topic is there while either an entry or an instruction names it.
  assert.deepEqual([dod, findTopic(index, instructions, 'pob'), findTopic(index, instructions, 'czyt'), unknown].map(topicEmpty), [false, false, false, true]);
  // A prefix is no word.
  assert.deepEqual(findTopic(index, instructions, 'czy').entries, []);
});

test('the words that reach one entry alone show the same place; a word that is also an instruction does not', () => {
  const as = shownBy(index, instructions, { word: 'as' });
  assert.equal(as, 'hasla/s23_as.html');
  assert.equal(shownBy(index, instructions, { word: 'sa' }), as);
  assert.equal(shownBy(index, instructions, { word: 'as (sa)' }), as);
  assert.equal(shownBy(index, instructions, { word: 'dod' }), 'temat:dod');
  assert.equal(shownBy(index, instructions, { file: 'jezyk.html' }), 'jezyk.html');
  // Nor does a word two entries explain: it shows them both.
  const twice: HelpIndex = { chapters: [], pages: [page('a.html', 'Sygnał we', 'we', ['we']), page('b.html', 'Urządzenie we', 'we', ['we'])] };
  assert.equal(shownBy(twice, [], { word: 'we' }), 'temat:we');
});

test('the search lists the words beginning so first, then the pages holding every word, most mentions first', () => {
  const captions = (query: string) => searchHelp(index, instructions, query).map((f) => f.caption);
  // The entry found by its word is listed once, by that word.
  assert.deepEqual(captions('czyt'), ['czyt', 'Sygnały sterujące', 'Język opisu rozkazów']);
  assert.deepEqual(searchHelp(index, instructions, 'czyt')[0]!.place, { word: 'czyt' });
  assert.deepEqual(searchHelp(index, instructions, 'czyt')[1]!.place, { file: 'sygnaly.html' });
  // The current list's instructions are words too.
  assert.deepEqual(captions('pob'), ['pob', 'Sygnały sterujące']);
  // Every word typed must be there; the page mentioning them most comes first.
  assert.deepEqual(captions('takt  po'), ['Maszyna Dorum – pomoc', 'Język opisu rozkazów']);
  assert.deepEqual(captions('takt pisz'), ['Język opisu rozkazów']);
  assert.deepEqual(captions('takt xyzzy'), []);
  assert.deepEqual(captions('  '), []);
  // Case does not matter.
  assert.deepEqual(captions('SYGNAŁY'), ['Sygnały sterujące']);
  // A mention is counted where the last one ended: "aaaa" holds "aa" twice.
  const repeated: HelpIndex = { chapters: [], pages: [page('a.html', 'Cztery', 'aaaa'), page('b.html', 'Trzy', 'aa, aa, aa')] };
  assert.deepEqual(searchHelp(repeated, [], 'aa').map((f) => f.caption), ['Trzy', 'Cztery']);
});

test('the contents list the chapters in reading order, each with its own entries, skipping a chapter with no page', () => {
  const contents = contentsOf(index);
  assert.deepEqual(contents.map((c) => c.chapter.file), ['index.html', 'sygnaly.html', 'jezyk.html']);
  assert.deepEqual(contents[1]!.entries.map((e) => e.title), ['Sygnał czyt', 'Sygnał dod', 'Sygnał as (sa)']);
  assert.deepEqual(contents[0]!.entries, []);
});
