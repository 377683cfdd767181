// The page's panels as the desktop's windows: the tool panels' tabs in the
// two right-hand areas, moved between them or hidden from a tab's menu, the
// panels' sizes, the "Widok" commands that bring each one forward, and
// "Lista okien" over the editors and the panels.
import type { CommandActions } from './commands';
import type { Documents } from './documents';
import {
  areaOf,
  attachSeparator,
  defaultPlacement,
  defaultSizes,
  loadPlacement,
  loadSizes,
  movePanel,
  panelNames,
  savePlacement,
  saveSizes,
  setPanelHidden,
  shownIn,
  type AreaName,
  type PanelName,
  type PanelPlacement,
} from './layout';
import { isContextMenuKey, showContextMenu, type MenuItem } from './menu';
import { $ } from './page';
import type { CommandName, CommandRow } from './protocol';
import { arrowedTab } from './tabs';

// Each tool panel is a tab with its body, in the tab strip of the area it
// stands in: the machine's (upper) or the lower one.
const panelTabIds: Record<PanelName, string> = { console: 'tab-console', instructions: 'tab-instructions', watches: 'tab-watches', timing: 'tab-timing' };
const viewCommands: Record<PanelName, CommandName> = { console: 'viewConsole', instructions: 'viewInstructions', watches: 'viewWatches', timing: 'viewTiming' };
const areaParts: Record<AreaName, { tabs: string; section: string }> = {
  upper: { tabs: '#upper-tabs', section: '#area-machine' },
  lower: { tabs: '#lower-tabs', section: '#area-lower' },
};
const tabLists = () => [$(areaParts.upper.tabs), $(areaParts.lower.tabs)];
const tabOf = (panel: PanelName) => $(`#${panelTabIds[panel]}`);
const bodyOf = (tab: HTMLElement) => document.getElementById(tab.getAttribute('aria-controls')!)!;
const panelOf = (tab: HTMLElement) => panelNames.find((name) => panelTabIds[name] === tab.id);
const tabAt = (target: EventTarget | null) => (target instanceof Element ? target.closest<HTMLElement>('[role=tab]') : null);
const tabsOf = (list: HTMLElement) => [...list.querySelectorAll<HTMLElement>('[role=tab]')];
const shownTabs = (list: HTMLElement) => tabsOf(list).filter((tab) => !tab.hidden);
const isInSight = (element: Element | null) => element instanceof HTMLElement && element.isConnected && element.checkVisibility();

// `chosen` (none: no tab) the tab of `list` shown, its body alone in sight.
function selectTab(list: HTMLElement, chosen: HTMLElement | undefined): void {
  for (const tab of tabsOf(list)) {
    const selected = tab === chosen;
    tab.setAttribute('aria-selected', String(selected));
    tab.tabIndex = selected ? 0 : -1;
    bodyOf(tab).hidden = !selected;
  }
}

// `children` put last in `parent`, in that order; left alone when they
// stand so already, as moving a focused element takes its focus away.
function appendInOrder(parent: HTMLElement, children: HTMLElement[]): void {
  const present = [...parent.children].slice(parent.children.length - children.length);
  if (present.length === children.length && present.every((child, index) => child === children[index])) return;
  parent.append(...children);
}
const areaTabs = () => [...document.querySelectorAll<HTMLElement>('#area-tabs [role=tab]')];

// On a narrow screen one area at a time is in sight: the editor, the
// machine or the lower panels. Whatever brings something forward (a tab,
// "Widok", the window list, a focus moved by a command) shows its area.
export function showAreaOf(element: Element): void {
  const area = element.closest<HTMLElement>('[data-area-name]')?.dataset.areaName;
  if (!area || document.body.dataset.area === area) return;
  document.body.dataset.area = area;
  for (const tab of areaTabs()) {
    const selected = tab.dataset.area === area;
    tab.setAttribute('aria-selected', String(selected));
    tab.tabIndex = selected ? 0 : -1;
  }
}

// The diagram shrinks with its panel down to the size at which its text is
// 10 px; a smaller panel scrolls over it instead.
const diagramFontSize = 11;
const smallestFontSize = 10;

function keepDiagramLegible(): void {
  const holder = $('#diagram');
  const fit = () => {
    const svg = holder.querySelector<SVGSVGElement>('svg.diagram');
    if (!svg || holder.clientWidth === 0) return;
    const { width, height } = svg.viewBox.baseVal;
    const scale = Math.min(holder.clientWidth / width, holder.clientHeight / height);
    const least = smallestFontSize / diagramFontSize;
    holder.classList.toggle('scrolled', scale < least);
    svg.style.width = scale < least ? `${width * least}px` : '';
    svg.style.height = scale < least ? `${height * least}px` : '';
  };
  new ResizeObserver(fit).observe(holder);
  // The diagram is drawn once the engine describes the machine.
  new MutationObserver(fit).observe(holder, { childList: true });
}

