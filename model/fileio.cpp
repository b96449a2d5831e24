#include "model/fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR;
constexpr const char* kTempSuffix = ".bil-tmp";

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void SyncFolder(const std::string& path)
{
    int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return kNewFileMode & ~mask;
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

// A temporary file of ours that a killed save left behind: a regular file of
// this user that no running save holds locked. Anything else stays.
void RemoveStaleTemp(const std::string& temp)
{
    int fd = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st, now;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
        st.st_nlink == 1 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        lstat(temp.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
        unlink(temp.c_str());
    close(fd);
}

// Creates the temporary file, locked for as long as it is being written.
int CreateTemp(const std::string& temp)
{
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(temp.c_str(), flags, kNewFileMode);
    if (fd < 0 && errno == EEXIST) {
        RemoveStaleTemp(temp);
        fd = open(temp.c_str(), flags, kNewFileMode);
    }
    if (fd >= 0)
        flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

WriteResult WriteNewInPlace(const std::string& target, std::string_view bytes)
{
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  kNewFileMode);
    if (fd < 0)
        return WriteResult::OpenFailed;
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    if (close(fd) != 0)
        ok = false;
    if (!ok) {
        unlink(target.c_str());
        return WriteResult::WriteFailed;
    }
    SyncFolder(target);
    return WriteResult::Ok;
}

// Overwrites without truncating first: the blocks the old contents occupy
// stay allocated, so writing the old bytes back succeeds even on a full disk.
WriteResult OverwriteInPlace(const std::string& target, std::string_view bytes)
{
    int fd = open(target.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return WriteResult::OpenFailed;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return WriteResult::OpenFailed;
    }
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    std::string old(std::min(oldSize, bytes.size()), '\0');
    if (!PreadAll(fd, old)) {
        close(fd);
        return WriteResult::OpenFailed;
    }
    // Until the file is cut to its new length, the old bytes beyond the new
    // ones are still there, and writing back those before makes it whole.
    bool ok = PwriteAll(fd, bytes) && fsync(fd) == 0 &&
              ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    if (!ok) {
        PwriteAll(fd, old);
        if (ftruncate(fd, static_cast<off_t>(oldSize)) != 0) {
            // Nothing more can be done; the write error is reported below.
        }
        fsync(fd);
    } else if (fsync(fd) != 0) {
        ok = false; // the new contents are whole, but the user must know
    }
    if (close(fd) != 0)
        ok = false;
    return ok ? WriteResult::Ok : WriteResult::WriteFailed;
}

} // namespace

std::string TempFileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + kTempSuffix;
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

WriteResult ReplaceFile(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return WriteResult::OpenFailed;

    // Write through a link into the file it names, so the link stays a link.
    std::string target = path;
    struct stat lst;
    if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    // A file the user may not write is refused as overwriting it would be;
    // the rename must not sneak past its permissions.
    if (exists && (!S_ISREG(old.st_mode) || access(target.c_str(), W_OK) != 0))
        return WriteResult::OpenFailed;

    const std::string temp = TempFileName(target);
    int fd = CreateTemp(temp);
    if (fd < 0) // folder not writable, name too long, no inode: in place
        return exists ? OverwriteInPlace(target, bytes) : WriteNewInPlace(target, bytes);

    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    if (ok && exists) {
        ok = fchmod(fd, old.st_mode & 07777) == 0;
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; the mode is what matters.
        }
    } else if (ok) {
        ok = fchmod(fd, NewFileMode()) == 0;
    }
    if (close(fd) != 0)
        ok = false;
    if (ok && rename(temp.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok) {
        unlink(temp.c_str());
        return WriteResult::WriteFailed;
    }
    SyncFolder(target);
    return WriteResult::Ok;
}

} // namespace fileio
