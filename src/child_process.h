//===- child_process.h - Starting the archiver and passing on its exit status ===//
#pragma once

#include <vector>

#include "native.h"

// Runs the program `arguments[0]`, found by that full path and never by search, and
// returns its exit status; prints "failed to create process N" and returns 1 when
// it cannot be started. Windows hands the child `command_line`, POSIX `arguments`.
int run_and_wait(const NativeString& command_line, const std::vector<NativeString>& arguments);
