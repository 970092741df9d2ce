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
# compile everything there too, warnings as errors, so no build of the
# program carries a warning. The program, the libraries, the benchmarks and
# the fuzz corpus runners are built; the tests' sources are compiled but no
# second copy of the tests is linked (they run from the sanitizer build).
# Without precompiled headers (as a Release build has by default): the
# optimiser's warnings over them differ from a plain build's.
cmake -S . -B build-release-check -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPRENTAVIK_WERROR=ON -DPRENTAVIK_BUILD_BENCH=ON -DPRENTAVIK_PCH=OFF
cmake --build build-release-check --target prentavik_warnings_check -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
