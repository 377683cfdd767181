// A course a teacher publishes beside the page: kurs/kurs.json names its
// tasks, each with its machine, its description, the student's starting
// files, the instruction list and the public suite. Paths are relative to
// kurs/ and stay inside it.
export interface CourseTask {
  id: string; // "lab3/iloczyn", as the address names it
  title: string;
  machine: string;
  description: string;
  files: string[];
  list: string;
  suite: string;
}

export interface Course {
  title: string;
  tasks: CourseTask[];
}

export const courseFolder = 'kurs/';

// The last part of a path: the name a file has in the editor.
export const fileName = (path: string) => path.slice(path.lastIndexOf('/') + 1);

// The folder of a path, with its '/', or empty.
export const folderOf = (path: string) => path.slice(0, path.lastIndexOf('/') + 1);

// A path kept inside the course's folder: a catalogue must not send the
// page to fetch from elsewhere.
function insidePath(value: unknown): value is string {
  if (typeof value !== 'string' || value === '') return false;
  if (value.startsWith('/') || value.includes('\\') || /^[a-z][a-z0-9+.-]*:/i.test(value)) return false;
  return value.split('/').every((part) => part !== '..' && part !== '');
}

const text = (value: unknown): value is string => typeof value === 'string' && value.trim() !== '';

// One task as the catalogue writes it, or why it cannot be one.
function readTask(value: unknown, at: number): CourseTask | string {
  const where = `zadanie ${at + 1}`;
  if (typeof value !== 'object' || value === null) return `${where}: to nie jest obiekt`;
  const task = value as Record<string, unknown>;
  for (const key of ['id', 'title', 'machine'] as const) if (!text(task[key])) return `${where}: brak pola „${key}”`;
  for (const key of ['description', 'list', 'suite'] as const) if (!insidePath(task[key])) return `${where} (${String(task.id)}): zła ścieżka w polu „${key}”`;
  const files = task.files ?? [];
  if (!Array.isArray(files) || !files.every(insidePath)) return `${where} (${String(task.id)}): zła ścieżka w polu „files”`;
  return {
    id: task.id as string,
    title: task.title as string,
    machine: task.machine as string,
    description: task.description as string,
    files,
    list: task.list as string,
    suite: task.suite as string,
  };
}

// The catalogue's text read: the tasks it holds whole, and what is wrong
// with the rest (a teacher's slip must not hide the good tasks).
export function readCourse(json: string): { course: Course; problems: string[] } {
  let parsed: unknown;
  try {
    parsed = JSON.parse(json);
  } catch (error) {
    return { course: { title: '', tasks: [] }, problems: [`kurs.json nie jest poprawnym JSON-em: ${String(error)}`] };
  }
  const root = (typeof parsed === 'object' && parsed !== null ? parsed : {}) as Record<string, unknown>;
  const problems: string[] = [];
  const tasks: CourseTask[] = [];
  const listed = Array.isArray(root.tasks) ? root.tasks : [];
  if (!Array.isArray(root.tasks)) problems.push('kurs.json: brak listy „tasks”');
  listed.forEach((value, at) => {
    const task = readTask(value, at);
    if (typeof task === 'string') problems.push(task);
    else if (tasks.some((t) => t.id === task.id)) problems.push(`zadanie ${at + 1}: powtórzony identyfikator „${task.id}”`);
    else tasks.push(task);
  });
  return { course: { title: typeof root.title === 'string' ? root.title : '', tasks }, problems };
}

// "#zadanie=lab3/iloczyn" names a task; anything else in the address names none.
export function taskIdOf(hash: string): string | null {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  const id = params.get('zadanie');
  return id === null || id.trim() === '' ? null : id.trim();
}

export const taskAddress = (id: string) => `#zadanie=${encodeURI(id)}`;

// The total of a check, said for a screen reader as well as shown.
export function checkSummary(cases: readonly { outcome: string; points: number; maxPoints: number }[]): string {
  const passed = cases.filter((c) => c.outcome === 'passed').length;
  const points = cases.reduce((sum, c) => sum + c.points, 0);
  const most = cases.reduce((sum, c) => sum + c.maxPoints, 0);
  return `Zaliczone ${passed} z ${cases.length}, punkty ${pointsText(points)}/${pointsText(most)}`;
}

// Points as the command line writes them: "4.5", "7".
export const pointsText = (points: number) => String(Number(points.toPrecision(12)));
