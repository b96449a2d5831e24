// The error review page: the failed rules of both years, the colours a
// double-click puts on a rule's figures, and the way back.

#include "wizard_fixture.h"

#include "pages/markedit.h"
#include "framework/controls.h"
#include "framework/ddx.h"
#include "framework/page.h"
#include "framework/text.h"
#include "model/messages.h"
#include "res/dialogs.h"

#include <QLabel>
#include <QListWidget>

#include <vector>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

constexpr int kListCurrent = 1198;
constexpr int kListPrevious = 1199;

const char* const kResultRule = "Hospodářský výsledek za účetní období (pasiva, výsledovka)";

// The colour an edit is painted in, sampled near its right inner border,
// away from the text and the frame.
QColor Background(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    return image.pixelColor(image.width() - 5, image.height() / 2);
}

// Whether some pixel of the edit is close to white: its text on a mark.
bool HasWhiteText(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() / 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200)
                return true;
        }
    return false;
}

QColor Base()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

class ErrorsTest : public WizardTest {
protected:
    QListWidget* List(int id) const { return Active()->Control<QListWidget>(id); }
    QString Caption(int id) const { return Active()->Control<QLabel>(id)->text(); }

    static QStringList Entries(QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    static QStringList Captions(std::initializer_list<const char*> captions)
    {
        QStringList out;
        for (const char* c : captions)
            out << QString::fromUtf8(c);
        return out;
    }

    // A double-click on the entry with this caption.
    void DoubleClick(QListWidget* list, const char* caption)
    {
        const auto found = list->findItems(QString::fromUtf8(caption), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const QRect r = list->visualItemRect(found.first());
        // What a mouse sends: press, release, double-click, release
        // (QTest's double-click alone is a lone event without the press).
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, r.center());
        Settle();
    }

    static int Mark(int tag) { return g_doc.m_data.EditItem(tag).m_edit.m_nMark; }

    // Tags 11 to 112 that carry a mark.
    static std::vector<int> MarkedTags()
    {
        std::vector<int> out;
        for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
            if (Mark(tag) != 0)
                out.push_back(tag);
        return out;
    }

    static void Set(int tag, int value) { g_doc.m_data.Item(tag).m_nNumber = value; }
};

} // namespace

TEST_F(ErrorsTest, ConsistentStatementListsNothingAndNextDoesNotWarn)
{
    OpenAt(7);
    EXPECT_EQ(List(kListCurrent)->count(), 0);
    EXPECT_EQ(List(kListPrevious)->count(), 0);
    EXPECT_EQ(Caption(1206), QStringLiteral("Běžný rok [celkem: 0]"));
    EXPECT_EQ(Caption(1207), QStringLiteral("Minulý rok [celkem: 0]"));
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
    Next();
    EXPECT_EQ(ActiveIndex(), 8);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ErrorsTest, FailedRulesAreListedPerYearInRuleOrder)
{
    // Current year: the profit in the liabilities only. Previous year: the
    // same, and an assets total without its parts.
    Set(51, 5);
    Set(52, 3);
    Set(12, 10);
    OpenAt(7);
    EXPECT_EQ(Entries(List(kListCurrent)), Captions({"Vlastní jmění", kResultRule}));
    EXPECT_EQ(Entries(List(kListPrevious)),
              Captions({"Aktiva celkem a pasiva celkem", "Aktiva celkem", "Vlastní jmění",
                        kResultRule}));
    EXPECT_EQ(Caption(1206), QStringLiteral("Běžný rok [celkem: 2]"));
    EXPECT_EQ(Caption(1207), QStringLiteral("Minulý rok [celkem: 4]"));
    EXPECT_TRUE(host.boxes.empty());

    // Back never warns; Next does and goes on all the same.
    Back();
    EXPECT_EQ(ActiveIndex(), 6);
    EXPECT_TRUE(host.boxes.empty());
    Next();
    ASSERT_EQ(ActiveIndex(), 7);
    Next();
    EXPECT_EQ(ActiveIndex(), 8);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10020);
    EXPECT_EQ(host.boxes[0].style, unsigned(MB_OK));
}

TEST_F(ErrorsTest, PreviousYearFailuresAloneStillWarn)
{
    Set(12, 10);
    OpenAt(7);
    EXPECT_EQ(List(kListCurrent)->count(), 0);
    EXPECT_EQ(Caption(1206), QStringLiteral("Běžný rok [celkem: 0]"));
    EXPECT_EQ(Caption(1207), QStringLiteral("Minulý rok [celkem: 2]"));
    Next();
    EXPECT_EQ(ActiveIndex(), 8);
    EXPECT_EQ(host.BoxId(0), 10020);
}

