" Camera module configuration files: *.pexilon, and *.conf or *.cfg files
" that hold a "[camera parameter]" or "[control parameter]" section.
autocmd BufRead,BufNewFile *.pexilon setfiletype pexilon
autocmd BufRead *.conf,*.cfg
      \ if search('^\s*\[\%(camera\|control\|board\|register\) parameter\]', 'nw') |
      \   setlocal filetype=pexilon |
      \ endif
