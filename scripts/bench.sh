#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them (or the ones named on the command line).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=ON
cmake --build build/bench
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(bench_surfaces bench_marchingcubes bench_documents bench_films bench_photolithography bench_wetetch bench_columnprocesses bench_doping bench_randomwalk bench_latticeview bench_octreefield bench_objectbuilding bench_batch bench_exports bench_3dexports bench_longrun bench_batchdialog bench_crosssection bench_gdsmask)
for name in "${names[@]}"; do
  echo "== $name"
  if [[ "$name" =~ ^bench_(batch|latticeview|longrun|batchdialog)$ ]] && [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "build/bench/bench/$name"
  else
    "build/bench/bench/$name"
  fi
done
