// Moving through the wizard: Next and Back, the switch by page code, the
// wizard buttons each page asks for, and leaving by Cancel, Esc or closing.

#include "wizard_fixture.h"

#include "framework/page.h"
#include "framework/text.h"
#include "model/messages.h"
#include "res/dialogs.h"

#include <QPushButton>

#include <string>
#include <vector>

namespace {

const char* const kTitles[] = {
    "Bil - Účetní závěrka pro KT - Soubor",
    "Bil - Účetní závěrka pro KT - Hlavička",
    "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Aktiva)",
    "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Pasiva)",
    "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (1)",
    "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (2)",
    "Bil - Účetní závěrka pro KT - Dokončení",
    "Bil - Účetní závěrka pro KT - Kontrola a oprava chyb",
    "Bil - Účetní závěrka pro KT - Údaje o objednavateli",
    "Bil - Účetní závěrka pro KT - Text",
};

QString Title(int index)
{
    return QString::fromUtf8(kTitles[index]);
}

class NavigationTest : public WizardTest {
protected:
    // A statement that passes the header and orderer checks, chosen on the
    // file page: the wizard stands on the header page.
    void StartComplete()
    {
        FillRequiredItems();
        m_file = SaveStatement("firma.bil");
        StartWith(m_file);
        ASSERT_EQ(ActiveIndex(), 1);
    }

    void Click(QPushButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
    }

    std::string m_file;
};

} // namespace

TEST_F(NavigationTest, NextAndBackMoveOnePageWithItsTitleAndButtons)
{
    StartComplete();
    for (int i = 1; i <= 9; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(ActiveIndex(), i);
        EXPECT_EQ(sheet->windowTitle(), Title(i));
        const bool last = i == 9;
        EXPECT_EQ(sheet->WizardButtons(), last ? unsigned(PSWIZB_BACK | PSWIZB_FINISH)
                                               : unsigned(PSWIZB_BACK | PSWIZB_NEXT));
        EXPECT_TRUE(sheet->BackButton()->isEnabled());
        EXPECT_EQ(sheet->NextButton()->isVisible(), !last);
        EXPECT_EQ(sheet->FinishButton()->isVisible(), last);
        EXPECT_TRUE((last ? sheet->FinishButton() : sheet->NextButton())->isEnabled());
        EXPECT_TRUE((last ? sheet->FinishButton() : sheet->NextButton())->isDefault());
        if (!last)
            Click(sheet->NextButton());
    }
    EXPECT_TRUE(host.boxes.empty());

    // The text page has Finish instead of Next.
    sheet->PressNext();
    Settle();
    EXPECT_EQ(ActiveIndex(), 9);

    for (int i = 9; i > 1; --i) {
        Click(sheet->BackButton());
        ASSERT_EQ(ActiveIndex(), i - 1);
        EXPECT_EQ(sheet->windowTitle(), Title(i - 1));
    }
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(NavigationTest, WizardButtonsArePostedAndTakeEffectAfterTheActivation)
{
    Open();
    EXPECT_EQ(sheet->windowTitle(), Title(0));
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));
    EXPECT_FALSE(sheet->BackButton()->isEnabled());
    EXPECT_TRUE(sheet->NextButton()->isEnabled());
    EXPECT_FALSE(sheet->FinishButton()->isVisible());

    host.files.push_back(dir.File("nova"));
    QTest::mouseClick(Active()->GetDlgItem(1008), Qt::LeftButton);
    Settle();
    sheet->PressNext();
    // The header page is active, but its request has not been handled yet.
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));
    EXPECT_FALSE(sheet->BackButton()->isEnabled());
    Settle();
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
    EXPECT_TRUE(sheet->BackButton()->isEnabled());
}

// The header page shows which way it is left: Next runs its completeness
// check, Back asks whether to drop the changes. Either refusal keeps it.
TEST_F(NavigationTest, LeavingPageSeesTheDirectionAndMayRefuse)
{
    StartWith(dir.File("nova"));
    ASSERT_EQ(ActiveIndex(), 1);

    Next();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10011);
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(sheet->windowTitle(), Title(1));
    EXPECT_FALSE(sheet->GetPage(2)->IsCreated());

    host.boxes.clear();
    Back(); // answered No
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10012);
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));

    host.boxes.clear();
    host.answers.push_back(IDYES);
    Back();
    EXPECT_EQ(host.BoxId(0), 10012);
    EXPECT_EQ(ActiveIndex(), 0);
    EXPECT_EQ(sheet->windowTitle(), Title(0));
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));
}

TEST_F(NavigationTest, EveryActivationLoadsTheFieldsFromTheItems)
{
    StartComplete();
    Next();
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("0"));
    Type(Edit(1042), QStringLiteral("5"));
    Next();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(g_doc.m_data.Item(11).m_nNumber, 5);

    // Values changed behind the pages' back show on the next visit.
    g_doc.m_data.Item(11).m_nNumber = 4711;
    g_doc.m_data.Item(1).m_strValue = Cp1250("Jiná firma");
    Back();
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("4711"));
    Back();
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(Edit(1010)->text(), QStringLiteral("Jiná firma"));
}

