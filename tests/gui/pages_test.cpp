// The pages one by one: the sheet's protocol, what a page refuses and how,
// the error review page and its colours, Finish and the files it writes, and
// the layout of every page.

#include "wizard_fixture.h"

#include "framework/ddx.h"
#include "framework/text.h"
#include "pages/markedit.h"
#include "res/dialogs.h"
#include "text/layout.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

QColor Background(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    return image.pixelColor(image.width() - 5, image.height() / 2);
}

// Pages that log the handlers the sheet calls.
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

TEST(SheetProtocol, HandlersRunInOrderAndARefusalStopsTheMove)
{
    Log log;
    SpyPage a(log, "a"), b(log, "b"), c(log, "c");
    CPropertySheet sheet(10002);
    for (SpyPage* p : {&a, &b, &c})
        sheet.AddPage(p);
    sheet.show();
    sheet.SetActivePage(0);
    sheet.PressNext();
    EXPECT_EQ(log, Log({"a set", "a next", "a kill", "b set"}));
    log.clear();
    b.m_leave = false;
    sheet.PressNext();
    sheet.PressBack();
    sheet.SetActivePage(2);
    EXPECT_EQ(log, Log({"b next", "b kill", "b back", "b kill", "b kill"}));
    log.clear();
    b.m_leave = true;
    b.m_result = kWizardStay;
    sheet.PressNext(); // the handler keeps the page
    b.m_result = kWizardDefault;
    sheet.PressBack();
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_TRUE(sheet.SetActivePage(2));
    EXPECT_EQ(log, Log({"b next", "b back", "b kill", "a set", "a kill", "c set"}));
    EXPECT_EQ(sheet.WizardButtons(), 0u); // shown only once the activation is over
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet.WizardButtons(), unsigned(PSWIZB_BACK | PSWIZB_NEXT));
    sheet.hide();
}

TEST_F(WizardTest, ButtonsAndCancelOnEveryPage)
{
    FillRequiredItems();
    const std::string file = SaveStatement("firma.bil");
    Open();
    EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_NEXT));
    sheet->CancelButton()->click(); // the first page closes without a question
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(sheet->isVisible());

    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    StartWith(file);
    for (int i = PageHlava; i <= PageText; ++i) {
        ASSERT_EQ(ActiveIndex(), i);
        const bool last = i == PageText;
        EXPECT_EQ(sheet->WizardButtons(), unsigned(PSWIZB_BACK | (last ? PSWIZB_FINISH : PSWIZB_NEXT)));
        EXPECT_TRUE((last ? sheet->FinishButton() : sheet->NextButton())->isDefault());
        EXPECT_EQ(sheet->NextButton()->isVisible(), !last);
        host.boxes.clear();
        sheet->CancelButton()->click(); // answered No: nothing changes
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.BoxId(0), 10029);
        EXPECT_EQ(host.boxes[0].style, unsigned(MB_YESNO | MB_ICONEXCLAMATION));
        EXPECT_EQ(ActiveIndex(), i);
        if (!last)
            Next();
    }
    // Back and Finish in one batch: the orderer page, now active, has not
    // asked for Finish, so nothing closes and nothing is written.
    const std::string saved = ReadFile(file);
    sheet->PressBack();
    sheet->PressFinish();
    Settle();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_TRUE(sheet->isVisible());
    // Yes closes, Esc asks the same; the statement file stays as it was.
    host.answers = {IDYES};
    QTest::keyClick(sheet->focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(ReadFile(file), saved);
}

