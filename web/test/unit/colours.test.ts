import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

const stylesheet = readFileSync(join(__dirname, '../../web/style.css'), 'utf8');

type Rgb = [number, number, number];

// The colours of the stylesheet's root: each a light and a dark one.
function themeColours(): Map<string, { light: Rgb; dark: Rgb }> {
  const colours = new Map<string, { light: Rgb; dark: Rgb }>();
  const hex = (text: string): Rgb => {
    const digits = text.length === 4 ? [...text.slice(1)].map((d) => d + d) : [text.slice(1, 3), text.slice(3, 5), text.slice(5, 7)];
    return digits.map((d) => parseInt(d, 16)) as Rgb;
  };
  for (const [, name, light, dark] of stylesheet.matchAll(/--([\w-]+):\s*light-dark\((#[0-9a-f]{3,6}),\s*(#[0-9a-f]{3,6})\)/gi))
    colours.set(name!, { light: hex(light!), dark: hex(dark!) });
  return colours;
}

// WCAG's relative luminance and contrast ratio.
function luminance([r, g, b]: Rgb): number {
  const linear = (c: number) => {
    const s = c / 255;
    return s <= 0.04045 ? s / 12.92 : ((s + 0.055) / 1.055) ** 2.4;
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

export function contrast(a: Rgb, b: Rgb): number {
  const [hi, lo] = [luminance(a), luminance(b)].sort((x, y) => y - x) as [number, number];
  return (hi + 0.05) / (lo + 0.05);
}

// Every text colour on every background the page puts it on, and every
// line (borders, wires, buses, the focus ring) on what it stands on.
const backgrounds = ['face', 'face-2', 'box', 'button'];
const highlighted = ['selected', 'current', 'breakpoint', 'breakpoint-current', 'signal-on', 'error-back', 'active-line'];
const words = ['w-comment', 'w-keyword', 'w-signal', 'w-condition', 'w-label', 'w-number', 'w-character', 'w-mnemonic', 'w-semicolon'];
const texts: [string, string[]][] = [
  ['ink', [...backgrounds, ...highlighted]],
  ['muted', backgrounds],
  ['disabled-ink', ['face-2', 'box']],
  ['accent', ['box', 'face-2']],
  ['active', ['box']],
  ['error', ['box', 'error-back']],
  ['on-accent', ['accent', 'active']],
  ...words.map((word): [string, string[]] => [word, ['box', 'active-line']]),
];
const lines: [string, string[]][] = [
  ['line', backgrounds],
  ['idle-bus', ['box']],
  ['active', ['box']],
  ['accent', ['box', 'face', 'face-2']],
];

test('every text and line of both themes stands out from what it stands on', () => {
  const colours = themeColours();
  const failures: string[] = [];
  const check = (pairs: [string, string[]][], least: number) => {
    for (const [front, backs] of pairs)
      for (const back of backs)
        for (const theme of ['light', 'dark'] as const) {
          const a = colours.get(front);
          const b = colours.get(back);
          assert.ok(a && b, `--${front} or --${back} is not a colour of both themes`);
          const ratio = contrast(a[theme], b[theme]);
          if (ratio < least) failures.push(`${theme}: --${front} on --${back} ${ratio.toFixed(2)} < ${least}`);
        }
  };
  check(texts, 4.5);
  check(lines, 3);
  assert.deepEqual(failures, []);
});

test('the stylesheet names its colours only at its root, so the check above sees them all', () => {
  const root = stylesheet.slice(stylesheet.indexOf(':root {'), stylesheet.indexOf('}', stylesheet.indexOf(':root {')));
  const rest = stylesheet.replace(root, '');
  assert.deepEqual(rest.match(/#[0-9a-f]{3,6}\b|rgba?\(|hsla?\(|(?<![\w-])(white|black|red|gray|grey)(?![\w-])/gi) ?? [], []);
  // Every colour the rules use is one of the root's.
  const defined = new Set([...root.matchAll(/--([\w-]+):/g)].map((m) => m[1]));
  const used = new Set([...rest.matchAll(/var\(--([\w-]+)/g)].map((m) => m[1]).filter((name) => !['editor-width', 'lower-height'].includes(name!)));
  assert.deepEqual([...used].filter((name) => !defined.has(name)), []);
});

test('the contrast ratio is WCAG\'s', () => {
  assert.equal(contrast([0, 0, 0], [255, 255, 255]), 21);
  assert.equal(contrast([255, 255, 255], [255, 255, 255]), 1);
  assert.ok(Math.abs(contrast([0x76, 0x76, 0x76], [255, 255, 255]) - 4.54) < 0.01);
});
