// The header, closing data and orderer pages: what they show on entry, what
// they take over on leaving, and what they refuse.

#include "wizard_fixture.h"

#include "framework/text.h"

#include <QComboBox>
#include <QLabel>

#include <string>
#include <vector>

namespace {

// Header controls.
constexpr int kName = 1010;
constexpr int kIco = 1013;
constexpr int kStreet = 1015;
constexpr int kTown = 1017;
constexpr int kPostcode = 1019;
constexpr int kYear = 1021;
constexpr int kAuditor = 1023;
constexpr int kAuditDate = 1027;
constexpr int kOpinion = 1028;

// Closing data controls.
constexpr int kReportPlace = 1193;
constexpr int kSubsidiaries = 1195;
constexpr int kOperatingCashFlow = 1197;
constexpr int kInvestmentCashFlow = 1203;
constexpr int kFinancingCashFlow = 1205;
constexpr int kOverdueReceivables = 1207;
constexpr int kRemark = 1213;

// Orderer controls.
constexpr int kOrderer = 1221;
constexpr int kDepartment = 1011;
constexpr int kOrdererStreet = 1223;
constexpr int kOrdererTown = 1225;
constexpr int kOrdererPostcode = 1227;
constexpr int kOrdererIco = 1229;
constexpr int kDic = 1230;
constexpr int kCopyHeader = 1241;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::string W(const char* utf8)
{
    return Cp1250(utf8);
}

std::string LengthPrompt(int limit)
{
    return W(("Zadejte nejvýše " + std::to_string(limit) + " znaků.").c_str());
}

class DataPageTest : public WizardTest {
protected:
    // Types every header field the completeness check needs, except the IČO.
    void TypeRequiredHeader(bool withName = true)
    {
        if (withName)
            Type(Edit(kName), U("Sklárna Šťáhlavy, a.s."));
        Type(Edit(kTown), U("Plzeň"));
        Type(Edit(kYear), U("2023"));
        Type(Edit(kAuditor), U("Audit Řehoř s.r.o."));
        Type(Edit(kAuditDate), U("28. března 2024"));
    }

    // Presses Next until page `index` is active; fails when the wizard stops
    // short of it.
    void NextTo(int index)
    {
        while (ActiveIndex() < index) {
            const int before = ActiveIndex();
            Next();
            ASSERT_GT(ActiveIndex(), before) << "stuck on page " << before;
        }
        ASSERT_EQ(ActiveIndex(), index);
    }

    // A statement with the header and orderer complete, possibly changed by
    // `adjust`, saved and opened; the wizard is then on `index`.
    void OpenSavedAt(int index, void (*adjust)(CUzData&) = nullptr)
    {
        FillRequiredItems();
        if (adjust)
            adjust(g_doc.m_data);
        StartWith(SaveStatement("firma.bil"));
        NextTo(index);
        host.boxes.clear();
    }

    QComboBox* Opinions() const { return Active()->Control<QComboBox>(kOpinion); }
    // A label as read, without the word joiners that keep its words whole.
    QString Label(int id) const
    {
        return Active()->Control<QLabel>(id)->text().remove(QChar(0x2060));
    }

    std::vector<int> BoxIds() const
    {
        std::vector<int> ids;
        for (std::size_t i = 0; i < host.boxes.size(); ++i)
            ids.push_back(host.BoxId(i));
        return ids;
    }

    const CUzItemBase& Item(int tag) const { return g_doc.m_data.Item(tag); }
};

using Ids = std::vector<int>;

} // namespace

// ---------------------------------------------------------------- header

TEST_F(DataPageTest, NewStatementShowsZeroIcoAndTheFirstOpinion)
{
    StartWith(dir.File("nova.bil"));
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(kIco)->text(), QStringLiteral("0"));
    EXPECT_TRUE(Edit(kName)->text().isEmpty());

    QComboBox* list = Opinions();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->itemText(0), U("bez výhrad"));
    EXPECT_EQ(list->itemText(1), U("s výhradou"));
    EXPECT_EQ(list->itemText(2), U("záporný výrok"));
    EXPECT_EQ(list->itemText(3), U("odmítnutí výroku"));
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(list->isEditable());

    // Next with the preselected opinion stores its wording and position.
    TypeRequiredHeader();
    host.answers = {IDYES}; // IČO 0
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_EQ(Item(10).m_strValue, W("bez výhrad"));
    EXPECT_EQ(Item(10).m_nNumber, 0);
}

