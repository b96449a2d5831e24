// The first page: choosing the statement file and opening it on Next.
//
// A read-only statement file (message 10004) cannot be produced for root,
// who may read and write every file; the document tests cover that refusal
// in a child that gives up root.

#include "wizard_fixture.h"

#include "framework/text.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <unistd.h>

namespace {

constexpr int kPathField = 1007;
constexpr int kBrowse = 1008;
constexpr int kInfo = 1006;
constexpr int kLetter = 1242;

// A statement whose header is complete, so the header page lets it pass,
// with figures of both years, a negative one among them.
void WriteStatement(const std::string& path)
{
    CUzDocument doc;
    CUzData& d = doc.m_data;
    d.Item(1).m_strValue = Cp1250("Žluťoučký kůň a.s.");
    d.Item(2).m_nNumber = 471;
    d.Item(3).m_strValue = Cp1250("Brno");
    d.Item(6).m_strValue = "1999";
    d.Item(7).m_strValue = Cp1250("Beta s.r.o.");
    d.Item(9).m_strValue = "31.3.2000";
    d.Item(10).m_strValue = Cp1250("s výhradou");
    d.Item(10).m_nNumber = 1;
    d.Item(11).m_nNumber = 150;
    d.Item(12).m_nNumber = -140;
    d.Item(37).m_nNumber = 150;
    d.Item(113).m_strValue = Cp1250("Obchodní rejstřík");
    doc.m_strPath = path;
    ASSERT_TRUE(doc.Save());
}

bool StatementEmpty(const CUzData& d)
{
    for (int tag = 1; tag <= kItemCount; ++tag)
        if (!d.Item(tag).m_strValue.empty() || d.Item(tag).m_nNumber != 0)
            return false;
    return true;
}

class FilePageTest : public WizardTest {
protected:
    void Browse(const std::string& answer)
    {
        host.files.push_back(answer);
        QTest::mouseClick(Active()->GetDlgItem(kBrowse), Qt::LeftButton);
        Settle();
    }
    QString PathField() const { return Edit(kPathField)->text(); }
};

} // namespace

TEST_F(FilePageTest, BrowseAppendsTheStatementExtensionOnlyToBareNames)
{
    Open();
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));

    Browse(dir.File("firma"));
    EXPECT_EQ(g_doc.m_strPath, dir.File("firma") + ".BIL");
    EXPECT_EQ(PathField(), QString::fromStdString(dir.File("firma.BIL")));
    ASSERT_EQ(host.browses.size(), 1u);
    EXPECT_EQ(host.browses[0].title, LoadText(10030));
    EXPECT_NE(host.browses[0].filter.find("*.bil"), std::string::npos);

    Browse(dir.File("firma.txt"));
    EXPECT_EQ(g_doc.m_strPath, dir.File("firma.txt"));
    EXPECT_EQ(PathField(), QString::fromStdString(dir.File("firma.txt")));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(FilePageTest, CancelledBrowseEmptiesTheNameAndNextRefusesIt)
{
    Open();
    Browse(dir.File("firma.bil"));
    Browse(""); // the dialog is cancelled
    EXPECT_TRUE(g_doc.m_strPath.empty());
    EXPECT_TRUE(PathField().isEmpty());

    Next();
    EXPECT_EQ(ActiveIndex(), 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10003);
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_OK));
}

TEST_F(FilePageTest, NameFieldCannotBeTyped)
{
    Open();
    Browse(dir.File("firma.bil"));
    Type(Edit(kPathField), QStringLiteral("jiny.bil"));
    EXPECT_EQ(PathField(), QString::fromStdString(dir.File("firma.bil")));
    Next();
    EXPECT_EQ(g_doc.m_strPath, dir.File("firma.bil"));
}

