#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 30) from its seed corpus in fuzz/corpus/<harness>/.
# New inputs go to build/fuzz/corpus/<harness>/, so the checked-in seeds stay as they are;
# a crashing input is saved as build/fuzz/crash-<harness>-* and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
./scripts/setup.sh
for p in clang libclang-rt-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y clang libclang-rt-dev
    break
  fi
done
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKELVANE_FUZZ=ON -DKELVANE_BUILD_TESTS=OFF -DKELVANE_WERROR=ON
cmake --build build/fuzz --target fuzz_all
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
failed=()
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work="build/fuzz/corpus/$name"
  mkdir -p "$work"
  echo "== fuzz_$name ($seconds s)"
  if ! "build/fuzz/fuzz/fuzz_$name" "$work" "$seeds" -max_total_time="$seconds" -rss_limit_mb=4096 \
      -timeout=20 -artifact_prefix="build/fuzz/crash-$name-" -print_final_stats=1 2>&1 | tail -n 12; then
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
echo "every harness ran clean"
