" Vim syntax file
" Language: pexilon camera module configuration
" Maintainer: libpexilon_config_parser
"
" Comments, section headers with their variant groups, keys, separators,
" numbers, and code blocks whose text is left alone as the reader leaves it.

if exists('b:current_syntax')
  finish
endif

let s:cpo_save = &cpo
set cpo&vim

syn case match

" Whole-line comments: ';', '#' or '//' after optional white space.
syn match pexilonComment /^\s*\%(;\|#\|\/\/\).*$/ contains=@Spell
" An inline comment starts only after white space.
syn match pexilonInlineComment /\s\zs\%(;\|\/\/\).*$/ contained contains=@Spell

" Section headers: bracket groups written back to back.
syn match pexilonHeader /^\s*\[.*$/ contains=pexilonSection,pexilonVariant,pexilonBracket,pexilonInlineComment
syn match pexilonBracket /[][]/ contained
syn match pexilonSection /\[\@1<=\%(camera\|control\|board\|register\) parameter\]\@=/ contained
syn match pexilonVariant /\%(\]\[\)\@2<=\%(dev[23]\|inf[23]\)\]\@=/ contained

" Name/value lines: the key, the first '=' or ':', then the value.
syn match pexilonLine /^\s*[^[:space:];#\[=:][^=:]*[=:].*$/ contains=pexilonKey,pexilonUnknownKey,pexilonSeparator
syn match pexilonUnknownKey /^\s*\zs[^=:]\{-}\ze\s*[=:]/ contained nextgroup=pexilonSeparator
syn keyword pexilonKey contained CFG_MODE TYPE SIZE BIT_WIDTH FORMAT I2C_MODE I2C_ADDR TRANS_LVL
syn keyword pexilonKey contained REG DELAY VRCMD
syn keyword pexilonKey contained MIN_VALUE MAX_VALUE STEP DEF CTRL_NAME FUNC_NAME
syn match pexilonSeparator /[=:]/ contained nextgroup=pexilonValue skipwhite
syn match pexilonValue /.*$/ contained contains=pexilonNumber,pexilonInlineComment

" Continuation lines: indented lines of numbers, as under a REG line.
syn match pexilonContinued /^\s\+\%(-\?\d\|0[xX]\).*$/ contains=pexilonNumber,pexilonInlineComment

syn match pexilonNumber /\<0[xX]\x\+\>/ contained
syn match pexilonNumber /-\?\<\d\+\>/ contained

" Code blocks: markers in any case; the text between them is not read.
syn case ignore
syn region pexilonCodeBlock matchgroup=pexilonBlockMarker
      \ start=/^\s*======CODE_BLOCK_START======\s*$/
      \ end=/^\s*======CODE_BLOCK_END======\s*$/
      \ contains=NONE keepend
syn case match

hi def link pexilonComment       Comment
hi def link pexilonInlineComment Comment
hi def link pexilonBracket       Delimiter
hi def link pexilonHeader        Title
hi def link pexilonSection       Type
hi def link pexilonVariant       Special
hi def link pexilonKey           Identifier
hi def link pexilonUnknownKey    Normal
hi def link pexilonSeparator     Operator
hi def link pexilonNumber        Number
hi def link pexilonBlockMarker   PreProc
hi def link pexilonCodeBlock     String

let b:current_syntax = 'pexilon'

let &cpo = s:cpo_save
unlet s:cpo_save
