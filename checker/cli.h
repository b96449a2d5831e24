#pragma once
// The command line of bil-check.

#include <chrono>
#include <cstdio>

namespace checker {

// Runs bil-check with its arguments (argv[0] is the program); reports go to
// `out`, help, usage errors and the progress line to `err`. Returns the exit
// status: 0 every file clean, 1 a file with errors or unreadable, 2 a usage
// error or a report that could not be written (2 wins over 1). The progress
// line appears on a terminal once the batch has run `progressAfter`.
int Run(int argc, char** argv, std::FILE* out, std::FILE* err,
        std::chrono::milliseconds progressAfter = std::chrono::seconds(1));

} // namespace checker
