//===- fuzz_tool_directory.cpp - The tool directory is the path before its last separator ===//
#include "fuzz_input.h"
#include "tool_paths.h"

namespace {

template <class Char>
void check(const std::basic_string<Char>& path, Char separator) {
  const auto directory = directory_of<Char>(path, separator);
  const size_t last = path.rfind(separator);
  if (last == std::basic_string<Char>::npos) {
    require(!directory, "no separator, no directory");
    return;
  }
  require(directory.has_value(), "a separator gives a directory");
  require(*directory == path.substr(0, last), "directory is everything before the last separator");
  require(directory->size() == last && path[last] == separator, "cut exactly at the separator");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check(units(data, size), L'\\');
  check(std::string(reinterpret_cast<const char*>(data), size), '/');
  return 0;
}
