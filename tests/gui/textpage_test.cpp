// The last page: Finish writes the text file, then the statement file, and
// refuses names and states that would lose or mix up data.

#include "wizard_fixture.h"

#include "framework/text.h"

#include <QCheckBox>
#include <QPlainTextEdit>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

constexpr int kTextBox = 1212;
constexpr int kFileField = 1216;
constexpr int kBrowse = 1217;
constexpr int kOneTab = 1218;

// Every run of TABs as one TAB.
std::string SingleTabs(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\t' || out.empty() || out.back() != '\t')
            out += c;
    return out;
}

// A statement whose balance sheet does not balance: rules 0 and 1 fail.
void WriteUnbalanced(const std::string& path)
{
    CUzDocument doc;
    doc.m_data.Item(1).m_strValue = "Alfa a.s.";
    doc.m_data.Item(11).m_nNumber = 5;
    doc.m_strPath = path;
    ASSERT_TRUE(doc.Save());
}

class TextPageTest : public WizardTest {
protected:
    CUzPageText& Page() { return sheet->m_pageText; }

    // Chooses the statement file on the first page and turns straight to
    // the text page; through the error page when `check` is set, so that the
    // sum rules have been run.
    void Reach(const std::string& statement, bool check = false)
    {
        Open();
        host.files.push_back(statement);
        QTest::mouseClick(Active()->GetDlgItem(1008), Qt::LeftButton);
        Settle();
        if (check) {
            sheet->SetActivePage(PageErrors);
            Settle();
            ASSERT_EQ(ActiveIndex(), int(PageErrors));
        }
        sheet->SetActivePage(PageText);
        Settle();
        ASSERT_EQ(ActiveIndex(), int(PageText));
        ASSERT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_FINISH));
    }

    void ChooseTextFile(const std::string& answer)
    {
        host.files.push_back(answer);
        QTest::mouseClick(Active()->GetDlgItem(kBrowse), Qt::LeftButton);
        Settle();
    }

    std::string BuiltText() const
    {
        std::string text;
        g_doc.BuildText(text);
        return text;
    }

    bool Closed() const { return !sheet->isVisible() && sheet->result() == QDialog::Accepted; }
    bool Stays() const { return sheet->isVisible() && ActiveIndex() == int(PageText); }

    // Finish refused with exactly one box.
    void ExpectRefusal(int id, unsigned style)
    {
        EXPECT_TRUE(Stays());
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.BoxId(0), id);
        EXPECT_EQ(host.boxes[0].style, style);
    }
};

constexpr unsigned kNotice = MB_ICONEXCLAMATION | MB_OK;
constexpr unsigned kStop = MB_ICONHAND | MB_OK;
constexpr unsigned kQuestion = MB_ICONEXCLAMATION | MB_YESNO;

} // namespace

TEST_F(TextPageTest, FinishWritesSingleTabsByDefaultWhileTheBoxShowsAll)
{
    const std::string statement = dir.File("firma.bil");
    Reach(statement);
    EXPECT_TRUE(Active()->Control<QCheckBox>(kOneTab)->isChecked());
    const QString shown = Active()->Control<QPlainTextEdit>(kTextBox)->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("\t\t")));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("\n\nSídlo:\t")));

    ChooseTextFile(dir.File("firma.txt"));
    const std::string expected = SingleTabs(BuiltText());
    Finish();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(Closed());
    const std::string written = ReadFile(dir.File("firma.txt"));
    EXPECT_EQ(written.find("\t\t"), std::string::npos);
    EXPECT_EQ(written, expected);
    EXPECT_NE(written.find("Aktiva celkem\t0\t0\r\n"), std::string::npos);
    EXPECT_TRUE(FileExists(statement));
}

TEST_F(TextPageTest, UntickedOptionWritesTheShownTextByteForByte)
{
    Reach(dir.File("firma.bil"));
    QTest::mouseClick(Active()->GetDlgItem(kOneTab), Qt::LeftButton);
    EXPECT_EQ(Page().m_bOneTab, 0);
    ChooseTextFile(dir.File("firma.txt"));
    Finish();
    ASSERT_TRUE(Closed());
    EXPECT_EQ(ReadFile(dir.File("firma.txt")), BuiltText());
}

