//===- fuzz_windows_quoting.cpp - Windows command lines split back exactly ===//
//
// Any arguments, composed into a command line behind an archiver path with a
// space, come back unchanged from the C runtime's splitting, under msvcrt's rules
// and the UCRT's; and an argument that needs no quotes is left as it is.
#include "crt_split.h"
#include "fuzz_input.h"
#include "tool_paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::wstring> arguments = split_at_nul(units(data, size));
  arguments.insert(arguments.begin(), L"C:\\Program Files\\tevk\\tevk-ar.exe");
  const std::wstring line = compose_command(arguments);
  require(split_crt(line, CrtRules::kMsvcrt) == arguments, "msvcrt round trip");
  require(split_crt(line, CrtRules::kUcrt) == arguments, "UCRT round trip");

  for (const std::wstring& argument : arguments) {
    const bool plain =
        !argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos;
    require(plain == (quote_windows_argument(argument) == argument), "verbatim exactly when plain");
  }
  return 0;
}
