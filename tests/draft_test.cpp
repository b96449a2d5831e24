// Drafts: written privately, held by the Bil that writes them, offered one after another, restored
// with the statement file's identity, declined, damaged, and removed when the statement is done with.

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
        std::filesystem::create_directories(Folder());
    }
    std::string Folder() const { return dir.Path() + "/state/bil"; }
    long Files() const { return std::distance(std::filesystem::directory_iterator(Folder()), {}); }
    bool Asked(std::size_t box, const std::string& path) const
    {
        return host.boxes.size() > box &&
               host.boxes[box].text.starts_with(Windows1250("Byl nalezen rozpracovaný výkaz pro soubor ") + path + " z ");
    }

    TempDir dir;
    ScriptedHost host;
};

} // namespace

TEST_F(Drafts, AreRestoredWithTheFilesIdentityHeldAndWrittenBackAsRead)
{
    // A draft made as the format says, under the name its path hashes to
    // (FNV-1a 64), left by a Bil that was killed.
    const std::string path = "/uz/a.bil", hand = DraftBytes(path), file = Folder() + "/4f5bb8727fd48620.draft";
    EXPECT_EQ(DraftFileFor(path), file);
    WriteFile(file, hand);
    CUzDraft draft, other;
    CUzDocument doc, none;
    host.answers = {IDYES};
    ASSERT_TRUE(draft.Offer(doc));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, Windows1250("Byl nalezen rozpracovaný výkaz pro soubor /uz/a.bil z "
                                              "14. 11. 2023 22:13 . Obnovit ? (Ne = zahodit)"));
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);
    EXPECT_EQ(doc.m_strPath, path);
    EXPECT_EQ(doc.m_identity, (fileio::FileIdentity{true, 0x0102030405060708, 42, 1234, -5}));
    // Held by the Bil that restored it: another one neither offers nor
    // writes it (a lock file beside it).
    EXPECT_TRUE(FileExists(Folder() + "/4f5bb8727fd48620.lock"));
    EXPECT_FALSE(other.Offer(none) || other.Write(doc));
    // Written back, it is what was read but for the time; again only when something has changed.
    ASSERT_TRUE(draft.Write(doc));
    const std::string written = ReadFile(file);
    EXPECT_TRUE(written.substr(0, 21) == hand.substr(0, 21) && written.substr(29) == hand.substr(29));
    const fileio::FileIdentity once = fileio::IdentifyFile(file);
    EXPECT_TRUE(draft.Write(doc));
    EXPECT_EQ(fileio::IdentifyFile(file), once);
    draft.Discard(); // done with: gone
    EXPECT_EQ(Files(), 0);
    EXPECT_FALSE(draft.Write(none)); // no statement, no draft
    // Without an absolute XDG_STATE_HOME, in the home folder.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_STATE_HOME", "state", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DraftFolder(), "/home/u/.local/state/bil");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(Drafts, DamagedOnesAreToldAndRemovedDeclinedOnesRemovedTheRestWait)
{
    // The statement loaded keeps its values whatever is declined or damaged.
    CUzDocument doc;
    doc.m_strPath = dir.File("loaded.bil");
    doc.m_data.Item(1).m_strValue = "loaded";
    // Each under the name of the path it holds, if any.
    const std::string a = "/uz/a.bil", good = DraftBytes(a), relative = "uz/a.bil", zero("/uz/a.bil\0", 10);
    for (const auto& [path, bytes] : std::initializer_list<std::pair<std::string, std::string>>{
             {a, ""}, {a, "BILDRAF2" + good.substr(8)}, // another format
             {a, good.substr(0, 8) + Le(0, 4)}, {a, good.substr(0, 8) + Le(0x7FFFFFFF, 4) + a},
             {relative, DraftBytes(relative)}, {zero, DraftBytes(zero)}, {a, DraftBytes(a, 2)},
             {a, good.substr(0, 40)}, // cut in the identity
             {a, DraftBytes(a, 1, kItemCount - 1)}, {a, DraftBytes("/uz/b.bil")}, // another's
         }) {
        WriteFile(DraftFileFor(path), bytes);
        host.boxes.clear();
        EXPECT_FALSE(CUzDraft().Offer(doc));
        ASSERT_EQ(host.boxes.size(), 1u) << bytes.size();
        EXPECT_EQ(host.boxes[0].text, LoadText(10009) + Windows1250("\nRozpracovaný výkaz ") +
                                          DraftFileFor(path) + Windows1250(" je poškozený a byl odstraněn."));
        EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
        EXPECT_EQ(Files(), 0);
    }
    // A folder or a link in a draft's place is no draft, nor a lock file.
    std::filesystem::create_directories(Folder() + "/0.draft");
    std::filesystem::create_symlink(dir.File("x"), Folder() + "/1.draft");
    WriteFile(Folder() + "/2.lock", "");
    host.boxes.clear();
    CUzDocument first;
    first.m_strPath = "/uz/0";
    EXPECT_FALSE(CUzDraft().Offer(doc) || CUzDraft().Open(first));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Files(), 3);
    std::filesystem::remove_all(dir.Path() + "/state");

    // Three drafts left, in folders made private: the one of a statement being loaded is offered
    // alone; of the others, one is restored and the last waits.
    const std::string b = dir.File("b.bil"), c = dir.File("c.bil");
    const mode_t mask = umask(0);
    for (const std::string& path : {dir.File("a.bil"), b, c}) {
        CUzDocument left;
        left.m_strPath = left.m_data.Item(1).m_strValue = path;
        EXPECT_TRUE(CUzDraft().Write(left));
    }
    umask(mask);
    for (const auto& [name, mode] : {std::pair{dir.Path() + "/state", 0700}, {Folder(), 0700}, {DraftFileFor(b), 0600}})
        EXPECT_EQ(std::filesystem::status(name).permissions(), std::filesystem::perms(mode)) << name;
    host.boxes.clear();
    host.answers = {IDNO, IDYES};
    CUzDraft draft;
    doc.m_strPath = b;
    EXPECT_FALSE(draft.Open(doc));
    EXPECT_TRUE(Asked(0, b) && doc.m_data.Item(1).m_strValue == "loaded" && doc.m_strPath == b);
    ASSERT_TRUE(draft.Offer(doc));
    const std::string restored = doc.m_strPath, waiting = restored == c ? dir.File("a.bil") : c;
    EXPECT_TRUE(Asked(1, restored) && host.boxes.size() == 2 && restored != b);
    EXPECT_EQ(doc.m_data.Item(1).m_strValue, restored);
    // Another Bil started now is offered only the one that waits.
    host.boxes.clear();
    CUzDocument fresh;
    EXPECT_FALSE(CUzDraft().Offer(fresh));
    EXPECT_TRUE(Asked(0, waiting) && host.boxes.size() == 1);
    // Another statement loaded in this Bil starts a draft of its own; the restored one stays.
    doc.m_strPath = dir.File("d.bil");
    EXPECT_TRUE(draft.Write(doc));
    EXPECT_EQ(Files(), 4);
    draft.Discard();
    EXPECT_TRUE(FileExists(DraftFileFor(restored)) && Files() == 2);
}

