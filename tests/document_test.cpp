// The statement file and the document: the stored bytes, what a bad or
// missing file does, and that a failed save leaves the previous file whole.

#include "model/document.h"
#include "model/messages.h"
#include "support/files.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <vector>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Every allocation of this test program goes through here, so that a test
// can see the largest block a load asked for. New and delete are replaced
// together, so GCC's mismatch warning does not apply.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<std::size_t> g_largestAlloc{0};

void NoteAlloc(std::size_t size)
{
    std::size_t seen = g_largestAlloc.load();
    while (size > seen && !g_largestAlloc.compare_exchange_weak(seen, size)) {
    }
}
} // namespace

void* operator new(std::size_t size)
{
    NoteAlloc(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    NoteAlloc(size);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr std::size_t kEmptyFileSize = 134 * 12;

std::string Le32(std::uint32_t v)
{
    const char b[4] = {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF),
                       char(v >> 24 & 0xFF)};
    return std::string(b, 4);
}

std::string Record(std::uint32_t tag, const std::string& text, std::int32_t number)
{
    return Le32(tag) + Le32(static_cast<std::uint32_t>(text.size())) + text +
           Le32(static_cast<std::uint32_t>(number));
}

// Records with no text and number 0 for tags first..last.
std::string EmptyRecords(int first, int last)
{
    std::string out;
    for (int tag = first; tag <= last; ++tag)
        out += Record(static_cast<std::uint32_t>(tag), "", 0);
    return out;
}

// A small statement: a few header and orderer texts, figures of both years.
void FillSmall(CUzData& data)
{
    data.Item(1).m_strValue = "Stavby \xC8" "echy a.s.";
    data.Item(2).m_nNumber = 12345678;
    data.Item(10).m_strValue = "s v\xFDhradou";
    data.Item(10).m_nNumber = 1;
    data.Item(11).m_nNumber = 1500;
    data.Item(12).m_nNumber = -20;
    data.Item(114).m_strValue = "Dce\xF8i\r\nPraha";
    data.Item(134).m_strValue = "uz@firma.cz";
}

std::string SmallFileBytes()
{
    std::string out = Record(1, "Stavby \xC8" "echy a.s.", 0) + Record(2, "", 12345678) +
                      EmptyRecords(3, 9) + Record(10, "s v\xFDhradou", 1) +
                      Record(11, "", 1500) + Record(12, "", -20) + EmptyRecords(13, 113) +
                      Record(114, "Dce\xF8i\r\nPraha", 0) + EmptyRecords(115, 133) +
                      Record(134, "uz@firma.cz", 0);
    return out;
}

// Something in every value and in the marks of the figures (the only items a
// check marks), so that clearing shows.
void Dirty(CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        data.Item(tag).m_strValue = "old";
        data.Item(tag).m_nNumber = 77;
    }
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
        data.EditItem(tag).m_edit.m_nMark = tag % 2 ? CUzMarkEdit::MarkSum : CUzMarkEdit::MarkAddend;
}

::testing::AssertionResult AllEmpty(const CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        const CUzItemBase& item = data.Item(tag);
        if (!item.m_strValue.empty() || item.m_nNumber != 0)
            return ::testing::AssertionFailure() << "tag " << tag << " holds a value";
        if (tag != kOpinionTag && data.EditItem(tag).m_edit.m_nMark != 0)
            return ::testing::AssertionFailure() << "tag " << tag << " is marked";
    }
    return ::testing::AssertionSuccess();
}

std::size_t FilesIn(const std::string& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

mode_t CurrentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

class StatementFile : public ::testing::Test {
protected:
    StatementFile() { doc.m_strPath = dir.File("uz.bil"); }

    // Writes `bytes` as the statement file and loads it into a dirty statement.
    bool LoadBytes(const std::string& bytes)
    {
        WriteFile(doc.m_strPath, bytes);
        Dirty(doc.m_data);
        return doc.Load();
    }

    TempDir dir;
    ScriptedHost host;
    CUzDocument doc;
};

} // namespace

TEST_F(StatementFile, SavedBytesFollowTheRecordFormat)
{
    FillSmall(doc.m_data);
    ASSERT_TRUE(doc.Save());
    const std::string bytes = ReadFile(doc.m_strPath);
    EXPECT_EQ(bytes, SmallFileBytes());
    EXPECT_EQ(bytes.size(), kEmptyFileSize + 17 + 10 + 12 + 11);
    // Spelled out once: tag 1 with its 17 bytes, then tag 2 with the IČO.
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\0\0\0\x11\0\0\0", 8));
    EXPECT_EQ(bytes.substr(25, 4), std::string("\0\0\0\0", 4));
    EXPECT_EQ(bytes.substr(29, 12), std::string("\x02\0\0\0\0\0\0\0\x4E\x61\xBC\x00", 12));
    EXPECT_EQ(ModeOf(doc.m_strPath), 0600 & ~CurrentUmask());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(StatementFile, HandWrittenFileLoads)
{
    ASSERT_TRUE(LoadBytes(SmallFileBytes()));
    CUzData expected;
    FillSmall(expected);
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_EQ(doc.m_data.Item(tag).m_strValue, expected.Item(tag).m_strValue) << tag;
        EXPECT_EQ(doc.m_data.Item(tag).m_nNumber, expected.Item(tag).m_nNumber) << tag;
    }
    EXPECT_EQ(doc.m_nError, FileErrNone);
}

