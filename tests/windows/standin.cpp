//===- standin.cpp - A stand-in archiver that records how it was started ===//
//
// Environment: STANDIN_RECORD names the file to write the record to (nothing is
// written without it); STANDIN_EXIT is the exit code, in C syntax (0xC0000005).
// It writes one line to each output stream, so tests can see where they went.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "record.h"

int wmain(int argc, wchar_t** argv) {
  if (const wchar_t* path = _wgetenv(L"STANDIN_RECORD")) {
    std::wstring module(32768, L'\0');
    module.resize(GetModuleFileNameW(nullptr, &module[0], 32768));
    std::FILE* record = _wfopen(path, L"w");
    if (record == nullptr) return 99;
    std::fprintf(record, "module %s\n", to_hex(module).c_str());
    std::fprintf(record, "cmdline %s\n", to_hex(GetCommandLineW()).c_str());
    for (int i = 0; i < argc; ++i) std::fprintf(record, "arg %s\n", to_hex(argv[i]).c_str());
    std::fclose(record);
  }
  std::fputs("standin stdout\n", stdout);
  std::fputs("standin stderr\n", stderr);
  const wchar_t* code = _wgetenv(L"STANDIN_EXIT");
  return static_cast<int>(code != nullptr ? std::wcstoul(code, nullptr, 0) : 0);
}
