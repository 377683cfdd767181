// "Warunki zatrzymania": the conditions that end a run after the cycle in
// which one holds. The dialog edits the engine's copy; "OK" writes it back,
// "Anuluj" leaves the conditions as they were. A condition typed but not
// added yet is added on "OK", and a malformed one keeps the dialog open.
import type { StopConditionRow } from './protocol';
import { element, showModalForm } from './dialogs';

export interface StopConditionsEngine {
  edit(): Promise<{ rows: StopConditionRow[]; note: string }>;
  add(text: string): Promise<{ ok: boolean; message: string; index: number; rows: StopConditionRow[] }>;
  remove(index: number): Promise<StopConditionRow[]>;
  clear(): Promise<StopConditionRow[]>;
  check(index: number, checked: boolean): Promise<StopConditionRow[]>;
  commit(): Promise<void>;
}


export async function editStopConditions(engine: StopConditionsEngine): Promise<void> {
  const { rows: first, note } = await engine.edit();
  await showModalForm('Warunki zatrzymania', 'stop-conditions', (form) => {
    const list = element('ul', { class: 'conditions', 'aria-label': 'Warunki zatrzymania' });
    const edit = element('input', { 'aria-label': 'Nowy warunek', placeholder: 'np. changed(wynik), AK<0, signal(weak)', autocomplete: 'off' }) as HTMLInputElement;
    const add = element('button', { type: 'button' }, 'Dodaj');
    const remove = element('button', { type: 'button' }, 'Usuń');
    const clear = element('button', { type: 'button' }, 'Usuń wszystkie');
    const row = element('div', { class: 'edit-row' });
    row.append(edit, add, remove, clear);
    const message = element('p', { class: 'message', role: 'status' });
    form.append(list, row, message, element('p', { class: 'note' }, note));

    let current = -1;
    let count = 0;
    const show = (rows: StopConditionRow[], selected: number) => {
      count = rows.length;
      current = Math.min(selected, rows.length - 1);
      list.replaceChildren(...rows.map((condition, index) => conditionItem(condition, index)));
      remove.disabled = current < 0;
      clear.disabled = rows.length === 0;
    };
    const conditionItem = (condition: StopConditionRow, index: number) => {
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

    const key = (event: KeyboardEvent) => {
      if (event.key === 'Enter' && event.target === edit && edit.value.trim() !== '') {
        event.preventDefault();
        void addTyped();
      }
    };
    // A condition typed but not added yet is added on "OK"; a malformed one
    // keeps the dialog open.
    const submit = async () => {
      if (edit.value.trim() !== '' && !(await addTyped())) return false;
      await engine.commit();
      return true;
    };
    return { first: edit, submit, key };
  });
}
