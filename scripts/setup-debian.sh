#!/usr/bin/env bash
# Installs everything that building and testing tevk-ar-lto needs on a fresh
# Debian 12 (bookworm) machine. Run as root; safe to run again.
set -euo pipefail

# 32-bit Wine needs the i386 architecture.
dpkg --add-architecture i386

# The bookworm-security i386 index can lag behind amd64 and then breaks
# `apt-get update`; nothing here needs security updates for i386.
sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$sources" ] && ! grep -q '^Architectures:' "$sources"; then
  awk '
    /^Suites:.*bookworm-security/ { print; print "Architectures: amd64"; next }
    { print }
  ' "$sources" >"$sources.new"
  mv "$sources.new" "$sources"
fi

apt-get update

export DEBIAN_FRONTEND=noninteractive
# wine64 and wine32:i386 must come from one suite in one command, or apt
# mixes versions of the two architectures and refuses.
apt-get install -y --no-install-recommends -t bookworm \
  wine64 wine32:i386 \
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-i686 \
  gcc-mingw-w64-i686-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
  binutils-source gcc-12-source flex bison make xz-utils \
  cmake ninja-build g++ googletest \
  clang libclang-rt-14-dev llvm-14-linker-tools binutils \
  autoconf automake libtool \
  clang-format clang-tidy cppcheck valgrind
