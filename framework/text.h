#pragma once
// QString <-> Windows-1250 for texts, QString <-> file system bytes for
// paths: the only place the GUI converts either.

#include <QString>

#include <string>

// Bytes Windows-1250 does not define show as U+FFFD.
QString FromCp1250(const std::string& text);

// False when a character cannot be held in Windows-1250 (or the string is not
// valid UTF-16); `badChar` then gets its position (0-based, in characters).
bool ToCp1250(const QString& text, std::string& out, qsizetype* badChar = nullptr);

// A UTF-8 literal of the program as Windows-1250 bytes.
std::string Cp1250(const char* utf8);

// A path's bytes as the file system names them (UTF-8 here), for showing.
QString FileNameText(const std::string& path);
// The bytes of a name for the file system; false when the file system
// cannot name it exactly (a broken character), `path` then empty.
bool FileNameBytes(const QString& name, std::string& path);
