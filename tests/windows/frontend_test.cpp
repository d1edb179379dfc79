//===- frontend_test.cpp - End-to-end tests of the Windows front ends ===//
//
// Usage: frontend_test ar|nm|ranlib FRONT_END STANDIN GROUP
//
// Lays out tool directories with a copy of the built front end beside the stand-in
// tool, runs the front end as a build would, and checks its output streams, its
// exit status (all 32 bits, which Wine cannot hand to a Linux parent) and what the
// tool received. Prints "N passed, M failed"; exits non-zero on a failure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "random_arguments.h"
#include "record.h"

namespace {

// What each front end must do, written down here apart from the program's own rows.
struct Kind {
  std::wstring tool;     // The file it runs.
  size_t before_plugin;  // How many of its arguments go ahead of "--plugin".
  size_t minimum;        // Fewer arguments is " too less arguments".
  bool echo;             // Echoes the tool's command line; else stdout is the tool's alone.
};
const std::map<std::wstring, Kind> kKinds = {
    {L"ar", {L"tevk-ar.exe", 1, 2, true}},
    {L"nm", {L"tevk-nm.exe", 0, 0, false}},
    {L"ranlib", {L"tevk-ranlib.exe", 0, 0, false}},
};

int g_passed = 0;
int g_failed = 0;
int g_wine_retries = 0;
Kind g_kind;
std::wstring g_front_end;
std::wstring g_standin;
std::wstring g_base;  // A fresh directory that holds every case's files.

// Non-ASCII as \uXXXX, so that failure messages stay readable in any locale.
std::string printable(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c) & 0xffff);
      out += escape;
    }
  }
  return out;
}

std::string printable(const std::string& bytes) {
  std::wstring units;
  for (unsigned char byte : bytes) units += static_cast<wchar_t>(byte);
  return printable(units);
}

std::string printable(DWORD status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", status);
  return text;
}

std::string printable(const std::vector<std::wstring>& list) {
  std::string out = "[";
  for (const std::wstring& item : list) out += "\"" + printable(item) + "\" ";
  return out + "]";
}

template <class T>
void expect_eq(const std::string& what, const T& actual, const T& expected) {
  if (actual == expected) {
    ++g_passed;
    return;
  }
  ++g_failed;
  std::printf("FAIL %s\n  actual:   %s\n  expected: %s\n", what.c_str(), printable(actual).c_str(),
              printable(expected).c_str());
}

void expect(const std::string& what, bool ok) {
  expect_eq(what, std::string(ok ? "true" : "false"), std::string("true"));
}

// CTest hands over Unix paths; Wine shows the Unix root as drive Z:.
std::wstring windows_path(const wchar_t* path) {
  std::wstring result = path[0] == L'/' ? std::wstring(L"Z:") + path : path;
  for (wchar_t& c : result)
    if (c == L'/') c = L'\\';
  return result;
}

void create_directories(const std::wstring& path) {
  for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1))
    CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

void remove_tree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

void write_file(const std::wstring& path, const std::string& content) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

std::optional<std::string> read_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

// The front end's name in every tool directory: not its own, since what it does
// comes from the build and never from its file name.
const wchar_t kFrontEndName[] = L"\\renamed-lto.exe";

// A tool directory as a user installs it: the front end, and beside it the
// stand-in as each of the three tools (without the front end's own, if so asked)
// and an (empty) plugin.
std::wstring make_tools(const std::wstring& directory, bool with_tool = true) {
  create_directories(directory);
  CopyFileW(g_front_end.c_str(), (directory + kFrontEndName).c_str(), FALSE);
  for (const auto& kind : kKinds) {
    if (with_tool || kind.second.tool != g_kind.tool)
      CopyFileW(g_standin.c_str(), (directory + L"\\" + kind.second.tool).c_str(), FALSE);
  }
  write_file(directory + L"\\LLVMgold.dll", "");
  return directory;
}

// Quotes every argument by the C runtime's rules, so the front end's own
// splitting is exercised on each one.
std::wstring quote(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L'"';
}