TEST_F(DataPageTest, IcoIsKeptAsANumberWithoutItsLeadingZeros)
{
    StartWith(dir.File("nova.bil"));
    TypeRequiredHeader();
    Type(Edit(kIco), QStringLiteral("00000471"));
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(2).m_nNumber, 471);
    EXPECT_TRUE(Item(2).m_strValue.empty());
    EXPECT_EQ(Item(1).m_strValue, W("Sklárna Šťáhlavy, a.s."));

    Back();
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(kIco)->text(), QStringLiteral("471"));
    EXPECT_EQ(Edit(kName)->text(), U("Sklárna Šťáhlavy, a.s."));
}

TEST_F(DataPageTest, IncompleteHeaderIsRefusedWith10011)
{
    StartWith(dir.File("nova.bil"));
    TypeRequiredHeader(false);
    host.answers = {IDYES};

    // No name and no IČO: the missing name ends the check before the IČO
    // question.
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(BoxIds(), Ids{10011});
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_OK));
    EXPECT_EQ(host.answers.size(), 1u);

    // IČO 0 answered No.
    Type(Edit(kName), QStringLiteral(" "));
    host.boxes.clear();
    host.answers = {IDNO};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(BoxIds(), (Ids{10025, 10011}));
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_ICONEXCLAMATION | MB_YESNO));

    // A negative IČO: no question, just the refusal.
    Type(Edit(kIco), QStringLiteral("-471"));
    host.boxes.clear();
    host.answers = {IDYES};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(BoxIds(), Ids{10011});
    EXPECT_EQ(Item(2).m_nNumber, -471);

    // IČO 0 answered Yes; a name of one blank is a name.
    Type(Edit(kIco), QStringLiteral("0"));
    host.boxes.clear();
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_EQ(BoxIds(), Ids{10025});
    EXPECT_EQ(Item(1).m_strValue, " ");
}

TEST_F(DataPageTest, OpinionOutsideTheListMustBeChosenBeforeNext)
{
    OpenSavedAt(PageHlava, [](CUzData& d) { d.Item(10).m_nNumber = 7; });
    QComboBox* list = Opinions();
    EXPECT_EQ(list->currentIndex(), -1);

    for (int attempt = 0; attempt < 2; ++attempt) {
        host.boxes.clear();
        Next();
        EXPECT_EQ(ActiveIndex(), int(PageHlava));
        EXPECT_EQ(BoxIds(), Ids{10011});
    }

    // The user opens nothing, just walks the closed list with the keyboard.
    list->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex(), 2);
    host.boxes.clear();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(10).m_strValue, W("záporný výrok"));
    EXPECT_EQ(Item(10).m_nNumber, 2);

    Back();
    EXPECT_EQ(Opinions()->currentIndex(), 2);
}

TEST_F(DataPageTest, BackAlwaysAsksAndTakesNothingOver)
{
    OpenSavedAt(PageHlava);
    const std::string name = Item(1).m_strValue;

    host.answers = {IDNO};
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    ASSERT_EQ(BoxIds(), Ids{10012});
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_ICONEXCLAMATION | MB_YESNO));

    Type(Edit(kName), U("Jiná firma"));
    Type(Edit(kIco), QStringLiteral("12"));
    host.boxes.clear();
    host.answers = {IDNO};
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(BoxIds(), Ids{10012});
    EXPECT_EQ(Edit(kName)->text(), U("Jiná firma"));
    EXPECT_EQ(Item(1).m_strValue, name);
    EXPECT_EQ(Item(2).m_nNumber, 25596641);

    // Even an invalid field does not keep the user from going back.
    Type(Edit(kIco), QStringLiteral("12a"));
    host.boxes.clear();
    host.answers = {IDYES};
    Back();
    ASSERT_EQ(ActiveIndex(), int(PageFile));
    EXPECT_EQ(BoxIds(), Ids{10012});
    EXPECT_EQ(Item(1).m_strValue, name);

    // The file is read anew: the header shows what was saved.
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(kName)->text(), FromCp1250(name));
    EXPECT_EQ(Edit(kIco)->text(), QStringLiteral("25596641"));
}

