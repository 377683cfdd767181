// The page's colours: the system's light or dark, unless the student chose
// one in "Opcje projektu". The choice is kept with the page's settings.
import { loadSettings, saveSettings, type Theme } from './storage';

export const themes: { theme: Theme; caption: string }[] = [
  { theme: 'system', caption: 'Jak w systemie' },
  { theme: 'light', caption: 'Jasny' },
  { theme: 'dark', caption: 'Ciemny' },
];

export function currentTheme(): Theme {
  return loadSettings(window.localStorage).theme ?? 'system';
}

// The stylesheet holds both sets of colours; a class fixes one of them.
export function applyTheme(theme: Theme = currentTheme()): void {
  const root = document.documentElement.classList;
  root.toggle('theme-light', theme === 'light');
  root.toggle('theme-dark', theme === 'dark');
}

export function chooseTheme(theme: Theme): void {
  saveSettings(window.localStorage, { theme });
  applyTheme(theme);
}
