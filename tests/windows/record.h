//===- record.h - What the stand-in archiver writes down, and how it is read back ===//
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the stand-in archiver received: its own path, its raw command line and the
// argument vector that its C runtime split from it.
struct Record {
  std::wstring module;
  std::wstring command_line;
  std::vector<std::wstring> argv;
};

// Four hex digits a UTF-16 unit: any content, lone surrogates included, survives.
inline std::string to_hex(const std::wstring& text) {
  std::string hex;
  char unit[5];
  for (wchar_t c : text) {
    std::snprintf(unit, sizeof unit, "%04x", static_cast<unsigned>(c) & 0xffff);
    hex += unit;
  }
  return hex;
}

inline std::wstring from_hex(const std::string& hex) {
  std::wstring text;
  for (size_t i = 0; i + 4 <= hex.size(); i += 4)
    text += static_cast<wchar_t>(std::stoul(hex.substr(i, 4), nullptr, 16));
  return text;
}
