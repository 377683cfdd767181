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

// A file the student chooses; null when the choice was cancelled.
export async function openFile(): Promise<PickedFile | null> {
  const open = picker().showOpenFilePicker;
  if (!open) return uploadFile('.prg,.rzk,.lst,.txt');
  try {
    const [handle] = await open.call(window, { types: fileTypes, excludeAcceptAllOption: false });
    if (!handle) return null;
    const file = await handle.getFile();
    return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle };
  } catch (error) {
    if (cancelled(error)) return null;
    throw error;
  }
}

// Writes the bytes: into the file of `handle` unless asked where, else
// where the student chooses, else as a download. The name it was saved
// under, and its handle; null when cancelled.
export async function saveFile(name: string, bytes: Uint8Array, handle: FileSystemFileHandle | undefined, ask: boolean): Promise<{ name: string; handle?: FileSystemFileHandle } | null> {
  const save = picker().showSaveFilePicker;
  try {
    if (!handle || ask) {
      if (!save) {
        download(name, bytes);
        return { name };
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
