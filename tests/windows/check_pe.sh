#!/usr/bin/env bash
# Checks a built front end's PE image: the DLLs it imports, the manifest and the
# version resource it embeds, that it carries no debug sections and no link time
# and, given a list of XP exports, that it loads on Windows XP.
# Usage: check_pe.sh OBJDUMP WINDRES EXE VERSION [XP_IMPORTS]
set -u
objdump=$1 windres=$2 exe=$3 version=$4 xp_imports=${5:-}
name=$(basename "$exe" .exe)
passed=0 failed=0
check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}

headers=$("$objdump" -p "$exe") || { echo "FAIL objdump could not read $exe"; exit 1; }
# "DLL FUNCTION" a line, from objdump's import tables.
imports=$(awk '/DLL Name:/ {dll = $3; next}
               dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print dll, $3}' <<<"$headers" | sort -u)
dlls=$(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
check "imports only KERNEL32.dll and msvcrt.dll (got: $dlls)" \
  test "$dlls" = "KERNEL32.dll msvcrt.dll "
check "is a console program" grep -q 'Subsystem.*(Windows CUI)' <<<"$headers"

resources=$("$windres" -J coff -i "$exe" -O rc 2>&1)
check "embeds an RT_MANIFEST resource with id 1" grep -q '^1 24 /\* RT_MANIFEST \*/' <<<"$resources"
check "manifest asks for asInvoker without uiAccess" \
  grep -q 'level=""asInvoker"" uiAccess=""false""' <<<"$resources"

IFS=. read -r major minor patch <<<"$version"
check "version resource: FILEVERSION $major, $minor, $patch, 0" \
  grep -q "^ FILEVERSION $major, $minor, $patch, 0$" <<<"$resources"
for value in "FileVersion\", \"$version" "ProductVersion\", \"$version" \
  "ProductName\", \"tevk-ar-lto" "OriginalFilename\", \"$name.exe" "InternalName\", \"$name" \
  "LegalCopyright\", \"Copyright (c) 2026 the tevk-ar-lto authors" "FileDescription\", \"tevk-"; do
  check "version resource: \"$value\"" grep -qF "VALUE \"$value" <<<"$resources"
done
check "version resource: no CompanyName" test -z "$(grep CompanyName <<<"$resources")"

sections=$("$objdump" -h "$exe" | awk '$1 ~ /^[0-9]+$/ {print $2}')
check "no debug sections (got: ${sections//$'\n'/ })" test -z "$(grep debug <<<"$sections")"
check "no link time in the header" grep -q 'Time/Date.*Jan  1 00:00:00 1970' <<<"$headers"

if [ -n "$xp_imports" ]; then
  check "is a 32-bit image" grep -q 'Magic.*(PE32)$' <<<"$headers"
  for field in OSystem Subsystem; do
    major=$(awk "/Major${field}Version/ {print \$2}" <<<"$headers")
    minor=$(awk "/Minor${field}Version/ {print \$2}" <<<"$headers")
    check "$field version $major.$minor is at most 5.1" \
      test $((major * 100 + minor)) -le 501
  done
  unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$xp_imports" | sort -u))
  check "imports nothing that Windows XP lacks (unknown: ${unknown//$'\n'/, })" test -z "$unknown"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
