#!/usr/bin/env bash
# End-to-end tests of the POSIX front ends: with binutils ar, nm and ranlib and
# LLVM's gold plugin on objects from clang -flto, and with a stand-in tool where
# the test needs to see the exact argument vector or a chosen exit.
# Usage: e2e_test.sh FRONT_END_DIR LLVMGOLD WORK_DIR GROUP
set -u
front_ends=$(realpath "$1") llvmgold=$(realpath "$2") work=$3 group=$4
here=$(cd "$(dirname "$0")" && pwd)
support=$here/../support
readme=$here/../../README.md
. "$support/expect.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

# tools DIR [TOOL=PATH...]: a tool directory as a user lays it out: the three
# front ends, the plugin, and each PATH as tevk-TOOL (ar=/usr/bin/ar). A copy of
# a binutils program outside /usr/bin loads no plugin on its own, so only the
# front end's --plugin can give it one.
tools() {
  local dir=$1 front_end tool
  shift
  mkdir -p "$dir"
  for front_end in "$front_ends"/tevk-{ar,nm,ranlib}-lto; do cp "$front_end" "$dir/"; done
  for tool; do cp "${tool#*=}" "$dir/tevk-${tool%%=*}"; done
  cp "$llvmgold" "$dir/LLVMgold.so"
}

# run COMMAND...: runs it with stdout, stderr and the status in $out, $err, $status.
run() {
  "$@" >stdout.txt 2>stderr.txt
  status=$?
  out=$(cat stdout.txt; echo x) && out=${out%x}
  err=$(cat stderr.txt; echo x) && err=${err%x}
}

