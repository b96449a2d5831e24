// Spring: a new statement from last year's on the first page.

#include "wizard_fixture.h"

#include <QComboBox>
#include <QPushButton>

TEST_F(WizardTest, ANewStatementFromLastYearsWithoutWritingAnyFile)
{
    const std::string last = dir.File("Účet 2023.bil"), next = dir.File("Účet 2024.bil");
    const std::string bytes = EncodeRecords(ReadRecords("journey.records"));
    WriteFile(last, bytes);
    WriteFile(dir.File("damaged.bil"), "not a statement");
    setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
    CUzDraft draft;
    sheet->m_pDraft = &draft;
    Open();
    QPushButton* fromLastYear = nullptr; // in the sheet's row of buttons
    for (QPushButton* b : sheet->findChildren<QPushButton*>())
        fromLastYear = b->text() == QStringLiteral("Z &loňského…") ? b : fromLastYear;
    ASSERT_TRUE(fromLastYear && fromLastYear->isVisible());
    EXPECT_FALSE(fromLastYear->isEnabled()); // no name yet
    Browse(1008, last);
    EXPECT_FALSE(fromLastYear->isEnabled()); // an existing file loads with Next
    Browse(1008, next);
    // Refused: its own name, a damaged file; cancelled; then last year's.
    for (const std::string& chosen : {dir.File("účet 2024.bil"), dir.File("damaged.bil"), std::string(), last}) {
        ASSERT_TRUE(fromLastYear->isEnabled());
        EXPECT_EQ(ActiveIndex(), int(PageFile));
        host.files = {chosen};
        fromLastYear->click();
        Settle();
    }
    EXPECT_EQ(host.proposal, dir.Path() + "/");
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, Windows1250("Loňský výkaz nemůže být soubor nového výkazu."));
    EXPECT_TRUE(host.BoxId(1) == 10009 && host.boxes[1].style == MB_ICONEXCLAMATION);
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(1010)->text(), QString::fromUtf8("Sklárna Šťáhlavy, a.s."));
    EXPECT_EQ(Edit(1021)->text(), "2024");
    EXPECT_EQ(Active()->Control<QComboBox>(1028)->currentIndex(), -1);
    EXPECT_EQ(g_doc.m_data.Item(12).m_nNumber, 7000);
    EXPECT_EQ(g_doc.m_strPath, next);
    EXPECT_TRUE(FileExists(DraftFileFor(next)));
    EXPECT_FALSE(FileExists(next));
    EXPECT_EQ(ReadFile(last), bytes);
}