TEST_F(ErrorsTest, DoubleClickColoursTheRuleAndShowsThePageOfItsSum)
{
    Set(51, 5);
    OpenAt(7);
    DoubleClick(List(kListCurrent), kResultRule);
    ASSERT_EQ(ActiveIndex(), 5);
    EXPECT_EQ(sheet->windowTitle(),
              QStringLiteral("Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (2)"));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(MarkedTags(), std::vector<int>({51, 111}));
    EXPECT_EQ(Mark(111), CUzMarkEdit::MarkSum);
    EXPECT_EQ(Mark(51), CUzMarkEdit::MarkAddend);

    // [111] is the current year of the last row, [112] beside it unmarked.
    EXPECT_EQ(Background(Edit(1180)), kRed);
    EXPECT_TRUE(HasWhiteText(Edit(1180)));
    EXPECT_EQ(Background(Edit(1191)), Base());

    // A corrected figure keeps its colour until the error page is entered.
    Type(Edit(1180), QStringLiteral("5"));
    EXPECT_EQ(Background(Edit(1180)), kRed);

    Back();
    Back();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(Background(Edit(1103)), kBlue); // [51]
    EXPECT_TRUE(HasWhiteText(Edit(1103)));
    EXPECT_EQ(Background(Edit(1116)), Base()); // [52]
    EXPECT_EQ(Background(Edit(1096)), Base()); // [37]

    for (int i = 3; i < 7; ++i)
        Next();
    ASSERT_EQ(ActiveIndex(), 7);
    EXPECT_TRUE(MarkedTags().empty());
    // Only what still fails: the profit now breaks the result rule of the
    // profit and loss statement instead.
    EXPECT_EQ(Entries(List(kListCurrent)),
              Captions({"Vlastní jmění", "Hospodářský výsledek za účetní období (výsledovka)"}));
    Back();
    Back();
    ASSERT_EQ(ActiveIndex(), 5);
    EXPECT_EQ(Background(Edit(1180)), Base());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ErrorsTest, PreviousYearDoubleClickColoursThePreviousYearFigures)
{
    Set(52, 3);
    Set(12, 10);
    OpenAt(7);
    // The same caption in both lists: the previous-year one is meant.
    DoubleClick(List(kListPrevious), kResultRule);
    ASSERT_EQ(ActiveIndex(), 5);
    EXPECT_EQ(MarkedTags(), std::vector<int>({52, 112}));
    EXPECT_EQ(Background(Edit(1191)), kRed);
    EXPECT_EQ(Background(Edit(1180)), Base());

    Next();
    Next();
    ASSERT_EQ(ActiveIndex(), 7);
    DoubleClick(List(kListPrevious), "Aktiva celkem a pasiva celkem");
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(MarkedTags(), std::vector<int>({12, 38}));
    EXPECT_EQ(Background(Edit(1043)), kRed);
    EXPECT_EQ(Background(Edit(1042)), Base());
    Next();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(Background(Edit(1109)), kBlue);
}

TEST_F(ErrorsTest, SingleClickAndKeysOnlySelect)
{
    Set(51, 5);
    OpenAt(7);
    QListWidget* list = List(kListCurrent);
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    Settle();
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Up);
    Settle();
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(ActiveIndex(), 7);
    EXPECT_TRUE(MarkedTags().empty());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ErrorsTest, PaletteChangeRepaintsPlainEditsAndKeepsTheMarks)
{
    const QPalette original = QApplication::palette();
    struct Restore {
        QPalette palette;
        ~Restore() { QApplication::setPalette(palette); }
    } restore{original};

    Set(51, 5);
    OpenAt(7);
    DoubleClick(List(kListCurrent), kResultRule);
    ASSERT_EQ(ActiveIndex(), 5);

    const QColor yellow(255, 255, 192);
    QPalette changed = original;
    changed.setColor(QPalette::Base, yellow);
    changed.setColor(QPalette::Text, Qt::darkBlue);
    QApplication::setPalette(changed);
    Settle();
    EXPECT_EQ(Background(Edit(1191)), yellow);
    EXPECT_EQ(Background(Edit(1180)), kRed);
    EXPECT_TRUE(HasWhiteText(Edit(1180)));
    Back();
    Back();
    ASSERT_EQ(ActiveIndex(), 3);
    EXPECT_EQ(Background(Edit(1103)), kBlue);
    EXPECT_EQ(Background(Edit(1116)), yellow);

    QApplication::setPalette(original);
    Settle();
    EXPECT_EQ(Background(Edit(1116)), original.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(Background(Edit(1103)), kBlue);
}

namespace {

// Figure edits bound to marks that do not come from a failed rule.
class MarkPage : public CPropertyPage {
public:
    MarkPage() : CPropertyPage(IDD_END) {}
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, 1193, m_sum);
        DDX_Control(dx, 1195, m_odd);
        DDX_Control(dx, 1201, m_disabled);
        DDX_Control(dx, 1197, m_addend);
    }
    CUzMarkEdit m_sum, m_odd, m_disabled, m_addend;
};

} // namespace

TEST_F(ErrorsTest, ReadOnlyDisabledAndUnknownMarksPaintPlain)
{
    MarkPage page;
    page.m_sum.m_nMark = CUzMarkEdit::MarkSum;
    page.m_odd.m_nMark = 7;
    page.m_disabled.m_nMark = CUzMarkEdit::MarkSum;
    page.m_addend.m_nMark = CUzMarkEdit::MarkAddend;
    page.show();
    page.EnsureCreated();
    auto* readOnly = page.Control<QLineEdit>(1193);
    auto* disabled = page.Control<QLineEdit>(1201);
    EXPECT_EQ(Background(readOnly), kRed);
    readOnly->setReadOnly(true);
    disabled->setEnabled(false);
    EXPECT_NE(Background(readOnly), kRed);
    EXPECT_EQ(Background(readOnly), Base());
    EXPECT_EQ(Background(page.Control<QLineEdit>(1195)), Base());
    EXPECT_NE(Background(disabled), kRed);
    EXPECT_EQ(Background(page.Control<QLineEdit>(1197)), kBlue);

    // A read-only edit that becomes editable again shows its mark.
    readOnly->setReadOnly(false);
    EXPECT_EQ(Background(readOnly), kRed);
}
