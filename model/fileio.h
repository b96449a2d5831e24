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

// The error number given for a name that is not a regular file.
inline constexpr int kNotRegularFile = -1;

// Puts `bytes` into the file `path` (through a symbolic link into the file
// it names). Afterwards the file holds one save's complete bytes: its old
// contents (or nothing, if it was new) after a failure, the new ones after
// success; a save that could not confirm them (a failed sync or close after
// the bytes were complete) reports WriteFailed although the new bytes may be
// in place. Normally a temporary file of a name no other save uses is
// written beside it, synced and renamed over it while still locked. Where no
// temporary file can be made, or it could not keep the file's owner, group
// and mode, or the file has several links, the file is overwritten in place,
// locked against other saves, and its old bytes are written back on failure.
// A new file gets 0666 minus the umask; set-ID bits are never carried over.
// Only regular files are written: anything else is OpenFailed. `error`, when
// given, receives the errno of the failure (kNotRegularFile, 0 on success).
//
// Private: a file of this user's alone in a folder of its own (drafts). The
// name is never followed: a link there is replaced, not written through,
// and another owner's file is refused (EPERM). The file gets mode 0600, and
// it is never written in place.
// NewOnly: a name that is taken (by a file, a folder, a link) is OpenFailed
// with EEXIST, also when it is taken while the bytes are written: the new
// file is put in place only where nothing is.
enum class Mode { Shared, Private, NewOnly };
WriteResult ReplaceFile(const std::string& path, std::string_view bytes, int* error = nullptr,
                        Mode mode = Mode::Shared);

// One file of a batch, replaced in two steps so that a batch syncs once.
// Stage() writes the bytes into a new temporary file beside the target and
// closes it, unsynced; after every file is staged the caller syncs the file
// system once (SyncFileSystem), Commit()s each file (a rename, the folder
// unsynced), then syncs each folder once (SyncFolder). Where no temporary
// file can be made, Stage() replaces the file in place, synced, and Commit()
// has nothing left to do. Destroying an uncommitted StagedFile removes its
// temporary file.
class StagedFile {
public:
    StagedFile() = default;
    StagedFile(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    WriteResult Stage(const std::string& path, std::string_view bytes, int* error = nullptr);
    WriteResult Commit(int* error = nullptr);

private:
    void Discard();

    std::string m_temp; // empty: nothing to commit
    std::string m_target;
};

// syncfs of the file system that holds `path`.
bool SyncFileSystem(const std::string& path);
// fsync of the folder that holds `path`; a folder that cannot be synced at
// all (some network file systems) counts as synced.
bool SyncFolder(const std::string& path);

// Removes the temporary files that killed saves of this user left in
// `folder` (a batch's cleanup; a single save cleans up after its own file).
void RemoveStaleTemps(const std::string& folder);
// Removes those that killed saves of `path` left beside it.
void RemoveStaleTempsOf(const std::string& path);
// True when `entry`, a name in the folder of `path`, is a temporary file of
// a save of `path`: hidden and recognisable (".NAME.XXXXXX.bil-tmp").
bool IsTempFileOf(const std::string& path, const std::string& entry);

// True when `path` exists but is not a regular file (a folder, a FIFO, a
// device): such a name is refused without opening it.
bool IsSpecialFile(const std::string& path);

} // namespace fileio