TEST_F(StatementFile, RoundTripOfEveryItem)
{
    std::string everyByte;
    for (int i = 0; i < 10000; ++i)
        everyByte += static_cast<char>(1 + i % 255);
    const std::int32_t numbers[] = {0, -1, INT32_MIN, INT32_MAX, 42, -987654321};
    for (int tag = 1; tag <= kItemCount; ++tag) {
        CUzItemBase& item = doc.m_data.Item(tag);
        item.m_strValue = tag % 3 == 0 ? "" : "P\xF8" "edm\xECt " + std::to_string(tag);
        item.m_nNumber = numbers[tag % 6];
    }
    doc.m_data.Item(122).m_strValue = everyByte;
    ASSERT_TRUE(doc.Save());

    CUzDocument again;
    again.m_strPath = doc.m_strPath;
    ASSERT_TRUE(again.Load());
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_EQ(again.m_data.Item(tag).m_strValue, doc.m_data.Item(tag).m_strValue) << tag;
        EXPECT_EQ(again.m_data.Item(tag).m_nNumber, doc.m_data.Item(tag).m_nNumber) << tag;
    }
}

TEST_F(StatementFile, EmptyRecordsAndTrailingBytesLoad)
{
    ASSERT_TRUE(LoadBytes(EmptyRecords(1, 134)));
    EXPECT_TRUE(AllEmpty(doc.m_data));

    ASSERT_TRUE(LoadBytes(SmallFileBytes() + Record(135, "more", 1) + "junk"));
    EXPECT_EQ(doc.m_data.Item(134).m_strValue, "uz@firma.cz");
    EXPECT_EQ(doc.m_nError, FileErrNone);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(StatementFile, NegativeLengthReadsNoText)
{
    const std::string file =
        Le32(1) + Le32(0xFFFFFFFB) + Le32(42) + Record(2, "", 5) + EmptyRecords(3, 134);
    ASSERT_TRUE(LoadBytes(file));
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, "");
    EXPECT_EQ(doc.m_data.Item(1).m_nNumber, 42);
    EXPECT_EQ(doc.m_data.Item(2).m_nNumber, 5);
}

TEST_F(StatementFile, ZeroByteEndsTheTextAndTheRecordStillEnds)
{
    const std::string file = Record(1, std::string("ab\0cd", 5), 9) + Record(2, "", 3) +
                             EmptyRecords(3, 133) + Record(134, "end", 0);
    ASSERT_TRUE(LoadBytes(file));
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, "ab");
    EXPECT_EQ(doc.m_data.Item(1).m_nNumber, 9);
    EXPECT_EQ(doc.m_data.Item(2).m_nNumber, 3);
    EXPECT_EQ(doc.m_data.Item(134).m_strValue, "end");
}

TEST_F(StatementFile, BadFilesFailWithReadErrorAndEmptyStatement)
{
    const std::string good = SmallFileBytes();
    std::string wrongMiddleTag = Record(1, "firma", 0) + EmptyRecords(2, 134);
    wrongMiddleTag[17 + 65 * 12] = 68; // record 67 claims tag 68
    const std::string cases[] = {
        good.substr(0, good.size() - 1),
        EmptyRecords(1, 134).substr(0, kEmptyFileSize - 1),
        Record(2, "", 0) + EmptyRecords(2, 134),
        wrongMiddleTag,
        "",
    };
    for (const std::string& bytes : cases) {
        EXPECT_FALSE(LoadBytes(bytes)) << bytes.size();
        EXPECT_EQ(doc.m_nError, FileErrRead) << bytes.size();
        EXPECT_TRUE(AllEmpty(doc.m_data)) << bytes.size();
        doc.ShowFileError();
    }
    ASSERT_EQ(host.boxes.size(), std::size(cases));
    EXPECT_EQ(host.BoxId(0), 10009);
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
}

