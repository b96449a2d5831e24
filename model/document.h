#pragma once
// The document: the statement file's path, the pending file error and the
// statement itself.
//
// Statement file: no header; 134 records in tag order, nothing else. A record
// is tag (int32), length (int32), `length` bytes of value text (Windows-1250,
// no terminating zero), number (int32). All integers little-endian.

#include "model/data.h"
#include "model/fileio.h"

#include <cstdint>
#include <string>

enum FileError : std::int32_t {
    FileErrNone = 0,
    FileErrOpen = 1,
    FileErrClose = 2,
    FileErrDelete = 3,
    FileErrRead = 4,
    FileErrWrite = 5,
};

class CUzDocument {
public:
    CUzDocument();

    void Reset();
    // Reads the statement from m_strPath, or proves that a new file can be
    // created there. False: the values are empty and either a message was
    // shown or m_nError holds a code for ShowFileError.
    bool Load();
    bool CanCreate();
    // Writes the statement to m_strPath without destroying the previous file
    // when writing fails.
    bool Save();
    // Reports m_nError, if any, with the file's name and m_nErrno's reason
    // when a save failed, and resets both.
    void ShowFileError();

    // The statement text (text/layout.cpp). 1 built, 0 out of memory.
    int BuildText(std::string& text) const;

    std::string m_strPath;
    std::int32_t m_nError = FileErrNone;
    // Why the last save failed (errno), for the second line of its message.
    int m_nErrno = 0;
    CUzData m_data;
    // The statement file as it was when loaded or last saved (for a new
    // statement: that it did not exist), to notice another program's change.
    fileio::FileIdentity m_identity;
};

// Reading a statement file with read access only, creating nothing beside it
// (the checker, the PDF from the command line, drafts).
enum class ReadResult {
    Ok,
    Missing,    // no such file
    Denied,     // no right to read it
    OpenFailed, // it cannot be opened for another reason
    Damaged,    // not a statement file, not a regular file, a link loop
};
// Loads `path` into `data` (values and marks cleared first; cleared again on
// failure). `identity`, when given, gets the identity of what was read.
ReadResult ReadStatementFile(const std::string& path, CUzData& data,
                             fileio::FileIdentity* identity = nullptr);
// The message of a failed read (Windows-1250).
std::string ReadResultText(ReadResult result);

// The program's one document.
extern CUzDocument g_doc;
