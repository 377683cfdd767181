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
