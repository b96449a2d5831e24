// Statement files: what good, odd, bad, hostile and missing files load as,
// the messages of the file errors, and saving, which never destroys the
// previous file: after any failure it holds its complete old contents, after
// success the complete new ones. Faults are planted in the system calls
// (linked with --wrap) or by a file-size limit, each case in a child
// process, some as an unprivileged user.

#include "model/document.h"
#include "model/fileio.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

// Faults this program plants, and the largest block it was asked for (every
// allocation goes through Allocate).
int g_fsyncsLeft = -1; // fsyncs of written files that still succeed; -1: all
int g_folderSyncError = 0; // what a folder's fsync fails with; 0: it works
bool g_failClose = false, g_failRename = false, g_failUnlink = false;
useconds_t g_fsyncDelay = 0, g_renameDelay = 0; // room for another save
// A file another program makes at the name a no-replace rename is about to
// take, and what renameat2 fails with (EINVAL: a file system without it).
std::string g_takenBeforeRename;
int g_renameat2Error = 0;
std::size_t g_ioCap = 0; // most bytes one read or write moves; 0: all
std::size_t g_largestAlloc = 0, g_allocLimit = SIZE_MAX;

bool Written(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}
int Fail(int error)
{
    errno = error;
    return -1;
}
void* Allocate(std::size_t size)
{
    g_largestAlloc = std::max(g_largestAlloc, size);
    if (size > g_allocLimit)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

extern "C" {
int __real_close(int fd), __real_fsync(int fd), __real_unlink(const char* path);
int __real_rename(const char* from, const char* to);
int __real_renameat2(int, const char*, int, const char*, unsigned);
ssize_t __real_read(int, void*, size_t), __real_write(int, const void*, size_t);
ssize_t __real_pread(int, void*, size_t, off_t), __real_pwrite(int, const void*, size_t, off_t);
int __wrap_close(int fd)
{
    const bool fail = g_failClose && Written(fd);
    const int rc = __real_close(fd);
    return fail ? Fail(EIO) : rc;
}
int __wrap_fsync(int fd)
{
    usleep(g_fsyncDelay);
    if (!Written(fd))
        return g_folderSyncError ? Fail(g_folderSyncError) : __real_fsync(fd);
    return g_fsyncsLeft >= 0 && g_fsyncsLeft-- == 0 ? Fail(EIO) : __real_fsync(fd);
}
int __wrap_rename(const char* from, const char* to)
{
    usleep(g_renameDelay);
    return g_failRename ? Fail(EIO) : __real_rename(from, to);
}
int __wrap_renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    if (!g_takenBeforeRename.empty())
        WriteFile(to, g_takenBeforeRename);
    return g_renameat2Error ? Fail(g_renameat2Error) : __real_renameat2(fromDir, from, toDir, to, flags);
}
int __wrap_unlink(const char* path)
{
    return g_failUnlink ? Fail(EPERM) : __real_unlink(path);
}
// Short transfers, as signals and network file systems give them.
size_t Cap(size_t n) { return g_ioCap ? std::min(n, g_ioCap) : n; }
ssize_t __wrap_read(int fd, void* p, size_t n) { return __real_read(fd, p, Cap(n)); }
ssize_t __wrap_write(int fd, const void* p, size_t n) { return __real_write(fd, p, Cap(n)); }
ssize_t __wrap_pread(int fd, void* p, size_t n, off_t at) { return __real_pread(fd, p, Cap(n), at); }
ssize_t __wrap_pwrite(int fd, const void* p, size_t n, off_t at) { return __real_pwrite(fd, p, Cap(n), at); }
}

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    return out;
}

using Records = std::vector<Record>;

std::string Le32(std::int32_t v)
{
    return EncodeRecords({{v, "", 0}}).substr(0, 4);
}

Records EmptyRecords()
{
    Records records;
    for (int tag = 1; tag <= kItemCount; ++tag)
        records.push_back({tag, "", 0});
    return records;
}

// Something in every value and figure mark, so that clearing shows.
void Dirty(CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        data.Item(tag).m_strValue = "old";
        data.Item(tag).m_nNumber = 77;
        if (tag >= kFirstFigureTag && tag <= kLastFigureTag)
            data.EditItem(tag).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    }
}

