// The pages one by one: what a page refuses and how, the error review page
// and its colours, Finish and the files it writes, the layout of every page;
// a statement from last year's and a column pasted on a figure page.

#include "wizard_fixture.h"

#include "text/layout.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformtheme.h>

#include <algorithm>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

const QColor kRed(255, 0, 0), kBlue(0, 0, 255);

TEST_F(WizardTest, ARefusedFieldKeepsThePageWithTheFieldFocused)
{
    const std::string integer = Windows1250("Zadejte celé číslo.");
    const std::string range = Windows1250("Zadejte celé číslo od -2147483648 do 2147483647.");
    const auto length = [](int n) { return Windows1250("Zadejte nejvýše " + std::to_string(n) + " znaků."); };
    const auto foreign = [](int at) {
        return Windows1250("Pole obsahuje na " + std::to_string(at) + ". místě znak, který nelze uložit "
                           "v kódování Windows-1250.\nNahraďte jej jiným znakem.");
    };
    const struct {
        int page, field;
        std::string typed, prompt; // no prompt: taken over, into the number of `tag`
        int tag;
        std::int32_t number;
    } cases[] = {
        {PageAktiva, 1043, "12a", integer, 0, 0}, {PageAktiva, 1043, "", integer, 0, 0},
        {PageAktiva, 1043, "1 000", integer, 0, 0}, {PageAktiva, 1043, "+-1", integer, 0, 0},
        {PageAktiva, 1043, "2147483648", range, 0, 0}, {PageAktiva, 1043, "-2147483649", range, 0, 0},
        {PageAktiva, 1043, "18446744073709551617", range, 0, 0},
        {PageAktiva, 1043, " +7 ", "", 12, 7}, {PageAktiva, 1043, "-2147483648", "", 12, INT32_MIN},
        {PagePasiva, 1082, "x", integer, 0, 0}, // the last row's own ids
        {PageHlava, 1017, std::string(51, 'o'), length(50), 0, 0},
        {PageHlava, 1019, "602 001", length(6), 0, 0},
        {PageHlava, 1021, std::string(31, '2'), length(30), 0, 0},
        {PageEnd, 1197, std::string(21, '1'), length(20), 0, 0},
        {PageEnd, 1197, "ěščřžýáíéúůďťňóĚŠČŘŽ", "", 0, 0}, // 20 characters
        {PageEnd, 1213, "Šťastný ✓", foreign(9), 0, 0}, {PageEnd, 1213, "a😀b", foreign(2), 0, 0},
        {PageObj, 1230, "CZ12345678901", length(12), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        g_doc.m_data.Reset();
        FillRequiredItems();
        sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        Open(c.page);
        host.boxes.clear();
        // The draft's timer: started by typing, not by the page's loading.
        auto* idle = sheet->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        EXPECT_FALSE(idle->isActive());
        QLineEdit* first = Active()->findChild<QLineEdit*>(); // the row before, if any
        Type(first, QStringLiteral("5"));
        EXPECT_TRUE(idle->isActive());
        if (auto* opinion = Active()->Control<QComboBox>(1028))
            opinion->setCurrentIndex(2);
        // A draft while typing takes the fields quietly: a refused one keeps
        // its value, nothing is said, the field keeps the focus.
        std::string before, after;
        Active()->UpdateDataQuietly();
        g_doc.m_data.WriteItems(before);
        Type(Edit(c.field), QString::fromStdString(c.typed));
        Active()->UpdateDataQuietly();
        g_doc.m_data.WriteItems(after);
        EXPECT_EQ(after == before, !c.prompt.empty());
        EXPECT_TRUE(host.boxes.empty() && QApplication::focusWidget() == Edit(c.field));
        EXPECT_EQ(g_doc.m_data.Item(kOpinionTag).m_nNumber == 2, c.page == PageHlava);
        // Back and a jump take the fields over too (the header asks instead).
        for (int way = 0; way < (c.page == PageHlava ? 1 : 3); ++way) {
            if (way == 2)
                EXPECT_FALSE(sheet->SetActivePage(PageFile));
            else
                way ? Back() : Next();
            if (c.prompt.empty())
                break;
            EXPECT_EQ(ActiveIndex(), c.page);
            ASSERT_EQ(host.boxes.size(), 1u + way);
            EXPECT_EQ(host.boxes.back().text, c.prompt);
            EXPECT_EQ(QApplication::focusWidget(), Edit(c.field));
            EXPECT_EQ(Edit(c.field)->selectedText(), QString::fromStdString(c.typed)); // as typed
        }
        EXPECT_EQ(ActiveIndex() == c.page, !c.prompt.empty());
        if (c.page >= PageAktiva && c.page <= PageVysledky2) { // the row before has been taken over
            EXPECT_EQ(g_doc.m_data.Item(c.page == PageAktiva ? 11 : 37).m_nNumber, 5);
            EXPECT_TRUE(!c.prompt.empty() || g_doc.m_data.Item(c.tag).m_nNumber == c.number);
        }
    }
}

TEST_F(WizardTest, ANewStatementFromLastYearsWritesNoFileButTheDraft)
{
    const std::string last = dir.File("Účet 2023.bil"), next = dir.File("Účet 2024.bil");
    const std::string bytes = EncodeRecords(ReadRecords("journey.records"));
    WriteFile(last, bytes);
    WriteFile(dir.File("damaged.bil"), "not a statement");
    setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
    CUzDraft draft;
    sheet->m_pDraft = &draft;
    g_doc.m_identity = fileio::IdentifyFile(last); // loaded before, as if
    Open();
    QPushButton* button = sheet->findChildren<QPushButton*>().last(); // left of Back
    ASSERT_EQ(button->text(), QStringLiteral("Z &loňského…"));
    for (const std::string& name : {std::string(), last, next}) {
        EXPECT_FALSE(button->isEnabled()); // no name, then one that exists
        Browse(1008, name);
    }
    WriteFile(next, ""); // taken meanwhile: Next loads it instead
    button->click();
    ASSERT_TRUE(!button->isEnabled() && std::filesystem::remove(next));
    Browse(1008, next);
    // Its own name and a damaged file refused, a cancel, then last year's.
    for (const std::string& chosen : {dir.File("účet 2024.bil"), dir.File("damaged.bil"), std::string(), last}) {
        ASSERT_TRUE(ActiveIndex() == PageFile && button->isEnabled());
        host.files = {chosen};
        button->click();
        Settle();
    }
    EXPECT_EQ(host.proposal, dir.Path() + "/");
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, Windows1250("Loňský výkaz nemůže být soubor nového výkazu."));
    EXPECT_TRUE(host.BoxId(1) == 10009 && host.boxes[1].style == MB_ICONEXCLAMATION);
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(1021)->text() + Active()->Control<QComboBox>(1028)->currentText(), "2024");
    EXPECT_EQ(g_doc.m_data.Item(12).m_nNumber, 7000);
    EXPECT_TRUE(FileExists(DraftFileFor(next)) && !FileExists(next) && ReadFile(last) == bytes);
    EXPECT_FALSE(g_doc.m_identity.exists); // the new file is new at Finish
    host.answers = {IDYES}; // back to the first page: Next starts the new statement empty
    Back(), Next();
    EXPECT_EQ(g_doc.m_data.Item(12).m_nNumber, 0);
}

