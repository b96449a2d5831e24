// The statement file and the document: the stored bytes, what a bad,
// hostile or missing file does, and the statement text when memory runs out.

#include "model/document.h"
#include "model/messages.h"
#include "support/files.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

// Every allocation of this program goes through here: a test can see the
// largest block asked for, or make one allocation fail.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::size_t g_largestAlloc = 0;
long g_allocationsBeforeFailure = -1; // one-shot; negative: none fails

void* Allocate(std::size_t size)
{
    g_largestAlloc = std::max(g_largestAlloc, size);
    if (g_allocationsBeforeFailure == 0) {
        g_allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (g_allocationsBeforeFailure > 0)
        --g_allocationsBeforeFailure;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::string Le32(std::int32_t v)
{
    return EncodeRecords({{v, "", 0}}).substr(0, 4);
}

std::vector<Record> EmptyRecords()
{
    std::vector<Record> records;
    for (int tag = 1; tag <= kItemCount; ++tag)
        records.push_back({tag, "", 0});
    return records;
}

// Something in every value and in the marks of the figures (the only items
// a check marks), so that clearing shows.
void Dirty(CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        data.Item(tag).m_strValue = "old";
        data.Item(tag).m_nNumber = 77;
    }
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
        data.EditItem(tag).m_edit.m_nMark = CUzMarkEdit::MarkSum;
}

::testing::AssertionResult Holds(const CUzData& data, const std::vector<Record>& records)
{
    for (const Record& r : records) {
        const CUzItemBase& item = data.Item(r.tag);
        if (item.m_strValue != r.text || item.m_nNumber != r.number)
            return ::testing::AssertionFailure() << "tag " << r.tag << " holds \"" << item.m_strValue
                                                 << "\" " << item.m_nNumber;
        if (r.tag != kOpinionTag && data.EditItem(r.tag).m_edit.m_nMark != 0)
            return ::testing::AssertionFailure() << "tag " << r.tag << " is marked";
    }
    return ::testing::AssertionSuccess();
}

class StatementFile : public ::testing::Test {
protected:
    StatementFile() { doc.m_strPath = dir.File("uz.bil"); }

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

TEST_F(StatementFile, BytesFollowTheRecordFormatBothWays)
{
    const std::vector<Record> records = ReadRecords("full_statement.records");
    FillStatement(doc.m_data, records);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadFile(doc.m_strPath), EncodeRecords(records));
    ASSERT_TRUE(LoadBytes(EncodeRecords(records)));
    EXPECT_TRUE(Holds(doc.m_data, records));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(StatementFile, OddRecordsLoadAsTheFormatReadsThem)
{
    std::vector<Record> empty = EmptyRecords();
    std::vector<Record> zero = empty; // a zero byte ends the text; the record goes on
    zero[0] = {1, std::string("ab\0cd", 5), 9};
    zero[133].text = "end";
    std::vector<Record> zeroLoaded = zero;
    zeroLoaded[0].text = "ab";
    // A negative length reads no text: the next four bytes are the number.
    const std::string negative =
        Le32(1) + Le32(-5) + Le32(42) + EncodeRecords(empty).substr(12);
    std::vector<Record> negativeLoaded = empty;
    negativeLoaded[0].number = 42;
    const std::pair<std::string, std::vector<Record>> cases[] = {
        {EncodeRecords(empty), empty},
        {EncodeRecords(zero) + Le32(135) + "junk after the last record", zeroLoaded},
        {negative, negativeLoaded},
    };
    for (const auto& [bytes, loaded] : cases) {
        doc.m_data.m_errors[0] = {1, {7}};
        ASSERT_TRUE(LoadBytes(bytes)) << bytes.size();
        EXPECT_TRUE(Holds(doc.m_data, loaded));
        EXPECT_EQ(doc.m_data.m_errors[0].m_nCount, 1); // loading keeps the failed rules
    }
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(StatementFile, BadAndHostileFilesGiveTheReadErrorAndAnEmptyStatement)
{
    const std::string good = EncodeRecords(ReadRecords("full_statement.records"));
    const std::string rest = EncodeRecords(EmptyRecords()).substr(12);
    std::string wrongMiddleTag = EncodeRecords(EmptyRecords());
    wrongMiddleTag[66 * 12] = 68; // record 67 claims tag 68
    // Sparse files: what a length field claims costs neither time nor memory.
    const auto sparse = [this](const std::vector<std::pair<off_t, std::string>>& parts, off_t size) {
        const int fd = open(doc.m_strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (const auto& [at, bytes] : parts)
            EXPECT_EQ(pwrite(fd, bytes.data(), bytes.size(), at), ssize_t(bytes.size()));
        EXPECT_EQ(ftruncate(fd, size), 0);
        close(fd);
    };
    // Every record a 16 MiB run of zeros: each within the bound of one
    // text, all of them far beyond what a statement file may hold.
    std::vector<std::pair<off_t, std::string>> runs;
    off_t end = 0;
    for (int tag = 1; tag <= kItemCount; end += 12 + kMaxTextLength, ++tag) {
        runs.push_back({end, Le32(tag) + Le32(kMaxTextLength)});
        runs.push_back({end + 8 + kMaxTextLength, Le32(0)});
    }
    const std::function<void()> files[] = {
        [&] { WriteFile(doc.m_strPath, good.substr(0, good.size() - 1)); },
        [&] { WriteFile(doc.m_strPath, Le32(2) + rest.substr(0, 8) + rest); },
        [&] { WriteFile(doc.m_strPath, wrongMiddleTag); },
        [&] { WriteFile(doc.m_strPath, ""); },
        [&] { WriteFile(doc.m_strPath, Le32(1) + Le32(0x7FFFFFFF) + rest); },
        [&] { sparse({{0, Le32(1) + Le32(0x7FFFFFF0)}}, off_t{1} << 31); },
        [&] { sparse(runs, end); },
        [&] { doc.m_strPath = dir.Path(); }, // a folder
    };
    for (const auto& make : files) {
        make();
        Dirty(doc.m_data);
        doc.m_data.m_errors[1] = {1, {3}};
        g_largestAlloc = 0;
        EXPECT_FALSE(doc.Load());
        EXPECT_LT(g_largestAlloc, std::size_t{1} << 20);
        EXPECT_TRUE(Holds(doc.m_data, EmptyRecords()));
        EXPECT_EQ(doc.m_data.m_errors[1].m_nCount, 1);
        ASSERT_EQ(doc.m_nError, FileErrRead);
        doc.ShowFileError();
    }
    ASSERT_EQ(host.boxes.size(), std::size(files));
    EXPECT_EQ(host.BoxId(0), 10009);
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
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
        EXPECT_EQ(host.BoxId(0), id);
        EXPECT_EQ(host.boxes[0].style, unsigned(MB_OK));
    }
    // A new name: an empty statement, and the probe file is gone again.
    host.boxes.clear();
    doc.m_strPath = dir.File("nova.bil");
    Dirty(doc.m_data);
    EXPECT_TRUE(doc.Load());
    EXPECT_TRUE(Holds(doc.m_data, EmptyRecords()));
    EXPECT_FALSE(FileExists(doc.m_strPath));
    EXPECT_TRUE(host.boxes.empty());

    // A file the user may read but not write is refused before it is read.
    doc.m_strPath = dir.File("uz.bil");
    WriteFile(doc.m_strPath, EncodeRecords(EmptyRecords()));
    chmod(doc.m_strPath.c_str(), 0444);
    ChownToNobody(dir.Path());
    const int rc = RunInChild(
        [&] { return doc.Load() ? 100 : host.boxes.size() == 1 ? host.BoxId(0) - 10000 : 101; },
        /*asNobody=*/true);
    EXPECT_EQ(rc, 4); // 10004
}

TEST_F(StatementFile, ShowFileErrorReportsACodeOnceWithItsIcon)
{
    const struct {
        std::int32_t code;
        int id;
        unsigned style;
    } cases[] = {{FileErrOpen, 10006, MB_ICONHAND}, {FileErrClose, 10007, MB_ICONHAND},
                 {FileErrDelete, 10008, MB_ICONHAND}, {FileErrRead, 10009, MB_ICONEXCLAMATION},
                 {FileErrWrite, 10010, MB_ICONHAND}, {6, 0, 0}, {-1, 0, 0}};
    for (const auto& c : cases) {
        host.boxes.clear();
        doc.m_nError = c.code;
        doc.ShowFileError();
        doc.ShowFileError();
        EXPECT_EQ(doc.m_nError, FileErrNone);
        ASSERT_EQ(host.boxes.size(), c.id ? 1u : 0u) << c.code;
        if (c.id) {
            EXPECT_EQ(host.BoxId(0), c.id);
            EXPECT_EQ(host.boxes[0].style, c.style | MB_OK);
        }
    }
}

// Whichever allocation fails while the text is built, no partial text is
// left and the user is told.
TEST(BuildText, OutOfMemoryLeavesNoPartialTextAndTellsTheUser)
{
    CUzDocument doc;
    FillStatement(doc.m_data, ReadRecords("full_statement.records"));
    std::string complete;
    ASSERT_EQ(doc.BuildText(complete), 1);
    for (long k = 0;; ++k) {
        ScriptedHost host;
        std::string text = "previous text";
        g_allocationsBeforeFailure = k;
        const int result = doc.BuildText(text);
        const bool failed = g_allocationsBeforeFailure < 0;
        g_allocationsBeforeFailure = -1;
        if (!failed) {
            EXPECT_GT(k, 0);
            EXPECT_EQ(result, 1);
            EXPECT_EQ(text, complete);
            break;
        }
        ASSERT_EQ(result, 0) << "allocation " << k;
        EXPECT_TRUE(text.empty());
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.BoxId(0), 10018);
        EXPECT_EQ(host.boxes[0].style, MB_ICONHAND | MB_OK);
    }
}