::testing::AssertionResult Holds(const CUzData& data, const Records& records)
{
    for (const Record& r : records) {
        const CUzItemBase& item = data.Item(r.tag);
        if (item.m_strValue != r.text || item.m_nNumber != r.number ||
            (r.tag != kOpinionTag && data.EditItem(r.tag).m_edit.m_nMark != 0))
            return ::testing::AssertionFailure() << "tag " << r.tag << " holds \"" << item.m_strValue
                                                 << "\" " << item.m_nNumber;
    }
    return ::testing::AssertionSuccess();
}

class StatementFile : public ::testing::Test {
protected:
    StatementFile() { doc.m_strPath = dir.File("uz.bil"); }
    TempDir dir;
    ScriptedHost host;
    CUzDocument doc;
};

} // namespace

TEST_F(StatementFile, LoadsAsTheFormatReadsOrGivesTheReadErrorAndAnEmptyStatement)
{
    const Records empty = EmptyRecords();
    Records odd = empty, oddLoaded = empty;
    odd[0] = {1, std::string("ab\0cd", 5), 9}; // a zero byte ends the text, not the record
    oddLoaded[0] = {1, "ab", 9};
    odd[1].text = std::string(kMaxTextLength, '\0'); // as long as a text may be
    odd[133].text = oddLoaded[133].text = "e";
    Records negativeLoaded = empty; // a negative length reads no text
    negativeLoaded[0].number = 42;
    const std::string good = EncodeRecords(ReadRecords("journey.records"));
    const std::string rest = EncodeRecords(empty).substr(12);
    Records lastText = empty;
    lastText[133].text = "abcdefgh";
    const std::string lastCut = EncodeRecords(lastText).substr(0, EncodeRecords(lastText).size() - 5);
    std::string wrongMiddleTag = EncodeRecords(empty);
    wrongMiddleTag[66 * 12] = 68; // record 67 claims tag 68
    // Sparse files: what a length field claims costs neither time nor memory.
    const auto sparse = [this](const std::vector<std::pair<off_t, std::string>>& parts, off_t size) {
        const int fd = open(doc.m_strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (const auto& [at, bytes] : parts)
            EXPECT_EQ(pwrite(fd, bytes.data(), bytes.size(), at), ssize_t(bytes.size()));
        EXPECT_EQ(ftruncate(fd, size), 0);
        close(fd);
    };
    // Every record a 16 MiB run of zeros: each within the bound of a text,
    // all of them far beyond what a statement file may hold.
    std::vector<std::pair<off_t, std::string>> runs;
    off_t end = 0;
    for (int tag = 1; tag <= kItemCount; end += 12 + kMaxTextLength, ++tag) {
        runs.push_back({end, Le32(tag) + Le32(kMaxTextLength)});
        runs.push_back({end + 8 + kMaxTextLength, Le32(0)});
    }
    const auto bytes = [this](std::string b) { return [this, b] { WriteFile(doc.m_strPath, b); }; };
    const std::pair<std::function<void()>, std::optional<Records>> cases[] = {
        {bytes(EncodeRecords(empty)), empty},
        {bytes(EncodeRecords(odd) + Le32(135) + "junk after the last record"), oddLoaded},
        {bytes(Le32(1) + Le32(-5) + Le32(42) + rest), negativeLoaded},
        {bytes(good.substr(0, good.size() - 1)), {}},
        {bytes(lastCut), {}}, // the last text runs past the end
        {bytes(Le32(2) + rest.substr(0, 8) + rest), {}},
        {bytes(wrongMiddleTag), {}},
        {bytes(""), {}},
        {bytes(Le32(1) + Le32(0x7FFFFFFF) + rest), {}},
        {[&] { sparse({{0, Le32(1) + Le32(0x7FFFFFF0)}}, off_t{1} << 31); }, {}},
        {[&] { sparse(runs, end); }, {}},
        {[&] { doc.m_strPath = dir.Path(); }, {}}, // a folder
    };
    for (const auto& [make, loaded] : cases) {
        make();
        Dirty(doc.m_data);
        doc.m_data.m_errors[1] = {1, {3}};
        g_largestAlloc = 0;
        g_ioCap = 1000; // the reads come in pieces
        EXPECT_EQ(doc.Load(), loaded.has_value());
        g_ioCap = 0;
        EXPECT_LT(g_largestAlloc, std::size_t{1} << 20);
        EXPECT_TRUE(Holds(doc.m_data, loaded.value_or(empty)));
        EXPECT_EQ(doc.m_data.m_errors[1].m_nCount, 1); // loading keeps the failed rules
        EXPECT_EQ(doc.m_nError, loaded ? FileErrNone : FileErrRead);
        doc.ShowFileError();
        EXPECT_EQ(host.boxes.size(), loaded ? 0u : 1u);
        if (!host.boxes.empty()) {
            EXPECT_TRUE(host.BoxId(0) == 10009 && host.boxes[0].style == (MB_ICONEXCLAMATION | MB_OK));
        }
        host.boxes.clear();
    }
}

TEST_F(StatementFile, NamesThatLoadNothing)
{
    // No name, and a folder that does not exist: a message at once, no code.
    const std::pair<std::string, int> names[] = {{"", 10003}, {dir.File("chybi/uz.bil"), 10005}};
    for (const auto& [path, id] : names) {
        host.boxes.clear();
        doc.m_strPath = path;
        Dirty(doc.m_data);
        EXPECT_FALSE(doc.Load());
        EXPECT_TRUE(Holds(doc.m_data, EmptyRecords()));
        EXPECT_EQ(doc.m_nError, FileErrNone);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_TRUE(host.BoxId(0) == id && host.boxes[0].style == MB_OK);
    }
    // A new name: an empty statement, the probe file gone again, closed.
    host.boxes.clear();
    doc.m_strPath = dir.File("nova.bil");
    Dirty(doc.m_data);
    const int nextFd = dup(0);
    close(nextFd);
    EXPECT_TRUE(doc.Load());
    EXPECT_TRUE(Holds(doc.m_data, EmptyRecords()));
    EXPECT_FALSE(FileExists(doc.m_strPath));
    const int fd = dup(0);
    EXPECT_EQ(fd, nextFd) << "a descriptor was left open";
    close(fd);
    // A probe file that cannot be deleted again: error 3 for the caller.
    g_failUnlink = true;
    EXPECT_FALSE(doc.Load());
    g_failUnlink = false;
    EXPECT_EQ(doc.m_nError, FileErrDelete);
    EXPECT_TRUE(host.boxes.empty());

    // A file the user may read but not write is refused before it is read.
    doc.m_strPath = dir.File("uz.bil");
    WriteFile(doc.m_strPath, EncodeRecords(EmptyRecords()));
    chmod(doc.m_strPath.c_str(), 0444);
    ChownToNobody(dir.Path());
    EXPECT_EQ(RunInChild([&] { return doc.Load() ? 100 : host.BoxId(0) - 10000; }, true), 4);
}

TEST_F(StatementFile, ReadsWithReadAccessOnlyAndCreatesNothing)
{
    const std::string readOnly = dir.File("jen čtení.bil"), secret = dir.File("tajny.bil");
    for (const std::string& path : {readOnly, secret})
        WriteFile(path, EncodeRecords(ReadRecords("journey.records")));
    chmod(readOnly.c_str(), 0444);
    ChownToNobody(readOnly);
    chmod(secret.c_str(), 0600); // root's
    ASSERT_EQ(symlink("smycka.bil", dir.File("smycka.bil").c_str()), 0);
    chmod(dir.Path().c_str(), 0555); // nothing may be made here, even a probe
    const std::string damaged = LoadText(10009);
    const std::tuple<std::string, ReadResult, std::string> cases[] = {
        {readOnly, ReadResult::Ok, ""}, {dir.File("chybi.bil"), ReadResult::Missing, Windows1250("Soubor neexistuje.")},
        {readOnly + "/x.bil", ReadResult::Missing, Windows1250("Soubor neexistuje.")},
        {dir.File("smycka.bil"), ReadResult::Damaged, damaged}, {dir.Path(), ReadResult::Damaged, damaged},
        {secret, ReadResult::Denied, LoadText(10004)}};
    const std::vector<std::string> before = Names(dir.Path());
    const int nextFd = dup(0);
    close(nextFd);
    EXPECT_EQ(RunInChild([&] {
                  int wrong = 0;
                  for (const auto& [path, result, text] : cases) {
                      fileio::FileIdentity id;
                      Dirty(doc.m_data);
                      const ReadResult r = ReadStatementFile(path, doc.m_data, result == ReadResult::Ok ? &id : nullptr);
                      wrong += r != result || ReadResultText(r) != text || (r == ReadResult::Ok && id != fileio::IdentifyFile(path)) ||
                               !Holds(doc.m_data, r == ReadResult::Ok ? ReadRecords("journey.records") : EmptyRecords());
                  }
                  return wrong + (dup(0) != nextFd ? 100 : 0); // + a descriptor left open
              }, true), 0);
    EXPECT_EQ(Names(dir.Path()), before);
    EXPECT_EQ(ReadResultText(ReadResult::OpenFailed), LoadText(10006));
    // Replaced by a copy of the same size and time: another file all the same.
    const fileio::FileIdentity original = fileio::IdentifyFile(readOnly);
    WriteFile(dir.File("kopie.bil"), ReadFile(readOnly));
    const timespec times[2] = {{0, UTIME_OMIT}, {original.mtimeNs / 1000000000, original.mtimeNs % 1000000000}};
    utimensat(AT_FDCWD, dir.File("kopie.bil").c_str(), times, 0);
    std::filesystem::rename(dir.File("kopie.bil"), readOnly);
    EXPECT_NE(fileio::IdentifyFile(readOnly), original);
}

TEST_F(StatementFile, ShowFileErrorReportsACodeOnceWithItsIcon)
{
    const std::tuple<std::int32_t, int, unsigned> cases[] = {
        {FileErrOpen, 10006, MB_ICONHAND}, {FileErrClose, 10007, MB_ICONHAND},
        {FileErrDelete, 10008, MB_ICONHAND}, {FileErrRead, 10009, MB_ICONEXCLAMATION},
        {FileErrWrite, 10010, MB_ICONHAND}, {6, 0, 0}, {-1, 0, 0}};
    for (const auto& [code, id, style] : cases) {
        host.boxes.clear();
        doc.m_nError = code;
        doc.ShowFileError();
        doc.ShowFileError();
        EXPECT_EQ(doc.m_nError, FileErrNone);
        ASSERT_EQ(host.boxes.size(), id ? 1u : 0u) << code;
        if (id) {
            EXPECT_TRUE(host.BoxId(0) == id && host.boxes[0].style == (style | MB_OK)) << code;
        }
    }
}

TEST(Save, KeepsTheOldFileOrWritesTheNewOneWholeInEveryFailure)
{
    // Where: beside a temporary file (T); in place because the temporary
    // name would be too long (L); in place because the folder is not the
    // user's to write, saved as an unprivileged user (F). A file-size limit
    // is an ordinary write error: nothing here ignores SIGXFSZ but the save.
    enum Fault { None, FileSize, Fsync1, Fsync2, Close, Rename, FolderSync, FolderNoSync, Short, Memory };
    enum After { Old, New, Absent };
    const struct {
        char where;
        bool exists, bigger; // the new contents larger than the old ones
        Fault fault;
        std::int32_t code;   // m_nError after Save
        int error;           // its errno
        After after;
    } cases[] = {
        {'T', true, true, None, FileErrNone, 0, New},
        {'T', true, true, Short, FileErrNone, 0, New}, // writes that move a part
        {'T', true, true, Memory, FileErrWrite, ENOMEM, Old},
        {'T', true, true, FileSize, FileErrWrite, EFBIG, Old},
        {'T', true, true, Fsync1, FileErrWrite, EIO, Old},
        {'T', true, false, Close, FileErrWrite, EIO, New}, // after its rename
        {'T', true, true, Rename, FileErrWrite, EIO, Old},
        {'T', false, true, FileSize, FileErrWrite, EFBIG, Absent},
        // A rename whose folder cannot be synced may not survive a power
        // cut: unconfirmed. A folder that cannot be synced at all is fine.
        {'T', true, true, FolderSync, FileErrWrite, EIO, New},
        {'T', false, true, FolderNoSync, FileErrNone, 0, New},
        {'L', true, false, None, FileErrNone, 0, New},
        {'L', true, true, Short, FileErrNone, 0, New},
        {'L', true, true, FileSize, FileErrWrite, EFBIG, Old},
        {'L', true, true, Fsync1, FileErrWrite, EIO, Old},
        {'L', true, false, Fsync2, FileErrWrite, EIO, New},
        {'L', true, true, Close, FileErrWrite, EIO, New},
        {'L', false, true, FileSize, FileErrWrite, EFBIG, Absent},
        {'F', true, true, None, FileErrNone, 0, New},
        {'F', true, true, FileSize, FileErrWrite, EFBIG, Old},
        {'F', false, true, None, FileErrOpen, EACCES, Absent},
    };
    constexpr std::size_t kOldSize = 4000;
    ScriptedHost host;
    TempDir dir;
    chmod(dir.Path().c_str(), 0755); // the unprivileged user must reach the folders
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        const std::string folder = dir.File(std::to_string(n++));
        std::filesystem::create_directory(folder);
        const std::string name = c.where == 'L' ? std::string(246, 'u') + ".bil" : "uz.bil";
        CUzDocument doc;
        doc.m_strPath = dir.File("expected.bil");
        doc.m_data.Item(122).m_strValue.assign(c.bigger ? 2 * kOldSize : kOldSize / 4, 'n');
        ASSERT_TRUE(doc.Save());
        // What it saved is what it knows: no question of another program's change follows.
        EXPECT_EQ(doc.m_identity, fileio::IdentifyFile(doc.m_strPath));
        const std::string newBytes = ReadFile(doc.m_strPath), oldBytes(kOldSize, 'o');
        doc.m_strPath = folder + "/" + name;
        if (c.exists)
            WriteFile(doc.m_strPath, oldBytes);
        if (c.where == 'F') {
            if (c.exists)
                ChownToNobody(doc.m_strPath);
            chmod(folder.c_str(), 0555);
        }
        const int code = RunInChild(
            [&] {
                const rlimit limit{kOldSize + 100, kOldSize + 100};
                if (c.fault == FileSize)
                    setrlimit(RLIMIT_FSIZE, &limit);
                g_fsyncsLeft = c.fault == Fsync1 ? 0 : c.fault == Fsync2 ? 1 : -1;
                g_folderSyncError = c.fault == FolderSync ? EIO : c.fault == FolderNoSync ? EINVAL : 0;
                g_failClose = c.fault == Close;
                g_failRename = c.fault == Rename;
                g_ioCap = c.fault == Short || c.fault == FileSize ? 1000 : 0;
                g_allocLimit = c.fault == Memory ? 2000 : SIZE_MAX;
                const int nextFd = dup(0);
                close(nextFd);
                if (doc.Save() != (doc.m_nError == FileErrNone))
                    return 255;
                const int fd = dup(0);
                if (fd != nextFd)
                    return 254; // a descriptor left open
                return doc.m_nError * 40 + std::min(doc.m_nErrno, 39);
            },
            c.where == 'F');
        EXPECT_EQ(code, c.code * 40 + c.error);
        EXPECT_EQ(Names(folder), c.after == Absent ? std::vector<std::string>{}
                                                    : std::vector<std::string>{name});
        if (c.after != Absent) {
            EXPECT_TRUE(ReadFile(doc.m_strPath) == (c.after == Old ? oldBytes : newBytes));
        }
    }
}

