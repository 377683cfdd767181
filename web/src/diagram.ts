// The machine diagram as SVG, drawn from the engine's layout table (the one
// the desktop draws from) and refreshed from each view.
import type { ItemView, LayoutItem, View } from './protocol';
import { isContextMenuKey, type Opener } from './menu';

const svgNs = 'http://www.w3.org/2000/svg';
export const diagramWidth = 816;
export const diagramHeight = 477;
// Rows of the memory box: its height less the frame, one row per 18 units;
// its columns (address, word, code) as wide as "65535  ".
const memoryRowHeight = 18;
const memoryColumn = 48;
const scrollBarWidth = 16;

function element<K extends keyof SVGElementTagNameMap>(
  name: K,
  attributes: Record<string, string | number> = {},
): SVGElementTagNameMap[K] {
  const e = document.createElementNS(svgNs, name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, String(value));
  return e;
}

// What the page does when a student clicks an item.
export interface DiagramActions {
  enterRegister(id: number, caption: string): void;
  enterMemory(address: number): void;
  toggleSignal(id: number): void;
  // Context menus: a register's, and the diagram's own ("Wyczyść pamięć").
  registerMenu(id: number, opener: Opener, at?: { x: number; y: number }): void;
  diagramMenu(opener: Opener, at?: { x: number; y: number }): void;
}

interface Drawn {
  item: LayoutItem;
  group: SVGGElement;
  text?: SVGTextElement;
}

export class MachineDiagram {
  readonly svg: SVGSVGElement;
  private readonly drawn: Drawn[] = [];
  private readonly memoryRows: SVGTextElement[] = [];
  private memoryFirst = 0;
  private memorySize = 0;
  private scrollBar: { bar: SVGGElement; thumb: SVGRectElement; top: number; height: number } | null = null;

  constructor(layout: LayoutItem[], private readonly actions: DiagramActions) {
    this.svg = element('svg', {
      viewBox: `0 0 ${diagramWidth} ${diagramHeight}`,
      role: 'group',
      'aria-label': 'Schemat maszyny',
      class: 'diagram',
    });
    for (const item of layout) this.drawn.push(this.draw(item));
    this.attachRoving();
    this.svg.addEventListener('contextmenu', (event) => {
      event.preventDefault();
      this.actions.diagramMenu(this.svg, { x: event.clientX, y: event.clientY });
    });
  }

  // The registers the machine shows, by the engine's numbers and captions.
  get registers(): { id: number; caption: string }[] {
    return this.drawn
      .filter((d) => d.item.kind === 'register' && d.group.style.display !== 'none')
      .map((d) => ({ id: d.item.id, caption: d.item.name.replace(/^Register/, '') }));
  }

  // How many memory rows the box shows.
  get visibleRows(): number {
    const memory = this.drawn.find((d) => d.item.kind === 'memory');
    return memory ? Math.floor((memory.item.height - 2) / memoryRowHeight) : 0;
  }

  update(view: View): void {
    // The cycle shown, for whoever waits for one (a test, a tool).
    this.svg.dataset['cycles'] = String(view.cycles);
    view.items.forEach((state, index) => {
      const drawn = this.drawn[index];
      if (drawn) this.show(drawn, state);
    });
    queueMicrotask(() => this.keepTabStop());
    if (this.memorySize !== view.memorySize) {
      this.memorySize = view.memorySize;
      // A smaller memory: the view comes back within it.
      this.scrollBy(0);
    }
    this.memoryRows.forEach((row, index) => {
      const text = view.memory[index] ?? '';
      if (row.getAttribute('aria-label') === text) return;
      row.setAttribute('aria-label', text);
      row.style.display = text ? '' : 'none';
      // "address  word  code": the code itself holds single blanks only.
      const columns = text.split('  ');
      row.querySelectorAll('tspan').forEach((span, column) => (span.textContent = columns[column] ?? ''));
    });
  }

  // The first memory row shown; the page asks the worker for those rows.
  private scrollMemory(delta: number): number {
    const last = Math.max(0, this.memorySize - this.visibleRows);
    this.memoryFirst = Math.min(Math.max(this.memoryFirst + delta, 0), last);
    return this.memoryFirst;
  }

  private show(drawn: Drawn, state: ItemView): void {
    const { group, item } = drawn;
    group.style.display = state.shown ? '' : 'none';
    if (item.kind === 'memory' && this.scrollBar) this.scrollBar.bar.style.display = group.style.display;
    group.classList.toggle('active', state.active);
    if (drawn.text && drawn.text.textContent !== state.text) drawn.text.textContent = state.text;
    if (item.kind === 'wire') return;
    if (group.getAttribute('aria-label') !== state.text) group.setAttribute('aria-label', state.text);
    if (item.kind === 'signal') {
      group.setAttribute('aria-checked', String(state.active));
      group.classList.toggle('impulse', state.impulse === true);
    }
  }

