#!/usr/bin/env bash
# The Windows build and its black-box suite under Wine: installs the cross compiler and
# Wine when they are missing, cross-builds cctrvx.exe, the stand-in tools and the test
# helpers into build-windows/, and runs the e2e test binary of the Linux build (build/,
# made by scripts/test.sh) against them in a private Wine prefix.
#
#   CCTRVX_BUILD_DIR          the Linux build with the e2e test binary (default: build)
#   CCTRVX_WINDOWS_BUILD_DIR  the Windows build (default: build-windows)
#   CCTRVX_WINDOWS_FILTER     a gtest filter instead of the default one below
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
root=$PWD
linux_build=${CCTRVX_BUILD_DIR:-build}
windows_build=${CCTRVX_WINDOWS_BUILD_DIR:-build-windows}

# The packages: the cross compiler (POSIX thread model) and the 64-bit Wine loader.
packages=(g++-mingw-w64-x86-64-posix wine64 cmake make)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
[ -x "$wine64" ] || { echo "wine64 not found" >&2; exit 1; }

# A private prefix, made once. The suite hands each run its own TMP and TEMP, which Wine
# passes on only when the prefix does not set them itself.
mkdir -p "$windows_build"
export WINEPREFIX=$root/$windows_build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ ! -f "$WINEPREFIX/.cctrvx-ready" ]; then
  echo "== a Wine prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  "$wine64" wineboot -i >/dev/null 2>&1
  for key in 'HKCU\Environment' 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment'; do
    for value in TMP TEMP; do
      "$wine64" reg delete "$key" /v "$value" /f >/dev/null 2>&1 || true
    done
  done
  "$wineserver" -w
  touch "$WINEPREFIX/.cctrvx-ready"
fi
# One Wine server for the whole run, rather than one started (and waited for) per program.
# Its services start now, with nothing of ours open: started by a test's program they
# would inherit (and hold open) the pipes the test reads that program's output from.
"$wineserver" -p
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine64" cmd /c exit </dev/null >/dev/null 2>&1

echo "== cross build into $windows_build"
cmake -S . -B "$windows_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCCTRVX_BENCH=OFF >/dev/null
cmake --build "$windows_build" -j"$(nproc)"

if [ ! -x "$linux_build/tests/e2e_tests" ]; then
  echo "== the Linux build with the e2e test binary"
  bash scripts/deps.sh tests
  cmake -S . -B "$linux_build" >/dev/null
  cmake --build "$linux_build" -j"$(nproc)" --target e2e_tests
fi

export CCTRVX_TEST_LAUNCHER=$wine64
export CCTRVX_TEST_BINARY=$root/$windows_build/cctrvx.exe
export CCTRVX_TEST_INSTALL=$root/$windows_build/install
export CCTRVX_TEST_RECORDER=$root/$windows_build/tests/trvx-recorder.exe

echo "== the same -dryrun command line on both hosts"
bash scripts/compare-dryrun.sh "$root/$linux_build/cctrvx" "$root/$linux_build/install" \
  "$CCTRVX_TEST_BINARY" "$CCTRVX_TEST_INSTALL"

echo "== the black-box suite under Wine"
filter=${CCTRVX_WINDOWS_FILTER:-*}
cd "$linux_build/tests"
./e2e_tests --gtest_filter="$filter" --gtest_brief=1
echo "== the Windows part took $(( $(date +%s) - start ))s"