// Načíst…: the page's typing first, then the preview; Storno changes
// nothing, Převzít the chosen year only, shown on the page and in the draft.
TEST_F(WizardTest, FiguresFromTheBooksOnlyAfterThePreview)
{
    setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
    CUzDraft draft;
    sheet->m_pDraft = &draft;
    g_doc.m_strPath = dir.File("Účet 2024.bil");
    g_doc.m_data.Item(12).m_nNumber = 77;
    Open(PageAktiva);
    QPushButton* button = sheet->findChildren<QPushButton*>().last();
    ASSERT_EQ(button->text(), QStringLiteral("&Načíst…"));
    const auto preview = [](const QString& radio, const QString& press) -> ModalStep {
        return [=](QWidget* w) {
            if (w->windowTitle() != QStringLiteral("Převzetí čísel"))
                return false;
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
                if (b->text() == radio)
                    b->click();
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
                if (b->text() == press)
                    QTimer::singleShot(0, b, &QAbstractButton::click);
            return true;
        };
    };
    host.files = {TestDataPath("import/example-full.xml")};
    Type(Edit(1042), "12a");
    button->click(); // refused as Next refuses it: no file dialog
    ASSERT_EQ(host.files.size(), 1u);
    Type(Edit(1042), "5");
    AnswerModals({preview(QStringLiteral("Jen &běžný rok"), QStringLiteral("Storno"))});
    button->click();
    EXPECT_EQ(host.proposal, dir.Path() + "/");
    EXPECT_TRUE(g_doc.m_data.Item(11).m_nNumber == 5 && Edit(1042)->text() == "5");
    EXPECT_FALSE(FileExists(DraftFileFor(g_doc.m_strPath)));
    host.files = {TestDataPath("import/example-full.xml")};
    AnswerModals({preview(QStringLiteral("Jen &běžný rok"), QStringLiteral("&Převzít"))});
    button->click();
    EXPECT_EQ(Edit(1042)->text() + Edit(1043)->text(), "21225977");
    EXPECT_EQ(g_doc.m_data.Item(11).m_nNumber, 212259);
    EXPECT_TRUE(FileExists(DraftFileFor(g_doc.m_strPath)));
}

