#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build tree into a temporary prefix and checks what a user gets: the files in their
# places, dynamically linked position-independent programs that agree on the version, shell
# completion, and an installed quantrel-cli that finds the installed unit library when started from
# elsewhere, through PATH, through a symbolic link, and after the whole prefix has been moved.
# Then builds the Debian package and checks it with lintian, desktop-file-validate and
# appstreamcli (each skipped with a message when the tool is missing).
#
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR gui|nogui VERSION
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: $0 CMAKE BUILD_DIR SOURCE_DIR gui|nogui VERSION" >&2
    exit 2
fi
cmake=$1
build=$2
source=$3
gui=$4
version=$5

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quantrel-install.XXXXXX") || exit 2
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix

# DESTDIR would send the files somewhere else than --prefix says.
unset DESTDIR
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    echo "FAIL: cmake --install $build --prefix $prefix" >&2
    exit 1
fi

# --- The files -------------------------------------------------------------------------------

# FILE must exist in the prefix with the same contents as SOURCE_FILE.
same_file() {
    local installed=$prefix/$1 original=$2
    if [ ! -f "$installed" ]; then
        fail "$1 is not installed"
    elif ! cmp -s "$installed" "$original"; then
        fail "$1 differs from $original"
    fi
}

[ -x "$prefix/bin/quantrel-cli" ] || fail "bin/quantrel-cli is not installed as a program"

# Links would still point into the source or build tree, which a user does not have.
while IFS= read -r -d '' link; do
    fail "${link#"$prefix/"} is installed as a link to $(readlink "$link")"
done < <(find "$prefix" -type l -print0)

# Every file of the default library, at the same relative place.
library_files=0
while IFS= read -r -d '' file; do
    same_file "share/quantrel/settings/${file#"$source/settings/"}" "$file"
    library_files=$((library_files + 1))
done < <(find -H "$source/settings" -type f ! -name '.*' ! -name '*~' -print0)
[ "$library_files" -gt 0 ] || fail "no library files found in $source/settings"

# The guide and the man pages carry the version; nothing else in them changes.
# configured FILE SOURCE_FILE: FILE (a path under the prefix, plain or .gz) holds SOURCE_FILE with
# the version filled in.
configured() {
    local installed=$prefix/$1 original=$2 text
    if [ -f "$installed.gz" ]; then
        text=$(gzip -dc "$installed.gz")
    elif [ -f "$installed" ]; then
        text=$(cat "$installed")
    else
        fail "$1 is not installed"
        return
    fi
    [ "$text" = "$(sed "s/@PROJECT_VERSION@/$version/g" "$original")" ] ||
        fail "$1 is not $original with the version $version filled in"
    grep -q "Quantrel $version" <<<"$text" || fail "$1 does not name Quantrel $version"
}
configured share/doc/quantrel/guide.html "$source/docs/guide.html"
configured share/man/man1/quantrel-cli.1 "$source/packaging/quantrel-cli.1"
if [ -f "$source/docs/units.md" ]; then
    same_file share/doc/quantrel/units.md "$source/docs/units.md"
fi

# The licence terms and the release history, where Debian keeps them.
same_file share/doc/quantrel/copyright "$source/packaging/copyright"
grep -q '^License: GPL-3+$' "$prefix/share/doc/quantrel/copyright" ||
    fail "share/doc/quantrel/copyright does not name the licence"
changelog=$prefix/share/doc/quantrel/changelog
top=$({ gzip -dc "$changelog.gz" 2>/dev/null || cat "$changelog" 2>/dev/null; } | head -n 1)
[ "$top" = "quantrel ($version) unstable; urgency=medium" ] ||
    fail "the changelog begins with '$top', not an entry for $version"

# Both programs: dynamically linked position-independent executables that agree on the version.
# elf_checks PROGRAM
elf_checks() {
    local program=$prefix/bin/$1
    if ! command -v readelf >/dev/null; then
        echo "note: readelf is missing (package binutils); linking of bin/$1 not checked" >&2
        return
    fi
    readelf -h "$program" | grep -Eq 'Type:[[:space:]]+DYN' ||
        fail "bin/$1 is not position-independent: $(readelf -h "$program" | grep Type:)"
    readelf -d "$program" | grep -q '(NEEDED)' || fail "bin/$1 is not dynamically linked"
    readelf -d "$program" | grep -Eq 'FLAGS_1.*PIE' || fail "bin/$1 is not marked as PIE"
    readelf -lW "$program" | grep -q 'INTERP' || fail "bin/$1 names no program interpreter"
}
elf_checks quantrel-cli
out=$("$prefix/bin/quantrel-cli" --version)
[ "$out" = "quantrel-cli $version" ] || fail "quantrel-cli --version says '$out'"

# Completion: the scripts are where bash-completion and zsh look, and the bash one completes.
bash_completion=$prefix/share/bash-completion/completions/quantrel-cli
same_file share/bash-completion/completions/quantrel-cli "$source/packaging/completion/quantrel-cli.bash"
same_file share/zsh/vendor-completions/_quantrel-cli "$source/packaging/completion/_quantrel-cli"
# complete WORD...: the candidates, one a line, for the last word of "quantrel-cli WORD...".
complete_words() {
    bash -c 'source "$1"; shift; compopt() { :; }
             COMP_WORDS=(quantrel-cli "$@"); COMP_CWORD=$#
             _quantrel_cli quantrel-cli; printf "%s\n" "${COMPREPLY[@]}"' \
        complete "$bash_completion" "$@"
}
[ "$(PATH="$prefix/bin:$PATH" complete_words --li | sort | tr '\n' ' ')" = \
    "--line-numbers --list-functions --list-units " ] ||
    fail "bash completion of '--li': $(PATH="$prefix/bin:$PATH" complete_words --li | tr '\n' ' ')"
