#!/usr/bin/env bash
# Builds everything and runs every test three times: in the normal build, in an AddressSanitizer
# + UndefinedBehaviorSanitizer build (any memory error, leak of our own or undefined behaviour
# fails the run), then in a ThreadSanitizer build (any race report fails the run); last, when
# clang is installed, builds the fuzz targets and runs each for a few seconds from its seeds.
# Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

# Every part is asked for: a build directory keeps the options it was configured with before
# (the Debian package's build leaves out the tests, for one), and a build without tests would
# pass with nothing run. ctest fails when it finds no test.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_TESTS=ON -DTAVRIN_BENCH=ON \
  -DTAVRIN_GUI=ON
cmake --build build -j"$jobs"
(cd build && ctest -j"$jobs" --output-on-failure --timeout 300 --no-tests=error)

cmake -S . -B build-asan -DTAVRIN_ASAN=ON -DTAVRIN_TESTS=ON -DTAVRIN_GUI=ON
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   LSAN_OPTIONS="suppressions=$PWD/../tests/support/lsan-qt.supp" \
   ctest -j"$jobs" --output-on-failure --timeout 300 --no-tests=error)

cmake -S . -B build-tsan -DTAVRIN_TSAN=ON -DTAVRIN_TESTS=ON -DTAVRIN_GUI=ON
cmake --build build-tsan -j"$jobs"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/../tests/support/tsan-qt.supp" \
   ctest -j"$jobs" --output-on-failure --timeout 300 --no-tests=error)

# The fuzz targets need clang (and its fuzzer runtime); they do not need Qt.
if command -v clang-14 >/dev/null && command -v clang++-14 >/dev/null; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DTAVRIN_FUZZ=ON -DTAVRIN_GUI=OFF \
    -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=OFF
  cmake --build build-fuzz -j"$jobs"
  (cd build-fuzz && ctest -j"$jobs" -L fuzz --output-on-failure --timeout 300 --no-tests=error)
fi