TEST_F(StatementFile, LengthsBeyondTheFileOrTheBoundsAreRefusedWithoutAllocating)
{
    const std::string rest = EmptyRecords(2, 134);
    // Sparse files: what a length field claims costs neither time nor memory.
    auto sparse = [&](const std::vector<std::pair<off_t, std::string>>& parts, off_t size) {
        WriteFile(doc.m_strPath, "");
        const int fd = open(doc.m_strPath.c_str(), O_WRONLY);
        for (const auto& [at, bytes] : parts)
            EXPECT_EQ(pwrite(fd, bytes.data(), bytes.size(), at), ssize_t(bytes.size()));
        EXPECT_EQ(ftruncate(fd, size), 0);
        close(fd);
    };
    // Every record a 16 MiB run of zeros: each within its bound, the whole
    // far beyond what a statement file may hold.
    std::vector<std::pair<off_t, std::string>> runs;
    off_t at = 0;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        runs.push_back({at, Le32(std::uint32_t(tag)) + Le32(kMaxTextLength)});
        at += 8 + kMaxTextLength;
        runs.push_back({at, Le32(0)});
        at += 4;
    }
    const std::function<void()> files[] = {
        [&] { WriteFile(doc.m_strPath, Le32(1) + Le32(0x7FFFFFFF) + rest); },
        [&] { WriteFile(doc.m_strPath, Le32(1) + Le32(std::uint32_t(rest.size() + 5)) + rest); },
        [&] { sparse({{0, Le32(1) + Le32(0x7FFFFFF0)}}, off_t{1} << 31); },
        [&] { sparse(runs, at); },
    };
    for (const auto& make : files) {
        make();
        Dirty(doc.m_data);
        g_largestAlloc = 0;
        EXPECT_FALSE(doc.Load());
        EXPECT_EQ(doc.m_nError, FileErrRead);
        EXPECT_TRUE(AllEmpty(doc.m_data));
        EXPECT_LT(g_largestAlloc.load(), std::size_t{1} << 20);
        doc.m_nError = FileErrNone;
    }
}

TEST_F(StatementFile, FailedLoadClearsValuesAndMarksButKeepsFailedRules)
{
    doc.m_data.m_errors[0].m_nCount = 2;
    doc.m_data.m_errors[0].m_aRule[1] = 7;
    doc.m_data.m_errors[1].m_nCount = 1;
    EXPECT_FALSE(LoadBytes(Record(2, "", 0)));
    EXPECT_TRUE(AllEmpty(doc.m_data));
    EXPECT_EQ(doc.m_data.m_errors[0].m_nCount, 2);
    EXPECT_EQ(doc.m_data.m_errors[0].m_aRule[1], 7);
    EXPECT_EQ(doc.m_data.m_errors[1].m_nCount, 1);
}

TEST_F(StatementFile, EmptyPathIsReportedAtOnce)
{
    doc.m_strPath.clear();
    Dirty(doc.m_data);
    EXPECT_FALSE(doc.Load());
    EXPECT_TRUE(AllEmpty(doc.m_data));
    EXPECT_EQ(doc.m_nError, FileErrNone);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10003);
    EXPECT_EQ(host.boxes[0].style, MB_OK);
    doc.ShowFileError();
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(StatementFile, NewNameInWritableFolderLoadsEmptyAndLeavesNoFile)
{
    Dirty(doc.m_data);
    EXPECT_TRUE(doc.Load());
    EXPECT_TRUE(AllEmpty(doc.m_data));
    EXPECT_EQ(FilesIn(dir.Path()), 0u);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(StatementFile, MissingFolderCannotBeCreated)
{
    doc.m_strPath = dir.File("missing/uz.bil");
    Dirty(doc.m_data);
    EXPECT_FALSE(doc.Load());
    EXPECT_TRUE(AllEmpty(doc.m_data));
    EXPECT_EQ(doc.m_nError, FileErrNone);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10005);
}

TEST_F(StatementFile, ReadOnlyFileIsRefusedBeforeReading)
{
    WriteFile(doc.m_strPath, SmallFileBytes());
    chmod(doc.m_strPath.c_str(), 0400);
    ChownToNobody(dir.Path());
    ChownToNobody(doc.m_strPath);
    const int rc = RunInChild(
        [&] {
            if (doc.Load())
                return 1;
            if (host.boxes.size() != 1 || host.BoxId(0) != 10004)
                return 2;
            if (doc.m_nError != FileErrNone || !AllEmpty(doc.m_data))
                return 3;
            return 0;
        },
        /*asNobody=*/true);
    EXPECT_EQ(rc, 0);
}

TEST_F(StatementFile, ShowFileErrorReportsOnceWithTheCodesIcon)
{
    const struct {
        std::int32_t code;
        int id;
        unsigned style;
    } cases[] = {{FileErrOpen, 10006, MB_ICONHAND},
                 {FileErrDelete, 10008, MB_ICONHAND},
                 {FileErrRead, 10009, MB_ICONEXCLAMATION},
                 {FileErrWrite, 10010, MB_ICONHAND}};
    for (const auto& c : cases) {
        host.boxes.clear();
        doc.m_nError = c.code;
        doc.ShowFileError();
        doc.ShowFileError();
        EXPECT_EQ(doc.m_nError, FileErrNone);
        ASSERT_EQ(host.boxes.size(), 1u) << c.code;
        EXPECT_EQ(host.BoxId(0), c.id);
        EXPECT_EQ(host.boxes[0].style, c.style | MB_OK) << c.code;
    }
}

