// Saving never destroys the previous file: after any failure it holds its
// complete old contents, after success the complete new ones. Faults are
// planted in the system calls (linked with --wrap) or by a file-size limit,
// each case in a child process, some of them as an unprivileged user.

#include "model/document.h"
#include "model/fileio.h"
#include "support/files.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class Fault { None, FileSize, FirstFsync, SecondFsync, Close, Rename };
int g_fsyncsLeft = -1; // fsyncs of written files that still succeed; -1: all
bool g_failClose = false;
bool g_failRename = false;

bool OpenForWriting(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

} // namespace

extern "C" {
int __real_close(int fd);
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);

int __wrap_close(int fd)
{
    if (g_failClose && OpenForWriting(fd)) {
        __real_close(fd);
        errno = EIO;
        return -1;
    }
    return __real_close(fd);
}

int __wrap_fsync(int fd)
{
    if (OpenForWriting(fd) && g_fsyncsLeft >= 0 && g_fsyncsLeft-- == 0) {
        errno = EIO;
        return -1;
    }
    return __real_fsync(fd);
}

int __wrap_rename(const char* from, const char* to)
{
    if (g_failRename) {
        errno = EIO;
        return -1;
    }
    return __real_rename(from, to);
}
}

namespace {

// Where the file is saved: beside a temporary file, or in place because no
// temporary file can be made (its name would be too long, or the folder is
// not the user's to write: then the save runs as an unprivileged user).
enum class Where { Temp, LongName, LockedFolder };
enum class After { Old, New, Absent };

struct SaveCase {
    const char* what;
    Where where;
    bool exists;
    bool bigger; // the new contents are larger than the old ones
    Fault fault;
    std::int32_t code; // m_nError after Save; FileErrNone: saved
    After after;
};

constexpr SaveCase kCases[] = {
    {"saved beside a temporary file", Where::Temp, true, true, Fault::None, FileErrNone, After::New},
    {"disk full while writing the temporary file", Where::Temp, true, true, Fault::FileSize, FileErrWrite, After::Old},
    {"temporary file fails to sync", Where::Temp, true, true, Fault::FirstFsync, FileErrWrite, After::Old},
    {"temporary file fails to close", Where::Temp, true, false, Fault::Close, FileErrWrite, After::Old},
    {"rename fails", Where::Temp, true, true, Fault::Rename, FileErrWrite, After::Old},
    {"new file, disk full", Where::Temp, false, true, Fault::FileSize, FileErrWrite, After::Absent},
    {"in place, saved", Where::LongName, true, false, Fault::None, FileErrNone, After::New},
    {"in place, disk full past the old end", Where::LongName, true, true, Fault::FileSize, FileErrWrite, After::Old},
    {"in place, sync fails", Where::LongName, true, true, Fault::FirstFsync, FileErrWrite, After::Old},
    {"in place, sync after shortening fails", Where::LongName, true, false, Fault::SecondFsync, FileErrWrite, After::New},
    {"in place, close fails after the new bytes are synced", Where::LongName, true, true, Fault::Close, FileErrWrite, After::New},
    {"in place, new file, disk full", Where::LongName, false, true, Fault::FileSize, FileErrWrite, After::Absent},
    {"folder not writable, saved in place", Where::LockedFolder, true, true, Fault::None, FileErrNone, After::New},
    {"folder not writable, disk full", Where::LockedFolder, true, true, Fault::FileSize, FileErrWrite, After::Old},
    {"folder not writable, new file", Where::LockedFolder, false, true, Fault::None, FileErrOpen, After::Absent},
};

constexpr std::size_t kOldSize = 4000;

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    return out;
}

// Compares a file with what it should hold, without printing kilobytes.
::testing::AssertionResult Holds(const std::string& path, const std::string& bytes)
{
    const std::string got = ReadFile(path);
    if (got == bytes)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < bytes.size() && got[at] == bytes[at])
        ++at;
    return ::testing::AssertionFailure() << path << " holds " << got.size() << " bytes, expected "
                                         << bytes.size() << ", first difference at " << at;
}

// Statement bytes as a save writes them (checked against the record format
// by the document tests).
std::string BytesOf(CUzDocument& doc, const std::string& path)
{
    const std::string keep = doc.m_strPath;
    doc.m_strPath = path;
    EXPECT_TRUE(doc.Save());
    doc.m_strPath = keep;
    std::string bytes = ReadFile(path);
    std::remove(path.c_str());
    return bytes;
}

TEST(Save, KeepsTheOldFileOrWritesTheNewOneWholeInEveryFailure)
{
    ScriptedHost host;
    TempDir dir;
    chmod(dir.Path().c_str(), 0755); // the unprivileged user must reach the folders
    int n = 0;
    for (const SaveCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::string folder = dir.File(std::to_string(n++));
        std::filesystem::create_directory(folder);
        const std::string name = c.where == Where::LongName ? std::string(246, 'u') + ".bil" : "uz.bil";
        CUzDocument doc;
        doc.m_strPath = folder + "/" + name;
        doc.m_data.Item(122).m_strValue.assign(c.bigger ? 2 * kOldSize : kOldSize / 4, 'n');
        const std::string newBytes = BytesOf(doc, dir.File("expected.bil"));
        const std::string oldBytes(kOldSize, 'o');
        if (c.exists)
            WriteFile(doc.m_strPath, oldBytes);
        if (c.where == Where::LockedFolder) {
            if (c.exists)
                ChownToNobody(doc.m_strPath);
            chmod(folder.c_str(), 0555);
        }

        const int code = RunInChild(
            [&] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{kOldSize + 100, kOldSize + 100};
                if (c.fault == Fault::FileSize && setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return 100;
                g_fsyncsLeft = c.fault == Fault::FirstFsync ? 0 : c.fault == Fault::SecondFsync ? 1 : -1;
                g_failClose = c.fault == Fault::Close;
                g_failRename = c.fault == Fault::Rename;
                const bool saved = doc.Save();
                return saved == (doc.m_nError == FileErrNone) ? doc.m_nError : 101;
            },
            c.where == Where::LockedFolder);
        EXPECT_EQ(code, c.code);

        const std::vector<std::string> names = Names(folder);
        if (c.after == After::Absent) {
            EXPECT_TRUE(names.empty());
        } else {
            EXPECT_EQ(names, std::vector<std::string>{name}) << "a temporary file was left";
            EXPECT_TRUE(Holds(doc.m_strPath, c.after == After::Old ? oldBytes : newBytes));
        }
    }
}

TEST(Save, KeepsModeAndLinksAndRefusesWhatItMayNotWrite)
{
    ScriptedHost host;
    TempDir dir;
    CUzDocument doc;
    doc.m_data.Item(1).m_strValue = "Firma";

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

    // No name, a missing folder, a folder, a FIFO, a file the user may not
    // write: open errors, and nothing changes.
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const std::string& path : {std::string(), dir.File("missing/uz.bil"), dir.Path(), dir.File("fifo")}) {
        doc.m_strPath = path;
        doc.m_nError = FileErrNone;
        EXPECT_FALSE(doc.Save()) << path;
        EXPECT_EQ(doc.m_nError, FileErrOpen) << path;
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
        if (pid == 0) {
            for (;;)
                doc.Save();
        }
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
    EXPECT_EQ(ReadFile(temp), "busy");
    if (geteuid() == 0) {
        ChownToNobody(temp);
        ASSERT_TRUE(doc.Save());
        EXPECT_EQ(ReadFile(temp), "busy");
    }
    CUzDocument again;
    again.m_strPath = doc.m_strPath;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.m_data.Item(114).m_strValue, "short");
}

} // namespace
