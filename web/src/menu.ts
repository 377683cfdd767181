// Menus as the desktop has them: the menu bar and the context menus, each a
// `menu` of `menuitem`s a screen reader announces, worked by mouse or by
// keyboard (arrows, Enter, Escape; Shift+F10 or the menu key opens a
// context menu on the focused item; Alt alone or Alt with a menu's
// underlined letter enters the menu bar, as on the desktop).

export interface MenuItem {
  label: string;
  mnemonic?: number; // where in the label its underlined letter stands
  key?: string; // the key shown beside the label
  act?: () => void;
  enabled?: () => boolean;
  checked?: () => boolean; // makes it a radio item (a check box with `checkbox`)
  checkbox?: boolean;
  items?: MenuItem[]; // a submenu
  separator?: boolean; // a line before the item
}

// What opened a menu: a menu bar's item, a register of the diagram...
export type Opener = HTMLElement | SVGElement;

interface OpenMenu {
  list: HTMLUListElement;
  items: MenuItem[];
  parent: OpenMenu | null;
  opener: Opener | null; // where the keyboard goes back on Escape
  sideways?: (step: number) => void; // a menu bar's neighbour
  openedAt: { x: number; y: number }; // where the pointer rested then
}

let pointer = { x: -1, y: -1 };
document.addEventListener('pointermove', (event) => (pointer = { x: event.clientX, y: event.clientY }), true);

let open: OpenMenu[] = [];

export const menuOpen = () => open.length > 0;

export function closeMenus(focusBack = false): void {
  const root = open[0];
  for (const menu of open) menu.list.remove();
  open = [];
  root?.opener?.setAttribute('aria-expanded', 'false');
  if (focusBack) root?.opener?.focus();
}

function closeFrom(menu: OpenMenu): void {
  const at = open.indexOf(menu);
  if (at < 0) return;
  for (const deeper of open.splice(at)) deeper.list.remove();
}

const entries = (menu: OpenMenu) => [...menu.list.querySelectorAll<HTMLElement>(':scope > li[role^=menuitem]')];

function focusEntry(menu: OpenMenu, index: number): void {
  const all = entries(menu);
  if (all.length === 0) return;
  all[(index + all.length) % all.length]!.focus();
}

function buildEntry(menu: OpenMenu, item: MenuItem): HTMLLIElement {
  const entry = document.createElement('li');
  const radio = item.checked !== undefined;
  entry.setAttribute('role', radio ? (item.checkbox ? 'menuitemcheckbox' : 'menuitemradio') : 'menuitem');
  if (radio) entry.setAttribute('aria-checked', String(item.checked!()));
  entry.tabIndex = -1;
  const label = document.createElement('span');
  showLabel(label, item);
  entry.append(label);
  if (item.key) {
    const key = document.createElement('span');
    key.className = 'key';
    key.textContent = item.key;
    entry.append(key);
    entry.setAttribute('aria-keyshortcuts', item.key.replace('Ctrl', 'Control'));
    // Named by its label alone, as the desktop's menu item is: the key is
    // told by aria-keyshortcuts.
    key.setAttribute('aria-hidden', 'true');
  }
  const enabled = item.enabled?.() ?? true;
  if (!enabled) entry.setAttribute('aria-disabled', 'true');
  if (item.items) {
    entry.setAttribute('aria-haspopup', 'menu');
    entry.setAttribute('aria-expanded', 'false');
  }
  const activate = () => {
    if (!enabled) return;
    if (item.items) {
      openSubmenu(menu, entry, item.items);
      return;
    }
    closeMenus(true);
    leaveBar();
    item.act?.();
  };
  entry.addEventListener('click', (event) => {
    event.stopPropagation();
    activate();
  });
  // Only a pointer that moves takes the focus: a menu opening under a
  // resting pointer leaves the keyboard's item alone.
  entry.addEventListener('pointermove', (event) => {
    if (document.activeElement === entry || (event.clientX === menu.openedAt.x && event.clientY === menu.openedAt.y)) return;
    entry.focus();
    if (item.items && enabled) openSubmenu(menu, entry, item.items);
    else if (open[open.length - 1] !== menu) closeFrom(open[open.indexOf(menu) + 1]!);
  });
  entry.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === ' ' || (event.key === 'ArrowRight' && item.items)) {
      event.preventDefault();
      event.stopPropagation();
      activate();
    }
  });
  return entry;
}

// A caption with its mnemonic underlined; a screen reader reads the caption
// whole, the underline being a span within it.
function showLabel(target: HTMLElement, { label, mnemonic }: Pick<MenuItem, 'label' | 'mnemonic'>): void {
  if (mnemonic === undefined || mnemonic >= label.length) {
    target.textContent = label;
    return;
  }
  const letter = document.createElement('span');
  letter.className = 'mnemonic';
  letter.textContent = label.charAt(mnemonic);
  target.replaceChildren(label.slice(0, mnemonic), letter, label.slice(mnemonic + 1));
}

