// A task's description, written by a teacher in Markdown, as HTML: the
// headings, paragraphs, lists, tables, code and emphasis such descriptions
// use. Every character of the source is escaped: HTML written in the
// Markdown shows as text and never becomes part of the page, and a link
// goes only to the web, a mail address or a file beside the description,
// in a new tab.
const escapes: Record<string, string> = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' };
export const escapeHtml = (text: string) => text.replace(/[&<>"']/g, (c) => escapes[c]!);

// Where a link may go: a web or mail address, a place on the page, or a
// path beside the description (`base` is its folder, as the page reaches it).
function safeHref(url: string, base: string): string | null {
  if (/^(https?:|mailto:)/i.test(url)) return url;
  if (/^[a-z][a-z0-9+.-]*:/i.test(url) || url.startsWith('//')) return null; // javascript:, data:...
  if (url.startsWith('#')) return url;
  return base + url;
}

// The end of a span opened at `from` by `mark`, or -1; the span holds something.
function closing(text: string, from: number, mark: string): number {
  const end = text.indexOf(mark, from + mark.length + 1);
  return end < 0 ? -1 : end;
}

const link = /^\[([^\]]+)\]\(([^)\s]+)\)/;

// The inline parts of a line: code, links, strong and emphasised words.
export function renderInline(text: string, base = ''): string {
  let html = '';
  let at = 0;
  while (at < text.length) {
    const rest = text.slice(at);
    const c = text[at]!;
    if (c === '\\' && at + 1 < text.length && /[\\`*_[\]()#|!-]/.test(text[at + 1]!)) {
      html += escapeHtml(text[at + 1]!);
      at += 2;
      continue;
    }
    if (c === '`') {
      const end = text.indexOf('`', at + 1);
      if (end > at) {
        html += `<code>${escapeHtml(text.slice(at + 1, end))}</code>`;
        at = end + 1;
        continue;
      }
    }
    const linked = c === '[' ? link.exec(rest) : null;
    if (linked) {
      const href = safeHref(linked[2]!, base);
      html += href === null ? escapeHtml(linked[0]) : `<a href="${escapeHtml(href)}" target="_blank" rel="noopener noreferrer">${renderInline(linked[1]!, base)}</a>`;
      at += linked[0].length;
      continue;
    }
    const mark = rest.startsWith('**') ? '**' : rest.startsWith('__') ? '__' : c === '*' || c === '_' ? c : '';
    // "_" inside a word (a_b) is a letter of it, not a mark.
    const wordy = c === '_' && at > 0 && /\w/.test(text[at - 1]!);
    if (mark && !wordy && text[at + mark.length] !== ' ') {
      const end = closing(text, at, mark);
      if (end > 0) {
        const tag = mark.length === 2 ? 'strong' : 'em';
        html += `<${tag}>${renderInline(text.slice(at + mark.length, end), base)}</${tag}>`;
        at = end + mark.length;
        continue;
      }
    }
    html += escapeHtml(c);
    at += 1;
  }
  return html;
}

const heading = /^(#{1,6})\s+(.*?)\s*#*\s*$/;
const bullet = /^\s{0,3}[-*+]\s+(.*)$/;
const numbered = /^\s{0,3}\d{1,9}[.)]\s+(.*)$/;
const fence = /^\s{0,3}(```+|~~~+)/;
const rule = /^\s{0,3}([-*_])(\s*\1){2,}\s*$/;
const tableRule = /^\s*\|?\s*:?-+:?\s*(\|\s*:?-+:?\s*)*\|?\s*$/;
const blank = (line: string) => line.trim() === '';

// A table row's cells: split at "|" outside code, without the outer ones.
function cells(line: string): string[] {
  const found: string[] = [];
  let cell = '';
  let code = false;
  for (let at = 0; at < line.length; ++at) {
    const c = line[at]!;
    if (c === '\\' && line[at + 1] === '|') {
      cell += '\\|';
      ++at;
    } else if (c === '|' && !code) {
      found.push(cell);
      cell = '';
    } else {
      if (c === '`') code = !code;
      cell += c;
    }
  }
  found.push(cell);
  if (line.trim().startsWith('|')) found.shift();
  if (line.trim().endsWith('|')) found.pop();
  return found.map((c) => c.trim());
}

