#!/usr/bin/env bash
# SPDX-License-Identifier: Zlib
# Installs what the build and the tests need, then builds and runs every test:
#   1. the normal build (build/) and all its tests,
#   2. an AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/) and its tests,
#   3. the libFuzzer targets (build-fuzz/, clang), each replaying its corpus and
#      fuzzing briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

jobs=$(nproc)

echo "== normal build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOB_SANITIZE=ON -DMOB_BUILD_BENCH=OFF
ninja -C build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE no_sanitizer

echo "== fuzz targets"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMOB_BUILD_FUZZ=ON -DMOB_BUILD_BENCH=OFF -DMOB_BUILD_TESTS=ON
ninja -C build-fuzz -j"$jobs" fuzzers
ctest --test-dir build-fuzz --output-on-failure -j"$jobs" -L fuzz

echo "== all tests passed"
