//===- fuzz_layout.cpp - The archiver's arguments, laid out and echoed ===//
//
// For any tool paths and arguments: the archiver comes first, then the first
// argument, "--plugin", the plugin and the rest in order; and the echo, split as
// a shell splits it, gives exactly that vector back.
#include "fuzz_input.h"
#include "shell_split.h"
#include "tool_paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts =
      split_at_nul(std::string(reinterpret_cast<const char*>(data), size));
  if (parts.size() < 4) return 0;
  const ToolPaths tools{parts[0], parts[0] + "/tevk-ar", parts[1]};
  // argv[0] is the front end's own name, never used.
  std::vector<const char*> argv = {"tevk-ar-lto"};
  for (size_t i = 2; i < parts.size(); ++i) argv.push_back(parts[i].c_str());
  const int argc = static_cast<int>(argv.size());

  const std::vector<std::string> arguments = archiver_arguments(tools, argc, argv.data());
  require(arguments.size() == static_cast<size_t>(argc) + 2, "two more words than arguments");
  require(arguments[0] == tools.archiver, "archiver first");
  require(arguments[1] == parts[2], "first argument second");
  require(arguments[2] == "--plugin" && arguments[3] == tools.plugin, "then the plugin option");
  for (int i = 2; i < argc; ++i) require(arguments[i + 2] == argv[i], "the rest in order");

  const std::string line = compose_command(arguments);
  require(!line.empty() && line.back() == ' ', "line ends in a space");
  require(split_shell(line) == arguments, "the echo splits back into the arguments");
  return 0;
}