// Reads the blocks one after another; each reader takes the lines it owns.
class Blocks {
  private at = 0;
  private html: string[] = [];

  constructor(
    private readonly lines: string[],
    private readonly base: string,
  ) {}

  render(): string {
    while (this.at < this.lines.length) this.block();
    return this.html.join('\n');
  }

  private inline(text: string): string {
    return renderInline(text, this.base);
  }

  private block(): void {
    const line = this.lines[this.at]!;
    if (blank(line)) {
      ++this.at;
    } else if (fence.test(line)) {
      this.fenced(fence.exec(line)![1]!);
    } else if (heading.test(line)) {
      const [, hashes, title] = heading.exec(line)!;
      this.html.push(`<h${hashes!.length}>${this.inline(title!)}</h${hashes!.length}>`);
      ++this.at;
    } else if (rule.test(line)) {
      this.html.push('<hr>');
      ++this.at;
    } else if (/^( {4}|\t)/.test(line)) {
      this.indentedCode();
    } else if (bullet.test(line) || numbered.test(line)) {
      this.list(bullet.test(line));
    } else if (line.includes('|') && tableRule.test(this.lines[this.at + 1] ?? '') && (this.lines[this.at + 1] ?? '').includes('-')) {
      this.table();
    } else {
      this.paragraph();
    }
  }

  private fenced(mark: string): void {
    const body: string[] = [];
    ++this.at;
    while (this.at < this.lines.length && !this.lines[this.at]!.trim().startsWith(mark)) body.push(this.lines[this.at++]!);
    ++this.at; // the closing fence, if any
    this.html.push(`<pre><code>${escapeHtml(body.join('\n'))}</code></pre>`);
  }

  private indentedCode(): void {
    const body: string[] = [];
    while (this.at < this.lines.length && (/^( {4}|\t)/.test(this.lines[this.at]!) || (blank(this.lines[this.at]!) && /^( {4}|\t)/.test(this.lines[this.at + 1] ?? '')))) {
      body.push(this.lines[this.at++]!.replace(/^( {4}|\t)/, ''));
    }
    this.html.push(`<pre><code>${escapeHtml(body.join('\n'))}</code></pre>`);
  }

  // Items run on over indented lines; a blank line followed by no item ends the list.
  private list(unordered: boolean): void {
    const item = unordered ? bullet : numbered;
    const items: string[] = [];
    while (this.at < this.lines.length) {
      const line = this.lines[this.at]!;
      const started = item.exec(line);
      if (started) items.push(started[1]!);
      else if (!blank(line) && /^\s+\S/.test(line) && items.length) items[items.length - 1] += ` ${line.trim()}`;
      else if (blank(line) && item.test(this.lines[this.at + 1] ?? '')) {
        // a loose list goes on
      } else break;
      ++this.at;
    }
    const tag = unordered ? 'ul' : 'ol';
    this.html.push(`<${tag}>${items.map((text) => `<li>${this.inline(text)}</li>`).join('')}</${tag}>`);
  }

  private table(): void {
    const header = cells(this.lines[this.at]!);
    this.at += 2;
    const rows: string[][] = [];
    while (this.at < this.lines.length && !blank(this.lines[this.at]!) && this.lines[this.at]!.includes('|')) rows.push(cells(this.lines[this.at++]!));
    const row = (values: string[], tag: string) => `<tr>${header.map((_, k) => `<${tag}>${this.inline(values[k] ?? '')}</${tag}>`).join('')}</tr>`;
    this.html.push(`<table><thead>${row(header, 'th')}</thead><tbody>${rows.map((r) => row(r, 'td')).join('')}</tbody></table>`);
  }

  private paragraph(): void {
    const body: string[] = [];
    while (this.at < this.lines.length) {
      const line = this.lines[this.at]!;
      if (blank(line) || (body.length && (heading.test(line) || fence.test(line) || bullet.test(line) || numbered.test(line)))) break;
      body.push(line.trim());
      ++this.at;
    }
    this.html.push(`<p>${this.inline(body.join(' '))}</p>`);
  }
}

// The whole description; `base` is the folder relative links start from.
export function renderMarkdown(source: string, base = ''): string {
  return new Blocks(source.replace(/\r\n?/g, '\n').split('\n'), base).render();
}