  private draw(item: LayoutItem): Drawn {
    const group = element('g', { class: item.kind, 'data-name': item.name });
    this.svg.append(group);
    switch (item.kind) {
      case 'register':
        return this.drawRegister(item, group);
      case 'bus':
        group.append(element('rect', { x: item.x, y: item.y, width: item.width, height: item.height, rx: 2 }));
        group.setAttribute('role', 'img');
        return { item, group };
      case 'memory':
        return this.drawMemory(item, group);
      case 'alu':
        group.append(element('rect', { x: item.x + 0.5, y: item.y + 0.5, width: item.width - 1, height: item.height - 1 }));
        group.setAttribute('role', 'img');
        group.setAttribute('aria-label', 'JAL');
        return { item, group };
      case 'signal':
        return this.drawSignal(item, group);
      case 'wire':
        this.drawWire(item, group);
        group.setAttribute('aria-hidden', 'true');
        return { item, group };
    }
  }

  private drawRegister(item: LayoutItem, group: SVGGElement): Drawn {
    group.append(element('rect', { x: item.x + 0.5, y: item.y + 0.5, width: item.width - 1, height: item.height - 1 }));
    const text = element('text', { x: item.x + item.width / 2, y: item.y + item.height / 2, 'text-anchor': 'middle', 'dominant-baseline': 'central' });
    group.append(text);
    this.clickable(group, 'button', () => this.actions.enterRegister(item.id, text.textContent ?? ''));
    group.setAttribute('aria-haspopup', 'menu');
    group.addEventListener('contextmenu', (event) => {
      event.preventDefault();
      event.stopPropagation();
      this.actions.registerMenu(item.id, group, { x: event.clientX, y: event.clientY });
    });
    group.addEventListener('keydown', (event) => {
      if (!isContextMenuKey(event)) return;
      event.preventDefault();
      event.stopPropagation();
      this.actions.registerMenu(item.id, group);
    });
    return { item, group, text };
  }

  private drawMemory(item: LayoutItem, group: SVGGElement): Drawn {
    group.append(element('rect', { x: item.x + 0.5, y: item.y + 0.5, width: item.width - 1, height: item.height - 1 }));
    group.setAttribute('role', 'list');
    for (let row = 0; row < Math.floor((item.height - 2) / memoryRowHeight); ++row) {
      const text = element('text', { y: item.y + 2 + row * memoryRowHeight + memoryRowHeight / 2, 'dominant-baseline': 'central', class: 'row' });
      for (let column = 0; column < 3; ++column) text.append(element('tspan', { x: item.x + 5 + column * memoryColumn }));
      const address = () => this.memoryFirst + row;
      this.clickable(text, 'listitem', () => this.actions.enterMemory(address()), false);
      text.addEventListener('keydown', (event) => {
        if (!isContextMenuKey(event)) return;
        event.preventDefault();
        this.actions.diagramMenu(text);
      });
      this.memoryRows.push(text);
      group.append(text);
    }
    // A click anywhere on a row's stripe, not only on its letters, as on
    // the desktop, which reads the row from where the pointer is.
    group.addEventListener('click', (event) => {
      const point = this.svg.createSVGPoint();
      point.x = event.clientX;
      point.y = event.clientY;
      const y = point.matrixTransform(this.svg.getScreenCTM()?.inverse()).y;
      const row = Math.floor((y - item.y - 2) / memoryRowHeight);
      if (event.target instanceof Element && event.target.closest('.scrollbar')) return;
      if (row >= 0 && row < this.memoryRows.length && this.memoryFirst + row < this.memorySize) this.actions.enterMemory(this.memoryFirst + row);
    });
    group.addEventListener('wheel', (event) => {
      event.preventDefault();
      this.scrollBy(Math.sign(event.deltaY) * 3);
    });
    this.drawScrollBar(item, group);
    return { item, group };
  }