const mnemonicOf = ({ label, mnemonic }: Pick<MenuItem, 'label' | 'mnemonic'>) =>
  mnemonic === undefined ? undefined : label.charAt(mnemonic).toLocaleLowerCase('pl');

// The letter a key event gives, Alt or not: Alt may change the character
// typed, never the key pressed.
function letterOf(event: KeyboardEvent): string {
  const latin = /^Key([A-Z])$/.exec(event.code);
  return latin ? latin[1]!.toLowerCase() : event.key.toLocaleLowerCase('pl');
}

function placeMenu(list: HTMLElement, x: number, y: number): void {
  list.style.left = `${x}px`;
  list.style.top = `${y}px`;
  // Inside the page's main landmark, where a screen reader's list of
  // landmarks finds it; fixed in place, it stands where it is put all the same.
  (document.querySelector('main') ?? document.body).append(list);
  // Kept inside the window.
  const box = list.getBoundingClientRect();
  if (box.right > window.innerWidth) list.style.left = `${Math.max(0, window.innerWidth - box.width)}px`;
  if (box.bottom > window.innerHeight) list.style.top = `${Math.max(0, window.innerHeight - box.height)}px`;
}

function showMenu(items: MenuItem[], x: number, y: number, parent: OpenMenu | null, opener: Opener | null, label: string): OpenMenu {
  const list = document.createElement('ul');
  list.className = 'popup-menu';
  list.setAttribute('role', 'menu');
  list.setAttribute('aria-label', label);
  const menu: OpenMenu = { list, items, parent, opener, openedAt: pointer };
  for (const item of items) {
    if (item.separator) {
      const line = document.createElement('li');
      line.setAttribute('role', 'separator');
      list.append(line);
    }
    list.append(buildEntry(menu, item));
  }
  list.addEventListener('keydown', (event) => onMenuKey(menu, event));
  open.push(menu);
  placeMenu(list, x, y);
  return menu;
}

function openSubmenu(menu: OpenMenu, entry: HTMLElement, items: MenuItem[]): void {
  const next = open[open.indexOf(menu) + 1];
  if (next?.opener === entry) {
    focusEntry(next, 0);
    return;
  }
  if (next) closeFrom(next);
  const box = entry.getBoundingClientRect();
  entry.setAttribute('aria-expanded', 'true');
  const sub = showMenu(items, box.right - 2, box.top, menu, entry, entry.textContent ?? '');
  focusEntry(sub, 0);
}

function onMenuKey(menu: OpenMenu, event: KeyboardEvent): void {
  const all = entries(menu);
  const at = all.indexOf(document.activeElement as HTMLElement);
  const handled = () => {
    event.preventDefault();
    event.stopPropagation();
  };
  switch (event.key) {
    case 'ArrowDown':
      handled();
      return focusEntry(menu, at + 1);
    case 'ArrowUp':
      handled();
      return focusEntry(menu, at < 0 ? -1 : at - 1);
    case 'Home':
      handled();
      return focusEntry(menu, 0);
    case 'End':
      handled();
      return focusEntry(menu, -1);
    case 'Escape':
    case 'ArrowLeft':
      handled();
      if (menu.parent) {
        closeFrom(menu);
        menu.opener?.setAttribute('aria-expanded', 'false');
        menu.opener?.focus();
      } else if (event.key === 'ArrowLeft' && menu.sideways) menu.sideways(-1);
      else if (event.key === 'Escape') closeMenus(true);
      return;
    case 'ArrowRight':
      handled();
      open[0]?.sideways?.(1);
      return;
    case 'Tab':
      closeMenus(false);
      return;
  }
  // A letter goes to the next item with that mnemonic, or else to the next
  // item it begins.
  if (event.key.length === 1 && !event.ctrlKey && !event.altKey) {
    handled();
    const letter = event.key.toLocaleLowerCase('pl');
    const round = [...all.slice(at + 1), ...all.slice(0, at + 1)];
    const itemOf = (entry: HTMLElement) => menu.items[indexAmongEntries(menu, entry)];
    const next =
      round.find((e) => { const item = itemOf(e); return item !== undefined && mnemonicOf(item) === letter; }) ??
      round.find((e) => e.textContent?.toLocaleLowerCase('pl').startsWith(letter));
    next?.focus();
  }
}

// Entries are the menu's items in order, the separators aside.
const indexAmongEntries = (menu: OpenMenu, entry: HTMLElement) => entries(menu).indexOf(entry);

// A context menu at the pointer, or below the focused element when the
// keyboard opened it.
export function showContextMenu(items: MenuItem[], label: string, opener: Opener, at?: { x: number; y: number }): void {
  closeMenus();
  const box = opener.getBoundingClientRect();
  const menu = showMenu(items, at?.x ?? box.left, at?.y ?? box.bottom, null, opener, label);
  focusEntry(menu, 0);
}

