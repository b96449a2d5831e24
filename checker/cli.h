#pragma once
// The command line of bil-check.

#include <cstdio>

namespace checker {

// Runs bil-check with its arguments (argv[0] is the program); reports go to
// `out`, help, usage errors and the progress line to `err`. Returns the exit
// status: 0 every file clean, 1 a file with errors or unreadable, 2 a usage
// error.
int Run(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace checker
