// Files through the browser: the File System Access API where the browser
// has it (a file saved again goes back where it came from), an upload and a
// download otherwise.

export interface PickedFile {
  name: string;
  bytes: Uint8Array;
  handle?: FileSystemFileHandle;
}

interface FilePickerWindow {
  showOpenFilePicker?: (options: object) => Promise<FileSystemFileHandle[]>;
  showSaveFilePicker?: (options: object) => Promise<FileSystemFileHandle>;
}

const picker = () => window as unknown as FilePickerWindow;

// The kinds of file, as the desktop's dialogs filter them.
const fileTypes = [
  { description: 'pliki programów (*.prg)', accept: { 'text/plain': ['.prg'] } },
  { description: 'pliki rozkazów (*.rzk)', accept: { 'text/plain': ['.rzk'] } },
  { description: 'listy rozkazów (*.lst)', accept: { 'text/plain': ['.lst'] } },
];

const cancelled = (error: unknown) => error instanceof DOMException && error.name === 'AbortError';

function uploadFile(accept: string): Promise<PickedFile | null> {
  return new Promise((resolve) => {
    const input = document.createElement('input');
    input.type = 'file';
    input.accept = accept;
    input.style.display = 'none';
    input.addEventListener('change', async () => {
      const file = input.files?.[0];
      input.remove();
      resolve(file ? { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) } : null);
    });
    input.addEventListener('cancel', () => {
      input.remove();
      resolve(null);
    });
    document.body.append(input);
    input.click();
  });
}

// A file the student chooses (only instruction lists when `listOnly`); null
// when the choice was cancelled.
export async function openFile(listOnly = false): Promise<PickedFile | null> {
  const open = picker().showOpenFilePicker;
  if (!open) return uploadFile(listOnly ? '.lst' : '.prg,.rzk,.lst,.txt');
  try {
    const types = listOnly ? fileTypes.slice(2) : fileTypes;
    const [handle] = await open.call(window, { types, excludeAcceptAllOption: false });
    if (!handle) return null;
    const file = await handle.getFile();
    return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle };
  } catch (error) {
    if (cancelled(error)) return null;
    throw error;
  }
}

// The name a download is saved under: what the student typed, with the
// old name's extension when the new one has none.
export function downloadName(typed: string, old: string): string | null {
  const name = typed.trim().replace(/[\\/:*?"<>|]/g, '_');
  if (name === '' || /^\.+$/.test(name)) return null;
  const extensionOf = (file: string) => /\.[A-Za-z0-9]{1,8}$/.exec(file)?.[0] ?? '';
  return extensionOf(name) ? name : name + extensionOf(old);
}

// Writes the bytes: into the file of `handle` unless asked where, else
// where the student chooses, else as a download (under a name `chooseName`
// asks for, when asked where). The name it was saved under, and its
// handle; null when cancelled.
export async function saveFile(
  name: string,
  bytes: Uint8Array,
  handle: FileSystemFileHandle | undefined,
  ask: boolean,
  chooseName?: (name: string) => Promise<string | null>,
): Promise<{ name: string; handle?: FileSystemFileHandle } | null> {
  const save = picker().showSaveFilePicker;
  try {
    if (!handle || ask) {
      if (!save) {
        const chosen = ask && chooseName ? await chooseName(name) : name;
        if (chosen === null) return null;
        download(chosen, bytes);
        return { name: chosen };
      }
      handle = await save.call(window, { suggestedName: name, types: fileTypes });
    }
    const writable = await handle.createWritable();
    await writable.write(bytes as BufferSource);
    await writable.close();
    return { name: handle.name, handle };
  } catch (error) {
    if (cancelled(error)) return null;
    throw error;
  }
}

function download(name: string, bytes: Uint8Array): void {
  const url = URL.createObjectURL(new Blob([bytes as BlobPart], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.style.display = 'none';
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}
