// The page's commands as the engine's command table gives them: the tool
// bars' buttons, the menu bar and the keys, each greyed as the table says.
import { menuBarOf } from './command-menus';
import { boxOpen } from './dialogs';
import { buildMenuBar, closeMenus } from './menu';
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

  // A tool bar of the commands named, in that order.
  buildButtons(bar: HTMLElement, names: CommandName[]): void {
    for (const name of names) {
      const row = this.row(name);
      const button = document.createElement('button');
      button.id = buttonId(name);
      button.textContent = row.button;
      const key = row.key;
      if (key) {
        button.title = `${row.button} (${key})`;
        button.setAttribute('aria-keyshortcuts', key.replace('Ctrl', 'Control'));
      }
      button.addEventListener('click', () => this.perform(row));
      bar.append(button);
    }
  }

  // The menu bar in the table's order.
  buildMenus(bar: HTMLElement): void {
    buildMenuBar(
      bar,
      menuBarOf(this.table.menus, this.rows, (row) => ({ act: () => this.perform(row), enabled: () => this.enabled(row.name) })),
    );
  }

  // The table's keys, caught before the editors see them.
  attachKeys(): void {
    document.addEventListener(
      'keydown',
      (event) => {
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

function keyName(event: KeyboardEvent): string {
  // A letter is named by its capital, whatever Caps Lock says.
  const key = event.key.length === 1 ? event.key.toUpperCase() : event.key;
  return (event.ctrlKey ? 'Ctrl+' : '') + (event.shiftKey ? 'Shift+' : '') + key;
}
