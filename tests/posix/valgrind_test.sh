#!/usr/bin/env bash
# Runs the front ends under valgrind's memcheck on each of their paths, and the
# unit tests too: no error, no leak. Valgrind follows a front end up to its exec
# of the tool, which then runs natively.
# Usage: valgrind_test.sh FRONT_END_DIR UNIT_TESTS WORK_DIR
set -u
front_ends=$(realpath "$1") unit_tests=$(realpath "$2") work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work/tools" "$work/bare" "$work/logs" && cd "$work" || exit 1
for tool in ar nm ranlib; do
  cp "$front_ends/tevk-$tool-lto" tools/
  cp "$front_ends/tevk-$tool-lto" bare/
  cp "$here/standin.sh" "tools/tevk-$tool"
done

passed=0 failed=0
memcheck() {  # memcheck NAME EXPECTED_STATUS COMMAND...
  local name=$1 expected=$2; shift 2
  valgrind -q --suppressions="$here/valgrind.supp" --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
    --log-file="$work/logs/$name.%p" "$@" >/dev/null 2>&1
  local status=$?
  if [ "$status" -eq "$expected" ] && [ -z "$(cat logs/"$name".*)" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $name: status $status (expected $expected)"
    head -n 40 logs/"$name".*
  fi
}

memcheck typical 0 tools/tevk-ar-lto rcs libm.a a.o b.o
memcheck hard_arguments 3 env STANDIN_EXIT=3 tools/tevk-ar-lto "" "a b" "it's" $'\xff' "$(printf '%*s' 5000 x)"
memcheck too_few 1 tools/tevk-ar-lto rcs
memcheck no_arguments 1 tools/tevk-ar-lto
memcheck missing_archiver 1 bare/tevk-ar-lto rcs libm.a a.o
memcheck nm_no_arguments 0 tools/tevk-nm-lto
memcheck ranlib_hard_arguments 3 env STANDIN_EXIT=3 tools/tevk-ranlib-lto "" "a b" $'\xff'
memcheck nm_missing_tool 1 bare/tevk-nm-lto x.o
memcheck unit_tests 0 "$unit_tests"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
