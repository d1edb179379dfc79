//===- child_process.h - Running the tool and passing on its exit status ===//
#pragma once

#include <vector>

#include "native.h"

// How a run ended: the tool's exit status, or why it could not be started.
struct RunResult {
  bool started;
  int exit_status;   // The tool's, all 32 bits of it on Windows.
  int launch_error;  // When not started: GetLastError() on Windows, errno on POSIX.
};

// Runs `program`, found by that full path and never by search, on exactly
// `arguments` (its argv[0] included), and waits for it. On POSIX the tool takes
// this process's place, so this returns only when it could not be started.
RunResult run_and_wait(const NativeString& program, const std::vector<NativeString>& arguments);
