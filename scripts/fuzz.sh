#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a while (seconds per
# target as the first argument, 20 by default). A crash leaves its input in
# build-fuzz/crashes and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq clang
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCCTRVX_FUZZ=ON -DCCTRVX_TESTS=OFF -DCCTRVX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_optfile fuzz_readstring fuzz_quoting fuzz_names fuzz_match fuzz_command_line
mkdir -p build-fuzz/crashes
status=0
for target in fuzz_optfile fuzz_readstring fuzz_quoting fuzz_names fuzz_match fuzz_command_line; do
  corpus=$PWD/build-fuzz/corpus/$target
  mkdir -p "$corpus"
  if build-fuzz/tests/fuzz/$target -max_total_time="$seconds" -artifact_prefix=$PWD/build-fuzz/crashes/$target- \
       "$corpus" >build-fuzz/$target.log 2>&1; then
    echo "$target: $(grep -E '^Done' build-fuzz/$target.log)"
  else
    echo "$target: FAILED, see build-fuzz/$target.log and build-fuzz/crashes"
    tail -20 build-fuzz/$target.log
    status=1
  fi
done
exit $status
