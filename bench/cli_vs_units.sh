#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compares the speed of quantrel-cli with GNU units on the same 10 000 unit conversions, on 10 000
# lines without a target, and the start-up time of both. Builds a release quantrel-cli in build/release-bench when needed.
#
#   bench/cli_vs_units.sh [LINES]        (default 10000)
#
# Goals: quantrel-cli needs at most a tenth of GNU units' time per line, and starts with the
# default unit library in at most half the time GNU units needs to start.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lines="${1:-10000}"
build="$root/build/release-bench"
cli="$build/quantrel-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- Tools ---------------------------------------------------------------------------------------
if ! command -v units >/dev/null 2>&1; then
    echo "Installing GNU units (Debian package units)..." >&2
    if [ "$(id -u)" -eq 0 ]; then apt-get install -y units >&2; else sudo apt-get install -y units >&2; fi
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUANTREL_BUILD_TESTS=OFF -DQUANTREL_BUILD_GUI=OFF >&2
fi
cmake --build "$build" --target quantrel-cli -j2 >&2

# --- The unit library ----------------------------------------------------------------------------
settings="$root/settings"
if ! "$cli" --settings "$settings" "1 km in mi" "0 degC in degF" "1 lb in kg" "1 h in s" \
        >/dev/null 2>&1; then
    # The shipped library is missing or lacks a unit the lines use: measure with a small one.
    settings="$work/settings"
    mkdir -p "$settings"
    cat >"$settings/units.xml" <<'XML'
<?xml version="1.0"?>
<Units>
  <Quantity Name="Length">
    <Unit Symbol="m" Name="metre">1</Unit>
    <Unit Symbol="km" Name="kilometre">1000 m</Unit>
    <Unit Symbol="mi" Name="mile">1609.344 m</Unit>
    <Unit Symbol="ft" Name="foot">0.3048 m</Unit>
  </Quantity>
  <Quantity Name="Mass">
    <Unit Symbol="kg" Name="kilogram">1</Unit>
    <Unit Symbol="lb" Name="pound">0.45359237 kg</Unit>
  </Quantity>
  <Quantity Name="Time">
    <Unit Symbol="s" Name="second">1</Unit>
    <Unit Symbol="h" Name="hour">3600 s</Unit>
  </Quantity>
  <Quantity Name="Temperature">
    <Unit Symbol="K" Name="kelvin">1</Unit>
    <Unit Symbol="degC" Name="degree Celsius">0 degC = 273.15 K</Unit>
    <Unit Symbol="degF" Name="degree Fahrenheit">32 degF = 273.15 K, 212 degF = 373.15 K</Unit>
  </Quantity>
</Units>
XML
    echo "note: $root/settings is not usable; measuring with a small temporary library" >&2
fi

# --- The lines -----------------------------------------------------------------------------------
# Each conversion is written once for each program: quantrel-cli takes "V km in mi", GNU units
# takes the pair "V km" / "mi" on two lines (-t: terse output, one number per conversion).
awk -v n="$lines" -v q="$work/quantrel.txt" -v u="$work/units.txt" 'BEGIN {
    srand(12345)
    for (i = 0; i < n; ++i) {
        v = sprintf("%.3g", 1 + rand() * 999)
        k = i % 12
        if (k == 0)       { print v " km in mi" > q;          print v " km\nmi" > u }
        else if (k == 1)  { print v " mi in km" > q;          print v " mi\nkm" > u }
        else if (k == 2)  { print v " ft in m" > q;           print v " ft\nm" > u }
        else if (k == 3)  { print v " m in ft" > q;           print v " m\nft" > u }
        else if (k == 4)  { print v " kg in lb" > q;          print v " kg\nlb" > u }
        else if (k == 5)  { print v " lb in kg" > q;          print v " lb\nkg" > u }
        else if (k == 6)  { print v " h in s" > q;            print v " hr\ns" > u }
        else if (k == 7)  { print v " degC in degF" > q;      print "tempC(" v ")\ntempF" > u }
        else if (k == 8)  { print v " degF in degC" > q;      print "tempF(" v ")\ntempC" > u }
        else if (k == 9)  { print v " degC in K" > q;         print "tempC(" v ")\nK" > u }
        else if (k == 10) { print v " mi + " v " ft in m" > q; print v " mi + " v " ft\nm" > u }
        else              { print v " K in degC" > q;         print v " K\ntempC" > u }
    }
}'

