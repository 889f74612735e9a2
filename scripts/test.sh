#!/usr/bin/env bash
# Builds everything and runs every test three times: in the normal build, in an AddressSanitizer
# + UndefinedBehaviorSanitizer build (any memory error, leak of our own or undefined behaviour
# fails the run), then in a ThreadSanitizer build (any race report fails the run). Fails when
# any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --output-on-failure --timeout 300)

cmake -S . -B build-asan -DTAVRIN_ASAN=ON
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   LSAN_OPTIONS="suppressions=$PWD/../tests/support/lsan-qt.supp" \
   ctest -j"$jobs" --output-on-failure --timeout 300)

cmake -S . -B build-tsan -DTAVRIN_TSAN=ON
cmake --build build-tsan -j"$jobs"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/../tests/support/tsan-qt.supp" \
   ctest -j"$jobs" --output-on-failure --timeout 300)
