#include "checker/check.h"

#include "model/cp1250.h"
#include "model/fileio.h"
#include "text/layout.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace checker {

namespace {

bool IsStatementName(const std::string& name)
{
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".bil") == 0;
}

// The text file's name: the statement's name with .txt for its extension.
std::string TextName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name + ".txt";
}

std::pair<dev_t, ino_t> Identity(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

} // namespace

Status FileReport::GetStatus() const
{
    if (!readError.empty())
        return Status::Unreadable;
    if (!rules.empty() || !textError.empty())
        return Status::Errors;
    const bool error = std::any_of(gaps.begin(), gaps.end(),
                                   [](const FormGap& g) { return !IsWarning(g.gap.kind); });
    if (error)
        return Status::Errors;
    return gaps.empty() ? Status::Clean : Status::Warnings;
}

int RecordingHost::MessageBox(const std::string& text, unsigned style)
{
    boxes.push_back(text);
    return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

bool RecordingHost::OpenFileName(std::string&, const std::string&, const std::string&)
{
    return false;
}

void FindStatements(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::vector<std::string>& unreadable)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        unreadable.push_back(folder);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());

    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    for (const std::string& name : names) {
        const std::string path = prefix + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (recursive)
                FindStatements(path, true, files, unreadable);
        } else if (IsStatementName(name)) {
            files.push_back(path);
        }
    }
}

Checker::Checker(std::string textDir, bool oneTab)
    : m_previousHost(SetMessageHost(&m_host)), m_textDir(std::move(textDir)), m_oneTab(oneTab)
{
}

Checker::~Checker()
{
    SetMessageHost(m_previousHost);
}

void Checker::AddInput(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        m_inputs.insert(Identity(st));
}

std::string Checker::TakeMessages()
{
    std::string text;
    for (const std::string& box : m_host.boxes)
        text += (text.empty() ? "" : " ") + Utf8(box);
    m_host.boxes.clear();
    return text;
}

FileReport Checker::Check(const std::string& path)
{
    FileReport report;
    report.path = path;
    m_host.boxes.clear();

    // Load proves a missing name creatable by making and removing a file
    // there; a checker must leave the folders as they are.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT) {
        report.readError = "Soubor neexistuje.";
        return report;
    }
    m_doc.m_strPath = path;
    if (!m_doc.Load()) {
        m_doc.ShowFileError();
        report.readError = TakeMessages();
        if (report.readError.empty())
            report.readError = Utf8(LoadText(10009));
        return report;
    }

    CUzData& data = m_doc.m_data;
    data.CheckAll();
    for (int year = 0; year < kYearCount; ++year)
        for (int i = 0; i < data.m_errors[year].m_nCount; ++i)
            report.rules.push_back({year, data.m_errors[year].m_aRule[i]});
    for (Form form : {Form::Header, Form::Orderer})
        for (const Gap& gap : ListGaps(data, form))
            report.gaps.push_back({form, gap});

    if (!m_textDir.empty())
        WriteText(report);
    return report;
}

void Checker::WriteText(FileReport& report)
{
    report.textFile = m_textDir + "/" + TextName(report.path);
    std::string text;
    if (!m_doc.BuildText(text)) {
        report.textError = TakeMessages();
        return;
    }
    struct stat st;
    if (stat(report.textFile.c_str(), &st) == 0) {
        if (m_inputs.count(Identity(st))) {
            report.textError = "Textový soubor by přepsal vstupní soubor.";
            return;
        }
        if (m_written.count(Identity(st))) {
            report.textError = "Textový soubor stejného jména už zapsal jiný soubor dávky.";
            return;
        }
    }
    switch (fileio::ReplaceFile(report.textFile, TextFileBytes(text, m_oneTab))) {
    case fileio::WriteResult::Ok:
        if (stat(report.textFile.c_str(), &st) == 0)
            m_written.insert(Identity(st));
        return;
    case fileio::WriteResult::OpenFailed:
        report.textError = Utf8(LoadText(10006));
        return;
    case fileio::WriteResult::WriteFailed:
        report.textError = Utf8(LoadText(10010));
        return;
    }
}

std::string Utf8(const std::string& cp1250Text)
{
    std::string out;
    if (!cp1250::ToUtf8(cp1250Text, out).ok)
        out = "?";
    return out;
}

} // namespace checker
