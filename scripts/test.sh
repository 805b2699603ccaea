#!/usr/bin/env bash
# Installs what is missing, builds the test suite and runs it through CTest under a
# virtual display. By default the build is Debug with warnings as errors and with
# AddressSanitizer and UndefinedBehaviorSanitizer; `release` or `debug` as the first
# argument builds that configuration instead, and `tsan` a Debug build under
# ThreadSanitizer (not part of .ci/run: it is slow). Further arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mode=asan
case "${1:-}" in
  asan | debug | release | tsan) mode=$1; shift ;;
esac
./scripts/setup.sh
case "$mode" in
  asan) dir=build/asan; options=(-DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON) ;;
  debug) dir=build/debug; options=(-DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=OFF) ;;
  release) dir=build/release-tests; options=(-DCMAKE_BUILD_TYPE=Release -DKELVANE_SANITIZE=OFF) ;;
  tsan) dir=build/tsan; options=(-DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=OFF -DKELVANE_TSAN=ON) ;;
esac
# Any report stops the test that caused it; only the system GL and X libraries' own
# leaks are suppressed. Test discovery runs the binaries at build time, so these hold
# for the build too.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Any race report fails the test that printed it (exit code 66). The Qt and system
# libraries are not built with ThreadSanitizer: their own memory accesses through libc
# (copies, allocations) are not checked, and tsan.supp names the few races whose whole
# stack lies inside them.
export TSAN_OPTIONS=suppressions=$root/tests/sanitizers/tsan.supp:ignore_noninstrumented_modules=1:second_deadlock_stack=1:halt_on_error=0:exitcode=66
jobs=-j2
[ "$mode" = tsan ] && jobs=-j1
cmake -S . -B "$dir" -G Ninja -DKELVANE_WERROR=ON -DKELVANE_BUILD_TESTS=ON "${options[@]}"
cmake --build "$dir"
cd "$dir"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure "$jobs" "$@"
