-- What both headless Neovim clients share: the file opened, the installed
-- `pexilon-config lsp` started with Neovim's own LSP client and attached,
-- and at the end the server stopped and the lines written for the caller.
-- Environment: PEXILON_PROGRAM, PEXILON_INPUT, PEXILON_OUTPUT.
local M = { wait_ms = 10000 }

-- Starts the session; `script` names the caller in its failures.
function M.start(script)
  local session = { published = nil, exited_with = nil } -- published: the last params
  function session.fail(message)
    io.stderr:write(script .. ': ' .. message .. '\n')
    vim.cmd('cquit 1')
  end
  local input = os.getenv('PEXILON_INPUT')
  vim.cmd('edit ' .. vim.fn.fnameescape(input))
  session.buffer = vim.api.nvim_get_current_buf()
  session.client_id = vim.lsp.start_client({
    name = 'pexilon',
    cmd = { os.getenv('PEXILON_PROGRAM'), 'lsp' },
    root_dir = vim.fn.fnamemodify(input, ':h'),
    handlers = {
      ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
        vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
        session.published = result
      end,
    },
    on_exit = function(code) session.exited_with = code end,
  })
  if not session.client_id then session.fail('the server did not start') end
  vim.lsp.buf_attach_client(session.buffer, session.client_id)
  session.client = vim.lsp.get_client_by_id(session.client_id)

  -- Stops the server, adds its exit status to `lines`, writes them and quits.
  function session.finish(lines)
    vim.lsp.stop_client(session.client_id)
    if not vim.wait(M.wait_ms, function() return session.exited_with ~= nil end, 20) then
      session.fail('the server did not exit after shutdown')
    end
    table.insert(lines, 'server exit status ' .. session.exited_with)
    local file = io.open(os.getenv('PEXILON_OUTPUT'), 'w')
    file:write(table.concat(lines, '\n') .. '\n')
    file:close()
    vim.cmd('qall!')
  end
  return session
end

return M