TEST_F(WizardTest, AColumnPastedDownTheYearOrNotAtAll)
{
    const struct {
        int field; // on the assets page, whose last four rows are shown
        const char* clipboard;
        std::string result; // those rows, both years, or why nothing was pasted
    } cases[] = {
        {1062, "1 234\n\u22125\n 7\u00a0000\u202f000 \n", "0,0,1234,0,-5,0,7000000,0"},
        {1060, "10\t9\r\n20\t19\r\n", "10,9,20,19,0,0,0,0"},
        {1060, "1 234\r\n", "1 234,0,0,0,0,0,0,0"}, // one line: as into any edit
        {1061, "1\n10\t9", "2. řádek schránky má víc čísel, než je od tohoto pole sloupců"},
        {1060, "5\n12 34\n", "2. řádek schránky není celé číslo"},
        {1060, "1\n2147483648", "2. řádek schránky má číslo mimo rozsah od -2147483648 do 2147483647"},
        {1060, "1\n\n2", "2. řádek schránky je prázdný"},
        {1064, "1\n2\n3", "ve schránce je víc řádků (3), než kolik jich stránka má od tohoto pole dolů (2)"},
    };
    Open(PageAktiva);
    for (const auto& [field, clipboard, result] : cases) {
        g_doc.m_data.Reset();
        Active()->UpdateData(false);
        host.boxes.clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(clipboard));
        Edit(field)->setFocus();
        Edit(field)->selectAll();
        QTest::keyClick(Edit(field), Qt::Key_V, Qt::ControlModifier);
        QString figures = Edit(1060)->text();
        for (int id = 1061; id < 1068; ++id)
            figures += "," + Edit(id)->text();
        const bool refused = result.find("schrán") != std::string::npos;
        EXPECT_EQ(figures.toStdString(), refused ? "0,0,0,0,0,0,0,0" : result);
        EXPECT_EQ(host.boxes.empty() ? "" : host.boxes[0].text,
                  refused ? Windows1250("Nic nebylo vloženo: " + result + ".") : "");
    }
    // The context menu's Vložit pastes the same way, and only it, only so.
    QGuiApplication::clipboard()->setText("1\nx\n");
    host.boxes.clear();
    QContextMenuEvent menuAt(QContextMenuEvent::Keyboard, QPoint(5, 5), Edit(1062)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Edit(1062), &menuAt);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->actions().size() > 5);
    ASSERT_EQ(menu->actions()[5]->text(), QString::fromUtf8("&Vložit\tCtrl+V"));
    for (QAction* action : menu->actions())
        action->trigger();
    menu->close();
    EXPECT_EQ(Edit(1062)->text(), "0");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes.back().text, Windows1250("Nic nebylo vloženo: 2. řádek schránky není celé číslo."));
}

