//===- main_win32.cpp - The Windows entry point of one front end ===//
#include "main.h"

// MinGW-w64's start-up expands wildcards in arguments when its C runtime was built
// to; an archiver must get "*.o" as written, whatever the toolchain's default.
extern "C" {
int _dowildcard = 0;
}

// The C runtime's wide start-up splits the command line by its standard rules and
// hands the UTF-16 arguments here; MinGW needs -municode to call it. TEVK_FRONT_END
// names this executable's row of front_ends.h, chosen by the build.
int wmain(int argc, wchar_t** argv, wchar_t** /*environment*/) {
  return front_end_main(TEVK_FRONT_END, argc, argv);
}
