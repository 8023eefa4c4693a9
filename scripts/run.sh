#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTONVEL_BUILD_TESTS=OFF -DTONVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target tonvel
exec ./build-release/tonvel
