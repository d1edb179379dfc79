//===- main.cpp - The driver: locate, check, compose, echo, run ===//
#include "main.h"

#include <cstdio>
#include <cwchar>

#include "child_process.h"
#include "tool_paths.h"

// The echo on POSIX: the bytes as they are.
void write_line(std::FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// The echo on Windows, through the locale in force at start. A character that the
// locale cannot convert would otherwise leave the stream failed and swallow the rest
// of the line, newline included, gluing the archiver's output onto it: it shows as
// '?' instead, and the archiver still gets it exactly.
void write_line(std::FILE* stream, const std::wstring& line) {
  for (wchar_t c : line) {
    if (std::fputwc(c, stream) == WEOF) {
      std::clearerr(stream);
      std::fputwc(L'?', stream);
    }
  }
  std::fputwc(L'\n', stream);
  std::fflush(stream);
}

namespace {

// Reports one of the front end's own failures before anything is started.
int fail(const char* message) {
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  return 1;
}

}  // namespace

int front_end_main(int argc, NativeChar** argv) {
  const std::optional<ToolPaths> tools = locate_tools(argc > 0 ? argv[0] : nullptr);
  if (!tools) {
    std::fputs("failed to find ", stderr);
    return fail(kArchiverName);
  }
  if (argc <= 2) return fail(" too less arguments");

  const std::vector<NativeString> arguments = archiver_arguments(*tools, argc, argv);
  const NativeString command_line = compose_command(arguments);
  // Flushed before the launch, so the echo precedes whatever the archiver writes.
  write_line(stdout, command_line);
  return run_and_wait(command_line, arguments);
}
