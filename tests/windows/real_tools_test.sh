#!/usr/bin/env bash
# End-to-end tests of the Windows front ends under Wine with the real tools they
# front: binutils' ar, nm and ranlib built for Windows and GCC's LTO plugin as
# LLVMgold.dll (build_tools.sh), on objects from MinGW-w64 GCC -flto. Each case
# beside its control: the same job with the bare tool, which cannot read the
# objects, writes no LTO symbols to the index, and whose archive does not link.
# Usage: real_tools_test.sh GROUP WORK_DIR FRONT_END_DIR TOOLS_DIR HOST EMULATOR...
#   GROUP: ar, nm, ranlib, cmake or code_pages
#   EMULATOR: wine.sh with its loader and prefix, which runs each Windows program
set -u
group=$1 work=$2 front_ends=$3 tool_build=$4 host=$5
shift 5
emulator=("$@")
support=$(cd "$(dirname "$0")/../support" && pwd)
. "$support/expect.sh"
# The emulator alone checks that Wine can run here, or says why not (77: skipped).
"${emulator[@]}" || exit
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

cc=$host-gcc-win32
# i686 Windows prefixes C symbols with an underscore; the linker's messages give
# the C name.
underscore=
[[ $host == i686-* ]] && underscore=_
add=${underscore}add
undefined_add="undefined reference to \`add'"

wine_retries=0

# The Windows name of an absolute Unix path: Wine shows the Unix root as Z:.
win() { local path=Z:$1; echo "${path//\//\\}"; }

# run PROGRAM ARGUMENT...: runs it under Wine with stdout, stderr and the status
# in $out, $err, $status (Wine hands a Linux parent 8 bits of it). Wine now and
# then fails to start a process at all (ERROR_INTERNAL_ERROR, 1359), which a
# front end reports faithfully; only such a run is run again.
run() {
  local attempt
  for attempt in 1 2 3; do
    "${emulator[@]}" "$@" >stdout.txt 2>stderr.txt
    status=$?
    out=$(cat stdout.txt; echo x) && out=${out%x}
    err=$(cat stderr.txt; echo x) && err=${err%x}
    [[ $out$err == *"failed to create process 1359"* ]] || return 0
    wine_retries=$((wine_retries + 1))
  done
}

# tools DIR: a tool folder as a user lays it out: the three front ends, and beside
# them the real tools and the plugin under the names that the front ends look for.
tools() {
  mkdir -p "$1"
  cp "$front_ends"/tevk-{ar,nm,ranlib}-lto.exe "$1/"
  local tool
  for tool in ar nm ranlib; do cp "$tool_build/$tool.exe" "$1/tevk-$tool.exe"; done
  cp "$tool_build/liblto_plugin.dll" "$1/LLVMgold.dll"
}

# The LTO objects: add.o, and "my twice.o", whose name has a space.
objects() {
  cp "$support"/lto_project/{add,main}.c .
  printf 'int twice(int a) { return 2 * a; }\n' >twice.c
  "$cc" -flto -O2 -c add.c -o add.o && "$cc" -flto -O2 -c twice.c -o "my twice.o"
}

# The archive's symbol index, one "SYMBOL in MEMBER" a line; empty if it has none.
index() { "$host-nm" -s "$1" 2>/dev/null | sed -n '/^Archive index:/,/^$/{/ in /p}'; }

# How many entries of the archive's index name add(): 0 when no LTO symbol got there.
indexed_add() { index "$1" | grep -c "^$add "; }

# lto_link NAME ARCHIVE: links NAME.exe from main.c and the archive with LTO; the
# linker's messages on standard output.
lto_link() { "$cc" -flto -O2 main.c "$2" -o "$1.exe" 2>&1; }

# expect_links NAME ARCHIVE: an LTO program links against it and runs under Wine.
expect_links() {
  local link
  link=$(lto_link "$@")
  expect_eq "$1: LTO link against $2" "$?|$link" "0|"
  run "$1.exe"
  expect_eq "$1: linked program runs" "$out|$status" $'5\r\n|0'
}

# expect_no_link NAME ARCHIVE: the link fails, for want of the LTO symbols.
expect_no_link() {
  local link
  link=$(lto_link "$@")
  expect_eq "$1: LTO link against $2 fails" "$?|$(grep -c "$undefined_add" <<<"$link")" "1|1"
}

# The bare tool's warning for each LTO object that it cannot read.
unreadable() { grep -c "plugin needed to handle lto object" <<<"$err"; }

