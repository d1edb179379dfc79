#!/usr/bin/env bash
# The front end's main job, shown in one run on Debian 12: installs what it needs
# (unless TEVK_SKIP_SETUP=1), builds the host preset, lays out a tool directory
# with a copy of binutils ar as tevk-ar and LLVM's gold plugin as LLVMgold.so,
# archives an LTO library through the front end and links a program against it;
# then does the same with the bare archiver, whose archive has no index and
# whose link fails.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${TEVK_SKIP_SETUP:-0}" = 1 ] || scripts/setup-debian.sh >/dev/null

cmake --preset host >/dev/null
cmake --build --preset host >/dev/null

demo=$PWD/build/demo
rm -rf "$demo" && mkdir -p "$demo/tools"
cp build/host/tevk-ar-lto "$demo/tools/"
# A copy outside /usr/bin: it does not load /usr/lib/bfd-plugins on its own.
cp "$(command -v ar)" "$demo/tools/tevk-ar"
cp /usr/lib/llvm-14/lib/LLVMgold.so "$demo/tools/LLVMgold.so"
cd "$demo"
cat >add.c <<'C'
int add(int a, int b) { return a + b; }
C
cat >main.c <<'C'
#include <stdio.h>
int add(int, int);
int main(void) { printf("2 + 3 = %d\n", add(2, 3)); return 0; }
C

step() { printf '\n$ %s\n' "$*"; "$@" 2>&1; }
step clang -flto -O2 -c add.c
echo; echo "== Through the front end =="
step tools/tevk-ar-lto rcs libadd.a add.o
step nm -s libadd.a
step clang -flto -fuse-ld=gold main.c libadd.a -o prog
step ./prog

echo; echo "== The bare archiver, for comparison =="
step tools/tevk-ar rcs libbare.a add.o
step nm -s libbare.a
if step clang -flto -fuse-ld=gold main.c libbare.a -o bare; then
  echo "unexpected: the link worked without the index" >&2
  exit 1
fi
echo; echo "The bare archive has no symbol index, so the LTO link cannot find add()."
