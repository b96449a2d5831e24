#pragma once
// Temporary folders, file contents and privilege-dropping children for tests.

#include <functional>
#include <string>

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