TEST_F(FilePageTest, ShowsTheOfficeLetterAndTheInfoLine)
{
    Open();
    const QString letter = Active()->Control<QPlainTextEdit>(kLetter)->toPlainText();
    EXPECT_TRUE(letter.startsWith(QStringLiteral("Vážení zákazníci,"))) << letter.left(40).toStdString();
    EXPECT_TRUE(letter.contains(QStringLiteral("Redakce KT\n")));
    EXPECT_FALSE(letter.contains(QLatin1Char('\r')));
    EXPECT_EQ(Active()->Control<QLabel>(kInfo)->text(), FromCp1250(LoadText(10000)));
}

TEST_F(FilePageTest, CancelClosesWithoutAQuestion)
{
    Open();
    Cancel();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), int(QDialog::Rejected));
}

TEST_F(FilePageTest, NewNameStartsAnEmptyStatementAndLeavesNoFile)
{
    g_doc.m_data.Item(11).m_nNumber = 77; // left over from an earlier statement
    StartWith(dir.File("nova.bil"));
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(StatementEmpty(g_doc.m_data));
    EXPECT_FALSE(FileExists(dir.File("nova.bil")));
}

TEST_F(FilePageTest, ExistingStatementIsLoadedAndShownOnTheFigurePages)
{
    const std::string path = dir.File("firma.bil");
    WriteStatement(path);
    StartWith(path);
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(g_doc.m_data.Item(1).m_strValue, Cp1250("Žluťoučký kůň a.s."));
    EXPECT_EQ(g_doc.m_data.Item(113).m_strValue, Cp1250("Obchodní rejstřík"));

    Next();
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("150"));
    EXPECT_EQ(Edit(1043)->text(), QStringLiteral("-140"));
    EXPECT_EQ(Edit(1044)->text(), QStringLiteral("0"));
    Next();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(Edit(1096)->text(), QStringLiteral("150"));
    EXPECT_EQ(Edit(1109)->text(), QStringLiteral("0"));
}

TEST_F(FilePageTest, UnusableNamesKeepTheWizardHereWithAnEmptyStatement)
{
    Open();
    // A folder that does not exist: the file cannot be created.
    Browse(dir.File("chybi/firma.bil"));
    Next();
    EXPECT_EQ(ActiveIndex(), 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10005);
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_OK));
    EXPECT_EQ(g_doc.m_nError, FileErrNone);

    // A statement cut short by one byte: a read error, and nothing of the
    // records read before it stays in the statement.
    const std::string bad = dir.File("vadny.bil");
    WriteStatement(bad);
    std::string bytes = ReadFile(bad);
    bytes.pop_back();
    WriteFile(bad, bytes);
    host.boxes.clear();
    Browse(bad);
    Next();
    EXPECT_EQ(ActiveIndex(), 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10009);
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_EQ(g_doc.m_nError, FileErrNone);
    EXPECT_TRUE(StatementEmpty(g_doc.m_data));
    EXPECT_EQ(ReadFile(bad), bytes);

    // The user picks a good name and goes on.
    host.boxes.clear();
    Browse(dir.File("firma.bil"));
    Next();
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(FilePageTest, ReturningFromTheHeaderReloadsTheFileAndDropsChanges)
{
    const std::string path = dir.File("firma.bil");
    WriteStatement(path);
    const std::string saved = ReadFile(path);
    StartWith(path);
    Next();
    ASSERT_EQ(ActiveIndex(), 2);

    Type(Edit(1042), QStringLiteral("999"));
    Back();
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(g_doc.m_data.Item(11).m_nNumber, 999);

    host.answers.push_back(IDYES);
    Back();
    ASSERT_EQ(ActiveIndex(), 0);
    // The header page warns that going back loses the changes, once it asks.
    if (!host.boxes.empty()) {
        EXPECT_EQ(host.BoxId(0), 10012);
        EXPECT_EQ(host.boxes[0].style, unsigned(MB_ICONEXCLAMATION | MB_YESNO));
    }
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));
    EXPECT_EQ(PathField(), QString::fromStdString(path));

    Next();
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(g_doc.m_data.Item(11).m_nNumber, 150);
    EXPECT_EQ(ReadFile(path), saved);
}
