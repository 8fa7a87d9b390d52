# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for quantrel-cli: its options, a directory after --settings, and unit symbols
# (as listed by quantrel-cli --list-units) at the end of an expression.

# Prints the unit symbols, one a line, of the settings directory named earlier on the line.
_quantrel_cli_units()
{
    local program=$1 i word settings=()
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
    "$program" "${settings[@]}" --list-units 2>/dev/null | cut -f1
}

_quantrel_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local before=
    ((COMP_CWORD >= 2)) && before=${COMP_WORDS[COMP_CWORD - 2]}
    COMPREPLY=()

    # --settings DIR and --settings=DIR (the = is a word of its own for bash).
    local option=
    if [[ $cur == = ]]; then
        option=$prev
        cur=
    elif [[ $prev == = ]]; then
        option=$before
    elif [[ $prev == --settings || $prev == --seed ]]; then
        option=$prev
    fi
    if [[ $option == --settings ]]; then
        compopt -o filenames 2>/dev/null
        local IFS=$'\n'
        COMPREPLY=($(compgen -d -- "$cur"))
        return
    fi
    [[ $option == --seed ]] && return

    local options="--settings --seed --unbuffered --line-numbers --list-units --list-functions
        --help --version"
    if [[ $cur == --* ]]; then
        local IFS=$' \t\n'
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY[0]} == --settings || ${COMPREPLY[0]} == --seed ]] &&
            ((${#COMPREPLY[@]} == 1)) && compopt -o nospace 2>/dev/null
        return
    fi

    # An expression: complete the unit symbol after the last character that cannot be in a name.
    local fragment=${cur##*[^[:alnum:]_]}
    local head=${cur%"$fragment"}
    local unit
    while IFS= read -r unit; do
        [[ -n $unit && $unit == "$fragment"* ]] && COMPREPLY+=("$head$unit")
    done < <(_quantrel_cli_units "$1")
    compopt -o nospace 2>/dev/null
}

complete -F _quantrel_cli quantrel-cli
