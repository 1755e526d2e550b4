// Loads extension.js under Node, as VS Code would, with the `vscode` module
// stubbed: the language client must resolve from the extension's own
// node_modules, and activate() must start it on `pexilon-config lsp`.
//   node test/load.js [EXTENSION_DIR]   (default: the folder above)
'use strict';
const assert = require('assert');
const Module = require('module');
const path = require('path');

const dir = path.resolve(process.argv[2] || path.join(__dirname, '..'));

// Any property of the stub is a constructible function whose properties are
// stubs again, so the client library finds the classes and enums it reads at
// load time; workspace.getConfiguration gives the settings a user would have.
function stub(name) {
  const target = function () {};
  return new Proxy(target, {
    get(t, key) {
      if (key === 'prototype') return t.prototype;
      if (key === Symbol.toPrimitive) return () => name;
      if (key === 'then') return undefined;
      if (!(key in t)) t[key] = stub(`${name}.${String(key)}`);
      return t[key];
    },
    construct() { return stub(`new ${name}`); },
    apply() { return stub(`${name}()`); },
  });
}
const vscode = stub('vscode');
vscode.workspace.getConfiguration = () => ({ get: (key, fallback) => fallback });
vscode.version = '1.75.0';

const loadModule = Module._load;
Module._load = function (request, ...rest) {
  return request === 'vscode' ? vscode : loadModule.call(this, request, ...rest);
};

// The client module resolves inside the extension, not from anywhere else.
const client = require.resolve('vscode-languageclient/node', { paths: [dir] });
assert.ok(client.startsWith(path.join(dir, 'node_modules') + path.sep), client);

const extension = require(path.join(dir, 'extension.js'));
assert.strictEqual(typeof extension.activate, 'function');
assert.strictEqual(extension.deactivate(), undefined, 'deactivate before activate');

// activate() hands the client the program and its `lsp` argument.
const languageclient = require(client);
let started;
languageclient.LanguageClient.prototype.start = function () {
  started = this;
  return Promise.resolve();
};
extension.activate();
assert.ok(started, 'activate() did not start the client');
assert.deepStrictEqual(started._serverOptions, { command: 'pexilon-config', args: ['lsp'] });
assert.deepStrictEqual(started.clientOptions.documentSelector, [{ language: 'pexilon' }]);

// Formatting requests carry the layout settings, which the server reads.
let sent;
started.clientOptions.middleware.provideDocumentFormattingEdits('doc', { tabSize: 4 }, 'token',
  (document, options) => { sent = options; });
assert.deepStrictEqual(sent, { tabSize: 4, 'pexilon.align': false, 'pexilon.hexCase': 'upper' });

// A program that cannot be started is told to the user, with the setting.
let told;
vscode.window.showErrorMessage = (message) => { told = message; return Promise.resolve(); };
languageclient.LanguageClient.prototype.start = () => Promise.reject(new Error('spawn ENOENT'));
extension.activate().then(() => {
  assert.ok(/spawn ENOENT.*pexilon\.server\.path/.test(told), told);
  console.log('a missing program is told to the user');
});
console.log(`extension.js loads in ${dir}, client from ${path.relative(dir, client)}`);
