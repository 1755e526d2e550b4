// What `check` said, in the editor's terms. Positions come from the JSON
// diagnostics (line, and column in characters); the problems list and the
// hints come from the text output, whose first line of each diagnostic and
// note is what --format=gcc prints.

// A 1-based line and character column to an offset in the document, whose
// positions count UTF-16 units.
export function offsetOf(doc, line, column) {
  if (line < 1) return 0;
  if (line > doc.lines) return doc.length;
  const at = doc.line(line);
  let offset = at.from;
  let chars = 1;
  for (const ch of at.text) {
    if (chars >= column) break;
    offset += ch.length;
    chars++;
  }
  return Math.min(offset, at.to);
}

function escapeRegExp(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}

// Splits the text output into one block per diagnostic: its header lines
// (the diagnostic's and its notes', as --format=gcc prints them) and the
// hints (the lines that start with '='), in the order of the JSON array.
export function textBlocks(text, fileName) {
  const header = new RegExp(`^${escapeRegExp(fileName)}:(\\d+)(?::(\\d+))?: (error|warning|note): `);
  const blocks = [];
  for (const line of text.split('\n')) {
    const m = header.exec(line);
    if (m && m[3] !== 'note') {
      blocks.push({ gcc: [{ text: line, line: +m[1], column: m[2] ? +m[2] : 1 }], hints: [] });
    } else if (m && blocks.length) {
      blocks[blocks.length - 1].gcc.push({ text: line, line: +m[1], column: m[2] ? +m[2] : 1 });
    } else if (blocks.length && /^\s+= /.test(line)) {
      blocks[blocks.length - 1].hints.push(line.replace(/^\s+= /, ''));
    }
  }
  return blocks;
}

// The JSON diagnostics (and the text output's blocks beside them) as
// CodeMirror lint diagnostics, each fix-it an action. hints.blocks is read
// when a tooltip opens: the text output comes after the JSON.
export function lintDiagnostics(doc, json, hints) {
  return json.map((d, index) => {
    const loc = d.locations && d.locations[0];
    const line = loc ? loc.caret.line : 1;
    let from = loc ? offsetOf(doc, line, loc.caret.column) : 0;
    let to = loc && loc.finish ? offsetOf(doc, loc.finish.line, loc.finish.column + 1) : from;
    if (to <= from) to = Math.min(doc.line(Math.min(Math.max(line, 1), doc.lines)).to, from + 1);
    const notes = (d.children || []).map((c) => c.message);
    const fixits = d.fixits || [];
    const actions = fixits.length
      ? [{
          name: fixits.length === 1 && fixits[0].string !== ''
            ? `Replace with '${fixits[0].string}'` : 'Apply the fix-it',
          apply(view) {
            const changes = fixits.map((f) => ({
              from: offsetOf(view.state.doc, f.start.line, f.start.column),
              to: offsetOf(view.state.doc, f.next.line, f.next.column),
              insert: f.string,
            }));
            view.dispatch({ changes });
          },
        }]
      : [];
    return {
      from, to,
      severity: d.kind === 'error' ? 'error' : d.kind === 'note' ? 'info' : 'warning',
      message: d.message,
      renderMessage() {
        const box = document.createElement('div');
        box.className = 'diag-message';
        const head = document.createElement('div');
        head.textContent = d.message + (d.option ? ` [${d.option}]` : '');
        box.append(head);
        const block = hints.blocks[index] || { hints: [] };
        for (const hint of block.hints) {
          const el = document.createElement('div');
          el.className = 'diag-hint';
          el.textContent = hint;
          box.append(el);
        }
        for (const note of notes) {
          const el = document.createElement('div');
          el.className = 'diag-note';
          el.textContent = 'note: ' + note;
          box.append(el);
        }
        return box;
      },
      actions,
    };
  });
}
