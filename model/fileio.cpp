#include "model/fileio.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fileio {

namespace {

// Repeats `call(done)` (a read or write of the bytes from `done` on) until
// `size` bytes have moved; EINTR is retried, an error or end of file fails.
template <typename Call>
bool MoveAll(std::size_t size, Call call)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = call(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool ReadAll(int fd, void* data, std::size_t size)
{
    auto* p = static_cast<unsigned char*>(data);
    return MoveAll(size, [&](std::size_t done) { return read(fd, p + done, size - done); });
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    return MoveAll(size, [&](std::size_t done) { return write(fd, p + done, size - done); });
}

void AppendInt32(std::string& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>(u >> shift);
}

Reader::Reader(int fd, std::uint64_t limit) : m_fd(fd)
{
    struct stat st;
    off_t pos = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        pos = lseek(fd, 0, SEEK_CUR);
    if (pos < 0)
        return;
    m_regular = true;
    m_pos = m_filePos = static_cast<std::uint64_t>(pos);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    m_end = std::max(m_pos, std::min(size, limit));
}

bool Reader::Fill()
{
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof m_buf, m_end - m_filePos));
    if (want == 0 || !ReadAll(m_fd, m_buf, want))
        return false;
    m_filePos += want;
    m_bufPos = 0;
    m_bufLen = want;
    return true;
}

bool Reader::ReadInt32(std::int32_t& value)
{
    unsigned char b[4];
    for (unsigned char& c : b) {
        if (m_bufPos == m_bufLen && !Fill())
            return false;
        c = static_cast<unsigned char>(m_buf[m_bufPos++]);
        ++m_pos;
    }
    value = static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                      std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
    return true;
}

bool Reader::ReadText(std::uint64_t size, std::string& text)
{
    text.clear();
    if (!m_regular || size > Left())
        return false;
    bool ended = false; // a zero byte was met: the rest is skipped
    while (size > 0) {
        if (m_bufPos == m_bufLen) {
            if (ended) {
                // Skip without reading, so a record padded with a huge run of
                // zeros costs neither time nor memory.
                if (lseek(m_fd, static_cast<off_t>(size), SEEK_CUR) < 0)
                    return false;
                m_filePos += size;
                m_pos += size;
                return true;
            }
            if (!Fill())
                return false;
        }
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, m_bufLen - m_bufPos));
        if (!ended) {
            const char* p = m_buf + m_bufPos;
            const void* zero = std::memchr(p, 0, take);
            text.append(p, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - p)
                                : take);
            ended = zero != nullptr;
        }
        m_bufPos += take;
        m_pos += take;
        size -= take;
    }
    return true;
}

namespace {

constexpr const char* kTempSuffix = ".bil-tmp";
constexpr std::size_t kTempSuffixLen = 8;
constexpr std::size_t kTempRandomLen = 6; // the XXXXXX of mkostemps

// A file-size limit must be an ordinary write error (EFBIG) that leaves the
// old file whole, not a signal that ends the program halfway through a save.
void IgnoreFileSizeSignal()
{
    static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)ignored;
}

struct Outcome {
    WriteResult result;
    int error; // errno of the call that failed; 0 on success
};

Outcome Failed(WriteResult result, int error)
{
    return {result, error};
}

constexpr Outcome kOk{WriteResult::Ok, 0};

// A descriptor closed on every path; Close() where closing must succeed.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int get() const { return m_fd; }
    bool Close() { return close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

WriteResult Report(const Outcome& o, int* error)
{
    if (error)
        *error = o.error;
    return o.result;
}

// The file a save replaces: a link resolved into the file it names.
struct Target {
    std::string path;
    std::string prefix; // its folder with the trailing slash, or empty
    std::string name;
    bool exists = false;
    struct stat st {};
};

Outcome Examine(const std::string& path, Mode mode, Target& t)
{
    if (path.empty())
        return Failed(WriteResult::OpenFailed, ENOENT);
    t.path = path;
    struct stat lst;
    const bool named = lstat(path.c_str(), &lst) == 0;
    const bool link = named && S_ISLNK(lst.st_mode);
    if (link && mode != Mode::Private) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            t.path = real;
            std::free(real);
        }
    }
    const std::size_t slash = t.path.find_last_of('/');
    t.prefix = slash == std::string::npos ? std::string() : t.path.substr(0, slash + 1);
    t.name = t.path.substr(t.prefix.size());
    if (mode == Mode::Private) {
        // The name, not what a link there names: the rename replaces a link.
        if (!named || link)
            return !named && errno != ENOENT ? Failed(WriteResult::OpenFailed, errno) : kOk;
        t.exists = true;
        t.st = lst;
        if (!S_ISREG(lst.st_mode))
            return Failed(WriteResult::OpenFailed, kNotRegularFile);
        return lst.st_uid == geteuid() ? kOk : Failed(WriteResult::OpenFailed, EPERM);
    }
    t.exists = stat(t.path.c_str(), &t.st) == 0;
    if (!t.exists)
        return errno == ENOENT ? kOk : Failed(WriteResult::OpenFailed, errno);
    if (!S_ISREG(t.st.st_mode))
        return Failed(WriteResult::OpenFailed, kNotRegularFile);
    // A file the user may not write is refused as overwriting it would be;
    // the rename must not sneak past its permissions.
    if (::access(t.path.c_str(), W_OK) != 0)
        return Failed(WriteResult::OpenFailed, errno);
    return kOk;
}

