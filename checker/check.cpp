#include "checker/check.h"

#include "model/cp1250.h"
#include "model/fileio.h"
#include "text/layout.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
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


// Tags of the items the office looks up.
constexpr int kCompanyTag = 1, kIcoTag = 2, kYearTag = 6, kAssetsTag = 11, kLiabilitiesTag = 37,
              kPersonTag = 131, kPhoneTag = 132, kEmailTag = 134;

Facts ReadFacts(const CUzData& data)
{
    const auto text = [&](int tag) { return Printable(Utf8(data.Item(tag).m_strValue)); };
    Facts f;
    f.company = text(kCompanyTag);
    f.year = text(kYearTag);
    f.ico = data.Item(kIcoTag).m_nNumber;
    f.person = text(kPersonTag);
    f.phone = text(kPhoneTag);
    f.email = text(kEmailTag);
    for (int year = 0; year < kYearCount; ++year) {
        f.assets[year] = data.Item(kAssetsTag + year).m_nNumber;
        f.liabilities[year] = data.Item(kLiabilitiesTag + year).m_nNumber;
    }
    return f;
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
    // What a killed batch left behind.
    if (!m_textDir.empty())
        fileio::RemoveStaleTemps(m_textDir);
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

bool Checker::IsInput(const std::string& path) const
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && m_inputs.count(Identity(st));
}

void Checker::Check(const std::string& path, std::vector<FileReport>& batch)
{
    FileReport& report = batch.emplace_back();
    report.path = path;

    // Read access only: the folder is left as it is, whatever the outcome.
    CUzData& data = m_doc.m_data;
    const ReadResult read = ReadStatementFile(path, data);
    if (read != ReadResult::Ok) {
        report.readError = Utf8(ReadResultText(read));
        return;
    }

    data.CheckAll();
    for (int year = 0; year < kYearCount; ++year)
        for (int i = 0; i < data.m_errors[year].m_nCount; ++i)
            report.rules.push_back({year, data.m_errors[year].m_aRule[i]});
    for (Form form : {Form::Header, Form::Orderer})
        for (const Gap& gap : ListGaps(data, form))
            report.gaps.push_back({form, gap});
    report.facts = ReadFacts(data);

    if (!m_textDir.empty())
        StageText(report, batch.size() - 1);
}

void Checker::StageText(FileReport& report, std::size_t index)
{
    report.textFile = m_textDir + "/" + TextName(report.path);
    std::string text;
    if (!m_doc.BuildText(text)) {
        report.textError = Utf8(LoadText(10018));
        return;
    }
    struct stat st;
    const bool exists = stat(report.textFile.c_str(), &st) == 0;
    if (exists && m_inputs.count(Identity(st))) {
        report.textError = "Textový soubor by přepsal vstupní soubor.";
        return;
    }
    if (!m_textNames.insert(report.textFile).second || (exists && m_replaced.count(Identity(st)))) {
        report.textError = "Textový soubor stejného jména už zapsal jiný soubor dávky.";
        return;
    }
    if (exists)
        m_replaced.insert(Identity(st));

    int error = 0;
    fileio::StagedFile file;
    const fileio::WriteResult result = file.Stage(report.textFile, TextFileBytes(text, m_oneTab), &error);
    if (result != fileio::WriteResult::Ok) {
        report.textError = WriteError(result, error);
        return;
    }
    m_staged.push_back({index, std::move(file)});
    // A text through a link is renamed in the folder of the file it names.
    std::error_code ec;
    std::string target = report.textFile;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::string real = std::filesystem::canonical(target, ec);
        target = ec ? target : real; // a dangling link is replaced itself
    }
    m_folders.insert(target.substr(0, target.find_last_of('/') + 1));
}

void Checker::CommitTexts(std::vector<FileReport>& batch)
{
    if (m_staged.empty())
        return;
    int error = 0;
    const auto fail = [&](std::size_t report) {
        batch[report].textError = WriteError(fileio::WriteResult::WriteFailed, error);
    };
    // Every text's bytes on disk before any of them takes its name.
    if (!fileio::SyncFileSystem(m_textDir)) {
        error = errno;
        for (const Staged& s : m_staged)
            fail(s.report); // the temporary files go with them
        m_staged.clear();
        return;
    }
    std::vector<std::size_t> renamed;
    for (Staged& s : m_staged) {
        if (s.file.Commit(&error) == fileio::WriteResult::Ok)
            renamed.push_back(s.report);
        else
            fail(s.report);
    }
    m_staged.clear();
    for (const std::string& folder : m_folders) {
        if (fileio::SyncFolder(folder))
            continue;
        // The renames may not survive a power cut: each such text holds
        // its old or its new content, unconfirmed.
        error = errno;
        for (std::size_t report : renamed)
            if (batch[report].textError.empty())
                fail(report);
    }
}

std::string WriteError(fileio::WriteResult result, int error)
{
    std::string text = LoadText(result == fileio::WriteResult::OpenFailed ? 10006 : 10010);
    if (error != 0)
        text += ": " + FileErrorReason(error);
    return Utf8(text);
}

std::string Utf8(const std::string& cp1250Text)
{
    std::string out;
    if (!cp1250::ToUtf8(cp1250Text, out).ok)
        out = "?";
    return out;
}

std::string Printable(const std::string& s)
{
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        // One code point by the well-formed sequences of UTF-8: no overlong
        // forms, no surrogates, nothing above U+10FFFF.
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
        const unsigned char c = byte(0);
        std::size_t len = 0;
        char32_t cp = 0;
        unsigned char lo = 0x80, hi = 0xBF; // the second byte's range
        if (c < 0x80) {
            len = 1, cp = c;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F;
            lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07;
            lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        }
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = byte(k) >= (k == 1 ? lo : 0x80) && byte(k) <= (k == 1 ? hi : 0xBF);
            cp = cp << 6 | (byte(k) & 0x3F);
        }
        if (ok && (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0xFFFE || cp == 0xFFFF))
            ok = false;
        if (ok) {
            out.append(s, i, len);
            i += len;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

} // namespace checker
