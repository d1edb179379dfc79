//===- crt_split.cpp - The C runtime's command-line splitting, for round-trip tests ===//
#include "crt_split.h"

namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> split_crt(std::wstring_view line, CrtRules rules) {
  std::vector<std::wstring> argv;
  size_t i = 0;

  // The program name: quotes group and are dropped, backslashes are plain.
  std::wstring program;
  bool quoted = false;
  for (; i < line.size() && (quoted || !is_blank(line[i])); ++i) {
    if (line[i] == L'"') {
      quoted = !quoted;
    } else {
      program += line[i];
    }
  }
  argv.push_back(program);

  for (;;) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) return argv;
    std::wstring argument;
    quoted = false;
    while (i < line.size()) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == L'\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          argument += L'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          argument += L'"';
          ++i;
          if (rules == CrtRules::kMsvcrt) quoted = false;
        } else {
          quoted = !quoted;
        }
        ++i;
        continue;
      }
      argument.append(backslashes, L'\\');
      if (i == line.size() || (!quoted && is_blank(line[i]))) break;
      argument += line[i++];
    }
    argv.push_back(argument);
  }
}
