// Spring: a new statement from last year's on the first page, and figures
// pasted as a spreadsheet copies a column.

#include "wizard_fixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QMenu>
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

TEST_F(WizardTest, AColumnPastedDownTheYearOrNotAtAll)
{
    const QString untouched = QStringLiteral("0,0,0,0,0,0,0,0");
    const struct {
        int field;     // pasted into, on the assets page
        QString text;  // the clipboard's
        QString shown; // the first four rows' figures, both years
        std::string refused = "";
    } cases[] = {
        {1044, QString::fromUtf8("1 234\n\u22125\n 7\u00a0000\u202f000 \n"), "0,0,1234,0,-5,0,7000000,0"},
        {1042, "10\t9\r\n20\t19\r\n", "10,9,20,19,0,0,0,0"},
        {1043, "8\n-9", "0,8,0,-9,0,0,0,0"},
        {1042, "1 234\n", "1 234,0,0,0,0,0,0,0"}, // one line: as into any edit
        {1043, "1\n10\t9", untouched, "2. řádek schránky má víc čísel, než je od tohoto pole sloupců"},
        {1042, "5\n12 34\n", untouched, "2. řádek schránky není celé číslo"},
        {1042, "1\n2147483648", untouched, "2. řádek schránky má číslo mimo rozsah od -2147483648 do 2147483647"},
        {1042, "1\n\n2", untouched, "2. řádek schránky je prázdný"},
        {1064, "1\n2\n3", untouched, "ve schránce je víc řádků (3), než kolik jich stránka má od tohoto pole dolů (2)"},
    };
    Open(PageAktiva);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        g_doc.m_data.Reset();
        Active()->UpdateData(false);
        host.boxes.clear();
        QGuiApplication::clipboard()->setText(c.text);
        Edit(c.field)->setFocus();
        Edit(c.field)->selectAll();
        QTest::keyClick(Edit(c.field), Qt::Key_V, Qt::ControlModifier);
        QStringList shown;
        for (int id = 1042; id < 1050; ++id)
            shown << Edit(id)->text();
        EXPECT_EQ(shown.join(',').toStdString(), c.shown.toStdString());
        ASSERT_EQ(host.boxes.size(), c.refused.empty() ? 0u : 1u);
        if (!c.refused.empty()) {
            EXPECT_EQ(host.boxes[0].text, Windows1250("Nic nebylo vloženo: " + c.refused + "."));
        }
    }
    // The context menu's Vložit pastes the same way.
    QGuiApplication::clipboard()->setText("1\n2\n");
    QContextMenuEvent menuAt(QContextMenuEvent::Keyboard, QPoint(5, 5), Edit(1046)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Edit(1046), &menuAt);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QString::fromUtf8("&Vložit\t")))
            action->trigger();
    menu->close();
    EXPECT_EQ(Edit(1046)->text() + "," + Edit(1048)->text(), "1,2");
}