TEST_F(DataPageTest, TextOverItsLimitIsRefusedNamingTheLimit)
{
    StartWith(dir.File("nova.bil"));
    TypeRequiredHeader();
    Type(Edit(kIco), QStringLiteral("471"));
    Type(Edit(kStreet), U("Náměstí Republiky 12"));

    // Limits count characters, not the bytes of their UTF-8 form.
    Type(Edit(kTown), QString(51, QChar(0x017D))); // Ž
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, LengthPrompt(50));
    // Fields before the refused one are taken over, those after it are not.
    EXPECT_EQ(Item(2).m_nNumber, 471);
    EXPECT_TRUE(Item(4).m_strValue.empty());

    Type(Edit(kTown), QString(50, QChar(0x017D)));
    Type(Edit(kPostcode), QStringLiteral("301 000"));
    host.boxes.clear();
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, LengthPrompt(6));
    EXPECT_EQ(Item(3).m_strValue, std::string(50, '\x8E'));
    EXPECT_EQ(Item(4).m_strValue, W("Náměstí Republiky 12"));
    EXPECT_TRUE(Item(6).m_strValue.empty());

    Type(Edit(kPostcode), QStringLiteral("301 00"));
    host.boxes.clear();
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(5).m_strValue, "301 00");
}

TEST_F(DataPageTest, HeaderLabelsAreTheCatalogueWording)
{
    StartWith(dir.File("nova.bil"));
    const auto check = [this] {
        EXPECT_EQ(Label(1011), U("Obchodní jméno:"));
        EXPECT_EQ(Label(1012), U("IČO:"));
        EXPECT_EQ(Label(1018), U("PSČ "));
        EXPECT_EQ(Label(1020),
                  U("zveřejňuje podle $20 zák. č. 563/91 sb. hlavní údaje z účetní závěrky "
                    "za rok: "));
        EXPECT_EQ(Label(1024), U("Auditor (Číslo oprávnění):"));
        EXPECT_EQ(Label(1029), U("Výrok auditora:"));
    };
    check();
    TypeRequiredHeader();
    Type(Edit(kIco), QStringLiteral("471"));
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    // Taking the page over reads the labels back unchanged.
    EXPECT_EQ(Item(5).m_strLabel, W("PSČ "));
    EXPECT_EQ(Item(6).m_strLabel,
              W("zveřejňuje podle $20 zák. č. 563/91 sb. hlavní údaje z účetní závěrky za rok: "));
    Back();
    check();
}

// ---------------------------------------------------------------- closing data

TEST_F(DataPageTest, EmptyClosingDataLeadOnToTheErrorPage)
{
    OpenSavedAt(PageEnd);
    for (int id : {kReportPlace, kSubsidiaries, kOperatingCashFlow, kRemark})
        EXPECT_TRUE(Edit(id)->text().isEmpty()) << id;
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DataPageTest, CashFlowOverTwentyCharactersIsRefusedEitherWay)
{
    OpenSavedAt(PageEnd);
    Type(Edit(kReportPlace), U("Krajský soud v Plzni"));
    Type(Edit(kOperatingCashFlow), QStringLiteral("1 234 567 890 123,50")); // 20
    Type(Edit(kInvestmentCashFlow), QStringLiteral("-1 234 567 890 123,5")); // 20
    Type(Edit(kFinancingCashFlow), U("dvacet jedna znaků!!")); // 20
    Type(Edit(kFinancingCashFlow), Edit(kFinancingCashFlow)->text() + QLatin1Char('x'));
    Type(Edit(kOverdueReceivables), U("žádné"));

    for (bool forward : {true, false}) {
        host.boxes.clear();
        forward ? Next() : Back();
        EXPECT_EQ(ActiveIndex(), int(PageEnd));
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, LengthPrompt(20));
    }
    // Fields before the refused one were taken over, those after it not.
    EXPECT_EQ(Item(113).m_strValue, W("Krajský soud v Plzni"));
    EXPECT_EQ(Item(116).m_strValue, "1 234 567 890 123,50");
    EXPECT_EQ(Item(117).m_strValue, "-1 234 567 890 123,5");
    EXPECT_TRUE(Item(119).m_strValue.empty());

    Type(Edit(kFinancingCashFlow), U("dvacet jedna znaků!!"));
    host.boxes.clear();
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageVysledky2));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(118).m_strValue, W("dvacet jedna znaků!!"));
    EXPECT_EQ(Item(119).m_strValue, W("žádné"));
}

