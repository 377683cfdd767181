// The engine's worker: it owns the simulated computer, so that the page
// never waits for the machine and "Przerwij" is heard between two slices.
import type { Envelope, Notice } from './protocol';
import { EngineHost, type EngineModule } from './host';

declare function importScripts(...urls: string[]): void;
declare const createEngine: () => Promise<EngineModule>;

const post = (notice: Notice) => (self as unknown as Worker).postMessage(notice);

// The next slice comes after the messages that arrived meanwhile: a message
// channel yields without the timers' minimum delay.
const channel = new MessageChannel();
let next: () => void = () => {};
channel.port1.onmessage = () => next();
const yieldThen = (then: () => void) => {
  next = then;
  channel.port2.postMessage(null);
};

const pending: Envelope[] = [];
let host: EngineHost | null = null;
self.onmessage = (event: MessageEvent<Envelope>) => {
  if (host) host.handle(event.data.id, event.data.request);
  else pending.push(event.data);
};

// An engine that cannot be fetched or compiled is an error of the worker,
// which the page tells the student about.
importScripts('engine.js');
createEngine().then(
  (module) => {
    host = new EngineHost(module, post, yieldThen);
    for (const { id, request } of pending.splice(0)) host.handle(id, request);
  },
  (error: unknown) =>
    setTimeout(() => {
      throw error;
    }),
);