TEST(Save, KeepsOwnerGroupModeAndLinksAndRefusesWhatItMayNotWrite)
{
    ScriptedHost host;
    TempDir dir;
    CUzDocument doc;
    struct stat st;
    const auto modeOf = [&](const std::string& path) {
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    };
    // A new file: 0666 minus the umask, beside a temporary file and in place.
    for (const std::string& name : {std::string("new.bil"), std::string(250, 'n')}) {
        doc.m_strPath = dir.File(name);
        EXPECT_EQ(RunInChild([&] { return umask(027), doc.Save(); }), 1);
        EXPECT_EQ(modeOf(doc.m_strPath), 0640u) << name.size();
    }
    // An existing file keeps its mode, but never its set-ID bits.
    chmod(doc.m_strPath.c_str(), 0604);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(modeOf(doc.m_strPath), 0604u);
    doc.m_strPath = dir.File("new.bil");
    chmod(doc.m_strPath.c_str(), 06755);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(modeOf(doc.m_strPath), 0755u);
    // A file shared by a group: a member saves it, its owner keeps it. A
    // file with a second link: both names still show one file.
    constexpr uid_t kOwner = 1234;
    constexpr gid_t kGroup = 4321;
    const std::string shared = dir.File("skupina/uz.bil");
    std::filesystem::create_directory(dir.File("skupina"));
    WriteFile(shared, "old");
    for (const std::string& path : {dir.File("skupina"), shared})
        chown(path.c_str(), kOwner, kGroup);
    chmod(dir.File("skupina").c_str(), 0775);
    chmod(shared.c_str(), 0664);
    chmod(dir.Path().c_str(), 0755);
    ASSERT_EQ(link(shared.c_str(), dir.File("link2.bil").c_str()), 0);
    stat(shared.c_str(), &st);
    const ino_t inode = st.st_ino;
    const std::string saved = ReadFile(dir.File("new.bil"));
    doc.m_strPath = shared;
    EXPECT_EQ(RunInChild([&] { return doc.Save(); }, true, kGroup), 1);
    EXPECT_TRUE(ReadFile(dir.File("link2.bil")) == saved && ReadFile(shared) == saved);
    ASSERT_EQ(unlink(dir.File("link2.bil").c_str()), 0);
    WriteFile(shared, "old");
    EXPECT_EQ(RunInChild([&] { return doc.Save(); }, true, kGroup), 1);
    EXPECT_EQ(modeOf(shared), 0664u);
    EXPECT_TRUE(st.st_uid == kOwner && st.st_gid == kGroup && st.st_ino == inode);
    EXPECT_TRUE(ReadFile(shared) == saved);
    // Through a link into the file it names: the link stays.
    WriteFile(dir.File("real.bil"), "old");
    doc.m_strPath = dir.File("link.bil");
    ASSERT_EQ(symlink("real.bil", doc.m_strPath.c_str()), 0);
    ASSERT_TRUE(doc.Save());
    EXPECT_TRUE(std::filesystem::is_symlink(doc.m_strPath));
    EXPECT_EQ(ReadFile(dir.File("real.bil")), saved);
    // A read-only file: an open error, and nothing changes.
    doc.m_strPath = dir.File("readonly.bil");
    WriteFile(doc.m_strPath, "old");
    chmod(doc.m_strPath.c_str(), 0400);
    ChownToNobody(doc.m_strPath);
    ChownToNobody(dir.Path());
    EXPECT_EQ(RunInChild([&] { return doc.Save() ? 100 : doc.m_nError; }, true), FileErrOpen);
    EXPECT_EQ(ReadFile(doc.m_strPath), "old");
}

