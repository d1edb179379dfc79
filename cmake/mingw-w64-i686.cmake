# 32-bit Windows with MinGW-w64's win32 thread model: the posix model's
# winpthreads imports GetTickCount64, which Windows XP lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Wine's 32-bit loader; wine64 would exit 0 without running a 32-bit program.
set(TEVK_WINE_LOADER /usr/lib/wine/wine CACHE FILEPATH "Wine's loader for the tests")
set(TEVK_OBJDUMP i686-w64-mingw32-objdump)
# The host that the tests build the real Windows tools for.
set(TEVK_WINDOWS_HOST i686-w64-mingw32)
