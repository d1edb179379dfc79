//===- fuzz_layout.cpp - The tool's arguments, laid out and echoed ===//
//
// For any tool paths, arguments and count of arguments ahead of the plugin option:
// the tool comes first, then that many arguments (or all, if fewer), "--plugin",
// the plugin and the rest in order; and the echo, split as a shell splits it,
// gives exactly that vector back.
#include <algorithm>

#include "fuzz_input.h"
#include "shell_split.h"
#include "tool_paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte says how many arguments go ahead of the option: 1 for ar, 0 for nm.
  const int before_plugin = data[0] % 4;
  const std::vector<std::string> parts =
      split_at_nul(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  if (parts.size() < 2) return 0;
  const ToolPaths tools{parts[0], parts[0] + "/tevk-tool", parts[0] + "/tevk-tool", parts[1]};
  // argv[0] is the front end's own name, never used.
  std::vector<const char*> argv = {"tevk-tool-lto"};
  for (size_t i = 2; i < parts.size(); ++i) argv.push_back(parts[i].c_str());
  const int argc = static_cast<int>(argv.size());

  const std::vector<std::string> arguments =
      tool_arguments(tools, before_plugin, argc, argv.data());
  const int ahead = std::min(before_plugin, argc - 1);
  require(arguments.size() == static_cast<size_t>(argc) + 2, "two more words than arguments");
  require(arguments[0] == tools.tool_argv0, "tool first");
  for (int i = 1; i <= ahead; ++i) require(arguments[i] == argv[i], "the ones ahead in order");
  require(arguments[ahead + 1] == "--plugin" && arguments[ahead + 2] == tools.plugin,
          "then the plugin option");
  for (int i = ahead + 1; i < argc; ++i) require(arguments[i + 2] == argv[i], "the rest in order");

  const std::string line = compose_command(arguments);
  require(!line.empty() && line.back() == ' ', "line ends in a space");
  require(split_shell(line) == arguments, "the echo splits back into the arguments");
  return 0;
}
