#!/usr/bin/env bash
# Sets up what is missing, builds Quantrel with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors) in build/sanitize, and runs every test.
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
# A short smoke run of every fuzz target (longer runs: scripts/fuzz.sh SECONDS).
scripts/fuzz.sh "${QUANTREL_FUZZ_SECONDS:-30}"
