//===- shell_split.h - A POSIX shell's word splitting of a plain command line ===//
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Splits `line` into words as a POSIX shell does, for lines made only of plain
// characters, backslash escapes and single-quoted stretches. Nothing when the
// line holds anything a shell would interpret (an unquoted $, *, ;, " ...) or an
// unterminated quote.
std::optional<std::vector<std::string>> split_shell(std::string_view line);
