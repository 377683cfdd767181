// The help inside the page, as the desktop's help window has it: the
// contents and the topic search on the left, the page on the right with
// "Wstecz", "Dalej" (Alt+Left, Alt+Right) and "Spis treści" over it. The
// pages are the desktop's, read from the help folder beside the page; an
// instruction's entry is made from the current list. A side panel, not a
// box: the student may go on editing beside it; Escape closes it and gives
// the keyboard back where it was.
import type { EditorView } from '@codemirror/view';
import {
  contentsOf,
  findTopic,
  listChapter,
  placeOf,
  searchHelp,
  shownBy,
  topicEmpty,
  type HelpIndex,
  type HelpPage,
  type HelpPlace,
  type ListedInstruction,
  type Topic,
  lowerCase,
  wordAt,
} from './help-topics';

const say = {
  heading: 'Pomoc',
  close: 'Zamknij pomoc',
  tabs: 'Spis treści i wyszukiwanie',
  contentsTab: 'Zawartość',
  searchTab: 'Szukaj tematu',
  contents: 'Spis treści',
  prompt: 'Wpisz słowo lub jego początek:',
  results: 'Znalezione tematy',
  nothing: 'Nic nie znaleziono.',
  back: 'Wstecz',
  backHint: 'Poprzednia strona (Alt+Lewo)',
  forward: 'Dalej',
  forwardHint: 'Następna strona (Alt+Prawo)',
  page: 'Strona pomocy',
  listed: 'Rozkazy bieżącej listy',
  unreadable: 'Nie udało się wczytać tej strony pomocy.',
};

function element<K extends keyof HTMLElementTagNameMap>(tag: K, properties: NoInfer<Partial<HTMLElementTagNameMap[K]>> = {}, ...children: (Node | string)[]): HTMLElementTagNameMap[K] {
  const made = document.createElement(tag);
  Object.assign(made, properties);
  made.append(...children);
  return made;
}

export interface MachineWidths {
  addressBits: number;
  codeBits: number;
}

export class HelpPanel {
  readonly root: HTMLElement;
  private readonly contents = element('nav', { className: 'help-contents' });
  private readonly searchField = element('input', { type: 'search', autocomplete: 'off' });
  private readonly results = element('ul', { className: 'help-results' });
  private readonly article = element('article', { className: 'help-page', tabIndex: 0 });
  private readonly backButton = element('button', { type: 'button', textContent: say.back, title: say.backHint, disabled: true });
  private readonly forwardButton = element('button', { type: 'button', textContent: say.forward, title: say.forwardHint, disabled: true });
  private readonly tabs: HTMLButtonElement[] = [];
  private readonly tabPanels: HTMLElement[] = [];
  private index: Promise<HelpIndex> | null = null;
  private readonly pages = new Map<string, Promise<Document>>();
  private instructions: ListedInstruction[] = [];
  private visited: HelpPlace[] = [];
  private at = -1;
  private rendering = 0;
  private returnTo: HTMLElement | null = null;
  private lastFocused: HTMLElement | null = null;

  // The machine's widths tell an instruction's word and whether its code
  // fits; the page asks the engine for them.
  constructor(
    private readonly widths: () => Promise<MachineWidths>,
    private readonly folder = 'help/',
  ) {
    this.root = this.build();
    document.body.append(this.root);
    document.addEventListener('focusin', (event) => {
      const target = event.target as HTMLElement;
      if (!this.root.contains(target) && !target.closest('[role=menubar], [role=menu]')) this.lastFocused = target;
    });
  }

  get isOpen(): boolean {
    return !this.root.hidden;
  }

  async showContents(): Promise<void> {
    this.open();
    this.selectTab(0);
    await this.go({ file: 'index.html' });
    this.article.focus();
  }

  async showSearch(): Promise<void> {
    this.open();
    this.selectTab(1);
    this.searchField.focus();
    this.searchField.select();
    // Beside the search, the contents page until a topic is picked.
    if (this.at < 0) await this.go({ file: 'index.html' });
  }

