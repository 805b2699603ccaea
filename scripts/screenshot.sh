#!/usr/bin/env bash
# Regenerates docs/screenshot.png: Kelvane with a freshly created substrate, under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF
cmake --build build/release --target kelvane-screenshot
home=$(mktemp -d)
HOME="$home" xvfb-run -a -s "-screen 0 1000x700x24" ./build/release/kelvane-screenshot docs/screenshot.png
rm -rf "$home"
