#!/usr/bin/env bash
# Builds cctrvx with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh tests
build=${CCTRVX_BUILD_DIR:-build}
cmake -S . -B "$build" ${CCTRVX_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
