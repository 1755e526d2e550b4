// The page in Debian's chromium, driven by Playwright: what a person does
// (type, read the diagnostic, take the quick fix, format), then the page's
// checker against the native program over every tests/check file, and the
// figures that say whether the page is light and quick enough.
//
// node --test tests/web/page_test.mjs, after the page is built into
// build/web/ and the native program into build/default/. PEXILON_WEB_PAGE and
// PEXILON_CONFIG name others.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const require = createRequire(path.join(root, 'web/package.json'));
const { chromium } = require('playwright-core');

const pageDir = process.env.PEXILON_WEB_PAGE || path.join(root, 'build/web');
const native = process.env.PEXILON_CONFIG || path.join(root, 'build/default/tools/pexilon-config');
const artifacts = path.join(root, 'build/web-artifacts');
const FILE_NAME = 'camera.conf';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.css': 'text/css', '.wasm': 'application/wasm', '.json': 'application/json', '.conf': 'text/plain' };

let server;
let base;
let browser;

before(async () => {
  assert.ok(fs.existsSync(path.join(pageDir, 'index.html')), `no page in ${pageDir}: build it first`);
  assert.ok(fs.existsSync(native), `no native program at ${native}: build it first`);
  server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    const file = path.join(pageDir, path.normalize(decodeURIComponent(url.pathname)).replace(/^(\.\.[/\\])+/, ''));
    const target = url.pathname.endsWith('/') ? path.join(file, 'index.html') : file;
    fs.readFile(target, (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(target)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  base = `http://127.0.0.1:${server.address().port}/`;
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
});

after(async () => {
  await browser?.close();
  await new Promise((resolve) => (server ? server.close(resolve) : resolve()));
});

// The native program over `text`, saved under the page's file name so that
// the names in its output are the page's.
function nativeRun(args, text) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'pexilon-web-'));
  try {
    fs.writeFileSync(path.join(dir, FILE_NAME), text);
    const r = spawnSync(native, [...args, FILE_NAME], { cwd: dir, encoding: 'utf8' });
    return { status: r.status, stdout: r.stdout, stderr: r.stderr };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

async function openPage() {
  const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(base);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
  return { page, errors };
}

const editorText = (page) => page.evaluate(() => window.pexilonPage.view.state.doc.toString());

test('a misspelt key is underlined, fixed by its quick fix, and the file formatted', async () => {
  const { page, errors } = await openPage();
  await page.click('.cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  // Typed as a person would: the editor closes the bracket, and typing ']'
  // steps over it.
  await page.keyboard.type('[camera parameter]\nBIT_WIDHT = 10\nSIZE= 640,480\n');
  const typed = await editorText(page);
  assert.equal(typed, '[camera parameter]\nBIT_WIDHT = 10\nSIZE= 640,480\n');

  const expected = nativeRun(['check', '--format=gcc'], typed).stdout.trimEnd().split('\n');
  assert.match(expected[0], /^camera\.conf:2:1: warning: unknown key 'BIT_WIDHT'/);
  await page.waitForFunction((line) => [...document.querySelectorAll('#problems li')]
    .some((li) => li.textContent === line), expected[0]);
  const shown = await page.$$eval('#problems li', (items) => items.map((li) => li.textContent));
  assert.deepEqual(shown, expected);

  // The cursor on the faulty line: the side pane explains it.
  await page.evaluate(() => {
    const v = window.pexilonPage.view;
    v.dispatch({ selection: { anchor: v.state.doc.line(2).from } });
  });
  const explained = nativeRun(['explain', '--lines', '2-2'], typed).stdout;
  await page.waitForFunction((w) => document.getElementById('side-output').textContent === w, explained);

  // The underline covers the key, and hovering it tells message, hint and note.
  const range = page.locator('.cm-lintRange-warning').first();
  assert.equal(await range.textContent(), 'BIT_WIDHT');
  await range.hover();
  const tooltip = page.locator('.cm-tooltip-lint');
  await tooltip.waitFor();
  assert.match(await tooltip.textContent(), /unknown key 'BIT_WIDHT' in \[camera parameter\]/);
  assert.match(await tooltip.textContent(), /note: did you mean 'BIT_WIDTH'\?/);
  assert.match(await tooltip.textContent(), /fix-it: the line is read as the key BIT_WIDTH/);
  fs.mkdirSync(artifacts, { recursive: true });
  await page.screenshot({ path: path.join(artifacts, 'page.png') });

  await tooltip.locator('.cm-diagnosticAction').first().click();
  assert.equal(await editorText(page), '[camera parameter]\nBIT_WIDTH = 10\nSIZE= 640,480\n');
  await page.waitForFunction(() => document.querySelectorAll('#problems li').length === 0);
  assert.equal(await page.locator('.cm-lintRange').count(), 0);

  // Clicking a problem puts the cursor on its line and column.
  await page.evaluate(() => window.pexilonPage.setText('[camera parameter]\n\nWIDHT = 3\n'));
  await page.waitForFunction(() => document.querySelectorAll('#problems li').length > 0);
  await page.locator('#problems li').first().click();
  const head = await page.evaluate(() => {
    const s = window.pexilonPage.view.state;
    const at = s.selection.main.head;
    return [s.doc.lineAt(at).number, at - s.doc.lineAt(at).from + 1];
  });
  assert.deepEqual(head, [3, 1]);

  const messy = '[camera parameter]\nBIT_WIDTH   =10\nSIZE= 640,480\n';
  await page.evaluate((t) => window.pexilonPage.setText(t), messy);
  await page.selectOption('#view-select', 'fmt');
  const want = nativeRun(['fmt'], messy).stdout;
  assert.notEqual(want, messy);
  await page.waitForFunction((w) => document.getElementById('formatted-text')?.textContent === w, want);
  await page.click('#take-format');
  assert.equal(await editorText(page), want);
  assert.deepEqual(errors, []);
  await page.close();
});

test('explain, json and dump in the side pane are the program\'s', async () => {
  const { page } = await openPage();
  const sample = fs.readFileSync(path.join(root, 'examples/sample.conf'), 'utf8');
  assert.equal(await editorText(page), sample);
  for (const [what, args] of [['explain', ['explain']], ['json', ['json']], ['dump', ['dump']]]) {
    await page.selectOption('#view-select', what);
    const want = nativeRun(args, sample).stdout;
    await page.waitForFunction((w) => document.getElementById('side-output').textContent === w, want);
  }
  // The line under the cursor alone.
  await page.selectOption('#view-select', 'explain-line');
  await page.evaluate(() => {
    const v = window.pexilonPage.view;
    v.dispatch({ selection: { anchor: v.state.doc.line(9).from } });
  });
  const want = nativeRun(['explain', '--lines', '9-9'], sample).stdout;
  await page.waitForFunction((w) => document.getElementById('side-output').textContent === w, want);
  await page.close();
});

test('once loaded, the page needs no network', async () => {
  const { page } = await openPage();
  await page.context().setOffline(true);
  try {
    const text = '[register parameter]\nREGG = 0x0100, 0x01\n';
    await page.evaluate((t) => window.pexilonPage.setText(t), text);
    const want = nativeRun(['check', '--format=gcc'], text).stdout.split('\n')[0];
    await page.waitForFunction((w) => document.querySelector('#problems li')?.textContent === w, want);
    await page.selectOption('#example-select', 'sample.conf');
    const sample = fs.readFileSync(path.join(root, 'examples/sample.conf'), 'utf8');
    await page.waitForFunction((t) => window.pexilonPage.view.state.doc.toString() === t, sample);
  } finally {
    await page.context().setOffline(false);
  }
  await page.close();
});

test('a link carries the text in its fragment', async () => {
  const { page } = await openPage();
  const text = '[camera parameter]\nTYPE = shared ünïcode\n';
  await page.evaluate((t) => window.pexilonPage.setText(t), text);
  await page.waitForFunction((t) => window.pexilonPage.fragmentText === t, text);
  const link = page.url();
  assert.match(link, /#text=[A-Za-z0-9_-]+$/);
  const other = await browser.newPage();
  await other.goto(link);
  await other.waitForSelector('body[data-ready="true"]');
  assert.equal(await editorText(other), text);
  await other.close();
  await page.close();
});

test('the page\'s checker says what the native program says, for every tests/check file', async () => {
  const { page } = await openPage();
  const dir = path.join(root, 'tests/check');
  const files = fs.readdirSync(dir).filter((f) => f.endsWith('.conf')).sort();
  assert.ok(files.length > 20, 'tests/check has its files');
  const differing = [];
  for (const file of files) {
    // As the editor holds it: bytes that are not UTF-8 become U+FFFD, and the
    // native program is given that same text.
    const text = fs.readFileSync(path.join(dir, file), 'utf8');
    const got = await page.evaluate((t) => window.pexilonPage.check(t), text);
    const json = nativeRun(['check', '--format=json'], text);
    const gcc = nativeRun(['check', '--format=gcc'], text);
    const gccLines = gcc.stdout === '' ? [] : gcc.stdout.replace(/\n$/, '').split('\n');
    if (got.json !== json.stdout || got.status !== json.status)
      differing.push(`${file}: check --format=json differs`);
    else if (JSON.stringify(got.problems) !== JSON.stringify(gccLines))
      differing.push(`${file}: the problems list differs from --format=gcc`);
  }
  assert.deepEqual(differing, []);
  await page.close();
});

test('figures: size, time to first diagnostics, keystroke to diagnostics', async () => {
  let gzipped = 0;
  for (const file of ['pexilon-config.wasm', 'pexilon-config.mjs', 'app.js', 'page.css', 'index.html'])
    gzipped += zlib.gzipSync(fs.readFileSync(path.join(pageDir, file)), { level: 9 }).length;
  console.log(`size: wasm + JS + CSS + HTML gzipped: ${(gzipped / 1024).toFixed(1)} kB`);
  assert.ok(gzipped < 500 * 1024, `the page is ${gzipped} bytes gzipped`);

  const { page } = await openPage();
  await page.waitForFunction(() => window.pexilonPage.figures.firstDiagnostics !== null);
  const first = await page.evaluate(() => window.pexilonPage.figures.firstDiagnostics);
  console.log(`time from opening the page to the first diagnostics of examples/sample.conf: ${first.toFixed(0)} ms`);

  // 10,000 lines: the sample's registers over and over, with a fault in each
  // hundred so that there are diagnostics to update.
  const lines = ['[camera parameter]', 'SIZE = 4056, 3040', 'BIT_WIDTH = 10', '[register parameter]'];
  while (lines.length < 10000)
    lines.push(lines.length % 100 === 0 ? 'REGG = 0x0100, 0x01' : `REG = 0x${(lines.length % 0x10000).toString(16).padStart(4, '0')}, 0x01`);
  await page.evaluate((t) => window.pexilonPage.setText(t), lines.join('\n') + '\n');
  await page.waitForFunction(() => window.pexilonPage.figures.lastLatency !== null);
  const latencies = [];
  const listLatencies = [];
  await page.click('.cm-content');
  await page.keyboard.press('Control+End');
  for (let i = 0; i < 7; i++) {
    const [checks, shown] = await page.evaluate(() =>
      [window.pexilonPage.figures.checks, window.pexilonPage.figures.problemsShown]);
    await page.keyboard.type(i % 2 ? '\n' : 'X');
    await page.waitForFunction(([c, p]) => window.pexilonPage.figures.checks > c &&
      window.pexilonPage.figures.problemsShown > p, [checks, shown]);
    latencies.push(await page.evaluate(() => window.pexilonPage.figures.lastLatency));
    listLatencies.push(await page.evaluate(() => window.pexilonPage.figures.lastProblemsLatency));
  }
  const spread = (list) => {
    list.sort((a, b) => a - b);
    return `median ${list[3].toFixed(1)} ms (min ${list[0].toFixed(1)}, max ${list[6].toFixed(1)})`;
  };
  console.log(`keystroke to updated diagnostics (underlines), 10,000 lines: ${spread(latencies)}`);
  console.log(`keystroke to updated problems list, 10,000 lines: ${spread(listLatencies)}`);
  await page.close();
});