  // The word's topic; false when it has none (the desktop then shows the contents).
  async showWord(word: string): Promise<boolean> {
    const index = await this.indexOrNone();
    if (!index) return false;
    const topic = findTopic(index, this.instructions, word);
    if (topicEmpty(topic)) return false;
    this.open();
    await this.go({ word: topic.word });
    this.article.focus();
    return true;
  }

  // The list changed: its instructions in the contents, the search, and an
  // instruction's entry shown now, which may describe one replaced or gone.
  setInstructions(list: readonly ListedInstruction[]): void {
    this.instructions = list.map(({ name, lines }) => ({ name, lines }));
    if (!this.index) return;
    void this.fillContents();
    if (this.searchField.value) void this.search();
    const shown = this.visited[this.at];
    if (this.isOpen && shown && 'word' in shown) void this.render(shown);
  }

  close(): void {
    if (!this.isOpen) return;
    this.root.hidden = true;
    const back = this.returnTo;
    this.returnTo = null;
    if (back?.isConnected) back.focus();
  }

  private open(): void {
    // Opened again from beside it: the keyboard goes back there on Escape;
    // opened from a menu, back where it was before the menu.
    if (!this.root.contains(document.activeElement)) this.returnTo = this.lastFocused;
    this.root.hidden = false;
    void this.fillContents();
  }

  private build(): HTMLElement {
    const heading = element('h2', { id: 'help-title', textContent: say.heading });
    const closeButton = element('button', { type: 'button', className: 'help-close', textContent: '×', title: say.close });
    closeButton.setAttribute('aria-label', say.close);
    closeButton.addEventListener('click', () => this.close());
    const root = element('section', { id: 'help', className: 'help-panel', hidden: true });
    root.setAttribute('role', 'dialog');
    root.setAttribute('aria-labelledby', heading.id);
    root.append(element('div', { className: 'help-head' }, heading, closeButton), element('div', { className: 'help-body' }, this.buildSide(), this.buildMain()));
    root.addEventListener('keydown', (event) => this.key(event));
    return root;
  }