TEST_F(TextPageTest, BrowseAppendsTheTextExtensionAndCancelEmptiesTheName)
{
    Reach(dir.File("firma.bil"));
    ChooseTextFile(dir.File("vystup"));
    EXPECT_EQ(Page().m_strFile, dir.File("vystup.TXT"));
    EXPECT_EQ(Edit(kFileField)->text(), QString::fromStdString(dir.File("vystup.TXT")));
    EXPECT_EQ(host.browses.back().title, LoadText(10030));
    EXPECT_NE(host.browses.back().filter.find("*.txt"), std::string::npos);

    ChooseTextFile("");
    EXPECT_TRUE(Page().m_strFile.empty());
    EXPECT_TRUE(Edit(kFileField)->text().isEmpty());

    Finish();
    ExpectRefusal(10003, kNotice);
    EXPECT_FALSE(FileExists(dir.File("firma.bil")));
}

TEST_F(TextPageTest, TextFileMayNotBeTheStatementFileInAnyForm)
{
    // A new statement: the same name in other letters (Czech ones too),
    // through "..", or a link to the name that does not exist yet.
    const std::string statement = dir.File("Účet.bil");
    std::filesystem::create_directory(dir.File("sub"));
    ASSERT_EQ(symlink(statement.c_str(), dir.File("odkaz.txt").c_str()), 0);
    Reach(statement);
    for (const std::string& name :
         {dir.File("ÚČET.BIL"), dir.File("sub/../Účet.bil"), dir.File("odkaz.txt")}) {
        host.boxes.clear();
        ChooseTextFile(name);
        Finish();
        ExpectRefusal(10022, kNotice);
        EXPECT_FALSE(FileExists(statement)) << name;
    }
}

TEST_F(TextPageTest, TextFileMayNotReachAnExistingStatementByAnotherPath)
{
    const std::string statement = dir.File("firma.bil");
    WriteUnbalanced(statement);
    const std::string saved = ReadFile(statement);
    const std::string link = dir.File("odkaz.txt");
    ASSERT_EQ(symlink(statement.c_str(), link.c_str()), 0);
    const std::string relative =
        std::filesystem::relative(statement, std::filesystem::current_path()).string();
    ASSERT_NE(relative, statement);

    Reach(statement);
    for (const std::string& name : {relative, dir.File("./firma.bil"), link}) {
        host.boxes.clear();
        ChooseTextFile(name);
        Finish();
        ExpectRefusal(10022, kNotice);
        EXPECT_EQ(ReadFile(statement), saved) << name;
    }
}

TEST_F(TextPageTest, FifosAreRefusedAtOnceInBothPlaces)
{
    // Opening either for reading or for writing would wait for a peer.
    const std::string fifo = dir.File("roura.bil");
    const std::string textFifo = dir.File("roura.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(textFifo.c_str(), 0600), 0);
    StartWith(fifo);
    EXPECT_EQ(ActiveIndex(), int(PageFile));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10009);

    const std::string statement = dir.File("firma.bil");
    sheet.reset();
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    host.boxes.clear();
    Reach(statement);
    ChooseTextFile(textFifo);
    Finish();
    ExpectRefusal(10006, kStop); // no question whether to overwrite it
    EXPECT_FALSE(FileExists(statement));
}

TEST_F(TextPageTest, EmptyTextIsRefused)
{
    Reach(dir.File("firma.bil"));
    ChooseTextFile(dir.File("firma.txt"));
    Page().m_strText.clear(); // as after running out of memory
    Finish();
    ExpectRefusal(10024, kNotice);
    EXPECT_FALSE(FileExists(dir.File("firma.txt")));
    EXPECT_FALSE(FileExists(dir.File("firma.bil")));
}

TEST_F(TextPageTest, ExistingTextFileIsOverwrittenOnlyAfterYes)
{
    const std::string txt = dir.File("firma.txt");
    WriteFile(txt, "stary text");
    Reach(dir.File("firma.bil"));
    ChooseTextFile(txt);

    host.answers.push_back(IDNO);
    Finish();
    ExpectRefusal(10028, kQuestion);
    EXPECT_EQ(ReadFile(txt), "stary text");
    EXPECT_FALSE(FileExists(dir.File("firma.bil")));

    host.boxes.clear();
    host.answers.push_back(IDYES);
    Finish();
    EXPECT_TRUE(Closed());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10028);
    EXPECT_EQ(ReadFile(txt), SingleTabs(BuiltText()));
}

