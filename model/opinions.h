#pragma once
// The four audit opinions offered for item 10; the item's number is the
// position of the chosen one.

#include <string>

inline constexpr int kOpinionCount = 4;

// Windows-1250 text of an opinion, or nullptr for a number outside 0 to 3.
const std::string* OpinionText(int index);
