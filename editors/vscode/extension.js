// Starts `pexilon-config lsp` for the files of the language "pexilon", and
// claims the *.conf files that hold the dialect's section headers.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { claims } = require('./detect');

let client;

// A *.conf file opened as plain text, INI or properties, whose first lines
// hold a section header of the dialect, becomes a "pexilon" document.
function claimDocument(document) {
  if (document.languageId === 'pexilon' || !document.fileName.endsWith('.conf') ||
      !['plaintext', 'ini', 'properties'].includes(document.languageId))
    return;
  const start = document.getText(new vscode.Range(0, 0, 30, 0));
  if (claims(start))
    vscode.languages.setTextDocumentLanguage(document, 'pexilon');
}

// The server takes its layout from the formatting options it is sent.
function withLayout(options) {
  const settings = vscode.workspace.getConfiguration('pexilon');
  return { ...options, 'pexilon.align': settings.get('align', false),
    'pexilon.hexCase': settings.get('hexCase', 'upper') };
}

const middleware = {
  provideDocumentFormattingEdits: (document, options, token, next) =>
    next(document, withLayout(options), token),
  provideDocumentRangeFormattingEdits: (document, range, options, token, next) =>
    next(document, range, withLayout(options), token),
};

// What to tell a user whose pexilon-config cannot be started.
function notStarted(command, error) {
  const choice = 'Open Settings';
  vscode.window.showErrorMessage(
    `Pexilon: could not start "${command} lsp" (${error && error.message ? error.message : error}). ` +
      'Install pexilon-config, or set "pexilon.server.path" to the program.', choice)
    .then((picked) => picked === choice &&
      vscode.commands.executeCommand('workbench.action.openSettings', 'pexilon.server.path'));
}

exports.activate = function (context) {
  const command = vscode.workspace.getConfiguration('pexilon').get('server.path', 'pexilon-config');
  if (context && context.subscriptions)
    context.subscriptions.push(vscode.workspace.onDidOpenTextDocument(claimDocument));
  (vscode.workspace.textDocuments || []).forEach(claimDocument);
  client = new LanguageClient('pexilon', 'Pexilon configuration',
    { command, args: ['lsp'] },
    { documentSelector: [{ language: 'pexilon' }], middleware });
  return client.start().catch((error) => notStarted(command, error));
};

exports.deactivate = function () {
  return client ? client.stop() : undefined;
};

exports.withLayout = withLayout;
