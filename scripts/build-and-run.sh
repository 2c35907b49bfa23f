#!/usr/bin/env bash
# Builds cctrvx and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCCTRVX_TESTS=OFF -DCCTRVX_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
echo "== cctrvx --main --main"
./build/cctrvx --main --main
echo "cctrvx is built: $(pwd)/build/cctrvx"
