// The page's menu bar as the engine's command table lays it out, apart from
// what its entries do: nothing here touches the page, so node checks it.
import type { MenuItem } from './menu';
import type { CommandRow, PageCommands } from './protocol';

const withoutMnemonic = (text: string) => text.replace('&', '');

// The menus in the table's order with the entries of `rows` that stand in
// them: a submenu where its first entry stands, a menu without an entry left
// out. `behaviour` gives what an entry does and when it is greyed.
export function menuBarOf(
  menus: PageCommands['menus'],
  rows: readonly CommandRow[],
  behaviour: (row: CommandRow) => Pick<MenuItem, 'act' | 'enabled'>,
): { label: string; items: MenuItem[] }[] {
  const all = menus.map(({ menu, text }) => ({ menu, label: withoutMnemonic(text), items: [] as MenuItem[] }));
  for (const row of rows) {
    const menu = all.find((m) => m.menu === row.menu);
    if (!menu) continue;
    const parent = all.find((m) => row.menu.startsWith(`${m.menu}/`));
    if (parent && menu.items.length === 0) parent.items.push({ label: menu.label, items: menu.items });
    const item: MenuItem = { label: withoutMnemonic(row.menuText), separator: row.separator, ...behaviour(row) };
    if (row.key) item.key = row.key;
    menu.items.push(item);
  }
  return all.filter((m) => !m.menu.includes('/') && m.items.length > 0);
}
