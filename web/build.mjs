// Builds the page into build/web: the bundled scripts, the page, the
// engine, the examples with their index, and the help pages.
import { build } from 'esbuild';
import { createHash } from 'node:crypto';
import { cpSync, mkdirSync, readdirSync, readFileSync, writeFileSync, existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '..');
const out = resolve(process.env.WEB_OUT ?? join(root, 'build/web'));
const engine = resolve(process.env.ENGINE_JS ?? join(root, 'build/wasm/web/engine/engine.js'));

// The examples, as the engine sets them out from the files of each folder,
// each program with its machine's list; the page's index lists them.
function copyExamples(module) {
  const examples = [];
  mkdirSync(join(out, 'examples'), { recursive: true });
  const filesOf = (folder) => {
    const source = join(root, 'examples', folder);
    if (!existsSync(source)) return [];
    return readdirSync(source, { withFileTypes: true }).filter((f) => f.isFile()).map((f) => f.name);
  };
  for (const { machine, list, programs } of module.Engine.exampleSets(filesOf)) {
    for (const path of [list, ...programs].filter(Boolean)) {
      mkdirSync(dirname(join(out, 'examples', path)), { recursive: true });
      cpSync(join(root, 'examples', path), join(out, 'examples', path));
    }
    for (const path of programs) examples.push({ machine, file: basename(path), path, ...(list ? { list } : {}) });
  }
  writeFileSync(join(out, 'examples/examples.json'), JSON.stringify(examples, null, 1));
}

// The course a teacher publishes beside the page (kurs/kurs.json): the
// catalogue and every file it names, with each public suite's list and input
// files. Without a kurs/ folder there is no course, and no "Zadania" menu.
function copyCourse() {
  const source = join(root, 'kurs');
  const catalogue = join(source, 'kurs.json');
  if (!existsSync(catalogue)) return;
  const inside = (path) => typeof path === 'string' && path !== '' && !path.startsWith('/') && !path.split('/').includes('..');
  const wanted = new Set(['kurs.json']);
  for (const task of JSON.parse(readFileSync(catalogue, 'utf8')).tasks ?? []) {
    for (const path of [task.description, task.list, task.suite, ...(task.files ?? [])]) if (inside(path)) wanted.add(path);
    if (!inside(task.suite) || !existsSync(join(source, task.suite))) continue;
    const folder = dirname(task.suite);
    const suite = JSON.parse(readFileSync(join(source, task.suite), 'utf8'));
    const named = [suite.list, ...(suite.cases ?? []).map((c) => c.input_file)].filter(inside);
    for (const path of named) wanted.add(join(folder, path));
  }
  for (const path of wanted) {
    // A file the catalogue names but the teacher left out: the page says so
    // when a student reaches for it.
    if (!existsSync(join(source, path))) {
      console.warn(`kurs/${path}: no such file, named by the course`);
      continue;
    }
    mkdirSync(dirname(join(out, 'kurs', path)), { recursive: true });
    cpSync(join(source, path), join(out, 'kurs', path));
  }
}

// The desktop's help pages (the chapters and the entries under hasla/),
// their links made relative to each page's folder, with the index the
// page's help panel searches and looks words up in.
function copyHelp() {
  const source = join(root, 'src/gui/help');
  const files = helpFiles(source);
  const pages = files.map((file) => ({ file, html: readFileSync(join(source, file), 'utf8') }));
  const entryOf = new Map();
  for (const page of pages) for (const word of helpKeywords(page.html)) if (!entryOf.has(word)) entryOf.set(word, page.file);
  for (const { file, html } of pages) {
    mkdirSync(dirname(join(out, 'help', file)), { recursive: true });
    writeFileSync(join(out, 'help', file), relativeHelpLinks(html, file, entryOf));
  }
  writeFileSync(join(out, 'help/tematy.json'), JSON.stringify(helpIndex(pages)));
}

// Sorted, as the desktop sorts them: file names order a chapter's entries.
function helpFiles(folder, prefix = '') {
  const files = [];
  for (const entry of readdirSync(folder, { withFileTypes: true })) {
    if (entry.isDirectory()) files.push(...helpFiles(join(folder, entry.name), `${prefix}${entry.name}/`));
    else if (entry.name.endsWith('.html')) files.push(prefix + entry.name);
  }
  return files.sort();
}

// The desktop's links name its resources ("qrc:/help/jezyk.html") and its
// entries ("temat:rst"); here both become files beside the page, an entry
// keeping its word for the panel, which also shows the current list's
// instruction of that name. The page's icon is named in the page's folder,
// so that the browser asks the server's root for none.
function relativeHelpLinks(html, file, entryOf) {
  const up = '../'.repeat(file.split('/').length - 1);
  return html
    .replaceAll('qrc:/help/', up)
    .replace(/href="temat:([^"]*)"/g, (_, word) => `href="${up}${entryOf.get(helpLower(word)) ?? 'index.html'}" data-temat="${word}"`)
    .replace('<head>', `<head>\n<link rel="icon" href="${up}../favicon.svg">`);
}

