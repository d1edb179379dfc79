//===- native.h - The host's native character type: the one platform switch ===//
#pragma once

#include <string>

// Windows hands arguments and paths around as UTF-16, POSIX as bytes; everything
// that carries them is written in terms of these two names.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// A path, argument or command line as the host's process calls take it.
using NativeString = std::basic_string<NativeChar>;
