#pragma once
// Read-only data built into the program (the letter text, the icon).

#include <string>

// The bytes of a named resource; false when it is missing or empty.
bool LoadResourceBytes(const char* name, std::string& bytes);