TEST_F(WizardTest, ErrorPageListsWarnsAndPaintsTheMarks)
{
    g_doc.m_data.Item(12).m_nNumber = 5; // previous year only: rules 0 and 1
    Open(PageErrors);
    const auto entries = [this](int id) {
        QStringList out;
        for (int i = 0; i < Active()->Control<QListWidget>(id)->count(); ++i)
            out << Active()->Control<QListWidget>(id)->item(i)->text();
        return out;
    };
    EXPECT_EQ(entries(1198), QStringList());
    EXPECT_EQ(entries(1199), QStringList({"Aktiva celkem a pasiva celkem", "Aktiva celkem"}));
    EXPECT_EQ(Caption(1207), QStringLiteral("Minulý rok [celkem: 2]"));
    sheet->m_pageErrors.OnDblclkPrevious(); // nothing selected: nothing happens
    Back(); // Back never warns
    Next();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_EQ(host.BoxIds(), Ids{10020}); // one year failing is enough to warn

    // [77] is an addend of rule 9 and the sum of rule 8: white on blue, and
    // after the error page red, focused with its text selected.
    const auto white = [](QWidget* edit) {
        const QImage image = edit->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width() / 2; ++x)
                if (image.pixelColor(x, y).lightness() > 240)
                    return true;
        return false;
    };
    g_doc.m_data.Item(77).m_nNumber = 1;
    const auto open = [&](int row) {
        sheet->SetActivePage(PageErrors);
        auto* list = Active()->Control<QListWidget>(1198);
        EXPECT_EQ(entries(1198), QStringList({"Přidaná hodnota", "Provozní hospodářský výsledek"}));
        list->setCurrentRow(row);
        emit list->itemDoubleClicked(list->item(row));
        Settle();
    };
    open(1);
    ASSERT_EQ(ActiveIndex(), int(PageVysledky2));
    EXPECT_EQ(Background(Edit(1170)), kRed); // [91]
    Back();
    EXPECT_EQ(Background(Edit(1139)), kBlue);
    EXPECT_TRUE(white(Edit(1139)));
    open(0);
    ASSERT_EQ(ActiveIndex(), int(PageVysledky1));
    EXPECT_EQ(Background(Edit(1139)), kRed);
    EXPECT_EQ(QApplication::focusWidget(), Edit(1139));
    EXPECT_TRUE(white(Edit(1139))); // the selection too
    // Plain figures follow a new palette; marks stay; read-only ones are plain.
    const QPalette original = QApplication::palette();
    QPalette yellow = original;
    yellow.setColor(QPalette::Base, QColor(255, 255, 192));
    QApplication::setPalette(yellow);
    Settle();
    EXPECT_EQ(Background(Edit(1146)), QColor(255, 255, 192));
    EXPECT_EQ(Background(Edit(1139)), kRed);
    QApplication::setPalette(original);
    Settle();
    Edit(1139)->setReadOnly(true); // and look read-only, the focus still shown
    EXPECT_EQ(Background(Edit(1139)), original.color(QPalette::Window));
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    Edit(1139)->deselect();
    const QImage plain = Edit(1139)->grab().toImage(); // focused without a key: no frame
    Keys("<Backtab><Tab>"); // as a keyboard user arrives
    ASSERT_EQ(QApplication::focusWidget(), Edit(1139));
    Edit(1139)->deselect();
    EXPECT_NE(Edit(1139)->grab().toImage(), plain);
    Edit(1139)->setReadOnly(false);
    sheet->SetActivePage(PageErrors); // coming back clears every mark
    sheet->SetActivePage(PageVysledky1);
    EXPECT_EQ(Background(Edit(1139)), original.color(QPalette::Base));
}

