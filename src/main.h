//===- main.h - The front end's driver, called by each host's entry point ===//
#pragma once

#include "native.h"

// Runs the front end once on its argument vector and returns the process's exit status.
int front_end_main(int argc, NativeChar** argv);
