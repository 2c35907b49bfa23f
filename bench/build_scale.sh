#!/usr/bin/env bash
# Builds many generated C sources into one executable with the stand-in tools and reports
# the total time, the time per source and the driver's own share of it. It prints figures
# and ratios only; it never fails on a timing.
#
#   bench/build_scale.sh [build directory] [number of sources] [rounds]
#
# The build directory (default: build) holds the cctrvx program and the install image of
# the stand-in tools (install/). The number of sources defaults to 1000. Each figure is the
# best of several rounds (default 3), taken in turn, which keeps the noise of a busy
# machine out of the comparison.
#
# Three builds of the same command line:
#   real   the stand-in tools do their work;
#   null   every tool is replaced by a program that does nothing: what remains is the
#          driver's own work, including starting and waiting for each tool;
#   dry    "-dry": the driver plans and shows every command but starts none.
# The driver's own share is the null build's time; the tools' work is the difference
# between the real and the null build; starting the tools costs about null minus dry.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
count=${2:-1000}
rounds=${3:-3}
cctrvx=$build/cctrvx
image=$build/install
if [[ ! -x $cctrvx || ! -d $image ]]; then
    echo "build_scale: no cctrvx or install image in $build (build the project first)" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/cctrvx-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/home" "$work/src"

export TMP=$work/tmp HOME=$work/home CCTRVX_IGNORE_ENV=1
unset TRVX_TOOL_LOG TRVX_TOOL_FAIL TRVX_TOOL_DELAY_MS

# The install image with tools that do nothing: the same files, every executable a link
# to the host's "true".
null=$work/null-image
cp -R "$image" "$null"
nothing=$(type -P true)
find "$null" -name '*.exe' -exec ln -sf "$nothing" {} \;

# The sources: each includes one shared header and defines one function.
cd "$work/src"
printf 'int shared(int);\n' > common.h
sources=()
for ((i = 0; i < count; ++i)); do
    name=$(printf 's%04d.c' "$i")
    printf '#include "common.h"\nint f%d(int x) { return shared(x) + %d; }\n' "$i" "$i" > "$name"
    sources+=("$name")
done

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
per() { awk -v ns="$1" -v n="$2" 'BEGIN { printf "%.3f", n ? ns / n / 1e6 : 0 }'; }
percent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b ? 100 * a / b : 0 }'; }
best() { if [[ -z ${!1:-} || $2 -lt ${!1} ]]; then printf -v "$1" '%s' "$2"; fi; }

# One timed build; its standard error (the progress lines) is dropped.
timed() {
    local start
    start=$(now)
    "$@" -o prog.dxe "${sources[@]}" 2>/dev/null
    elapsed=$(( $(now) - start ))
    rm -f prog.dxe
}

# The tool runs of one build, counted once.
TRVX_TOOL_LOG=$work/home/tools.log VLX_DSP=$image "$cctrvx" -o prog.dxe "${sources[@]}" 2>/dev/null
runs=$(wc -l < "$work/home/tools.log")
rm -f prog.dxe

real= nullbuild= dry=
for ((round = 0; round < rounds; ++round)); do
    VLX_DSP=$image timed "$cctrvx"
    best real "$elapsed"
    VLX_DSP=$null timed "$cctrvx"
    best nullbuild "$elapsed"
    VLX_DSP=$image timed "$cctrvx" -dry
    best dry "$elapsed"
done
tools=$(( real - nullbuild ))
starts=$(( nullbuild - dry ))

echo "sources                             $count   (best of $rounds rounds)"
echo "tool runs per build                 $runs"
echo "build with the stand-in tools       $(seconds "$real") s"
echo "  per source                        $(per "$real" "$count") ms"
echo "  per tool run                      $(per "$real" "$runs") ms"
echo "driver's own share (null tools)     $(seconds "$nullbuild") s   $(percent "$nullbuild" "$real") % of the build"
echo "  per source                        $(per "$nullbuild" "$count") ms"
echo "  planning and showing (-dry)       $(seconds "$dry") s   $(percent "$dry" "$real") %"
echo "  starting and waiting for tools    $(seconds "$starts") s   $(percent "$starts" "$real") %, $(per "$starts" "$runs") ms a run"
echo "the tools' own work                 $(seconds "$tools") s   $(percent "$tools" "$real") % of the build"
