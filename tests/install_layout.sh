#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that exactly the three front
# ends land in bin and the README and LICENSE in share/doc/tevk-ar-lto: no test
# program, library or header. In a release build the installed front ends carry
# no debug sections.
# Usage: install_layout.sh BUILD_DIR WORK_DIR EXECUTABLE_SUFFIX OBJDUMP release|debug
set -u
build=$1 work=$2 suffix=$3 objdump=$4 config=$5
rm -rf "$work" && mkdir -p "$work" || exit 1
passed=0 failed=0
check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}

cmake --install "$build" --prefix "$work/prefix" >"$work/install.txt" 2>&1
check "cmake --install succeeds ($(tail -n 1 "$work/install.txt"))" test $? -eq 0
layout=$(cd "$work/prefix" && find . ! -type d | sort)
expected=$(printf './bin/tevk-%s-lto%s\n' ar "$suffix" nm "$suffix" ranlib "$suffix"
  printf './share/doc/tevk-ar-lto/%s\n' LICENSE README.md)
check "installed files: ${layout//$'\n'/ }" test "$layout" = "$expected"

if [ "$config" = release ]; then
  for front_end in "$work/prefix/bin"/*; do
    sections=$("$objdump" -h "$front_end" | awk '$1 ~ /^[0-9]+$/ {print $2}')
    check "$(basename "$front_end"): no debug sections" test -z "$(grep debug <<<"$sections")"
  done
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
