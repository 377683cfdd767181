import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { renderInline, renderMarkdown } from '../../src/markdown';

test('HTML written in a description shows as text and never becomes markup', () => {
  const html = renderMarkdown('# Tytuł <img src=x onerror=alert(1)>\n\n<script>alert(1)</script> i "cudzysłów" & znak\n\n| a | <b>b</b> |\n|---|---|\n| `<i>` | x |');
  assert.doesNotMatch(html, /<script|<img|<b>|<i>/);
  assert.match(html, /&lt;script&gt;alert\(1\)&lt;\/script&gt;/);
  assert.match(html, /&quot;cudzysłów&quot; &amp; znak/);
  assert.match(html, /<code>&lt;i&gt;<\/code>/);
});

test('links go only to the web, mail or beside the description, in a new tab', () => {
  assert.equal(renderInline('[strona](https://example.org/a?b=1&c=2)'), '<a href="https://example.org/a?b=1&amp;c=2" target="_blank" rel="noopener noreferrer">strona</a>');
  assert.match(renderInline('[plik](pelt.lst)', 'kurs/lab3/iloczyn/'), /href="kurs\/lab3\/iloczyn\/pelt.lst"/);
  assert.match(renderInline('[napisz](mailto:prowadzacy@example.org)'), /<a href="mailto:prowadzacy@example.org"/);
  for (const bad of ['javascript:alert(1)', 'JavaScript:alert(1)', 'data:text/html,x', '//evil.example/']) {
    const html = renderInline(`[klik](${bad})`);
    assert.doesNotMatch(html, /<a /, bad);
    assert.match(html, /klik/);
  }
  // A quote cannot close the attribute.
  assert.doesNotMatch(renderInline('[x](https://a/"onmouseover="alert(1))'), /" onmouseover/);
});

test('headings, paragraphs, lists, code and emphasis are rendered', () => {
  const html = renderMarkdown('## Jak\n\nZwykły **gruby** i *pochyły* tekst\nw dwóch wierszach.\n\n1. pierwszy\n   ciąg dalszy\n2. drugi\n\n- a\n- b\n\n    kod <x>\n    dalej\n\n```\nblok `x`\n```');
  assert.match(html, /<h2>Jak<\/h2>/);
  assert.match(html, /<p>Zwykły <strong>gruby<\/strong> i <em>pochyły<\/em> tekst w dwóch wierszach.<\/p>/);
  assert.match(html, /<ol><li>pierwszy ciąg dalszy<\/li><li>drugi<\/li><\/ol>/);
  assert.match(html, /<ul><li>a<\/li><li>b<\/li><\/ul>/);
  assert.match(html, /<pre><code>kod &lt;x&gt;\ndalej<\/code><\/pre>/);
  assert.match(html, /<pre><code>blok `x`<\/code><\/pre>/);
});

test('a word with underscores keeps them, and code keeps its stars', () => {
  assert.equal(renderInline('max_cycles i a_b_c'), 'max_cycles i a_b_c');
  assert.equal(renderInline('`(Ak) * ((Ad))`'), '<code>(Ak) * ((Ad))</code>');
});

test('the course description renders its table with a cell of code', () => {
  const source = readFileSync(join(__dirname, '../../kurs/lab3/iloczyn/opis.md'), 'utf8');
  const html = renderMarkdown(source);
  assert.match(html, /<table><thead><tr><th>Przypadek<\/th>/);
  assert.match(html, /<td><code>przyklad<\/code><\/td><td>dane z programu: a = 6, b = 7<\/td>/);
  assert.match(html, /<pre><code>dorum-cli test iloczyn.json .<\/code><\/pre>/);
  assert.equal((html.match(/<tr>/g) ?? []).length, 3);
});

test('marks around nothing stay as written: a blank to fill in is no emphasis', () => {
  assert.equal(renderInline('wynik = ____'), 'wynik = ____');
  assert.equal(renderInline('a ** b'), 'a ** b');
  assert.equal(renderInline('** a** b'), '** a** b');
  assert.equal(renderInline('**x** i __y__'), '<strong>x</strong> i <strong>y</strong>');
});

test('a backslash keeps a mark as text, and a code span needs its closing quote', () => {
  assert.equal(renderInline('\\*nie\\* i \\_ani\\_ \\[x\\](y)'), '*nie* i _ani_ [x](y)');
  assert.equal(renderInline('a \\ b'), 'a \\ b');
  assert.equal(renderInline('`bez końca'), '`bez końca');
  assert.equal(renderInline('*a*'), '<em>a</em>');
});

test('a link to a place on the page stays on it, and a link text keeps its emphasis', () => {
  assert.match(renderInline('[wyżej](#wstep)', 'kurs/lab3/'), /href="#wstep"/);
  assert.match(renderInline('[**ważne**](opis.md)', 'kurs/a/'), /href="kurs\/a\/opis.md"[^>]*><strong>ważne<\/strong><\/a>/);
  assert.match(renderInline('[s](HTTP://example.org)'), /<a href="HTTP:\/\/example.org"/);
});

test('headings up to six marks, rules, tilde fences and loose lists are rendered', () => {
  assert.equal(renderMarkdown('### Trzeci ###'), '<h3>Trzeci</h3>');
  assert.equal(renderMarkdown('###### sz'), '<h6>sz</h6>');
  assert.equal(renderMarkdown('####### za dużo'), '<p>####### za dużo</p>');
  assert.equal(renderMarkdown('a\r\n\r\n---\r\nb'), '<p>a</p>\n<hr>\n<p>b</p>');
  assert.equal(renderMarkdown('* * *\n\n--'), '<hr>\n<p>--</p>');
  assert.equal(renderMarkdown('~~~\n<x>\n```\n~~~\npo'), '<pre><code>&lt;x&gt;\n```</code></pre>\n<p>po</p>');
  assert.equal(renderMarkdown('```\nbez końca'), '<pre><code>bez końca</code></pre>');
  assert.equal(renderMarkdown('+ a\n\n+ b\n\nakapit'), '<ul><li>a</li><li>b</li></ul>\n<p>akapit</p>');
  assert.equal(renderMarkdown('1) x\n2) y'), '<ol><li>x</li><li>y</li></ol>');
  assert.equal(renderMarkdown('    a\n\n    b\nc'), '<pre><code>a\n\nb</code></pre>\n<p>c</p>');
  assert.equal(renderMarkdown('tekst\n# Tytuł'), '<p>tekst</p>\n<h1>Tytuł</h1>');
});

test('a table row keeps as many cells as its head, an escaped bar inside a cell', () => {
  assert.equal(
    renderMarkdown('| a | b |\n|:--|--:|\n| 1 \\| 2 |\n| x | y | z |\npo'),
    '<table><thead><tr><th>a</th><th>b</th></tr></thead><tbody><tr><td>1 | 2</td><td></td></tr><tr><td>x</td><td>y</td></tr></tbody></table>\n<p>po</p>',
  );
  assert.equal(renderMarkdown('a | b\nzwykły'), '<p>a | b zwykły</p>');
});