mode_t CurrentUmask()
{
    // Read, not set: umask() would change it for every thread meanwhile.
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[128];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found)
            return static_cast<mode_t>(mask);
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

bool SameInode(int fd, const std::string& path)
{
    struct stat a, b;
    return fstat(fd, &a) == 0 && lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// ".NAME.XXXXXX.bil-tmp", or ".NAME.bil-tmp" as earlier versions named it.
bool IsTempName(const std::string& entry, const std::string& name)
{
    const std::string head = "." + name;
    if (!entry.starts_with(head) || !entry.ends_with(kTempSuffix))
        return false;
    const std::size_t middle = entry.size() - head.size() - kTempSuffixLen;
    return middle == 0 || (middle == kTempRandomLen + 1 && entry[head.size()] == '.');
}

// A temporary file of ours that a killed save left behind: a regular file of
// this user that no running save holds locked. Anything else stays.
void RemoveIfStale(const std::string& temp)
{
    const Fd fd(open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.get() >= 0 && fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid() && st.st_nlink == 1 && flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
        SameInode(fd.get(), temp))
        unlink(temp.c_str());
}

// Removes the stale temporary files in the folder `prefix` (with its
// trailing slash, or empty) whose names `ours` recognises.
template <typename Ours>
void RemoveStale(const std::string& prefix, Ours ours)
{
    DIR* dir = opendir(prefix.empty() ? "." : prefix.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (const dirent* e = readdir(dir))
        if (ours(std::string(e->d_name)))
            stale.push_back(prefix + e->d_name);
    closedir(dir);
    for (const std::string& temp : stale)
        RemoveIfStale(temp);
}

// Creates a temporary file of a name no other save uses, locked for as long
// as it stays open, so that no other save takes it for a stale one.
Fd CreateTemp(const Target& t, std::string& temp)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string name = t.prefix + "." + t.name + ".XXXXXX" + kTempSuffix;
        Fd fd(mkostemps(name.data(), static_cast<int>(kTempSuffixLen), O_CLOEXEC));
        if (fd.get() < 0)
            return fd;
        // Between its creation and the lock another save's cleanup may have
        // taken it: then it is no longer under this name.
        if (flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && SameInode(fd.get(), name)) {
            temp = std::move(name);
            return fd;
        }
    }
    errno = EAGAIN;
    return Fd();
}

