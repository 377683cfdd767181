// "Zadania": a course's tasks, published beside the page in kurs/. A task
// opens from the menu or from its address (index.html#zadanie=lab3/iloczyn):
// its machine's list, its starting files, and the panel "Zadanie" with the
// description and "Sprawdź", which runs the public cases on the engine by
// the rules "dorum-cli test" grades by. Opening a task never drops the
// student's work: a changed list is replaced only after asking, the
// student's own instructions are kept unless the student says otherwise,
// and a file the student already has stays the student's.
import { askYesNo, askYesNoCancel, showMessage } from './dialogs';
import type { Files } from './files-and-lists';
import { attachMenuButton, menuItem } from './examples-menu';
import { checkSummary, courseFolder, fileName, folderOf, pointsText, readCourse, taskAddress, taskIdOf, type Course, type CourseTask } from './course';
import { renderMarkdown } from './markdown';
import { $, showOutcome, type Page } from './page';
import type { TaskCheckResult } from './protocol';

// A forgotten limit must not hold the engine for minutes.
export const pageCycleCap = 10_000_000;

const say = {
  panel: 'Zadanie',
  close: 'Zamknij zadanie',
  machine: 'Maszyna',
  files: 'Pliki',
  yours: 'twój, zostaje bez zmian',
  started: 'plik początkowy',
  check: 'Sprawdź',
  checking: 'Sprawdzanie…',
  results: 'Wyniki sprawdzenia',
  columns: ['Przypadek', 'Wynik', 'Punkty', 'Komunikat'],
  unknown: (id: string) => `W kursie nie ma zadania „${id}”. Wybierz zadanie z menu „Zadania”.`,
  noCourse: (id: string) => `Nie można otworzyć zadania „${id}”: strona nie ma kursu (brak pliku ${courseFolder}kurs.json).`,
  offline: (path: string) => `Nie można pobrać pliku ${courseFolder}${path}: brak połączenia z siecią, a ten plik nie był wcześniej pobrany. Połącz się z siecią i otwórz zadanie jeszcze raz.`,
  missing: (path: string, status: number) => `Nie można pobrać pliku ${courseFolder}${path}: serwer go nie ma (błąd ${status}). Zgłoś to prowadzącemu.`,
  problems: (list: string[]) => `Kurs zawiera błędy (zadania z nimi pominięto):\n${list.join('\n')}`,
  keepOwn: (names: string[]) => `Lista rozkazów zadania nie ma Twoich rozkazów: ${names.join(', ').toUpperCase()}. Zachować własne rozkazy (${names.join(', ').toUpperCase()})?`,
  capped: (names: string[]) => `Limit taktów przypadków ${names.join(', ')} przycięto na stronie do ${pageCycleCap.toLocaleString('pl')} taktów.`,
  unreadableSuite: (message: string) => `Nie można odczytać zestawu testów: ${message}`,
};

// A course file the student cannot have, told: offline and never fetched,
// or not on the server.
class CourseFileError extends Error {}

async function courseFetch(path: string): Promise<Response> {
  let response: Response;
  try {
    response = await fetch(courseFolder + path);
  } catch {
    throw new CourseFileError(say.offline(path));
  }
  if (!response.ok) throw new CourseFileError(say.missing(path, response.status));
  return response;
}

const courseText = async (path: string) => (await courseFetch(path)).text();
const courseBytes = async (path: string) => new Uint8Array(await (await courseFetch(path)).arrayBuffer());

// What a task brings, fetched whole before anything of the student's changes.
interface TaskFiles {
  description: string;
  list: Uint8Array;
  starting: { name: string; bytes: Uint8Array }[];
}

async function fetchTask(task: CourseTask): Promise<TaskFiles> {
  const [description, list, starting] = await Promise.all([
    courseText(task.description),
    courseBytes(task.list),
    Promise.all(task.files.map(async (path) => ({ name: fileName(path), bytes: await courseBytes(path) }))),
  ]);
  return { description, list, starting };
}

// The suite's own names: its list and the input files of its cases.
interface SuiteNames {
  list?: string;
  inputs: string[];
}

function suiteNames(json: string): SuiteNames {
  try {
    const suite = JSON.parse(json) as { list?: unknown; cases?: { input_file?: unknown }[] };
    const inputs = (Array.isArray(suite.cases) ? suite.cases : []).map((c) => c?.input_file).filter((f): f is string => typeof f === 'string');
    return { ...(typeof suite.list === 'string' ? { list: suite.list } : {}), inputs: [...new Set(inputs)] };
  } catch {
    return { inputs: [] }; // the engine tells what is wrong with it
  }
}

