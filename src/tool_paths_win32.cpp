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

}  // namespace

std::optional<ToolPaths> locate_tools(const char* tool, const wchar_t* /*program_name*/) {
  const std::optional<std::wstring> path = own_path();
  if (!path) return std::nullopt;
  std::optional<std::wstring> directory = directory_of<wchar_t>(*path, L'\\');
  if (!directory) return std::nullopt;
  return ToolPaths{*directory,
                   *directory + L'\\' + native_string(tool) + native_string(kExecutableSuffix),
                   *directory + L"\\LLVMgold.dll"};
}
