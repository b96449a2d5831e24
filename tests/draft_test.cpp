// Drafts: written privately, held by the Bil that writes them, offered one
// after another, restored with the statement file's identity, declined,
// damaged, and removed when the statement is done with.

#include "model/document.h"
#include "model/draft.h"
#include "support/support.h"

#include <gtest/gtest.h>

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
std::string DraftBytes(const std::string& path, std::uint32_t exists = 1, int records = kItemCount)
{
    std::vector<Record> r;
    for (int tag = 1; tag <= records; ++tag)
        r.push_back({tag, tag % 3 ? "" : "x" + std::to_string(tag), tag * 7 - 300});
    return "BILDRAF1" + Le(path.size(), 4) + path + Le(1700000000, 8) + Le(exists, 4) +
           Le(0x0102030405060708, 8) + Le(42, 8) + Le(1234, 8) + Le(-5, 8) + EncodeRecords(r);
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
    long Files() const
    {
        std::error_code ec;
        return std::distance(std::filesystem::directory_iterator(Folder(), ec), {});
    }
    bool Asked(std::size_t box, const std::string& path) const
    {
        return host.boxes.size() > box &&
               host.boxes[box].text.starts_with(Windows1250("Byl nalezen rozpracovaný výkaz pro soubor ") + path + " z ");
    }

    TempDir dir;
    ScriptedHost host;
};

} // namespace

TEST_F(Drafts, ArePrivateHeldByTheirBilAndRestoredWithTheFilesIdentity)
{
    const std::string path = "/uz/a.bil", hand = DraftBytes(path);
    CUzDocument doc, restored;
    doc.m_strPath = path;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        doc.m_data.Item(tag).m_strValue = tag % 3 ? "" : "x" + std::to_string(tag);
        doc.m_data.Item(tag).m_nNumber = tag * 7 - 300;
    }
    doc.m_identity = {true, 0x0102030405060708, 42, 1234, -5};
    const mode_t mask = umask(0);
    auto draft = std::make_unique<CUzDraft>();
    ASSERT_TRUE(draft->Write(doc));
    umask(mask);
    // Named by the path's FNV-1a hash, written as the format says (but for
    // the time), in folders made private.
    const std::string file = Folder() + "/4f5bb8727fd48620.draft", written = ReadFile(file);
    EXPECT_EQ(DraftFileFor(path), file);
    EXPECT_TRUE(written.substr(0, 21) == hand.substr(0, 21) && written.substr(29) == hand.substr(29));
    for (const auto& [name, mode] : {std::pair{dir.Path() + "/state", 0700}, {Folder(), 0700}, {file, 0600}}) {
        struct stat st {};
        EXPECT_TRUE(stat(name.c_str(), &st) == 0 && (st.st_mode & 07777) == mode_t(mode)) << name;
    }
    // Held: another Bil neither offers nor writes it. Let go of (as by a
    // crash), it is offered and restored.
    CUzDraft other;
    EXPECT_FALSE(other.Offer(restored) || other.Write(doc));
    WriteFile(file, hand);
    draft.reset();
    host.answers = {IDYES};
    ASSERT_TRUE(other.Offer(restored));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, Windows1250("Byl nalezen rozpracovaný výkaz pro soubor /uz/a.bil z "
                                              "14. 11. 2023 22:13 . Obnovit ? (Ne = zahodit)"));
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);
    EXPECT_EQ(restored.m_strPath, path);
    EXPECT_EQ(restored.m_identity, doc.m_identity);
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_EQ(restored.m_data.Item(tag).m_strValue, doc.m_data.Item(tag).m_strValue);
        EXPECT_EQ(restored.m_data.Item(tag).m_nNumber, doc.m_data.Item(tag).m_nNumber);
    }
    // Restored, it is held by the Bil that restored it, until done with;
    // written again only when something has changed.
    EXPECT_FALSE(CUzDraft().Offer(doc));
    EXPECT_TRUE(other.Write(restored));
    const fileio::FileIdentity once = fileio::IdentifyFile(file);
    EXPECT_TRUE(other.Write(restored));
    EXPECT_EQ(fileio::IdentifyFile(file), once);
    other.Discard();
    EXPECT_EQ(Files(), 0);
}

