// "Przebiegi czasowe": the recorded cycles as a timing diagram in SVG, a
// lane for each signal active in them, each bus and each register chosen;
// cycle numbers on a ruler, the instructions' starts as labelled lines, the
// current cycle marked and those after it (stepped back over) faded. Drawn
// only while the panel is in sight, and only the cycles near the view: two
// thousand cycles drawn whole would make every scroll and zoom crawl.
import type { Timing } from './protocol';

const svgNs = 'http://www.w3.org/2000/svg';
const defaultCellWidth = 44;
const minCellWidth = 14;
const maxCellWidth = 320;
const zoomStep = 1.25;
const laneHeight = 22;
const rulerHeight = 38;
const nameWidth = 64;
const pad = 4;

function element<K extends keyof SVGElementTagNameMap>(name: K, attributes: Record<string, string | number> = {}, text?: string): SVGElementTagNameMap[K] {
  const e = document.createElementNS(svgNs, name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, String(value));
  if (text !== undefined) e.textContent = text;
  return e;
}

// Runs of equal values in a lane: cycles [first, end).
export function valueRuns(values: (number | null)[]): { first: number; end: number; value: number | null }[] {
  const runs: { first: number; end: number; value: number | null }[] = [];
  values.forEach((value, index) => {
    const last = runs[runs.length - 1];
    if (last && last.value === value) last.end = index + 1;
    else runs.push({ first: index, end: index + 1, value });
  });
  return runs;
}

// What a lane shows in a cycle, in words: «AK = 12», «mag A: bez wartości».
function spokenValue(timing: Timing, lane: number, cycle: number): string {
  const { name } = timing.lanes[lane]!;
  const value = timing.cycles[cycle]!.values[lane] ?? null;
  return value === null ? `${name}: bez wartości` : `${name} = ${timing.cycles[cycle]!.texts[lane] ?? value}`;
}

// The instruction a cycle belongs to: the one the last fetch up to it brought in.
export function instructionOf(timing: Timing, index: number): string {
  for (let k = index; k >= 0; --k) if (timing.cycles[k]!.instruction) return timing.cycles[k]!.instruction;
  return '';
}

// The picked cycle in words, for a screen reader: its number, instruction,
// where it stands against the current one, what Enter does, its signals and values.
export function spokenCycle(timing: Timing, index: number): string {
  const cycle = timing.cycles[index]!;
  const instruction = instructionOf(timing, index);
  let text = `Takt ${cycle.number}${instruction ? `, rozkaz ${instruction}` : ''}`;
  if (index === timing.current) text += ', bieżący';
  else if (index > timing.current) text += ', cofnięty; Enter wykona takty aż do niego';
  else text += '; Enter cofnie do jego końca';
  const signals = timing.lanes.flatMap((lane, l) => (lane.kind === 'signal' && cycle.values[l] ? [lane.name] : []));
  text += signals.length > 0 ? `. Aktywne sygnały: ${signals.join(', ')}` : '. Żaden sygnał nie jest aktywny';
  const values = timing.lanes.flatMap((lane, l) => (lane.kind === 'signal' ? [] : [spokenValue(timing, l, index)]));
  return `${text}${values.length > 0 ? `; ${values.join('; ')}` : ''}.`;
}

// Cycles [first, end) drawn with cycle k's column at origin + k × cell.
interface Frame {
  first: number;
  end: number;
  origin: number;
  cell: number;
}

export class TimingPanel {
  readonly svg: SVGSVGElement;
  private timing: Timing = { lanes: [], cycles: [], current: 0, empty: '', nothingToSave: '' };
  private drawnKey = '';
  private drawn: Frame = { first: 0, end: 0, origin: nameWidth, cell: defaultCellWidth };
  private cell = defaultCellWidth;
  private names: SVGGElement = element('g');
  // The cycle the keyboard stands on (an index); -1 follows the current one.
  private pickedIndex = -1;
  private readonly announcer: HTMLElement;
  private scrollPending = false;
  // What a save asked for without cycles says.
  nothingToSave = '';

