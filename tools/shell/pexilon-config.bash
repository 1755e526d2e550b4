# bash completion for pexilon-config                          -*- shell-script -*-
# Installed as share/bash-completion/completions/pexilon-config.

# The diagnostic names 'check' knows, read from its help: the paragraph that
# starts "$2:" and ends in ".", as "Warnings: a b c." and "Errors: d e.".
_pexilon_config_names()
{
    "$1" check --help 2>/dev/null |
        sed -n "/^$2:/,/\\.\$/{s/^$2://;s/\\.\$//;p}" |
        tr ' ' '\n' | sed '/^$/d'
}

_pexilon_config()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="check dump json diff explain fmt get set insert remove from-json lsp"

    if ((COMP_CWORD == 1)); then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "--help --version" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        fi
        return
    fi

    local command=${COMP_WORDS[1]} options=""
    case $command in
        check)   options="--format= --color= --werror --fix --fix= --fix-dry-run --no-inline-config -Wno- -W --help" ;;
        dump)    options="--split-streams --help" ;;
        json)    options="--compact --hex --help" ;;
        diff)    options="--format= --help" ;;
        explain) options="--lines --help" ;;
        fmt)     options="--in-place --check --diff --align --hex-case= --help" ;;
        get)     options="--json --help" ;;
        from-json) options="--help" ;;
        set|remove) options="--in-place --help" ;;
        insert)  options="--after= --section= --control= --in-place --help" ;;
        lsp)     options="--stdio --help"; COMPREPLY=() ;;
        *)       return ;;
    esac

    # Values of options, given as --name=value or --name value. Bash splits
    # words at "=" too, so "--name=va" may arrive as "--name" "=" "va".
    local option=$prev value=$cur
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        value=${cur#*=}
    elif [[ $cur == = ]]; then
        option=$prev
        value=""
    elif [[ $prev == = ]] && ((COMP_CWORD >= 3)); then
        option=${COMP_WORDS[COMP_CWORD-2]}
    fi
    local values=""
    case $command:$option in
        check:--format) values="text gcc json sarif github" ;;
        check:--color)  values="auto always never" ;;
        check:--fix) # a comma-separated list of warnings: complete its last name
            local done=""
            [[ $value == *,* ]] && done=${value%,*},
            local names
            names="$(_pexilon_config_names "${COMP_WORDS[0]}" Warnings)
$(_pexilon_config_names "${COMP_WORDS[0]}" Errors)"
            mapfile -t COMPREPLY < <(compgen -P "$done" -W "$names" -- "${value##*,}")
            return ;;
        diff:--format)  values="text json" ;;
        fmt:--hex-case) values="upper lower keep" ;;
        explain:--lines) COMPREPLY=(); return ;;
    esac
    if [[ -n $values ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$value")
        return
    fi

    if [[ $command == check && $cur == -W* ]]; then
        local names prefix=-W
        [[ $cur == -Wno-* ]] && prefix=-Wno-
        names=$(_pexilon_config_names "${COMP_WORDS[0]}" Warnings)
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "$names" -- "${cur#"$prefix"}")
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        # An option that takes "=value" is completed without a space after it.
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace
        return
    fi
    [[ $command == lsp ]] && return
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    compopt -o filenames 2>/dev/null
}

complete -F _pexilon_config pexilon-config
