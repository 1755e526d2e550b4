-- Headless Neovim as the client: opens a file, starts `pexilon-config lsp`
-- with Neovim's own LSP client, waits for the diagnostics and writes them,
-- one per line, as "LINE:COL-END_LINE:END_COL SEVERITY CODE" with
-- Neovim's 0-based lines and byte columns, after the file type it detected.
-- Environment: PEXILON_PROGRAM, PEXILON_INPUT, PEXILON_OUTPUT.
local program = os.getenv('PEXILON_PROGRAM')
local input = os.getenv('PEXILON_INPUT')
local output = os.getenv('PEXILON_OUTPUT')

local function fail(message)
  io.stderr:write('nvim_diagnostics: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('edit ' .. vim.fn.fnameescape(input))
local buffer = vim.api.nvim_get_current_buf()
local published = false
local exited_with = nil

local client = vim.lsp.start_client({
  name = 'pexilon',
  cmd = { program, 'lsp' },
  root_dir = vim.fn.fnamemodify(input, ':h'),
  handlers = {
    ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
      vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
      published = true
    end,
  },
  on_exit = function(code) exited_with = code end,
})
if not client then fail('the server did not start') end
vim.lsp.buf_attach_client(buffer, client)

if not vim.wait(10000, function() return published end, 20) then
  fail('no diagnostics within 10 s')
end

local lines = { 'filetype ' .. vim.bo[buffer].filetype }
local found = {}
for _, d in ipairs(vim.diagnostic.get(buffer)) do
  local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code) or '?'
  table.insert(found, string.format('%d:%d-%d:%d %s %s', d.lnum, d.col, d.end_lnum, d.end_col,
    vim.diagnostic.severity[d.severity], code))
end
table.sort(found)
vim.list_extend(lines, found)

vim.lsp.stop_client(client)
if not vim.wait(10000, function() return exited_with ~= nil end, 20) then
  fail('the server did not exit after shutdown')
end
table.insert(lines, 'server exit status ' .. exited_with)

local file = io.open(output, 'w')
file:write(table.concat(lines, '\n') .. '\n')
file:close()
vim.cmd('qall!')
