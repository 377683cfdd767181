// The run commands and the machine's controls beside the diagram: tracking
// level, tempo, manual control and the interrupt buttons.
import { showMessage } from './dialogs';
import { $, showOutcome, type Page } from './page';
import type { PageCommands, RunCommand, RunState, View } from './protocol';
import { loadSettings, saveSettings } from './storage';

// "Takt", "Rozkaz", "Program", "Do kursora": the last runs to the caret's
// line of the program that runs.
export async function start(page: Page, command: RunCommand): Promise<void> {
  const { documents, bound } = page;
  const line = documents.current === bound ? documents.current.editor.caretLine : (bound?.editor.caretLine ?? 0);
  await page.engine.call({ kind: 'start', command, line });
}

// How a run ended, in its box.
export async function reportEnd(state: RunState): Promise<void> {
  if (state.box !== 'none') await showMessage(state.box, state.message);
}

export async function reset(page: Page): Promise<void> {
  await showOutcome(await page.engine.call({ kind: 'reset' }));
}

export function showMachineControls(fresh: View): void {
  for (const radio of document.querySelectorAll<HTMLInputElement>('#tracking input')) radio.checked = Number(radio.value) === fresh.trackingLevel;
  $<HTMLInputElement>('#manual-control').checked = fresh.manualControl;
  $('#interrupts').hidden = !fresh.interruptButtons;
}

export function attachMachineControls(page: Page, table: PageCommands): void {
  const { engine } = page;
  const store = window.localStorage;
  const saved = loadSettings(store);
  const setTrackingLevel = (level: number) => void engine.call({ kind: 'setTrackingLevel', level });
  for (const radio of document.querySelectorAll<HTMLInputElement>('#tracking input'))
    radio.addEventListener('change', () => {
      setTrackingLevel(Number(radio.value));
      saveSettings(store, { trackingLevel: Number(radio.value) });
    });
  if (saved.trackingLevel !== undefined) setTrackingLevel(saved.trackingLevel);
  const tempo = $<HTMLSelectElement>('#tempo');
  tempo.replaceChildren(
    ...table.tempos.map(({ milliseconds, text }) => new Option(text, String(milliseconds), false, milliseconds === table.defaultTempo)),
  );
  tempo.addEventListener('change', () => {
    void engine.call({ kind: 'setTempo', milliseconds: Number(tempo.value) });
    saveSettings(store, { tempo: Number(tempo.value) });
  });
  if (table.tempos.some((t) => t.milliseconds === saved.tempo)) {
    tempo.value = String(saved.tempo);
    void engine.call({ kind: 'setTempo', milliseconds: saved.tempo! });
  }
  $<HTMLInputElement>('#manual-control').addEventListener('change', (event) =>
    void engine.call({ kind: 'setManualControl', manual: (event.target as HTMLInputElement).checked }),
  );
  for (let line = 1; line <= 4; ++line) {
    const button = document.createElement('button');
    button.textContent = String(line);
    button.setAttribute('aria-label', `Przerwanie ${line}`);
    button.title = `Przerwanie ${line}`;
    button.addEventListener('click', () => void engine.call({ kind: 'raiseInterrupt', line }).then(showOutcome));
    $('#interrupts').append(button);
  }
}
