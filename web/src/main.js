// The page: an editor whose diagnostics, explanations, records and layout all
// come from the pexilon-config program itself, run in the browser.
import { EditorView, basicSetup } from 'codemirror';
import { EditorState, Compartment } from '@codemirror/state';
import { keymap } from '@codemirror/view';
import { linter, lintGutter, forceLinting } from '@codemirror/lint';
import { oneDark } from '@codemirror/theme-one-dark';
import { loadProgram, FILE_NAME } from './program.js';
import { encodeText, decodeText } from './fragment.js';
import { lintDiagnostics, textBlocks, offsetOf } from './diagnostics.js';

// Compiling the program is the longest wait: it starts before anything else.
const programLoading = loadProgram();

const $ = (id) => document.getElementById(id);
const status = $('status');
// Figures the browser test reads: when diagnostics first showed, and how long
// the last edit took to reach them.
const figures = { firstDiagnostics: null, lastLatency: null, checks: 0,
  problemsShown: 0, lastProblemsLatency: null };
window.pexilonPage = { figures };

let program = null;
let editedAt = null;
let problemsEditedAt = null;
let lastProblems = [];

const themeSlot = new Compartment();
const darkQuery = window.matchMedia('(prefers-color-scheme: dark)');
const themeFor = (dark) => (dark ? oneDark : []);

// Two runs of `check` over each version of the text: the JSON one, which the
// underlines are made from, at once; the text one, whose hints the tooltips
// show and whose first lines make the problems list, right after, so that
// typing waits for one run, not two.
const hints = { blocks: [] };
function lint(text, doc) {
  const json = program.run(['check', '--format=json', FILE_NAME], text);
  if (json.status === 2) return { diagnostics: [], failure: json.stderr };
  return { diagnostics: lintDiagnostics(doc, JSON.parse(json.stdout || '[]'), hints) };
}

let problemsTimer = 0;
function updateProblems() {
  const textOut = program.run(['check', '--color=never', FILE_NAME], view.state.doc.toString());
  hints.blocks = textBlocks(textOut.stdout, FILE_NAME);
  lastProblems = hints.blocks.flatMap((b) => b.gcc.map((g, i) => ({ ...g, note: i > 0 })));
  showProblems(lastProblems);
  figures.problemsShown++;
  if (problemsEditedAt !== null) {
    figures.lastProblemsLatency = performance.now() - problemsEditedAt;
    problemsEditedAt = null;
  }
}

function showProblems(problems) {
  const list = $('problems');
  list.replaceChildren();
  for (const p of problems) {
    const item = document.createElement('li');
    item.textContent = p.text;
    item.className = p.note ? 'note' : /: error: /.test(p.text) ? 'error' : 'warning';
    item.tabIndex = 0;
    const go = () => {
      const doc = view.state.doc;
      const at = offsetOf(doc, p.line, p.column);
      view.dispatch({ selection: { anchor: at }, scrollIntoView: true });
      view.focus();
    };
    item.addEventListener('click', go);
    item.addEventListener('keydown', (e) => { if (e.key === 'Enter') go(); });
    list.append(item);
  }
  $('problem-count').textContent = problems.filter((p) => !p.note).length;
}

const checker = linter((v) => {
  if (!program) return [];
  const result = lint(v.state.doc.toString(), v.state.doc);
  clearTimeout(problemsTimer);
  problemsTimer = setTimeout(updateProblems, 0);
  figures.checks++;
  if (figures.firstDiagnostics === null) figures.firstDiagnostics = performance.now();
  if (editedAt !== null) {
    figures.lastLatency = performance.now() - editedAt;
    editedAt = null;
  }
  status.textContent = result.failure ? result.failure : `${result.diagnostics.length} diagnostics`;
  return result.diagnostics;
}, { delay: 0 });

let sideTimer = 0;
let fragmentTimer = 0;
const view = new EditorView({
  parent: $('editor'),
  state: EditorState.create({
    doc: '',
    extensions: [
      basicSetup,
      lintGutter(),
      checker,
      themeSlot.of(themeFor(darkQuery.matches)),
      EditorView.updateListener.of((u) => {
        if (u.docChanged) {
          editedAt = performance.now();
          if (problemsEditedAt === null) problemsEditedAt = editedAt;
          clearTimeout(fragmentTimer);
          fragmentTimer = setTimeout(saveFragment, 300);
        }
        if (u.docChanged || u.selectionSet) {
          clearTimeout(sideTimer);
          sideTimer = setTimeout(updateSide, 120);
        }
      }),
    ],
  }),
});
window.pexilonPage.view = view;
window.pexilonPage.setText = (text) => setText(text);
// The checker as the page runs it, for the browser test to hold against the
// native program: the JSON it lints from and the problems list it shows.
window.pexilonPage.check = (text) => {
  const json = program.run(['check', '--format=json', FILE_NAME], text);
  const textOut = program.run(['check', '--color=never', FILE_NAME]);
  const problems = textBlocks(textOut.stdout, FILE_NAME).flatMap((b) => b.gcc.map((g) => g.text));
  return { status: json.status, json: json.stdout, problems };
};
darkQuery.addEventListener('change', (e) =>
  view.dispatch({ effects: themeSlot.reconfigure(themeFor(e.matches)) }));