TEST_F(NavigationTest, SwitchByPageCodeLoadsTheTargetAndGoesOnInPositionOrder)
{
    // A previous-year total that breaks two rules: the error page has
    // failures, yet a switch away from it never warns.
    FillRequiredItems();
    g_doc.m_data.Item(12).m_nNumber = 10;
    m_file = SaveStatement("firma.bil");
    StartWith(m_file);
    for (int i = 1; i < 7; ++i)
        Next();
    ASSERT_EQ(ActiveIndex(), 7);
    ASSERT_TRUE(host.boxes.empty());

    g_doc.m_data.Item(11).m_nNumber = 4711;
    ASSERT_TRUE(sheet->SetActivePage(2));
    EXPECT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(sheet->windowTitle(), Title(2));
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("4711"));
    EXPECT_EQ(Edit(1043)->text(), QStringLiteral("10"));
    Settle();
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
    EXPECT_TRUE(host.boxes.empty());

    Next();
    EXPECT_EQ(ActiveIndex(), 3);
    Back();
    Back();
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(sheet->windowTitle(), Title(1));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(NavigationTest, CancelOnTheFilePageClosesWithoutAQuestion)
{
    Open();
    sheet->setResult(42);
    QTest::mouseClick(sheet->CancelButton(), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);

    // Esc does the same.
    sheet->setResult(42);
    sheet->show();
    Settle();
    QWidget* focus = sheet->focusWidget();
    QTest::keyClick(focus ? focus : sheet.get(), Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

TEST_F(NavigationTest, EveryOtherPageAsksBeforeCancelling)
{
    StartComplete();
    for (int i = 1; i <= 9; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(ActiveIndex(), i);
        host.boxes.clear();
        QTest::mouseClick(sheet->CancelButton(), Qt::LeftButton); // answered No
        Settle();
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.BoxId(0), 10029);
        EXPECT_EQ(host.boxes[0].style, unsigned(MB_YESNO | MB_ICONEXCLAMATION));
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(ActiveIndex(), i);
        if (i < 9)
            Next();
    }
}

// No keeps the page and what was typed; Esc and closing the window ask the
// same question; Yes closes and the statement file stays as it was saved.
TEST_F(NavigationTest, AnsweringTheCancelQuestion)
{
    StartComplete();
    const std::string saved = ReadFile(m_file);
    Next();
    ASSERT_EQ(ActiveIndex(), 2);
    Type(Edit(1042), QStringLiteral("77"));
    sheet->setResult(42);

    Cancel();
    EXPECT_EQ(host.BoxId(0), 10029);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("77"));

    QTest::keyClick(Edit(1042), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(1), 10029);
    EXPECT_TRUE(sheet->isVisible());

    EXPECT_FALSE(sheet->close());
    Settle();
    EXPECT_EQ(host.boxes.size(), 3u);
    EXPECT_EQ(host.BoxId(2), 10029);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("77"));
    EXPECT_EQ(sheet->result(), 42);

    host.answers.push_back(IDYES);
    EXPECT_TRUE(sheet->close());
    Settle();
    EXPECT_EQ(host.boxes.size(), 4u);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(ReadFile(m_file), saved);
}

TEST_F(NavigationTest, OnlyThePageThatAskedForFinishFinishes)
{
    StartComplete();
    const std::string saved = ReadFile(m_file);
    Next();
    sheet->SetActivePage(PageText);
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageText));
    // Back and Finish in one batch: the orderer page, now active, has not
    // asked for Finish, so nothing closes and nothing is written.
    sheet->PressBack();
    sheet->PressFinish();
    Settle();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(ReadFile(m_file), saved);
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
}

TEST_F(NavigationTest, EnterInAFigurePressesNext)
{
    StartComplete();
    Next();
    ASSERT_EQ(ActiveIndex(), 2);
    QLineEdit* edit = Edit(1042);
    Type(edit, QStringLiteral("5"));
    QTest::keyClick(edit, Qt::Key_Return);
    Settle();
    EXPECT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(g_doc.m_data.Item(11).m_nNumber, 5);
    EXPECT_TRUE(host.boxes.empty());
}

namespace {

// Pages that log the handlers the sheet calls, for the order of the protocol.
struct SpyPage : CPropertyPage {
    SpyPage(std::vector<std::string>& log, std::string name)
        : CPropertyPage(IDD_ERRORS), m_log(log), m_name(std::move(name))
    {
    }
    bool OnSetActive() override
    {
        m_log.push_back(m_name + " set");
        GetParentSheet()->PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        return true;
    }
    bool OnKillActive() override
    {
        m_log.push_back(m_name + " kill");
        return m_leave;
    }
    int OnWizardNext() override
    {
        m_log.push_back(m_name + " next");
        return m_result;
    }
    int OnWizardBack() override
    {
        m_log.push_back(m_name + " back");
        return m_result;
    }

    std::vector<std::string>& m_log;
    std::string m_name;
    bool m_leave = true;
    int m_result = kWizardDefault;
};

using Log = std::vector<std::string>;

} // namespace

TEST(SheetProtocolTest, HandlersRunInOrderAndARefusalStopsTheMove)
{
    Log log;
    SpyPage a(log, "a"), b(log, "b"), c(log, "c");
    CPropertySheet sheet(10002);
    for (SpyPage* p : {&a, &b, &c})
        sheet.AddPage(p);
    sheet.show();
    sheet.SetActivePage(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, Log({"a set"}));

    log.clear();
    sheet.PressNext();
    EXPECT_EQ(log, Log({"a next", "a kill", "b set"}));
    QCoreApplication::processEvents();

    log.clear();
    b.m_leave = false;
    sheet.PressNext();
    sheet.PressBack();
    sheet.SetActivePage(2);
    EXPECT_EQ(log, Log({"b next", "b kill", "b back", "b kill", "b kill"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);

    log.clear();
    b.m_leave = true;
    b.m_result = kWizardStay;
    sheet.PressNext();
    EXPECT_EQ(log, Log({"b next"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);

    log.clear();
    b.m_result = kWizardDefault;
    sheet.PressBack();
    EXPECT_EQ(log, Log({"b back", "b kill", "a set"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);

    log.clear();
    EXPECT_TRUE(sheet.SetActivePage(2));
    EXPECT_EQ(log, Log({"a kill", "c set"}));
    sheet.hide();
    QCoreApplication::processEvents();
}
