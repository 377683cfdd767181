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
      const number = this.panel.cycleAt(event.clientX);
      if (number !== null) void page.engine.call({ kind: 'goToCycle', number });
    });
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
    const { svg } = this.panel;
    if (!this.panel.hasCycles) return showMessage('error', this.panel.nothingToSave);
    await savePicture(svg, Number(svg.getAttribute('width')), Number(svg.getAttribute('height')), 'przebiegi', png);
  }

  private async saveVcd(): Promise<void> {
    const bytes = await this.page.engine.call({ kind: 'timingVcd' });
    if (bytes.length === 0) return showMessage('error', this.panel.nothingToSave);
    await saveChosen('przebiegi.vcd', bytes);
  }
}
