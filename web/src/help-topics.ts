// What the help knows without showing anything: its pages as the build
// indexed them, the word at the caret, what a word names, the search and
// the contents. The help panel shows what these find.

// A help page: a chapter, or an entry (under hasla/) explaining the words
// it lists, filed under the chapter it belongs to. The text is in lower case.
export interface HelpPage {
  file: string;
  title: string;
  keywords: string[];
  chapter: string;
  text: string;
}

// The build's index (help/tematy.json): the chapters in reading order.
export interface HelpIndex {
  chapters: string[];
  pages: HelpPage[];
}

// Where the reader is: a page, or what a word names (an entry, an
// instruction of the current list, or both).
export type HelpPlace = { file: string } | { word: string };

// The instruction list as the panel needs it, in code order.
export interface ListedInstruction {
  name: string;
  lines: string[];
}

// What a word names: the instruction of that name (its code, -1 for none)
// and the entries that explain it. "dod" is a signal and an instruction.
export interface Topic {
  word: string;
  code: number;
  entries: HelpPage[];
}

export const lowerCase = (text: string) => text.toLocaleLowerCase('pl');

const wordCharacter = /[\p{L}\p{N}_]/u;

// The word the caret stands in or touches, as the desktop's editor finds
// it: letters (Polish ones too), digits and "_"; '' between two non-words.
export function wordAt(line: string, column: number): string {
  const characters = [...line.slice(0, column)];
  const after = [...line.slice(column)];
  let start = characters.length;
  while (start > 0 && wordCharacter.test(characters[start - 1]!)) --start;
  let end = 0;
  while (end < after.length && wordCharacter.test(after[end]!)) ++end;
  return characters.slice(start).join('') + after.slice(0, end).join('');
}

export const isEntry = (page: HelpPage) => page.keywords.length > 0;

// An entry opens by its first word, so that it opens as the word would.
export const placeOf = (page: HelpPage): HelpPlace => (isEntry(page) ? { word: page.keywords[0]! } : { file: page.file });

export function findTopic(index: HelpIndex, instructions: readonly ListedInstruction[], asked: string): Topic {
  const word = lowerCase(asked.trim());
  if (!word) return { word, code: -1, entries: [] };
  return {
    word,
    code: instructions.findIndex((instruction) => lowerCase(instruction.name) === word),
    entries: index.pages.filter((page) => page.keywords.includes(word)),
  };
}

export const topicEmpty = (topic: Topic) => topic.code < 0 && topic.entries.length === 0;

// What a place shows, whichever way it was reached: a word explained by one
// entry alone ("as", "sa") shows that entry's page.
export function shownBy(index: HelpIndex, instructions: readonly ListedInstruction[], place: HelpPlace): string {
  if ('file' in place) return place.file;
  const topic = findTopic(index, instructions, place.word);
  return topic.code < 0 && topic.entries.length === 1 ? topic.entries[0]!.file : `temat:${topic.word}`;
}

// A search result: what the list shows and what picking it opens.
export interface Found {
  caption: string;
  place: HelpPlace;
}

function occurrences(text: string, word: string): number {
  let count = 0;
  for (let at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + word.length)) ++count;
  return count;
}

// As the desktop searches: first the words of the help (the entries' and
// the current list's instructions') that begin with what was typed, then
// every page holding all the words typed, the pages that speak of them most
// first; a place listed once.
export function searchHelp(index: HelpIndex, instructions: readonly ListedInstruction[], query: string): Found[] {
  const needle = lowerCase(query.trim());
  if (!needle) return [];
  const found: Found[] = [];
  const listed = new Set<string>();
  const add = (caption: string, place: HelpPlace) => {
    const key = 'file' in place ? place.file : `temat:${place.word}`;
    if (listed.has(key)) return;
    listed.add(key);
    found.push({ caption, place });
  };
  const words = [...new Set([...index.pages.flatMap((page) => page.keywords), ...instructions.map((i) => lowerCase(i.name))])].sort();
  for (const word of words) if (word.startsWith(needle)) add(word, { word });
  const parts = needle.split(/\s+/);
  const weighed = index.pages
    .map((page) => ({ page, counts: parts.map((part) => occurrences(page.text, part)) }))
    .filter(({ counts }) => counts.every((count) => count > 0))
    .map(({ page, counts }) => ({ page, weight: counts.reduce((a, b) => a + b, 0) }));
  // A stable sort keeps the pages' own order among equals.
  weighed.sort((a, b) => b.weight - a.weight);
  for (const { page } of weighed) add(page.title, placeOf(page));
  return found;
}

// The contents: each chapter with its entries, in reading order.
export function contentsOf(index: HelpIndex): { chapter: HelpPage; entries: HelpPage[] }[] {
  return index.chapters.flatMap((file) => {
    const chapter = index.pages.find((page) => page.file === file);
    return chapter ? [{ chapter, entries: index.pages.filter((page) => isEntry(page) && page.chapter === file) }] : [];
  });
}

// The chapter under which the contents list the current instructions.
export const listChapter = 'lista.html';