TEST_F(WizardTest, ARefusedFieldKeepsThePageWithTheFieldFocused)
{
    const std::string integer = Windows1250("Zadejte celé číslo.");
    const std::string range = Windows1250("Zadejte celé číslo od -2147483648 do 2147483647.");
    const auto length = [](int n) { return Windows1250(("Zadejte nejvýše " + std::to_string(n) + " znaků.").c_str()); };
    const auto foreign = [](int at) {
        return Windows1250(("Pole obsahuje na " + std::to_string(at) +
                            ". místě znak, který nelze uložit v kódování Windows-1250.\n"
                            "Nahraďte jej jiným znakem.").c_str());
    };
    const struct {
        int page, field;
        const char* typed;
        std::string prompt; // empty: taken over
        int tag;
        std::int32_t number;
    } cases[] = {
        {PageAktiva, 1043, "12a", integer, 0, 0},
        {PageAktiva, 1043, "", integer, 0, 0},
        {PageAktiva, 1043, "1 000", integer, 0, 0},
        {PageAktiva, 1043, "+-1", integer, 0, 0},
        {PageAktiva, 1043, "2147483648", range, 0, 0},
        {PageAktiva, 1043, "-2147483649", range, 0, 0},
        {PageAktiva, 1043, "18446744073709551617", range, 0, 0},
        {PageAktiva, 1043, " +7 ", "", 12, 7},
        {PageAktiva, 1043, "-2147483648", "", 12, INT32_MIN},
        {PagePasiva, 1082, "x", integer, 0, 0}, // the last row's own ids
        {PageEnd, 1197, "123456789012345678901", length(20), 0, 0},
        {PageEnd, 1197, "ěščřžýáíéúůďťňóĚŠČŘŽ", "", 0, 0}, // 20 characters
        {PageEnd, 1213, "Šťastný ✓", foreign(9), 0, 0},
        {PageEnd, 1213, "a😀b", foreign(2), 0, 0},
        {PageObj, 1230, "CZ12345678901", length(12), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        g_doc.m_data.Reset();
        FillRequiredItems();
        sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        Open(c.page);
        host.boxes.clear();
        QLineEdit* first = Active()->findChild<QLineEdit*>();
        Type(first, first == Edit(c.field) ? QString::fromUtf8(c.typed) : QStringLiteral("5"));
        Type(Edit(c.field), QString::fromUtf8(c.typed));
        for (int back = 0; back < 2; ++back) { // Back takes the fields over too
            back ? Back() : Next();
            if (c.prompt.empty())
                break;
            EXPECT_EQ(ActiveIndex(), c.page);
            ASSERT_EQ(host.boxes.size(), 1u + back);
            EXPECT_EQ(host.boxes.back().text, c.prompt);
            EXPECT_EQ(QApplication::focusWidget(), Edit(c.field));
            EXPECT_EQ(Edit(c.field)->selectedText(), Edit(c.field)->text());
            EXPECT_EQ(Edit(c.field)->text(), QString::fromUtf8(c.typed)); // as typed
        }
        if (c.prompt.empty()) {
            EXPECT_NE(ActiveIndex(), c.page);
            EXPECT_TRUE(host.boxes.empty());
        }
        if (c.page <= PageVysledky2 && c.prompt.empty())
            EXPECT_EQ(g_doc.m_data.Item(c.tag).m_nNumber, c.number);
        if (c.page <= PageVysledky2 && first != Edit(c.field))
            EXPECT_EQ(g_doc.m_data.Item(c.page == PageAktiva ? 11 : 37).m_nNumber, 5); // rows before it
    }
}

TEST_F(WizardTest, HeaderAndOrdererAskAndRefuseOnNextOnly)
{
    FillRequiredItems();
    g_doc.m_data.Item(1).m_strValue.clear();
    g_doc.m_data.Item(2).m_nNumber = 0;
    StartWith(SaveStatement("firma.bil"));
    // A required text empty: refused without asking about the IČO.
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10011);
    // IČO 0: asked, No refuses, Yes goes on.
    Type(Edit(1010), QStringLiteral("Firma"));
    host.answers = {IDNO};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    host.answers = {IDYES};
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageAktiva));
    ASSERT_EQ(host.boxes.size(), 4u);
    EXPECT_EQ(host.BoxId(1), 10025);
    EXPECT_EQ(host.BoxId(2), 10011);
    EXPECT_EQ(host.BoxId(3), 10025);
    EXPECT_EQ(g_doc.m_data.Item(10).m_nNumber, 0);
    // Back to the header asks whether to give up the changes.
    host.boxes.clear();
    Back();
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    host.answers = {IDNO};
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageHlava));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10012);

    // Orderer: a negative IČO is refused on Next; Back skips the check.
    host.answers = {IDYES};
    Next();
    sheet->SetActivePage(PageErrors);
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    host.boxes.clear();
    Type(Edit(1229), QStringLiteral("-471"));
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageObj));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10027);
    Back();
    EXPECT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_EQ(g_doc.m_data.Item(128).m_nNumber, -471);
}