function attachAreaTabs(): void {
  for (const tab of areaTabs()) tab.addEventListener('click', () => showAreaOf(document.getElementById(tab.getAttribute('aria-controls')!)!));
  $('#area-tabs').addEventListener('keydown', (event) => {
    // An area with no panel has its tab hidden: the arrows pass it by.
    const tabs = areaTabs().filter((tab) => !tab.hidden);
    const index = arrowedTab(event.key, tabs.indexOf(document.activeElement as HTMLElement), tabs.length);
    if (index === null) return;
    event.preventDefault();
    tabs[index]!.click();
    tabs[index]!.focus();
  });
  document.addEventListener('focusin', (event) => {
    if (event.target instanceof Element && !event.target.closest('#area-tabs')) showAreaOf(event.target);
  });
}

export class Panels {
  private readonly sizes = loadSizes(window.localStorage);
  private placement = loadPlacement(window.localStorage);

  // `tabShown` hears which panel's tab was brought forward, in either area.
  constructor(
    private readonly documents: Documents,
    private readonly tabShown: (tab: HTMLElement) => void,
  ) {
    // Listened to on the tab strips, not on the tabs: a tab moved from one
    // strip to the other is heard by the one it stands in.
    for (const list of tabLists()) {
      list.addEventListener('click', (event) => {
        const tab = tabAt(event.target);
        if (tab) this.showTab(tab);
      });
      list.addEventListener('keydown', (event) => this.onTabKey(list, event));
      list.addEventListener('contextmenu', (event) => {
        const tab = tabAt(event.target);
        if (!tab || !panelOf(tab)) return;
        event.preventDefault();
        this.showTabMenu(tab, { x: event.clientX, y: event.clientY });
      });
    }
    attachAreaTabs();
    keepDiagramLegible();
    attachSeparator($('#split-editor'), $('main'), 'editorWidth', this.sizes, () => this.applySizes());
    attachSeparator($('#split-lower'), $('.right-column'), 'lowerHeight', this.sizes, () => this.applySizes());
    this.applySizes();
    this.arrange();
  }

  // One panel's tab shown in its area, and `focus` (the tab, or what is in
  // it) given the keyboard.
  showTab(tab: HTMLElement, focus?: HTMLElement): void {
    selectTab(tab.parentElement!, tab);
    this.tabShown(tab);
    focus?.focus();
  }

  private onTabKey(list: HTMLElement, event: KeyboardEvent): void {
    const tab = tabAt(event.target);
    if (!tab) return;
    if (isContextMenuKey(event)) {
      if (!panelOf(tab)) return;
      event.preventDefault();
      this.showTabMenu(tab);
      return;
    }
    const tabs = shownTabs(list);
    const index = arrowedTab(event.key, tabs.indexOf(tab), tabs.length);
    if (index === null) return;
    event.preventDefault();
    this.showTab(tabs[index]!, tabs[index]);
  }

  // A panel's tab offers what the desktop's window frame does: another
  // place for it, or out of sight until "Widok" brings it back.
  private showTabMenu(tab: HTMLElement, at?: { x: number; y: number }): void {
    const panel = panelOf(tab)!;
    const upper = areaOf(this.placement, panel) === 'upper';
    const items: MenuItem[] = [
      { label: upper ? 'Przenieś do dolnego obszaru' : 'Przenieś do górnego obszaru', act: () => this.move(panel, upper ? 'lower' : 'upper') },
      { label: 'Ukryj', act: () => this.hide(panel) },
    ];
    showContextMenu(items, tab.textContent ?? '', tab, at);
  }

  private move(panel: PanelName, area: AreaName): void {
    const tab = tabOf(panel);
    this.place(movePanel(this.placement, panel, area), [tab]);
    showAreaOf(tab);
    tab.focus();
  }

  private hide(panel: PanelName): void {
    const tab = tabOf(panel);
    const list = tab.parentElement!;
    this.place(setPanelHidden(this.placement, panel, true));
    // The keyboard was on the panel hidden: it goes to what now stands in its place.
    if (document.activeElement === document.body || !isInSight(document.activeElement)) {
      const next = shownTabs(list).find((other) => other.getAttribute('aria-selected') === 'true');
      if (next && isInSight(next)) next.focus();
      else this.focusMachine();
    }
  }

  private focusMachine(): void {
    showAreaOf($('#diagram'));
    this.showTab($('#tab-cpu'));
    $('#diagram').querySelector<HTMLElement>('[tabindex="0"]')?.focus();
  }

  private place(placement: PanelPlacement, preferred: HTMLElement[] = []): void {
    this.placement = placement;
    savePlacement(window.localStorage, placement);
    this.arrange(preferred);
  }

