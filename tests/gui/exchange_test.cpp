// Taking typed values over from the pages: figures as 32-bit integers, texts
// in Windows-1250 within their length limits. A refused field keeps the page.

#include "wizard_fixture.h"

#include "framework/ddx.h"
#include "framework/page.h"
#include "framework/text.h"
#include "model/messages.h"
#include "res/dialogs.h"

#include <string>

namespace {

const char* const kIntegerPrompt = "Zadejte celé číslo.";
const char* const kRangePrompt = "Zadejte celé číslo od -2147483648 do 2147483647.";

class ExchangeTest : public WizardTest {
protected:
    // Replaces the text, also by nothing; a character outside the basic
    // plane comes as one key press, as a keyboard sends it.
    static void TypeOver(QLineEdit* edit, const QString& text)
    {
        Type(edit, QString());
        QTest::keyClick(edit, Qt::Key_Delete);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString key = text.mid(i, n);
            if (n == 1 && key[0].unicode() < 0x80)
                QTest::keyClick(edit, key[0].toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, key, Qt::NoModifier);
            i += n - 1;
        }
    }

    CUzItemBase& Item(int tag) { return g_doc.m_data.Item(tag); }

    // The refusal a user sees: one prompt, the page kept, the field focused
    // with its text selected.
    void ExpectRefused(int page, QLineEdit* field, const char* promptUtf8)
    {
        EXPECT_EQ(ActiveIndex(), page);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, Cp1250(promptUtf8));
        EXPECT_NE(host.boxes[0].style & 0x0F, unsigned(MB_YESNO));
        EXPECT_EQ(sheet->focusWidget(), field);
        EXPECT_TRUE(field->hasSelectedText() || field->text().isEmpty());
        EXPECT_EQ(field->selectedText(), field->text());
    }
};

} // namespace

TEST_F(ExchangeTest, FiguresWithSignsAndBlanksAreTakenAndShownPlain)
{
    OpenAt(2);
    TypeOver(Edit(1042), QStringLiteral("-125"));
    TypeOver(Edit(1043), QStringLiteral(" +7 "));
    TypeOver(Edit(1044), QStringLiteral("2147483647"));
    TypeOver(Edit(1045), QStringLiteral("-2147483648"));
    TypeOver(Edit(1046), QStringLiteral("007"));
    Next();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(11).m_nNumber, -125);
    EXPECT_EQ(Item(12).m_nNumber, 7);
    EXPECT_EQ(Item(13).m_nNumber, 2147483647);
    EXPECT_EQ(Item(14).m_nNumber, -2147483647 - 1);
    EXPECT_EQ(Item(15).m_nNumber, 7);

    Back();
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Edit(1042)->text(), QStringLiteral("-125"));
    EXPECT_EQ(Edit(1043)->text(), QStringLiteral("7"));
    EXPECT_EQ(Edit(1044)->text(), QStringLiteral("2147483647"));
    EXPECT_EQ(Edit(1045)->text(), QStringLiteral("-2147483648"));
    EXPECT_EQ(Edit(1046)->text(), QStringLiteral("7"));
}