# Lines without a target: quantrel-cli picks the unit its result is shown in among the units of
# the quantity, GNU units answers an empty second line in its base units.
awk -v n="$lines" -v q="$work/quantrel_plain.txt" -v u="$work/units_plain.txt" 'BEGIN {
    srand(54321)
    for (i = 0; i < n; ++i) {
        v = sprintf("%.3g", 1 + rand() * 999)
        k = i % 9
        if (k == 0)      line = v " km + " v " ft"
        else if (k == 1) line = v " kg * 3"
        else if (k == 2) line = v " m / 7 s"
        else if (k == 3) line = v " N * 2 m"
        else if (k == 4) line = v " lb + 1 kg"
        else if (k == 5) line = v " J / 3 s"
        else if (k == 6) line = v " l * 4"
        else if (k == 7) line = v " mi"
        else             line = v " h"
        print line > q
        sub(/ h$/, " hr", line)  # h is the Planck constant there
        print line "\n" > u
    }
}'

# Both programs must answer every line before their times mean anything.
quantrel_out="$("$cli" --settings "$settings" <"$work/quantrel.txt" | wc -l)"
units_out="$(units -t -q <"$work/units.txt" | wc -l)"
quantrel_plain_out="$("$cli" --settings "$settings" <"$work/quantrel_plain.txt" | wc -l)"
units_plain_out="$(units -t -q <"$work/units_plain.txt" | wc -l)"
if [ "$quantrel_out" -ne "$lines" ] || [ "$units_out" -ne "$lines" ] ||
   [ "$quantrel_plain_out" -ne "$lines" ] || [ "$units_plain_out" -ne "$lines" ]; then
    echo "error: expected $lines answers, quantrel-cli gave $quantrel_out and" \
         "$quantrel_plain_out, GNU units $units_out and $units_plain_out" >&2
    exit 1
fi
echo "sample: $(head -n 1 "$work/quantrel.txt") -> $("$cli" --settings "$settings" "$(head -n 1 "$work/quantrel.txt")")" \
     "| GNU units: $(head -n 2 "$work/units.txt" | units -t -q)"

# --- Timing --------------------------------------------------------------------------------------
# measure NAME SHELL_COMMAND: prints "wall cpu" in seconds (median wall time, mean user + system).
# Start-up commands run without a shell (-N); batches need one for the redirection, whose own
# cost hyperfine subtracts.
measure() {
    local csv="$work/$1.csv" shell_option=()
    case "$2" in *"<"*) ;; *) shell_option=(-N) ;; esac
    if command -v hyperfine >/dev/null 2>&1; then
        hyperfine "${shell_option[@]}" --style none --warmup 3 --min-runs 30 \
            --export-csv "$csv" "$2" >/dev/null 2>&1
        awk -F, 'NR == 2 { printf "%.9f %.9f\n", $4, $5 + $6 }' "$csv"
    else
        local start end
        start="$(date +%s%N)"
        for _ in $(seq 100); do bash -c "$2" >/dev/null 2>&1 || true; done
        end="$(date +%s%N)"
        awk -v s="$start" -v e="$end" 'BEGIN { t = (e - s) / 1e9 / 100; printf "%.9f %.9f\n", t, t }'
    fi
}

