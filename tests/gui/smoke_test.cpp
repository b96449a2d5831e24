#include "wizard_fixture.h"

#include <QPushButton>

// The journey's first steps: a new file, then Next through the figure pages.
TEST_F(WizardTest, NewFileLeadsToTheHeaderPageWithBackAndNext)
{
    StartWith(dir.File("firma"));
    EXPECT_EQ(g_doc.m_strPath, dir.File("firma") + ".BIL");
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Bil - Účetní závěrka pro KT - Hlavička"));
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
    EXPECT_TRUE(host.boxes.empty());
}
