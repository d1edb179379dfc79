#!/usr/bin/env bash
# Builds and tests every preset: the host build (unit tests, and end-to-end tests
# with binutils ar and LLVM's gold plugin), then both Windows builds under Wine.
# Exits non-zero if any build or test fails. Run scripts/setup-debian.sh first.
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
for preset in host windows-x64 windows-x86; do
  echo "=== $preset"
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
    ctest --preset "$preset" -j2; then
    :
  else
    failed+=("$preset")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all presets passed"