export class Tasks {
  private course: Course | null = null;
  private current: CourseTask | null = null;
  private readonly root: HTMLElement;
  private opening = Promise.resolve();

  constructor(
    private readonly page: Page,
    private readonly files: Files,
  ) {
    this.root = this.build();
    document.body.append(this.root);
  }

  // The catalogue, fresh; a page without a course has no "Zadania" menu.
  async load(): Promise<void> {
    let json: string;
    try {
      const response = await fetch(`${courseFolder}kurs.json`);
      if (!response.ok) return;
      json = await response.text();
    } catch {
      return; // offline and never fetched: no course to show
    }
    const { course, problems } = readCourse(json);
    this.course = course;
    this.buildMenu(course);
    if (problems.length) await showMessage('error', say.problems(problems));
  }

  // The task the address names, if any; an unknown one is told.
  openFromAddress(): Promise<void> {
    const id = taskIdOf(window.location.hash);
    if (id === null) return Promise.resolve();
    // One opening at a time: a second waits for the first's questions.
    this.opening = this.opening.then(() => this.openById(id));
    return this.opening;
  }

  private async openById(id: string): Promise<void> {
    const task = this.course?.tasks.find((t) => t.id === id);
    if (!task) {
      await showMessage('error', this.course ? say.unknown(id) : say.noCourse(id));
      return;
    }
    try {
      await this.open(task);
    } catch (error) {
      await showMessage('error', error instanceof CourseFileError ? error.message : String(error));
    }
  }

  private async open(task: CourseTask): Promise<void> {
    const fetched = await fetchTask(task);
    if (!(await this.useMachine(task, fetched.list))) return;
    const yours = new Set<string>();
    for (const file of fetched.starting) {
      // The student's own version of a starting file stays.
      if (this.page.documents.all.some((d) => d.work.name === file.name)) yours.add(file.name);
      else await this.files.openBytes(file, false);
    }
    this.current = task;
    this.show(task, fetched.description, yours);
  }

  // The task's list in place of the machine's, as an example's: asked first
  // when the student changed the list; the student's own instructions kept
  // unless the student declines.
  private async useMachine(task: CourseTask, list: Uint8Array): Promise<boolean> {
    const { engine } = this.page;
    const name = fileName(task.list);
    const question = await engine.call({ kind: 'taskQuestion', task: task.title, list: name });
    const answer = question ? await askYesNoCancel(question) : 'yes';
    if (answer === 'cancel') return false;
    if (answer === 'no') return true;
    const lacking = question ? await engine.call({ kind: 'instructionsLacking', name, bytes: list }) : [];
    const keepOwn = lacking.length > 0 && (await askYesNo(say.keepOwn(lacking)));
    const outcome = await engine.call({ kind: 'loadListKeeping', name, bytes: list, keepOwn });
    if (outcome.ok || keepOwn) this.page.listName = name;
    return showOutcome(outcome);
  }

  // ---- the panel ----

  private readonly heading = Object.assign(document.createElement('h2'), { id: 'task-title' });
  private readonly machine = document.createElement('dd');
  private readonly fileList = document.createElement('ul');
  private readonly checkButton = Object.assign(document.createElement('button'), { type: 'button', textContent: say.check, id: 'task-check' });
  private readonly summary = Object.assign(document.createElement('p'), { className: 'task-summary' });
  private readonly results = Object.assign(document.createElement('div'), { className: 'task-results' });
  private readonly description = Object.assign(document.createElement('article'), { className: 'task-description help-page', tabIndex: 0 });

