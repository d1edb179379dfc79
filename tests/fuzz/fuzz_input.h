//===- fuzz_input.h - Turning a fuzzer's bytes into arguments ===//
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Aborts with `what` when `ok` is false: a finding for libFuzzer.
inline void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

// The bytes as little-endian UTF-16 units, any value, lone surrogates included.
inline std::wstring units(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  return text;
}

// `text` cut at each NUL: arguments as a command line can carry them.
template <class Char>
std::vector<std::basic_string<Char>> split_at_nul(const std::basic_string<Char>& text) {
  std::vector<std::basic_string<Char>> parts(1);
  for (Char c : text) {
    if (c == 0) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}