read -r q_batch q_batch_cpu < <(measure q_batch "$cli --settings $settings <$work/quantrel.txt")
read -r u_batch u_batch_cpu < <(measure u_batch "units -t -q <$work/units.txt")
read -r q_plain q_plain_cpu < <(measure q_plain "$cli --settings $settings <$work/quantrel_plain.txt")
read -r u_plain u_plain_cpu < <(measure u_plain "units -t -q <$work/units_plain.txt")
read -r q_start q_start_cpu < <(measure q_start "$cli --settings $settings 1")
read -r u_start u_start_cpu < <(measure u_start "units -t 1 1")
# The per-line figures subtract a batch of one line, run the same way as the batches: through
# the shell and its redirection, so that what the shell adds does not count as work per line.
head -n 1 "$work/quantrel.txt" >"$work/quantrel_one.txt"
head -n 2 "$work/units.txt" >"$work/units_one.txt"
read -r q_one q_one_cpu < <(measure q_one "$cli --settings $settings <$work/quantrel_one.txt")
read -r u_one u_one_cpu < <(measure u_one "units -t -q <$work/units_one.txt")
mkdir -p "$work/none"  # an empty settings directory: the built-in functions alone
read -r q_empty q_empty_cpu < <(measure q_empty "$cli --settings $work/none 1")
read -r t_start t_start_cpu < <(measure t_start "/bin/true")

awk -v n="$lines" -v settings="$settings" -v load="$(cut -d' ' -f1 /proc/loadavg)" \
    -v qb="$q_batch" -v ub="$u_batch" -v qs="$q_start" -v us="$u_start" -v qe="$q_empty" \
    -v qbc="$q_batch_cpu" -v ubc="$u_batch_cpu" -v qsc="$q_start_cpu" -v usc="$u_start_cpu" \
    -v qec="$q_empty_cpu" -v ts="$t_start" -v tsc="$t_start_cpu" \
    -v qo="$q_one" -v uo="$u_one" -v qoc="$q_one_cpu" -v uoc="$u_one_cpu" \
    -v qp="$q_plain" -v up="$u_plain" -v qpc="$q_plain_cpu" -v upc="$u_plain_cpu" 'BEGIN {
    m = n - 1
    qline = (qb - qo) / m * 1e6; uline = (ub - uo) / m * 1e6
    qlinec = (qbc - qoc) / m * 1e6; ulinec = (ubc - uoc) / m * 1e6
    qplain = (qp - qo) / m * 1e6; uplain = (up - uo) / m * 1e6
    qplainc = (qpc - qoc) / m * 1e6; uplainc = (upc - uoc) / m * 1e6
    printf "library: %s   (load average %s; on a busy machine the CPU times are the fairer ones)\n",
           settings, load
    printf "%-36s %22s %22s\n", "", "quantrel-cli", "GNU units"
    printf "%-36s %22s %22s\n", "", "wall      cpu", "wall      cpu"
    printf "%-36s %9.2f %9.2f ms %9.2f %9.2f ms\n", "total for " n " lines", qb*1e3, qbc*1e3, ub*1e3, ubc*1e3
    printf "%-36s %9.3f %9.3f us %9.3f %9.3f us\n", "per line ((total - one line) / (n - 1))", qline, qlinec, uline, ulinec
    printf "%-36s %9.3f %9.3f us %9.3f %9.3f us\n", "per line without a target", qplain, qplainc, uplain, uplainc
    printf "%-36s %9.2f %9.2f ms %9.2f %9.2f ms\n", "start-up (one line)", qs*1e3, qsc*1e3, us*1e3, usc*1e3
    printf "%-36s %9.2f %9.2f ms\n", "start-up without a library", qe*1e3, qec*1e3
    printf "%-36s %9.2f %9.2f ms\n", "for scale: starting /bin/true", ts*1e3, tsc*1e3
    printf "per-line ratio quantrel-cli / GNU units: wall %.3f, cpu %.3f (goal <= 0.1)\n",
           qline / uline, qlinec / ulinec
    printf "per-line ratio without a target: wall %.3f, cpu %.3f (goal <= 0.1)\n",
           qplain / uplain, qplainc / uplainc
    printf "start-up with the library: wall %.2f ms, cpu %.2f ms\n", qs*1e3, qsc*1e3
    printf "start-up ratio quantrel-cli / GNU units: wall %.3f, cpu %.3f (goal <= 0.5)\n",
           qs / us, qsc / usc
    printf "the same without a library (the process alone): wall %.3f, cpu %.3f\n",
           qe / us, qec / usc
}'
