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

// The desktop's help pages, their links made relative.
function copyHelp() {
  const source = join(root, 'src/gui/help');
  mkdirSync(join(out, 'help'), { recursive: true });
  for (const file of readdirSync(source).filter((f) => f.endsWith('.html'))) {
    // The page's icon, so that the browser asks the server's root for none.
    const text = readFileSync(join(source, file), 'utf8')
      .replaceAll('qrc:/help/', '')
      .replace('<head>', '<head>\n<link rel="icon" href="../favicon.svg">');
    writeFileSync(join(out, 'help', file), text);
  }
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
    else if (path !== 'sw.js') files.push(path);
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
cpSync(engine, join(out, 'engine.js'));
copyExamples(await createRequire(import.meta.url)(engine)());
copyHelp();
await buildServiceWorker();
console.log(`The page is in ${out}`);
