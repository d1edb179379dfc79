//===- tool_paths.h - Where the tools lie, and the tool's command line ===//
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native.h"

// The tool and the plugin, which always lie beside the front end itself.
struct ToolPaths {
  NativeString directory;   // Holds the front end; no trailing separator, may be empty.
  NativeString tool;        // The tool's full path, by which it is started.
  NativeString tool_argv0;  // The tool's path on its own command line, which it reads as argv[0].
  NativeString plugin;      // The plugin's path on the tool's command line.
};

// What this host appends to a program's name to make its file name: ".exe" or "".
extern const char kExecutableSuffix[];

// Finds `tool` (its name before kExecutableSuffix) and the plugin beside the running
// executable; nothing when its path has no directory. `program_name` is argv[0],
// used only on hosts that cannot name their own executable.
std::optional<ToolPaths> locate_tools(const char* tool, const NativeChar* program_name);

// `ascii` in the host's characters: widened unit by unit on Windows.
NativeString native_string(const char* ascii);

// The part of `path` before its last `separator`; nothing when it holds none.
template <class Char>
std::optional<std::basic_string<Char>> directory_of(std::basic_string_view<Char> path,
                                                    Char separator);

// The tool's argument vector: its argv0, the first `before_plugin` of the front end's
// arguments (fewer if it has fewer), "--plugin" and the plugin, then the rest.
std::vector<NativeString> tool_arguments(const ToolPaths& tools, int before_plugin, int argc,
                                         const NativeChar* const* argv);

// One Windows command line that the C runtime splits back into exactly `arguments`;
// every argument, the last included, is followed by one space.
std::wstring compose_command(const std::vector<std::wstring>& arguments);

// The POSIX echo: a line that a shell splits back into exactly `arguments`, laid out
// as the Windows one is.
std::string compose_command(const std::vector<std::string>& arguments);

// `argument` as the C runtime's splitting rules read it back: verbatim unless it is
// empty or holds a space, tab, newline, vertical tab or double quote.
std::wstring quote_windows_argument(std::wstring_view argument);

// `argument` as a POSIX shell reads it back: verbatim unless the shell would split
// or interpret it, then single-quoted.
std::string quote_shell_argument(std::string_view argument);
