//===- main_posix.cpp - The POSIX entry point of one front end ===//
#include "main.h"

// TEVK_FRONT_END names this executable's row of front_ends.h, chosen by the build.
int main(int argc, char** argv) { return front_end_main(TEVK_FRONT_END, argc, argv); }
