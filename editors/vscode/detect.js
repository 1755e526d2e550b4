// Which files are camera module configurations: a *.conf file is one when
// one of the dialect's section headers stands at the start of a line among
// its first lines. VS Code's own `firstLine` (package.json) sees only the
// first line, which is often a comment in these files.
'use strict';

// The section kinds the reader knows; variants add bracket groups after the
// kind ("[register parameter][dev3][inf2]").
const SECTION_KINDS = ['camera parameter', 'control parameter', 'board parameter',
  'register parameter'];
const LINES_LOOKED_AT = 30;
const HEADER = new RegExp(`^\\uFEFF?[ \\t]*\\[(${SECTION_KINDS.join('|')})\\]`);

// Whether the text (the start of a file is enough) reads as this dialect.
function claims(text) {
  return text.split(/\r\n|\n|\r/, LINES_LOOKED_AT).some((line) => HEADER.test(line));
}

module.exports = { SECTION_KINDS, LINES_LOOKED_AT, HEADER, claims };