TEST_F(DataPageTest, SubsidiariesAndRemarkTakeAnyLength)
{
    OpenSavedAt(PageEnd);
    QString longText;
    while (longText.size() < 1000)
        longText += U("Dceřiná společnost Šťáhlavy s.r.o., Plzeň; ");
    longText.truncate(1000);
    Type(Edit(kSubsidiaries), longText);
    Type(Edit(kRemark), longText);
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(host.boxes.empty());
    std::string expected;
    ASSERT_TRUE(ToCp1250(longText, expected));
    EXPECT_EQ(expected.size(), 1000u);
    EXPECT_EQ(Item(114).m_strValue, expected);
    EXPECT_EQ(Item(122).m_strValue, expected);
}

// Ten megabytes of subsidiaries, and a remark with a byte Windows-1250 does
// not define (shown as a replacement character).
const std::string& LongText()
{
    static const std::string text = [] {
        std::string t(10 << 20, 'x');
        for (std::size_t i = 0; i < t.size(); i += 997)
            t[i] = '\xE8'; // č
        return t;
    }();
    return text;
}

TEST_F(DataPageTest, UnlimitedTextsGoThroughThePageWhole)
{
    OpenSavedAt(PageEnd, [](CUzData& data) {
        data.Item(114).m_strValue = LongText();
        data.Item(122).m_strValue = "a\x81" "b";
    });
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(Item(114).m_strValue == LongText()) << Item(114).m_strValue.size() << " bytes";
    EXPECT_EQ(Item(122).m_strValue, "a\x81" "b");
}

TEST_F(DataPageTest, ClosingAmountsAreStoredExactlyAsTyped)
{
    OpenSavedAt(PageEnd);
    Type(Edit(kOperatingCashFlow), U("1 234,- Kč"));
    Type(Edit(kInvestmentCashFlow), U("mínus dva tisíce"));
    Type(Edit(kFinancingCashFlow), QStringLiteral("  -5.000  "));
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_EQ(Item(116).m_strValue, W("1 234,- Kč"));
    EXPECT_EQ(Item(117).m_strValue, W("mínus dva tisíce"));
    EXPECT_EQ(Item(118).m_strValue, "  -5.000  ");
    for (int tag : {116, 117, 118})
        EXPECT_EQ(Item(tag).m_nNumber, 0) << tag;

    Back();
    ASSERT_EQ(ActiveIndex(), int(PageEnd));
    EXPECT_EQ(Edit(kOperatingCashFlow)->text(), U("1 234,- Kč"));
    EXPECT_EQ(Edit(kFinancingCashFlow)->text(), QStringLiteral("  -5.000  "));
}

// ---------------------------------------------------------------- orderer

TEST_F(DataPageTest, OrdererAsksAboutIcoThenDicAndGoesOnAfterTwoYes)
{
    OpenSavedAt(PageObj, [](CUzData& d) {
        d.Item(128).m_nNumber = 0;
        d.Item(129).m_strValue.clear();
    });

    host.answers = {IDNO};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_EQ(BoxIds(), (Ids{10025, 10027}));
    EXPECT_EQ(host.boxes[1].style, unsigned(MB_OK));

    host.boxes.clear();
    host.answers = {IDYES, IDNO};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_EQ(BoxIds(), (Ids{10025, 10026, 10027}));

    host.boxes.clear();
    host.answers = {IDYES, IDYES};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageText));
    EXPECT_EQ(BoxIds(), (Ids{10025, 10026}));
    for (const RecordedBox& box : host.boxes)
        EXPECT_EQ(box.style, unsigned(MB_ICONEXCLAMATION | MB_YESNO));
}

