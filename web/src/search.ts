// Find and replace of plain text in an editor's text, as the desktop's
// editors do it: from the caret, never wrapping round; match case and whole
// words as ticked.

export interface SearchOptions {
  matchCase: boolean;
  wholeWord: boolean;
  backwards: boolean;
}

export interface Range {
  from: number;
  to: number;
}

const wordCharacter = /[\p{L}\p{N}_]/u;

function isWordAt(text: string, at: number): boolean {
  return at >= 0 && at < text.length && wordCharacter.test(text[at]!);
}

// Every place the text is found, in order, matches not overlapping.
function matches(text: string, what: string, options: SearchOptions): Range[] {
  const haystack = options.matchCase ? text : text.toLocaleLowerCase('pl');
  const needle = options.matchCase ? what : what.toLocaleLowerCase('pl');
  const found: Range[] = [];
  // Lower case keeps every length of this alphabet, so places agree.
  const sameLength = haystack.length === text.length && needle.length === what.length;
  const source = sameLength ? haystack : text;
  const sought = sameLength ? needle : what;
  for (let at = source.indexOf(sought); at >= 0; at = source.indexOf(sought, at + 1)) {
    const end = at + sought.length;
    if (options.wholeWord && (isWordAt(text, at - 1) || isWordAt(text, end))) continue;
    if (found.length > 0 && at < found[found.length - 1]!.to) continue;
    found.push({ from: at, to: end });
  }
  return found;
}

// The next place after the selection (before it, backwards); null when
// there is none up to the text's end (its start).
export function findNext(text: string, what: string, options: SearchOptions, selection: Range): Range | null {
  const all = matches(text, what, options);
  if (options.backwards) return all.filter((m) => m.to <= selection.from).pop() ?? null;
  return all.find((m) => m.from >= selection.to) ?? null;
}

// Replaces the first place from the selection's start on, or every one
// after it; the changes in order and where the caret goes, or null when
// nothing was found.
export function replace(text: string, what: string, by: string, options: SearchOptions, selection: Range, all: boolean): { changes: (Range & { insert: string })[]; caret: number } | null {
  const found = matches(text, what, { ...options, backwards: false }).filter((m) => m.from >= selection.from);
  const chosen = all ? found : found.slice(0, 1);
  if (chosen.length === 0) return null;
  const changes = chosen.map((m) => ({ ...m, insert: by }));
  // Where the last replacement ends once every earlier one is in.
  let shift = 0;
  for (const m of chosen.slice(0, -1)) shift += by.length - (m.to - m.from);
  const caret = chosen[chosen.length - 1]!.from + shift + by.length;
  return { changes, caret };
}
