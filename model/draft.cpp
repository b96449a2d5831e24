#include "model/draft.h"

#include "model/cp1250.h"
#include "model/document.h"
#include "model/fileio.h"
#include "model/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <utility>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kMagic[8] = {'B', 'I', 'L', 'D', 'R', 'A', 'F', '1'};
constexpr std::int32_t kMaxPath = 4096;
constexpr const char* kDraftSuffix = ".draft";
constexpr const char* kLockSuffix = ".lock";

// What a draft says besides the statement's records.
struct DraftHeader {
    std::string path;
    std::int64_t savedAt = 0;
    fileio::FileIdentity identity;
};

std::string AbsolutePath(const std::string& path)
{
    if (path.starts_with('/'))
        return path;
    char* cwd = getcwd(nullptr, 0);
    const std::string out = cwd ? std::string(cwd) + "/" + path : path;
    std::free(cwd);
    return out;
}

// 64-bit FNV-1a: stable across runs and builds, unlike std::hash.
std::string HashName(const std::string& bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(h));
    return name;
}

std::string LockFileOf(const std::string& draft)
{
    return draft.substr(0, draft.size() - std::strlen(kDraftSuffix)) + kLockSuffix;
}

void Append64(std::string& out, std::uint64_t value)
{
    fileio::AppendInt32(out, static_cast<std::int32_t>(value & 0xFFFFFFFFu));
    fileio::AppendInt32(out, static_cast<std::int32_t>(value >> 32));
}

std::string HeaderBytes(const std::string& path, const fileio::FileIdentity& id)
{
    std::string out(kMagic, sizeof kMagic);
    fileio::AppendInt32(out, static_cast<std::int32_t>(path.size()));
    out += path;
    Append64(out, static_cast<std::uint64_t>(std::time(nullptr)));
    fileio::AppendInt32(out, id.exists ? 1 : 0);
    Append64(out, id.device);
    Append64(out, id.inode);
    Append64(out, static_cast<std::uint64_t>(id.size));
    Append64(out, static_cast<std::uint64_t>(id.mtimeNs));
    return out;
}

bool Read32(int fd, std::uint32_t& value)
{
    unsigned char b[4];
    if (!fileio::ReadAll(fd, b, sizeof b))
        return false;
    value = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24;
    return true;
}

template <typename T>
bool Read64(int fd, T& value)
{
    std::uint32_t low, high;
    if (!Read32(fd, low) || !Read32(fd, high))
        return false;
    value = static_cast<T>(std::uint64_t(high) << 32 | low);
    return true;
}

