// A whole statement as a user makes it: a new file, every page typed in by
// keyboard, a mistake found on the error page and corrected, Finish; then the
// same file opened again and changed. The written files must be exactly what
// the core writes for the same values.

#include "wizard_fixture.h"

#include "framework/text.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <vector>

namespace {

// Every run of TABs as one TAB.
std::string SingleTabs(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\t' || out.empty() || out.back() != '\t')
            out += c;
    return out;
}

struct Figure {
    int tag; // current year; the previous year is tag + 1
    int current;
    int previous;
};

// A statement in which every sum rule holds, in row order of the pages.
const std::vector<Figure> kAssets = {
    {11, 450, 380}, {13, 5, 0},     {15, 250, 230}, {17, 100, 90}, {19, 200, 180},
    {21, -50, -40}, {23, 10, 8},    {25, 180, 140}, {27, 30, 20},  {29, 40, 30},
    {31, 50, 40},   {33, 60, 50},   {35, 15, 10},
};
const std::vector<Figure> kLiabilities = {
    {37, 450, 380}, {39, 200, 160}, {41, 100, 100}, {43, 100, 100}, {45, 20, 20},
    {47, 30, 25},   {49, -10, -20}, {51, 60, 35},   {53, 220, 190}, {55, 10, 10},
    {57, 20, 15},   {59, 150, 140}, {61, 40, 25},   {63, 25, 20},   {65, 30, 30},
};
const std::vector<Figure> kProfit1 = {
    {67, 500, 410}, {69, 500, 400}, {71, -20, 10}, {73, 20, 0},  {75, 300, 250}, {77, 200, 160},
    {79, 80, 70},   {81, 30, 25},   {83, 5, 0},    {85, 10, 5},  {87, 15, 10},   {89, 20, 15},
};
const std::vector<Figure> kProfit2 = {
    {91, 80, 55},   {93, 2, 0},   {95, 1, 0},     {97, 30, 20},   {99, 41, 30},  {101, -10, -10},
    {103, 70, 45},  {105, 5, 0},  {107, 15, 10},  {109, -10, -10}, {111, 60, 35},
};

// The edits of row k of a figure page, as its dialog numbers them.
std::pair<int, int> FigureEdits(int page, int k)
{
    switch (page) {
    case PageAktiva:
        return {1042 + 2 * k, 1043 + 2 * k};
    case PagePasiva:
        if (k == 13)
            return {1078, 1079};
        if (k == 14)
            return {1081, 1082};
        return {1096 + k, 1109 + k};
    case PageVysledky1:
        return {1134 + k, 1146 + k};
    default:
        return {1170 + k, 1181 + k};
    }
}

struct Text {
    int tag;
    int edit;
    const char* value; // UTF-8, as typed
};

const std::vector<Text> kHeader = {
    {1, 1010, "Žluťoučký kůň, a.s."},
    {3, 1017, "České Budějovice"},
    {4, 1015, "Dlouhá 5"},
    {5, 1019, "370 01"},
    {6, 1021, "1999"},
    {7, 1023, "Účetní audit s.r.o."},
    {8, 1025, "77"},
    {9, 1027, "31.3.2000"},
};
const std::vector<Text> kClosing = {
    {113, 1193, "Krajský soud v Českých Budějovicích"},
    {114, 1195, "Dceřiná s.r.o., Tábor; Vnučka a.s., Písek"},
    {115, 1201, "Jan Novák 25 %, Obec Třeboň 30 %"},
    {116, 1197, "1 250"},
    {117, 1203, "-300"},
    {118, 1205, "dvě stě"},
    {119, 1207, "0"},
    {120, 1209, "12"},
    {121, 1211, "žádný"},
    {122, 1213, "Poznámka: údaje ověřil auditor."},
};
// Typed after the header data have been copied in.
const std::vector<Text> kOrderer = {
    {124, 1011, "Účtárna"},
    {129, 1230, "CZ00000471"},
    {130, 1242, "1.4.2000"},
    {131, 1233, "Jana Nováková"},
    {132, 1235, "+420 387 123 456"},
    {134, 1237, "jana@firma.example.cz"},
};

class JourneyTest : public WizardTest {
protected:
    // The program started anew: fresh statement, fresh wizard.
    void Restart()
    {
        sheet->hide();
        sheet.reset();
        Settle();
        g_doc.Reset();
        g_doc.m_data.Reset();
        sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        host.boxes.clear();
    }