  constructor(private readonly host: HTMLElement, private readonly emptyText: HTMLElement) {
    this.svg = element('svg', { class: 'timing', role: 'img' });
    host.append(this.svg);
    this.announcer = document.createElement('p');
    this.announcer.className = 'visually-hidden';
    this.announcer.setAttribute('aria-live', 'polite');
    host.after(this.announcer);
    host.addEventListener('scroll', () => this.scrolled());
    // The keyboard's mark shows while the keys move it.
    for (const change of ['focus', 'blur']) host.addEventListener(change, () => this.hasCycles && this.render());
  }

  // The number of the cycle drawn under a point of the window, if any.
  cycleAt(clientX: number): number | null {
    const index = this.indexAt(clientX);
    return index === null ? null : this.timing.cycles[index]!.number;
  }

  indexAt(clientX: number): number | null {
    const rect = this.host.getBoundingClientRect();
    const inView = clientX - rect.left;
    if (inView < nameWidth) return null;
    const index = Math.floor((inView + this.host.scrollLeft - nameWidth) / this.cell);
    return index >= 0 && index < this.timing.cycles.length ? index : null;
  }

  // Whether there is anything to save.
  get hasCycles(): boolean {
    return this.timing.cycles.length > 0;
  }

  get cellWidth(): number {
    return this.cell;
  }

  // The picked cycle: an index into the cycles, the current one unless the
  // keyboard or a click chose another.
  get picked(): number {
    return this.pickedIndex >= 0 && this.pickedIndex < this.timing.cycles.length ? this.pickedIndex : this.timing.current;
  }

  get pickedNumber(): number | null {
    return this.timing.cycles[this.picked]?.number ?? null;
  }

  draw(timing: Timing): void {
    const key = JSON.stringify(timing);
    if (key === this.drawnKey) return;
    this.drawnKey = key;
    const pickedNumber = this.pickedIndex >= 0 ? this.pickedNumber : null;
    const currentBefore = this.timing.cycles[this.timing.current]?.number;
    const atEnd = this.host.scrollLeft + this.host.clientWidth >= this.host.scrollWidth - this.cell;
    this.timing = timing;
    this.nothingToSave = timing.nothingToSave;
    // A cycle picked stays picked while it is shown and the machine stays
    // where it was; a step or a run moves the pick to the current cycle,
    // as it moves a caret.
    const moved = timing.cycles[timing.current]?.number !== currentBefore;
    this.pickedIndex = pickedNumber === null || moved ? -1 : timing.cycles.findIndex((cycle) => cycle.number === pickedNumber);
    this.emptyText.hidden = timing.cycles.length > 0;
    this.emptyText.textContent = timing.empty;
    this.svg.style.display = timing.cycles.length > 0 ? '' : 'none';
    this.size();
    // Following a run: the newest cycles stay in sight; the current one always is.
    if (atEnd) this.host.scrollLeft = this.host.scrollWidth;
    this.bringIntoSight(this.picked);
    this.render();
  }

  // Zooms by steps (negative: out), the picked cycle kept where it stands
  // in the view, or brought into sight when it was out of it.
  zoom(steps: number): void {
    this.setCellWidth(Math.round(this.cell * zoomStep ** steps));
  }

  resetZoom(): void {
    this.setCellWidth(defaultCellWidth);
  }

  private setCellWidth(width: number): void {
    width = Math.min(maxCellWidth, Math.max(minCellWidth, width));
    if (width === this.cell) return;
    const picked = this.picked;
    const before = this.columnInView(picked);
    this.cell = width;
    this.size();
    const visible = before >= nameWidth && before < this.host.clientWidth;
    if (visible && this.hasCycles) this.host.scrollLeft = picked * width - (before - nameWidth);
    this.bringIntoSight(picked);
    this.render();
  }

  // Moves the picked cycle (Left, Right, Home, End) and says which it is.
  pick(index: number): void {
    if (!this.hasCycles) return;
    this.pickedIndex = Math.min(this.timing.cycles.length - 1, Math.max(0, index));
    this.bringIntoSight(this.pickedIndex);
    this.render();
    this.announce();
  }

  announce(): void {
    if (this.hasCycles) this.announcer.textContent = spokenCycle(this.timing, this.picked);
  }

  // The cycles in view as a picture of their own, names at its left, as
  // the desktop saves what its window shows.
  picture(): { svg: SVGSVGElement; width: number; height: number } {
    const [first, end] = this.inView();
    const frame: Frame = { first, end, origin: nameWidth - first * this.cell, cell: this.cell };
    const width = nameWidth + (end - first) * this.cell + pad;
    const height = this.height();
    const svg = element('svg', { class: 'timing', width, height, viewBox: `0 0 ${width} ${height}` });
    svg.append(...this.parts(frame, 0, false));
    return { svg, width, height };
  }

