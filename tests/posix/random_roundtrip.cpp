//===- random_roundtrip.cpp - Seeded argument vectors through the real front end ===//
//
// Usage: random_roundtrip FRONT_END STANDIN WORK_DIR [SEED]
//
// Runs the built front end, beside the stand-in archiver, on a few hundred
// seeded random argument vectors. The archiver must receive each vector exactly,
// its exit status must pass through, and the echo, run by /bin/sh, must start the
// archiver with that same vector. Prints the seed, which replays a failure.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "random_arguments.h"

extern char** environ;

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `argv` with `exit_code` for the stand-in and standard output to `out`;
// returns the wait status.
int spawn(const std::vector<std::string>& argv, int exit_code, const std::string& out) {
  std::vector<char*> pointers;
  for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
  pointers.push_back(nullptr);
  setenv("STANDIN_EXIT", std::to_string(exit_code).c_str(), 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) == 0)
    waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return status;
}

// The NUL-separated words that the stand-in recorded.
std::vector<std::string> recorded(const std::string& path) {
  const std::string text = read_file(path);
  std::vector<std::string> words;
  size_t start = 0;
  for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    words.push_back(text.substr(start, end - start));
  return words;
}

std::string show(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& word : words) {
    out += '[';
    for (unsigned char c : word) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
      out += escaped;
    }
    out += "] ";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: random_roundtrip FRONT_END STANDIN WORK_DIR [SEED]\n");
    return 2;
  }
  const std::string work = argv[3];
  const std::string tools = work + "/tools";
  mkdir(work.c_str(), 0755);
  mkdir(tools.c_str(), 0755);
  const std::string copy = "cp '" + std::string(argv[1]) + "' '" + tools + "/tevk-ar-lto' && cp '" +
                           argv[2] + "' '" + tools + "/tevk-ar'";
  if (std::system(copy.c_str()) != 0) return 2;

  const uint64_t seed =
      argc > 4 ? std::strtoull(argv[4], nullptr, 10)
               : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::printf("seed %llu; replay with: random_roundtrip FRONT_END STANDIN WORK_DIR %llu\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  std::mt19937_64 rng(seed);
  const std::string record = work + "/record.bin";
  const std::string out = work + "/stdout.txt";
  setenv("STANDIN_RECORD", record.c_str(), 1);

  int passed = 0;
  int failed = 0;
  auto check = [&](bool ok, int vector, const char* what, const std::vector<std::string>& words) {
    if (ok) {
      ++passed;
      return;
    }
    ++failed;
    std::printf("FAIL vector %d: %s\n  %s\n", vector, what, show(words).c_str());
  };

  for (int i = 0; i < 300; ++i) {
    std::vector<std::string> front_end_argv = {tools + "/tevk-ar-lto"};
    const std::vector<std::string> arguments = random_arguments<char>(rng, Units::kBytes, 20000);
    front_end_argv.insert(front_end_argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> expected = {tools + "/tevk-ar", arguments[0], "--plugin",
                                         tools + "/LLVMgold.so"};
    expected.insert(expected.end(), arguments.begin() + 1, arguments.end());
    const int exit_code = static_cast<int>(rng() % 256);

    unlink(record.c_str());
    const int status = spawn(front_end_argv, exit_code, out);
    check(recorded(record) == expected, i, "the archiver's argument vector", arguments);
    check(WIFEXITED(status) && WEXITSTATUS(status) == exit_code, i, "the exit status", arguments);

    // The echo, without its newline and the stand-in's own line after it.
    const std::string output = read_file(out);
    const std::string tail = "\nstandin stdout\n";
    const bool shaped = output.size() >= tail.size() &&
                        output.compare(output.size() - tail.size(), tail.size(), tail) == 0;
    check(shaped, i, "stdout is the echo, then the archiver's", arguments);
    if (!shaped) continue;
    unlink(record.c_str());
    spawn({"/bin/sh", "-c", output.substr(0, output.size() - tail.size())}, 0, "/dev/null");
    check(recorded(record) == expected, i, "the echo, run by /bin/sh, does the same", arguments);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
