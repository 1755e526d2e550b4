-- Headless Neovim as the client of quick fixes: opens a file, starts
-- `pexilon-config lsp` with Neovim's own LSP client, and at each step asks
-- for the code actions at a diagnostic, makes the preferred quick fix with
-- Neovim's own workspace-edit code, and at the end makes "every fix-it"
-- (source.fixAll.pexilon). It writes what it was offered, the buffer after
-- each edit and the diagnostics then, for the caller to compare.
-- Environment: as nvim_session.lua says.
local here = debug.getinfo(1, 'S').source:sub(2):match('(.*/)') or './'
local nvim_session = dofile(here .. 'nvim_session.lua')
local session = nvim_session.start('nvim_code_actions')
local buffer, client, client_id, fail = session.buffer, session.client, session.client_id, session.fail
local wait_ms = nvim_session.wait_ms

local lines = { 'filetype ' .. vim.bo[buffer].filetype }

-- The diagnostics of the buffer as it now is (the version Neovim sent last).
local function current_diagnostics()
  local ok = vim.wait(wait_ms, function()
    local version = vim.lsp.util.buf_versions[buffer]
    return session.published ~= nil and session.published.version == version
  end, 20)
  if not ok then
    fail(string.format('no diagnostics for version %s within %d ms (the last were for %s)',
      tostring(vim.lsp.util.buf_versions[buffer]), wait_ms,
      session.published and tostring(session.published.version) or 'none'))
  end
  return session.published.diagnostics
end

local function show_diagnostics()
  local found = {}
  for _, d in ipairs(current_diagnostics()) do
    table.insert(found, string.format('%d:%d %s', d.range.start.line, d.range.start.character,
      d.code))
  end
  table.sort(found)
  table.insert(lines, 'diagnostics: ' .. (#found == 0 and '(none)' or table.concat(found, ', ')))
end

local function show_buffer()
  for _, line in ipairs(vim.api.nvim_buf_get_lines(buffer, 0, -1, false)) do
    table.insert(lines, '  |' .. (line == '' and '' or ' ' .. line))
  end
end

-- The code actions for `range`, with `diagnostics` as their context.
local function code_actions(range, diagnostics, only)
  local params = {
    textDocument = { uri = vim.uri_from_bufnr(buffer) },
    range = range,
    context = { diagnostics = diagnostics, only = only },
  }
  local answers, err = vim.lsp.buf_request_sync(buffer, 'textDocument/codeAction', params, wait_ms)
  if not answers then
    fail('no answer to textDocument/codeAction within ' .. wait_ms .. ' ms: ' .. tostring(err))
  end
  local answer = answers[client_id]
  if not answer or answer.err or answer.error then
    fail('textDocument/codeAction failed: ' .. vim.inspect(answer))
  end
  return answer.result or {}
end

local function titles(actions)
  local out = {}
  for _, action in ipairs(actions) do
    table.insert(out, string.format('%s [%s]', action.title, tostring(action.kind)))
  end
  return #out == 0 and '(none)' or table.concat(out, '; ')
end

-- Makes an action's edit with Neovim's own code and checks that the buffer
-- changed.
local function make(action)
  if type(action.edit) ~= 'table' then
    fail('the action "' .. action.title .. '" carries no edit')
  end
  local before = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
  vim.lsp.util.apply_workspace_edit(action.edit, client.offset_encoding)
  if vim.deep_equal(before, vim.api.nvim_buf_get_lines(buffer, 0, -1, false)) then
    fail('the action "' .. action.title .. '" left the buffer as it was')
  end
end

-- The preferred quick fix of the diagnostic `code` on 0-based line `line`.
local function quick_fix(line, code)
  local diagnostic = nil
  for _, d in ipairs(current_diagnostics()) do
    if d.range.start.line == line and d.code == code then diagnostic = d end
  end
  if not diagnostic then fail(string.format('no %s diagnostic on line %d', code, line)) end
  local actions = code_actions(diagnostic.range, { diagnostic })
  local chosen = nil
  for _, action in ipairs(actions) do
    if action.kind == 'quickfix' and action.isPreferred == true then
      if chosen then fail(string.format('two preferred quick fixes on line %d', line)) end
      chosen = action
    end
  end
  if not chosen then
    fail(string.format('no preferred quick fix for %s on line %d; offered: %s', code, line,
      titles(actions)))
  end
  table.insert(lines, string.format('quickfix %d %s: %s', line, code, chosen.title))
  make(chosen)
  show_buffer()
  show_diagnostics()
end

show_diagnostics()
quick_fix(1, 'unknown-key') -- BIT_WIDHT: one edit
quick_fix(2, 'unknown-key') -- WIDTH and HEIGHT made SIZE: two edits on two lines

local whole = { start = { line = 0, character = 0 }, ['end'] = { line = 0, character = 0 } }
local actions = code_actions(whole, current_diagnostics(), { 'source.fixAll.pexilon' })
if #actions ~= 1 or actions[1].kind ~= 'source.fixAll.pexilon' then
  fail('expected one source.fixAll.pexilon action; offered: ' .. titles(actions))
end
table.insert(lines, 'fixAll: ' .. actions[1].title)
make(actions[1])
show_buffer()
show_diagnostics()
actions = code_actions(whole, current_diagnostics(), { 'source.fixAll.pexilon' })
table.insert(lines, 'fixAll then: ' .. titles(actions))

session.finish(lines)
