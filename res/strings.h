#pragma once
// The program's string table, ids 10000 to 10030, in UTF-8 as written
// (the message functions hand them on in Windows-1250).

// The text of an id, or nullptr when the table has none.
const char* StringTableUtf8(int id);

inline constexpr int kFirstStringId = 10000;
inline constexpr int kLastStringId = 10030;
