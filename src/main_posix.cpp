//===- main_posix.cpp - The POSIX entry point ===//
#include "main.h"

int main(int argc, char** argv) { return front_end_main(argc, argv); }