  private height(): number {
    return rulerHeight + this.timing.lanes.length * laneHeight + pad;
  }

  private size(): void {
    const width = nameWidth + this.timing.cycles.length * this.cell + pad;
    const height = this.height();
    this.svg.setAttribute('width', String(width));
    this.svg.setAttribute('height', String(height));
    this.svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
  }

  // Where a cycle's column begins in the view.
  private columnInView(index: number): number {
    return nameWidth + index * this.cell - this.host.scrollLeft;
  }

  private bringIntoSight(index: number): void {
    if (!this.hasCycles) return;
    const left = this.columnInView(index);
    if (left < nameWidth) this.host.scrollLeft -= nameWidth - left;
    else if (left + this.cell > this.host.clientWidth) this.host.scrollLeft += left + this.cell - this.host.clientWidth;
  }

  // The cycles in view, [first, end).
  private inView(): [number, number] {
    const count = this.timing.cycles.length;
    const first = Math.min(count, Math.max(0, Math.floor(this.host.scrollLeft / this.cell)));
    const shown = Math.max(1, Math.ceil((this.host.clientWidth - nameWidth) / this.cell));
    return [first, Math.min(count, first + shown)];
  }

  private scrolled(): void {
    this.names.setAttribute('transform', `translate(${this.host.scrollLeft},0)`);
    if (this.scrollPending) return;
    const [first, end] = this.inView();
    if (first >= this.drawn.first && end <= this.drawn.end) return;
    this.scrollPending = true;
    requestAnimationFrame(() => {
      this.scrollPending = false;
      this.render();
    });
  }

  // Draws the cycles in view and a view's width either side, so that a
  // scroll of less redraws nothing.
  private render(): void {
    const timing = this.timing;
    const [first, end] = this.inView();
    const margin = end - first;
    this.drawn = { first: Math.max(0, first - margin), end: Math.min(timing.cycles.length, end + margin), origin: nameWidth, cell: this.cell };
    const firstNumber = timing.cycles[0]?.number ?? 0;
    const lastNumber = timing.cycles[timing.cycles.length - 1]?.number ?? 0;
    const after = timing.cycles.length - 1 - timing.current;
    const afterText = after > 0 ? `; takty ${timing.cycles[timing.current + 1]!.number}–${lastNumber} po bieżącym są wyblakłe` : '';
    const currentText = timing.cycles.length > 0 ? `; bieżący takt ${timing.cycles[timing.current]!.number}` : '';
    this.svg.setAttribute('aria-label', `Przebiegi czasowe: takty ${firstNumber}–${lastNumber}, ${timing.lanes.map((l) => l.name).join(', ')}${currentText}${afterText}`);
    this.svg.replaceChildren(...this.parts(this.drawn, this.host.scrollLeft, true));
  }

  // Everything drawn of a frame; the names' column at `namesAt`.
  private parts(frame: Frame, namesAt: number, marks: boolean): SVGElement[] {
    const timing = this.timing;
    const lanes = timing.lanes.map((_, index) => this.lane(frame, index));
    const parts: SVGElement[] = [...this.ruler(frame), ...lanes, ...this.instructionLines(frame)];
    const coverFrom = Math.max(frame.first, timing.current + 1);
    if (coverFrom < frame.end) {
      // The cycles stepped back over: faded under a veil, as the desktop draws them.
      parts.push(element('rect', { x: this.x(frame, coverFrom), y: 0, width: (frame.end - coverFrom) * frame.cell, height: this.height(), class: 'after' }));
    }
    const keyed = this.pickedIndex >= 0 || document.activeElement === this.host;
    if (marks && keyed && this.picked >= frame.first && this.picked < frame.end) {
      parts.push(element('rect', { x: this.x(frame, this.picked) + 1, y: 1, width: frame.cell - 2, height: this.height() - pad - 2, class: 'picked' }));
    }
    this.names = this.nameColumn(namesAt);
    parts.push(this.names);
    return parts;
  }

  private x(frame: Frame, index: number): number {
    return frame.origin + index * frame.cell;
  }

