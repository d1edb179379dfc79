//===- front_ends.cpp - The three front ends' rows ===//
#include "front_ends.h"

// ar's key letters must stay first, so "--plugin" follows them; nm and ranlib take
// it ahead of everything. The archiver front end's echo, its two-argument minimum
// and its launch failure on standard output are what its callers rely on; nm and
// ranlib are probed with no arguments or "--version", and nm's listing is data.
// clang-format off
//                                    tool           before  minimum  echo   launch failure
const FrontEnd kArFrontEnd =        {"tevk-ar",      1,      2,       true,  LaunchFailure::kStdoutAfterEcho};
const FrontEnd kNmFrontEnd =        {"tevk-nm",      0,      0,       false, LaunchFailure::kStderrLine};
const FrontEnd kRanlibFrontEnd =    {"tevk-ranlib",  0,      0,       false, LaunchFailure::kStderrLine};
// clang-format on
