#pragma once
// What the tests share: scratch folders and files, children that run as an
// unprivileged user, statements written by hand in tests/data, and a message
// host that records every box and answers from a queue.

#include "model/messages.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR, removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::string TestDataPath(const std::string& name);

// Runs `body` in a forked child and returns its exit status, -1 when it
// died. With `asNobody` the child first gives up root, so that permissions
// hold for it (hand it its files with ChownToNobody first); `group`, when
// not 0, is then its one supplementary group.
int RunInChild(const std::function<int()>& body, bool asNobody = false, unsigned group = 0);
void ChownToNobody(const std::string& path);

// UTF-8 to Windows-1250 by glibc alone, not the program's own conversion.
std::string Windows1250(const std::string& utf8);

// A statement in tests/data: one record per line, tag|text|number, the text
// in UTF-8 with \t and \r\n for TAB and CR LF; # starts a comment line.
struct Record {
    std::int32_t tag;
    std::string text; // Windows-1250
    std::int32_t number;
};
std::vector<Record> ReadRecords(const std::string& name);
// The statement file's bytes: per record tag, length, text, number.
std::string EncodeRecords(const std::vector<Record>& records);

// Records every box and file dialog, answers from queues (empty: No, cancel).
class ScriptedHost : public IMessageHost {
public:
    ScriptedHost() : m_previous(SetMessageHost(this)) {}
    ~ScriptedHost() override { SetMessageHost(m_previous); }
    int MessageBox(const std::string& text, unsigned style) override;
    bool OpenFileName(std::string& path, const std::string&, const std::string& filter) override;
    bool SaveFileName(std::string& path, const std::string&, const std::string& filter) override;
    // The string-table id whose text the i-th box showed (on its first line,
    // when a file error names its file and reason on a second), or 0.
    int BoxId(std::size_t i) const;
    std::vector<int> BoxIds() const;

    std::deque<int> answers;
    std::deque<std::string> files; // an empty name cancels
    IMessageHost* fileDialogs = nullptr; // set: file dialogs open there instead
    struct Box {
        std::string text; // Windows-1250
        unsigned style;
    };
    std::vector<Box> boxes;
    std::string filter;   // of the last file dialog
    std::string proposal; // the file the last file dialog proposed

private:
    IMessageHost* m_previous;
};