// The old file's owner, group and mode for the new one, or false when this
// user cannot give them to it. Set-ID bits never pass to a new file.
bool TakeOver(int fd, const struct stat& old)
{
    struct stat now;
    if (fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(fd, old.st_mode & 0777) == 0;
}

enum class TempStep { Written, InPlace, Failed };

// Writes `bytes` into a new temporary file beside the target, with the
// target's owner, group and mode (a new file's: 0666 minus the umask; a
// private file's: 0600). On Written `fd` is open and locked. InPlace: no
// temporary file can stand in for the target here (none can be made, or it
// could not keep the owner); never for a private file, which fails instead.
TempStep WriteTemp(const Target& t, std::string_view bytes, bool sync, Mode mode, Fd& fd,
                   std::string& temp, int& error)
{
    const bool shared = mode != Mode::Private;
    if (shared && t.exists && t.st.st_nlink > 1)
        return TempStep::InPlace; // a rename would part the links
    fd = CreateTemp(t, temp);
    if (fd.get() < 0) { // folder not writable, name too long, no inode: in place
        error = errno;
        return shared ? TempStep::InPlace : TempStep::Failed;
    }
    TempStep step = TempStep::Written;
    if (!shared ? fchmod(fd.get(), 0600) != 0
        : t.exists ? !TakeOver(fd.get(), t.st)
                   : fchmod(fd.get(), 0666 & ~CurrentUmask()) != 0) {
        error = errno;
        step = shared ? TempStep::InPlace : TempStep::Failed;
    } else if (!WriteAll(fd.get(), bytes.data(), bytes.size()) || (sync && fsync(fd.get()) != 0)) {
        error = errno;
        step = TempStep::Failed;
    }
    if (step != TempStep::Written) {
        unlink(temp.c_str());
        fd = Fd();
    }
    return step;
}

// 0, or the errno of a folder that can be synced but failed to: a rename
// whose folder was not synced may not survive a power cut.
int SyncFolderOf(const std::string& prefix)
{
    const Fd fd(open(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) // a folder we may not read cannot be synced at all
        return errno == EACCES ? 0 : errno;
    if (fsync(fd.get()) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    return 0;
}

bool PwriteAll(int fd, std::string_view bytes)
{
    return MoveAll(bytes.size(), [&](std::size_t done) {
        return pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    });
}

bool PreadAll(int fd, std::string& bytes)
{
    return MoveAll(bytes.size(), [&](std::size_t done) {
        return pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    });
}

// Two saves in place take turns on the file. Another save is waited for a
// few seconds at most; a file system without locks is written unlocked.
bool LockForWriting(int fd)
{
    for (int wait = 0; wait < 500; ++wait) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true;
        usleep(10000);
    }
    errno = EWOULDBLOCK;
    return false;
}

Outcome WriteNewInPlace(const Target& t, std::string_view bytes)
{
    Fd fd(open(t.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return Failed(WriteResult::OpenFailed, errno);
    int error = 0;
    if (!LockForWriting(fd.get()) || !WriteAll(fd.get(), bytes.data(), bytes.size()) ||
        fsync(fd.get()) != 0 || !fd.Close())
        error = errno;
    if (error != 0) {
        unlink(t.path.c_str());
        return Failed(WriteResult::WriteFailed, error);
    }
    error = SyncFolderOf(t.prefix);
    return error ? Failed(WriteResult::WriteFailed, error) : kOk;
}

// Overwrites without truncating first: the blocks the old contents occupy
// stay allocated, so writing the old bytes back succeeds even on a full disk.
// A kill in the middle can leave a mix, which only a temporary file avoids.
Outcome OverwriteInPlace(const Target& t, std::string_view bytes)
{
    Fd fd(open(t.path.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || !LockForWriting(fd.get()) || fstat(fd.get(), &st) != 0)
        return Failed(WriteResult::OpenFailed, errno);
    if (!S_ISREG(st.st_mode))
        return Failed(WriteResult::OpenFailed, kNotRegularFile);
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    std::string old(std::min(oldSize, bytes.size()), '\0');
    if (!PreadAll(fd.get(), old))
        return Failed(WriteResult::OpenFailed, errno);
    // Until the file is cut to its new length, the old bytes beyond the new
    // ones are still there, and writing back those before makes it whole.
    int error = 0;
    if (!PwriteAll(fd.get(), bytes) || fsync(fd.get()) != 0 ||
        ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) {
        error = errno;
        PwriteAll(fd.get(), old);
        if (ftruncate(fd.get(), static_cast<off_t>(oldSize)) != 0) {
            // Nothing more can be done; the write error is reported below.
        }
        fsync(fd.get());
    } else if (fsync(fd.get()) != 0) {
        error = errno; // the new contents are whole, but unconfirmed
    }
    if (!fd.Close() && error == 0)
        error = errno;
    return error ? Failed(WriteResult::WriteFailed, error) : kOk;
}

Outcome WriteInPlace(const Target& t, std::string_view bytes)
{
    return t.exists ? OverwriteInPlace(t, bytes) : WriteNewInPlace(t, bytes);
}

// Puts the temporary file in place of a name nothing takes: renameat2's
// RENAME_NOREPLACE, or where the file system has none a hard link, which
// fails on a taken name as well. 0, or the errno of the failure; ENOTSUP:
// neither worked (a taken name included), for the exclusive create in place
// to find out.
int RenameNoReplace(const std::string& temp, const std::string& path)
{
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (link(temp.c_str(), path.c_str()) != 0)
        return ENOTSUP;
    unlink(temp.c_str());
    return 0;
}

Outcome Replace(const std::string& path, std::string_view bytes, Mode mode)
{
    IgnoreFileSizeSignal();
    const bool keep = mode == Mode::NewOnly;
    Target t;
    const Outcome examined = Examine(path, mode, t);
    if (examined.result != WriteResult::Ok)
        return examined;
    if (keep && t.exists) // a link left dangling is found when the name is taken
        return Failed(WriteResult::OpenFailed, EEXIST);
    RemoveStaleTempsOf(t.path);
    Fd fd;
    int error = 0;
    std::string temp;
    switch (WriteTemp(t, bytes, true, mode, fd, temp, error)) {
    case TempStep::InPlace:
        return WriteInPlace(t, bytes);
    case TempStep::Failed:
        return Failed(WriteResult::WriteFailed, error);
    case TempStep::Written:
        break;
    }
    // Renamed while still locked, so no other save can have taken the
    // temporary file for a stale one and put its own in its place.
    if (keep)
        error = RenameNoReplace(temp, t.path);
    else if (rename(temp.c_str(), t.path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temp.c_str());
        if (error == ENOTSUP) // the exclusive create of a save in place then
            return WriteInPlace(t, bytes);
        return Failed(error == EEXIST ? WriteResult::OpenFailed : WriteResult::WriteFailed, error);
    }
    error = SyncFolderOf(t.prefix);
    if (!fd.Close() && error == 0)
        error = errno;
    return error ? Failed(WriteResult::WriteFailed, error) : kOk;
}

} // namespace

WriteResult ReplaceFile(const std::string& path, std::string_view bytes, int* error,
                        Mode mode)
{
    return Report(Replace(path, bytes, mode), error);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_temp(std::exchange(other.m_temp, {})), m_target(std::move(other.m_target))
{
}

StagedFile::~StagedFile()
{
    Discard();
}

void StagedFile::Discard()
{
    if (!m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
}

WriteResult StagedFile::Stage(const std::string& path, std::string_view bytes, int* error)
{
    IgnoreFileSizeSignal();
    Discard();
    Target t;
    const Outcome examined = Examine(path, Mode::Shared, t);
    if (examined.result != WriteResult::Ok)
        return Report(examined, error);
    Fd fd;
    int failure = 0;
    std::string temp;
    switch (WriteTemp(t, bytes, false, Mode::Shared, fd, temp, failure)) {
    case TempStep::InPlace:
        return Report(WriteInPlace(t, bytes), error);
    case TempStep::Failed:
        return Report(Failed(WriteResult::WriteFailed, failure), error);
    case TempStep::Written:
        break;
    }
    // Closed at once, so a batch holds no more than one file open; its
    // unique name keeps it apart from every other save's.
    if (!fd.Close()) {
        failure = errno;
        unlink(temp.c_str());
        return Report(Failed(WriteResult::WriteFailed, failure), error);
    }
    m_temp = std::move(temp);
    m_target = std::move(t.path);
    return Report(kOk, error);
}

WriteResult StagedFile::Commit(int* error)
{
    if (m_temp.empty())
        return Report(kOk, error);
    const std::string temp = std::exchange(m_temp, {});
    if (rename(temp.c_str(), m_target.c_str()) == 0)
        return Report(kOk, error);
    const int failure = errno;
    unlink(temp.c_str());
    return Report(Failed(WriteResult::WriteFailed, failure), error);
}

bool SyncFileSystem(const std::string& path)
{
    const Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.get() >= 0 && syncfs(fd.get()) == 0;
}

bool SyncFolder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return SyncFolderOf(slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) == 0;
}

void RemoveStaleTemps(const std::string& folder)
{
    RemoveStale(folder.ends_with('/') ? folder : folder + "/", [](const std::string& entry) {
        return entry.starts_with('.') && entry.ends_with(kTempSuffix);
    });
}

void RemoveStaleTempsOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string prefix = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    RemoveStale(prefix, [&](const std::string& entry) { return IsTempFileOf(path, entry); });
}

bool IsTempFileOf(const std::string& path, const std::string& entry)
{
    const std::size_t slash = path.find_last_of('/');
    return IsTempName(entry, slash == std::string::npos ? path : path.substr(slash + 1));
}

namespace {

FileIdentity IdentityOf(const struct stat& st)
{
    FileIdentity id;
    id.exists = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return id;
}

} // namespace

FileIdentity IdentifyFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? IdentityOf(st) : FileIdentity{};
}

FileIdentity IdentifyOpenFile(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 ? IdentityOf(st) : FileIdentity{};
}

bool IsSpecialFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

} // namespace fileio