    void TypeTexts(const std::vector<Text>& texts, CUzDocument& expected)
    {
        for (const Text& t : texts) {
            QLineEdit* edit = Edit(t.edit);
            ASSERT_NE(edit, nullptr) << t.edit;
            Type(edit, QString::fromUtf8(t.value));
            expected.m_data.Item(t.tag).m_strValue = Cp1250(t.value);
        }
    }

    void TypeFigures(const std::vector<Figure>& rows, CUzDocument& expected)
    {
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const auto [current, previous] = FigureEdits(ActiveIndex(), int(k));
            ASSERT_NE(Edit(current), nullptr) << current;
            ASSERT_NE(Edit(previous), nullptr) << previous;
            Type(Edit(current), QString::number(rows[k].current));
            Type(Edit(previous), QString::number(rows[k].previous));
            expected.m_data.Item(rows[k].tag).m_nNumber = rows[k].current;
            expected.m_data.Item(rows[k].tag + 1).m_nNumber = rows[k].previous;
        }
    }

    void NextTo(int page)
    {
        Next();
        ASSERT_EQ(ActiveIndex(), page);
    }

    void Click(int id)
    {
        QTest::mouseClick(Active()->GetDlgItem(id), Qt::LeftButton);
        Settle();
    }

    void ChooseTextFile(const std::string& answer)
    {
        host.files.push_back(answer);
        Click(1217);
    }

    // The bytes the core writes for a statement.
    std::string SavedBytes(CUzDocument& doc)
    {
        doc.m_strPath = dir.File("expected.bil");
        EXPECT_TRUE(doc.Save());
        return ReadFile(doc.m_strPath);
    }

    bool Closed(QDialog::DialogCode how) const
    {
        return !sheet->isVisible() && sheet->result() == int(how);
    }
};

} // namespace

