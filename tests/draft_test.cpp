// Drafts: written privately, offered one after another, restored with the
// statement file's identity, declined, damaged, held by another Bil, and
// removed when the statement is done with.

#include "model/document.h"
#include "model/draft.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace {

std::string Le(std::uint64_t v, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(v >> 8 * i);
    return out;
}

// A draft by hand: magic, path, time, identity, the records.
std::string DraftBytes(const std::string& path, const std::vector<Record>& records,
                       std::uint32_t exists = 1)
{
    return "BILDRAF1" + Le(path.size(), 4) + path + Le(1700000000, 8) + Le(exists, 4) +
           Le(0x0102030405060708, 8) + Le(42, 8) + Le(1234, 8) + Le(-5, 8) + EncodeRecords(records);
}

std::vector<Record> SomeRecords(const std::string& name)
{
    std::vector<Record> records;
    for (int tag = 1; tag <= kItemCount; ++tag)
        records.push_back({tag, tag % 3 ? "" : name + std::to_string(tag), tag * 7 - 300});
    return records;
}

class Drafts : public ::testing::Test {
protected:
    Drafts()
    {
        setenv("XDG_STATE_HOME", (dir.Path() + "/state").c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
    }
    std::string Folder() const { return dir.Path() + "/state/bil"; }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(Folder()))
            for (const auto& e : std::filesystem::directory_iterator(Folder()))
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Writes a draft of a statement `name` in the test folder, lets go of it.
    std::string Leave(const std::string& name)
    {
        CUzDocument doc;
        doc.m_strPath = dir.File(name);
        doc.m_data.Item(1).m_strValue = name;
        CUzDraft draft;
        EXPECT_TRUE(draft.Write(doc));
        return doc.m_strPath;
    }
    // The statement path each question asked about.
    std::vector<std::string> Asked() const
    {
        const std::string before = Windows1250("Byl nalezen rozpracovaný výkaz pro soubor ");
        std::vector<std::string> paths;
        for (const auto& box : host.boxes)
            if (box.text.starts_with(before))
                paths.push_back(box.text.substr(before.size(), box.text.find(" z ") - before.size()));
        return paths;
    }

    TempDir dir;
    ScriptedHost host;
};

} // namespace

