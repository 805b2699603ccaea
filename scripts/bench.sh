#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them (or the ones named on the command line).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=ON
cmake --build build/bench
