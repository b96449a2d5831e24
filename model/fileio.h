#pragma once
// File access for the statement and text files: a buffered reader of a
// regular file, and the replacement of a file's contents that never leaves a
// mix of old and new. Integers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fileio {

// True only when all `size` bytes were transferred (EINTR is retried).
bool ReadAll(int fd, void* data, std::size_t size);
bool WriteAll(int fd, const void* data, std::size_t size);

void AppendInt32(std::string& out, std::int32_t value);

// Reads a regular file through one buffer, so that small fields cost no
// system call each. Only the first `limit` bytes of the file are ever read.
class Reader {
public:
    Reader(int fd, std::uint64_t limit);
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // False for anything but a regular file: nothing is read from it.
    bool IsRegular() const { return m_regular; }
    // Bytes between the position and the end (or the limit).
    std::uint64_t Left() const { return m_end - m_pos; }

    bool ReadInt32(std::int32_t& value);
    // Reads `size` bytes and keeps those before the first zero byte in
    // `text`; what follows a zero byte is skipped over, not read.
    bool ReadText(std::uint64_t size, std::string& text);

private:
    bool Fill();

    int m_fd;
    bool m_regular = false;
    std::uint64_t m_pos = 0;     // position of the next byte handed out
    std::uint64_t m_filePos = 0; // position of the descriptor
    std::uint64_t m_end = 0;
    std::size_t m_bufPos = 0;
    std::size_t m_bufLen = 0;
    char m_buf[64 * 1024];
};

// What a file was: enough to notice that another program changed, replaced,
// removed or created it since.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;

    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file `path` names now (through links); a name that
// names nothing is an identity too.
FileIdentity IdentifyFile(const std::string& path);
FileIdentity IdentifyOpenFile(int fd);

enum class WriteResult { Ok, OpenFailed, WriteFailed };

// Puts `bytes` into the file `path` (through a symbolic link into the file
// it names). After any failure the file holds its complete old contents (or
// is absent, if it was new) and after success the complete new ones: never a
// mix or a stump. Normally a temporary file beside it is written, synced and
// renamed over it; where none can be made, the file is overwritten in place
// and its old bytes are written back on failure. An existing file keeps its
// mode; a new one gets 0600 minus the umask. Only regular files are written:
// anything else is OpenFailed.
WriteResult ReplaceFile(const std::string& path, std::string_view bytes);

// The name of the temporary file ReplaceFile uses beside `path`: hidden and
// recognisable, one per file, so a save that was killed leaves at most this
// one behind and the next save of that file removes it.
std::string TempFileName(const std::string& path);

// True when `path` exists but is not a regular file (a folder, a FIFO, a
// device): such a name is refused without opening it.
bool IsSpecialFile(const std::string& path);

} // namespace fileio
