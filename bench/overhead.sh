#!/usr/bin/env bash
# What the front end adds to an archiver run: a one-object LTO archive job, run
# through the front end and as the same archiver command run directly, in
# alternating pairs; prints the medians and the median of the pairwise differences.
# Usage: bench/overhead.sh [FRONT_END] [RUNS]   (defaults: build/host/tevk-ar-lto, 300)
# A Windows front end (FRONT_END.exe, e.g. build/windows-x86/tevk-ar-lto.exe) is
# timed under Wine against the real Windows ar.exe and LTO plugin that its build
# folder's tests use (tests/windows/build_tools.sh), both started from Linux.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
front_end=$(realpath "${1:-build/host/tevk-ar-lto}")
runs=${2:-300}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$here/tests/support/lto_project/add.c" .

if [[ $front_end == *.exe ]]; then
  build=$(dirname "$front_end")
  # The PE header's machine field: 014c for i386, 8664 for x86-64.
  pe=$(od -An -tu4 -j60 -N4 "$front_end")
  case $(od -An -tx2 -j$((pe + 4)) -N2 "$front_end" | tr -d ' ') in
    014c) host=i686-w64-mingw32 loader=/usr/lib/wine/wine ;;
    8664) host=x86_64-w64-mingw32 loader=/usr/lib/wine/wine64 ;;
    *) echo "$front_end: not an i386 or x86-64 Windows program" >&2; exit 1 ;;
  esac
  emulator=("$here/tests/windows/wine.sh" "$loader" "$build/wineprefix")
  "$here/tests/windows/build_tools.sh" "$host" "$build/windows-tools" "${emulator[@]}" >&2
  cp "$front_end" tevk-ar-lto.exe
  cp "$build/windows-tools/ar.exe" tevk-ar.exe
  cp "$build/windows-tools/liblto_plugin.dll" LLVMgold.dll
  "$host-gcc-win32" -flto -O2 -c add.c
  # Wine's loader itself, as wine.sh runs it, without the script's own work.
  export WINEPREFIX=$build/wineprefix WINEDEBUG=-all LC_ALL=C.UTF-8
  direct=("$loader" "$work/tevk-ar.exe" rcs --plugin "Z:${work//\//\\}\\LLVMgold.dll" lib.a add.o)
  through=("$loader" "$work/tevk-ar-lto.exe" rcs lib.a add.o)
  # The first run makes the prefix if need be and starts Wine's server, which
  # stays up between the runs that follow.
  "${through[@]}" >/dev/null
else
  cp "$front_end" tevk-ar-lto
  cp "$(command -v ar)" tevk-ar
  cp "${TEVK_LLVMGOLD:-/usr/lib/llvm-14/lib/LLVMgold.so}" LLVMgold.so
  clang -flto -O2 -c add.c
  direct=("$work/tevk-ar" rcs --plugin "$work/LLVMgold.so" lib.a add.o)
  through=("$work/tevk-ar-lto" rcs lib.a add.o)
fi

# Microseconds that one run of the command takes.
time_us() {
  rm -f lib.a
  local start=${EPOCHREALTIME/./}
  "$@" >/dev/null
  echo $((${EPOCHREALTIME/./} - start))
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

: >direct.txt >front.txt >diff.txt
for ((i = 0; i < runs; i++)); do
  d=$(time_us "${direct[@]}")
  f=$(time_us "${through[@]}")
  echo "$d" >>direct.txt
  echo "$f" >>front.txt
  echo $((f - d)) >>diff.txt
done
# Each run must have done the job: an archive whose index lists add.
nm -s lib.a 2>/dev/null | grep -q '^_\?add in add.o$' || { echo "the last run wrote no indexed archive" >&2; exit 1; }

direct=$(median <direct.txt)
front=$(median <front.txt)
added=$(median <diff.txt)
echo "runs: $runs pairs"
echo "archiver run directly:      median $direct us"
echo "through the front end:      median $front us"
echo "added by the front end:     median $added us (median of pairwise differences)"
awk -v f="$front" -v d="$direct" 'BEGIN {printf "ratio front end / direct:   %.3f\n", f / d}'
