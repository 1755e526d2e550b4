-- Headless Neovim as the client: opens a file, starts `pexilon-config lsp`
-- with Neovim's own LSP client, waits for the diagnostics and writes them,
-- one per line, as "LINE:COL-END_LINE:END_COL SEVERITY CODE" with
-- Neovim's 0-based lines and byte columns, after the file type it detected.
-- Environment: as nvim_session.lua says.
local here = debug.getinfo(1, 'S').source:sub(2):match('(.*/)') or './'
local nvim_session = dofile(here .. 'nvim_session.lua')
local session = nvim_session.start('nvim_diagnostics')
local buffer, fail = session.buffer, session.fail

if not vim.wait(nvim_session.wait_ms, function() return session.published ~= nil end, 20) then
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

session.finish(lines)
