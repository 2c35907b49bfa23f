#!/usr/bin/env bash
# Installs the Debian packages that the build (and, with "tests", the test suite) needs,
# when they are missing. Run as root on a fresh Debian machine.
set -euo pipefail
packages=(g++ cmake make)
if [ "${1:-}" = "tests" ]; then
  packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
