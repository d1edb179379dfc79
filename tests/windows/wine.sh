#!/usr/bin/env bash
# Runs a Windows program under Wine, in the build's own prefix and quietly: the
# emulator through which CTest starts every Windows test program.
# Usage: wine.sh LOADER PREFIX [PROGRAM [ARGUMENT...]]
# With no PROGRAM it only checks that the loader can run on this machine. Some
# machines' kernels refuse 32-bit programs outright ("Exec format error"); there it
# prints why and exits 77, which the tests declare as skipped. Any other trouble
# with Wine fails, saying what is wrong.
set -u
loader=$1 prefix=$2
shift 2

if [ ! -x "$loader" ]; then
  echo "Wine's loader $loader is missing: install wine64 and wine32:i386 (scripts/setup-debian.sh)" >&2
  exit 1
fi
answer=$(LC_ALL=C "$loader" --version 2>&1)
status=$?
if [ "$status" -ne 0 ]; then
  # bash answers 126 and names the kernel's ENOEXEC when it refuses the format.
  if [ "$status" -eq 126 ] && [[ $answer == *"Exec format error"* ]]; then
    # The ELF class byte: 1 for a 32-bit loader, 2 for a 64-bit one.
    bits=$(($(od -An -tu1 -j4 -N1 "$loader") * 32))
    echo "skipped: this machine cannot run $bits-bit programs (the kernel refuses $loader:" \
      "Exec format error), so the $bits-bit build is checked statically only"
    exit 77
  fi
  echo "Wine's loader $loader does not start (status $status): $answer" >&2
  exit 1
fi
[ $# -eq 0 ] && exit 0

# Wine's server outlives the program and holds on to the output streams that it
# inherited; CTest would wait for them to close, until every other test's Wine is
# done too. So the program writes to files, which are then passed on.
# A UTF-8 locale whatever the caller's: Wine reads Unix file names in the locale's
# character set (under "C" it cannot open a folder named in UTF-8), and takes the
# Windows locale from it, here en-US with the ANSI code page 1252.
out=$(mktemp) err=$(mktemp)
WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8 "$loader" "$@" >"$out" 2>"$err"
status=$?
cat "$out" && cat "$err" >&2
rm -f "$out" "$err"
if [ ! -f "$prefix/system.reg" ]; then
  echo "Wine could not make its prefix $prefix" >&2
  exit 1
fi
exit "$status"
