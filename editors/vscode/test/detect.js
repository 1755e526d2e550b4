// Which files the extension claims, against the project's own files, and
// what its package declares. Needs no node_modules.
//   node test/detect.js PROJECT_DIR
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { SECTION_KINDS, LINES_LOOKED_AT, claims } = require('../detect');

const project = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', '..'));
const pkg = JSON.parse(fs.readFileSync(path.join(__dirname, '..', 'package.json'), 'utf8'));
const language = pkg.contributes.languages.find((l) => l.id === 'pexilon');
const firstLine = new RegExp(language.firstLine);

// The section kinds are the reader's: the names of its section table, less
// the variants' bracket groups (joined with "||" there).
const vocabulary = fs.readFileSync(path.join(project, 'src', 'config', 'vocabulary.h'), 'utf8');
const table = vocabulary.slice(vocabulary.indexOf('section_codes[]'));
const kinds = [...table.slice(0, table.indexOf('nullptr')).matchAll(/\{"([^"|]+)/g)]
  .map((m) => m[1]);
assert.deepStrictEqual([...new Set(kinds)].sort(), [...SECTION_KINDS].sort());

// Every configuration file of the project is claimed; its first line, where
// it is a header, is claimed by firstLine alone.
let files = 0;
for (const dir of ['tests/check', 'examples']) {
  for (const name of fs.readdirSync(path.join(project, dir)).filter((n) => n.endsWith('.conf'))) {
    const text = fs.readFileSync(path.join(project, dir, name), 'latin1').replace(/^\xEF\xBB\xBF/, '\uFEFF');
    assert.ok(claims(text), `${dir}/${name} is not claimed`);
    const first = text.split(/\r\n|\n|\r/, 1)[0];
    if (SECTION_KINDS.some((k) => first.replace(/^\uFEFF/, '').trim().startsWith(`[${k}]`)))
      assert.ok(firstLine.test(first), `firstLine misses ${dir}/${name}: ${first}`);
    files += 1;
  }
}
assert.ok(files > 30, `only ${files} files`);

// Other .conf files are not.
const others = [
  'server {\n  listen 80;\n}\n',
  '[general]\nname = x\n[camera]\nSIZE = 1, 2\n',
  '# [camera parameter] in a comment\n',
  ';\n'.repeat(LINES_LOOKED_AT) + '[camera parameter]\n',
];
for (const text of others)
  assert.ok(!claims(text), `claims ${JSON.stringify(text.slice(0, 40))}`);
assert.ok(!firstLine.test('; [camera parameter]'));

// What the package carries and declares.
const settings = pkg.contributes.configuration.properties;
for (const key of ['pexilon.server.path', 'pexilon.align', 'pexilon.hexCase'])
  assert.ok(settings[key] && settings[key].description, `no setting ${key}`);
assert.deepStrictEqual(settings['pexilon.hexCase'].enum, ['upper', 'lower', 'keep']);
assert.ok(pkg.license && pkg.categories.includes('Programming Languages'));
assert.ok(fs.existsSync(path.join(__dirname, '..', 'README.md')));
const lock = JSON.parse(fs.readFileSync(path.join(__dirname, '..', 'package-lock.json'), 'utf8'));
assert.ok(lock.packages['node_modules/vscode-languageclient'], 'the lockfile lacks the client');
console.log(`detect.js claims ${files} files of the project and none of ${others.length} others`);
