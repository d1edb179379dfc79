//===- front_ends.h - What sets each front end apart: one row of data apiece ===//
#pragma once

// Where a launch failure, "failed to create process N", is reported.
enum class LaunchFailure {
  kStdoutAfterEcho,  // Standard output with no newline, right after the echo.
  kStderrLine,       // Standard error, as a line: standard output is the tool's data.
};

// One front end: the tool it runs and how it treats that tool's command line.
// Each executable is the same driver built with its own row (TEVK_FRONT_END), so
// a renamed copy behaves as the original does.
struct FrontEnd {
  const char* tool;              // The tool's file name, before the host's ".exe".
  int arguments_before_plugin;   // How many of the front end's arguments go ahead of "--plugin".
  int minimum_arguments;         // Fewer is " too less arguments", status 1.
  bool echo;                     // Prints the tool's command line before running it.
  LaunchFailure launch_failure;  // Where a failed launch is reported.
};

// The archiver: "ar rcs --plugin P lib.a ...", its command line echoed.
extern const FrontEnd kArFrontEnd;
// The symbol lister, whose standard output build scripts parse.
extern const FrontEnd kNmFrontEnd;
// The archive indexer, which CMake and libtool run after the archiver.
extern const FrontEnd kRanlibFrontEnd;
