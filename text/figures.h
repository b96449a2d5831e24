#pragma once
// Figures as a reader sees them, in print and on screen.

#include <cstdint>
#include <string>

// UTF-8: digits in groups of three joined by no-break spaces, a true minus
// sign ("−1 234 567"), so that a figure never breaks across lines.
std::string FigureText(std::int64_t n);
