//===- main.h - The front ends' driver, called by each host's entry point ===//
#pragma once

#include "front_ends.h"
#include "native.h"

// Runs `front_end` once on its argument vector and returns the process's exit status.
int front_end_main(const FrontEnd& front_end, int argc, NativeChar** argv);