// Below the lists the selected rule of the list last focused, added up (' a
// no-break space); the whole sum is its tooltip and the list's description.
TEST_F(WizardTest, ErrorPageAddsUpTheSelectedRule)
{
    const struct { std::vector<std::pair<int, std::int32_t>> figures; const char* keys; int list; const char *line, *sum; } cases[] = {
        {{}, "", 1198, "Všechna součtová pravidla platí.", ""},
        {{{12, 5}}, "<Tab><Down><Backtab>", 1198, "", ""}, // nothing selected in the list focused
        {{{94, INT32_MIN}, {96, INT32_MAX}, {98, -700}, {100, -5}}, "<Tab><Down>", 1199, // exact; the caption gives way
         "Hospodářský výsledek z finančních operací včetně daně z příjm…: 0 ≠ −4'294'967'990 (rozdíl 4'294'967'990)",
         "0 ≠ −2'147'483'648 − 2'147'483'647 + (−700) − (−5) = −4'294'967'990"},
    };
    const auto grouped = [](const char* text) { return QString::fromUtf8(text).replace('\'', QChar(0xA0)).toStdString(); };
    for (const auto& c : cases) {
        g_doc.m_data.ClearValues();
        for (const auto& [tag, number] : c.figures)
            g_doc.m_data.Item(tag).m_nNumber = number;
        Open(PageErrors), Keys(c.keys);
        EXPECT_EQ(Caption(1208).toStdString(), grouped(c.line));
        EXPECT_EQ(Active()->GetDlgItem(1208)->toolTip().toStdString(), grouped(c.sum));
        EXPECT_EQ(Active()->GetDlgItem(c.list)->accessibleDescription().toStdString(), grouped(c.sum));
        EXPECT_EQ(Active()->GetDlgItem(c.list == 1198 ? 1199 : 1198)->accessibleDescription(), "");
    }
}

// After a jump from the review, "Ke kontrole" turns back to it from any page,
// taking the figures over as Next does; an ordinary walk never shows it.
TEST_F(WizardTest, KeKontroleReturnsToTheReviewAfterAJump)
{
    QPushButton* back = sheet->ReturnButton();
    g_doc.m_data.Item(12).m_nNumber = 5; // previous year: rules 0 and 1
    Open(PageEnd);
    EXPECT_FALSE(back->isVisible());
    Next();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    auto* list = Active()->Control<QListWidget>(1199);
    list->setCurrentRow(1); // Aktiva celkem
    emit list->itemDoubleClicked(list->item(1));
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    // Shown on the marked page and further on, leftmost, Tab along the row.
    const auto leftmostInTabOrder = [&] {
        SCOPED_TRACE(ActiveIndex());
        EXPECT_TRUE(back->isVisible() && back->isEnabled());
        std::vector<QPushButton*> row, chain;
        for (auto* b : sheet->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
            if (b->isVisible())
                row.push_back(b);
        std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
        EXPECT_EQ(row.front(), back);
        for (QWidget* w = back; chain.size() < row.size(); w = w->nextInFocusChain())
            if (auto* b = qobject_cast<QPushButton*>(w); b && b->isVisible())
                chain.push_back(b);
        EXPECT_EQ(chain, row);
    };
    leftmostInTabOrder();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PagePasiva));
    leftmostInTabOrder();
    Back();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    host.boxes.clear();
    Type(Edit(1043), QStringLiteral("12a")); // refused: nothing moves
    sheet->PressReturn(), Settle();
    EXPECT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(g_doc.m_data.Item(12).m_nNumber, 5);
    Type(Edit(1043), QStringLiteral("0"));
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    Keys("<Alt+K>");
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_EQ(Active()->Control<QListWidget>(1199)->count(), 0); // checked anew
    EXPECT_FALSE(back->isVisible());
    Back();
    EXPECT_FALSE(back->isVisible()); // the walk is ordinary again
}

