// Starts `pexilon-config lsp` for the files of the language "pexilon".
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

exports.activate = function () {
  const command = vscode.workspace.getConfiguration('pexilon').get('server.path', 'pexilon-config');
  client = new LanguageClient('pexilon', 'Pexilon configuration',
    { command, args: ['lsp'] },
    { documentSelector: [{ language: 'pexilon' }] });
  return client.start();
};

exports.deactivate = function () {
  return client ? client.stop() : undefined;
};
