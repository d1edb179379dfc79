# Checks for the end-to-end test scripts, which source this file: each failed
# check prints what it got and what it expected; the scripts end with the counts.
passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); printf 'FAIL %s\n' "$1"; }
expect_eq() {  # expect_eq WHAT ACTUAL EXPECTED
  if [ "$2" == "$3" ]; then pass; else
    fail "$1"; printf '  actual:   %q\n  expected: %q\n' "$2" "$3"; fi
}

# readme_cmake_recipe DIR: the README's CMake recipe as it stands, with the front
# ends in DIR: the tests take it as the toolchain file that a user would write.
readme_cmake_recipe() {
  sed -n '/^```cmake$/,/^```$/{/^```/d;p}' "$(dirname "${BASH_SOURCE[0]}")/../../README.md" |
    sed "s|/opt/tevk/bin|$1|"
}
