#!/usr/bin/env bash
# Installs what is missing, checks the formatting and the layers, then builds and runs every test
# twice: once in a plain debug build and once with AddressSanitizer and UndefinedBehaviorSanitizer.
# After each run it names the test functions that skipped, with their reason.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
scripts/check-layers.sh

export LC_ALL=C.UTF-8
jobs=$(nproc)

# The test functions that skipped, and why (an office of this login running, no Xvfb, ...).
skipped() {
    grep -h '^SKIP' "$1/Testing/Temporary/LastTest.log" | sed 's/^SKIP *: */skipped: /' || true
}

cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
skipped build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLOTDRAW_SANITIZE=ON -DLOTDRAW_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/../tests/support/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$jobs")
skipped build-asan
