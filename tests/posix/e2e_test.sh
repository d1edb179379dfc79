#!/usr/bin/env bash
# End-to-end tests of the POSIX front end: with binutils ar and LLVM's gold plugin
# on objects from clang -flto, and with a stand-in archiver where the test needs
# to see the exact argument vector or a chosen exit.
# Usage: e2e_test.sh FRONT_END LLVMGOLD WORK_DIR GROUP
set -u
front_end=$(realpath "$1") llvmgold=$(realpath "$2") work=$3 group=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); printf 'FAIL %s\n' "$1"; }
expect_eq() {  # expect_eq WHAT ACTUAL EXPECTED
  if [ "$2" == "$3" ]; then pass; else
    fail "$1"; printf '  actual:   %q\n  expected: %q\n' "$2" "$3"; fi
}

# tools DIR ARCHIVER: a tool directory as a user lays it out, with ARCHIVER (a
# path, or "none") as tevk-ar. A copy of ar outside /usr/bin loads no plugin on
# its own, so only the front end's --plugin can give it one.
tools() {
  mkdir -p "$1"
  cp "$front_end" "$1/tevk-ar-lto"
  [ "$2" = none ] || cp "$2" "$1/tevk-ar"
  cp "$llvmgold" "$1/LLVMgold.so"
}

# run COMMAND...: runs it with stdout, stderr and the status in $out, $err, $status.
run() {
  "$@" >stdout.txt 2>stderr.txt
  status=$?
  out=$(cat stdout.txt; echo x) && out=${out%x}
  err=$(cat stderr.txt; echo x) && err=${err%x}
}

