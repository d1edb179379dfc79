//===- shell_split.cpp - A POSIX shell's word splitting of a plain command line ===//
#include "shell_split.h"

#include <cstring>

std::optional<std::vector<std::string>> split_shell(std::string_view line) {
  // Characters that mean something to a shell outside quotes, anywhere in a word.
  static const char kSpecial[] = "|&;<>()$`\"*?[]#~=!{}^";
  std::vector<std::string> words;
  std::optional<std::string> word;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (word) words.push_back(*word);
      word.reset();
      continue;
    }
    if (!word) word.emplace();
    if (c == '\\') {
      if (++i == line.size()) return std::nullopt;
      *word += line[i];
    } else if (c == '\'') {
      const size_t close = line.find('\'', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      *word += line.substr(i + 1, close - i - 1);
      i = close;
    } else if (std::strchr(kSpecial, c) != nullptr) {
      return std::nullopt;
    } else {
      *word += c;
    }
  }
  if (word) words.push_back(*word);
  return words;
}
