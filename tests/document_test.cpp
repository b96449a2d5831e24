// The statement file and the document: what good, odd, bad, hostile and
// missing files do, and the messages of the file errors.

#include "model/document.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

extern bool g_failUnlink; // save_test.cpp

// Every allocation of this program goes through here, so that a test can see
// the largest block asked for.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::size_t g_largestAlloc = 0;

void* Allocate(std::size_t size)
{
    g_largestAlloc = std::max(g_largestAlloc, size);
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
        EXPECT_EQ(doc.Load(), loaded.has_value());
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