test_ar() {
  local t="$work/my tools"
  tools "$t"
  objects
  local tool="\"$(win "$t")\\tevk-ar.exe\"" plugin="\"$(win "$t")\\LLVMgold.dll\""
  run "$t/tevk-ar-lto.exe" rcs libadd.a add.o
  expect_eq "archive: echo, exact" "$out" "$tool rcs --plugin $plugin libadd.a add.o "$'\r\n'
  expect_eq "archive: quiet, status 0" "$err|$status" "|0"
  expect_eq "archive: index" "$(index libadd.a)" "$add in add.o"
  expect_links archive libadd.a

  run "$t/tevk-ar.exe" rcs libbare.a add.o
  expect_eq "bare archiver: cannot read the object, status 0" "$(unreadable)|$status" "1|0"
  expect_eq "bare archiver: no LTO symbol in the index" "$(indexed_add libbare.a)" 0
  expect_no_link "bare archiver" libbare.a

  # CMake's MinGW rules hand long object lists over in a response file, which
  # the archiver reads itself: the front end passes "@file" on as it is.
  printf 'add.o "my twice.o"\n' >objects.rsp
  run "$t/tevk-ar-lto.exe" rcs libresp.a @objects.rsp
  expect_eq "response file: echo" "$out" "$tool rcs --plugin $plugin libresp.a @objects.rsp "$'\r\n'
  expect_eq "response file: index" "$(index libresp.a)" \
    "$add in add.o"$'\n'"${underscore}twice in my twice.o"

  run "$t/tevk-ar-lto.exe" t libresp.a
  expect_eq "t: lists the members" "$out|$status" \
    "$tool t --plugin $plugin libresp.a "$'\r\n'$'add.o\r\nmy twice.o\r\n|0'
  mkdir extracted && cd extracted || return
  run "$t/tevk-ar-lto.exe" x ../libresp.a "my twice.o"
  expect_eq "x: extracts the member" "$status|$(cmp "my twice.o" "../my twice.o" 2>&1)" "0|"
  cd "$work" || return

  run "$t/tevk-ar-lto.exe" rcs libmissing.a missing.o
  expect_eq "archiver failure: echo" "$out" "$tool rcs --plugin $plugin libmissing.a missing.o "$'\r\n'
  expect_eq "archiver failure: its status" "$status" 1
  expect_eq "archiver failure: its message" "$(grep -c 'missing.o: No such file or directory' <<<"$err")" 1
}

# What nm prints through its front end is what nm prints when run with --plugin
# itself, byte for byte: build scripts parse it.
test_nm() {
  local t="$work/my tools"
  tools "$t"
  objects
  "${emulator[@]}" "$t/tevk-ar-lto.exe" rcs libadd.a add.o "my twice.o" >/dev/null
  run "$t/tevk-nm-lto.exe" add.o
  expect_eq "LTO object: its symbol" "$(grep -c " T $add"$'\r$' <<<"$out")|$err|$status" "1||0"
  run "$t/tevk-nm.exe" add.o
  expect_eq "bare nm: cannot read it" "$(unreadable)|$(grep -c " T $add" <<<"$out")" "1|0"

  local case
  local -a arguments
  for case in "add.o" "-B|my twice.o" "-s|libadd.a" "--defined-only|libadd.a" "--version" "missing.o"; do
    IFS='|' read -r -a arguments <<<"$case"
    run "$t/tevk-nm.exe" --plugin "$(win "$t")\\LLVMgold.dll" "${arguments[@]}"
    local expected="$out|$status"
    run "$t/tevk-nm-lto.exe" "${arguments[@]}"
    expect_eq "nm [$case]: stdout and status are nm --plugin's" "$out|$status" "$expected"
  done
}

test_ranlib() {
  local t="$work/my tools"
  tools "$t"
  objects
  "${emulator[@]}" "$t/tevk-ar.exe" rc libadd.a add.o 2>/dev/null
  expect_eq "bare archiver: index without LTO symbols" "$(indexed_add libadd.a)" 0
  cp libadd.a libbare.a

  run "$t/tevk-ranlib-lto.exe" libadd.a
  expect_eq "front end: quiet, status 0" "$out|$err|$status" "||0"
  expect_eq "front end: index written" "$(index libadd.a)" "$add in add.o"
  expect_links ranlib libadd.a

  run "$t/tevk-ranlib.exe" libbare.a
  expect_eq "bare ranlib: cannot read the object" "$(unreadable)" 1
  expect_eq "bare ranlib: no LTO symbol in the index" "$(indexed_add libbare.a)" 0
  expect_no_link "bare ranlib" libbare.a
}

# shim FILE PROGRAM: a Linux command that runs the Windows PROGRAM under Wine, for
# CMake, which cannot run a .exe itself.
shim() {
  local command
  printf -v command '%q ' "${emulator[@]}" "$2"
  printf '#!/usr/bin/env bash\nexec %s"$@"\n' "$command" >"$1" && chmod +x "$1"
}

