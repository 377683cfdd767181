// The page's commands as the engine's command table gives them: the tool
// bars' buttons, the menu bar and the keys, each greyed as the table says.
import { menuBarOf } from './command-menus';
import { boxOpen } from './dialogs';
import { buildMenuBar, closeMenus, showContextMenu, type MenuItem } from './menu';
import type { Page } from './page';
import type { CommandName, CommandRow, Enabled, PageCommands } from './protocol';

// What each command does on the page; those the page gives elsewhere (the
// instruction list's "Usuń rozkaz", the timing diagram's clicks...) have
// none here.
export type CommandActions = Partial<Record<CommandName, () => void>>;

// A command's button: "command-step-back" for "stepBack".
const buttonId = (name: CommandName) => `command-${name.replace(/[A-Z]/g, (c) => `-${c.toLowerCase()}`)}`;

export class Commands {
  private readonly rows: CommandRow[];

  constructor(
    private readonly page: Page,
    private readonly table: PageCommands,
    private readonly actions: CommandActions,
  ) {
    this.rows = table.commands.filter((row) => actions[row.name]);
  }

  // The tool bar as the table gives it: a button of icons in groups, each
  // named by its caption for tool tips and screen readers. What does not fit
  // the row goes into the "»" menu at its end rather than a ragged second
  // row.
  buildToolBar(bar: HTMLElement): void {
    let group = document.createElement('div');
    group.className = 'tool-group';
    bar.append(group);
    for (const { name, icon } of this.table.toolBar) {
      if (!name) {
        group = document.createElement('div');
        group.className = 'tool-group';
        bar.append(group);
        continue;
      }
      if (!this.actions[name]) continue;
      group.append(this.toolButton(this.row(name), icon));
    }
    const more = document.createElement('button');
    more.className = 'tool-more';
    more.textContent = '»';
    more.title = more.ariaLabel = 'Więcej poleceń';
    more.setAttribute('aria-haspopup', 'menu');
    more.addEventListener('click', () => showContextMenu(this.hiddenTools(bar), more.ariaLabel!, more));
    bar.append(more);
    new ResizeObserver(() => fitToolBar(bar, more)).observe(bar);
  }

  private toolButton(row: CommandRow, icon: string): HTMLButtonElement {
    const button = document.createElement('button');
    button.id = buttonId(row.name);
    button.className = 'tool';
    button.ariaLabel = row.button;
    button.title = row.key ? `${row.button} (${row.key})` : row.button;
    if (row.key) button.setAttribute('aria-keyshortcuts', row.key.replace('Ctrl', 'Control'));
    const image = document.createElement('img');
    image.src = `icons/${icon}.svg`;
    image.alt = '';
    image.width = image.height = 24;
    button.append(image);
    button.addEventListener('click', () => this.perform(row));
    return button;
  }

  // The tool buttons out of sight, as entries of the "»" menu.
  private hiddenTools(bar: HTMLElement): MenuItem[] {
    return [...bar.querySelectorAll<HTMLButtonElement>('button.tool.overflowed')].map((button) => {
      const row = this.rows.find((r) => buttonId(r.name) === button.id)!;
      return { label: row.button, key: row.key, act: () => this.perform(row), enabled: () => this.enabled(row.name) };
    });
  }

  // The menu bar in the table's order.
  buildMenus(bar: HTMLElement): void {
    buildMenuBar(
      bar,
      menuBarOf(this.table.menus, this.rows, (row) => ({ act: () => this.perform(row), enabled: () => this.enabled(row.name) })),
      boxOpen,
    );
  }

  // The table's keys, caught before the editors see them.
  attachKeys(): void {
    window.addEventListener(
      'keydown',
      (event) => {
        // A box stops the keys it gets before the listener below could take
        // the function keys from the browser: they are taken here instead.
        if (boxOpen() && isFunctionKey(event.key)) event.preventDefault();
        const name = keyName(event);
        const row = this.rows.find((r) => r.key === name);
        if (!row) return;
        // Never the browser's meaning of the key (F5 would reload the page
        // and lose the machine), not even while a box is open.
        event.preventDefault();
        if (boxOpen()) return;
        // A menu left open would stand over what the command shows.
        closeMenus();
        this.perform(row);
      },
      true,
    );
    // The function keys are the simulator's, whatever else is held: the
    // browser's meanings (Ctrl+F5 reloads, F3 and F7 search or browse)
    // would lose the machine or take the keyboard away. Taken last, once
    // the editors and lists had their own (Ctrl+F8, Shift+F10).
    window.addEventListener('keydown', (event) => {
      if (isFunctionKey(event.key)) event.preventDefault();
    });
  }

  // The buttons greyed as the view says.
  show(enabled: Enabled, running: boolean): void {
    for (const row of this.rows) {
      const button = document.getElementById(buttonId(row.name)) as HTMLButtonElement | null;
      if (button) button.disabled = !enabled[row.name];
    }
    document.body.classList.toggle('running', running);
  }

  private enabled(name: CommandName): boolean {
    return this.page.view?.enabled[name] ?? true;
  }

  private perform(row: CommandRow): void {
    if (this.enabled(row.name)) this.actions[row.name]?.();
  }

  private row(name: CommandName): CommandRow {
    const row = this.rows.find((r) => r.name === name);
    if (!row) throw new Error(`no command ${name}`);
    return row;
  }
}

const isFunctionKey = (key: string) => /^F([1-9]|1[0-2])$/.test(key);

// The key as the table names it: "Ctrl+Shift+F11"; with Alt held it is
// none of the table's keys.
function keyName(event: KeyboardEvent): string {
  // A letter is named by its capital, whatever Caps Lock says.
  const key = event.key.length === 1 ? event.key.toUpperCase() : event.key;
  return (event.ctrlKey ? 'Ctrl+' : '') + (event.altKey ? 'Alt+' : '') + (event.shiftKey ? 'Shift+' : '') + key;
}

// Hides the buttons from the first that would reach past the bar's end (the
// "»" button shown only then), so the row never wraps.
function fitToolBar(bar: HTMLElement, more: HTMLElement): void {
  const buttons = [...bar.querySelectorAll<HTMLElement>('button.tool')];
  const groups = [...bar.querySelectorAll<HTMLElement>('.tool-group')];
  for (const element of [...buttons, ...groups]) element.classList.remove('overflowed');
  more.hidden = true;
  const end = () => bar.getBoundingClientRect().right;
  if (buttons.every((b) => b.getBoundingClientRect().right <= end())) return;
  more.hidden = false;
  const limit = end() - more.getBoundingClientRect().width - 4;
  for (const button of buttons) if (button.getBoundingClientRect().right > limit) button.classList.add('overflowed');
  // A group all of whose buttons went would still hold its gap and its
  // separating line, and push "»" past the bar's end.
  for (const group of groups) if ([...group.children].every((b) => b.classList.contains('overflowed'))) group.classList.add('overflowed');
}
