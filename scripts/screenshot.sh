#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws docs/screenshot.png under a virtual X server, so that the fonts are a desktop's: the
# window after a few calculations, with the unit browser open over it.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default build/sanitize; quantrel_screenshot built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/sanitize}
scripts/setup.sh screenshot
cmake --build "$build" --target quantrel_screenshot
# The sanitizers' leak report of the toolkit's caches is not a finding here.
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" \
    "$build/quantrel_screenshot" docs/screenshot.png settings \
    "2 km + 300 m" "60 mph in km/h" "100000 s in d + h + min + s" "2.5 h * 100 km/h" \
    --units "per hour"
