# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for quantrel-cli: its options, a directory or a quantity after the options that
# take one, and unit symbols (as listed by quantrel-cli --list-units) at the end of an expression.
# Written by quantrel-cli's own option table: do not edit, regenerate (see the README).

# Runs quantrel-cli with the settings directory named earlier on the line and the arguments given.
_quantrel_cli_query()
{
    local program=$1 i word settings=()
    shift
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == --settings && ${COMP_WORDS[i + 1]} == = ]]; then
            settings=(--settings "${COMP_WORDS[i + 2]}")
        elif [[ $word == --settings ]]; then
            settings=(--settings "${COMP_WORDS[i + 1]}")
        fi
    done
    if ((${#settings[@]})); then
        settings[1]=${settings[1]/#\~/$HOME}
    fi
    "$program" "${settings[@]}" "$@" 2>/dev/null
}

_quantrel_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local before=
    ((COMP_CWORD >= 2)) && before=${COMP_WORDS[COMP_CWORD - 2]}
    COMPREPLY=()

    # --option VALUE and --option=VALUE (the = is a word of its own for bash).
    local option=
    if [[ $cur == = ]]; then
        option=$prev
        cur=
    elif [[ $prev == = ]]; then
        option=$before
    elif [[ $prev == --settings || $prev == --seed || $prev == --digits || $prev == --quantity ]]; then
        option=$prev
    fi
    case $option in
        --settings)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        --quantity)
            local IFS=$'\n' quantities
            quantities=$(_quantrel_cli_query "$1" --list-units | cut -f3 | sort -u)
            COMPREPLY=($(compgen -W "$quantities" -- "$cur"))
            return
            ;;
        --seed|--digits)
            return
            ;;
    esac

    if [[ $cur == --* ]]; then
        local IFS=$' \t\n'
        COMPREPLY=($(compgen -W "--settings --seed --digits --unbuffered --line-numbers --list-units --quantity --list-functions --help --version" -- "$cur"))
        [[ ${COMPREPLY[0]} == --settings || ${COMPREPLY[0]} == --seed || ${COMPREPLY[0]} == --digits || ${COMPREPLY[0]} == --quantity ]] && ((${#COMPREPLY[@]} == 1)) &&
            compopt -o nospace 2>/dev/null
        return
    fi

    # An expression: complete the unit symbol after the last character that cannot be in a name.
    local quote=
    if [[ $cur == [\'\"]* ]]; then
        quote=${cur:0:1}
        cur=${cur:1}
    fi
    local fragment=${cur##*[^[:alnum:]_]}
    local head=${cur%"$fragment"}
    local unit matches=()
    while IFS= read -r unit; do
        [[ -n $unit && $unit == "$fragment"* ]] && matches+=("$unit")
    done < <(_quantrel_cli_query "$1" --list-units | cut -f1)
    compopt -o nospace 2>/dev/null
    if [[ -z $quote ]]; then
        for unit in "${matches[@]}"; do
            COMPREPLY+=("$head$unit")
        done
        return
    fi
    # Inside quotes bash would list whole words ("2 km + kA", "2 km + kB", ...): offer only the
    # longest text all the symbols begin with, so Tab extends the symbol and lists nothing.
    ((${#matches[@]})) || return
    local common=${matches[0]}
    for unit in "${matches[@]}"; do
        while [[ $unit != "$common"* ]]; do
            common=${common%?}
        done
    done
    if ((${#matches[@]} == 1)) || [[ $common != "$fragment" ]]; then
        COMPREPLY=("$head$common")
    fi
}

complete -F _quantrel_cli quantrel-cli
