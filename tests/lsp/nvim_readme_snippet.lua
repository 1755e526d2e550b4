-- The README's Neovim snippet, run as written (PREFIX made the installed
-- prefix, the program found on PATH): opening a .conf file with a section
-- header must give it the file type, start the server and show its
-- diagnostics. Environment: as nvim_session.lua says.
local program = os.getenv('PEXILON_PROGRAM')
local prefix = program:match('(.*)/bin/[^/]*$')
local here = debug.getinfo(1, 'S').source:sub(2):match('(.*/)') or './'
local readme = io.open(here .. '../../README.md'):read('*a')
local snippet = readme:match('\nNeovim %(.-```lua\n(.-)```')
local function fail(message)
  io.stderr:write('nvim_readme_snippet: ' .. message .. '\n')
  vim.cmd('cquit 1')
end
if not snippet then fail('the README has no Neovim snippet') end
vim.env.PATH = prefix .. '/bin:' .. vim.env.PATH
local chunk, err = loadstring(snippet:gsub('PREFIX', prefix))
if not chunk then fail(err) end
chunk()

vim.cmd('edit ' .. vim.fn.fnameescape(os.getenv('PEXILON_INPUT')))
local buffer = vim.api.nvim_get_current_buf()
if not vim.wait(10000, function() return #vim.diagnostic.get(buffer) > 0 end, 20) then
  fail('no diagnostics within 10 s')
end
local clients = vim.lsp.get_active_clients()
local lines = { 'filetype ' .. vim.bo[buffer].filetype, 'clients ' .. #clients,
  'client ' .. clients[1].name, 'diagnostics shown' }
vim.lsp.stop_client(clients[1].id)
vim.wait(5000, function() return #vim.lsp.get_active_clients() == 0 end, 20)
local file = io.open(os.getenv('PEXILON_OUTPUT'), 'w')
file:write(table.concat(lines, '\n') .. '\n')
file:close()
vim.cmd('qall!')