TEST_F(JourneyTest, NewStatementFromFirstPageToFinishAndChangedLater)
{
    CUzDocument expected;
    StartWith(dir.File("firma"));
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    const std::string statement = dir.File("firma.BIL");

    // Header: Czech letters, an IČO with leading zeros, the second opinion.
    TypeTexts(kHeader, expected);
    Type(Edit(1013), QStringLiteral("00000471"));
    expected.m_data.Item(2).m_nNumber = 471;
    auto* opinion = Active()->Control<QComboBox>(1028);
    ASSERT_NE(opinion, nullptr);
    EXPECT_EQ(opinion->currentIndex(), 0);
    QTest::keyClick(opinion, Qt::Key_Down);
    expected.m_data.Item(10).m_strValue = Cp1250("s výhradou");
    expected.m_data.Item(10).m_nNumber = 1;
    NextTo(PageAktiva);

    // Figures of both years; one of them mistyped.
    TypeFigures(kAssets, expected);
    Type(Edit(1064), QStringLiteral("61")); // finanční majetek, should be 60
    NextTo(PagePasiva);
    TypeFigures(kLiabilities, expected);
    NextTo(PageVysledky1);
    TypeFigures(kProfit1, expected);
    NextTo(PageVysledky2);
    TypeFigures(kProfit2, expected);
    NextTo(PageEnd);
    TypeTexts(kClosing, expected);
    NextTo(PageErrors);
    EXPECT_TRUE(host.boxes.empty());

    // The mistake breaks one rule of the current year; a double-click on it
    // turns to the assets page with the rule's figures coloured.
    auto* current = Active()->Control<QListWidget>(1198);
    ASSERT_EQ(current->count(), 1);
    EXPECT_EQ(current->item(0)->text(), QStringLiteral("Oběžná aktiva"));
    EXPECT_EQ(Active()->Control<QListWidget>(1199)->count(), 0);
    // A user's double-click: press, release, then the second press arrives
    // as the double-click event.
    const QPoint spot = current->visualItemRect(current->item(0)).center();
    QTest::mouseClick(current->viewport(), Qt::LeftButton, {}, spot);
    QTest::mouseDClick(current->viewport(), Qt::LeftButton, {}, spot);
    QTest::mouseRelease(current->viewport(), Qt::LeftButton, {}, spot);
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_EQ(g_doc.m_data.EditItem(25).m_edit.m_nMark, CUzMarkEdit::MarkSum);
    EXPECT_EQ(g_doc.m_data.EditItem(33).m_edit.m_nMark, CUzMarkEdit::MarkAddend);
    Edit(1064)->grab();
    EXPECT_EQ(Edit(1064)->palette().color(QPalette::Base), g_markColors.m_crAddendBk);
    EXPECT_EQ(Edit(1064)->text(), QStringLiteral("61"));
    Type(Edit(1064), QStringLiteral("60"));

    for (int page = PagePasiva; page <= PageErrors; ++page)
        NextTo(page);
    EXPECT_EQ(current->count(), 0);
    EXPECT_EQ(g_doc.m_data.EditItem(25).m_edit.m_nMark, CUzMarkEdit::MarkNone);
    NextTo(PageObj);
    EXPECT_TRUE(host.boxes.empty()); // no warning: nothing fails any more

    // Orderer: the company copied from the header, the rest typed.
    Click(1241);
    EXPECT_EQ(Edit(1221)->text(), QString::fromUtf8(kHeader[0].value));
    EXPECT_EQ(Edit(1229)->text(), QStringLiteral("471"));
    for (auto [to, from] : std::initializer_list<std::pair<int, int>>{{123, 1}, {125, 4}, {126, 3}, {127, 5}})
        expected.m_data.Item(to).m_strValue = expected.m_data.Item(from).m_strValue;
    expected.m_data.Item(128).m_nNumber = 471;
    TypeTexts(kOrderer, expected);
    NextTo(PageText);
    EXPECT_TRUE(host.boxes.empty());

    // Single TABs (the default) into a new text file.
    ChooseTextFile(dir.File("firma"));
    Finish();
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_TRUE(Closed(QDialog::Accepted));
    std::string text;
    ASSERT_EQ(expected.BuildText(text), 1);
    EXPECT_NE(text.find(Cp1250("IČO:\t00000471\r\n")), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("firma.TXT")), SingleTabs(text));
    EXPECT_EQ(ReadFile(statement), SavedBytes(expected));

    // Later: the same file again, one figure that takes part in no rule
    // changed, every TAB kept.
    Restart();
    StartWith(statement);
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(1010)->text(), QString::fromUtf8(kHeader[0].value));
    EXPECT_EQ(Edit(1013)->text(), QStringLiteral("471"));
    EXPECT_EQ(Active()->Control<QComboBox>(1028)->currentIndex(), 1);
    NextTo(PageAktiva);
    EXPECT_EQ(Edit(1052)->text(), QStringLiteral("-50"));
    EXPECT_EQ(Edit(1064)->text(), QStringLiteral("60"));
    Type(Edit(1054), QStringLiteral("-7"));
    expected.m_data.Item(23).m_nNumber = -7;
    for (int page = PagePasiva; page <= PageText; ++page)
        NextTo(page);
    EXPECT_TRUE(host.boxes.empty());

    Click(1218);
    ChooseTextFile(dir.File("firma.TXT"));
    host.answers.push_back(IDYES);
    Finish();
    ASSERT_TRUE(Closed(QDialog::Accepted));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10028);
    ASSERT_EQ(expected.BuildText(text), 1);
    EXPECT_EQ(ReadFile(dir.File("firma.TXT")), text);
    EXPECT_EQ(ReadFile(statement), SavedBytes(expected));
}

TEST_F(JourneyTest, CancelAfterEditingLeavesTheStatementFileAsItWas)
{
    CUzDocument doc;
    for (const Figure& f : kAssets) {
        doc.m_data.Item(f.tag).m_nNumber = f.current;
        doc.m_data.Item(f.tag + 1).m_nNumber = f.previous;
    }
    const std::string statement = dir.File("firma.bil");
    doc.m_strPath = statement;
    ASSERT_TRUE(doc.Save());
    const std::string saved = ReadFile(statement);

    // Straight to the assets page, as after a double-click on the error page.
    Open();
    host.files.push_back(statement);
    Click(1008);
    sheet->SetActivePage(PageAktiva);
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    Type(Edit(1042), QStringLiteral("-1"));
    NextTo(PagePasiva);
    Type(Edit(1096), QStringLiteral("123"));

    host.answers = {IDNO, IDYES};
    Cancel();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(ActiveIndex(), int(PagePasiva));
    Cancel();
    EXPECT_TRUE(Closed(QDialog::Rejected));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(0), 10029);
    EXPECT_EQ(host.BoxId(1), 10029);
    EXPECT_EQ(host.boxes[1].style, unsigned(MB_ICONEXCLAMATION | MB_YESNO));
    EXPECT_EQ(ReadFile(statement), saved);
}
