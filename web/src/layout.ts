// The panels' sizes, which the student drags (or moves with the arrow keys
// on a separator) and the page keeps across reloads.

export interface PanelSizes {
  editorWidth: number; // percent of the page's width
  lowerHeight: number; // percent of the right column's height
}

export const defaultSizes: PanelSizes = { editorWidth: 33, lowerHeight: 30 };
const key = 'dorum.layout';
const limits = { editorWidth: [15, 70], lowerHeight: [10, 70] } as const;

const clamp = (value: number, [low, high]: readonly [number, number]) => Math.min(Math.max(value, low), high);

export function loadSizes(store: Pick<Storage, 'getItem'>): PanelSizes {
  try {
    const saved = JSON.parse(store.getItem(key) ?? 'null') as Partial<PanelSizes> | null;
    return {
      editorWidth: clamp(Number(saved?.editorWidth) || defaultSizes.editorWidth, limits.editorWidth),
      lowerHeight: clamp(Number(saved?.lowerHeight) || defaultSizes.lowerHeight, limits.lowerHeight),
    };
  } catch {
    return { ...defaultSizes };
  }
}

export function saveSizes(store: Pick<Storage, 'setItem'>, sizes: PanelSizes): void {
  try {
    store.setItem(key, JSON.stringify(sizes));
  } catch {
    // The sizes are a comfort; the page goes on without keeping them.
  }
}

// Makes `separator` resize `which` of the sizes: dragged with the mouse
// across `area`, or moved by the arrow keys 2 % at a time.
export function attachSeparator(
  separator: HTMLElement,
  area: HTMLElement,
  which: keyof PanelSizes,
  sizes: PanelSizes,
  apply: () => void,
): void {
  const vertical = which === 'editorWidth';
  const show = () => {
    separator.setAttribute('aria-valuenow', String(Math.round(sizes[which])));
    apply();
  };
  separator.setAttribute('role', 'separator');
  separator.setAttribute('tabindex', '0');
  separator.setAttribute('aria-orientation', vertical ? 'vertical' : 'horizontal');
  separator.setAttribute('aria-valuemin', String(limits[which][0]));
  separator.setAttribute('aria-valuemax', String(limits[which][1]));
  separator.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    separator.setPointerCapture(event.pointerId);
    const move = (e: PointerEvent) => {
      const box = area.getBoundingClientRect();
      sizes[which] = clamp(vertical ? ((e.clientX - box.left) / box.width) * 100 : ((box.bottom - e.clientY) / box.height) * 100, limits[which]);
      show();
    };
    separator.addEventListener('pointermove', move);
    separator.addEventListener('pointerup', () => separator.removeEventListener('pointermove', move), { once: true });
  });
  separator.addEventListener('keydown', (event) => {
    const grow: Record<string, number> = vertical ? { ArrowRight: 2, ArrowLeft: -2 } : { ArrowUp: 2, ArrowDown: -2 };
    const step = grow[event.key];
    if (step === undefined) return;
    event.preventDefault();
    sizes[which] = clamp(sizes[which] + step, limits[which]);
    show();
  });
  show();
}

// Where the four tool panels stand: each in one of the two right-hand
// areas, in the order of its area's tabs, and shown or hidden. The machine
// always heads the upper area; a panel hidden keeps its place, to come back
// there when a "Widok" command shows it again.
export const panelNames = ['console', 'instructions', 'watches', 'timing'] as const;
export type PanelName = (typeof panelNames)[number];
export type AreaName = 'upper' | 'lower';

export interface PanelPlacement {
  upper: PanelName[];
  lower: PanelName[];
  hidden: PanelName[];
}

export const defaultPlacement = (): PanelPlacement => ({ upper: [], lower: [...panelNames], hidden: [] });

// Raised whenever the kept value's shape changes: an older one is then
// ignored rather than misread.
const placementVersion = 1;
const placementKey = 'dorum.panels';

const isPanelList = (value: unknown): value is PanelName[] =>
  Array.isArray(value) && value.every((name) => (panelNames as readonly unknown[]).includes(name)) && new Set(value).size === value.length;

// The placement a kept value describes, or null unless it places every
// panel exactly once.
export function readPlacement(value: unknown): PanelPlacement | null {
  if (typeof value !== 'object' || value === null) return null;
  const { version, upper, lower, hidden } = value as Record<string, unknown>;
  if (version !== placementVersion || !isPanelList(upper) || !isPanelList(lower) || !isPanelList(hidden)) return null;
  const placed = [...upper, ...lower];
  if (placed.length !== panelNames.length || new Set(placed).size !== placed.length) return null;
  return { upper: [...upper], lower: [...lower], hidden: [...hidden] };
}

export function loadPlacement(store: Pick<Storage, 'getItem'>): PanelPlacement {
  try {
    return readPlacement(JSON.parse(store.getItem(placementKey) ?? 'null')) ?? defaultPlacement();
  } catch {
    return defaultPlacement();
  }
}

export function savePlacement(store: Pick<Storage, 'setItem'>, placement: PanelPlacement): void {
  try {
    store.setItem(placementKey, JSON.stringify({ version: placementVersion, ...placement }));
  } catch {
    // As the sizes: a comfort the page goes on without.
  }
}

export const areaOf = (placement: PanelPlacement, panel: PanelName): AreaName => (placement.upper.includes(panel) ? 'upper' : 'lower');

// The panel moved to the end of `area`'s tabs, and shown.
export function movePanel(placement: PanelPlacement, panel: PanelName, area: AreaName): PanelPlacement {
  const without = (names: PanelName[]) => names.filter((name) => name !== panel);
  const moved = { upper: without(placement.upper), lower: without(placement.lower), hidden: without(placement.hidden) };
  moved[area].push(panel);
  return moved;
}

export function setPanelHidden(placement: PanelPlacement, panel: PanelName, hidden: boolean): PanelPlacement {
  const others = placement.hidden.filter((name) => name !== panel);
  return { ...placement, hidden: hidden ? [...others, panel] : others };
}

// The panels of an area in sight.
export const shownIn = (placement: PanelPlacement, area: AreaName): PanelName[] => placement[area].filter((name) => !placement.hidden.includes(name));