TEST_F(WizardTest, FinishWritesBothFilesOrNeitherAndSaysWhy)
{
    const std::string statement = dir.File("Účet.bil"), old = dir.File("stary.txt");
    std::filesystem::create_directory(dir.File("sub"));
    ASSERT_EQ(mkfifo(dir.File("roura.txt").c_str(), 0600), 0);
    ASSERT_EQ(symlink(statement.c_str(), dir.File("odkaz.txt").c_str()), 0);
    WriteFile(old, "old text");
    // File errors name the file and the reason on a second line.
    const auto reason = [](const std::string& path, const char* why) {
        return *why ? "\n" + Windows1250(path) + ": " + Windows1250(why) : std::string();
    };
    const unsigned notice = MB_ICONEXCLAMATION | MB_OK, stop = MB_ICONHAND | MB_OK;
    const std::tuple<std::string, int, unsigned, const char*> refusals[] = {
        {"", 10003, notice, ""},                       // no name
        {dir.File("ÚČET.BIL"), 10022, notice, ""},     // the statement, in other letters,
        {dir.File("sub/../Účet.bil"), 10022, notice, ""}, // by another path,
        {dir.File("odkaz.txt"), 10022, notice, ""},    // or through a link
        {dir.File("chybi/x.txt"), 10006, stop, "Složka už neexistuje."},
        {dir.File("roura.txt"), 10006, stop, "Nejde o obyčejný soubor."}, // refused at once
        {old, 10028, MB_ICONEXCLAMATION | MB_YESNO, ""}, // answered No
    };
    Open();
    Browse(1008, statement);
    sheet->SetActivePage(PageText);
    // Back and Finish in one batch: the orderer page, now active, has not
    // asked for Finish, so nothing closes and nothing is written.
    sheet->PressBack();
    sheet->PressFinish();
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    sheet->SetActivePage(PageText);
    std::string chosen;
    for (const auto& [file, id, style, why] : refusals) {
        host.boxes.clear();
        Browse(1217, file);
        // The name chosen before, or the statement's with .TXT beside it.
        EXPECT_EQ(host.proposal, chosen.empty() ? dir.File("Účet.TXT") : chosen);
        chosen = file;
        Finish();
        EXPECT_EQ(ActiveIndex(), int(PageText));
        ASSERT_EQ(host.BoxIds(), Ids{id}) << file;
        EXPECT_EQ(host.boxes[0].style, style);
        EXPECT_EQ(host.boxes[0].text, LoadText(id) + reason(file, why));
    }
    // A disk that fills up while the text is written: the old text file
    // stays whole, the statement is not written.
    host.boxes.clear();
    host.answers = {IDYES};
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1000, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    Finish();
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(host.BoxIds(), Ids({10028, 10010}));
    EXPECT_EQ(host.boxes.at(1).text,
              LoadText(10010) + reason(old, "Soubor je příliš velký nebo je překročena kvóta."));
    EXPECT_EQ(ReadFile(old), "old text");
    EXPECT_FALSE(FileExists(statement));
    // Another program creates the statement meanwhile: asked before any
    // file is written; No leads to the offer of another name, declined:
    // nothing written.
    WriteFile(statement, "someone else's");
    host.boxes.clear();
    Finish();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text,
              Windows1250("Soubor " + statement + " byl mezitím změněn jiným programem. Přepsat ?"));
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);
    EXPECT_EQ(host.boxes[1].text, Windows1250("Uložit účetní závěrku pod jiným jménem ?"));
    EXPECT_EQ(ReadFile(old), "old text");
    // Failed rules are asked about first; the option unticked writes the
    // text as shown; Yes to everything closes the wizard with both files.
    g_doc.m_data.m_errors[1].m_nCount = 1;
    host.boxes.clear();
    Finish();
    EXPECT_EQ(host.BoxIds(), Ids{10019});
    Active()->findChild<QAbstractButton*>("ctl1218")->click();
    host.answers = {IDYES, IDYES, IDYES};
    Finish();
    EXPECT_FALSE(sheet->isVisible());
    std::string text;
    g_doc.BuildText(text);
    EXPECT_EQ(ReadFile(old), text);
    CUzDocument saved;
    saved.m_strPath = statement;
    EXPECT_TRUE(saved.Load());
}

TEST_F(WizardTest, FifoAsTheStatementAndALongTextThroughThePage)
{
    ASSERT_EQ(mkfifo(dir.File("roura.bil").c_str(), 0600), 0);
    Open();
    Browse(1008, dir.File("roura.bil"));
    Next();
    EXPECT_EQ(ActiveIndex(), int(PageFile));
    sheet->CancelButton()->click(); // the first page closes without a question
    EXPECT_FALSE(sheet->isVisible());
    // Ten megabytes of subsidiaries and a byte Windows-1250 does not define
    // come back from the page exactly as loaded.
    std::string longText(10 << 20, 'x');
    for (std::size_t i = 0; i < longText.size(); i += 997)
        longText[i] = '\xE8';
    g_doc.m_data.Item(114).m_strValue = longText;
    g_doc.m_data.Item(122).m_strValue = "a\x81" "b";
    FillRequiredItems(); // the first opinion
    g_doc.m_strPath = dir.File("dlouhy.bil");
    ASSERT_TRUE(g_doc.Save());
    g_doc.m_data.ClearValues();
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    Open();
    Browse(1008, g_doc.m_strPath);
    Next(); // the header: an open drop-down list has its items where they can be clicked
    auto* opinions = Active()->Control<QComboBox>(1028);
    opinions->showPopup();
    EXPECT_FALSE(opinions->view()->visualRect(opinions->model()->index(1, 0)).isEmpty());
    opinions->hidePopup();
    while (ActiveIndex() < PageErrors)
        Next();
    EXPECT_EQ(host.BoxIds(), Ids{10009});
    EXPECT_TRUE(g_doc.m_data.Item(114).m_strValue == longText);
    EXPECT_EQ(g_doc.m_data.Item(122).m_strValue, "a\x81" "b");
}