# An argument vector as od shows it, NULs between the words: the stand-in
# tool's record, or (given words) what it should hold.
vector() { if [ $# -eq 0 ]; then od -An -c record.bin; else printf '%s\0' "$@" | od -An -c; fi; }

# expect_same_answer TOOL CASE: for the '|'-separated arguments CASE, the front
# end's output, errors and status are those of the tool run directly with the
# plugin, from $work/tools.
expect_same_answer() {
  local t=$work/tools expected
  local -a arguments
  IFS='|' read -r -d '' -a arguments < <(printf '%s\0' "$2")
  run "$t/tevk-$1" --plugin "$t/LLVMgold.so" "${arguments[@]}"
  expected="$out|$err|$status"
  run "$t/tevk-$1-lto" "${arguments[@]}"
  expect_eq "$1 [$2]: the front end's answer is $1's" "$out|$err|$status" "$expected"
}

sample_library() {
  printf 'int add(int a, int b) { return a + b; }\n' >add.c
  printf '#include <stdio.h>\nint add(int, int);\nint main(void) { printf("%%d\\n", add(2, 3)); return 0; }\n' >main.c
  clang -flto -O2 -c add.c -o "${1:-add.o}"
}

test_main_job() {
  tools "$work/tools" ar="$(command -v ar)"
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
  tools "$work/tools" ar="$here/standin.sh"
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

  tools "$work/bare"
  run "$work/bare/tevk-ar-lto" rcs x.a a.o
  expect_eq "missing archiver: stdout" "$out" "$work/bare/tevk-ar rcs --plugin $work/bare/LLVMgold.so x.a a.o "$'\n'"failed to create process 2"
  expect_eq "missing archiver: stderr" "$err" ""
  expect_eq "missing archiver: status" "$status" 1
}

test_arguments() {
  tools "$work/tools" ar="$here/standin.sh"
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
  tools "$work/real tools" ar="$(command -v ar)"
  mkdir -p bin && ln -s "$work/real tools/tevk-ar-lto" bin/tevk-ar-lto
  sample_library
  PATH="$work/bin:$PATH" run tevk-ar-lto rcs libadd.a add.o
  expect_eq "through a symlink in PATH: echo" "$out" "'$work/real tools/tevk-ar' rcs --plugin '$work/real tools/LLVMgold.so' libadd.a add.o "$'\n'
  expect_eq "through a symlink in PATH: indexed" "$(nm -s libadd.a | grep -c '^add in add.o$')" 1
}

# 64 front ends at once, as make -j starts them, each archiving its own LTO
# library through the real archiver: nothing may be shared between them.
test_parallel() {
  tools "$work/tools" ar="$(command -v ar)"
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

# The README's CMake recipe, taken from the README as a toolchain file: every
# archive tool through its front end, CMake's rules left as they are. IPO makes
# CMake run the COMPILER_AR and COMPILER_RANLIB rules; -flto in the flags, the
# plain AR and RANLIB ones.
test_cmake() {
  tools "$work/tools" ar="$(command -v ar)" ranlib="$(command -v ranlib)"
  local t=$work/tools
  readme_cmake_recipe "$t" >recipe.cmake
  expect_eq "the README's recipe names all four tools for C" \
    "$(grep -c "CMAKE_\(C_COMPILER_\)\?\(AR\|RANLIB\) " recipe.cmake)" 4
  # The same with the bare ranlib, which strips the index that the archiver wrote.
  sed "s|tevk-ranlib-lto|tevk-ranlib|" recipe.cmake >bare-ranlib.cmake

  local -a cases=(
    "ipo|recipe|-DLTO_PROJECT_IPO=ON|cr|0"
    "flags|recipe|-DLTO_PROJECT_IPO=OFF -DCMAKE_C_FLAGS=-flto|qc|0"
    "bare ranlib|bare-ranlib|-DLTO_PROJECT_IPO=ON|cr|1"
  )
  local case name toolchain options create fails
  for case in "${cases[@]}"; do
    IFS='|' read -r name toolchain options create fails <<<"$case"
    rm -rf build
    run cmake -S "$support/lto_project" -B build -G Ninja -DCMAKE_C_COMPILER=clang \
      -DCMAKE_TOOLCHAIN_FILE="$work/$toolchain.cmake" $options
    expect_eq "$name: configure" "$status" 0
    run cmake --build build --verbose
    expect_eq "$name: archive created through the front end" \
      "$(grep -c "^$t/tevk-ar $create --plugin $t/LLVMgold.so libadd.a " stdout.txt)" 1
    if [ "$fails" = 1 ]; then
      expect_eq "$name: index gone, link fails" "$(grep -c 'archive has no index' stdout.txt)" 1
      continue
    fi
    expect_eq "$name: build" "$status" 0
    expect_eq "$name: index kept by the ranlib front end" \
      "$(grep -c "tevk-ranlib-lto\"\? libadd.a" stdout.txt)$(nm -s build/libadd.a | grep -c '^add in add.c.o$')" 11
    expect_eq "$name: program runs" "$(build/prog)" 5
  done
}

# nm through its front end reads LTO objects, and what it prints is nm's own,
# byte for byte: libtool and scripts parse it.
test_nm() {
  tools "$work/tools" nm="$(command -v nm)"
  local t=$work/tools
  sample_library
  run "$t/tevk-nm-lto" add.o
  expect_eq "LTO object: listing" "$out$err$status" "00000000 T add"$'\n'"0"
  # The bare copy cannot read the bitcode: proof that the listing comes from the plugin.
  run "$t/tevk-nm" add.o
  expect_eq "bare nm: fails" "$err$status" "$t/tevk-nm: add.o: file format not recognized"$'\n'"1"

  # Whatever nm answers, the front end answers: listings, probes, nm's own failures.
  clang -flto -O2 -c add.c -o "my add.o"
  "$t/tevk-ar-lto" rcs libadd.a add.o >/dev/null
  local case
  for case in "-B|add.o" "my add.o" "-s|libadd.a" "" "--version" "-h" "missing.o" "-B|--|add.o"; do
    expect_same_answer nm "$case"
  done
}

# ranlib through its front end indexes LTO archives; the bare copy writes no
# index, and even strips the one that the archiver front end wrote.
test_ranlib() {
  tools "$work/tools" ar="$(command -v ar)" ranlib="$(command -v ranlib)"
  local t=$work/tools
  sample_library
  index() { nm -s "$1" | grep -c '^add in add.o$'; }

  "$t/tevk-ar" rc libadd.a add.o
  expect_eq "bare archiver: no index" "$(index libadd.a)" 0
  run "$t/tevk-ranlib-lto" libadd.a
  expect_eq "front end: quiet, status 0" "$out|$err|$status" "||0"
  expect_eq "front end: index written" "$(index libadd.a)" 1
  run clang -flto main.c libadd.a -o prog
  expect_eq "LTO link against it" "$status $(./prog)" "0 5"

  "$t/tevk-ar" rc libbare.a add.o
  "$t/tevk-ranlib" libbare.a
  expect_eq "bare ranlib: no index" "$(index libbare.a)" 0
  run clang -flto main.c libbare.a -o bare
  expect_eq "bare ranlib: LTO link fails" "$status $(grep -c 'no index' stderr.txt)" "1 1"

  "$t/tevk-ar-lto" rcs libkept.a add.o >/dev/null
  "$t/tevk-ranlib-lto" libkept.a
  expect_eq "after the archiver front end: index kept" "$(index libkept.a)" 1
  "$t/tevk-ar-lto" rcs liblost.a add.o >/dev/null
  "$t/tevk-ranlib" liblost.a
  expect_eq "after the archiver front end, bare ranlib: index lost" "$(index liblost.a)" 0

  cp libbare.a "my lib.a"
  run "$t/tevk-ranlib-lto" "my lib.a"
  expect_eq "file name with a space: indexed" "$status $(index "my lib.a")" "0 1"
  # Whatever ranlib answers, the front end answers.
  local case
  for case in "" "--version" "-h" "missing.a"; do expect_same_answer ranlib "$case"; done
}

# What nm's and ranlib's front ends share, from a table: the exact vector the
# tool gets, standard output left to the tool, statuses, their own failures
# naming their own tool, and a symlink in PATH.
test_tools() {
  local tool
  for tool in nm ranlib; do
    local t=$work/$tool
    tools "$t" "$tool=$here/standin.sh"
    local -a cases=("" "--version" "-h" "-B|--|a b.o|" "x.o --plugin /other.so" "it's|\$HOME|*.o")
    local case
    touch a.o
    for case in "${cases[@]}"; do
      IFS='|' read -r -d '' -a arguments < <(printf '%s\0' "$case")
      STANDIN_RECORD="$work/record.bin" STANDIN_EXIT=3 run "$t/tevk-$tool-lto" "${arguments[@]}"
      expect_eq "$tool [$case]: argv" "$(vector)" \
        "$(vector "$t/tevk-$tool" --plugin "$t/LLVMgold.so" "${arguments[@]}")"
      expect_eq "$tool [$case]: outputs and status are the tool's" "$out|$err|$status" \
        "standin stdout"$'\n'"|standin stderr"$'\n'"|3"
    done
    for code in 0 1 255; do
      STANDIN_EXIT=$code run "$t/tevk-$tool-lto" x
      expect_eq "$tool: exit $code passes through" "$status" "$code"
    done

    # Its own tool missing, though the others lie there.
    tools "$work/no-$tool" ar="$here/standin.sh" nm="$here/standin.sh" ranlib="$here/standin.sh"
    rm "$work/no-$tool/tevk-$tool"
    run "$work/no-$tool/tevk-$tool-lto" x
    expect_eq "$tool: missing tool" "$out|$err|$status" "|failed to create process 2"$'\n'"|1"

    mkdir -p "bin-$tool" && ln -sf "$t/tevk-$tool-lto" "bin-$tool/"
    PATH="$work/bin-$tool:$PATH" run "tevk-$tool-lto"
    expect_eq "$tool: through a symlink in PATH" "$out|$status" "standin stdout"$'\n'"|0"
  done
  no_directory
}

# "failed to find": a static front end in a chroot without /proc, started under a
# name that PATH does not find, cannot tell where it lies. Needs root.
no_directory() {
  if [ "$(id -u)" != 0 ] || ! ldd "$front_ends/tevk-ar-lto" 2>&1 | grep -q 'not a dynamic'; then
    echo "note: 'failed to find' not checked: needs root and a static build"
    return
  fi
  local tool
  for tool in ar nm ranlib; do
    rm -rf jail && mkdir jail && cp "$front_ends/tevk-$tool-lto" jail/
    run perl -e 'chroot "jail" or die "chroot: $!"; chdir "/"; exec { "/tevk-'$tool'-lto" } "tevk-'$tool'-lto", "rcs", "x.a", "a.o"'
    expect_eq "$tool: no directory" "$out|$err|$status" "|failed to find tevk-$tool"$'\n'"|1"
  done
}

# libtool's configure checks nm on an object built with the user's CFLAGS; with
# -flto only the front end can read it. Then libtool archives with AR and RANLIB.
# The tools are set as the README's configure line sets them.
test_libtool() {
  tools "$work/tools" ar="$(command -v ar)" nm="$(command -v nm)" ranlib="$(command -v ranlib)"
  local t=$work/tools
  local -a recipe
  read -r -a recipe < <(sed -n 's|^\./configure ||p' "$readme" | sed "s|/opt/tevk/bin|$t|g")
  expect_eq "the README's configure line sets AR, NM and RANLIB" "${recipe[*]%%=*}" "AR NM RANLIB"
  cp -r "$here/libtool_project" src && cp "$support"/lto_project/*.c src/
  (cd src && autoreconf -fi) >autoreconf.txt 2>&1
  expect_eq "autoreconf" "$?" 0
  local kind
  for kind in front-ends bare; do
    local -a variables=("${recipe[@]}")
    # The bare copies: the same names without -lto.
    [ "$kind" = bare ] && variables=("${recipe[@]//-lto/}")
    mkdir "$kind"
    (cd "$kind" && ../src/configure CC=clang CFLAGS=-flto "${variables[@]}" >configure.txt 2>&1 &&
      make >make.txt 2>&1)
    status=$?
    local check
    check=$(grep "^checking command to parse $t/tevk-nm.* output from clang object" "$kind/configure.txt")
    if [ "$kind" = bare ]; then
      expect_eq "bare tools: nm check" "${check##*... }" failed
      expect_eq "bare tools: build fails" "$status" 2
    else
      expect_eq "front ends: nm check" "${check##*... }" ok
      expect_eq "front ends: build" "$status" 0
      expect_eq "front ends: program runs" "$("$kind/prog")" 5
    fi
  done
}

"test_$group"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
