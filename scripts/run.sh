#!/usr/bin/env bash
# SPDX-License-Identifier: Zlib
# Installs what the program needs, builds it into build/ and starts build/mobwright.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOB_BUILD_TESTS=OFF -DMOB_BUILD_BENCH=OFF
ninja -C build mobwright
exec ./build/mobwright "$@"
