// The page's panels as the desktop's windows: the lower panel's tabs, the
// panels' sizes, the "Widok" commands that bring each one forward, and
// "Lista okien" over the editors and the panels.
import type { CommandActions } from './commands';
import type { Documents } from './documents';
import { attachSeparator, defaultSizes, loadSizes, saveSizes } from './layout';
import { showContextMenu, type MenuItem } from './menu';
import { $ } from './page';
import type { CommandRow } from './protocol';
import { arrowedTab } from './tabs';

const lowerTabs = () => [...document.querySelectorAll<HTMLElement>('#lower-tabs [role=tab]')];

export class Panels {
  private readonly sizes = loadSizes(window.localStorage);

  // `tabShown` hears which lower tab was brought forward.
  constructor(
    private readonly documents: Documents,
    private readonly tabShown: (tab: HTMLElement) => void,
  ) {
    for (const tab of lowerTabs()) tab.addEventListener('click', () => this.showLowerTab(tab));
    $('#lower-tabs').addEventListener('keydown', (event) => {
      const tabs = lowerTabs();
      const index = arrowedTab(event.key, tabs.indexOf(document.activeElement as HTMLElement), tabs.length);
      if (index !== null) this.showLowerTab(tabs[index]!, tabs[index]);
    });
    attachSeparator($('#split-editor'), $('main'), 'editorWidth', this.sizes, () => this.applySizes());
    attachSeparator($('#split-lower'), $('.right-column'), 'lowerHeight', this.sizes, () => this.applySizes());
    this.applySizes();
  }

  // One of the lower tabs shown, and `focus` (the tab, or what is in it) given the keyboard.
  showLowerTab(tab: HTMLElement, focus?: HTMLElement): void {
    for (const other of lowerTabs()) {
      const selected = other === tab;
      other.setAttribute('aria-selected', String(selected));
      other.tabIndex = selected ? 0 : -1;
      document.getElementById(other.getAttribute('aria-controls')!)!.hidden = !selected;
    }
    this.tabShown(tab);
    focus?.focus();
  }

  // What "Widok" does on the page: each window the desktop has is a panel
  // or a tab here, brought forward with the keyboard in it.
  actions(rows: readonly CommandRow[]): CommandActions {
    const lower = (tab: string, inside?: string) => () => this.showLowerTab($(tab), $(inside ?? tab));
    return {
      viewEditor: () => this.documents.current.editor.view.focus(),
      viewCpu: () => $('#diagram').querySelector<HTMLElement>('[tabindex="0"]')?.focus(),
      viewConsole: lower('#tab-console', '#console-input'),
      viewInstructions: lower('#tab-instructions', '#instruction-names'),
      viewWatches: lower('#tab-watches', '#watches'),
      viewTiming: lower('#tab-timing'),
      restoreLayout: () => {
        Object.assign(this.sizes, defaultSizes);
        this.applySizes();
      },
      windowList: () => this.showWindowList(rows),
    };
  }

  // "Lista okien": the open documents, then the page's panels, in the
  // desktop's words.
  private showWindowList(rows: readonly CommandRow[]): void {
    const panels = this.actions(rows);
    const items: MenuItem[] = this.documents.all.map((document, index) => ({
      label: document.work.name,
      act: () => {
        this.documents.show(index);
        document.editor.view.focus();
      },
    }));
    for (const name of ['viewCpu', 'viewConsole', 'viewInstructions', 'viewWatches', 'viewTiming'] as const) {
      const row = rows.find((r) => r.name === name);
      if (row) items.push({ label: row.menuText.replace('&', ''), act: panels[name]!, separator: name === 'viewCpu' });
    }
    // Below "Widok", where the student looks for the windows; the keyboard
    // goes back to where it was.
    const opener = document.activeElement instanceof HTMLElement && document.activeElement !== document.body ? document.activeElement : $('#menubar');
    const view = [...$('#menubar').children].find((top) => top.textContent === 'Widok') ?? $('#menubar');
    const box = view.getBoundingClientRect();
    showContextMenu(items, 'Lista okien', opener, { x: box.left, y: box.bottom });
  }

  private applySizes(): void {
    document.body.style.setProperty('--editor-width', `${this.sizes.editorWidth}%`);
    document.body.style.setProperty('--lower-height', `${this.sizes.lowerHeight}%`);
    $('#split-editor').setAttribute('aria-valuenow', String(Math.round(this.sizes.editorWidth)));
    $('#split-lower').setAttribute('aria-valuenow', String(Math.round(this.sizes.lowerHeight)));
    saveSizes(window.localStorage, this.sizes);
  }
}
