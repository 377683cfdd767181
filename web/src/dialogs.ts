// The message boxes and the value box, as the desktop's: a dialog holding
// the message's text with an "OK" button; an error is an alert dialog.
// One box at a time; the keyboard goes back where it was after it.

export type MessageKind = 'information' | 'error';

function trapFocus(box: HTMLElement, event: KeyboardEvent): void {
  if (event.key !== 'Tab') return;
  const focusable = [...box.querySelectorAll<HTMLElement>('input:not(:disabled), button:not(:disabled), select')];
  if (focusable.length === 0) return;
  const first = focusable[0]!;
  const last = focusable[focusable.length - 1]!;
  if (event.shiftKey && document.activeElement === first) {
    event.preventDefault();
    last.focus();
  } else if (!event.shiftKey && document.activeElement === last) {
    event.preventDefault();
    first.focus();
  }
}

function openBox(role: string, title: string, build: (box: HTMLElement, close: () => void) => HTMLElement): Promise<void> {
  const before = document.activeElement as HTMLElement | null;
  const backdrop = document.createElement('div');
  backdrop.className = 'backdrop';
  const box = document.createElement('div');
  box.className = `box ${role}`;
  box.setAttribute('role', role);
  box.setAttribute('aria-modal', 'true');
  const heading = document.createElement('h2');
  heading.id = `box-title-${Date.now()}`;
  heading.textContent = title;
  box.setAttribute('aria-labelledby', heading.id);
  box.append(heading);
  backdrop.append(box);
  return new Promise((resolve) => {
    const close = () => {
      backdrop.remove();
      before?.focus();
      resolve();
    };
    const first = build(box, close);
    box.addEventListener('keydown', (event) => {
      event.stopPropagation();
      if (event.key === 'Escape') close();
      trapFocus(box, event);
    });
    document.body.append(backdrop);
    first.focus();
  });
}

// A box with the text and its buttons, the first taking the keyboard; the
// answer is the index of the button pressed, -1 for Escape.
async function textBox(role: string, text: string, labels: string[]): Promise<number> {
  let answer = -1;
  await openBox(role, 'Maszyna Dorum', (box, close) => {
    const message = document.createElement('p');
    message.className = 'message';
    message.id = `box-text-${Date.now()}`;
    message.textContent = text;
    box.setAttribute('aria-describedby', message.id);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    labels.forEach((label, index) => {
      const button = document.createElement('button');
      button.textContent = label;
      button.addEventListener('click', () => {
        answer = index;
        close();
      });
      buttons.append(button);
    });
    box.append(message, buttons);
    return buttons.querySelector('button')!;
  });
  return answer;
}

export async function showMessage(kind: MessageKind, text: string): Promise<void> {
  await textBox(kind === 'error' ? 'alertdialog' : 'dialog', text, ['OK']);
}

// A question with "Tak" and "Anuluj"; true for "Tak".
export async function askQuestion(text: string): Promise<boolean> {
  return (await textBox('dialog', text, ['Tak', 'Anuluj'])) === 0;
}

// A question with "Tak" and "Nie"; true only for "Tak".
export async function askYesNo(text: string): Promise<boolean> {
  return (await textBox('dialog', text, ['Tak', 'Nie'])) === 0;
}

// A question with "Tak", "Nie" and "Anuluj" (Escape too).
export async function askYesNoCancel(text: string): Promise<'yes' | 'no' | 'cancel'> {
  const answer = await textBox('dialog', text, ['Tak', 'Nie', 'Anuluj']);
  return answer === 0 ? 'yes' : answer === 1 ? 'no' : 'cancel';
}

// Asks for a value; null when the box was cancelled.
export async function askValue(title: string, label: string, initial: string): Promise<string | null> {
  let answer: string | null = null;
  await openBox('dialog', title, (box, close) => {
    const form = document.createElement('form');
    const caption = document.createElement('label');
    caption.textContent = label;
    const input = document.createElement('input');
    input.value = initial;
    caption.append(input);
    const ok = document.createElement('button');
    ok.type = 'submit';
    ok.textContent = 'OK';
    const cancel = document.createElement('button');
    cancel.type = 'button';
    cancel.textContent = 'Anuluj';
    cancel.addEventListener('click', close);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    buttons.append(ok, cancel);
    form.append(caption, buttons);
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      answer = input.value;
      close();
    });
    box.append(form);
    setTimeout(() => input.select());
    return input;
  });
  return answer;
}

export const element = <K extends keyof HTMLElementTagNameMap>(name: K, attributes: Record<string, string> = {}, text = '') => {
  const e = document.createElement(name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
  if (text) e.textContent = text;
  return e;
};

// What a modal form does: its first field, what "OK" (or Enter) does, true
// when the form may close, and keys of its own.
export interface FormActions {
  first: HTMLElement;
  submit: () => Promise<boolean>;
  key?: (event: KeyboardEvent) => void;
}

// A modal dialog built as a form, with "OK" and "Anuluj" at its end:
// Escape or "Anuluj" closes it unchanged, Tab stays inside it, and the
// keyboard goes back where it was.
export function showModalForm(title: string, className: string, build: (form: HTMLFormElement) => FormActions): Promise<void> {
  const before = document.activeElement as HTMLElement | null;
  const backdrop = element('div', { class: 'backdrop' });
  const titleId = `form-title-${Date.now()}`;
  // A form may not be a dialog itself: the dialog holds it.
  const box = element('div', { class: `box ${className}`, role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': titleId });
  const form = element('form', { class: 'box-form', novalidate: '' });
  box.append(form);
  form.append(element('h2', { id: titleId }, title));
  const actions = build(form);
  const buttons = element('div', { class: 'buttons' });
  const cancel = element('button', { type: 'button' }, 'Anuluj');
  buttons.append(element('button', { type: 'submit' }, 'OK'), cancel);
  form.append(buttons);
  backdrop.append(box);
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
      else if (event.key === 'Tab') trapFocus(form, event);
      else actions.key?.(event);
    });
    form.addEventListener('submit', async (event) => {
      event.preventDefault();
      if (await actions.submit()) close();
    });
    document.body.append(backdrop);
    actions.first.focus();
  });
}

export function boxOpen(): boolean {
  return document.querySelector('.backdrop') !== null;
}