TEST(Save, ANewFileThatMayReplaceNoneTakesNoNameTakenEvenAtTheLastMoment)
{
    TempDir dir;
    const std::string path = dir.File("new.bil"), longName = dir.File(std::string(250, 'n')); // in place
    int error = -1;
    const auto create = [&error](const std::string& at) {
        return fileio::ReplaceFile(at, "ours", &error, fileio::Mode::NewOnly);
    };
    for (const auto& [renameError, taken] : {std::pair{0, ""}, {0, "theirs"}, {EINVAL, ""}, {EINVAL, "theirs"}}) {
        g_takenBeforeRename = taken, g_renameat2Error = renameError;
        EXPECT_EQ(create(path), *taken ? fileio::WriteResult::OpenFailed : fileio::WriteResult::Ok);
        g_takenBeforeRename.clear(), g_renameat2Error = 0;
        EXPECT_EQ(error, *taken ? EEXIST : 0);
        EXPECT_EQ(ReadFile(path), *taken ? taken : "ours");
        EXPECT_EQ(Names(dir.Path()).size(), 1u); // no temporary file left
        unlink(path.c_str());
    }
    EXPECT_EQ(create(longName), fileio::WriteResult::Ok);
    EXPECT_EQ(create(longName), fileio::WriteResult::OpenFailed);
}

