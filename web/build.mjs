// Bundles the page: the editor and the page's code into app.js (esbuild),
// beside them the HTML, the CSS, the program's module and .wasm, and the
// example files. Usage: node build.mjs --out DIR --program FILE.mjs --examples DIR
import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = {};
for (let i = 2; i < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const need of ['out', 'program', 'examples'])
  if (!args[need]) throw new Error(`build.mjs: --${need} is needed`);

const out = path.resolve(args.out);
fs.mkdirSync(path.join(out, 'examples'), { recursive: true });
await build({
  entryPoints: [path.join(here, 'src/main.js')],
  bundle: true,
  format: 'esm',
  minify: true,
  target: 'es2020',
  // Loaded at run time from beside the page, with its .wasm next to it.
  external: ['./pexilon-config.mjs'],
  outfile: path.join(out, 'app.js'),
  logLevel: 'warning',
});
for (const file of ['index.html', 'page.css'])
  fs.copyFileSync(path.join(here, 'src', file), path.join(out, file));
const program = path.resolve(args.program);
fs.copyFileSync(program, path.join(out, 'pexilon-config.mjs'));
fs.copyFileSync(program.replace(/\.mjs$/, '.wasm'), path.join(out, 'pexilon-config.wasm'));
const examples = fs.readdirSync(args.examples).filter((f) => f.endsWith('.conf')).sort();
for (const name of examples) fs.copyFileSync(path.join(args.examples, name), path.join(out, 'examples', name));
fs.writeFileSync(path.join(out, 'examples', 'index.json'), JSON.stringify(examples) + '\n');
