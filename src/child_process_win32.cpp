//===- child_process_win32.cpp - Running the tool with CreateProcessW ===//
#include <windows.h>

#include "child_process.h"
#include "tool_paths.h"

RunResult run_and_wait(const std::wstring& program, const std::vector<std::wstring>& arguments) {
  const std::wstring command_line = compose_command(arguments);
  // CreateProcessW may write into its command line, so it gets a copy of its own.
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // Naming the application stops the platform from trying each space-separated
  // prefix of an unquoted path (C:\Program.exe for C:\Program Files\...), and
  // starts the file by its full wide path whatever form argv[0] takes.
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return RunResult{false, 1, static_cast<int>(GetLastError())};
  }

  DWORD status = 1;
  if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.hProcess, &status)) {
    status = 1;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // The full 32 bits pass through: exception codes such as 0xC0000005 included.
  return RunResult{true, static_cast<int>(status), 0};
}
