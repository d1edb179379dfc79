//===- tool_paths_posix.cpp - Finding the tools beside the executable on POSIX ===//
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tool_paths.h"

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

const char kExecutableSuffix[] = "";

namespace {

#ifdef __APPLE__
const char kPluginName[] = "LLVMgold.dylib";
#else
const char kPluginName[] = "LLVMgold.so";
#endif

// `path` with every symbolic link resolved, or nothing when it does not exist.
std::optional<std::string> real_path(const char* path) {
  char* resolved = ::realpath(path, nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

// The running executable as the program name and PATH find it, the way a shell did.
std::optional<std::string> search_path(const char* program_name) {
  if (program_name == nullptr || *program_name == '\0') return std::nullopt;
  if (std::strchr(program_name, '/') != nullptr) return real_path(program_name);
  const char* search = std::getenv("PATH");
  std::string_view rest = search != nullptr ? search : "";
  for (;;) {
    const size_t colon = rest.find(':');
    std::string candidate(rest.substr(0, colon));
    // An empty entry means the current directory.
    candidate += candidate.empty() ? "./" : "/";
    candidate += program_name;
    if (access(candidate.c_str(), X_OK) == 0) return real_path(candidate.c_str());
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

// The real path of the running executable: a front end started through a symbolic
// link finds its tools beside the file the link points to.
std::optional<std::string> own_path(const char* program_name) {
#if defined(__APPLE__)
  uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::string path(size, '\0');
  if (_NSGetExecutablePath(path.data(), &size) == 0) return real_path(path.c_str());
#elif defined(__linux__)
  if (std::optional<std::string> path = real_path("/proc/self/exe")) return path;
#endif
  return search_path(program_name);
}

}  // namespace

std::optional<ToolPaths> locate_tools(const char* tool, const char* program_name) {
  const std::optional<std::string> path = own_path(program_name);
  if (!path) return std::nullopt;
  std::optional<std::string> directory = directory_of<char>(*path, '/');
  if (!directory) return std::nullopt;
  const std::string tool_path = *directory + "/" + tool;
  return ToolPaths{*directory, tool_path, tool_path, *directory + "/" + kPluginName};
}