struct Run {
  std::string out;
  std::string err;
  DWORD status = 0;
  std::optional<Record> record;  // Set when the tool ran.
};

std::optional<Record> read_record(const std::wstring& path) {
  const std::optional<std::string> text = read_file(path);
  if (!text) return std::nullopt;
  Record record;
  size_t start = 0;
  for (size_t end; (end = text->find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text->substr(start, end - start);
    const size_t space = line.find(' ');
    const std::string key = line.substr(0, space);
    const std::wstring value = from_hex(line.substr(space + 1));
    if (key == "module") record.module = value;
    if (key == "cmdline") record.command_line = value;
    if (key == "arg") record.argv.push_back(value);
  }
  return record;
}

HANDLE inheritable_file(const std::wstring& path, bool writable = true) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs the front end in `tools` on the raw command-line text `tail`, from `tools`
// as the current directory, with the tool told to exit with `tool_exit`.
// With `writable_stdout` false, every write to standard output fails.
Run run_once(const std::wstring& tools, const std::wstring& tail, DWORD tool_exit,
             bool writable_stdout) {
  const std::wstring record_path = g_base + L"\\record.txt";
  const std::wstring out_path = g_base + L"\\stdout.txt";
  const std::wstring err_path = g_base + L"\\stderr.txt";
  DeleteFileW(record_path.c_str());
  SetEnvironmentVariableW(L"STANDIN_RECORD", record_path.c_str());
  SetEnvironmentVariableW(L"STANDIN_EXIT", std::to_wstring(tool_exit).c_str());

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable_file(out_path, writable_stdout);
  startup.hStdError = inheritable_file(err_path);
  PROCESS_INFORMATION process = {};
  const std::wstring front_end = tools + kFrontEndName;
  std::wstring command_line = quote(front_end) + L" " + tail;
  Run run;
  if (!CreateProcessW(front_end.c_str(), &command_line[0], nullptr, nullptr, TRUE, 0, nullptr,
                      tools.c_str(), &startup, &process)) {
    run.status = 0xdeadbeef;
    run.err = "test could not start the front end: failed to create process " +
              std::to_string(GetLastError());
  } else {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (run.err.empty()) run.err = read_file(err_path).value_or("");
  run.out = read_file(out_path).value_or("");
  run.record = read_record(record_path);
  return run;
}

// Wine now and then fails to start a process at all, ERROR_INTERNAL_ERROR (1359):
// the new process died before it was initialised (seen about once in 1500 runs).
// Such a run says nothing about the front end, which reports it faithfully, so it
// is run again; any other failure stands.
const DWORD kWineInternalError = 1359;

Run run_raw(const std::wstring& tools, const std::wstring& tail, DWORD tool_exit = 0,
            bool writable_stdout = true) {
  const std::string wine_failure = "failed to create process " + std::to_string(kWineInternalError);
  for (int attempt = 1;; ++attempt) {
    Run run = run_once(tools, tail, tool_exit, writable_stdout);
    const bool wine_failed =
        !run.record && (run.out + run.err).find(wine_failure) != std::string::npos;
    if (!wine_failed || attempt == 3) return run;
    ++g_wine_retries;
  }
}

Run run(const std::wstring& tools, const std::vector<std::wstring>& arguments,
        DWORD tool_exit = 0) {
  std::wstring tail;
  for (const std::wstring& argument : arguments) tail += quote(argument) + L" ";
  return run_raw(tools, tail, tool_exit);
}

// What msvcrt's wide stdout makes of `line` in the "C" locale that the front end
// runs in: each unit up to U+00FF as its own byte, anything else as '?', and a
// newline, in text mode, as CR LF.
std::string c_locale_bytes(const std::wstring& line) {
  std::string bytes;
  for (wchar_t c : line) bytes += c == L'\n' ? "\r\n" : std::string(1, c <= 0xff ? c : '?');
  return bytes;
}

// `path`, or with `shortened` its 8.3 short form: how the tool's command line
// names a file whose path the ANSI code page cannot hold.
std::wstring named(const std::wstring& path, bool shortened) {
  if (!shortened) return path;
  std::wstring short_path(32768, L'\0');
  short_path.resize(GetShortPathNameW(path.c_str(), &short_path[0], 32768));
  return short_path;
}

// The tool's argument vector for the front end's `arguments` in `tools`.
std::vector<std::wstring> tool_argv(const std::wstring& tools,
                                    const std::vector<std::wstring>& arguments,
                                    bool shortened = false) {
  const auto ahead = arguments.begin() + std::min(g_kind.before_plugin, arguments.size());
  std::vector<std::wstring> argv = {named(tools + L"\\" + g_kind.tool, shortened)};
  argv.insert(argv.end(), arguments.begin(), ahead);
  argv.insert(argv.end(), {L"--plugin", named(tools + L"\\LLVMgold.dll", shortened)});
  argv.insert(argv.end(), ahead, arguments.end());
  return argv;
}

// The tool ran once, from `tools`, on `arguments`, and standard output is its own,
// after the echo of the line that it was started with if the front end echoes.
// With `shortened`, its command line names it and the plugin by their short forms.
void expect_tool_ran(const std::string& name, const Run& run, const std::wstring& tools,
                     const std::vector<std::wstring>& arguments, DWORD status = 0,
                     bool shortened = false) {
  expect(name + ": tool ran", run.record.has_value());
  if (!run.record) {
    std::printf("  stdout: %s\n  stderr: %s\n", printable(run.out).c_str(),
                printable(run.err).c_str());
    return;
  }
  const std::string echo = g_kind.echo ? c_locale_bytes(run.record->command_line) + "\r\n" : "";
  expect_eq(name + ": tool's own path", run.record->module, tools + L"\\" + g_kind.tool);
  expect_eq(name + ": tool's argv", run.record->argv, tool_argv(tools, arguments, shortened));
  expect_eq(name + ": stdout", run.out, echo + "standin stdout\r\n");
  expect_eq(name + ": stderr is the tool's", run.err, std::string("standin stderr\r\n"));
  expect_eq(name + ": exit status", run.status, status);
}

std::string first_line(const std::string& out) { return out.substr(0, out.find('\r')); }

void test_outcomes() {
  const std::wstring tools = make_tools(g_base + L"\\outcomes");
  const std::wstring tool = tools + L"\\" + g_kind.tool;
  const std::wstring plugin = tools + L"\\LLVMgold.dll";

  const std::vector<std::wstring> typical_arguments = {L"rcs", L"libm.a", L"a.o", L"b.o"};
  const Run typical = run(tools, typical_arguments);
  expect_tool_ran("typical run", typical, tools, typical_arguments);
  if (g_kind.echo)
    expect_eq("typical run: echo", first_line(typical.out),
              c_locale_bytes(tool + L" rcs --plugin " + plugin + L" libm.a a.o b.o "));

  // Below the minimum the front end refuses; from it on, the tool runs (probes too).
  const std::vector<std::vector<std::wstring>> counts = {{}, {L"--version"}, {L"s", L"libm.a"}};
  for (const std::vector<std::wstring>& arguments : counts) {
    const std::string name = std::to_string(arguments.size()) + " argument(s)";
    const Run r = run(tools, arguments);
    if (arguments.size() >= g_kind.minimum) {
      expect_tool_ran(name, r, tools, arguments);
      continue;
    }
    expect_eq(name + ": stdout", r.out, std::string());
    expect_eq(name + ": stderr", r.err, std::string(" too less arguments\r\n"));
    expect_eq(name + ": exit status", r.status, DWORD{1});
    expect(name + ": no tool started", !r.record);
  }
  if (g_kind.echo)
    expect_eq("two arguments: echo", first_line(run(tools, {L"s", L"libm.a"}).out),
              c_locale_bytes(tool + L" s --plugin " + plugin + L" libm.a "));

  // Its own tool missing, though the others lie beside it.
  const std::wstring bare = make_tools(g_base + L"\\no-tool", false);
  const Run missing = run(bare, {L"rcs", L"libm.a", L"a.o"});
  const std::string failure = "failed to create process 2";
  if (g_kind.echo) {
    expect_eq("missing tool: stdout", missing.out,
              c_locale_bytes(bare + L"\\" + g_kind.tool + L" rcs --plugin " + bare +
                             L"\\LLVMgold.dll libm.a a.o \n") +
                  failure);
    expect_eq("missing tool: stderr", missing.err, std::string());
  } else {
    expect_eq("missing tool: stdout", missing.out, std::string());
    expect_eq("missing tool: stderr", missing.err, failure + "\r\n");
  }
  expect_eq("missing tool: exit status", missing.status, DWORD{1});

  // An echo that cannot be written does not stop the launch.
  const Run unwritable = run_raw(tools, L"rcs libm.a a.o", 3, false);
  expect("unwritable stdout: tool ran", unwritable.record.has_value());
  if (unwritable.record)
    expect_eq("unwritable stdout: tool's argv", unwritable.record->argv,
              tool_argv(tools, {L"rcs", L"libm.a", L"a.o"}));
  expect_eq("unwritable stdout: exit status", unwritable.status, DWORD{3});
}

void test_exit_codes() {
  const std::wstring tools = make_tools(g_base + L"\\exit-codes");
  const std::vector<std::wstring> arguments = {L"rcs", L"libm.a", L"a.o"};
  for (DWORD code : {0u, 1u, 255u, 256u, 0xC0000005u, 0xFFFFFFFFu}) {
    const Run r = run(tools, arguments, code);
    expect_tool_ran("exit code " + std::to_string(code), r, tools, arguments, code);
  }
}

void test_arguments() {
  const std::wstring tools = make_tools(g_base + L"\\arguments");
  // A file for a wildcard to match, were the front end to expand one.
  write_file(tools + L"\\a.o", "");
  const std::vector<std::pair<std::string, std::vector<std::wstring>>> cases = {
      {"spaces", {L"rcs", L"lib a.a", L"a b.o", L" ", L"  lead.o", L"trail.o  "}},
      {"empty ones", {L"rcs", L"", L"a.o", L"", L""}},
      {"empty first", {L"", L"libm.a", L"a.o"}},
      {"option injection", {L"rcs", L"x.a", L"x.o --plugin C:\\other.dll"}},
      {"quotes", {L"rcs", L"x.a", L"say \"hi\".o", L"\"", L"\"\"", L"\"a b\""}},
      {"backslashes",
       {L"rcs", L"dir\\", L"a b\\", L"a b\\\\", L"a\\\\\"b", L"\\\\server\\share\\x.o",
        L"C:\\dir\\sub\\", L"\\"}},
      {"other white space", {L"rcs", L"x.a", L"\t", L"a\nb", L"\v", L"a\tb c"}},
      {"no wildcard expansion", {L"rcs", L"x.a", L"*.o", L"?.o"}},
      {"non-ASCII",
       {L"rcs", L"\u00e9t\u00e9.a", L"\u65e5\u672c \u8a9e.o", L"\U0001F600.o", L"\u00ff\u0100"}},
      {"not valid UTF-16", {L"rcs", L"x.a", L"\xD800", L"a\xDC00 b", L"\xDBFF"}},
      {"long", {L"rcs", L"x.a", std::wstring(8000, L'a'), std::wstring(300, L' ')}},
  };
  for (const auto& [name, arguments] : cases)
    expect_tool_ran(name, run(tools, arguments), tools, arguments);

  // The front end's own command line as a shell or a build tool might write it.
  const Run raw = run_raw(tools, L"rcs x.a \"a b\".o c\\\"d.o \"e\\\\\" f.o");
  expect_tool_ran("raw command line", raw, tools,
                  {L"rcs", L"x.a", L"a b.o", L"c\"d.o", L"e\\", L"f.o"});
}

void test_paths() {
  // An unquoted path would let the platform run base\my.exe for "base\my tools\...".
  const std::wstring spaced = make_tools(g_base + L"\\my tools\\bin");
  CopyFileW(g_standin.c_str(), (g_base + L"\\my.exe").c_str(), FALSE);
  const std::vector<std::wstring> arguments = {L"rcs", L"libm.a", L"a.o"};
  const Run r = run(spaced, arguments);
  expect_tool_ran("directory with a space", r, spaced, arguments);
  if (g_kind.echo)
    expect_eq("directory with a space: echo", first_line(r.out),
              c_locale_bytes(L"\"" + spaced + L"\\" + g_kind.tool + L"\" rcs --plugin \"" + spaced +
                             L"\\LLVMgold.dll\" libm.a a.o "));

  // The tools are narrow-character programs, whose argv comes through the ANSI code
  // page (1252 here, from wine.sh's locale). It holds Latin-1: the paths stay.
  expect_eq("ANSI code page", DWORD{GetACP()}, DWORD{1252});
  const std::wstring latin = make_tools(g_base + L"\\Zo\u00eb tools");
  expect_tool_ran("Latin-1 directory", run(latin, arguments), latin, arguments);

  // It holds neither CJK nor an emoji: the command line names the tool and the
  // plugin by their short forms, while the tool is started by its full path.
  const std::wstring unicode = make_tools(g_base + L"\\t\u00ebst \u65e5\u672c\U0001F600");
  const std::wstring tool = unicode + L"\\" + g_kind.tool;
  expect("the tool has a short form of its own", named(tool, true) != tool);
  expect_tool_ran("directory that the code page cannot hold", run(unicode, arguments), unicode,
                  arguments, 0, true);
}

// Seeded random vectors: each must reach the tool exactly, status and all.
void test_random(uint64_t seed) {
  std::printf("seed %llu; replay with: frontend_test KIND FRONT_END STANDIN random %llu\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  std::mt19937_64 rng(seed);
  const std::wstring tools = make_tools(g_base + L"\\random");
  const DWORD codes[] = {0, 1, 2, 255, 256, 0xC0000005, 0xFFFFFFFF};
  for (int i = 0; i < 300; ++i) {
    // Room for quoting to double it within Windows' 32,767-unit command line.
    const std::vector<std::wstring> arguments =
        random_arguments<wchar_t>(rng, Units::kUtf16, 10000);
    const DWORD code = codes[rng() % (sizeof codes / sizeof codes[0])];
    expect_tool_ran("random vector " + std::to_string(i), run(tools, arguments, code), tools,
                    arguments, code);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const uint64_t seed =
      argc > 5 ? std::wcstoull(argv[5], nullptr, 10) : GetTickCount() ^ GetCurrentProcessId();
  const std::map<std::wstring, std::function<void()>> groups = {
      {L"outcomes", test_outcomes},
      {L"exit_codes", test_exit_codes},
      {L"arguments", test_arguments},
      {L"paths", test_paths},
      {L"random", [seed] { test_random(seed); }},
  };
  if (argc < 5 || argc > 6 || kKinds.count(argv[1]) == 0 || groups.count(argv[4]) == 0) {
    std::fprintf(stderr,
                 "usage: frontend_test ar|nm|ranlib FRONT_END STANDIN GROUP\n"
                 "  GROUP: outcomes, exit_codes, arguments, paths, or random [SEED]\n");
    return 2;
  }
  g_kind = kKinds.at(argv[1]);
  g_front_end = windows_path(argv[2]);
  g_standin = windows_path(argv[3]);
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  g_base = std::wstring(temp) + L"tevk-test-" + argv[1] + L"-" + argv[4] + L"-" +
           std::to_wstring(GetCurrentProcessId());
  create_directories(g_base);

  groups.at(argv[4])();

  remove_tree(g_base);
  if (g_wine_retries > 0)
    std::printf("runs that Wine failed to start, run again: %d\n", g_wine_retries);
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