TEST(Save, AKilledSaveLeavesOneTemporaryFileThatTheNextSaveRemoves)
{
    ScriptedHost host;
    TempDir dir;
    CUzDocument doc;
    doc.m_strPath = dir.File("uz.bil");
    doc.m_data.Item(114).m_strValue.assign(4 << 20, 'x'); // a save takes a while
    const auto temps = [&] {
        std::vector<std::string> out;
        for (const std::string& name : Names(dir.Path())) {
            EXPECT_TRUE(name == "uz.bil" || fileio::IsTempFileOf(doc.m_strPath, name)) << name;
            if (name != "uz.bil")
                out.push_back(name);
        }
        return out;
    };
    for (int i = 0; i < 12; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        while (pid == 0)
            doc.Save();
        usleep(static_cast<useconds_t>(2000 + 3000 * i));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        EXPECT_LE(temps().size(), 1u);
    }
    // Left by killed saves of this and of earlier versions: removed.
    WriteFile(dir.File(".uz.bil.bil-tmp"), "left by a killed save");
    WriteFile(dir.File(".uz.bil.Ab12Cd.bil-tmp"), "left by a killed save");
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(temps(), std::vector<std::string>{});
    // A temporary file a running save holds, or another user's, stays; so
    // does a file of a name no save makes.
    const std::string busy = dir.File(".uz.bil.busy01.bil-tmp"), foreign = dir.File(".uz.bil.x.bil-tmp");
    WriteFile(foreign, "mine");
    const std::string others = dir.File(".uz.bil.other1.bil-tmp");
    WriteFile(busy, "busy");
    WriteFile(others, "other");
    ChownToNobody(others);
    const int held = open(busy.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    doc.m_data.Item(114).m_strValue = "short";
    ASSERT_TRUE(doc.Save());
    close(held);
    EXPECT_TRUE(ReadFile(busy) == "busy" && ReadFile(others) == "other" && FileExists(foreign));
    CUzDocument again;
    again.m_strPath = doc.m_strPath;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.m_data.Item(114).m_strValue, "short");
}

