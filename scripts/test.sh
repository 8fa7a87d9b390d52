#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up what is missing, builds Quantrel with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors) in build/sanitize and runs every test, then runs the engine's tests in a
# plain Debug build (build/plain) and each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUANTREL_SANITIZE=ON -DQUANTREL_WERROR=ON -DQUANTREL_BUILD_TESTS=ON
cmake --build build/sanitize
export QT_QPA_PLATFORM=offscreen
# A locale with a decimal comma, so that the tests prove number reading and writing ignore it.
mkdir -p build/sanitize/locale
if localedef -i de_DE -f UTF-8 build/sanitize/locale/de_DE.UTF-8 2>/dev/null; then
    export LOCPATH="$PWD/build/sanitize/locale"
fi
ctest --test-dir build/sanitize --output-on-failure -j 2
# The engine once more in a plain Debug build: the sanitizers replace the allocator, so only this
# build runs the tree nodes' own pool.
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUANTREL_WERROR=ON \
    -DQUANTREL_BUILD_TESTS=ON -DQUANTREL_BUILD_GUI=OFF
cmake --build build/plain
ctest --test-dir build/plain --output-on-failure -j 2 --exclude-regex '^install\.'
# A short smoke run of every fuzz target (longer runs: scripts/fuzz.sh SECONDS).
scripts/fuzz.sh "${QUANTREL_FUZZ_SECONDS:-30}"