TEST_F(DataPageTest, OrdererBackSkipsTheCheckButTakesTheFieldsOver)
{
    OpenSavedAt(PageObj, [](CUzData& d) { d.Item(123).m_strValue.clear(); });
    Type(Edit(kDepartment), U("Účtárna"));
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Item(124).m_strValue, W("Účtárna"));

    Next();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_EQ(BoxIds(), Ids{10027});
}

TEST_F(DataPageTest, CopyFromTheHeaderReloadsTheWholePage)
{
    OpenSavedAt(PageHlava, [](CUzData& d) {
        d.Item(123).m_strValue = W("Stará firma");
        d.Item(124).m_strValue = W("Účtárna");
    });
    Type(Edit(kIco), QStringLiteral("00000471"));
    Type(Edit(kStreet), U("Náměstí Republiky 12"));
    Type(Edit(kPostcode), QStringLiteral("301 00"));
    NextTo(PageObj);
    EXPECT_EQ(Edit(kOrderer)->text(), U("Stará firma"));

    Type(Edit(kDepartment), U("Nákup"));
    Type(Edit(kDic), QStringLiteral("CZ999"));
    QTest::mouseClick(Active()->GetDlgItem(kCopyHeader), Qt::LeftButton);
    Settle();

    EXPECT_EQ(Edit(kOrderer)->text(), U("Firma a.s."));
    EXPECT_EQ(Edit(kDepartment)->text(), U("Účtárna"));
    EXPECT_EQ(Edit(kOrdererStreet)->text(), U("Náměstí Republiky 12"));
    EXPECT_EQ(Edit(kOrdererTown)->text(), U("Brno"));
    EXPECT_EQ(Edit(kOrdererPostcode)->text(), U("301 00"));
    EXPECT_EQ(Edit(kOrdererIco)->text(), QStringLiteral("471"));
    EXPECT_EQ(Edit(kDic)->text(), QStringLiteral("CZ25596641"));
    EXPECT_EQ(Item(124).m_strValue, W("Účtárna"));
    EXPECT_EQ(Item(128).m_nNumber, 471);
    EXPECT_TRUE(host.boxes.empty());

    Next();
    EXPECT_EQ(ActiveIndex(), int(PageText));
    EXPECT_EQ(Item(123).m_strValue, "Firma a.s.");
    EXPECT_EQ(Item(125).m_strValue, W("Náměstí Republiky 12"));
}

TEST_F(DataPageTest, NegativeOrdererIcoIsRefused)
{
    OpenSavedAt(PageObj);
    Type(Edit(kOrdererIco), QStringLiteral("-471"));
    host.answers = {IDYES};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_EQ(BoxIds(), Ids{10027});
    EXPECT_EQ(Item(128).m_nNumber, -471);
}

// Keyboard and screen readers: Tab walks the fields in the dialog's order and
// every field carries its line's label as its accessible name.
TEST_F(WizardTest, FieldsAreNamedByTheirLabelsAndTabFollowsTheDialog)
{
    OpenAt(PageHlava);
    EXPECT_EQ(Edit(kName)->accessibleName(), U("Obchodní jméno:"));
    EXPECT_EQ(Edit(kIco)->accessibleName(), U("IČO:"));
    EXPECT_EQ(Active()->GetDlgItem(kOpinion)->accessibleName(), U("Výrok auditora:"));
    Edit(kName)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Edit(kIco));

    host.answers.push_back(IDYES); // leaving the header other than by Next asks
    OpenAt(PageAktiva);
    ASSERT_EQ(ActiveIndex(), PageAktiva);
    EXPECT_EQ(Edit(1042)->accessibleName(), U("Aktiva celkem – Běžný rok"));
    EXPECT_EQ(Edit(1067)->accessibleName(), U("Ostatní aktiva (D) – Minulý rok"));
    Edit(1042)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Edit(1043));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Edit(1044));
}
