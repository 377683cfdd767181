// "Przebiegi czasowe" on the page: the lanes the student chose, drawn while
// the panel is in sight, a click on a cycle going to it, the pictures and
// the VCD dump.
import { showMessage } from './dialogs';
import { saveChosen, savePicture } from './files-and-lists';
import { showContextMenu } from './menu';
import { $, type Page } from './page';
import type { View } from './protocol';
import { TimingPanel } from './timing';

export class TimingView {
  private readonly panel = new TimingPanel($('#timing'), $('#timing-empty'));
  // The registers whose lanes the student chose, by the engine's numbers.
  private readonly registers: number[] = [];
  private asked = '';
  private timer: ReturnType<typeof setTimeout> | null = null;

  constructor(private readonly page: Page) {
    // A click on an earlier cycle steps back to the end of it, on a later
    // one runs forward to it.
    this.panel.svg.addEventListener('click', (event) => {
      const index = this.panel.indexAt(event.clientX);
      if (index === null) return;
      this.panel.pick(index);
      this.goToPicked();
    });
    const diagram = $('#timing');
    diagram.addEventListener('keydown', (event) => this.key(event));
    diagram.addEventListener('wheel', (event) => this.wheel(event), { passive: false });
    diagram.addEventListener('focus', () => this.panel.announce());
    $('#timing-zoom-in').addEventListener('click', () => this.panel.zoom(1));
    $('#timing-zoom-out').addEventListener('click', () => this.panel.zoom(-1));
    $('#timing-registers').addEventListener('click', (event) => this.chooseRegisters(event.currentTarget as HTMLElement));
    for (const png of [true, false]) $(png ? '#timing-png' : '#timing-svg').addEventListener('click', () => void this.savePicture(png));
    $('#timing-vcd').addEventListener('click', () => void this.saveVcd());
  }

  // Looking back replays the history's cycles: only a panel in sight asks,
  // and during a run at most four times a second.
  follow(fresh: View): void {
    if ($('#timing-panel').hidden) return;
    const key = `${fresh.cycles}/${this.registers.join(',')}`;
    if (key === this.asked || this.timer) return;
    this.asked = key;
    void this.draw();
    this.timer = setTimeout(() => {
      this.timer = null;
      if (this.page.view) this.follow(this.page.view);
    }, 250);
  }

  private goToPicked(): void {
    const number = this.panel.pickedNumber;
    if (number !== null) void this.page.engine.call({ kind: 'goToCycle', number });
  }

  // The diagram's keys, as the desktop's: the picked cycle moves with the
  // arrows, Home and End; Enter goes to it as a click does; + and - zoom.
  private key(event: KeyboardEvent): void {
    if (event.altKey || event.metaKey) return;
    const control = event.ctrlKey;
    const picked = this.panel.picked;
    const acts: Record<string, () => void> = {
      ArrowLeft: () => this.panel.pick(picked - 1),
      ArrowRight: () => this.panel.pick(picked + 1),
      Home: () => this.panel.pick(0),
      End: () => this.panel.pick(Number.MAX_SAFE_INTEGER),
      Enter: () => this.goToPicked(),
      '+': () => this.panel.zoom(1),
      '=': () => this.panel.zoom(1),
      '-': () => this.panel.zoom(-1),
    };
    const act = control ? (event.key === '0' ? () => this.panel.resetZoom() : undefined) : acts[event.key];
    if (!act) return;
    event.preventDefault();
    event.stopPropagation();
    act();
  }

  // Ctrl with the wheel zooms the diagram, not the page.
  private wheel(event: WheelEvent): void {
    if (!event.ctrlKey || event.deltaY === 0) return;
    event.preventDefault();
    this.panel.zoom(event.deltaY < 0 ? 1 : -1);
  }

  redraw(): void {
    this.asked = '';
    if (this.page.view) this.follow(this.page.view);
  }

  private async draw(): Promise<void> {
    this.panel.draw(await this.page.engine.call({ kind: 'timing', registers: this.registers }));
  }

  private chooseRegisters(opener: HTMLElement): void {
    const items = (this.page.diagram?.registers ?? []).map(({ id, caption }) => ({
      label: caption,
      checkbox: true,
      checked: () => this.registers.includes(id),
      act: () => {
        const at = this.registers.indexOf(id);
        if (at >= 0) this.registers.splice(at, 1);
        else this.registers.push(id);
        // The lanes keep the machine's order of registers.
        this.registers.sort((a, b) => a - b);
        this.redraw();
      },
    }));
    showContextMenu(items, 'Pokaż rejestr', opener);
  }

  private async savePicture(png: boolean): Promise<void> {
    if (!this.panel.hasCycles) return showMessage('error', this.panel.nothingToSave);
    const { svg, width, height } = this.panel.picture();
    await savePicture(svg, width, height, 'przebiegi', png);
  }

  private async saveVcd(): Promise<void> {
    const bytes = await this.page.engine.call({ kind: 'timingVcd' });
    if (bytes.length === 0) return showMessage('error', this.panel.nothingToSave);
    await saveChosen('przebiegi.vcd', bytes);
  }
}
