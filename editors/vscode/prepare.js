// Brings into this folder what the extension takes from the rest of the
// project, so that each is kept in one place: the TextMate grammar of
// editors/textmate and the licence. `vsce package` runs it (vscode:prepublish).
'use strict';
const fs = require('fs');
const path = require('path');

const project = path.join(__dirname, '..', '..');
const copies = [
  [path.join(project, 'editors', 'textmate', 'pexilon.tmLanguage.json'),
    path.join(__dirname, 'syntaxes', 'pexilon.tmLanguage.json')],
  [path.join(project, 'LICENSE'), path.join(__dirname, 'LICENSE')],
];
for (const [from, to] of copies) {
  fs.mkdirSync(path.dirname(to), { recursive: true });
  fs.copyFileSync(from, to);
}
// A grammar that does not parse would only show as missing colours in the editor.
JSON.parse(fs.readFileSync(copies[0][1], 'utf8'));
