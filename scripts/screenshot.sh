#!/usr/bin/env bash
# Regenerates the README's pictures under Xvfb: Kelvane with a freshly created substrate,
# the batch-run dialog, the marching-cubes and lattice views of the wet-etched pit and the
# field view of a random-walk doping.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF
cmake --build build/release --target kelvane-screenshot
home=$(mktemp -d)
shot() { HOME="$home" xvfb-run -a -s "-screen 0 1000x700x24" ./build/release/kelvane-screenshot "$@"; }
shot docs/screenshot.png
shot docs/batch-dialog.png --batch examples/allsteps.plst
shot docs/marching-cubes.png --run examples/wet-etch.plst 1
shot docs/lattice-view.png --run examples/wet-etch.plst atoms
shot docs/field-view.png --run examples/random-walk.plst 3 1
rm -rf "$home"
