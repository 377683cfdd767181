// The machine diagram's values and menus: entering a register's or a
// memory word's value, "Pokaż jako", "Zeruj", saving the diagram.
import { askValue } from './dialogs';
import { MachineDiagram } from './diagram';
import { savePicture } from './files-and-lists';
import { showContextMenu, type MenuItem, type Opener } from './menu';
import { showOutcome, type Page } from './page';
import type { LayoutItem, Outcome, ValueQuestion } from './protocol';
import { loadSettings, saveSettings } from './storage';

async function enterValue(question: ValueQuestion, enter: (text: string) => Promise<Outcome>): Promise<void> {
  const text = await askValue(question.title, question.label, question.value);
  if (text !== null) await showOutcome(await enter(text));
}

// A register's menu, as the desktop's: "Wpisz wartość", "Pokaż jako" and
// "Zeruj".
async function registerMenu(page: Page, id: number, opener: Opener, at?: { x: number; y: number }): Promise<void> {
  const { engine } = page;
  const modes = await engine.call({ kind: 'registerModes', id });
  const items: MenuItem[] = [
    { label: 'Wpisz wartość', act: () => void enterRegister(page, id) },
    {
      label: 'Pokaż jako',
      items: modes.choices.map((choice) => ({
        label: choice.caption,
        checked: () => choice.mode === modes.current,
        act: async () => {
          const outcome = await engine.call({ kind: 'setDisplayMode', id, mode: choice.mode });
          if (outcome.ok) saveSettings(window.localStorage, { displayModes: { [id]: choice.mode } });
          await showOutcome(outcome);
        },
      })),
    },
    { label: 'Zeruj', act: () => void engine.call({ kind: 'zeroRegister', id }).then(showOutcome) },
  ];
  showContextMenu(items, 'Rejestr', opener, at);
}

const enterRegister = async (page: Page, id: number) =>
  enterValue(await page.engine.call({ kind: 'registerValue', id }), (text) => page.engine.call({ kind: 'enterRegister', id, text }));
const enterMemory = async (page: Page, address: number) =>
  enterValue(await page.engine.call({ kind: 'memoryValue', address }), (text) => page.engine.call({ kind: 'enterMemory', address, text }));

// The diagram's own menu.
function diagramMenu(page: Page, opener: Opener, at?: { x: number; y: number }): void {
  const save = (png: boolean) => page.diagram && void savePicture(page.diagram.svg, 816, 477, 'schemat', png);
  showContextMenu(
    [
      { label: 'Zapisz schemat jako PNG...', act: () => save(true) },
      { label: 'Zapisz schemat jako SVG...', act: () => save(false) },
      { label: 'Wyczyść pamięć', act: () => void page.engine.call({ kind: 'clearMemory' }), separator: true },
    ],
    'Schemat',
    opener,
    at,
  );
}

// The diagram, drawn in its place; the memory rows it shows follow its
// scrolling.
// The registers' formats the student chose before the page was loaded again.
export async function restoreDisplayModes(page: Page, layout: LayoutItem[]): Promise<void> {
  for (const [id, mode] of Object.entries(loadSettings(window.localStorage).displayModes ?? {})) {
    if (layout.some((item) => item.kind === 'register' && item.id === Number(id))) await page.engine.call({ kind: 'setDisplayMode', id: Number(id), mode });
  }
}

export function createDiagram(page: Page, layout: LayoutItem[], host: HTMLElement): MachineDiagram {
  const { engine } = page;
  const diagram = new MachineDiagram(layout, {
    enterRegister: (id) => void enterRegister(page, id),
    enterMemory: (address) => void enterMemory(page, address),
    toggleSignal: (id) => void engine.call({ kind: 'toggleSignal', id }),
    registerMenu: (id, opener, at) => void registerMenu(page, id, opener, at),
    diagramMenu: (opener, at) => diagramMenu(page, opener, at),
  });
  host.append(diagram.svg);
  diagram.svg.addEventListener('memoryscroll', (event) => {
    void engine.call({ kind: 'memoryWindow', first: (event as CustomEvent<number>).detail, rows: diagram.visibleRows });
  });
  void engine.call({ kind: 'memoryWindow', first: 0, rows: diagram.visibleRows });
  return diagram;
}