// Each refusal stops at the field: the row before it has been taken over,
// the field itself and the rows after it keep their previous values.
TEST_F(ExchangeTest, NonIntegersAndOutOfRangeFiguresAreRefused)
{
    const struct {
        const char* text;
        const char* prompt;
    } cases[] = {
        {"", kIntegerPrompt},           {"12a", kIntegerPrompt},
        {"1 000", kIntegerPrompt},      {"1.000", kIntegerPrompt},
        {"-", kIntegerPrompt},          {"+-1", kIntegerPrompt},
        {"2147483648", kRangePrompt},   {"-2147483649", kRangePrompt},
        {"99999999999999999999", kRangePrompt},
    };
    Item(12).m_nNumber = 3;
    Item(13).m_nNumber = 4;
    OpenAt(2);
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        host.boxes.clear();
        const int before = 100 + round++;
        TypeOver(Edit(1042), QString::number(before));
        TypeOver(Edit(1043), QString::fromUtf8(c.text));
        TypeOver(Edit(1044), QStringLiteral("9"));
        Next();
        ExpectRefused(2, Edit(1043), c.prompt);
        EXPECT_EQ(Edit(1043)->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(Item(11).m_nNumber, before);
        EXPECT_EQ(Item(12).m_nNumber, 3);
        EXPECT_EQ(Item(13).m_nNumber, 4);
    }

    // Back takes the figures over as well, so it is refused the same way.
    host.boxes.clear();
    TypeOver(Edit(1043), QStringLiteral("12a"));
    Back();
    ExpectRefused(2, Edit(1043), kIntegerPrompt);

    // Only Cancel leaves such a page.
    host.answers.push_back(IDYES);
    Cancel();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(ExchangeTest, LastRowOfTheLiabilitiesIsRefusedInItsOwnField)
{
    // The last two rows use controls out of the order of the others.
    OpenAt(3);
    TypeOver(Edit(1081), QStringLiteral("8"));
    TypeOver(Edit(1082), QStringLiteral("x"));
    Next();
    ExpectRefused(3, Edit(1082), kIntegerPrompt);
    EXPECT_EQ(Item(65).m_nNumber, 8);
    EXPECT_EQ(Item(66).m_nNumber, 0);
}

TEST_F(ExchangeTest, HeaderTextsAreRefusedForForeignCharactersAndLength)
{
    StartWith(dir.File("nova"));
    ASSERT_EQ(ActiveIndex(), 1);

    // The postcode may hold 6 characters; typing is not cut off.
    Type(Edit(1019), QStringLiteral("602 001"));
    EXPECT_EQ(Edit(1019)->text(), QStringLiteral("602 001"));
    Next();
    ExpectRefused(1, Edit(1019), "Zadejte nejvýše 6 znaků.");
    EXPECT_EQ(Edit(1019)->text(), QStringLiteral("602 001"));

    host.boxes.clear();
    Type(Edit(1019), QStringLiteral("60200"));
    Type(Edit(1010), QStringLiteral("Šťastný ✓"));
    Next();
    ExpectRefused(1, Edit(1010),
                  "Pole obsahuje na 9. místě znak, který nelze uložit v kódování "
                  "Windows-1250.\nNahraďte jej jiným znakem.");
    EXPECT_EQ(Edit(1010)->text(), QStringLiteral("Šťastný ✓"));
    EXPECT_TRUE(Item(1).m_strValue.empty());
}

namespace {

// A page on the header dialog with just two text fields, the first limited.
class TwoFieldPage : public CPropertyPage {
public:
    TwoFieldPage() : CPropertyPage(IDD_HLAVA) {}
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Text(dx, 1010, m_name);
        DDV_MaxChars(dx, m_name, m_limit);
        DDX_Text(dx, 1015, m_street);
    }
    std::string m_name;
    std::string m_street;
    int m_limit = -1;
};

} // namespace

TEST_F(ExchangeTest, TextThatWindows1250CannotHoldIsRefusedNotReplaced)
{
    TwoFieldPage page;
    page.m_name = Cp1250("Stará");
    page.m_street = Cp1250("Dlouhá");
    page.show();
    page.EnsureCreated();
    auto* name = page.Control<QLineEdit>(1010);
    auto* street = page.Control<QLineEdit>(1015);
    ASSERT_TRUE(name && street);
    EXPECT_EQ(name->text(), QStringLiteral("Stará"));

    const struct {
        QString typed;
        int position; // of the first character the code page lacks, from 1
    } cases[] = {
        {QStringLiteral("Šťastný ✓"), 9},
        {QStringLiteral("Ωmega"), 1},
        {QStringLiteral("a😀b"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        host.boxes.clear();
        TypeOver(name, c.typed);
        Type(street, QStringLiteral("Krátká"));
        EXPECT_FALSE(page.UpdateData(true));
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text,
                  Cp1250(("Pole obsahuje na " + std::to_string(c.position) +
                          ". místě znak, který nelze uložit v kódování Windows-1250.\n"
                          "Nahraďte jej jiným znakem.")
                             .c_str()));
        EXPECT_EQ(name->text(), c.typed);
        EXPECT_EQ(page.focusWidget(), name);
        EXPECT_EQ(name->selectedText(), c.typed);
        EXPECT_EQ(page.m_name, Cp1250("Stará"));
        EXPECT_EQ(page.m_street, Cp1250("Dlouhá"));
    }

    // Czech letters are what the code page is for.
    host.boxes.clear();
    Type(name, QStringLiteral("Šťastný"));
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(page.m_name, Cp1250("Šťastný"));
    EXPECT_EQ(page.m_name.size(), 7u);
    EXPECT_EQ(page.m_street, Cp1250("Krátká"));
}

TEST_F(ExchangeTest, LengthLimitCountsCharactersAndKeepsWhatWasTyped)
{
    TwoFieldPage page;
    page.m_limit = 6;
    page.show();
    page.EnsureCreated();
    auto* name = page.Control<QLineEdit>(1010);
    auto* street = page.Control<QLineEdit>(1015);

    // Six Czech letters are six characters, whatever their UTF-8 length.
    Type(name, QStringLiteral("ěščřžý"));
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(page.m_name, Cp1250("ěščřžý"));

    Type(name, QStringLiteral("ěščřžýá"));
    Type(street, QStringLiteral("Krátká"));
    EXPECT_EQ(name->text(), QStringLiteral("ěščřžýá"));
    EXPECT_FALSE(page.UpdateData(true));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, Cp1250("Zadejte nejvýše 6 znaků."));
    EXPECT_EQ(name->text(), QStringLiteral("ěščřžýá"));
    EXPECT_EQ(page.focusWidget(), name);
    EXPECT_TRUE(page.m_street.empty());
}
