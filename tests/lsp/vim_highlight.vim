" Checks the vim syntax file against data/highlight.kinds: writes one line
" per row that is shown otherwise, then "done", to $PEXILON_OUTPUT.
let s:kinds = {
      \ 'pexilonComment': 'comment', 'pexilonInlineComment': 'comment',
      \ 'pexilonSection': 'section', 'pexilonVariant': 'variant',
      \ 'pexilonBracket': 'bracket', 'pexilonKey': 'key',
      \ 'pexilonUnknownKey': 'unknown-key', 'pexilonSeparator': 'separator',
      \ 'pexilonNumber': 'number', 'pexilonBlockMarker': 'marker',
      \ 'pexilonCodeBlock': 'code'}
let s:data = expand('<sfile>:p:h') . '/data/'
let s:out = []
execute 'edit ' . fnameescape(s:data . 'highlight.conf')
if &filetype !=# 'pexilon'
  call add(s:out, 'filetype is "' . &filetype . '", not pexilon')
endif
for s:row in readfile(s:data . 'highlight.kinds')
  if s:row =~# '^#' || s:row =~# '^\s*$'
    continue
  endif
  let [s:line, s:text, s:want] = split(s:row)
  let s:col = stridx(getline(s:line), s:text) + 1
  let s:name = synIDattr(synID(s:line, s:col, 1), 'name')
  let s:got = get(s:kinds, s:name, 'plain')
  if s:col == 0 || s:got !=# s:want
    call add(s:out, s:row . ': shown as ' . s:got . ' (' . s:name . ')')
  endif
endfor
call add(s:out, 'done')
call writefile(s:out, $PEXILON_OUTPUT)
qall!