// Finish's file checks touch no widget, so they can run in a child that
// gives up root, for whom a read-only file is really read-only.
TEST_F(TextPageTest, ReadOnlyTextFileIsRefusedWithoutTheOverwriteQuestion)
{
    const std::string txt = dir.File("firma.txt");
    WriteFile(txt, "stary text");
    chmod(txt.c_str(), 0444);
    ChownToNobody(dir.Path());
    Reach(dir.File("firma.bil"));
    ChooseTextFile(txt);
    host.answers.push_back(IDYES);
    const int rc = RunInChild(
        [&] {
            if (Page().SaveTextFile() != 0)
                return 1;
            if (host.boxes.size() != 1 || host.BoxId(0) != 10004 || host.boxes[0].style != kStop)
                return 2;
            return ReadFile(txt) == "stary text" ? 0 : 3;
        },
        /*asNobody=*/true);
    EXPECT_EQ(rc, 0);
}

TEST_F(TextPageTest, TextFileThatCannotBeWrittenStopsBeforeTheStatement)
{
    const std::string statement = dir.File("firma.bil");
    Reach(statement);

    ChooseTextFile(dir.File("chybi/firma.txt"));
    Finish();
    ExpectRefusal(10006, kStop);
    EXPECT_FALSE(FileExists(statement));

    // A disk that fills up while the text is written: the old text file
    // stays as it was, nothing is reported as done.
    const std::string old = dir.File("stary.txt");
    WriteFile(old, "old text");
    host.boxes.clear();
    ChooseTextFile(old);
    host.answers.push_back(IDYES); // it exists and is writable
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1000, limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    Finish();
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_TRUE(Stays());
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(0), 10028);
    EXPECT_EQ(host.BoxId(1), 10010);
    EXPECT_EQ(host.boxes[1].style, kStop);
    EXPECT_EQ(ReadFile(old), "old text");
    EXPECT_FALSE(FileExists(statement));
}

TEST_F(TextPageTest, FailedRulesAskBeforeAnythingIsWritten)
{
    const std::string statement = dir.File("firma.bil");
    WriteUnbalanced(statement);
    const std::string saved = ReadFile(statement);
    Reach(statement, true);
    ASSERT_NE(g_doc.m_data.m_errors[0].m_nCount, 0);
    ChooseTextFile(dir.File("firma.txt"));

    host.answers.push_back(IDNO);
    Finish();
    ExpectRefusal(10019, kQuestion);
    EXPECT_FALSE(FileExists(dir.File("firma.txt")));

    host.boxes.clear();
    host.answers.push_back(IDYES);
    Finish();
    EXPECT_TRUE(Closed());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10019);
    EXPECT_EQ(ReadFile(dir.File("firma.txt")), SingleTabs(BuiltText()));
    EXPECT_EQ(ReadFile(statement), saved);
}

TEST_F(TextPageTest, StatementThatCannotBeSavedKeepsTheWizardAndTheTextFile)
{
    const std::string folder = dir.File("zmizi");
    std::filesystem::create_directory(folder);
    Reach(folder + "/firma.bil");
    ASSERT_TRUE(std::filesystem::remove(folder));
    ChooseTextFile(dir.File("firma.txt"));

    Finish();
    EXPECT_TRUE(Stays());
    ASSERT_EQ(host.boxes.size(), 1u);
    const int id = host.BoxId(0);
    EXPECT_TRUE(id == 10006 || id == 10010) << id;
    EXPECT_EQ(host.boxes[0].style, kStop);
    EXPECT_EQ(g_doc.m_nError, FileErrNone);
    EXPECT_EQ(ReadFile(dir.File("firma.txt")), SingleTabs(BuiltText()));

    // Trying again first asks before the text file written a moment ago is
    // overwritten.
    host.boxes.clear();
    host.answers.push_back(IDNO);
    Finish();
    ExpectRefusal(10028, kQuestion);
}
