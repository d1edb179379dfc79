#!/usr/bin/env bash
# Builds and packages the release twice, from two clean clones of this
# repository's HEAD in folders of different names and depths, one after the
# other, and compares the front ends and the packages byte for byte: one commit
# must always give the same bytes. Uncommitted changes are not part of it.
# Usage: check-reproducible.sh [PRESET...]   (default: windows-x86 host)
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
presets=("$@")
[ $# -gt 0 ] || presets=(windows-x86 host)
work=$(mktemp -d /tmp/tevk-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
clones=("$work/a" "$work/second/clone/deeper")

echo "building commit $(git -C "$repo" rev-parse --short HEAD) twice: ${presets[*]}"
for clone in "${clones[@]}"; do
  git clone -q --no-hardlinks "$repo" "$clone" || exit 1
  for preset in "${presets[@]}"; do
    # The test programs are not part of the release.
    if ! (cd "$clone" && cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null &&
      cmake --build --preset "$preset" >/dev/null && cpack --preset "$preset" >/dev/null); then
      echo "FAIL building $preset in $clone"
      exit 1
    fi
  done
  # Apart in time too: a clock that leaked into the bytes would show.
  sleep 2
done

passed=0 failed=0
for preset in "${presets[@]}"; do
  first=${clones[0]}/build/$preset second=${clones[1]}/build/$preset
  files=$(cd "$first" && ls tevk-*-lto tevk-*-lto.exe tevk-ar-lto-*.zip tevk-ar-lto-*.tar.gz 2>/dev/null)
  [ -n "$files" ] || { failed=$((failed + 1)); echo "FAIL $preset: nothing built"; }
  for file in $files; do
    if grep -q "$work" "$first/$file"; then
      failed=$((failed + 1))
      echo "FAIL $preset/$file holds the build's folder $work"
    fi
    if cmp -s "$first/$file" "$second/$file"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAIL $preset/$file differs; first bytes that do:"
      cmp -l "$first/$file" "$second/$file" | head -n 5
    fi
  done
  echo "$preset: ${files//$'\n'/ }"

  # The package holds the installed tree, its entries sorted.
  package=$(ls "$first"/tevk-ar-lto-*.zip "$first"/tevk-ar-lto-*.tar.gz 2>/dev/null)
  suffix=
  [ "${package##*.}" = zip ] && suffix=.exe
  entries=$(cmake -E tar tf "$package")
  expected=$(printf 'bin/tevk-%s-lto'"$suffix"'\n' ar nm ranlib
    printf 'share/doc/tevk-ar-lto/%s\n' LICENSE README.md)
  if [ "$entries" = "$expected" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAIL $(basename "$package") holds: ${entries//$'\n'/ }"
  fi
done

# The README's Install table gives the release's files and their sizes.
if [[ " ${presets[*]} " == *" windows-x86 "* ]]; then
  for file in tevk-ar-lto.exe tevk-nm-lto.exe tevk-ranlib-lto.exe LICENSE; do
    path=${clones[0]}/build/windows-x86/$file entry=bin/$file
    [ "$file" = LICENSE ] && path=${clones[0]}/LICENSE entry=share/doc/tevk-ar-lto/LICENSE
    bytes=$(stat -c %s "$path" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')
    if grep -qF "| \`$entry\` | $bytes |" "$repo/README.md"; then passed=$((passed + 1)); else
      failed=$((failed + 1))
      echo "FAIL README.md's Install table does not give $entry as $bytes bytes"
    fi
  done
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
