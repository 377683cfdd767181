// "Opcje projektu": the machine word's widths, the components (with the
// presets that name the usual sets) and the interrupt vectors and devices.
// Nothing is written unless every number reads; the field at fault gets the
// focus and the box says why.
import type { ChosenOptions, MachineOptions } from './protocol';

const element = <K extends keyof HTMLElementTagNameMap>(name: K, attributes: Record<string, string> = {}, text = '') => {
  const e = document.createElement(name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
  if (text) e.textContent = text;
  return e;
};

// A field with its caption: a box or a radio before it, the others after.
function labelled(caption: string, input: HTMLInputElement): HTMLLabelElement {
  const label = element('label');
  const text = document.createTextNode(caption);
  if (input.type === 'checkbox' || input.type === 'radio') label.append(input, text);
  else label.append(text, input);
  return label;
}

// Opens the dialog; `apply` writes the choice and answers with the field at
// fault (0 for none) after showing any error.
export function showOptions(options: MachineOptions, apply: (chosen: ChosenOptions) => Promise<number>): Promise<void> {
  const before = document.activeElement as HTMLElement | null;
  const backdrop = element('div', { class: 'backdrop' });
  const form = element('form', { class: 'box options', novalidate: '', role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': 'options-title' });
  form.append(element('h2', { id: 'options-title' }, 'Opcje projektu'));

  const word = element('fieldset');
  word.append(element('legend', {}, 'Słowo maszynowe'));
  const number = (value: number, min: number, max: number) => element('input', { type: 'number', min: String(min), max: String(max), value: String(value) }) as HTMLInputElement;
  const address = number(options.addressBits, options.minAddressBits, options.maxAddressBits);
  const code = number(options.codeBits, options.minCodeBits, options.maxCodeBits);
  word.append(labelled('Liczba bitów adresowych', address), labelled('Liczba bitów kodu', code));

  const components = element('fieldset');
  components.append(element('legend', {}, 'Składniki'));
  const presetGroup = element('div', { role: 'radiogroup', 'aria-label': 'Type', class: 'presets' });
  const presetRadios = options.presets.map((preset) => {
    const radio = element('input', { type: 'radio', name: 'preset' }) as HTMLInputElement;
    presetGroup.append(labelled(preset.name, radio));
    return radio;
  });
  const ticks = options.componentLabels.map((label, k) => {
    const box = element('input', { type: 'checkbox' }) as HTMLInputElement;
    box.checked = options.components[k] ?? false;
    return box;
  });
  const list = element('div', { role: 'group', 'aria-label': 'Składniki maszyny', class: 'component-list' });
  options.componentLabels.forEach((label, k) => list.append(labelled(label, ticks[k]!)));
  // The preset whose set is exactly the ticked one is shown chosen.
  const showPreset = () => {
    const ticked = ticks.map((t) => t.checked);
    options.presets.forEach((preset, k) => (presetRadios[k]!.checked = preset.components.every((on, n) => on === ticked[n])));
  };
  presetRadios.forEach((radio, k) =>
    radio.addEventListener('change', () => {
      options.presets[k]!.components.forEach((on, n) => (ticks[n]!.checked = on));
      showPreset();
    }),
  );
  ticks.forEach((tick) => tick.addEventListener('change', showPreset));
  showPreset();
  components.append(presetGroup, list);

  const addresses = element('fieldset');
  addresses.append(element('legend', {}, 'Procedury obsługi przerwań'));
  const head = element('div', { class: 'row head', 'aria-hidden': 'true' });
  head.append(element('span', {}, 'Przerwanie'), element('span', {}, 'Etykieta'), element('span', {}, 'Adres w pamięci'));
  addresses.append(head);
  const vectorLabels: HTMLInputElement[] = [];
  const vectorAddresses: HTMLInputElement[] = [];
  options.vectors.forEach((vector, k) => {
    const label = element('input', { 'aria-label': `Etykieta przerwania ${k + 1}`, value: vector.label }) as HTMLInputElement;
    const at = element('input', { 'aria-label': `Adres procedury przerwania ${k + 1}`, value: vector.address }) as HTMLInputElement;
    const row = element('div', { class: 'row' });
    row.append(element('span', {}, `${k + 1}`));
    row.append(label, at);
    addresses.append(row);
    vectorLabels.push(label);
    vectorAddresses.push(at);
  });
  const devices = element('fieldset');
  devices.append(element('legend', {}, 'Urządzenia We/Wy'));
  const deviceNames = ['Port wejścia', 'Port wyjścia', 'Przerwanie wejścia', 'Przerwanie wyjścia'];
  const deviceFields = deviceNames.map((name, k) => {
    const field = element('input', { 'aria-label': name, value: options.devices[k] ?? '' }) as HTMLInputElement;
    devices.append(labelled(name, field));
    return field;
  });

  const buttons = element('div', { class: 'buttons' });
  const ok = element('button', { type: 'submit' }, 'OK');
  const cancel = element('button', { type: 'button' }, 'Anuluj');
  buttons.append(ok, cancel);
  form.append(word, components, addresses, devices, buttons);
  backdrop.append(form);

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
    });
    form.addEventListener('submit', async (event) => {
      event.preventDefault();
      const field = await apply({
        addressBits: Number(address.value),
        codeBits: Number(code.value),
        components: ticks.map((t) => t.checked),
        vectorLabels: vectorLabels.map((f) => f.value),
        vectorAddresses: vectorAddresses.map((f) => f.value),
        devices: deviceFields.map((f) => f.value),
      });
      if (field === 0) {
        close();
        return;
      }
      const wrong = field <= 4 ? vectorAddresses[field - 1] : deviceFields[field - 5];
      wrong?.focus();
      wrong?.select();
    });
    document.body.append(backdrop);
    address.focus();
  });
}
