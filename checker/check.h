#pragma once
// The checks of one statement file, without a user: loaded as the wizard
// loads it, the sum rules of both years, the completeness of the header and
// the orderer, and optionally its text written out. No Qt here.

#include "model/completeness.h"
#include "model/document.h"
#include "model/messages.h"

#include <cstdint>
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

// What the office looks up in a readable statement: whom to call and the
// key figures. Texts in UTF-8, cleaned as Printable does.
struct Facts {
    std::string company, year;
    std::int32_t ico = 0;
    std::string person, phone, email; // the orderer's contact
    std::int32_t assets[kYearCount] = {};      // total assets by year
    std::int32_t liabilities[kYearCount] = {}; // total liabilities by year
};

struct FileReport {
    std::string path;      // file system bytes, as given or found
    std::string readError; // UTF-8; empty when the statement was read
    Facts facts;
    std::vector<FailedRule> rules;
    std::vector<FormGap> gaps;
    std::string textFile;  // the text file written, or to be written
    std::string textError; // UTF-8

    Status GetStatus() const;
};

// The folder's statement files (*.bil in any letter case), sorted by name;
// with `recursive` those of its subfolders too (links to folders are not
// followed). Folders that cannot be read are added to `unreadable`.
void FindStatements(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::vector<std::string>& unreadable);

// A batch: each statement checked, its text staged beside its target, and
// all texts put in place together with one sync of the file system.
class Checker {
public:
    // `textDir` empty: no texts are written; else it must exist.
    Checker(std::string textDir, bool oneTab);
    ~Checker();
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

    // Files that a text file must never replace.
    void AddInput(const std::string& path);
    bool IsInput(const std::string& path) const;
    // Checks `path` and appends its report to `batch`.
    void Check(const std::string& path, std::vector<FileReport>& batch);
    // Puts the staged texts in place: after a crash at any moment each is
    // its old or its new content, whole; when this returns, every text
    // without an error in `batch` is on disk.
    void CommitTexts(std::vector<FileReport>& batch);
    // The statement the files are loaded into (for the items' labels).
    const CUzData& Data() const { return m_doc.m_data; }

private:
    void StageText(FileReport& report, std::size_t index);

    struct Staged {
        std::size_t report; // in the batch
        fileio::StagedFile file;
    };

    SilentMessageHost m_host; // nothing asks or shows here
    IMessageHost* m_previousHost;
    CUzDocument m_doc;
    std::string m_textDir;
    bool m_oneTab;
    std::set<std::pair<dev_t, ino_t>> m_inputs;
    // The batch's texts by name, and the files they replace.
    std::set<std::string> m_textNames;
    std::set<std::pair<dev_t, ino_t>> m_replaced;
    std::vector<Staged> m_staged;
    std::set<std::string> m_folders; // those the texts go to
};

// A failed write in one line (UTF-8): the message and why.
std::string WriteError(fileio::WriteResult result, int error);
// UTF-8 of a Windows-1250 text of the program (string table, labels).
std::string Utf8(const std::string& cp1250Text);
// Valid UTF-8 without control characters: what is not UTF-8, C0 and C1
// controls, DEL and the non-characters U+FFFE and U+FFFF become '?', so that
// a hostile name can neither steer a terminal nor break a CSV, JSON or XML
// reader.
std::string Printable(const std::string& s);

} // namespace checker
