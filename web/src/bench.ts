// The benchmark page: the speed yardstick's loop run by the engine in its
// worker, as the page runs programs. ?cycles=N sets the length.
import { EngineClient } from './engine-client';

const cycles = Number(new URLSearchParams(location.search).get('cycles') ?? 50_000_000);
const result = document.querySelector<HTMLElement>('#result')!;
const engine = new EngineClient('worker.js', {
  view() {},
  instructions() {},
  runEnded() {},
  failed(message) {
    result.textContent = message;
  },
  unavailable() {
    result.textContent = 'silnik nie wystartował';
  },
});

void engine.ready.then(async () => {
  result.textContent = `${cycles} taktów…`;
  const speed = await engine.call({ kind: 'speed', cycles });
  result.dataset['cyclesPerSecond'] = String(speed);
  result.textContent = speed > 0 ? `${(speed / 1e6).toFixed(1)} M taktów/s` : 'pętla nie doszła do limitu taktów';
});
