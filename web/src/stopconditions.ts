// "Warunki zatrzymania": the conditions that end a run after the cycle in
// which one holds. The dialog edits the engine's copy; "OK" writes it back,
// "Anuluj" leaves the conditions as they were. A condition typed but not
// added yet is added on "OK", and a malformed one keeps the dialog open.
import type { StopConditionRow } from './protocol';

export interface StopConditionsEngine {
  edit(): Promise<{ rows: StopConditionRow[]; note: string }>;
  add(text: string): Promise<{ ok: boolean; message: string; index: number; rows: StopConditionRow[] }>;
  remove(index: number): Promise<StopConditionRow[]>;
  clear(): Promise<StopConditionRow[]>;
  check(index: number, checked: boolean): Promise<StopConditionRow[]>;
  commit(): Promise<void>;
}

const element = <K extends keyof HTMLElementTagNameMap>(name: K, attributes: Record<string, string> = {}, text = '') => {
  const e = document.createElement(name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
  if (text) e.textContent = text;
  return e;
};

export async function editStopConditions(engine: StopConditionsEngine): Promise<void> {
  const before = document.activeElement as HTMLElement | null;
  const { rows: first, note } = await engine.edit();
  const backdrop = element('div', { class: 'backdrop' });
  const form = element('form', { class: 'box stop-conditions', novalidate: '', role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': 'stop-title' });
  form.append(element('h2', { id: 'stop-title' }, 'Warunki zatrzymania'));
  const list = element('ul', { class: 'conditions', 'aria-label': 'Warunki zatrzymania' });
  const edit = element('input', { 'aria-label': 'Nowy warunek', placeholder: 'np. changed(wynik), AK<0, signal(weak)', autocomplete: 'off' }) as HTMLInputElement;
  const add = element('button', { type: 'button' }, 'Dodaj');
  const remove = element('button', { type: 'button' }, 'Usuń');
  const clear = element('button', { type: 'button' }, 'Usuń wszystkie');
  const row = element('div', { class: 'edit-row' });
  row.append(edit, add, remove, clear);
  const message = element('p', { class: 'message', role: 'status' });
  const noteText = element('p', { class: 'note' }, note);
  const buttons = element('div', { class: 'buttons' });
  const ok = element('button', { type: 'submit' }, 'OK');
  const cancel = element('button', { type: 'button' }, 'Anuluj');
  buttons.append(ok, cancel);
  form.append(list, row, message, noteText, buttons);
  backdrop.append(form);

  let current = -1;
  let count = 0;
  const show = (rows: StopConditionRow[], selected: number) => {
    count = rows.length;
    current = Math.min(selected, rows.length - 1);
    list.replaceChildren(
      ...rows.map((condition, index) => {
        const item = element('li');
        if (index === current) item.setAttribute('aria-current', 'true');
        const box = element('input', { type: 'checkbox' }) as HTMLInputElement;
        box.checked = condition.checked;
        box.disabled = !condition.checkable;
        const label = element('label');
        label.append(box, condition.text);
        item.append(label);
        // The row a student touched last is the one "Usuń" takes.
        const choose = () => {
          current = index;
          for (const other of list.children) other.removeAttribute('aria-current');
          item.setAttribute('aria-current', 'true');
          remove.disabled = false;
        };
        item.addEventListener('click', choose);
        box.addEventListener('focus', choose);
        box.addEventListener('change', async () => show(await engine.check(index, box.checked), index));
        return item;
      }),
    );
    remove.disabled = current < 0;
    clear.disabled = rows.length === 0;
  };
  const say = (text: string, fault: boolean) => {
    message.textContent = text;
    message.classList.toggle('fault', fault);
  };
  // Enter adds what is typed; with nothing typed it is "OK".
  const typing = () => (add.disabled = edit.value.trim() === '');
  const addTyped = async (): Promise<boolean> => {
    const added = await engine.add(edit.value);
    if (!added.ok) {
      // The text stays for mending.
      say(added.message, true);
      edit.focus();
      return false;
    }
    say(added.message, false);
    edit.value = '';
    typing();
    show(added.rows, added.index);
    return true;
  };
  edit.addEventListener('input', typing);
  add.addEventListener('click', () => void addTyped());
  remove.addEventListener('click', async () => {
    if (current < 0 || current >= count) return;
    show(await engine.remove(current), current);
  });
  clear.addEventListener('click', async () => show(await engine.clear(), -1));
  show(first, first.length > 0 ? 0 : -1);
  typing();

  return new Promise((resolve) => {
    const close = () => {
      backdrop.remove();
      before?.focus();
      resolve();
    };
    cancel.addEventListener('click', close);
    form.addEventListener('keydown', (event) => {
      event.stopPropagation();
      if (event.key === 'Escape') close();
      else if (event.key === 'Enter' && event.target === edit && edit.value.trim() !== '') {
        event.preventDefault();
        void addTyped();
      }
    });
    form.addEventListener('submit', async (event) => {
      event.preventDefault();
      if (edit.value.trim() !== '' && !(await addTyped())) return;
      await engine.commit();
      close();
    });
    document.body.append(backdrop);
    edit.focus();
  });
}
