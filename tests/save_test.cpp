// Saving never destroys the previous file: after any failure it holds its
// complete old contents, after success the complete new ones. Faults are
// planted in the system calls (linked with --wrap) or by a file-size limit,
// each case in a child process, some as an unprivileged user.

#include "model/document.h"
#include "model/fileio.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Faults this program plants (document_test.cpp uses the last one).
int g_fsyncsLeft = -1; // fsyncs of written files that still succeed; -1: all
bool g_failClose = false, g_failRename = false, g_failUnlink = false;

namespace {
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
} // namespace

extern "C" {
int __real_close(int fd);
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);
int __real_unlink(const char* path);
int __wrap_close(int fd)
{
    const bool fail = g_failClose && Written(fd);
    const int rc = __real_close(fd);
    return fail ? Fail(EIO) : rc;
}
int __wrap_fsync(int fd)
{
    return Written(fd) && g_fsyncsLeft >= 0 && g_fsyncsLeft-- == 0 ? Fail(EIO) : __real_fsync(fd);
}
int __wrap_rename(const char* from, const char* to)
{
    return g_failRename ? Fail(EIO) : __real_rename(from, to);
}
int __wrap_unlink(const char* path)
{
    return g_failUnlink ? Fail(EPERM) : __real_unlink(path);
}
}

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    return out;
}

} // namespace

TEST(Save, KeepsTheOldFileOrWritesTheNewOneWholeInEveryFailure)
{
    // Where: beside a temporary file (T); in place because the temporary
    // name would be too long (L); in place because the folder is not the
    // user's to write, saved as an unprivileged user (F).
    enum Fault { None, FileSize, Fsync1, Fsync2, Close, Rename };
    enum After { Old, New, Absent };
    const struct {
        char where;
        bool exists, bigger; // the new contents larger than the old ones
        Fault fault;
        std::int32_t code;   // m_nError after Save
        After after;
    } cases[] = {
        {'T', true, true, None, FileErrNone, New},     {'T', true, true, FileSize, FileErrWrite, Old},
        {'T', true, true, Fsync1, FileErrWrite, Old},  {'T', true, false, Close, FileErrWrite, Old},
        {'T', true, true, Rename, FileErrWrite, Old},  {'T', false, true, FileSize, FileErrWrite, Absent},
        {'L', true, false, None, FileErrNone, New},    {'L', true, true, FileSize, FileErrWrite, Old},
        {'L', true, true, Fsync1, FileErrWrite, Old},  {'L', true, false, Fsync2, FileErrWrite, New},
        {'L', true, true, Close, FileErrWrite, New},   {'L', false, true, FileSize, FileErrWrite, Absent},
        {'F', true, true, None, FileErrNone, New},     {'F', true, true, FileSize, FileErrWrite, Old},
        {'F', false, true, None, FileErrOpen, Absent},
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
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{kOldSize + 100, kOldSize + 100};
                if (c.fault == FileSize)
                    setrlimit(RLIMIT_FSIZE, &limit);
                g_fsyncsLeft = c.fault == Fsync1 ? 0 : c.fault == Fsync2 ? 1 : -1;
                g_failClose = c.fault == Close;
                g_failRename = c.fault == Rename;
                return doc.Save() == (doc.m_nError == FileErrNone) ? doc.m_nError : 101;
            },
            c.where == 'F');
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(Names(folder), c.after == Absent ? std::vector<std::string>{}
                                                    : std::vector<std::string>{name});
        if (c.after != Absent) {
            EXPECT_TRUE(ReadFile(doc.m_strPath) == (c.after == Old ? oldBytes : newBytes));
        }
    }
}

TEST(Save, KeepsModeAndLinksAndRefusesWhatItMayNotWrite)
{
    ScriptedHost host;
    TempDir dir;
    CUzDocument doc;
    // A new file: 0600 minus the umask; an existing one keeps its mode.
    doc.m_strPath = dir.File("new.bil");
    ASSERT_TRUE(doc.Save());
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st;
    stat(doc.m_strPath.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600 & ~mask);
    chmod(doc.m_strPath.c_str(), 0640);
    ASSERT_TRUE(doc.Save());
    stat(doc.m_strPath.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Through a link into the file it names: the link stays.
    const std::string saved = ReadFile(doc.m_strPath);
    WriteFile(dir.File("real.bil"), "old");
    doc.m_strPath = dir.File("link.bil");
    ASSERT_EQ(symlink("real.bil", doc.m_strPath.c_str()), 0);
    ASSERT_TRUE(doc.Save());
    EXPECT_TRUE(std::filesystem::is_symlink(doc.m_strPath));
    EXPECT_EQ(ReadFile(dir.File("real.bil")), saved);
    // No name, a missing folder, a folder, a FIFO, a read-only file: open
    // errors, and nothing changes.
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const std::string& path : {std::string(), dir.File("x/uz.bil"), dir.Path(), dir.File("fifo")}) {
        doc.m_strPath = path;
        EXPECT_FALSE(doc.Save()) << path;
        EXPECT_EQ(doc.m_nError, FileErrOpen);
    }
    doc.m_strPath = dir.File("readonly.bil");
    WriteFile(doc.m_strPath, "old");
    chmod(doc.m_strPath.c_str(), 0400);
    ChownToNobody(doc.m_strPath);
    ChownToNobody(dir.Path());
    EXPECT_EQ(RunInChild([&] { return doc.Save() ? 100 : doc.m_nError; }, true), FileErrOpen);
    EXPECT_EQ(ReadFile(doc.m_strPath), "old");
}

TEST(Save, AKilledSaveLeavesOneTemporaryFileThatTheNextSaveRemoves)
{
    ScriptedHost host;
    TempDir dir;
    CUzDocument doc;
    doc.m_strPath = dir.File("uz.bil");
    doc.m_data.Item(114).m_strValue.assign(4 << 20, 'x'); // a save takes a while
    const std::string temp = fileio::TempFileName(doc.m_strPath);
    EXPECT_EQ(temp, dir.File(".uz.bil.bil-tmp"));
    for (int i = 0; i < 12; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        while (pid == 0)
            doc.Save();
        usleep(static_cast<useconds_t>(2000 + 3000 * i));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        for (const std::string& name : Names(dir.Path()))
            EXPECT_TRUE(name == "uz.bil" || name == ".uz.bil.bil-tmp") << name;
    }
    WriteFile(temp, "left by a killed save");
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"uz.bil"});
    // A temporary file a running save holds, or another user's, stays; the
    // save then writes in place.
    doc.m_data.Item(114).m_strValue = "short";
    WriteFile(temp, "busy");
    const int busy = open(temp.c_str(), O_RDONLY);
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    ASSERT_TRUE(doc.Save());
    close(busy);
    ChownToNobody(temp);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadFile(temp), "busy");
    CUzDocument again;
    again.m_strPath = doc.m_strPath;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.m_data.Item(114).m_strValue, "short");
}
