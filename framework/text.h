#pragma once
// QString <-> Windows-1250, the only place the GUI converts texts.

#include <QString>

#include <string>

// Bytes Windows-1250 does not define show as U+FFFD.
QString FromCp1250(const std::string& text);

// False when a character cannot be held in Windows-1250 (or the string is not
// valid UTF-16); `badChar` then gets its position (0-based, in characters).
bool ToCp1250(const QString& text, std::string& out, qsizetype* badChar = nullptr);

// A UTF-8 literal of the program as Windows-1250 bytes.
std::string Cp1250(const char* utf8);