const helpCapture = (html, pattern) => pattern.exec(html)?.[1].trim() ?? '';
const helpLower = (text) => text.toLocaleLowerCase('pl');
const helpKeywords = (html) =>
  helpCapture(html, /<meta\s+name="keywords"\s+content="([^"]*)"/).split(',').map((w) => helpLower(w.trim())).filter(Boolean);

// The text a reader sees: no tags, the entities read.
function helpPlainText(html) {
  const named = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'", nbsp: ' ' };
  return html
    .replace(/<[^>]*>/g, ' ')
    .replace(/&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi, (all, name) =>
      name[0] === '#' ? String.fromCodePoint(Number(name[1] === 'x' || name[1] === 'X' ? `0${name.slice(1)}` : name.slice(1))) : named[name] ?? all,
    )
    .replace(/\s+/g, ' ')
    .trim();
}

// The chapters in the order the contents page lists them; each page with
// its title, its words (an entry's), its chapter (an entry's) and its text
// in lower case, for the search.
function helpIndex(pages) {
  const contents = pages.find((p) => p.file === 'index.html');
  const linked = [...(contents?.html ?? '').matchAll(/href="qrc:\/help\/([^"]+)"/g)].map((m) => m[1]);
  const chapters = ['index.html', ...linked.filter((f, i) => f !== 'index.html' && linked.indexOf(f) === i)];
  return {
    chapters,
    pages: pages.map(({ file, html }) => {
      const title = helpPlainText(helpCapture(html, /<title>([\s\S]*?)<\/title>/));
      const body = helpCapture(html, /<body[^>]*>([\s\S]*)<\/body>/);
      return { file, title, keywords: helpKeywords(html), chapter: helpCapture(html, /<meta\s+name="dorum-rozdzial"\s+content="([^"]*)"/), text: helpLower(helpPlainText(body)) };
    }),
  };
}

const common = { bundle: true, minify: true, sourcemap: false, target: 'es2022', logLevel: 'warning' };

// The page's unit tests, bundled for node's test runner.
async function buildUnitTests() {
  const tests = join(here, 'test/unit');
  const entryPoints = readdirSync(tests).filter((f) => f.endsWith('.test.ts')).map((f) => join(tests, f));
  await build({ bundle: true, platform: 'node', format: 'cjs', target: 'node20', logLevel: 'warning', entryPoints, outdir: join(root, 'build/web-tests'), outExtension: { '.js': '.cjs' } });
}

if (process.argv.includes('--unit-tests')) {
  await buildUnitTests();
  process.exit(0);
}

// Every file of the page, for the service worker to keep; the version is
// their hash, so that any change brings a new one.
function pageFiles(folder = out, prefix = '') {
  const files = [];
  for (const entry of readdirSync(folder, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
    const path = prefix + entry.name;
    if (entry.isDirectory()) files.push(...pageFiles(join(folder, entry.name), `${path}/`));
    // The course is the teacher's, changed beside the page without a build:
    // the service worker fetches it fresh each time instead.
    else if (path !== 'sw.js' && !path.startsWith('kurs/')) files.push(path);
  }
  return files;
}

async function buildServiceWorker() {
  const files = pageFiles();
  const hash = createHash('sha256');
  for (const file of files) hash.update(file).update(readFileSync(join(out, file)));
  await build({
    ...common,
    entryPoints: [join(here, 'src/sw.ts')],
    outfile: join(out, 'sw.js'),
    format: 'iife',
    define: { PAGE_FILES: JSON.stringify(['./', ...files]), PAGE_VERSION: JSON.stringify(hash.digest('hex').slice(0, 16)) },
  });
}

mkdirSync(out, { recursive: true });
if (!existsSync(engine)) {
  console.error(`The engine is missing: ${engine} (tools/web.sh builds it)`);
  process.exit(1);
}
await build({ ...common, entryPoints: [join(here, 'src/main.ts')], outfile: join(out, 'app.js'), format: 'iife' });
await build({ ...common, entryPoints: [join(here, 'src/worker.ts')], outfile: join(out, 'worker.js'), format: 'iife' });
await build({ ...common, entryPoints: [join(here, 'src/bench.ts')], outfile: join(out, 'bench.js'), format: 'iife' });
cpSync(join(here, 'index.html'), join(out, 'index.html'));
cpSync(join(here, 'bench.html'), join(out, 'bench.html'));
cpSync(join(here, 'style.css'), join(out, 'style.css'));
cpSync(join(root, 'data/maszyna-dorum.svg'), join(out, 'favicon.svg'));
// The tool bar's icons, the desktop's own.
mkdirSync(join(out, 'icons'), { recursive: true });
for (const icon of readdirSync(join(root, 'src/gui/icons')).filter((f) => f.endsWith('.svg')))
  cpSync(join(root, 'src/gui/icons', icon), join(out, 'icons', icon));
cpSync(engine, join(out, 'engine.js'));
copyExamples(await createRequire(import.meta.url)(engine)());
copyHelp();
copyCourse();
await buildServiceWorker();
console.log(`The page is in ${out}`);
