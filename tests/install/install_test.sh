#!/usr/bin/env bash
# Installs a build tree into a temporary prefix and checks what a user gets: the files in their
# places, and an installed quantrel-cli that finds the installed unit library when started from
# elsewhere, through PATH, through a symbolic link, and after the whole prefix has been moved.
#
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR gui|nogui
set -uo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 CMAKE BUILD_DIR SOURCE_DIR gui|nogui" >&2
    exit 2
fi
cmake=$1
build=$2
source=$3
gui=$4

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

same_file share/doc/quantrel/guide.html "$source/docs/guide.html"
if [ -f "$source/docs/units.md" ]; then
    same_file share/doc/quantrel/units.md "$source/docs/units.md"
fi

man=$prefix/share/man/man1/quantrel-cli.1
if [ -f "$man.gz" ]; then
    if ! gzip -dc "$man.gz" | cmp -s - "$source/packaging/quantrel-cli.1"; then
        fail "share/man/man1/quantrel-cli.1.gz does not hold the man page"
    fi
else
    same_file share/man/man1/quantrel-cli.1 "$source/packaging/quantrel-cli.1"
fi

if [ "$gui" = gui ]; then
    [ -x "$prefix/bin/quantrel" ] || fail "bin/quantrel is not installed as a program"
    same_file share/applications/quantrel.desktop "$source/packaging/quantrel.desktop"
    same_file share/icons/hicolor/scalable/apps/quantrel.svg "$source/packaging/quantrel.svg"
    same_file share/icons/hicolor/256x256/apps/quantrel.png "$source/packaging/quantrel.png"
    if command -v desktop-file-validate >/dev/null &&
        ! desktop-file-validate "$prefix/share/applications/quantrel.desktop" >"$tmp/validate" 2>&1
    then
        cat "$tmp/validate" >&2
        fail "share/applications/quantrel.desktop is not a valid desktop entry"
    fi
else
    # Without the desktop program, a menu entry would start nothing.
    [ ! -e "$prefix/bin/quantrel" ] || fail "bin/quantrel installed without the desktop program"
    [ ! -e "$prefix/share/applications/quantrel.desktop" ] ||
        fail "desktop entry installed without the desktop program"
fi

# --- The installed program finds the installed library ---------------------------------------

# A working directory without ./settings: only the installed library can define km and m.
work=$tmp/work
mkdir -p "$work"

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

# ./settings in the working directory still comes first: an empty one leaves km undefined.
mkdir -p "$work/settings"
(cd "$work" && "$moved/bin/quantrel-cli" '2 km + 300 m' >/dev/null 2>&1)
status=$?
[ "$status" -eq 1 ] ||
    fail "with an empty ./settings: status $status (expected 1, the installed library was used)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install test passed"
