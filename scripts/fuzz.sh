#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang in build/fuzz and runs each for the given number of
# seconds (default 30), starting from the seed corpora in fuzz/corpus and the token dictionary.
# Fails on any finding (crash, sanitizer report, leak, timeout); findings are kept in
# build/fuzz/findings. Usage: scripts/fuzz.sh [SECONDS] [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_evaluate fuzz_names fuzz_xml fuzz_settings)

scripts/setup.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUANTREL_FUZZ=ON -DQUANTREL_BUILD_TESTS=OFF -DQUANTREL_BUILD_GUI=OFF >/dev/null
cmake --build build/fuzz -j2 --target "${targets[@]}"

mkdir -p build/fuzz/findings
status=0
for target in "${targets[@]}"; do
    corpus=build/fuzz/corpus/${target#fuzz_}
    mkdir -p "$corpus"
    cp -n fuzz/corpus/"${target#fuzz_}"/* "$corpus"/ 2>/dev/null || true
    echo "== $target for ${seconds}s"
    if ! build/fuzz/"$target" "$corpus" -dict=fuzz/dictionary.txt -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix=build/fuzz/findings/"$target"- 2>build/fuzz/"$target".log; then
        echo "$target: finding, see build/fuzz/$target.log and build/fuzz/findings/" >&2
        tail -n 40 build/fuzz/"$target".log >&2
        status=1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" build/fuzz/"$target".log || true
done
exit $status
