#!/usr/bin/env bash
# Installs what is missing, builds the Debug configuration with warnings as errors and
# runs the whole test suite through CTest under a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVANE_WERROR=ON -DKELVANE_BUILD_TESTS=ON
cmake --build build/debug
cd build/debug
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 "$@"
