// The page's menu bar as the engine's command table lays it out, apart from
// what its entries do: nothing here touches the page, so node checks it.
import type { MenuItem } from './menu';
import type { CommandRow, PageCommands } from './protocol';

// A caption as the table writes it, "Z&apisz jako...": its text without
// the '&' and where its underlined letter stands, if it has one.
export function captionOf(text: string): Pick<MenuItem, 'label' | 'mnemonic'> {
  const at = text.indexOf('&');
  if (at < 0 || at + 1 >= text.length) return { label: text };
  return { label: text.slice(0, at) + text.slice(at + 1), mnemonic: at };
}

// The menus in the table's order with the entries of `rows` that stand in
// them: a submenu where its first entry stands, a menu without an entry left
// out. `behaviour` gives what an entry does and when it is greyed.
export function menuBarOf(
  menus: PageCommands['menus'],
  rows: readonly CommandRow[],
  behaviour: (row: CommandRow) => Pick<MenuItem, 'act' | 'enabled'>,
): { label: string; mnemonic?: number; items: MenuItem[] }[] {
  const all = menus.map(({ menu, text }) => ({ menu, ...captionOf(text), items: [] as MenuItem[] }));
  for (const row of rows) {
    const menu = all.find((m) => m.menu === row.menu);
    if (!menu) continue;
    const parent = all.find((m) => row.menu.startsWith(`${m.menu}/`));
    if (parent && menu.items.length === 0) parent.items.push({ label: menu.label, mnemonic: menu.mnemonic, items: menu.items });
    const item: MenuItem = { ...captionOf(row.menuText), separator: row.separator, ...behaviour(row) };
    if (row.key) item.key = row.key;
    menu.items.push(item);
  }
  return all.filter((m) => !m.menu.includes('/') && m.items.length > 0);
}
