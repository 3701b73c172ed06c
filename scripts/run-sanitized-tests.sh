#!/bin/sh
# Builds the program and its tests with AddressSanitizer and UBSan in
# build-sanitized/ and runs the suite there: a read of freed memory or
# undefined behaviour stops the test that did it, where the ordinary build
# may pass by luck. The fuzzers and the package tests are left out (the
# fuzzers have their own sanitizers; the packages are not instrumented).
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-sanitized -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
cmake --build build-sanitized -j"$jobs"
cd build-sanitized
# Qt and the font libraries keep their caches to the end: leaks are not counted.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs" -E "^fuzz_|^test_DebianPackage$|^test_Install$"
