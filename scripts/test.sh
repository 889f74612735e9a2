#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the ThreadSanitizer build of the
# parts without Qt Widgets. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --output-on-failure --timeout 300)

cmake -S . -B build-tsan -DTAVRIN_TSAN=ON
cmake --build build-tsan -j"$jobs"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
   ctest -j"$jobs" --output-on-failure --timeout 300 -L tsan)
