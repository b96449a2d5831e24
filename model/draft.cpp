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

// The folder and those above it that are missing, private to the user. One
// that cannot be made shows when the lock file cannot be made in it.
void MakeFolder(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        mkdir(folder.substr(0, slash).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
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
    const bool ok = ReadHeader(fd, header) && DraftFileFor(header.path) == file && data.ReadItems(fd);
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

bool CUzDraft::Lock(const std::string& file)
{
    const std::string lock = LockFileOf(file);
    const int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // A lock file removed with its draft after it was opened here locks
    // nothing: that draft is gone.
    struct stat held, named;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &held) != 0 ||
        stat(lock.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev) {
        close(fd);
        return false;
    }
    Unlock();
    m_file = file;
    m_lock = fd;
    return true;
}

void CUzDraft::Unlock()
{
    if (m_lock >= 0)
        close(m_lock);
    m_lock = -1;
    m_file.clear();
    m_written.clear();
}

void CUzDraft::Discard()
{
    if (m_lock >= 0) {
        unlink(m_file.c_str());
        unlink(LockFileOf(m_file).c_str());
    }
    Unlock();
}

bool CUzDraft::Write(const CUzDocument& doc)
{
    const std::string file = DraftFileFor(doc.m_strPath);
    if (file.empty())
        return false;
    if (file != m_file) {
        Unlock();
        MakeFolder(DraftFolder());
        if (!Lock(file))
            return false;
    }
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
    // Private to the user, whatever the umask.
    const mode_t mask = umask(077);
    const fileio::WriteResult result = fileio::ReplaceFile(file, bytes);
    umask(mask);
    if (result != fileio::WriteResult::Ok)
        return false;
    m_written = std::move(unchanged);
    return true;
}

bool CUzDraft::Offer(CUzDocument& doc, const std::string& only)
{
    std::vector<std::string> files;
    if (only.empty())
        files = DraftFiles(DraftFolder());
    else if (const std::string file = DraftFileFor(only); IsDraft(file))
        files.push_back(file);
    for (const std::string& file : files) {
        CUzDraft draft;
        if (!draft.Lock(file))
            continue; // another Bil's
        DraftHeader header;
        CUzData data;
        switch (ReadDraft(file, header, data)) {
        case ReadResult::Ok:
            break;
        case ReadResult::Missing: // removed since it was listed
            draft.Discard();
            continue;
        default:
            TellDamaged(file);
            draft.Discard();
            continue;
        }
        if (!AskRestore(header)) {
            draft.Discard();
            continue;
        }
        for (int tag = 1; tag <= kItemCount; ++tag) {
            std::swap(doc.m_data.Item(tag).m_strValue, data.Item(tag).m_strValue);
            doc.m_data.Item(tag).m_nNumber = data.Item(tag).m_nNumber;
        }
        doc.m_strPath = header.path;
        doc.m_identity = header.identity;
        Unlock();
        std::swap(m_file, draft.m_file); // its lock is ours now
        std::swap(m_lock, draft.m_lock);
        return true;
    }
    return false;
}
