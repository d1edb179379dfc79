//===- tool_paths_win32.cpp - Finding the tools beside the executable on Windows ===//
#include <windows.h>

#include "tool_paths.h"

const char kExecutableSuffix[] = ".exe";

namespace {

// The longest path that the platform can hand back, NUL included.
const DWORD kLongestPath = 32768;

// The full path of the running executable, or nothing when the platform will not tell.
std::optional<std::wstring> own_path() {
  const HMODULE self = GetModuleHandleW(nullptr);
  for (DWORD size = MAX_PATH;; size = size * 2 < kLongestPath ? size * 2 : kLongestPath) {
    std::wstring path(size, L'\0');
    const DWORD length = GetModuleFileNameW(self, path.data(), size);
    if (length == 0) return std::nullopt;
    // A result that fills the buffer is truncated whatever GetLastError says:
    // Windows XP returns the size with no NUL and no error.
    if (length < size) {
      path.resize(length);
      return path;
    }
    if (size == kLongestPath) return std::nullopt;
  }
}

// Whether the ANSI code page holds `text` exactly, so that it survives the trip
// through it: the tools are narrow-character programs, whose C runtime builds argv
// from the command line in that code page. A character it lacks would arrive as
// '?' or as a best-fit look-alike (U+0141 as "L"), naming a file that is not there.
bool ansi_code_page_holds(const std::wstring& text) {
  const UINT code_page = GetACP();
  // The UTF-8 code page (Windows 10's per-system option) refuses the flag.
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int units = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(code_page, flags, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes == 0) return text.empty();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), units, narrow.data(), bytes, nullptr, nullptr);
  std::wstring back(static_cast<size_t>(bytes), L'\0');
  back.resize(static_cast<size_t>(
      MultiByteToWideChar(code_page, 0, narrow.data(), bytes, back.data(), bytes)));
  return back == text;
}

// `path` in a form that reaches a narrow-character tool intact: itself when the
// ANSI code page holds it, so that every ordinary install's command line is the
// plain one; else its 8.3 short form, when the file has one that the code page
// holds; else, with nothing that can carry it, `path` itself.
std::wstring narrow_safe(const std::wstring& path) {
  if (ansi_code_page_holds(path)) return path;
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring short_path(size, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), short_path.data(), size);
  if (length == 0 || length >= size) return path;
  short_path.resize(length);
  return ansi_code_page_holds(short_path) ? short_path : path;
}

}  // namespace

std::optional<ToolPaths> locate_tools(const char* tool, const wchar_t* /*program_name*/) {
  const std::optional<std::wstring> path = own_path();
  if (!path) return std::nullopt;
  std::optional<std::wstring> directory = directory_of<wchar_t>(*path, L'\\');
  if (!directory) return std::nullopt;
  const std::wstring tool_path =
      *directory + L'\\' + native_string(tool) + native_string(kExecutableSuffix);
  return ToolPaths{*directory, tool_path, narrow_safe(tool_path),
                   narrow_safe(*directory + L"\\LLVMgold.dll")};
}