TEST(Save, SavesAtOnceLeaveOneWholeSaveAndSucceedOnlyWithTheirOwn)
{
    TempDir dir;
    const std::string path = dir.File("uz.bil");
    const auto start = [](const std::function<int()>& body) {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(body());
        return pid;
    };
    const auto save = [&](const std::string& bytes) { return fileio::ReplaceFile(path, bytes) != fileio::WriteResult::Ok; };
    const auto status = [](pid_t pid) {
        int st = 0;
        return waitpid(pid, &st, 0) == pid && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    for (std::size_t size : {std::size_t{4000}, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        const std::string a(size, 'a'), b(size, 'b'), c(size, 'c');
        WriteFile(path, c);
        // A waits before its rename; B starts meanwhile, writes, waits in its
        // fsync and is killed there. A's success means A's bytes.
        const pid_t saverA = start([&] { return g_renameDelay = 300000, save(a); });
        usleep(100000);
        const pid_t saverB = start([&] { return g_fsyncDelay = 5000000, save(b); });
        EXPECT_EQ(status(saverA), 0);
        kill(saverB, SIGKILL);
        status(saverB);
        EXPECT_TRUE(ReadFile(path) == a);
        // Unplanned: two saves at once, one of them killed at some moment.
        for (int round = 0; round < 8; ++round) {
            const pid_t one = start([&] { return save(a); }), two = start([&] { return save(b); });
            usleep(static_cast<useconds_t>(round * 2000));
            kill(round % 2 ? one : two, SIGKILL);
            status(one), status(two);
            const std::string now = ReadFile(path);
            EXPECT_TRUE(now == a || now == b) << round;
        }
        ASSERT_EQ(fileio::ReplaceFile(path, c), fileio::WriteResult::Ok);
        EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"uz.bil"});
    }
    // In place (a folder the user may not write), saves take turns: one
    // waits while another holds the file.
    WriteFile(path, "old");
    ChownToNobody(path);
    chmod(dir.Path().c_str(), 0755);
    const int held = open(path.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    const pid_t waiting = start([&] {
        close(held);
        return setgroups(0, nullptr) || setgid(65534) || setuid(65534) ? 120 : save("new");
    });
    usleep(200000);
    EXPECT_EQ(waitpid(waiting, nullptr, WNOHANG), 0) << "written while another save held it";
    close(held);
    EXPECT_EQ(status(waiting), 0);
    EXPECT_EQ(ReadFile(path), "new");
}
