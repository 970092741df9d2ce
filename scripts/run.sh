#!/usr/bin/env bash
# Installs what is missing, builds Release into build/ and starts Prentavik,
# passing every argument through to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPRENTAVIK_BUILD_TESTS=OFF -DPRENTAVIK_BUILD_BENCH=OFF
cmake --build build --target prentavik
exec build/bin/Prentavik "$@"
