// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/completion.h"

#include "cli/options.h"

namespace quantrel::cli {

namespace {

// The options that take a value of `kind` ("" for any word), separated by `separator`.
std::string valueOptions(std::string_view kind, std::string_view separator) {
    std::string names;
    for (const OptionSpec& option : optionTable()) {
        if (option.value.empty() || option.valueKind != kind) continue;
        if (!names.empty()) names += separator;
        names += option.name;
    }
    return names;
}

std::string zshQuoted(std::string_view text) {
    std::string quoted;
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else if (c == '[' || c == ']') {
            quoted += '\\';
            quoted += c;
        } else {
            quoted += c;
        }
    }
    return quoted;
}

}  // namespace

std::string bashCompletionScript() {
    std::string all;
    std::string withValue;
    for (const OptionSpec& option : optionTable()) {
        all += (all.empty() ? "" : " ") + std::string(option.name);
        if (!option.value.empty())
            withValue += (withValue.empty() ? "" : "|") + std::string(option.name);
    }
    const std::string directories = valueOptions("directory", "|");
    const std::string quantities = valueOptions("quantity", "|");
    const std::string words = valueOptions("", "|");
    // clang-format off
    std::string script = R"script(# SPDX-License-Identifier: GPL-3.0-or-later
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
    elif [[ $prev == @WITH_VALUE@ ]]; then
        option=$prev
    fi
    case $option in
        @DIRECTORIES@)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        @QUANTITIES@)
            local IFS=$'\n' quantities
            quantities=$(_quantrel_cli_query "$1" --list-units | cut -f3 | sort -u)
            COMPREPLY=($(compgen -W "$quantities" -- "$cur"))
            return
            ;;
        @WORDS@)
            return
            ;;
    esac

    if [[ $cur == --* ]]; then
        local IFS=$' \t\n'
        COMPREPLY=($(compgen -W "@ALL@" -- "$cur"))
        [[ ${COMPREPLY[0]} == @WITH_VALUE@ ]] && ((${#COMPREPLY[@]} == 1)) &&
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
)script";
    // clang-format on
    // A test that `variable` is one of the options in `names` ("a|b").
    const auto test = [](std::string_view variable, const std::string& names) {
        std::string text;
        std::size_t start = 0;
        while (start <= names.size()) {
            std::size_t end = names.find('|', start);
            if (end == std::string::npos) end = names.size();
            if (!text.empty()) text += " || ";
            text += std::string(variable) + " == " + names.substr(start, end - start);
            start = end + 1;
        }
        return text;
    };
    const auto replace = [&script](std::string_view key, const std::string& value) {
        for (std::size_t at; (at = script.find(key)) != std::string::npos;)
            script.replace(at, key.size(), value);
    };
    replace("$prev == @WITH_VALUE@", test("$prev", withValue));
    replace("${COMPREPLY[0]} == @WITH_VALUE@", test("${COMPREPLY[0]}", withValue));
    replace("@DIRECTORIES@", directories);
    replace("@QUANTITIES@", quantities);
    replace("@WORDS@", words);
    replace("@ALL@", all);
    return script;
}

std::string zshCompletionScript() {
    std::string script = R"script(#compdef quantrel-cli
# SPDX-License-Identifier: GPL-3.0-or-later
# zsh completion for quantrel-cli: its options, a directory or a quantity after the options that
# take one, and unit symbols (as listed by quantrel-cli --list-units) at the end of an expression.
# Written by quantrel-cli's own option table: do not edit, regenerate (see the README).

# Runs quantrel-cli with the settings directory named earlier on the line and the arguments given.
_quantrel-cli_query() {
  local i
  local -a settings
  for (( i = 2; i < CURRENT; i++ )); do
    case $words[i] in
      --settings) settings=(--settings ${~${(Q)words[i+1]}}) ;;
      --settings=*) settings=(--settings ${~${(Q)words[i]#--settings=}}) ;;
    esac
  done
  _call_program units $words[1] $settings "$@" 2>/dev/null
}

_quantrel-cli_units() {
  local -a units
  units=(${(f)"$(_quantrel-cli_query --list-units | cut -f1)"})
#Only the symbol after the last character that cannot be part of a name is completed.
  compset -P '*[^[:alnum:]_]'
  compadd -S '' -a units
}

_quantrel-cli_quantities() {
  local -a quantities
  quantities=(${(f)"$(_quantrel-cli_query --list-units | cut -f3 | sort -u)"})
  compadd -a quantities
}

_arguments -s -S \
)script";
    for (const OptionSpec& option : optionTable()) {
        // The listings, --help and --version stand alone: nothing else follows them.
        std::string spec = option.alone ? "'(- *)" : "'";
        spec += option.name == "--help" ? "'{-h,--help}'" : std::string(option.name);
        if (!option.value.empty()) spec += "=";
        spec += "[" + zshQuoted(option.description) + "]";
        if (!option.value.empty()) {
            std::string action = " ";
            if (option.valueKind == "directory") action = "_directories";
            if (option.valueKind == "quantity") action = "_quantrel-cli_quantities";
            spec += ":" + zshQuoted(option.value) + ":" + action;
        }
        script += "  " + spec + "' \\\n";
    }
    script += "  '*:expression:_quantrel-cli_units'\n";
    return script;
}

}  // namespace quantrel::cli
