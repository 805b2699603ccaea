#!/usr/bin/env bash
# Installs what is missing, builds Kelvane (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF
cmake --build build/release
exec ./build/release/kelvane "$@"