  // The scroll bar beside the memory, as on the desktop: its track pages, its
  // thumb drags, and with the keyboard the arrows, Page Up/Down, Home, End.
  private drawScrollBar(item: LayoutItem, memory: SVGGElement): void {
    const x = item.x + item.width - scrollBarWidth - 1;
    const top = item.y + 1;
    const height = item.height - 2;
    const bar = element('g', { class: 'scrollbar', role: 'scrollbar', tabindex: 0, 'aria-label': 'Przewijanie pamięci', 'aria-orientation': 'vertical', 'aria-valuemin': 0 });
    const track = element('rect', { x, y: top, width: scrollBarWidth, height, class: 'track' });
    const thumb = element('rect', { x: x + 2, y: top, width: scrollBarWidth - 4, height, rx: 2, class: 'thumb' });
    bar.append(track, thumb);
    // Beside the memory's list, not in it: a list holds only its rows.
    memory.id = 'memory-rows';
    bar.setAttribute('aria-controls', memory.id);
    memory.after(bar);
    this.scrollBar = { bar, thumb, top, height };
    const page = () => Math.max(1, this.visibleRows - 1);
    bar.addEventListener('click', (event) => {
      event.stopPropagation();
      if (event.target !== track) return;
      const thumbTop = Number(thumb.getAttribute('y'));
      this.scrollBy(this.toDiagramY(event.clientY) < thumbTop ? -page() : page());
    });
    bar.addEventListener('keydown', (event) => {
      const steps: Record<string, number> = { ArrowDown: 1, ArrowUp: -1, PageDown: page(), PageUp: -page(), Home: -this.memorySize, End: this.memorySize };
      const step = steps[event.key];
      if (step === undefined) return;
      event.preventDefault();
      this.scrollBy(step);
    });
    thumb.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      thumb.setPointerCapture(event.pointerId);
      const startY = this.toDiagramY(event.clientY);
      const startFirst = this.memoryFirst;
      const move = (moved: PointerEvent) => {
        const rows = Math.round(((this.toDiagramY(moved.clientY) - startY) / height) * this.memorySize);
        this.scrollBy(startFirst + rows - this.memoryFirst);
      };
      const release = () => {
        thumb.removeEventListener('pointermove', move);
        thumb.removeEventListener('pointerup', release);
      };
      thumb.addEventListener('pointermove', move);
      thumb.addEventListener('pointerup', release);
    });
  }

  private toDiagramY(clientY: number): number {
    const point = this.svg.createSVGPoint();
    point.y = clientY;
    return point.matrixTransform(this.svg.getScreenCTM()?.inverse()).y;
  }

  // Scrolls the memory view; the page asks the worker for the rows shown.
  private scrollBy(delta: number): void {
    const before = this.memoryFirst;
    this.scrollMemory(delta);
    this.showScrollBar();
    if (this.memoryFirst !== before || delta === 0)
      this.svg.dispatchEvent(new CustomEvent('memoryscroll', { detail: this.memoryFirst }));
  }

  private showScrollBar(): void {
    if (!this.scrollBar) return;
    const { bar, thumb, top, height } = this.scrollBar;
    const last = Math.max(0, this.memorySize - this.visibleRows);
    const shown = this.memorySize > 0 ? Math.min(1, this.visibleRows / this.memorySize) : 1;
    const thumbHeight = Math.max(12, height * shown);
    thumb.setAttribute('height', String(thumbHeight));
    thumb.setAttribute('y', String(top + (last > 0 ? ((height - thumbHeight) * this.memoryFirst) / last : 0)));
    bar.setAttribute('aria-valuemax', String(last));
    bar.setAttribute('aria-valuenow', String(this.memoryFirst));
    bar.setAttribute('aria-valuetext', `adres ${this.memoryFirst}`);
  }

  private drawSignal(item: LayoutItem, group: SVGGElement): Drawn {
    const middle = item.y + Math.floor(item.height / 2);
    // The whole box takes the click, as on the desktop, not the letters alone.
    group.append(element('rect', { x: item.x, y: item.y, width: item.width, height: item.height, class: 'hit' }));
    const text = element('text', {
      x: item.right ? item.x : item.x + item.width,
      y: middle,
      'text-anchor': item.right ? 'start' : 'end',
      'dominant-baseline': 'central',
    });
    group.append(text);
    // The line from the caption to the outer end; its length follows the
    // caption once it is drawn.
    const line = element('line', { y1: middle, y2: middle });
    const end = item.right ? item.x + item.width : item.x;
    const inward = item.right ? -1 : 1;
    const impulse = element('path', { d: `M${end},${middle} l${inward * 7},-2 v4 z`, class: 'impulse-mark' });
    const level = element('line', { x1: end + inward * 5, x2: end + inward * 5, y1: middle - 3, y2: middle + 3, class: 'level-mark' });
    group.append(line, impulse, level);
    const placeLine = () => {
      const width = text.getComputedTextLength?.() ?? 20;
      if (item.right) {
        line.setAttribute('x1', String(item.x + width + 2));
        line.setAttribute('x2', String(item.x + item.width));
      } else {
        line.setAttribute('x1', String(item.x));
        line.setAttribute('x2', String(item.x + item.width - width - 2));
      }
    };
    new MutationObserver(placeLine).observe(text, { childList: true, characterData: true, subtree: true });
    this.clickable(group, 'checkbox', () => this.actions.toggleSignal(item.id));
    return { item, group, text };
  }

  private drawWire(item: LayoutItem, group: SVGGElement): void {
    if (item.horizontal) {
      group.append(element('line', { x1: item.x + 5, y1: item.y, x2: item.x + item.width, y2: item.y }));
      return;
    }
    const x = item.x + 5;
    const top = item.y;
    const bottom = item.y + item.height;
    group.append(element('line', { x1: x, y1: top, x2: x, y2: bottom }));
    if (item.arrow === 'none') return;
    const tip = item.arrow === 'start' ? top : bottom;
    const back = item.arrow === 'start' ? 5 : -5;
    group.append(element('polyline', { points: `${x - 4},${tip + back} ${x},${tip} ${x + 4},${tip + back}`, fill: 'none' }));
  }

  // The diagram is one stop of Tab: the item last reached (the first at
  // the start) takes it, and the arrows go along the registers, then the
  // signals, then the memory rows; Home and End to either end.
  private attachRoving(): void {
    this.svg.addEventListener('focusin', (event) => {
      if (this.reachable().includes(event.target as SVGElement)) this.makeTabStop(event.target as SVGElement);
    });
    this.svg.addEventListener('keydown', (event) => {
      const items = this.reachable();
      const at = items.indexOf(event.target as SVGElement);
      if (at < 0) return;
      const next = this.rovedTo(event.key, at, items);
      if (next === null) return;
      event.preventDefault();
      this.makeTabStop(next);
      next.focus();
    });
    this.keepTabStop();
  }

  // The items the keyboard reaches, in its order: those shown only.
  private reachable(): SVGElement[] {
    const ofKind = (kind: LayoutItem['kind']) => this.drawn.filter((d) => d.item.kind === kind && d.group.style.display !== 'none').map((d) => d.group);
    const rows = this.memoryRows.filter((row) => row.style.display !== 'none' && row.getAttribute('aria-label'));
    return [...ofKind('register'), ...ofKind('signal'), ...rows];
  }

  // Where a key moves from the item at `at`; past the memory's first or
  // last row shown, the memory scrolls and the keyboard stays on its row.
  private rovedTo(key: string, at: number, items: SVGElement[]): SVGElement | null {
    const current = items[at]!;
    const row = this.memoryRows.indexOf(current as SVGTextElement);
    const forward = key === 'ArrowDown' || key === 'ArrowRight';
    const backward = key === 'ArrowUp' || key === 'ArrowLeft';
    if (row >= 0 && forward && at === items.length - 1 && this.memoryFirst + row + 1 < this.memorySize) {
      this.scrollBy(1);
      return current;
    }
    if (row === 0 && backward && this.memoryFirst > 0) {
      this.scrollBy(-1);
      return current;
    }
    if (row >= 0 && (key === 'PageDown' || key === 'PageUp')) {
      this.scrollBy((key === 'PageDown' ? 1 : -1) * Math.max(1, this.visibleRows - 1));
      return current;
    }
    if (forward) return items[(at + 1) % items.length]!;
    if (backward) return items[(at + items.length - 1) % items.length]!;
    if (key === 'Home') return items[0]!;
    if (key === 'End') return items[items.length - 1]!;
    return null;
  }

  private makeTabStop(target: SVGElement): void {
    for (const item of this.svg.querySelectorAll('[data-roving]')) item.setAttribute('tabindex', item === target ? '0' : '-1');
  }

  // An item hidden (a register the machine lacks, a row past the memory's
  // end) hands the stop to the first item shown.
  private keepTabStop(): void {
    const items = this.reachable();
    const stop = items.find((item) => item.getAttribute('tabindex') === '0');
    if (stop || items.length === 0) return;
    const focused = document.activeElement;
    this.makeTabStop(items[0]!);
    if (focused instanceof SVGElement && this.svg.contains(focused) && focused.hasAttribute('data-roving')) items[0]!.focus();
  }

  private clickable(target: SVGElement, role: string, act: () => void, byClick = true): void {
    target.setAttribute('role', role);
    target.setAttribute('data-roving', '');
    target.setAttribute('tabindex', '-1');
    if (byClick) target.addEventListener('click', act);
    target.addEventListener('keydown', (event) => {
      const key = (event as KeyboardEvent).key;
      if (key === 'Enter' || key === ' ') {
        event.preventDefault();
        act();
      }
    });
  }
}
