//===- tool_paths.cpp - Tool paths and command lines: pure, platform-free logic ===//
#include "tool_paths.h"

#include <algorithm>
#include <cstring>

template <class Char>
std::optional<std::basic_string<Char>> directory_of(std::basic_string_view<Char> path,
                                                    Char separator) {
  const size_t last = path.rfind(separator);
  if (last == std::basic_string_view<Char>::npos) return std::nullopt;
  return std::basic_string<Char>(path.substr(0, last));
}

// Both hosts' flavours are compiled everywhere, so each host's tests cover both.
template std::optional<std::string> directory_of(std::string_view, char);
template std::optional<std::wstring> directory_of(std::wstring_view, wchar_t);

NativeString native_string(const char* ascii) { return {ascii, ascii + std::strlen(ascii)}; }

std::vector<NativeString> tool_arguments(const ToolPaths& tools, int before_plugin, int argc,
                                         const NativeChar* const* argv) {
  // argv[0], the front end's own name, is not passed on; argc may even be 0.
  const int ahead = std::min(before_plugin, std::max(argc - 1, 0));
  std::vector<NativeString> arguments;
  arguments.reserve(static_cast<size_t>(argc) + 3);
  arguments.push_back(tools.tool_argv0);
  for (int i = 1; i <= ahead; ++i) arguments.emplace_back(argv[i]);
  arguments.push_back(native_string("--plugin"));
  arguments.push_back(tools.plugin);
  for (int i = ahead + 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

namespace {

template <class String, class Quote>
String join_quoted(const std::vector<String>& arguments, Quote quote) {
  String line;
  for (const String& argument : arguments) {
    line += quote(argument);
    line += ' ';
  }
  return line;
}

}  // namespace

std::wstring compose_command(const std::vector<std::wstring>& arguments) {
  return join_quoted(arguments, quote_windows_argument);
}

std::string compose_command(const std::vector<std::string>& arguments) {
  return join_quoted(arguments, quote_shell_argument);
}

std::wstring quote_windows_argument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos)
    return std::wstring(argument);

  // Backslashes are literal except in a run that ends at a double quote, where
  // 2n of them mean n and 2n+1 mean n and an escaped quote.
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(2 * backslashes + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    quoted += c;
    backslashes = 0;
  }
  // A trailing run stands before the closing quote.
  quoted.append(2 * backslashes, L'\\');
  quoted += L'"';
  return quoted;
}

std::string quote_shell_argument(std::string_view argument) {
  // Characters that no POSIX shell (nor zsh, which expands a leading "=") treats
  // specially anywhere in a word.
  static const char kPlain[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
      "@%+:,./-_";
  if (!argument.empty() && argument.find_first_not_of(kPlain) == std::string_view::npos)
    return std::string(argument);

  // Inside single quotes only the single quote itself is special: close, escape, reopen.
  std::string quoted = "'";
  for (char c : argument) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}
