//===- child_process_posix.cpp - Handing the process over to the archiver ===//
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "child_process.h"

int run_and_wait(const std::string& /*command_line*/, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The archiver takes this process's place: no front end waits behind it, and its
  // exit status and any signal that ends it reach the caller as they are. execv,
  // not execvp: the archiver is the file beside the front end, never one on PATH.
  std::fflush(stdout);
  execv(argv[0], argv.data());
  std::printf("failed to create process %d", errno);
  return 1;
}
