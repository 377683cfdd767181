// "Przebiegi czasowe": the recorded cycles as a timing diagram in SVG, a
// lane for each signal active in them, each bus and each register chosen;
// cycle numbers on a ruler, the instructions' starts as labelled lines, the
// current (last) cycle marked. Drawn only while the panel is in sight.
import type { Timing } from './protocol';

const svgNs = 'http://www.w3.org/2000/svg';
const cellWidth = 44;
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

export class TimingPanel {
  readonly svg: SVGSVGElement;
  private drawnCycles = -1;
  private drawnKey = '';
  private numbers: number[] = [];
  // What a save asked for without cycles says.
  nothingToSave = '';

  constructor(private readonly host: HTMLElement, private readonly emptyText: HTMLElement) {
    this.svg = element('svg', { class: 'timing', role: 'img' });
    host.append(this.svg);
  }

  // The number of the cycle drawn under a point of the window, if any.
  cycleAt(clientX: number): number | null {
    const x = clientX - this.svg.getBoundingClientRect().left;
    const index = Math.floor((x - nameWidth) / cellWidth);
    return x >= nameWidth && index < this.numbers.length ? this.numbers[index]! : null;
  }

  // Whether there is anything to save.
  get hasCycles(): boolean {
    return this.drawnCycles > 0;
  }

  draw(timing: Timing): void {
    const key = JSON.stringify(timing);
    if (key === this.drawnKey) return;
    this.drawnKey = key;
    this.drawnCycles = timing.cycles.length === 0 ? 0 : timing.cycles[timing.cycles.length - 1]!.number;
    this.nothingToSave = timing.nothingToSave;
    this.numbers = timing.cycles.map((cycle) => cycle.number);
    const atEnd = this.host.scrollLeft + this.host.clientWidth >= this.host.scrollWidth - cellWidth;
    this.emptyText.hidden = timing.cycles.length > 0;
    this.emptyText.textContent = timing.empty;
    this.svg.style.display = timing.cycles.length > 0 ? '' : 'none';
    const width = nameWidth + timing.cycles.length * cellWidth + pad;
    const height = rulerHeight + timing.lanes.length * laneHeight + pad;
    this.svg.setAttribute('width', String(width));
    this.svg.setAttribute('height', String(height));
    this.svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    const first = timing.cycles[0]?.number ?? 0;
    const last = timing.cycles[timing.cycles.length - 1]?.number ?? 0;
    this.svg.setAttribute('aria-label', `Przebiegi czasowe: takty ${first}–${last}, ${timing.lanes.map((l) => l.name).join(', ')}`);
    this.svg.replaceChildren(...this.ruler(timing), ...timing.lanes.map((lane, index) => this.lane(timing, index)), ...this.instructionLines(timing));
    // Following a run: the newest cycles stay in sight.
    if (atEnd) this.host.scrollLeft = this.host.scrollWidth;
  }

  private x(index: number): number {
    return nameWidth + index * cellWidth;
  }

  private ruler(timing: Timing): SVGElement[] {
    const parts: SVGElement[] = [element('rect', { x: 0, y: 0, width: '100%', height: rulerHeight, class: 'ruler' })];
    const current = timing.cycles.length - 1;
    parts.push(element('rect', { x: this.x(current), y: 0, width: cellWidth, height: rulerHeight + timing.lanes.length * laneHeight, class: 'current' }));
    parts.push(element('text', { x: pad, y: 13, class: 'name' }, 'takt'));
    timing.cycles.forEach((cycle, index) => {
      parts.push(element('text', { x: this.x(index) + cellWidth / 2, y: 13, 'text-anchor': 'middle', class: index === current ? 'number now' : 'number' }, String(cycle.number)));
      if (cycle.instruction) parts.push(element('text', { x: this.x(index) + 3, y: 30, class: 'instruction' }, cycle.instruction));
    });
    return parts;
  }

  private instructionLines(timing: Timing): SVGElement[] {
    const bottom = rulerHeight + timing.lanes.length * laneHeight;
    return timing.cycles.flatMap((cycle, index) =>
      cycle.instruction ? [element('line', { x1: this.x(index), x2: this.x(index), y1: 18, y2: bottom, class: 'instruction-line' })] : [],
    );
  }

  private lane(timing: Timing, laneIndex: number): SVGGElement {
    const lane = timing.lanes[laneIndex]!;
    const top = rulerHeight + laneIndex * laneHeight;
    const group = element('g', { class: `lane ${lane.kind}`, 'data-name': lane.name });
    group.append(
      element('line', { x1: 0, x2: '100%', y1: top + laneHeight, y2: top + laneHeight, class: 'grid' }),
      element('text', { x: pad, y: top + laneHeight / 2, 'dominant-baseline': 'central', class: 'name' }, lane.name),
    );
    const values = timing.cycles.map((cycle) => cycle.values[laneIndex] ?? null);
    const high = top + 4;
    const low = top + laneHeight - 4;
    if (lane.kind === 'signal') {
      let path = '';
      values.forEach((value, index) => {
        const y = value ? high : low;
        path += `${index === 0 ? 'M' : 'L'}${this.x(index)},${y} L${this.x(index + 1)},${y} `;
        if (value) group.append(element('rect', { x: this.x(index), y: high, width: cellWidth, height: low - high, class: 'on' }));
      });
      group.append(element('path', { d: path, class: 'wave' }));
      return group;
    }
    for (const run of valueRuns(values)) {
      const left = this.x(run.first) + 2;
      const right = this.x(run.end) - 2;
      if (run.value === null) {
        group.append(element('rect', { x: left, y: high, width: right - left, height: low - high, class: 'undriven' }));
        continue;
      }
      const middle = (high + low) / 2;
      group.append(element('path', { d: `M${left},${middle} L${left + 4},${high} L${right - 4},${high} L${right},${middle} L${right - 4},${low} L${left + 4},${low} Z`, class: 'value' }));
      const text = timing.cycles[run.first]!.texts[laneIndex] ?? '';
      // A value wider than its box is left to the spoken name.
      if (text.length * 6.5 < right - left - 8) group.append(element('text', { x: (left + right) / 2, y: middle, 'text-anchor': 'middle', 'dominant-baseline': 'central' }, text));
    }
    return group;
  }
}
