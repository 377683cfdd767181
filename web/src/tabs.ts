// Arrow keys in a row of tabs: the next tab to the right or the left, round
// from one end to the other, Home and End to the ends, as ARIA's tab
// pattern has it.

// The index of the tab a key moves to from the tab at `current`, of
// `count` tabs; null for any other key, which the row leaves alone.
export function arrowedTab(key: string, current: number, count: number): number | null {
  if (key === 'Home') return 0;
  if (key === 'End') return count - 1;
  if (key !== 'ArrowLeft' && key !== 'ArrowRight') return null;
  const step = key === 'ArrowRight' ? 1 : count - 1;
  return (current + step) % count;
}
