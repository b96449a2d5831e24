#pragma once
// The checks of one statement file, without a user: loaded as the wizard
// loads it, the sum rules of both years, the completeness of the header and
// the orderer, and optionally its text written out. No Qt here.

#include "model/completeness.h"
#include "model/document.h"
#include "model/messages.h"

#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace checker {

enum class Status { Clean, Warnings, Errors, Unreadable };

struct FailedRule {
    int year; // 0 current, 1 previous
    int rule; // 0 to 14
};

struct FormGap {
    Form form;
    Gap gap;
};

struct FileReport {
    std::string path;      // file system bytes, as given or found
    std::string readError; // UTF-8; empty when the statement was read
    std::vector<FailedRule> rules;
    std::vector<FormGap> gaps;
    std::string textFile;  // the text file written, or to be written
    std::string textError; // UTF-8

    Status GetStatus() const;
};

// Records the message boxes instead of showing them; every question is
// answered No.
class RecordingHost : public IMessageHost {
public:
    int MessageBox(const std::string& text, unsigned style) override;
    bool OpenFileName(std::string&, const std::string&, const std::string&) override;

    std::vector<std::string> boxes; // Windows-1250
};

// The folder's statement files (*.bil in any letter case), sorted by name;
// with `recursive` those of its subfolders too (links to folders are not
// followed). Folders that cannot be read are added to `unreadable`.
void FindStatements(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::vector<std::string>& unreadable);

class Checker {
public:
    // `textDir` empty: no texts are written.
    Checker(std::string textDir, bool oneTab);
    ~Checker();
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

    // Files that a text file must never replace.
    void AddInput(const std::string& path);
    FileReport Check(const std::string& path);
    // The statement the files are loaded into (for the items' labels).
    const CUzData& Data() const { return m_doc.m_data; }

private:
    void WriteText(FileReport& report);
    std::string TakeMessages();

    RecordingHost m_host;
    IMessageHost* m_previousHost;
    CUzDocument m_doc;
    std::string m_textDir;
    bool m_oneTab;
    std::set<std::pair<dev_t, ino_t>> m_inputs;
    std::set<std::pair<dev_t, ino_t>> m_written;
};

// UTF-8 of a Windows-1250 text of the program (string table, labels).
std::string Utf8(const std::string& cp1250Text);

} // namespace checker
