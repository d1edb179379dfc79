#!/usr/bin/env bash
# Runs the front end from a directory whose path is longer than MAX_PATH. Wine's
# own loader starts it from Linux: Wine's CreateProcessW cannot start a program at
# such a path. The front end must use its whole path; the platform may then refuse
# to start the archiver there, which the front end must report.
# Usage: long_path_test.sh WORK_DIR FRONT_END STANDIN LOADER...
set -u
work=$1 front_end=$2 standin=$3; shift 3
# The emulator alone checks that Wine can run here, or says why not (77: skipped).
"$@" || exit
mkdir -p "$work" && rm -rf "$work/deep"
deep=$work/deep
while [ ${#deep} -le 300 ]; do deep=$deep/dddddddddddddddddddddddddddddddddddddddd; done
mkdir -p "$deep"
cp "$front_end" "$deep/tevk-ar-lto.exe"
cp "$standin" "$deep/tevk-ar.exe"
: >"$deep/LLVMgold.dll"

cd "$work" || exit 1
"$@" "$deep/tevk-ar-lto.exe" rcs x.a a.o >stdout.txt
status=$?
out=$(od -An -c stdout.txt | tr -d ' \n')
windows=Z:${deep//\//\\}
expected_echo=$(printf '%s\\tevk-ar.exe rcs --plugin %s\\LLVMgold.dll x.a a.o \r\n' "$windows" "$windows" | od -An -c | tr -d ' \n')

passed=0 failed=0
check() {
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1"; fi
}
check "echo names the tools by the whole path ($out)" test "${out#"$expected_echo"}" != "$out"
rest=${out#"$expected_echo"}
case $rest in
  standins*) check "archiver ran and its status passed through" test "$status" -eq 0 ;;
  *) check "refused launch reported ($rest)" test "${rest#failedtocreateprocess}" != "$rest"
     check "refused launch exits 1" test "$status" -eq 1 ;;
esac
rm -rf "$work/deep"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
