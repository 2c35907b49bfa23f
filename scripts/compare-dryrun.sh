#!/usr/bin/env bash
# Shows that the commands printed by -dryrun and -dry are the same on both hosts apart
# from what the host itself decides: where the driver and its install directory are, and
# the temporary directory (whose private subdirectory and file names carry the process
# id). Each output is unwrapped, has its line ends made plain, and has those places
# replaced by <driver>, <install> and <tmp>; the results must be equal byte for byte.
#
#   compare-dryrun.sh LINUX_CCTRVX LINUX_INSTALL WINDOWS_CCTRVX_EXE WINDOWS_INSTALL
#
# The Windows program runs through CCTRVX_TEST_LAUNCHER (default wine64) in the Wine
# prefix of WINEPREFIX. With CCTRVX_KEEP_DRYRUN set the outputs are left in the working
# directory.
set -euo pipefail
linux_driver=$1 linux_install=$2 windows_driver=$3 windows_install=$4
launcher=${CCTRVX_TEST_LAUNCHER:-wine64}
command -v "$launcher" >/dev/null 2>&1 || launcher=/usr/lib/wine/wine64

work=$(mktemp -d "${TMPDIR:-/tmp}/cctrvx-dryrun-XXXXXX")
trap '[ -n "${CCTRVX_KEEP_DRYRUN:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/home"
cd "$work"
printf 'int main(void) { return 0; }\n' > a.c
printf '#include "a.h"\nint b;\n' > b.cpp
printf '\n' > a.h
printf 'nop\n' > c.s

# A name as the driver prints it: backslashes, and on Windows a drive before the root.
name() { printf '%s' "$1" | tr / '\\'; }
# The sed expression that replaces a literal text.
literal() { printf '%s' "$1" | sed -e 's/[][\\/.*^$]/\\&/g'; }

normalise() { # driver install, the output on standard input
  local driver install tmp
  driver=$(literal "$(name "$1")")
  install=$(literal "$(name "$2")")
  tmp=$(literal "$(name "$work/tmp")")
  tr -d '\r' |
    sed -e ':a' -e '/ \\$/{N;s/ \\\n/ /;ba' -e '}' |
    sed -E -e "s/(Z:)?$driver/<driver>/g" -e "s/$install/<install>/g" -e "s/$tmp/<tmp>/g" \
           -e 's/\b(q[a-z]{2})[0-9a-f]{4}([0-9a-z]{3})\b/\1<pid>\2/g'
}

status=0
cases=("-dryrun -o prog.dxe a.c c.s" "-dry -o prog.dxe a.c b.cpp c.s" "-dry -c -O -g b.cpp"
       "-dry -build-lib -o lib.dlb a.c c.s" "-dry -E a.c" "-dry -M b.cpp")
for arguments in "${cases[@]}"; do
  # shellcheck disable=SC2086
  env -i PATH="$PATH" HOME="$work/home" TMP="$work/tmp" VLX_DSP="$linux_install" \
    "$linux_driver" $arguments > linux.txt 2>&1 || true
  # shellcheck disable=SC2086
  env -i PATH="$PATH" WINEPREFIX="${WINEPREFIX:-}" WINEDEBUG=-all WINEHOME="$work/home" WINETMP="$work/tmp" \
    VLX_DSP="$windows_install" "$launcher" "$windows_driver" $arguments > windows.txt 2>&1 || true
  normalise "$linux_driver" "$linux_install" < linux.txt > linux.norm
  normalise "$windows_driver" "$windows_install" < windows.txt > windows.norm
  if cmp -s linux.norm windows.norm; then
    echo "same: cctrvx $arguments ($(wc -l < linux.norm) lines)"
  else
    echo "DIFFERENT: cctrvx $arguments"
    diff linux.norm windows.norm || true
    status=1
  fi
done
exit $status