// Whether a key event asks for a context menu.
export const isContextMenuKey = (event: KeyboardEvent) => event.key === 'ContextMenu' || (event.shiftKey && event.key === 'F10');

// Where the keyboard was before Alt took it to the menu bar: it goes back
// there once a command is chosen, or on Escape from the bar.
let beforeBar: HTMLElement | null = null;

function leaveBar(): void {
  const back = beforeBar;
  beforeBar = null;
  if (back?.isConnected) back.focus();
}

const inMenus = (target: Element | null) => target !== null && (target.closest('[role=menubar]') !== null || open.some((menu) => menu.list.contains(target)));

// Alt alone takes the keyboard to the bar's first menu and back; Alt with
// a menu's underlined letter opens that menu. Neither while `blocked` (a
// box is up and holds the keyboard).
function attachBarKeys(tops: HTMLElement[], menus: { label: string; mnemonic?: number }[], openAt: (index: number, focusFirst: boolean) => void, blocked: () => boolean): void {
  let altAlone = false;
  const enter = () => {
    if (!inMenus(document.activeElement)) beforeBar = document.activeElement instanceof HTMLElement ? document.activeElement : null;
  };
  window.addEventListener(
    'keydown',
    (event) => {
      altAlone = event.key === 'Alt' && !event.ctrlKey && !event.shiftKey && !event.metaKey;
      if (event.key === 'Alt' || !event.altKey || event.ctrlKey || event.metaKey || blocked()) return;
      const letter = letterOf(event);
      const index = menus.findIndex((menu) => mnemonicOf(menu) === letter);
      if (index < 0) return;
      event.preventDefault();
      event.stopPropagation();
      enter();
      openAt(index, true);
    },
    true,
  );
  window.addEventListener(
    'keyup',
    (event) => {
      if (event.key !== 'Alt' || !altAlone) return;
      altAlone = false;
      if (blocked()) return;
      event.preventDefault();
      if (inMenus(document.activeElement)) {
        closeMenus();
        leaveBar();
        return;
      }
      enter();
      for (const top of tops) top.tabIndex = top === tops[0] ? 0 : -1;
      tops[0]?.focus();
    },
    true,
  );
  window.addEventListener('pointerdown', () => {
    altAlone = false;
    beforeBar = null;
  }, true);
}

// The menu bar: each top item opens its menu below it.
export function buildMenuBar(bar: HTMLElement, menus: { label: string; mnemonic?: number; items: MenuItem[] }[], blocked: () => boolean = () => false): void {
  bar.setAttribute('role', 'menubar');
  const tops: HTMLElement[] = [];
  const openAt = (index: number, focusFirst: boolean) => {
    closeMenus();
    const top = tops[(index + tops.length) % tops.length]!;
    const { items, label } = menus[tops.indexOf(top)]!;
    top.focus();
    top.setAttribute('aria-expanded', 'true');
    const box = top.getBoundingClientRect();
    const menu = showMenu(items, box.left, box.bottom, null, top, label);
    menu.sideways = (step) => openAt(tops.indexOf(top) + step, true);
    if (focusFirst) focusEntry(menu, 0);
  };
  menus.forEach((_, index) => {
    const top = document.createElement('button');
    top.setAttribute('role', 'menuitem');
    top.setAttribute('aria-haspopup', 'menu');
    top.setAttribute('aria-expanded', 'false');
    showLabel(top, menus[index]!);
    top.tabIndex = index === 0 ? 0 : -1;
    top.addEventListener('click', (event) => {
      event.stopPropagation();
      if (open[0]?.opener === top) closeMenus();
      else openAt(index, event.detail === 0);
    });
    top.addEventListener('pointerenter', () => {
      if (open.length > 0 && open[0]?.opener !== top && tops.includes(open[0]?.opener as HTMLButtonElement)) openAt(index, false);
    });
    top.addEventListener('keydown', (event) => {
      const step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
      if (step) {
        event.preventDefault();
        const next = tops[(index + step + tops.length) % tops.length]!;
        for (const t of tops) t.tabIndex = t === next ? 0 : -1;
        next.focus();
      } else if (event.key === 'ArrowDown') {
        event.preventDefault();
        openAt(index, true);
      } else if (event.key === 'Escape' && beforeBar) {
        event.preventDefault();
        leaveBar();
      }
    });
    tops.push(top);
    bar.append(top);
  });
  attachBarKeys(tops, menus, openAt, blocked);
}

// A click elsewhere closes the open menus.
document.addEventListener('pointerdown', (event) => {
  if (open.length === 0) return;
  if (open.some((menu) => menu.list.contains(event.target as Node) || menu.opener?.contains(event.target as Node))) return;
  closeMenus();
});
