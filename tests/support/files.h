#pragma once
// Temporary folders, file contents and privilege-dropping children for tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CUzData;

// A fresh folder under $TMPDIR, removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Runs `body` in a forked child and returns its exit status (the body's
// return value), or -1 when the child died. With `asNobody` the child first
// gives up root (uid/gid 65534), so that permissions are enforced in it the
// way they are for a user (hand it its folders with ChownToNobody first).
int RunInChild(const std::function<int()>& body, bool asNobody = false);

// Gives ownership of a path to the unprivileged user RunInChild switches to.
void ChownToNobody(const std::string& path);

// The test data folder (tests/data).
std::string TestDataPath(const std::string& name);

// UTF-8 to Windows-1250 by glibc alone, independent of the program's own
// conversion.
std::string Windows1250(const std::string& utf8);

// A statement written by hand in tests/data: one record per line,
// tag|text|number, the text in UTF-8 with \t and \r\n for TAB and CR LF;
// lines starting with # are comments.
struct Record {
    std::int32_t tag;
    std::string text; // Windows-1250
    std::int32_t number;
};
std::vector<Record> ReadRecords(const std::string& name);
// The records as the statement file's bytes: tag, length, text, number.
std::string EncodeRecords(const std::vector<Record>& records);
void FillStatement(CUzData& data, const std::vector<Record>& records);
