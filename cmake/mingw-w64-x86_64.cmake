# 64-bit Windows with MinGW-w64's win32 thread model, so that the suite also runs
# under a 64-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(TEVK_WINE_LOADER /usr/lib/wine/wine64 CACHE FILEPATH "Wine's loader for the tests")
set(TEVK_OBJDUMP x86_64-w64-mingw32-objdump)
# The host that the tests build the real Windows tools for.
set(TEVK_WINDOWS_HOST x86_64-w64-mingw32)