TEST_F(Drafts, NeverGoThroughAFolderOrANameAnotherUserCouldReach)
{
    // Another user plants a link at the draft's name while the statement is
    // typed: the victim stays as it was, whatever the folder was like.
    CUzDocument doc;
    doc.m_strPath = dir.File("a.bil");
    const std::string victim = dir.File("victim"), draft = DraftFileFor(doc.m_strPath);
    const auto plant = [&] {
        WriteFile(victim, "mine");
        std::filesystem::remove(draft);
        std::filesystem::create_symlink(victim, draft);
    };
    // A careless umask or a restored backup: the folder is made private,
    // and the link replaced, not followed.
    std::filesystem::permissions(Folder(), std::filesystem::perms::all);
    plant();
    {
        CUzDraft open;
        EXPECT_TRUE(open.Write(doc));
    }
    EXPECT_EQ(ReadFile(victim), "mine");
    EXPECT_EQ(std::filesystem::status(Folder()).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(std::filesystem::symlink_status(draft).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(host.boxes.empty());

    // A folder of another owner, or a link in the folder's place: drafts
    // are off, neither offered nor written, and the user is told once.
    const std::string elsewhere = dir.File("elsewhere");
    std::filesystem::create_directory(elsewhere);
    for (const bool foreign : {true, false}) {
        if (foreign && geteuid() != 0)
            continue; // only root can give a folder away
        plant();
        if (foreign) {
            ChownToNobody(Folder());
        } else {
            std::filesystem::rename(Folder(), elsewhere + "/bil");
            std::filesystem::create_directory_symlink(elsewhere + "/bil", Folder());
        }
        host.boxes.clear();
        CUzDraft off;
        CUzDocument none;
        EXPECT_FALSE(off.Offer(none) || off.Write(doc) || off.Open(doc) || off.Write(doc));
        ASSERT_EQ(host.boxes.size(), 1u) << foreign;
        EXPECT_EQ(host.boxes[0].text,
                  Windows1250("Složka rozpracovaných výkazů ") + Folder() +
                      Windows1250(foreign ? " patří jinému uživateli." : " není složka.") +
                      Windows1250("\nRozpracovaný stav výkazu se proto nebude ukládat."));
        EXPECT_EQ(ReadFile(victim), "mine");
    }
}

TEST_F(Drafts, ASecondWindowIsToldItKeepsNoneADeclinedOneLeavesNoTemporaryFile)
{
    CUzDocument doc;
    doc.m_strPath = dir.File("výkaz 😀.bil"); // shown as "?" in the message
    doc.m_data.Item(1).m_strValue = "first";
    auto first = std::make_unique<CUzDraft>();
    CUzDraft second;
    EXPECT_FALSE(first->Open(doc));
    EXPECT_TRUE(first->Write(doc));
    EXPECT_TRUE(host.boxes.empty());
    // The second window opening the same statement is told, once, and
    // writes nothing over the first one's draft.
    doc.m_data.Item(1).m_strValue = "second";
    EXPECT_FALSE(second.Open(doc) || second.Write(doc) || second.Write(doc));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, Windows1250("Výkaz " + dir.File("výkaz ?.bil") +
                                              " je rozpracován v jiném okně Bil; rozpracovaný stav "
                                              "tohoto okna se nebude ukládat."));
    EXPECT_NE(ReadFile(DraftFileFor(doc.m_strPath)).find("first"), std::string::npos);

    // A draft write killed before its rename left a temporary file: a No
    // to that draft removes it with the draft.
    const std::string file = DraftFileFor(doc.m_strPath);
    WriteFile(file.substr(0, file.rfind('/') + 1) + "." + file.substr(file.rfind('/') + 1) +
                  ".Ab12Cd.bil-tmp",
              "half");
    first.reset(); // killed
    host.answers = {IDNO};
    EXPECT_FALSE(CUzDraft().Offer(doc));
    EXPECT_EQ(Files(), 0);
}
