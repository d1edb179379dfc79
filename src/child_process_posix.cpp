//===- child_process_posix.cpp - Handing the process over to the tool ===//
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "child_process.h"

RunResult run_and_wait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The tool takes this process's place: no front end waits behind it, and its
  // exit status and any signal that ends it reach the caller as they are. execv,
  // not execvp: the tool is the file beside the front end, never one on PATH.
  // stdio's buffers do not survive the exec.
  std::fflush(stdout);
  execv(program.c_str(), argv.data());
  return RunResult{false, 1, errno};
}
