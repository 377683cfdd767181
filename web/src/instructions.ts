// The instruction list panel ("Lista rozkazów"): the names in code order
// and, beside them, the source of the selected one, with the cycle being
// performed marked and its breakpoints. A breakpoint is set at a line where
// a cycle begins; an instruction is deleted from the list.
import type { InstructionEntry, View } from './protocol';

export interface InstructionActions {
  deleteInstruction(code: number, name: string): void;
  toggleBreakpoint(code: number, line: number): void;
}

// An option of either list: chosen by the student, performed now.
function mark(option: Element, selected: boolean, current: boolean): void {
  if (option.getAttribute('aria-selected') !== String(selected)) option.setAttribute('aria-selected', String(selected));
  option.classList.toggle('current', current);
}

export class InstructionList {
  private list: InstructionEntry[] = [];
  private selected = 0;
  private selectedLine = -1;
  private shown = { code: -1, line: -1 };

  constructor(
    private readonly names: HTMLElement,
    private readonly source: HTMLElement,
    private readonly deleteButton: HTMLButtonElement,
    private readonly breakpointButton: HTMLButtonElement,
    private readonly actions: InstructionActions,
  ) {
    names.addEventListener('keydown', (event) => this.namesKey(event));
    source.addEventListener('keydown', (event) => this.sourceKey(event));
    deleteButton.addEventListener('click', () => this.deleteSelected());
    breakpointButton.addEventListener('click', () => this.toggleBreakpoint());
  }

  setList(list: InstructionEntry[]): void {
    this.list = list;
    this.selected = Math.min(this.selected, Math.max(list.length - 1, 0));
    this.render();
  }

  // During a run the instruction performed and the line of its cycle.
  follow(view: View): void {
    if (view.shownInstruction === this.shown.code && view.shownCycleLine === this.shown.line) return;
    const drawn = this.selected;
    this.shown = { code: view.shownInstruction, line: view.shownCycleLine };
    if (this.shown.code >= 0 && this.shown.code < this.list.length) {
      this.selected = this.shown.code;
      this.selectedLine = this.shown.line;
    }
    // A run moves the marks with every view it sends: the options drawn stay,
    // since new ones each time would leave the page its garbage to collect
    // many times a second.
    if (this.names.children.length !== this.list.length) return this.render();
    [...this.names.children].forEach((option, code) => mark(option, code === this.selected, code === this.shown.code));
    if (this.selected !== drawn) return this.renderSource();
    const atShown = this.selected === this.shown.code;
    [...this.source.children].forEach((option, line) => mark(option, line === this.selectedLine, atShown && line === this.shown.line));
    this.breakpointButton.disabled = !this.list[this.selected]?.cycleLines.includes(this.selectedLine);
  }

  private render(): void {
    this.renderNames();
    this.renderSource();
  }

  private renderNames(): void {
    this.names.replaceChildren(
      ...this.list.map((entry, code) => {
        const option = this.option(entry.name, code === this.selected, code === this.shown.code);
        option.addEventListener('click', () => this.select(code));
        return option;
      }),
    );
  }

  private renderSource(): void {
    const entry = this.list[this.selected];
    this.source.replaceChildren(
      ...(entry?.lines ?? []).map((text, line) => {
        const option = this.option(text || ' ', line === this.selectedLine, this.selected === this.shown.code && line === this.shown.line);
        option.classList.toggle('cycle', entry!.cycleLines.includes(line));
        option.classList.toggle('breakpoint', entry!.breakpointLines.includes(line));
        if (entry!.breakpointLines.includes(line)) option.setAttribute('aria-description', 'punkt zatrzymania');
        option.addEventListener('click', () => {
          this.selectedLine = line;
          this.render();
        });
        return option;
      }),
    );
    this.deleteButton.disabled = entry === undefined;
    this.breakpointButton.disabled = !entry || !entry.cycleLines.includes(this.selectedLine);
  }

  private option(text: string, selected: boolean, current: boolean): HTMLElement {
    const option = document.createElement('li');
    option.setAttribute('role', 'option');
    option.textContent = text;
    mark(option, selected, current);
    return option;
  }

  private select(code: number): void {
    this.selected = code;
    this.selectedLine = -1;
    this.render();
  }

  private deleteSelected(): void {
    const entry = this.list[this.selected];
    if (entry) this.actions.deleteInstruction(this.selected, entry.name);
  }

  private toggleBreakpoint(): void {
    const entry = this.list[this.selected];
    if (entry?.cycleLines.includes(this.selectedLine)) this.actions.toggleBreakpoint(this.selected, this.selectedLine);
  }

  private namesKey(event: KeyboardEvent): void {
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const step = event.key === 'ArrowDown' ? 1 : -1;
      this.select(Math.min(Math.max(this.selected + step, 0), this.list.length - 1));
    } else if (event.key === 'Delete') {
      event.preventDefault();
      this.deleteSelected();
    }
  }

  private sourceKey(event: KeyboardEvent): void {
    const lines = this.list[this.selected]?.lines.length ?? 0;
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const step = event.key === 'ArrowDown' ? 1 : -1;
      this.selectedLine = Math.min(Math.max(this.selectedLine + step, 0), lines - 1);
      this.render();
    } else if (event.key === 'F8' && event.ctrlKey) {
      event.preventDefault();
      event.stopPropagation();
      this.toggleBreakpoint();
    }
  }
}