TEST_F(Drafts, AreTheStatementWithItsIdentityPrivateAndOfferedUntilRestored)
{
    // A draft written by hand from the format, found under the name its path
    // hashes to (FNV-1a 64), its folder made with its parents.
    const std::vector<Record> records = SomeRecords("Účet ");
    const std::string path = "/uz/a.bil";
    CUzDocument doc;
    doc.m_strPath = path;
    for (const Record& r : records) {
        doc.m_data.Item(r.tag).m_strValue = r.text;
        doc.m_data.Item(r.tag).m_nNumber = r.number;
    }
    doc.m_identity = {true, 0x0102030405060708, 42, 1234, -5};
    const mode_t mask = umask(0);
    auto draft = std::make_unique<CUzDraft>();
    ASSERT_TRUE(draft->Write(doc));
    umask(mask);
    const std::string file = Folder() + "/4f5bb8727fd48620.draft";
    EXPECT_EQ(DraftFileFor(path), file);
    for (const auto& [name, mode] : {std::pair{dir.Path() + "/state", 0700}, {Folder(), 0700}, {file, 0600}}) {
        struct stat st {};
        EXPECT_EQ(stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode_t(mode)) << name;
    }
    const std::string written = ReadFile(file);
    const std::string expected = DraftBytes(path, records);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written.substr(0, 21) == expected.substr(0, 21)); // all but the time
    EXPECT_TRUE(written.substr(29) == expected.substr(29));

    // Held by this Bil: another one neither offers nor writes it.
    WriteFile(file, expected);
    CUzDraft second;
    CUzDocument other;
    EXPECT_FALSE(second.Offer(other));
    EXPECT_FALSE(second.Write(doc));
    EXPECT_TRUE(host.boxes.empty());

    // Let go of (as by a crash), it is offered and restored whole.
    draft.reset();
    host.answers = {IDYES};
    ASSERT_TRUE(second.Offer(other));
    EXPECT_EQ(host.boxes[0].text, Windows1250("Byl nalezen rozpracovaný výkaz pro soubor /uz/a.bil z "
                                              "14. 11. 2023 22:13 . Obnovit ? (Ne = zahodit)"));
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);
    EXPECT_EQ(other.m_strPath, path);
    EXPECT_EQ(other.m_identity, doc.m_identity);
    for (const Record& r : records) {
        EXPECT_EQ(other.m_data.Item(r.tag).m_strValue, r.text);
        EXPECT_EQ(other.m_data.Item(r.tag).m_nNumber, r.number);
    }
    // Restored, it is this Bil's draft: held, written on, removed when done.
    CUzDraft third;
    EXPECT_FALSE(third.Offer(doc));
    EXPECT_TRUE(second.Write(other));
    EXPECT_EQ(Files(), (std::vector<std::string>{"4f5bb8727fd48620.draft", "4f5bb8727fd48620.lock"}));
    second.Discard();
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(Drafts, DamagedOnesAreToldAndRemovedDeclinedOnesRemovedTheRestWait)
{
    // The statement loaded keeps its values whatever is declined or damaged.
    CUzDocument doc;
    doc.m_strPath = dir.File("loaded.bil");
    doc.m_data.Item(1).m_strValue = "loaded";
    const std::string good = DraftBytes("/uz/a.bil", SomeRecords("x"));
    const std::string badHeader[] = {
        "",
        "BILDRAF2" + good.substr(8),                      // another format
        good.substr(0, 8) + Le(0, 4),                      // no path
        good.substr(0, 8) + Le(0x7FFFFFFF, 4) + "/uz/a.bil", // a path longer than any
        DraftBytes("uz/a.bil", {}),                         // not absolute
        DraftBytes(std::string("/uz/a.bil\0", 10), {}),     // a zero byte
        DraftBytes("/uz/a.bil", SomeRecords("x"), 2),       // exists neither 0 nor 1
        good.substr(0, 40),                                 // cut in the identity
        good.substr(0, good.size() - 1),                    // a record cut short
        DraftBytes("/uz/b.bil", SomeRecords("x")),          // another statement's
    };
    for (const std::string& bytes : badHeader) {
        std::filesystem::create_directories(Folder());
        WriteFile(DraftFileFor("/uz/a.bil"), bytes);
        host.boxes.clear();
        CUzDraft draft;
        EXPECT_FALSE(draft.Offer(doc));
        ASSERT_EQ(host.BoxIds(), std::vector<int>{10009}) << bytes.size();
        EXPECT_EQ(host.boxes[0].text, LoadText(10009) + Windows1250("\nRozpracovaný výkaz ") +
                                          DraftFileFor("/uz/a.bil") +
                                          Windows1250(" je poškozený a byl odstraněn."));
        EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
        EXPECT_TRUE(Files().empty());
    }
    // A folder or a link in a draft's place is no draft, nor a lock file alone.
    std::filesystem::create_directories(Folder() + "/0.draft");
    std::filesystem::create_symlink(dir.File("x"), Folder() + "/1.draft");
    WriteFile(Folder() + "/2.lock", "");
    host.boxes.clear();
    CUzDraft none;
    EXPECT_FALSE(none.Offer(doc));
    EXPECT_FALSE(none.Offer(doc, "/uz/0"));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Files(), (std::vector<std::string>{"0.draft", "1.draft", "2.lock"}));
    std::filesystem::remove_all(Folder());

    // Three drafts: the one of a statement being loaded is offered alone;
    // of the others, one restored, and the rest wait for the next start.
    const std::string a = Leave("a.bil"), b = Leave("b.bil"), c = Leave("c.bil");
    host.boxes.clear();
    host.answers = {IDNO};
    CUzDraft draft;
    EXPECT_FALSE(draft.Offer(doc, b));
    EXPECT_EQ(Asked(), std::vector<std::string>{b});
    EXPECT_EQ(Files().size(), 4u); // a's and c's, each with its lock file
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, "loaded");
    EXPECT_EQ(doc.m_strPath, dir.File("loaded.bil"));
    host.boxes.clear();
    host.answers = {IDYES};
    ASSERT_TRUE(draft.Offer(doc));
    ASSERT_EQ(Asked().size(), 1u);
    const std::string restored = Asked()[0], waiting = restored == a ? c : a;
    EXPECT_EQ(doc.m_strPath, restored);
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, restored.substr(restored.size() - 5));
    // Another Bil started now: only the waiting one; declined, it goes.
    host.boxes.clear();
    CUzDraft another;
    CUzDocument fresh;
    EXPECT_FALSE(another.Offer(fresh));
    EXPECT_EQ(Asked(), std::vector<std::string>{waiting});
    EXPECT_EQ(Files().size(), 2u);
    // Another statement loaded in this Bil starts a draft of its own; the
    // restored one stays until it is done with.
    doc.m_strPath = dir.File("d.bil");
    EXPECT_TRUE(draft.Write(doc));
    EXPECT_EQ(Files().size(), 4u);
    draft.Discard();
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_TRUE(FileExists(DraftFileFor(restored)));
}
