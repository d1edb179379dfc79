#!/usr/bin/env bash
# Builds and tests every preset, then runs the static checks; exits non-zero if
# anything fails. Run scripts/setup-debian.sh first.
#   host           unit tests; end to end with binutils ar and LLVM's gold plugin
#   host-sanitize  the same under ASan and UBSan, and each fuzz target for 20 s
#   host-valgrind  the same, and the front end and unit tests under memcheck
#   windows-x64    end to end under 64-bit Wine, and the PE image
#   windows-x86    the release, end to end under 32-bit Wine, and the PE image
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
for preset in host host-sanitize host-valgrind windows-x64 windows-x86; do
  echo "=== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
    ctest --preset "$preset" -j2; }; then
    failed+=("$preset")
  fi
done
echo "=== static checks"
scripts/check-static.sh || failed+=(static)

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all presets and static checks passed"