  private buildSide(): HTMLElement {
    const tabList = element('div', { className: 'help-tabs' });
    tabList.setAttribute('role', 'tablist');
    tabList.setAttribute('aria-label', say.tabs);
    const prompt = element('label', { className: 'help-prompt' }, say.prompt, this.searchField);
    this.results.setAttribute('aria-label', say.results);
    this.searchField.addEventListener('input', () => void this.search());
    this.searchField.addEventListener('keydown', (event) => {
      if (event.key !== 'Enter') return;
      event.preventDefault();
      this.results.querySelector('a')?.click();
    });
    this.contents.setAttribute('aria-label', say.contents);
    const bodies = [element('div', {}, this.contents), element('div', { className: 'help-search' }, prompt, this.results)];
    [say.contentsTab, say.searchTab].forEach((caption, k) => {
      const tab = element('button', { type: 'button', id: `help-tab-${k}`, textContent: caption });
      tab.setAttribute('role', 'tab');
      tab.addEventListener('click', () => this.selectTab(k));
      const body = bodies[k]!;
      body.id = `help-tab-body-${k}`;
      body.setAttribute('role', 'tabpanel');
      body.setAttribute('aria-labelledby', tab.id);
      tab.setAttribute('aria-controls', body.id);
      this.tabs.push(tab);
      this.tabPanels.push(body);
    });
    tabList.append(...this.tabs);
    tabList.addEventListener('keydown', (event) => {
      if ((event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') || event.altKey) return;
      const count = this.tabs.length;
      const next = (this.tabs.indexOf(document.activeElement as HTMLButtonElement) + (event.key === 'ArrowRight' ? 1 : -1) + count) % count;
      this.selectTab(next);
      this.tabs[next]!.focus();
    });
    this.selectTab(0);
    this.contents.addEventListener('click', (event) => void this.follow(event));
    this.results.addEventListener('click', (event) => void this.follow(event, () => this.markFound(this.searchField.value)));
    return element('div', { className: 'help-side' }, tabList, ...bodies);
  }

  private buildMain(): HTMLElement {
    const home = element('button', { type: 'button', textContent: say.contents });
    this.backButton.addEventListener('click', () => void this.step(-1));
    this.forwardButton.addEventListener('click', () => void this.step(1));
    home.addEventListener('click', () => void this.showContents());
    const bar = element('div', { className: 'help-bar' }, this.backButton, this.forwardButton, home);
    bar.setAttribute('role', 'toolbar');
    bar.setAttribute('aria-label', say.heading);
    this.article.setAttribute('aria-label', say.page);
    this.article.addEventListener('click', (event) => void this.follow(event));
    return element('div', { className: 'help-main' }, bar, this.article);
  }

  private selectTab(k: number): void {
    this.tabs.forEach((tab, i) => {
      tab.setAttribute('aria-selected', String(i === k));
      tab.tabIndex = i === k ? 0 : -1;
      this.tabPanels[i]!.hidden = i !== k;
    });
  }

  private key(event: KeyboardEvent): void {
    if (event.key === 'Escape') {
      event.stopPropagation();
      // Escape in a filled search field empties it first, as the browser does.
      if (event.target === this.searchField && this.searchField.value) return;
      event.preventDefault();
      this.close();
    } else if (event.altKey && (event.key === 'ArrowLeft' || event.key === 'ArrowRight')) {
      // Never the browser's own meaning: that would leave the page.
      event.preventDefault();
      void this.step(event.key === 'ArrowLeft' ? -1 : 1);
    }
  }

  // A link of the help followed inside the panel; any other one opens in a
  // tab of its own.
  private async follow(event: MouseEvent, then: () => void = () => {}): Promise<void> {
    const link = (event.target as Element).closest('a');
    if (!link || event.ctrlKey || event.shiftKey || event.metaKey || event.button !== 0) return;
    const { helpFile, helpWord } = link.dataset;
    if (helpFile === undefined && helpWord === undefined) return;
    event.preventDefault();
    if (await this.go(helpWord !== undefined ? { word: helpWord } : { file: helpFile! })) then();
  }

  // Where the text searched for first stands on the page opened, marked, so
  // that the reader sees why it was found.
  private markFound(query: string): void {
    const word = lowerCase(query.trim()).split(/\s+/)[0];
    if (!word) return;
    const walker = document.createTreeWalker(this.article, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode() as Text | null; node; node = walker.nextNode() as Text | null) {
      const at = lowerCase(node.data).indexOf(word);
      if (at < 0) continue;
      const range = document.createRange();
      range.setStart(node, at);
      range.setEnd(node, at + word.length);
      const mark = element('mark', { className: 'help-found' });
      range.surroundContents(mark);
      mark.scrollIntoView({ block: 'center' });
      return;
    }
  }

  private async step(by: number): Promise<void> {
    const to = this.at + by;
    if (to < 0 || to >= this.visited.length) return;
    this.at = to;
    await this.render(this.visited[to]!);
  }

  // True once the place is shown, false when a later step overtook it.
  private async go(place: HelpPlace): Promise<boolean> {
    const shown = this.visited[this.at];
    // The same place asked again is shown anew (the list may have changed).
    if (!shown || JSON.stringify(shown) !== JSON.stringify(place)) {
      this.visited = [...this.visited.slice(0, this.at + 1), place];
      this.at = this.visited.length - 1;
    }
    return this.render(place);
  }

  private async render(place: HelpPlace): Promise<boolean> {
    const turn = ++this.rendering;
    this.backButton.disabled = this.at <= 0;
    this.forwardButton.disabled = this.at >= this.visited.length - 1;
    let shown: Node[];
    try {
      shown = 'file' in place ? await this.pageBody(place.file) : await this.topicBody(findTopic(await this.loadIndex(), this.instructions, place.word));
    } catch {
      shown = [element('p', { textContent: say.unreadable })];
    }
    // A later step has overtaken this one.
    if (turn !== this.rendering) return false;
    this.article.replaceChildren(...shown);
    this.article.scrollTop = 0;
    await this.markInContents();
    return true;
  }

  private loadIndex(): Promise<HelpIndex> {
    this.index ??= fetch(`${this.folder}tematy.json`).then((response) => {
      if (!response.ok) throw new Error(response.statusText);
      return response.json() as Promise<HelpIndex>;
    });
    // Unread (offline before the page was kept): tried again next time.
    this.index.catch(() => (this.index = null));
    return this.index;
  }

  // The index, or none while it cannot be read: the page says so where the
  // help would stand.
  private indexOrNone(): Promise<HelpIndex | null> {
    return this.loadIndex().catch(() => null);
  }

  private async pageBody(file: string): Promise<Node[]> {
    const page = this.pages.get(file) ?? this.readPage(file);
    this.pages.set(file, page);
    page.catch(() => this.pages.delete(file));
    const body = (await page).body.cloneNode(true) as HTMLElement;
    body.querySelectorAll('script').forEach((script) => script.remove());
    this.linksOf(body, file);
    return [...body.childNodes].map((node) => document.adoptNode(node));
  }

  private async readPage(file: string): Promise<Document> {
    const response = await fetch(this.folder + file);
    if (!response.ok) throw new Error(response.statusText);
    return new DOMParser().parseFromString(await response.text(), 'text/html');
  }

  // Every link marked for where it leads: a topic, a page of the help, or
  // elsewhere (a tab of its own, which cannot reach back into this one).
  private linksOf(body: HTMLElement, file: string): void {
    const folder = new URL(this.folder, document.baseURI);
    const pageUrl = new URL(file, folder);
    for (const link of body.querySelectorAll('a[href]')) {
      if (!(link instanceof HTMLAnchorElement)) continue;
      const target = new URL(link.getAttribute('href')!, pageUrl);
      link.href = target.href;
      if (link.dataset.temat !== undefined) link.dataset.helpWord = link.dataset.temat;
      else if (target.origin === folder.origin && target.pathname.startsWith(folder.pathname) && target.pathname.endsWith('.html'))
        link.dataset.helpFile = target.pathname.slice(folder.pathname.length);
      else if (!target.hash || target.pathname !== pageUrl.pathname) {
        link.target = '_blank';
        link.rel = 'noopener';
      }
    }
  }

  // The instruction's entry and every bundled entry of the word, one under
  // another; a word with no topic any more (an instruction removed) says so.
  private async topicBody(topic: Topic): Promise<Node[]> {
    const parts: Node[][] = [];
    if (topic.code >= 0) parts.push(await this.instructionEntry(topic.code));
    for (const entry of topic.entries) parts.push(await this.pageBody(entry.file));
    if (parts.length === 0) {
      return [element('h1', { textContent: 'Brak hasła' }), element('p', { textContent: `Słowo „${topic.word}” nie ma hasła w pomocy. Może rozkaz o tej nazwie usunięto z listy rozkazów albo wczytano inną listę.` })];
    }
    const joined: Node[] = parts.length > 1 ? [element('p', {}, element('i', { textContent: `Słowo „${topic.word}” ma kilka znaczeń; poniżej wszystkie.` }))] : [];
    parts.forEach((part, k) => joined.push(...(k > 0 ? [element('hr')] : []), ...part));
    return joined;
  }

  private async instructionEntry(code: number): Promise<Node[]> {
    const instruction = this.instructions[code]!;
    const see = (file: string, caption: string) => this.placeLink(caption, { file });
    const links = [see('jezyk.html', 'język opisu rozkazów'), see('lista.html', 'lista rozkazów'), see('asembler.html', 'asembler')];
    const widths = await this.widths().catch(() => null);
    return [
      element('h1', { textContent: `Rozkaz ${instruction.name}` }),
      element('p', {}, 'Rozkaz bieżącej listy rozkazów. Kod operacji: ', element('b', { textContent: String(code) }), '.'),
      ...(widths ? [wordOfInstruction(code, widths)] : []),
      element('h2', { textContent: 'Treść mikroprogramu' }),
      element('pre', { textContent: instruction.lines.join('\n') }),
      element('p', {}, 'Zobacz też: ', links[0]!, ', ', links[1]!, ', ', links[2]!, '.'),
    ];
  }

  private async fillContents(): Promise<void> {
    const index = await this.indexOrNone();
    if (!index) return;
    const item = (caption: string, place: HelpPlace, children: HTMLElement[] = []) =>
      element('li', {}, this.placeLink(caption, place), ...(children.length ? [element('ul', {}, ...children)] : []));
    const entry = (page: HelpPage) => item(page.title, placeOf(page));
    const chapters = contentsOf(index).map(({ chapter, entries }) => {
      const children = entries.map(entry);
      if (chapter.file === listChapter) children.push(item(say.listed, { file: listChapter }, this.instructions.map((instruction, code) => item(`${code} ${instruction.name}`, { word: instruction.name }))));
      return item(chapter.title, { file: chapter.file }, children);
    });
    this.contents.replaceChildren(element('ul', {}, ...chapters));
    await this.markInContents();
  }

  // The place shown, marked in the contents as the desktop selects it.
  private async markInContents(): Promise<void> {
    const place = this.visited[this.at];
    if (!place) return;
    const index = await this.indexOrNone();
    if (!index) return;
    const shown = shownBy(index, this.instructions, place);
    let marked: HTMLElement | null = null;
    for (const link of this.contents.querySelectorAll<HTMLAnchorElement>('a')) {
      const { helpFile, helpWord } = link.dataset;
      const here = !marked && shownBy(index, this.instructions, helpWord !== undefined ? { word: helpWord } : { file: helpFile! }) === shown;
      if (here) marked = link;
      if (here) link.setAttribute('aria-current', 'page');
      else link.removeAttribute('aria-current');
    }
    if (marked && this.isOpen && !this.tabPanels[0]!.hidden) marked.scrollIntoView({ block: 'nearest' });
  }

  private async search(): Promise<void> {
    const query = this.searchField.value;
    const index = await this.indexOrNone();
    const found = index ? searchHelp(index, this.instructions, query) : [];
    // Typed on meanwhile: a later search shows its own.
    if (query !== this.searchField.value) return;
    const items = found.map(({ caption, place }) => element('li', {}, this.placeLink(caption, place)));
    if (items.length === 0 && query.trim()) items.push(element('li', { className: 'none', textContent: say.nothing }));
    this.results.replaceChildren(...items);
  }

  // A link the panel follows itself; its address serves a new tab.
  private placeLink(caption: string, place: HelpPlace): HTMLAnchorElement {
    const link = element('a', { href: this.folder + ('file' in place ? place.file : 'index.html'), textContent: caption });
    if ('file' in place) link.dataset.helpFile = place.file;
    else link.dataset.helpWord = place.word;
    return link;
  }
}

// The instruction's word at the machine's widths, or why it has none yet:
// its code beyond what the code bits hold.
function wordOfInstruction(code: number, { addressBits, codeBits }: MachineWidths): HTMLElement {
  const capacity = 2 ** codeBits;
  if (code < capacity) {
    return element('p', {}, `Przy ${addressBits} bitach adresu słowo tego rozkazu ma wartość ${code}·2`, element('sup', { textContent: String(addressBits) }), ` + adres = ${code * 2 ** addressBits} + adres.`);
  }
  return element(
    'p',
    {},
    element('b', { textContent: 'Rozkaz jest na razie niedostępny.' }),
    ` Przy ${codeBits} bitach kodu maszyna ma tylko ${capacity} kodów operacji (0–${capacity - 1}), a ten rozkaz stoi na pozycji ${code}. ` +
      'Asembler go nie przyjmie (błąd „Oczekiwany rozkaz”), dopóki w oknie opcji projektu nie zwiększysz liczby bitów kodu albo nie usuniesz rozkazów przed nim.',
  );
}

// The word at the caret of an editor, for F1.
export function caretWord(view: EditorView): string {
  const head = view.state.selection.main.head;
  const line = view.state.doc.lineAt(head);
  return wordAt(line.text, head - line.from);
}

// The header's "Pomoc" opens the panel; a new tab still opens the page
// alone when asked for (the middle button, Ctrl).
export function attachHelpLink(link: HTMLAnchorElement, help: HelpPanel): void {
  link.addEventListener('click', (event) => {
    if (event.ctrlKey || event.shiftKey || event.metaKey || event.button !== 0) return;
    event.preventDefault();
    void help.showContents();
  });
}