  // The panels' tabs and bodies put where the placement says, the DOM
  // elements themselves moved, so that what they hold stays. Each area then
  // shows one of its tabs: one of `preferred`, else the one it showed.
  private arrange(preferred: HTMLElement[] = []): void {
    const focused = document.activeElement;
    for (const area of ['upper', 'lower'] as const) {
      const tabs = this.placement[area].map(tabOf);
      for (const tab of tabs) tab.hidden = this.placement.hidden.includes(panelOf(tab)!);
      appendInOrder($(areaParts[area].tabs), tabs);
      for (const tab of tabs) if (bodyOf(tab).parentElement !== $(areaParts[area].section)) $(areaParts[area].section).append(bodyOf(tab));
    }
    for (const list of tabLists()) {
      const tabs = shownTabs(list);
      const chosen = tabs.find((tab) => preferred.includes(tab)) ?? tabs.find((tab) => tab.getAttribute('aria-selected') === 'true') ?? tabs[0];
      selectTab(list, chosen);
      if (chosen) this.tabShown(chosen);
    }
    this.collapseEmptyArea();
    // Moved, an element loses the keyboard: it gets it back.
    if (focused instanceof HTMLElement && focused !== document.activeElement && isInSight(focused)) focused.focus();
  }

  private collapseEmptyArea(): void {
    $('#upper-tabs').closest<HTMLElement>('.panel-title')!.hidden = shownIn(this.placement, 'upper').length === 0;
    const lowerEmpty = shownIn(this.placement, 'lower').length === 0;
    $('#area-lower').hidden = lowerEmpty;
    $('#split-lower').hidden = lowerEmpty;
    $('.right-column').classList.toggle('lower-collapsed', lowerEmpty);
    $('#area-tab-lower').hidden = lowerEmpty;
    if (lowerEmpty && document.body.dataset.area === 'lower') showAreaOf($('#area-machine'));
  }

  // What "Widok" does on the page: each window the desktop has is a panel
  // here, shown if hidden and brought forward, wherever it stands, with the
  // keyboard in it.
  actions(rows: readonly CommandRow[]): CommandActions {
    const view = (panel: PanelName, inside?: string) => () => {
      if (this.placement.hidden.includes(panel)) this.place(setPanelHidden(this.placement, panel, false), [tabOf(panel)]);
      const tab = tabOf(panel);
      showAreaOf(tab);
      this.showTab(tab, inside ? $(inside) : tab);
    };
    return {
      viewEditor: () => {
        showAreaOf($('#editor-panels'));
        this.documents.current.editor.view.focus();
      },
      viewCpu: () => this.focusMachine(),
      viewConsole: view('console', '#console-input'),
      viewInstructions: view('instructions', '#instruction-names'),
      viewWatches: view('watches', '#watches'),
      viewTiming: view('timing'),
      restoreLayout: () => {
        Object.assign(this.sizes, defaultSizes);
        this.applySizes();
        this.place(defaultPlacement(), [$('#tab-cpu'), tabOf('console')]);
      },
      windowList: () => this.showWindowList(rows),
    };
  }

  // "Lista okien": the open documents, then the page's panels area by area,
  // the upper one (the machine's) first, each in its tabs' order; a hidden
  // panel is listed too, and chosen, shown again.
  private showWindowList(rows: readonly CommandRow[]): void {
    const panels = this.actions(rows);
    const items: MenuItem[] = this.documents.all.map((document, index) => ({
      label: document.work.name,
      act: () => {
        this.documents.show(index);
        document.editor.view.focus();
      },
    }));
    const groups: { command: CommandName; hidden: boolean }[][] = [
      [{ command: 'viewCpu', hidden: false }, ...this.placement.upper.map((panel) => this.listed(panel))],
      this.placement.lower.map((panel) => this.listed(panel)),
    ];
    for (const group of groups)
      group.forEach(({ command, hidden }, index) => {
        const row = rows.find((r) => r.name === command);
        if (row) items.push({ label: row.menuText.replace('&', '') + (hidden ? ' (ukryte)' : ''), act: panels[command]!, separator: index === 0 });
      });
    // Below "Widok", where the student looks for the windows; the keyboard
    // goes back to where it was.
    const opener = document.activeElement instanceof HTMLElement && document.activeElement !== document.body ? document.activeElement : $('#menubar');
    const view = [...$('#menubar').children].find((top) => top.textContent === 'Widok') ?? $('#menubar');
    const box = view.getBoundingClientRect();
    showContextMenu(items, 'Lista okien', opener, { x: box.left, y: box.bottom });
  }

  private listed(panel: PanelName): { command: CommandName; hidden: boolean } {
    return { command: viewCommands[panel], hidden: this.placement.hidden.includes(panel) };
  }

  private applySizes(): void {
    document.body.style.setProperty('--editor-width', `${this.sizes.editorWidth}%`);
    document.body.style.setProperty('--lower-height', `${this.sizes.lowerHeight}%`);
    $('#split-editor').setAttribute('aria-valuenow', String(Math.round(this.sizes.editorWidth)));
    $('#split-lower').setAttribute('aria-valuenow', String(Math.round(this.sizes.lowerHeight)));
    saveSizes(window.localStorage, this.sizes);
  }
}
