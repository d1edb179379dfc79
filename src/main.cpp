//===- main.cpp - The driver: locate, check, compose, echo, run ===//
#include "main.h"

#include <cstdio>
#include <cwchar>
#include <string>

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
// of the line, newline included, gluing the tool's output onto it: it shows as
// '?' instead, and the tool still gets it exactly.
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
int fail(const std::string& message) {
  std::fputs(message.c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  return 1;
}

}  // namespace

int front_end_main(const FrontEnd& front_end, int argc, NativeChar** argv) {
  const std::optional<ToolPaths> tools = locate_tools(front_end.tool, argc > 0 ? argv[0] : nullptr);
  if (!tools) return fail(std::string("failed to find ") + front_end.tool + kExecutableSuffix);
  // argc is 0 when a POSIX caller passes no argv[0] at all.
  const int count = argc > 0 ? argc - 1 : 0;
  if (count < front_end.minimum_arguments) return fail(" too less arguments");

  const std::vector<NativeString> arguments =
      tool_arguments(*tools, front_end.arguments_before_plugin, argc, argv);
  // Flushed before the launch, so the echo precedes whatever the tool writes.
  if (front_end.echo) write_line(stdout, compose_command(arguments));
  const RunResult result = run_and_wait(tools->tool, arguments);
  if (result.started) return result.exit_status;

  if (front_end.launch_failure == LaunchFailure::kStdoutAfterEcho) {
    std::printf("failed to create process %d", result.launch_error);
  } else {
    std::fprintf(stderr, "failed to create process %d\n", result.launch_error);
  }
  return 1;
}
