#!/usr/bin/env bash
# Static checks over the sources: clang-format, cppcheck, and clang-tidy on both
# the POSIX and the Windows files (the latter through the MinGW compile commands).
# Needs the host and windows-x86 presets configured (scripts/test-all.sh does).
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()

echo "--- clang-format"
clang-format --dry-run -Werror $(git ls-files '*.cpp' '*.h') || failed+=(clang-format)

echo "--- cppcheck"
# useStlAlgorithm: a plain loop reads better than std::transform into a vector.
cppcheck --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 \
  --inline-suppr --quiet --suppress=useStlAlgorithm src/ || failed+=(cppcheck)

echo "--- clang-tidy (POSIX)"
clang-tidy --quiet -p build/host src/main.cpp src/main_posix.cpp src/tool_paths.cpp \
  src/front_ends.cpp src/tool_paths_posix.cpp src/child_process_posix.cpp || failed+=(clang-tidy-posix)

echo "--- clang-tidy (Windows)"
# clang finds MinGW's C headers by itself, but not its libstdc++: ask g++ for them.
mingw_cxx=(--extra-arg=--target=i686-w64-mingw32)
while read -r dir; do mingw_cxx+=("--extra-arg=-isystem$dir"); done < <(
  i686-w64-mingw32-g++-win32 -E -x c++ -v - </dev/null 2>&1 |
    sed -n '/^#include <...> search starts here:/,/^End of search list/p' | grep '^ .*/c++')
clang-tidy --quiet -p build/windows-x86 "${mingw_cxx[@]}" src/main_win32.cpp \
  src/tool_paths_win32.cpp src/child_process_win32.cpp || failed+=(clang-tidy-windows)

if [ ${#failed[@]} -gt 0 ]; then
  echo "static checks FAILED: ${failed[*]}"
  exit 1
fi
echo "static checks passed"