// A desktop's theme, which reports its general font.
struct DesktopTheme : QPlatformTheme {
    QFont general;
    const QFont* font(Font type) const override { return type == SystemFont ? &general : nullptr; }
};

TEST_F(WizardTest, EveryPageKeepsItsControlsOnThePageApartAndLegible)
{
    // The desktop's font (0: none, Qt's own theme) and the pages'; 10 and 11
    // points would cut texts off, 40 gives as much as the screen holds.
    const struct { int desktop, points; } cases[] = {{0, 8}, {11, 8}, {15, 12}, {14, 9}, {40, 17}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        DesktopTheme theme;
        theme.general = QFont("DejaVu Sans", c.desktop);
        QPlatformTheme* const qt = QGuiApplicationPrivate::platform_theme;
        QGuiApplicationPrivate::platform_theme = c.desktop ? &theme : qt;
        sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        QGuiApplicationPrivate::platform_theme = qt;
        Open();
        EXPECT_EQ(Active()->font().pointSize(), c.points);
        // 368 x 209 units, as drawn on Windows.
        EXPECT_TRUE(c.points != 8 || (Active()->size() == QSize(552, 340) && sheet->size() == QSize(574, 398)));
        EXPECT_TRUE(sheet->screen()->availableGeometry().contains(sheet->frameGeometry()));
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            CPropertyPage* page = sheet->GetPage(i);
            page->EnsureCreated();
            const QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            const auto name = [i](QWidget* w) {
                return "page " + std::to_string(i) + " " + w->objectName().toStdString() + " \"" +
                       w->property("text").toString().left(30).toStdString() + '"';
            };
            // Frames and lines surround controls; nothing else may share a pixel.
            const auto frame = [](QWidget* w) {
                return qobject_cast<QGroupBox*>(w) || w->metaObject() == &QFrame::staticMetaObject;
            };
            for (qsizetype a = 0; a < controls.size(); ++a) {
                QWidget* w = controls[a];
                EXPECT_TRUE(page->rect().contains(w->geometry())) << name(w) << " leaves the page";
                if (auto* label = qobject_cast<QLabel*>(w)) {
                    const bool wrap = label->wordWrap();
                    const int needed = wrap ? label->heightForWidth(label->width()) : label->sizeHint().width();
                    EXPECT_LE(needed, wrap ? label->height() : label->width()) << name(w) << " is cut";
                    QTextLayout layout(label->text(), label->font()); // lines break at blanks only
                    layout.setTextOption(QTextOption(Qt::AlignLeft));
                    layout.beginLayout();
                    for (QTextLine line = layout.createLine(); wrap && line.isValid(); line = layout.createLine()) {
                        line.setLineWidth(label->contentsRect().width());
                        const qsizetype end = line.textStart() + line.textLength();
                        EXPECT_TRUE(end == label->text().size() || label->text()[end - 1].isSpace()) << name(w);
                    }
                    layout.endLayout();
                    if (wrap && !label->accessibleName().isEmpty()) // every letter shown
                        EXPECT_EQ(QString(label->text()).remove(QChar(0x2060)), label->accessibleName()) << name(w);
                }
                const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                   qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w);
                EXPECT_TRUE(!input || (w->focusPolicy() & Qt::TabFocus)) << name(w) << " has no tab stop";
                for (qsizetype b = a + 1; b < controls.size(); ++b)
                    EXPECT_TRUE(frame(w) || frame(controls[b]) || !w->geometry().intersects(controls[b]->geometry()))
                        << name(w) << " overlaps " << name(controls[b]);
            }
        }
    }
}
