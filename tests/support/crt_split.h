//===- crt_split.h - The C runtime's command-line splitting, for round-trip tests ===//
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Which generation of the Microsoft C runtime's rules to follow: they differ only in
// what "" means inside a quoted stretch.
enum class CrtRules {
  kMsvcrt,  // msvcrt.dll and runtimes before 2008: "" is a literal quote and ends the stretch.
  kUcrt,    // Later runtimes and the UCRT: "" is a literal quote and the stretch goes on.
};

// Splits `command_line` into argv as the C runtime's start-up does, argv[0] included.
std::vector<std::wstring> split_crt(std::wstring_view command_line, CrtRules rules);
