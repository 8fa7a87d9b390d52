#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up what is missing, builds Quantrel in build/ and starts the calculator with the default
# unit library: the desktop window when a display exists, the terminal calculator otherwise.
# Arguments are passed on (for example --settings DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUANTREL_BUILD_TESTS=OFF >/dev/null
cmake --build build
# The repository's own library, unless the arguments name another.
settings=(--settings "$PWD/settings")
for argument in "$@"; do
    case "$argument" in --settings | --settings=*) settings=() ;; esac
done
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/quantrel "${settings[@]}" "$@"
fi
exec build/quantrel-cli "${settings[@]}" "$@"