  private nameColumn(at: number): SVGGElement {
    const group = element('g', { class: 'names', transform: `translate(${at},0)` });
    group.append(
      element('rect', { x: 0, y: 0, width: nameWidth, height: this.height(), class: 'names-back' }),
      element('rect', { x: 0, y: 0, width: nameWidth, height: rulerHeight, class: 'ruler' }),
      element('text', { x: pad, y: 13, class: 'name' }, 'takt'),
      ...this.timing.lanes.map((lane, index) =>
        element('text', { x: pad, y: rulerHeight + index * laneHeight + laneHeight / 2, 'dominant-baseline': 'central', class: 'name' }, lane.name),
      ),
    );
    return group;
  }

  private ruler(frame: Frame): SVGElement[] {
    const timing = this.timing;
    const parts: SVGElement[] = [element('rect', { x: 0, y: 0, width: '100%', height: rulerHeight, class: 'ruler' })];
    const current = timing.current;
    if (current >= frame.first && current < frame.end) {
      parts.push(element('rect', { x: this.x(frame, current), y: 0, width: frame.cell, height: rulerHeight + timing.lanes.length * laneHeight, class: 'current' }));
    }
    for (let index = frame.first; index < frame.end; ++index) {
      const cycle = timing.cycles[index]!;
      const kind = index === current ? 'number now' : index > current ? 'number later' : 'number';
      parts.push(element('text', { x: this.x(frame, index) + frame.cell / 2, y: 13, 'text-anchor': 'middle', class: kind }, String(cycle.number)));
      if (cycle.instruction) parts.push(element('text', { x: this.x(frame, index) + 3, y: 30, class: 'instruction' }, cycle.instruction));
    }
    return parts;
  }

  private instructionLines(frame: Frame): SVGElement[] {
    const bottom = rulerHeight + this.timing.lanes.length * laneHeight;
    const lines: SVGElement[] = [];
    for (let index = frame.first; index < frame.end; ++index) {
      const x = this.x(frame, index);
      if (this.timing.cycles[index]!.instruction) lines.push(element('line', { x1: x, x2: x, y1: 18, y2: bottom, class: 'instruction-line' }));
    }
    return lines;
  }

  private lane(frame: Frame, laneIndex: number): SVGGElement {
    const timing = this.timing;
    const lane = timing.lanes[laneIndex]!;
    const top = rulerHeight + laneIndex * laneHeight;
    const group = element('g', { class: `lane ${lane.kind}`, 'data-name': lane.name });
    group.append(element('line', { x1: 0, x2: '100%', y1: top + laneHeight, y2: top + laneHeight, class: 'grid' }));
    const values = timing.cycles.slice(frame.first, frame.end).map((cycle) => cycle.values[laneIndex] ?? null);
    const at = (offset: number) => this.x(frame, frame.first + offset);
    const high = top + 4;
    const low = top + laneHeight - 4;
    if (lane.kind === 'signal') {
      let path = '';
      values.forEach((value, offset) => {
        const y = value ? high : low;
        path += `${offset === 0 ? 'M' : 'L'}${at(offset)},${y} L${at(offset + 1)},${y} `;
        if (value) group.append(element('rect', { x: at(offset), y: high, width: frame.cell, height: low - high, class: 'on' }));
      });
      group.append(element('path', { d: path, class: 'wave' }));
      return group;
    }
    for (const run of valueRuns(values)) {
      const left = at(run.first) + 2;
      const right = at(run.end) - 2;
      if (run.value === null) {
        group.append(element('rect', { x: left, y: high, width: right - left, height: low - high, class: 'undriven' }));
        continue;
      }
      const middle = (high + low) / 2;
      const bevel = Math.min(4, (right - left) / 2);
      group.append(element('path', { d: `M${left},${middle} L${left + bevel},${high} L${right - bevel},${high} L${right},${middle} L${right - bevel},${low} L${left + bevel},${low} Z`, class: 'value' }));
      const text = timing.cycles[frame.first + run.first]!.texts[laneIndex] ?? '';
      // A value wider than its box is left to the spoken name.
      if (text.length * 6.5 < right - left - 8) group.append(element('text', { x: (left + right) / 2, y: middle, 'text-anchor': 'middle', 'dominant-baseline': 'central' }, text));
    }
    return group;
  }
}