# The README's CMake recipe, cross-building the LTO project for Windows through
# CMake's own MinGW archive rules, with each tool named by a shim to its Windows
# front end; and, as the control, with shims to the bare tools.
test_cmake() {
  local t="$work/my tools" tool
  tools "$t"
  mkdir shims
  for tool in ar ranlib; do
    shim "shims/tevk-$tool-lto" "$t/tevk-$tool-lto.exe"
    shim "shims/tevk-$tool" "$t/tevk-$tool.exe"
  done
  { printf 'set(CMAKE_SYSTEM_NAME Windows)\nset(CMAKE_C_COMPILER %s)\n' "$cc"
    readme_cmake_recipe "$work/shims"
  } >recipe.cmake
  sed 's|-lto||' recipe.cmake >bare.cmake

  local echo_start="\"$(win "$t")\\tevk-ar.exe\""
  local -a cases=(
    "ipo|recipe|-DLTO_PROJECT_IPO=ON|cr|0"
    "flags|recipe|-DLTO_PROJECT_IPO=OFF -DCMAKE_C_FLAGS=-flto|qc|0"
    "bare tools|bare|-DLTO_PROJECT_IPO=OFF -DCMAKE_C_FLAGS=-flto|qc|1"
  )
  local case name toolchain options create fails
  for case in "${cases[@]}"; do
    IFS='|' read -r name toolchain options create fails <<<"$case"
    rm -rf build
    cmake -S "$support/lto_project" -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/$toolchain.cmake" \
      $options >configure.txt 2>&1
    expect_eq "$name: configure" "$?" 0
    cmake --build build --verbose >build.txt 2>&1
    status=$?
    if [ "$fails" = 1 ]; then
      expect_eq "$name: the link fails" "$status|$(grep -c "$undefined_add" build.txt)" "1|1"
      continue
    fi
    expect_eq "$name: build" "$status" 0
    expect_eq "$name: archive created through the front end" \
      "$(grep -cF "$echo_start $create --plugin \"$(win "$t")\\LLVMgold.dll\" libadd.a " build.txt)" 1
    expect_eq "$name: index" "$(index build/libadd.a)" "$add in add.c.obj"
    run build/prog.exe
    expect_eq "$name: program runs" "$out|$status" $'5\r\n|0'
  done
}

# A tool folder whose name the ANSI code page (1252 here) cannot hold reaches the
# narrow-character tools by its short form; one that it holds, by its own name.
test_code_pages() {
  objects
  local name t printable='^Z:\\[ -~]+$'
  for name in 工具 инструменты; do
    t=$work/$name
    tools "$t"
    rm -f libadd.a libranlib.a libbare.a
    run "$t/tevk-ar-lto.exe" rcs libadd.a add.o
    expect_eq "$name: archive, quiet, status 0" "$err|$status" "|0"
    expect_eq "$name: index" "$(index libadd.a)" "$add in add.o"
    # Both paths name the same short folder, which the code page holds.
    local short=${out%%\\tevk-ar.exe *}
    expect_eq "$name: echo names the tools by the folder's short form" "$out" \
      "$short\\tevk-ar.exe rcs --plugin $short\\LLVMgold.dll libadd.a add.o "$'\r\n'
    expect_eq "$name: the short form is another, printable name" \
      "$([[ $short != "$(win "$t")" && $short =~ $printable && $short != *\?* ]] && echo yes)" yes
    expect_links "$name" libadd.a

    run "$t/tevk-nm-lto.exe" add.o
    expect_eq "$name: nm lists the LTO symbol" "$(grep -c " T $add"$'\r$' <<<"$out")|$status" "1|0"
    "${emulator[@]}" "$t/tevk-ar.exe" rc libranlib.a add.o 2>/dev/null
    run "$t/tevk-ranlib-lto.exe" libranlib.a
    expect_eq "$name: ranlib indexes" "$status|$(index libranlib.a)" "0|$add in add.o"

    # The control: given the folder's own name, the tool cannot load the plugin.
    run "$t/tevk-ar.exe" rcs --plugin "$(win "$t")\\LLVMgold.dll" libbare.a add.o
    expect_eq "$name: by its own name, the tool cannot load the plugin" \
      "$(unreadable)|$status|$(indexed_add libbare.a)" "1|0|0"
  done

  # Latin-1: code page 1252 holds it, so the long path stays, in the echo too,
  # written as the front end's C locale writes it: one byte a character.
  t="$work/Zoë tools"
  tools "$t"
  run "$t/tevk-ar-lto.exe" rcs liblatin.a add.o
  local long
  long=$(win "$t" | iconv -f UTF-8 -t ISO-8859-1)
  expect_eq "Latin-1: echo keeps the long path" "$out" \
    "\"$long\\tevk-ar.exe\" rcs --plugin \"$long\\LLVMgold.dll\" liblatin.a add.o "$'\r\n'
  expect_eq "Latin-1: index" "$status|$(index liblatin.a)" "0|$add in add.o"
}

"test_$group"
[ "$wine_retries" -gt 0 ] && echo "runs that Wine failed to start, run again: $wine_retries"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
