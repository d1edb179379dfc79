#!/usr/bin/env bash
# What the front end adds to an archiver run: a one-object LTO archive job, run
# through the front end and as the same archiver command run directly, in
# alternating pairs; prints the medians and the median of the pairwise differences.
# Usage: bench/overhead.sh [FRONT_END] [RUNS]   (defaults: build/host/tevk-ar-lto, 300)
set -euo pipefail
front_end=$(realpath "${1:-build/host/tevk-ar-lto}")
runs=${2:-300}
llvmgold=${TEVK_LLVMGOLD:-/usr/lib/llvm-14/lib/LLVMgold.so}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$front_end" tevk-ar-lto
cp "$(command -v ar)" tevk-ar
cp "$llvmgold" LLVMgold.so
printf 'int add(int a, int b) { return a + b; }\n' >add.c
clang -flto -O2 -c add.c

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
  d=$(time_us "$work/tevk-ar" rcs --plugin "$work/LLVMgold.so" lib.a add.o)
  f=$(time_us "$work/tevk-ar-lto" rcs lib.a add.o)
  echo "$d" >>direct.txt
  echo "$f" >>front.txt
  echo $((f - d)) >>diff.txt
done

direct=$(median <direct.txt)
front=$(median <front.txt)
added=$(median <diff.txt)
echo "runs: $runs pairs"
echo "archiver run directly:      median $direct us"
echo "through the front end:      median $front us"
echo "added by the front end:     median $added us (median of pairwise differences)"
awk -v f="$front" -v d="$direct" 'BEGIN {printf "ratio front end / direct:   %.3f\n", f / d}'
