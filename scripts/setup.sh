#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building Quantrel needs, when they are missing.
# Usage: scripts/setup.sh [run|test|bench|fuzz|screenshot]
set -euo pipefail

purpose=${1:-run}
packages=(g++ cmake ninja-build pkg-config libreadline-dev qt6-base-dev)
case "$purpose" in
    run) ;;
    test) packages+=(libgtest-dev locales clang libclang-rt-14-dev
                     lintian desktop-file-utils appstream dpkg-dev) ;;
    bench) packages+=(libbenchmark-dev units hyperfine) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    screenshot) packages+=(xvfb xauth fonts-dejavu-core) ;;
    *) echo "usage: $0 [run|test|bench|fuzz|screenshot]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