TEST_F(Drafts, DamagedOnesAreToldAndRemovedDeclinedOnesRemovedTheRestWait)
{
    // The statement loaded keeps its values whatever is declined or damaged.
    CUzDocument doc;
    doc.m_strPath = dir.File("loaded.bil");
    doc.m_data.Item(1).m_strValue = "loaded";
    const std::string good = DraftBytes("/uz/a.bil");
    for (const std::string& bytes : {
             std::string(), "BILDRAF2" + good.substr(8), // another format
             good.substr(0, 8) + Le(0, 4), good.substr(0, 8) + Le(0x7FFFFFFF, 4) + "/uz/a.bil",
             DraftBytes("uz/a.bil"), DraftBytes(std::string("/uz/a.bil\0", 10)),
             DraftBytes("/uz/a.bil", 2), good.substr(0, 40), // cut in the identity
             DraftBytes("/uz/a.bil", 1, kItemCount - 1),
             DraftBytes("/uz/b.bil"), // another statement's
         }) {
        std::filesystem::create_directories(Folder());
        WriteFile(DraftFileFor("/uz/a.bil"), bytes);
        host.boxes.clear();
        EXPECT_FALSE(CUzDraft().Offer(doc));
        ASSERT_EQ(host.boxes.size(), 1u) << bytes.size();
        EXPECT_EQ(host.boxes[0].text, LoadText(10009) + Windows1250("\nRozpracovaný výkaz ") +
                                          DraftFileFor("/uz/a.bil") + Windows1250(" je poškozený a byl odstraněn."));
        EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
        EXPECT_EQ(Files(), 0);
    }
    // A folder or a link in a draft's place is no draft, nor a lock file.
    std::filesystem::create_directories(Folder() + "/0.draft");
    std::filesystem::create_symlink(dir.File("x"), Folder() + "/1.draft");
    WriteFile(Folder() + "/2.lock", "");
    host.boxes.clear();
    EXPECT_FALSE(CUzDraft().Offer(doc) || CUzDraft().Offer(doc, "/uz/0"));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Files(), 3);
    std::filesystem::remove_all(Folder());

    // Three drafts left: the one of a statement being loaded is offered
    // alone; of the others, one is restored and the last waits.
    const std::string a = dir.File("a.bil"), b = dir.File("b.bil"), c = dir.File("c.bil");
    for (const std::string& path : {a, b, c}) {
        CUzDocument left;
        left.m_strPath = left.m_data.Item(1).m_strValue = path;
        EXPECT_TRUE(CUzDraft().Write(left));
    }
    host.boxes.clear();
    host.answers = {IDNO, IDYES};
    CUzDraft draft;
    EXPECT_FALSE(draft.Offer(doc, b));
    EXPECT_TRUE(Asked(0, b) && doc.m_data.Item(1).m_strValue == "loaded" && doc.m_strPath == dir.File("loaded.bil"));
    ASSERT_TRUE(draft.Offer(doc));
    const std::string restored = doc.m_strPath, waiting = restored == a ? c : a;
    EXPECT_TRUE(Asked(1, restored) && host.boxes.size() == 2 && restored != b);
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, restored);
    // Another Bil started now is offered only the one that waits.
    host.boxes.clear();
    CUzDocument fresh;
    EXPECT_FALSE(CUzDraft().Offer(fresh));
    EXPECT_TRUE(Asked(0, waiting) && host.boxes.size() == 1);
    // Another statement loaded in this Bil starts a draft of its own; the
    // restored one stays until done with.
    doc.m_strPath = dir.File("d.bil");
    EXPECT_TRUE(draft.Write(doc));
    EXPECT_EQ(Files(), 4);
    draft.Discard();
    EXPECT_TRUE(FileExists(DraftFileFor(restored)) && Files() == 2);
}