[ "$(cd "$tmp" && PATH="$prefix/bin:$PATH" complete_words "2 km in k" | grep -c '^2 km in km$')" = 1 ] ||
    fail "bash completion does not offer the unit km from the installed library"

if [ "$gui" = gui ]; then
    configured share/man/man1/quantrel.1 "$source/packaging/quantrel.1"
    elf_checks quantrel
    # --version answers without a display.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quantrel" --version)
    [ "$out" = "quantrel $version" ] || fail "quantrel --version says '$out'"
    metainfo=$prefix/share/metainfo/example.quantrel.Quantrel.metainfo.xml
    if [ ! -f "$metainfo" ]; then
        fail "the AppStream metadata is not installed"
    elif ! grep -q "<release version=\"$version\"" "$metainfo"; then
        fail "the AppStream metadata does not name the release $version"
    fi
fi

# --- The installed program finds the installed library ---------------------------------------

# A working directory without ./settings: only the installed library can define km and m. The
# user's own settings directory is kept out of the way.
work=$tmp/work
mkdir -p "$work"
export XDG_CONFIG_HOME=$tmp/no-config

# run WHAT COMMAND...: runs COMMAND in $work and expects "2.3 km", nothing on stderr, status 0.
run() {
    local what=$1 out err status
    shift
    out=$(cd "$work" && "$@" '2 km + 300 m' 2>"$tmp/stderr")
    status=$?
    err=$(cat "$tmp/stderr")
    if [ "$status" -ne 0 ] || [ "$out" != "2.3 km" ] || [ -n "$err" ]; then
        fail "$what: status $status, output '$out', errors '$err' (expected '2.3 km')"
    fi
}

run "installed quantrel-cli" "$prefix/bin/quantrel-cli"
run "installed quantrel-cli through PATH" env PATH="$prefix/bin:$PATH" quantrel-cli

# Move the whole installation: nothing may still point into the old prefix.
moved=$tmp/elsewhere/deeper/quantrel
mkdir -p "$(dirname "$moved")"
mv "$prefix" "$moved"
run "moved quantrel-cli" "$moved/bin/quantrel-cli"

# A link to the program from another directory, as a user's ~/bin would hold.
mkdir -p "$tmp/links"
ln -s "$moved/bin/quantrel-cli" "$tmp/links/quantrel-cli"
run "moved quantrel-cli through a symbolic link" "$tmp/links/quantrel-cli"

# A ./settings in the working directory is not read unless it is named: an unrelated one changes
# nothing.
mkdir -p "$work/settings"
printf '<App><Window Width="3"/></App>\n' >"$work/settings/app.xml"
run "quantrel-cli beside an unrelated ./settings" "$moved/bin/quantrel-cli"

# The user's own directory comes after the library and may build on it.
config=$tmp/config
mkdir -p "$config/quantrel/settings"
printf '%s\n' '<Units><Quantity Name="Length"><Unit Symbol="rod2">5.0292 m</Unit></Quantity></Units>' \
    >"$config/quantrel/settings/mine.xml"
out=$(cd "$work" && XDG_CONFIG_HOME=$config "$moved/bin/quantrel-cli" '2 rod2 in m' 2>&1)
[ "$out" = "10.0584 m" ] || fail "the user's settings directory: '$out' (expected '10.0584 m')"
out=$(cd "$work" && HOME=$tmp XDG_CONFIG_HOME= "$moved/bin/quantrel-cli" '2 rod2 in m' 2>&1)
[ "$out" = "Parse error: Expected END near 'rod2 in m'" ] ||
    fail "without the user's directory: '$out'"

# A directory named with --settings must exist.
out=$(cd "$work" && "$moved/bin/quantrel-cli" --settings no-such-dir 1 2>&1)
status=$?
[ "$status" -eq 2 ] && [ "$out" = "Configuration error (no-such-dir): Settings directory not found" ] ||
    fail "--settings no-such-dir: status $status, '$out'"

# --- The Debian package ----------------------------------------------------------------------

cpack=$(dirname "$cmake")/cpack
if [ ! -x "$cpack" ] || ! command -v dpkg-deb >/dev/null; then
    echo "skipped: the Debian package (cpack or dpkg-deb is missing)" >&2
elif ! (cd "$tmp" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package") \
    >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    fail "cpack -G DEB failed"
else
    deb=$(find "$tmp/package" -maxdepth 1 -name 'quantrel_*.deb' | head -n 1)
    package_version=$(dpkg-deb -f "$deb" Version)
    [ "$package_version" = "$version" ] || fail "the package's version is $package_version"
    dpkg-deb -c "$deb" >"$tmp/contents"
    grep -q ' \./usr/bin/quantrel-cli$' "$tmp/contents" || fail "the package lacks quantrel-cli"
    if ! command -v lintian >/dev/null; then
        echo "skipped: lintian is missing (package lintian)" >&2
    else
        # Errors and warnings fail. Informational tags that --pedantic --info may still show:
        #   binary-has-unneeded-section .comment: the compiler's version note; CPack's strip keeps
        #     it, as it keeps the build ID.
        #   hardening-no-bindnow: -z now would resolve every symbol of the C++ library before
        #     main, which costs quantrel-cli start-up time on each run; the relocations are
        #     read-only after start-up anyway (-z relro).
        lintian --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1
        status=$?
        if [ "$status" -ne 0 ] || grep -Eq '^[EW]: ' "$tmp/lintian.log"; then
            cat "$tmp/lintian.log" >&2
            fail "lintian reports errors or warnings on $(basename "$deb") (status $status)"
        fi
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install test passed"
