#pragma once
// The program's string table, ids 10000 to 10030 (Windows-1250).

#include <string>

// The text of an id, or nullptr when the table has none.
const std::string* StringTableText(int id);

inline constexpr int kFirstStringId = 10000;
inline constexpr int kLastStringId = 10030;
