// The page's side of the worker: typed requests, each answered once.
import type { Answers, Envelope, InstructionEntry, LayoutItem, Notice, PageCommands, Request, RunState, View } from './protocol';

export interface EngineEvents {
  view(view: View): void;
  instructions(list: InstructionEntry[]): void;
  runEnded(state: RunState): void;
  failed(message: string): void;
  // The engine could not start: the page was opened as a file, or the
  // server does not give the engine (or forbids running it).
  unavailable(): void;
}

export class EngineClient {
  private readonly worker: Worker;
  private nextId = 1;
  private unavailableTold = false;
  private readonly waiting = new Map<number, { resolve: (answer: unknown) => void; reject: (error: Error) => void }>();
  // The diagram's layout and the command table, once the engine stands.
  readonly ready: Promise<{ layout: LayoutItem[]; commands: PageCommands }>;

  constructor(url: string, private readonly events: EngineEvents) {
    let resolveReady: (ready: { layout: LayoutItem[]; commands: PageCommands }) => void = () => {};
    this.ready = new Promise((resolve) => (resolveReady = resolve));
    try {
      this.worker = new Worker(url);
    } catch {
      // A page opened as a file may not start a worker at all.
      this.worker = { postMessage: () => {} } as unknown as Worker;
      queueMicrotask(() => events.unavailable());
      return;
    }
    // Before the engine stood, an error of the worker means it never will;
    // after, it is one more failure of a call.
    let started = false;
    void this.ready.then(() => (started = true));
    this.worker.onerror = (event) => {
      if (started) events.failed(event.message);
      else if (!this.unavailableTold) {
        this.unavailableTold = true;
        events.unavailable();
      }
    };
    this.worker.onmessage = (event: MessageEvent<Notice>) => {
      const notice = event.data;
      switch (notice.kind) {
        case 'ready':
          resolveReady({ layout: notice.layout, commands: notice.commands });
          return;
        case 'answer':
          this.waiting.get(notice.id)?.resolve(notice.answer);
          this.waiting.delete(notice.id);
          return;
        case 'view':
          this.events.view(notice.view);
          return;
        case 'instructions':
          this.events.instructions(notice.list);
          return;
        case 'runEnded':
          this.events.runEnded(notice.state);
          return;
        case 'failed':
          this.events.failed(notice.message);
          if (notice.id !== undefined) {
            this.waiting.get(notice.id)?.reject(new Error(notice.message));
            this.waiting.delete(notice.id);
          }
          return;
      }
    };
  }

  call<R extends Request>(request: R): Promise<Answers[R['kind']]> {
    const id = this.nextId++;
    const envelope: Envelope = { id, request };
    return new Promise((resolve, reject) => {
      this.waiting.set(id, { resolve: resolve as (answer: unknown) => void, reject });
      this.worker.postMessage(envelope);
    });
  }
}
