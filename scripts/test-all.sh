#!/usr/bin/env bash
# Builds and tests every preset, then runs the static checks and the
# reproducibility check; exits non-zero if anything fails. Run
# scripts/setup-debian.sh first. Usage: test-all.sh [PRESET...]
#   host           unit tests; end to end with binutils ar and LLVM's gold plugin
#   host-sanitize  the same under ASan and UBSan, and each fuzz target for 20 s
#   host-valgrind  the same, and the front end and unit tests under memcheck
#   windows-x64    end to end under 64-bit Wine, and the PE image
#   windows-x86    the release, end to end under 32-bit Wine, and the PE image
# then the static checks, and the release built and packaged twice from clean
# clones of HEAD, which must give the same bytes.
# The last line names every test that was skipped, and why: on a machine whose
# kernel cannot run 32-bit programs, the windows-x86 tests that need Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
skipped=()
presets=("$@")
[ $# -gt 0 ] || presets=(host host-sanitize host-valgrind windows-x64 windows-x86)
for preset in "${presets[@]}"; do
  echo "=== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
    ctest --preset "$preset" -j2 | tee "build/$preset/ctest.txt"; }; then
    failed+=("$preset")
  fi
  # CTest lists skipped tests as "  7 - NAME (Skipped)"; each printed its reason
  # as a "skipped: " line, which the log keeps.
  names=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "build/$preset/ctest.txt" 2>/dev/null)
  if [ -n "$names" ]; then
    why=$(sed -n 's/^skipped: //p' "build/$preset/Testing/Temporary/LastTest.log" | sort -u)
    skipped+=("$preset (${names//$'\n'/, }): ${why//$'\n'/; }")
  fi
done
echo "=== static checks"
scripts/check-static.sh || failed+=(static)
echo "=== reproducible release"
scripts/check-reproducible.sh || failed+=(reproducible)

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
else
  echo "all presets and checks passed"
fi
if [ ${#skipped[@]} -gt 0 ]; then
  printf -v list '%s; ' "${skipped[@]}"
  echo "skipped: ${list%; }"
else
  echo "skipped: nothing"
fi
[ ${#failed[@]} -eq 0 ]
