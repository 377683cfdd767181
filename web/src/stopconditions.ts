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


// The dialog's form: the list of conditions, the field a new one is typed
// in, and what the last addition said.
class ConditionsForm {
  private readonly list = element('ul', { class: 'conditions', 'aria-label': 'Warunki zatrzymania' });
  readonly edit = element('input', { 'aria-label': 'Nowy warunek', placeholder: 'np. changed(wynik), AK<0, signal(weak)', autocomplete: 'off' }) as HTMLInputElement;
  private readonly add = element('button', { type: 'button' }, 'Dodaj');
  private readonly remove = element('button', { type: 'button' }, 'Usuń');
  private readonly clear = element('button', { type: 'button' }, 'Usuń wszystkie');
  private readonly message = element('p', { class: 'message', role: 'status' });
  private current = -1;
  private count = 0;

  constructor(
    private readonly engine: StopConditionsEngine,
    form: HTMLFormElement,
    note: string,
  ) {
    const row = element('div', { class: 'edit-row' });
    row.append(this.edit, this.add, this.remove, this.clear);
    form.append(this.list, row, this.message, element('p', { class: 'note' }, note));
    this.edit.addEventListener('input', () => this.typing());
    this.add.addEventListener('click', () => void this.addTyped());
    this.remove.addEventListener('click', async () => {
      if (this.current < 0 || this.current >= this.count) return;
      this.show(await engine.remove(this.current), this.current);
    });
    this.clear.addEventListener('click', async () => this.show(await engine.clear(), -1));
  }

  show(rows: StopConditionRow[], selected: number): void {
    this.count = rows.length;
    this.current = Math.min(selected, rows.length - 1);
    this.list.replaceChildren(...rows.map((condition, index) => this.item(condition, index)));
    this.remove.disabled = this.current < 0;
    this.clear.disabled = rows.length === 0;
  }

  private item(condition: StopConditionRow, index: number): HTMLLIElement {
    const item = element('li') as HTMLLIElement;
    if (index === this.current) item.setAttribute('aria-current', 'true');
    const box = element('input', { type: 'checkbox' }) as HTMLInputElement;
    box.checked = condition.checked;
    box.disabled = !condition.checkable;
    const label = element('label');
    label.append(box, condition.text);
    item.append(label);
    // The row a student touched last is the one "Usuń" takes.
    const choose = () => {
      this.current = index;
      for (const other of this.list.children) other.removeAttribute('aria-current');
      item.setAttribute('aria-current', 'true');
      this.remove.disabled = false;
    };
    item.addEventListener('click', choose);
    box.addEventListener('focus', choose);
    box.addEventListener('change', async () => this.show(await this.engine.check(index, box.checked), index));
    return item;
  }

  private say(text: string, fault: boolean): void {
    this.message.textContent = text;
    this.message.classList.toggle('fault', fault);
  }

  // Enter adds what is typed; with nothing typed it is "OK".
  typing(): void {
    this.add.disabled = this.edit.value.trim() === '';
  }

  async addTyped(): Promise<boolean> {
    const typed = this.edit.value;
    const added = await this.engine.add(typed);
    if (!added.ok) {
      // The text stays for mending.
      this.say(added.message, true);
      this.edit.focus();
      return false;
    }
    this.say(added.message, false);
    // What was typed while the engine answered is the next condition.
    if (this.edit.value === typed) this.edit.value = '';
    this.typing();
    this.show(added.rows, added.index);
    return true;
  }
}

export async function editStopConditions(engine: StopConditionsEngine): Promise<void> {
  const { rows: first, note } = await engine.edit();
  await showModalForm('Warunki zatrzymania', 'stop-conditions', (form) => {
    const conditions = new ConditionsForm(engine, form, note);
    const { edit } = conditions;
    conditions.show(first, first.length > 0 ? 0 : -1);
    conditions.typing();
    const key = (event: KeyboardEvent) => {
      if (event.key === 'Enter' && event.target === edit && edit.value.trim() !== '') {
        event.preventDefault();
        void conditions.addTyped();
      }
    };
    // A condition typed but not added yet is added on "OK"; a malformed one
    // keeps the dialog open.
    const submit = async () => {
      if (edit.value.trim() !== '' && !(await conditions.addTyped())) return false;
      await engine.commit();
      return true;
    };
    return { first: edit, submit, key };
  });
}