  private build(): HTMLElement {
    const root = Object.assign(document.createElement('aside'), { id: 'task-panel', className: 'task-panel', hidden: true });
    root.setAttribute('aria-labelledby', 'task-title');
    const close = Object.assign(document.createElement('button'), { type: 'button', className: 'help-close', textContent: '×', title: say.close });
    close.setAttribute('aria-label', say.close);
    close.addEventListener('click', () => this.close());
    const label = Object.assign(document.createElement('span'), { className: 'task-label', textContent: say.panel });
    const head = Object.assign(document.createElement('div'), { className: 'help-head' });
    head.append(label, close);
    const facts = document.createElement('dl');
    facts.className = 'task-facts';
    const filesTerm = Object.assign(document.createElement('dd'), {});
    filesTerm.append(this.fileList);
    facts.append(Object.assign(document.createElement('dt'), { textContent: say.machine }), this.machine, Object.assign(document.createElement('dt'), { textContent: say.files }), filesTerm);
    this.summary.setAttribute('role', 'status');
    this.summary.setAttribute('aria-live', 'polite');
    this.checkButton.addEventListener('click', () => void this.check());
    const body = Object.assign(document.createElement('div'), { className: 'task-body' });
    body.append(this.heading, facts, this.checkButton, this.summary, this.results, this.description);
    root.append(head, body);
    root.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') {
        event.preventDefault();
        this.close();
      }
    });
    return root;
  }

  private show(task: CourseTask, description: string, yours: Set<string>): void {
    this.heading.textContent = task.title;
    this.machine.textContent = task.machine;
    this.fileList.replaceChildren(
      ...task.files.map(fileName).map((name) => Object.assign(document.createElement('li'), { textContent: `${name} (${yours.has(name) ? say.yours : say.started})` })),
    );
    this.description.innerHTML = renderMarkdown(description, courseFolder + folderOf(task.description));
    this.summary.textContent = '';
    this.results.replaceChildren();
    this.root.hidden = false;
    this.heading.tabIndex = -1;
    this.heading.focus();
  }

  close(): void {
    this.root.hidden = true;
  }

  // ---- "Sprawdź" ----

  private async check(): Promise<void> {
    const task = this.current;
    if (!task || this.checkButton.disabled) return;
    this.checkButton.disabled = true;
    this.checkButton.textContent = say.checking;
    this.summary.textContent = say.checking;
    this.results.replaceChildren();
    try {
      this.showResult(await this.runCheck(task));
    } catch (error) {
      this.summary.textContent = '';
      await showMessage('error', error instanceof CourseFileError ? error.message : String(error));
    } finally {
      this.checkButton.disabled = false;
      this.checkButton.textContent = say.check;
    }
  }

  private async runCheck(task: CourseTask): Promise<TaskCheckResult> {
    const suite = await courseText(task.suite);
    const folder = folderOf(task.suite);
    const names = suiteNames(suite);
    const inputs: Record<string, string> = {};
    for (const input of names.inputs) inputs[input] = await courseText(folder + input);
    // The student's texts by name, the one in front first among namesakes.
    const files: Record<string, string> = {};
    const { documents } = this.page;
    for (const document of [documents.current, ...documents.all]) files[document.work.name] ??= document.work.text;
    const list = names.list ? await courseBytes(folder + names.list) : new Uint8Array();
    return this.page.engine.call({
      kind: 'checkTask',
      task: { suite, suiteFile: fileName(task.suite), listName: names.list ? fileName(names.list) : '', list, inputs, files, cycleCap: pageCycleCap },
    });
  }

  private showResult(result: TaskCheckResult): void {
    if (result.error) {
      this.summary.textContent = say.unreadableSuite(result.error);
      return;
    }
    const capped = result.cases.filter((c) => c.capped).map((c) => c.name);
    this.summary.textContent = checkSummary(result.cases) + (capped.length ? `. ${say.capped(capped)}` : '');
    const table = document.createElement('table');
    table.className = 'task-table';
    table.append(Object.assign(document.createElement('caption'), { textContent: say.results }));
    const head = table.createTHead().insertRow();
    for (const column of say.columns) head.append(Object.assign(document.createElement('th'), { scope: 'col', textContent: column }));
    const body = table.createTBody();
    for (const c of result.cases) {
      const row = body.insertRow();
      row.className = c.outcome === 'passed' ? 'passed' : 'failed';
      row.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: c.name }));
      const mark = row.insertCell();
      mark.textContent = c.mark;
      mark.title = c.meaning;
      mark.className = 'task-mark';
      row.insertCell().textContent = `${pointsText(c.points)}/${pointsText(c.maxPoints)}`;
      row.insertCell().textContent = c.message || c.meaning;
    }
    this.results.replaceChildren(table);
  }

  // ---- the menu ----

  private buildMenu(course: Course): void {
    const holder = $('#tasks-holder');
    const menu = $('#tasks-menu');
    menu.replaceChildren(...course.tasks.map((task) => menuItem(task.title, task.title, () => this.choose(task))));
    holder.hidden = course.tasks.length === 0;
  }

  // Chosen from the menu: the address names it, so that a reload or a link
  // opens it again.
  private choose(task: CourseTask): void {
    const hash = taskAddress(task.id);
    if (window.location.hash === hash) void this.openFromAddress();
    else window.location.hash = hash;
  }

  attach(): void {
    attachMenuButton($('#tasks'), $('#tasks-menu'));
    window.addEventListener('hashchange', () => void this.openFromAddress());
  }
}