TEST_F(WizardTest, ErrorPageListsBothYearsWarnsOnNextAndPaintsTheMarks)
{
    g_doc.m_data.Item(12).m_nNumber = 5;  // previous year: rules 0 and 1
    g_doc.m_data.Item(111).m_nNumber = 3; // current year: rules 13 and 14
    Open(PageErrors);
    const auto entries = [this](int id) {
        QStringList out;
        for (int i = 0; i < Active()->Control<QListWidget>(id)->count(); ++i)
            out << Active()->Control<QListWidget>(id)->item(i)->text();
        return out;
    };
    EXPECT_EQ(entries(1198), QStringList({"Hospodářský výsledek za účetní období (výsledovka)",
                                          "Hospodářský výsledek za účetní období (pasiva, výsledovka)"}));
    EXPECT_EQ(entries(1199), QStringList({"Aktiva celkem a pasiva celkem", "Aktiva celkem"}));
    EXPECT_EQ(Active()->Control<QLabel>(1207)->text(), QStringLiteral("Minulý rok [celkem: 2]"));
    Back();
    EXPECT_TRUE(host.boxes.empty()); // Back never warns
    Next();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10020);

    // The second current-year rule double-clicked: [111] red on page 5,
    // [51] blue on page 3; plain figures follow a new palette, marks stay.
    Back();
    auto* list = Active()->Control<QListWidget>(1198);
    list->setCurrentRow(1);
    emit list->itemDoubleClicked(list->item(1));
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageVysledky2));
    EXPECT_EQ(Background(Edit(1180)), kRed);
    EXPECT_EQ(QApplication::focusWidget(), Edit(1180));
    const QPalette original = QApplication::palette();
    QPalette yellow = original;
    yellow.setColor(QPalette::Base, QColor(255, 255, 192));
    QApplication::setPalette(yellow);
    Settle();
    Back();
    Back();
    EXPECT_EQ(Background(Edit(1103)), kBlue);
    EXPECT_EQ(Background(Edit(1109)), QColor(255, 255, 192));
    QApplication::setPalette(original);
    Settle();
    Edit(1103)->setReadOnly(true); // read-only edits are never coloured
    EXPECT_EQ(Background(Edit(1103)), original.color(QPalette::Base));
    Edit(1103)->setReadOnly(false);
    // Coming back to the error page clears every mark.
    sheet->SetActivePage(PageErrors);
    sheet->SetActivePage(PagePasiva);
    EXPECT_EQ(Background(Edit(1103)), original.color(QPalette::Base));
}

namespace {

class TextPageTest : public WizardTest {
protected:
    // The statement chosen, then straight to the text page.
    void Reach(const std::string& statement)
    {
        Open();
        Browse(1008, statement);
        sheet->SetActivePage(PageText);
        Settle();
        ASSERT_EQ(ActiveIndex(), int(PageText));
    }
    std::string Text() const
    {
        std::string text;
        g_doc.BuildText(text);
        return text;
    }
};

} // namespace