# An argument vector as od shows it, NULs between the words: the stand-in
# archiver's record, or (given words) what it should hold.
vector() { if [ $# -eq 0 ]; then od -An -c record.bin; else printf '%s\0' "$@" | od -An -c; fi; }

sample_library() {
  printf 'int add(int a, int b) { return a + b; }\n' >add.c
  printf '#include <stdio.h>\nint add(int, int);\nint main(void) { printf("%%d\\n", add(2, 3)); return 0; }\n' >main.c
  clang -flto -O2 -c add.c -o "${1:-add.o}"
}

test_main_job() {
  tools "$work/tools" "$(command -v ar)"
  sample_library
  run "$work/tools/tevk-ar-lto" rcs libadd.a add.o
  expect_eq "archive: echo" "$out" "$work/tools/tevk-ar rcs --plugin $work/tools/LLVMgold.so libadd.a add.o "$'\n'
  expect_eq "archive: status" "$status" 0
  expect_eq "archive: stderr" "$err" ""
  expect_eq "archive: symbol index" "$(nm -s libadd.a | grep -A1 '^Archive index:')" \
    "Archive index:"$'\n'"add in add.o"
  run clang -flto -fuse-ld=gold main.c libadd.a -o prog
  expect_eq "LTO link against the archive" "$status $err" "0 "
  expect_eq "linked program runs" "$(./prog)" 5

  # The same archive from the bare archiver has no index, and the link fails:
  # proof that the index above comes from the plugin the front end passed.
  "$work/tools/tevk-ar" rcs libbare.a add.o
  expect_eq "bare archiver: no symbol index" "$(nm -s libbare.a | grep -c '^Archive index:')" 0
  run clang -flto -fuse-ld=gold main.c libbare.a -o bare
  expect_eq "bare archiver: LTO link fails" "$status" 1

  # A file name with a space is one member, and the echo quotes it.
  clang -flto -O2 -c add.c -o "my add.o"
  run "$work/tools/tevk-ar-lto" rcs libspace.a "my add.o"
  expect_eq "space: echo" "$out" "$work/tools/tevk-ar rcs --plugin $work/tools/LLVMgold.so libspace.a 'my add.o' "$'\n'
  expect_eq "space: one member" "$(ar t libspace.a)" "my add.o"
  expect_eq "space: indexed" "$(nm -s libspace.a | grep -c '^add in my add.o$')" 1

  # The archiver's own failure passes through, message and status.
  run "$work/tools/tevk-ar-lto" rcs libmissing.a missing.o
  expect_eq "archiver failure: status" "$status" 1
  expect_eq "archiver failure: echo" "$out" "$work/tools/tevk-ar rcs --plugin $work/tools/LLVMgold.so libmissing.a missing.o "$'\n'
  expect_eq "archiver failure: its message" "$err" "$work/tools/tevk-ar: missing.o: No such file or directory"$'\n'
}

test_outcomes() {
  tools "$work/tools" "$here/standin.sh"
  for arguments in "" "rcs"; do
    run "$work/tools/tevk-ar-lto" $arguments
    expect_eq "too few ($arguments): stdout" "$out" ""
    expect_eq "too few ($arguments): stderr" "$err" " too less arguments"$'\n'
    expect_eq "too few ($arguments): status" "$status" 1
  done

  for code in 0 1 3 255; do
    STANDIN_EXIT=$code run "$work/tools/tevk-ar-lto" rcs x.a a.o
    expect_eq "exit $code: status" "$status" "$code"
    expect_eq "exit $code: stdout" "$out" "$work/tools/tevk-ar rcs --plugin $work/tools/LLVMgold.so x.a a.o "$'\n'"standin stdout"$'\n'
    expect_eq "exit $code: stderr" "$err" "standin stderr"$'\n'
  done

  # Death by a signal reaches the caller as such, not as an exit code.
  for signal in SEGV TERM; do
    raw=$(STANDIN_SIGNAL=$signal perl -e 'system(@ARGV); print $? & 127' \
      "$work/tools/tevk-ar-lto" rcs x.a a.o 2>/dev/null | tail -n 1)
    expect_eq "killed by SIG$signal" "$raw" "$(kill -l "$signal")"
  done

  # An echo that cannot be written does not stop the launch.
  for target in /dev/full closed; do
    rm -f record.bin
    if [ "$target" = closed ]; then
      STANDIN_RECORD="$work/record.bin" STANDIN_EXIT=3 "$work/tools/tevk-ar-lto" rcs x.a a.o >&- 2>/dev/null
    else
      STANDIN_RECORD="$work/record.bin" STANDIN_EXIT=3 "$work/tools/tevk-ar-lto" rcs x.a a.o >"$target" 2>/dev/null
    fi
    expect_eq "stdout $target: status" "$?" 3
    expect_eq "stdout $target: archiver ran" "$(vector)" \
      "$(vector "$work/tools/tevk-ar" rcs --plugin "$work/tools/LLVMgold.so" x.a a.o)"
  done

  tools "$work/bare" none
  run "$work/bare/tevk-ar-lto" rcs x.a a.o
  expect_eq "missing archiver: stdout" "$out" "$work/bare/tevk-ar rcs --plugin $work/bare/LLVMgold.so x.a a.o "$'\n'"failed to create process 2"
  expect_eq "missing archiver: stderr" "$err" ""
  expect_eq "missing archiver: status" "$status" 1
}

test_arguments() {
  tools "$work/tools" "$here/standin.sh"
  local -a cases=(
    "a b.o|  lead.o|trail.o  "
    "|empty.o|"
    "x.o --plugin /other.so"
    "it's.o|\"q\".o|\\back\\slash\\"
    "*.o|?.o|[a].o|\$HOME|\$(false)|\`false\`|~|#c|a;b|a&b|a|b"
    $'tab\there|new\nline'
    $'\xc3\xa9t\xc3\xa9.o|\xff\xfe.o'
  )
  touch a.o b.o
  for case in "${cases[@]}"; do
    IFS='|' read -r -d '' -a arguments < <(printf '%s\0' "$case")
    run env STANDIN_RECORD="$work/record.bin" "$work/tools/tevk-ar-lto" rcs "${arguments[@]}"
    expected=$(vector "$work/tools/tevk-ar" rcs --plugin "$work/tools/LLVMgold.so" "${arguments[@]}")
    expect_eq "argv [$case]" "$(vector)" "$expected"
    # The echo, pasted into a shell, does what the front end did.
    rm -f record.bin
    STANDIN_RECORD="$work/record.bin" sh -c "${out%%$'\n'standin stdout*}" >/dev/null 2>&1
    expect_eq "echo replayed by sh [$case]" "$(vector)" "$expected"
  done
}

test_symlink() {
  tools "$work/real tools" "$(command -v ar)"
  mkdir -p bin && ln -s "$work/real tools/tevk-ar-lto" bin/tevk-ar-lto
  sample_library
  PATH="$work/bin:$PATH" run tevk-ar-lto rcs libadd.a add.o
  expect_eq "through a symlink in PATH: echo" "$out" "'$work/real tools/tevk-ar' rcs --plugin '$work/real tools/LLVMgold.so' libadd.a add.o "$'\n'
  expect_eq "through a symlink in PATH: indexed" "$(nm -s libadd.a | grep -c '^add in add.o$')" 1
}

# 64 front ends at once, as make -j starts them, each archiving its own LTO
# library through the real archiver: nothing may be shared between them.
test_parallel() {
  tools "$work/tools" "$(command -v ar)"
  printf 'int shared_%s(void) { return 1; }\n' one two >shared.c
  clang -flto -O2 -c shared.c -o shared.o
  local jobs=64 i
  for ((i = 0; i < jobs; i++)); do
    mkdir "job$i"
    printf 'int own_%d(void) { return %d; }\n' "$i" "$i" >"job$i/own.c"
    cp shared.o "job$i/"
  done
  printf '%s\n' job* | xargs -P 2 -I{} clang -flto -O2 -c {}/own.c -o {}/own.o
  for ((i = 0; i < jobs; i++)); do
    (cd "job$i" && "$work/tools/tevk-ar-lto" rcs libown.a own.o shared.o >stdout.txt 2>stderr.txt
     echo $? >status.txt) &
  done
  wait
  local bad_status=0 bad_echo=0 bad_index=0
  for ((i = 0; i < jobs; i++)); do
    [ "$(cat "job$i/status.txt")$(cat "job$i/stderr.txt")" = 0 ] || bad_status=$((bad_status + 1))
    [ "$(cat "job$i/stdout.txt")" = "$work/tools/tevk-ar rcs --plugin $work/tools/LLVMgold.so libown.a own.o shared.o " ] ||
      bad_echo=$((bad_echo + 1))
    [ "$(nm -s "job$i/libown.a" | grep ' in ' | sort)" = "$(printf 'own_%d in own.o\nshared_one in shared.o\nshared_two in shared.o' "$i")" ] ||
      bad_index=$((bad_index + 1))
  done
  expect_eq "parallel: jobs that failed" "$bad_status" 0
  expect_eq "parallel: jobs with a wrong echo" "$bad_echo" 0
  expect_eq "parallel: archives without their full index" "$bad_index" 0
}

# The recipe the README gives for CMake: the front end as CMAKE_AR, and as the
# archive finisher too, so that the index is also written with the plugin.
test_cmake() {
  tools "$work/tools" "$(command -v ar)"
  run cmake -S "$here/lto_project" -B build -G Ninja -DCMAKE_C_COMPILER=clang \
    -DCMAKE_C_FLAGS=-flto -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold \
    -DCMAKE_AR="$work/tools/tevk-ar-lto" "-DCMAKE_C_ARCHIVE_FINISH=<CMAKE_AR> s <TARGET>"
  expect_eq "configure: status" "$status" 0
  run cmake --build build --verbose
  expect_eq "build: status" "$status" 0
  expect_eq "build: archive created through the front end" \
    "$(grep -c "^$work/tools/tevk-ar qc --plugin $work/tools/LLVMgold.so libadd.a " stdout.txt)" 1
  expect_eq "build: index written through the front end" \
    "$(grep -c "^$work/tools/tevk-ar s --plugin $work/tools/LLVMgold.so libadd.a $" stdout.txt)" 1
  expect_eq "build: symbol index" "$(nm -s build/libadd.a | grep -c '^add in add.c.o$')" 1
  expect_eq "build: program runs" "$(build/prog)" 5
}

"test_$group"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