function setText(text) {
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
}

async function saveFragment() {
  const text = view.state.doc.toString();
  const hash = '#text=' + (await encodeText(text));
  history.replaceState(null, '', hash);
  window.pexilonPage.fragmentText = text;
}

// The pane beside the editor: what the selector asks the program for.
let formatted = null;
function updateSide() {
  if (!program) return;
  const what = $('view-select').value;
  const text = view.state.doc.toString();
  const out = $('side-output');
  delete out.dataset.empty;
  $('take-format').hidden = what !== 'fmt';
  formatted = null;
  let result;
  if (what === 'explain-line') {
    const line = view.state.doc.lineAt(view.state.selection.main.head).number;
    result = program.run(['explain', '--lines', `${line}-${line}`, FILE_NAME], text);
  } else if (what === 'explain') {
    result = program.run(['explain', FILE_NAME], text);
  } else if (what === 'json') {
    result = program.run(['json', FILE_NAME], text);
  } else if (what === 'dump') {
    result = program.run(['dump', FILE_NAME], text);
  } else {
    const fmt = program.run(['fmt', FILE_NAME], text);
    const diff = program.run(['fmt', '--diff', FILE_NAME]);
    formatted = fmt.status === 0 ? fmt.stdout : null;
    $('take-format').disabled = formatted === null || formatted === text;
    out.replaceChildren();
    if (fmt.status !== 0) {
      out.textContent = fmt.stderr;
      return;
    }
    const diffBox = document.createElement('div');
    diffBox.className = 'diff';
    if (diff.stdout === '') diffBox.textContent = 'The file is laid out already.';
    for (const line of diff.stdout === '' ? [] : diff.stdout.replace(/\n$/, '').split('\n')) {
      const el = document.createElement('div');
      el.textContent = line;
      el.className = /^(\+\+\+|---)/.test(line) ? 'diff-file' : line[0] === '+' ? 'diff-add'
        : line[0] === '-' ? 'diff-del' : line.startsWith('@@') ? 'diff-hunk' : '';
      diffBox.append(el);
    }
    const heading = document.createElement('h3');
    heading.textContent = 'Formatted';
    const pre = document.createElement('pre');
    pre.id = 'formatted-text';
    pre.textContent = fmt.stdout;
    out.append(diffBox, heading, pre);
    return;
  }
  out.textContent = result.stdout + (result.stderr ? '\n' + result.stderr : '');
  if (out.textContent === '' && what === 'explain-line') out.dataset.empty = 'nothing on this line';
}

$('view-select').addEventListener('change', updateSide);
$('take-format').addEventListener('click', () => {
  if (formatted !== null) setText(formatted);
});

// Every example is fetched once, at the start, so that the page needs no
// network once it is loaded.
const exampleTexts = new Map();
const fetchExample = (name) => {
  if (!exampleTexts.has(name)) exampleTexts.set(name, fetch('examples/' + name).then((r) => r.text()));
  return exampleTexts.get(name);
};
async function loadExample(name) {
  setText(await fetchExample(name));
}
$('example-select').addEventListener('change', (e) => {
  if (e.target.value) loadExample(e.target.value);
});

async function start() {
  // The sample is fetched while the program compiles: the first diagnostics
  // wait for neither in turn.
  const sample = location.hash ? null : fetchExample('sample.conf').catch(() => null);
  const [loaded, examples, shared, sampleText] = await Promise.all([
    programLoading,
    fetch('examples/index.json').then((r) => r.json()),
    decodeText(location.hash),
    sample,
  ]);
  for (const name of examples) {
    fetchExample(name).catch(() => exampleTexts.delete(name));
    const option = document.createElement('option');
    option.value = option.textContent = name;
    $('example-select').append(option);
  }
  program = loaded;
  if (shared !== null) {
    setText(shared);
  } else {
    const first = sampleText !== null ? 'sample.conf' : examples[0];
    $('example-select').value = first;
    if (sampleText !== null) setText(sampleText);
    else await loadExample(first);
  }
  forceLinting(view);
  document.body.dataset.ready = 'true';
}

start().catch((e) => {
  status.textContent = 'The program could not be loaded: ' + e;
});
