#!/usr/bin/env bash
# Builds cctrvx and its stand-in toolchain, then compiles and links the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-run -DCCTRVX_TESTS=OFF -DCCTRVX_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)"
export VLX_DSP="$PWD/build-run/install"
mkdir -p build-run/example
echo "== cctrvx -v -o build-run/example/hello.dxe examples/hello/main.c examples/hello/greet.s"
./build-run/cctrvx -v -o build-run/example/hello.dxe examples/hello/main.c examples/hello/greet.s
echo "== the product, build-run/example/hello.dxe:"
cat build-run/example/hello.dxe
