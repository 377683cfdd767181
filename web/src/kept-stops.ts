// The stop conditions and the cycle breakpoints survive a reload, as the
// texts, the list and the settings do: kept after each change, once those
// kept before have been put back (before that, a change would write over
// them with the empty machine of a page just opened).
import type { EngineClient } from './engine-client';
import { loadStops, saveStops } from './storage';

export class StopsKeeper {
  private restored = false;

  constructor(private readonly engine: EngineClient) {}

  async keep(): Promise<void> {
    if (this.restored) saveStops(window.localStorage, await this.engine.call({ kind: 'keptStops' }));
  }

  // After the list is back: the breakpoints belong to its instructions.
  async restore(): Promise<void> {
    await this.engine.call({ kind: 'restoreStops', stops: loadStops(window.localStorage) });
    this.restored = true;
  }
}