// Reads the header with its fields bounded, leaving `fd` on the records.
bool ReadHeader(int fd, DraftHeader& h)
{
    char magic[sizeof kMagic];
    std::uint32_t length, exists;
    if (!fileio::ReadAll(fd, magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0 ||
        !Read32(fd, length) || length < 1 || length > kMaxPath)
        return false;
    h.path.resize(length);
    if (!fileio::ReadAll(fd, h.path.data(), length) || !h.path.starts_with('/') ||
        h.path.find('\0') != std::string::npos)
        return false;
    fileio::FileIdentity& id = h.identity;
    if (!Read64(fd, h.savedAt) || !Read32(fd, exists) || exists > 1 || !Read64(fd, id.device) ||
        !Read64(fd, id.inode) || !Read64(fd, id.size) || !Read64(fd, id.mtimeNs))
        return false;
    id.exists = exists == 1;
    return true;
}

// Reads a draft through the statement file's own loader. A draft whose name
// does not come from its path belongs to no statement: it is damaged too.
ReadResult ReadDraft(const std::string& file, DraftHeader& header, CUzData& data)
{
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Damaged;
    struct stat st;
    const bool ok = fstat(fd, &st) == 0 && st.st_uid == geteuid() && ReadHeader(fd, header) &&
                    DraftFileFor(header.path) == file && data.ReadItems(fd);
    close(fd);
    return ok ? ReadResult::Ok : ReadResult::Damaged;
}

// A path (file system bytes, UTF-8) shown in a message: what Windows-1250
// cannot hold shows as '?'.
std::string Shown(const std::string& path)
{
    std::string out, one;
    for (std::size_t i = 0, n; i < path.size(); i += n) {
        const auto lead = static_cast<unsigned char>(path[i]);
        n = std::min<std::size_t>(lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1,
                                  path.size() - i);
        out += cp1250::FromUtf8(path.substr(i, n), one).ok ? one : "?";
    }
    return out;
}

bool AskRestore(const DraftHeader& h)
{
    const std::time_t t = static_cast<std::time_t>(h.savedAt);
    std::tm local{};
    char when[64] = "?";
    if (localtime_r(&t, &local))
        std::snprintf(when, sizeof when, "%d. %d. %d %02d:%02d", local.tm_mday, local.tm_mon + 1,
                      local.tm_year + 1900, local.tm_hour, local.tm_min);
    const std::string text = cp1250::Literal("Byl nalezen rozpracovaný výkaz pro soubor ") +
                             Shown(h.path) + " z " + when +
                             cp1250::Literal(" . Obnovit ? (Ne = zahodit)");
    return AppMessageBox(text, MB_ICONEXCLAMATION | MB_YESNO) == IDYES;
}

void TellDamaged(const std::string& file)
{
    AppMessageBox(LoadText(10009) + cp1250::Literal("\nRozpracovaný výkaz ") + Shown(file) +
                      cp1250::Literal(" je poškozený a byl odstraněn."),
                  MB_ICONEXCLAMATION | MB_OK);
}

// Only a regular file is a draft: a folder could not be removed, a link
// could lead anywhere.
bool IsDraft(const std::string& file)
{
    struct stat st;
    return file.ends_with(kDraftSuffix) && lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The drafts in the folder, in the order of their names.
std::vector<std::string> DraftFiles(const std::string& folder)
{
    std::vector<std::string> files;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* e = readdir(dir))
            if (IsDraft(folder + "/" + e->d_name))
                files.push_back(folder + "/" + e->d_name);
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::string DraftFolder()
{
    // Relative values are to be ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/bil";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/state/bil";
    return {};
}

std::string DraftFileFor(const std::string& statementPath)
{
    const std::string folder = DraftFolder();
    if (folder.empty() || statementPath.empty())
        return {};
    return folder + "/" + HashName(AbsolutePath(statementPath)) + kDraftSuffix;
}

CUzDraft::~CUzDraft()
{
    Unlock();
}

void CUzDraft::TellOnce(const std::string& text)
{
    if (!std::exchange(m_told, true))
        AppMessageBox(text, MB_ICONEXCLAMATION | MB_OK);
}

bool CUzDraft::FolderUsable(bool create)
{
    if (m_folder != Folder::Unchecked)
        return m_folder == Folder::Usable;
    const std::string folder = DraftFolder();
    const auto off = [&](const char* why, int error) {
        m_folder = Folder::Off;
        TellOnce(cp1250::Literal("Složka rozpracovaných výkazů ") + Shown(folder) + " " +
                 cp1250::Literal(why) + (error ? " " + FileErrorReason(error) : std::string()) +
                 cp1250::Literal("\nRozpracovaný stav výkazu se proto nebude ukládat."));
        return false;
    };
    if (folder.empty()) {
        m_folder = Folder::Off;
        TellOnce(cp1250::Literal("Není nastavena domovská složka (HOME).\n"
                                 "Rozpracovaný stav výkazu se proto nebude ukládat."));
        return false;
    }
    struct stat st;
    if (lstat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return off("nelze otevřít:", errno);
        if (!create)
            return false; // nothing in it yet
        // Those above it that are missing are private too, as the folder
        // of a user's state should be.
        for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
             slash = folder.find('/', slash + 1))
            mkdir(folder.substr(0, slash).c_str(), 0700);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return off("nelze vytvořit:", errno);
    }
    // Opened without following a link, so that what is checked and made
    // private is the folder itself.
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? off("není složka.", 0)
                                                  : off("nelze otevřít:", errno);
    int error = 0;
    const char* why = nullptr;
    if (fstat(fd, &st) != 0)
        why = "nelze otevřít:", error = errno;
    else if (st.st_uid != geteuid())
        why = "patří jinému uživateli.";
    else if ((st.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0)
        why = "nelze nastavit jako soukromou:", error = errno;
    close(fd);
    if (why)
        return off(why, error);
    m_folder = Folder::Usable;
    return true;
}

CUzDraft::Lock CUzDraft::Hold(const std::string& file, int& error)
{
    const std::string lock = LockFileOf(file);
    const int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno;
        return Lock::Failed;
    }
    // A lock file removed with its draft after it was opened here locks
    // nothing: that draft is gone. Only a file of our own is a lock.
    struct stat held, named;
    Lock result = Lock::Held;
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != geteuid())
        result = Lock::Failed, error = EPERM;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        result = errno == EWOULDBLOCK ? Lock::Busy : Lock::Failed, error = errno;
    else if (lstat(lock.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
             held.st_dev != named.st_dev)
        result = Lock::Busy;
    if (result != Lock::Held) {
        close(fd);
        return result;
    }
    Unlock();
    m_file = file;
    m_lock = fd;
    return Lock::Held;
}

void CUzDraft::Unlock()
{
    if (m_lock >= 0) {
        // A lock with no draft to guard would be left for good.
        if (!IsDraft(m_file))
            unlink(LockFileOf(m_file).c_str());
        close(m_lock);
    }
    m_lock = -1;
    m_file.clear();
    m_written.clear();
}

void CUzDraft::Discard()
{
    if (m_lock >= 0) {
        unlink(m_file.c_str());
        fileio::RemoveStaleTempsOf(m_file); // a killed draft write's
        unlink(LockFileOf(m_file).c_str());
    }
    Unlock();
}

bool CUzDraft::Holds(const std::string& path) const
{
    return m_folder == Folder::Usable && m_lock >= 0 && m_file == DraftFileFor(path);
}

bool CUzDraft::HoldFor(const std::string& path)
{
    const std::string file = DraftFileFor(path);
    if (file.empty() || !FolderUsable(true))
        return false;
    if (file == m_file)
        return true;
    Unlock();
    int error = 0;
    switch (Hold(file, error)) {
    case Lock::Held:
        m_busy.clear();
        return true;
    case Lock::Busy:
        if (m_busy != file)
            AppMessageBox(cp1250::Literal("Výkaz ") + Shown(AbsolutePath(path)) +
                              cp1250::Literal(" je rozpracován v jiném okně Bil; rozpracovaný "
                                              "stav tohoto okna se nebude ukládat."),
                          MB_ICONEXCLAMATION | MB_OK);
        m_busy = file;
        return false;
    case Lock::Failed:
        break;
    }
    TellOnce(cp1250::Literal("Rozpracovaný stav výkazu nelze uložit do ") + Shown(file) + ": " +
             FileErrorReason(error));
    return false;
}

bool CUzDraft::Write(const CUzDocument& doc)
{
    if (DraftFileFor(doc.m_strPath) == m_busy || !HoldFor(doc.m_strPath))
        return false;
    const std::string path = AbsolutePath(doc.m_strPath);
    std::string bytes, unchanged;
    try {
        bytes = HeaderBytes(path, doc.m_identity);
        doc.m_data.WriteItems(bytes);
        unchanged = bytes;
        unchanged.erase(sizeof kMagic + 4 + path.size(), 8); // all but the time
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Nothing changed since the last draft (pages looked through): no need
    // to write, and the draft keeps the time of the last change.
    if (unchanged == m_written)
        return true;
    int error = 0;
    if (fileio::ReplaceFile(m_file, bytes, &error, fileio::Mode::Private) != fileio::WriteResult::Ok) {
        TellOnce(cp1250::Literal("Rozpracovaný stav výkazu nelze uložit do ") + Shown(m_file) +
                 ": " + FileErrorReason(error));
        return false;
    }
    m_written = std::move(unchanged);
    return true;
}

bool CUzDraft::OfferHeld(CUzDocument& doc)
{
    DraftHeader header;
    CUzData data;
    switch (ReadDraft(m_file, header, data)) {
    case ReadResult::Ok:
        break;
    case ReadResult::Missing: // none waiting, or removed since it was listed
        return false;
    default:
        TellDamaged(m_file);
        unlink(m_file.c_str());
        return false;
    }
    if (!AskRestore(header)) {
        unlink(m_file.c_str());
        fileio::RemoveStaleTempsOf(m_file);
        return false;
    }
    for (int tag = 1; tag <= kItemCount; ++tag) {
        std::swap(doc.m_data.Item(tag).m_strValue, data.Item(tag).m_strValue);
        doc.m_data.Item(tag).m_nNumber = data.Item(tag).m_nNumber;
    }
    doc.m_strPath = header.path;
    doc.m_identity = header.identity;
    return true;
}

bool CUzDraft::Open(CUzDocument& doc)
{
    m_busy.clear(); // opened again: said again
    return HoldFor(doc.m_strPath) && OfferHeld(doc);
}

bool CUzDraft::Offer(CUzDocument& doc)
{
    if (!FolderUsable(false))
        return false;
    for (const std::string& file : DraftFiles(DraftFolder())) {
        CUzDraft draft;
        int error = 0;
        if (draft.Hold(file, error) != Lock::Held)
            continue; // another Bil's
        if (draft.OfferHeld(doc)) {
            Unlock();
            std::swap(m_file, draft.m_file); // its lock is ours now
            std::swap(m_lock, draft.m_lock);
            return true;
        }
        draft.Discard();
    }
    return false;
}
