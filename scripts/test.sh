#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/ and runs every test.
# Exits non-zero on any failure; the last line is ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DPRENTAVIK_SANITIZE=ON -DPRENTAVIK_WERROR=ON -DPRENTAVIK_BUILD_BENCH=ON
cmake --build build-test -j "$(nproc)"

# The optimiser sees more (and GCC warns differently) in a Release build:
# build everything there too, warnings as errors, so no build of the
# program carries a warning.
cmake -S . -B build-release-check -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPRENTAVIK_WERROR=ON -DPRENTAVIK_BUILD_BENCH=ON
cmake --build build-release-check -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
