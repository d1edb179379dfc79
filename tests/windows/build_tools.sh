#!/usr/bin/env bash
# Builds the real tools that the Windows front ends drive, for one Windows host,
# from Debian's source packages: binutils' ar, nm and ranlib (binutils-source) and
# GCC's LTO plugin (gcc-12-source), which the tests install as LLVMgold.dll: LLVM's
# gold plugin does not build for Windows here. A CTest fixture: it keeps what it
# built in OUT and, while its inputs are unchanged, builds nothing the next time.
# Usage: build_tools.sh HOST OUT EMULATOR...
#   HOST: i686-w64-mingw32 or x86_64-w64-mingw32
#   OUT:  receives ar.exe, nm.exe, ranlib.exe and liblto_plugin.dll
# EMULATOR (wine.sh with its loader and prefix) only says whether the tools could
# run here: where the kernel refuses them, nothing is built (77: skipped).
set -euo pipefail
host=$1 out=$2
shift 2
"$@" || exit

one() {  # one GLOB: the one file that matches it
  local matches=($1)
  [ ${#matches[@]} -eq 1 ] && [ -f "${matches[0]}" ] ||
    { echo "expected one $1: install binutils-source and gcc-12-source (scripts/setup-debian.sh)" >&2; exit 1; }
  echo "${matches[0]}"
}
binutils_tarball=$(one '/usr/src/binutils/binutils-*.tar.xz')
gcc_tarball=$(one '/usr/src/gcc-12/gcc-12.*.tar.xz')

# What the result depends on: this script, the sources and the host's compiler.
cc=$host-gcc-win32
inputs=$(sha256sum "$0" "$binutils_tarball" "$gcc_tarball" | cut -d' ' -f1; "$cc" --version | sed -n 1p)
if [ -f "$out/inputs.txt" ] && [ "$(cat "$out/inputs.txt")" = "$inputs" ]; then
  echo "windows tools for $host: already built in $out"
  exit 0
fi

rm -rf "$out"
work=$out/work
mkdir -p "$work"
jobs=$(nproc)
started=$SECONDS
# Only the archive tools, with plugin support; no debug information, which would
# make each program 10 MB.
options=(--host="$host" --target="$host" CC="$cc" CFLAGS=-O2)

echo "--- binutils from $binutils_tarball"
tar -xJf "$binutils_tarball" -C "$work"
binutils_src=$(echo "$work"/binutils-*)
mkdir "$work/binutils"
(cd "$work/binutils" &&
  "$binutils_src/configure" "${options[@]}" --enable-plugins --disable-gas --disable-ld \
    --disable-gold --disable-gdb --disable-gdbserver --disable-gprof --disable-gprofng \
    --disable-sim --disable-libctf --disable-libdecnumber --disable-readline --disable-nls \
    --without-zstd >configure.log 2>&1 &&
  make -j"$jobs" all-bfd all-opcodes all-libiberty all-zlib all-libsframe configure-binutils \
    >make.log 2>&1 &&
  make -C binutils -j"$jobs" ar.exe nm-new.exe ranlib.exe >>make.log 2>&1) ||
  { echo "binutils failed to build for $host; see $work/binutils/*.log" >&2; exit 1; }
# The programs themselves; binutils/*.exe beside them are libtool's launchers.
cp "$work/binutils/binutils/.libs/ar.exe" "$out/ar.exe"
cp "$work/binutils/binutils/.libs/nm-new.exe" "$out/nm.exe"
cp "$work/binutils/binutils/.libs/ranlib.exe" "$out/ranlib.exe"

echo "--- GCC's LTO plugin from $gcc_tarball"
# The plugin, the headers and libiberty that it is built from, and the configure
# helpers; nothing else of GCC's tree.
# Debian's gcc-V-dfsg.tar.xz holds the folder gcc-V.
gcc_top=$(basename "$gcc_tarball" .tar.xz) && gcc_top=${gcc_top%-dfsg}
tar -xJf "$gcc_tarball" -C "$work" \
  "$gcc_top"/{lto-plugin,include,libiberty,gcc/lto/common.h} \
  "$gcc_top"/{config.guess,config.sub,install-sh,ltmain.sh,missing,mkinstalldirs,move-if-change,libtool-ldflags}
mkdir "$work/libiberty" "$work/lto-plugin"
(cd "$work/libiberty" && "$work/$gcc_top/libiberty/configure" "${options[@]}" >configure.log 2>&1 &&
  make -j"$jobs" >make.log 2>&1) &&
  # libgcc linked in, so that the DLL imports only KERNEL32 and msvcrt.
  (cd "$work/lto-plugin" &&
    "$work/$gcc_top/lto-plugin/configure" "${options[@]}" --with-libiberty="$work/libiberty" \
      LDFLAGS=-static-libgcc >configure.log 2>&1 &&
    make -j"$jobs" liblto_plugin.la >make.log 2>&1) ||
  { echo "the LTO plugin failed to build for $host; see $work/*/*.log" >&2; exit 1; }
cp "$work/lto-plugin/.libs/liblto_plugin.dll" "$out/liblto_plugin.dll"

rm -rf "$work"
echo "$inputs" >"$out/inputs.txt"
echo "windows tools for $host: built in $out in $((SECONDS - started)) s"