TEST_F(TextPageTest, FinishWritesBothFilesOrNeitherAndSaysWhy)
{
    const std::string statement = dir.File("Účet.bil"), old = dir.File("stary.txt");
    std::filesystem::create_directory(dir.File("sub"));
    ASSERT_EQ(mkfifo(dir.File("roura.txt").c_str(), 0600), 0);
    WriteFile(old, "old text");
    const unsigned notice = MB_ICONEXCLAMATION | MB_OK, stop = MB_ICONHAND | MB_OK;
    const struct {
        std::string file; // "": no name chosen
        std::vector<int> answers;
        std::vector<std::pair<int, unsigned>> boxes;
    } refusals[] = {
        {"", {}, {{10003, notice}}},
        {dir.File("ÚČET.BIL"), {}, {{10022, notice}}}, // the statement, by another name
        {dir.File("sub/../Účet.bil"), {}, {{10022, notice}}},
        {dir.File("chybi/x.txt"), {}, {{10006, stop}}},
        {dir.File("roura.txt"), {}, {{10006, stop}}}, // a FIFO, refused at once
        {old, {IDNO}, {{10028, MB_ICONEXCLAMATION | MB_YESNO}}},
    };
    Reach(statement);
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.file);
        host.boxes.clear();
        host.answers = {r.answers.begin(), r.answers.end()};
        Browse(1217, r.file);
        Finish();
        EXPECT_EQ(ActiveIndex(), int(PageText));
        ASSERT_EQ(host.boxes.size(), r.boxes.size());
        for (std::size_t i = 0; i < r.boxes.size(); ++i)
            EXPECT_EQ(std::pair(host.BoxId(i), host.boxes[i].style), r.boxes[i]);
    }
    EXPECT_EQ(ReadFile(old), "old text");

    // A disk that fills up while the text is written: the old text file
    // stays whole, the statement is not written.
    host.boxes.clear();
    host.answers = {IDYES};
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1000, limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    Finish();
    setrlimit(RLIMIT_FSIZE, &limit);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(1), 10010);
    EXPECT_EQ(ReadFile(old), "old text");
    EXPECT_FALSE(FileExists(statement));

    // The statement cannot be saved: the text file stays written.
    host.boxes.clear();
    host.answers = {IDYES};
    g_doc.m_strPath = dir.File("chybi/Účet.bil");
    Finish();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(1), 10006);
    EXPECT_EQ(ReadFile(old), TextFileBytes(Text(), true));

    // Failed rules are asked about first; the option unticked writes the text
    // as shown; Yes to everything closes the wizard with both files.
    g_doc.m_strPath = statement;
    g_doc.m_data.m_errors[1].m_nCount = 1;
    host.boxes.clear();
    host.answers = {IDNO};
    Finish();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10019);
    Active()->findChild<QAbstractButton*>("ctl1218")->click();
    host.answers = {IDYES, IDYES};
    Finish();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(ReadFile(old), Text());
    EXPECT_TRUE(FileExists(statement));
}

TEST_F(TextPageTest, FifoAsTheStatementAndALongTextThroughThePage)
{
    ASSERT_EQ(mkfifo(dir.File("roura.bil").c_str(), 0600), 0);
    StartWith(dir.File("roura.bil"));
    EXPECT_EQ(ActiveIndex(), int(PageFile));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10009);

    // Ten megabytes of subsidiaries and a byte Windows-1250 does not define
    // come back from the page exactly as loaded.
    std::string longText(10 << 20, 'x');
    for (std::size_t i = 0; i < longText.size(); i += 997)
        longText[i] = '\xE8';
    g_doc.m_data.Item(114).m_strValue = longText;
    g_doc.m_data.Item(122).m_strValue = "a\x81" "b";
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    StartWith(SaveStatement("dlouhy.bil"));
    host.answers = {IDYES}; // leaving the header other than by Next
    sheet->SetActivePage(PageVysledky2);
    Next();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(g_doc.m_data.Item(114).m_strValue == longText);
    EXPECT_EQ(g_doc.m_data.Item(122).m_strValue, "a\x81" "b");
}

TEST_F(WizardTest, EveryPageKeepsItsControlsOnThePageApartAndLegible)
{
    Open();
    for (int i = 0; i < sheet->GetPageCount(); ++i) {
        CPropertyPage* page = sheet->GetPage(i);
        page->EnsureCreated();
        const QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        const auto name = [i](QWidget* w) {
            return "page " + std::to_string(i) + " " + w->objectName().toStdString() + " \"" +
                   w->property("text").toString().left(30).toStdString() + '"';
        };
        for (QWidget* w : controls) {
            EXPECT_TRUE(page->rect().contains(w->geometry())) << name(w) << " leaves the page";
            if (auto* label = qobject_cast<QLabel*>(w)) {
                const bool wrap = label->wordWrap();
                const int needed = wrap ? label->heightForWidth(label->width()) : label->sizeHint().width();
                EXPECT_LE(needed, wrap ? label->height() : label->width()) << name(w) << " is cut";
            }
            const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                               qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w);
            EXPECT_TRUE(!input || (w->focusPolicy() & Qt::TabFocus)) << name(w) << " has no tab stop";
        }
        // Frames and lines surround controls; nothing else may share a pixel.
        const auto frame = [](QWidget* w) {
            return qobject_cast<QGroupBox*>(w) || w->metaObject() == &QFrame::staticMetaObject;
        };
        for (qsizetype a = 0; a < controls.size(); ++a)
            for (qsizetype b = a + 1; b < controls.size(); ++b)
                EXPECT_TRUE(frame(controls[a]) || frame(controls[b]) ||
                            !controls[a]->geometry().intersects(controls[b]->geometry()))
                    << name(controls[a]) << " overlaps " << name(controls[b]);
    }
}
