//===- tool_paths_test.cpp - Tool location, command layout and quoting ===//
#include "tool_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "crt_split.h"
#include "shell_split.h"

namespace {

TEST(DirectoryOf, WindowsPathsSplitAtTheLastBackslashOnly) {
  struct Case {
    const wchar_t* path;
    std::optional<std::wstring> directory;
  };
  const Case cases[] = {
      {L"C:\\tools\\bin\\tevk-ar-lto.exe", L"C:\\tools\\bin"},
      {L"C:\\x.exe", L"C:"},
      {L"\\x.exe", L""},
      {L"\\\\server\\share\\tools\\tevk-ar-lto.exe", L"\\\\server\\share\\tools"},
      {L"C:\\Program Files\\tevk\\tevk-ar-lto.exe", L"C:\\Program Files\\tevk"},
      {L"C:/tools/bin/tevk-ar-lto.exe", std::nullopt},
      {L"C:tevk-ar-lto.exe", std::nullopt},
      {L"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(directory_of<wchar_t>(c.path, L'\\'), c.directory)
        << std::string(c.path, c.path + std::wcslen(c.path));
  }
}

TEST(DirectoryOf, PosixPathsSplitAtTheLastSlash) {
  EXPECT_EQ(directory_of<char>("/opt/tevk/bin/tevk-ar-lto", '/'), "/opt/tevk/bin");
  EXPECT_EQ(directory_of<char>("/tevk-ar-lto", '/'), "");
  EXPECT_EQ(directory_of<char>("tevk-ar-lto", '/'), std::nullopt);
}

TEST(ToolArguments, ThePluginOptionGoesAfterAsManyArgumentsAsTheRowSays) {
  // The command line names the tool by its argv0, never by the path that starts it.
  const ToolPaths tools{"D", "D/started", "D/tool", "D/LLVMgold.so"};
  struct Case {
    int before_plugin;
    std::vector<const char*> argv;  // argv[0] included, as the runtime hands it over.
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // The archiver: its key letters stay first.
      {1,
       {"front", "rcs", "libm.a", "a.o", "b.o"},
       {"D/tool", "rcs", "--plugin", "D/LLVMgold.so", "libm.a", "a.o", "b.o"}},
      {1, {"front", "", "libm.a"}, {"D/tool", "", "--plugin", "D/LLVMgold.so", "libm.a"}},
      // nm and ranlib: the option ahead of every option, "--" and file name.
      {0,
       {"front", "-B", "--", "a b.o", ""},
       {"D/tool", "--plugin", "D/LLVMgold.so", "-B", "--", "a b.o", ""}},
      {0, {"front", "--version"}, {"D/tool", "--plugin", "D/LLVMgold.so", "--version"}},
      // Fewer arguments than go ahead of the option, and none at all: the tool
      // still runs, as build systems probe it.
      {0, {"front"}, {"D/tool", "--plugin", "D/LLVMgold.so"}},
      {1, {"front"}, {"D/tool", "--plugin", "D/LLVMgold.so"}},
      {2, {"front", "x"}, {"D/tool", "x", "--plugin", "D/LLVMgold.so"}},
      {0, {}, {"D/tool", "--plugin", "D/LLVMgold.so"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        tool_arguments(tools, c.before_plugin, static_cast<int>(c.argv.size()), c.argv.data()),
        c.expected)
        << "before_plugin " << c.before_plugin << ", argc " << c.argv.size();
  }
}

TEST(ComposeCommand, WindowsLineIsVerbatimForOrdinaryArgumentsAndEndsInASpace) {
  EXPECT_EQ(
      compose_command(std::vector<std::wstring>{L"D\\tevk-ar.exe", L"rcs", L"--plugin",
                                                L"D\\LLVMgold.dll", L"libm.a", L"a.o", L"b.o"}),
      L"D\\tevk-ar.exe rcs --plugin D\\LLVMgold.dll libm.a a.o b.o ");
  EXPECT_EQ(compose_command(std::vector<std::wstring>{L"\\tevk-ar.exe", L"rcs", L"--plugin",
                                                      L"\\LLVMgold.dll", L"x.a"}),
            L"\\tevk-ar.exe rcs --plugin \\LLVMgold.dll x.a ");
}

TEST(ComposeCommand, PosixLineHasTheSameLayout) {
  EXPECT_EQ(compose_command(std::vector<std::string>{"/d/tevk-ar", "rcs", "--plugin",
                                                     "/d/LLVMgold.so", "libm.a", "a b.o"}),
            "/d/tevk-ar rcs --plugin /d/LLVMgold.so libm.a 'a b.o' ");
}

TEST(QuoteWindowsArgument, QuotesOnlyWhatTheRuntimeWouldSplitOrStrip) {
  struct Case {
    const wchar_t* argument;
    const wchar_t* quoted;
  };
  const Case cases[] = {
      {L"libm.a", L"libm.a"},
      {L"C:\\dir\\", L"C:\\dir\\"},
      {L"\\\\server\\share\\a.o", L"\\\\server\\share\\a.o"},
      {L"", L"\"\""},
      {L"a b.o", L"\"a b.o\""},
      {L"a\tb", L"\"a\tb\""},
      {L"a\nb", L"\"a\nb\""},
      {L"a\vb", L"\"a\vb\""},
      {L"a\"b", L"\"a\\\"b\""},
      {L"a\\\"b", L"\"a\\\\\\\"b\""},
      {L"C:\\Program Files\\", L"\"C:\\Program Files\\\\\""},
      {L"C:\\Program Files\\a\\b.o", L"\"C:\\Program Files\\a\\b.o\""},
      {L"x.o --plugin C:\\other.dll", L"\"x.o --plugin C:\\other.dll\""},
  };
  for (const Case& c : cases) EXPECT_EQ(quote_windows_argument(c.argument), c.quoted);
}

// Arguments that have tripped up command-line quoting before.
const std::vector<std::wstring> kHardArguments = {
    L"",
    L" ",
    L"a b",
    L"\"",
    L"\"\"",
    L"\\",
    L"\\\\",
    L"a\\",
    L"a b\\",
    L"a b\\\\",
    L"\\\"",
    L"\\\\\"",
    L"a\\\\\\\"b c",
    L"\t",
    L"a\nb",
    L"\v",
    L"x.o --plugin C:\\other.dll",
    L"\"a b\"",
    L"*.o",
    L"\u00e9\u65e5\u672c",
    L"\xd800",
    L"C:\\dir with space\\",
    L"-",
};

TEST(QuoteWindowsArgument, EveryArgumentSurvivesTheRuntimesSplitting) {
  std::vector<std::wstring> arguments = {L"C:\\Program Files\\tevk\\tevk-ar.exe", L"rcs",
                                         L"--plugin", L"C:\\Program Files\\tevk\\LLVMgold.dll"};
  arguments.insert(arguments.end(), kHardArguments.begin(), kHardArguments.end());
  const std::wstring line = compose_command(arguments);
  EXPECT_EQ(split_crt(line, CrtRules::kMsvcrt), arguments);
  EXPECT_EQ(split_crt(line, CrtRules::kUcrt), arguments);

  // Each argument alone, also as the first and the last argument.
  for (const std::wstring& argument : kHardArguments) {
    const std::vector<std::wstring> alone = {L"tevk-ar.exe", argument, L"--plugin", L"LLVMgold.dll",
                                             argument};
    EXPECT_EQ(split_crt(compose_command(alone), CrtRules::kMsvcrt), alone);
    EXPECT_EQ(split_crt(compose_command(alone), CrtRules::kUcrt), alone);
  }
}

TEST(QuoteShellArgument, QuotesWhatAShellWouldSplitOrInterpret) {
  struct Case {
    const char* argument;
    const char* quoted;
  };
  const Case cases[] = {
      {"libm.a", "libm.a"},
      {"/usr/lib/llvm-14/lib/LLVMgold.so", "/usr/lib/llvm-14/lib/LLVMgold.so"},
      {"--plugin", "--plugin"},
      {"", "''"},
      {"a b.o", "'a b.o'"},
      {"it's", "'it'\\''s'"},
      {"$HOME", "'$HOME'"},
      {"*.o", "'*.o'"},
      {"~", "'~'"},
      {"=ls", "'=ls'"},
  };
  for (const Case& c : cases) EXPECT_EQ(quote_shell_argument(c.argument), c.quoted);
}

// What /bin/sh makes of `line`: the words it would hand to a command.
std::vector<std::string> split_by_shell(const std::string& line) {
  const std::string command = "printf '%s\\0' " + line;
  std::FILE* pipe = popen(command.c_str(), "r");
  std::vector<std::string> words(1);
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    if (c == '\0') {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(c);
    }
  }
  pclose(pipe);
  words.pop_back();
  return words;
}

TEST(QuoteShellArgument, EveryArgumentSurvivesARealShell) {
  const std::vector<std::string> arguments = {
      "/dir with space/tevk-ar",
      "",
      " ",
      "a b",
      "'",
      "''",
      "\"",
      "\\",
      "a\\",
      "$(echo no)",
      "`echo no`",
      "${x}",
      "a;b",
      "a|b",
      "a&b",
      "!",
      "#c",
      "*",
      "?",
      "[a]",
      "{a,b}",
      "~root",
      "a\tb\nc",
      "\xc3\xa9\xe6\x97\xa5",
      "\xff\xfe",
  };
  EXPECT_EQ(split_by_shell(compose_command(arguments)), arguments);
  // The model of a shell that the fuzz tests use agrees with the real one.
  EXPECT_EQ(split_shell(compose_command(arguments)), arguments);
}

}  // namespace
