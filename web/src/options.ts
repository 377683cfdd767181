// "Opcje projektu": the machine word's widths, the components (with the
// presets that name the usual sets) and the interrupt vectors and devices.
// Nothing is written unless every number reads; the field at fault gets the
// focus and the box says why.
import type { ChosenOptions, MachineOptions } from './protocol';
import { element, showModalForm } from './dialogs';
import type { Theme } from './storage';
import { chooseTheme, currentTheme, themes } from './theme';


// A field with its caption: a box or a radio before it, the others after.
function labelled(caption: string, input: HTMLInputElement): HTMLLabelElement {
  const label = element('label');
  const text = document.createTextNode(caption);
  if (input.type === 'checkbox' || input.type === 'radio') label.append(input, text);
  else label.append(text, input);
  return label;
}

function wordSection(options: MachineOptions): { section: HTMLFieldSetElement; address: HTMLInputElement; code: HTMLInputElement } {
  const section = element('fieldset');
  section.append(element('legend', {}, 'Słowo maszynowe'));
  const number = (value: number, min: number, max: number) => element('input', { type: 'number', min: String(min), max: String(max), value: String(value) }) as HTMLInputElement;
  const address = number(options.addressBits, options.minAddressBits, options.maxAddressBits);
  const code = number(options.codeBits, options.minCodeBits, options.maxCodeBits);
  section.append(labelled('Liczba bitów adresowych', address), labelled('Liczba bitów kodu', code));
  return { section, address, code };
}

// The components' boxes and the presets that name the usual sets.
function componentSection(options: MachineOptions): { section: HTMLFieldSetElement; ticks: HTMLInputElement[] } {
  const section = element('fieldset');
  section.append(element('legend', {}, 'Składniki'));
  const presetGroup = element('div', { role: 'radiogroup', 'aria-label': 'Type', class: 'presets' });
  const presetRadios = options.presets.map((preset) => {
    const radio = element('input', { type: 'radio', name: 'preset' }) as HTMLInputElement;
    presetGroup.append(labelled(preset.name, radio));
    return radio;
  });
  const ticks = options.componentLabels.map((_, k) => {
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
  section.append(presetGroup, list);
  return { section, ticks };
}

function vectorSection(options: MachineOptions): { section: HTMLFieldSetElement; labels: HTMLInputElement[]; addresses: HTMLInputElement[] } {
  const section = element('fieldset');
  section.append(element('legend', {}, 'Procedury obsługi przerwań'));
  const head = element('div', { class: 'row head', 'aria-hidden': 'true' });
  head.append(element('span', {}, 'Przerwanie'), element('span', {}, 'Etykieta'), element('span', {}, 'Adres w pamięci'));
  section.append(head);
  const labels: HTMLInputElement[] = [];
  const addresses: HTMLInputElement[] = [];
  options.vectors.forEach((vector, k) => {
    const label = element('input', { 'aria-label': `Etykieta przerwania ${k + 1}`, value: vector.label }) as HTMLInputElement;
    const at = element('input', { 'aria-label': `Adres procedury przerwania ${k + 1}`, value: vector.address }) as HTMLInputElement;
    const row = element('div', { class: 'row' });
    row.append(element('span', {}, `${k + 1}`));
    row.append(label, at);
    section.append(row);
    labels.push(label);
    addresses.push(at);
  });
  return { section, labels, addresses };
}

function deviceSection(options: MachineOptions): { section: HTMLFieldSetElement; fields: HTMLInputElement[] } {
  const section = element('fieldset');
  section.append(element('legend', {}, 'Urządzenia We/Wy'));
  const names = ['Port wejścia', 'Port wyjścia', 'Przerwanie wejścia', 'Przerwanie wyjścia'];
  const fields = names.map((name, k) => {
    const field = element('input', { 'aria-label': name, value: options.devices[k] ?? '' }) as HTMLInputElement;
    section.append(labelled(name, field));
    return field;
  });
  return { section, fields };
}

// The page's colours, kept apart from the project: chosen when the box is
// confirmed.
function themeSection(): { section: HTMLFieldSetElement; chosen: () => Theme } {
  const section = element('fieldset', { class: 'theme' });
  section.append(element('legend', {}, 'Wygląd strony'));
  const now = currentTheme();
  const radios = themes.map(({ theme, caption }) => {
    const radio = element('input', { type: 'radio', name: 'theme', value: theme }) as HTMLInputElement;
    radio.checked = theme === now;
    section.append(labelled(caption, radio));
    return radio;
  });
  return { section, chosen: () => (radios.find((r) => r.checked)?.value ?? now) as Theme };
}

// Opens the dialog; `apply` writes the choice and answers with the field at
// fault (0 for none) after showing any error.
export function showOptions(options: MachineOptions, apply: (chosen: ChosenOptions) => Promise<number>): Promise<void> {
  return showModalForm('Opcje projektu', 'options', (form) => {
    const word = wordSection(options);
    const components = componentSection(options);
    const vectors = vectorSection(options);
    const devices = deviceSection(options);
    const theme = themeSection();
    form.append(word.section, components.section, vectors.section, devices.section, theme.section);
    const submit = async () => {
      const field = await apply({
        addressBits: Number(word.address.value),
        codeBits: Number(word.code.value),
        components: components.ticks.map((t) => t.checked),
        vectorLabels: vectors.labels.map((f) => f.value),
        vectorAddresses: vectors.addresses.map((f) => f.value),
        devices: devices.fields.map((f) => f.value),
      });
      if (field === 0) {
        chooseTheme(theme.chosen());
        return true;
      }
      const wrong = field <= 4 ? vectors.addresses[field - 1] : devices.fields[field - 5];
      wrong?.focus();
      wrong?.select();
      return false;
    };
    return { first: word.address, submit };
  });
}
