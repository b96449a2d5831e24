// Whole journeys of a statement, as a user makes them.
//
// The golden journey: keys and clicks into the real pages, from an empty
// file name to Finish, then once more with the written statement opened
// again; the files written are compared byte for byte with golden files
// written by hand (journey.records, journey.txt in tests/data).
//
// The keyboard journey: keys only, sent to whatever has the focus, the sheet
// run by DoModal and the real file dialog pointed at a folder with a Czech
// name. What the keys do depends on real focus, caret and selection.

#include "wizard_fixture.h"

#include "framework/qthost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class JourneyTest : public WizardTest {
protected:
    void Click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
    }
    // The figure edits of the active page, current year then previous year
    // row by row: the tags from `firstTag` on.
    QList<QLineEdit*> Figures() const { return Active()->findChildren<QLineEdit*>(); }
    // The colour a user sees inside an edit, away from its text.
    static QColor Background(QLineEdit* edit)
    {
        const QImage image = edit->grab().toImage();
        return image.pixelColor(image.width() - 5, image.height() / 2);
    }
    QListWidget* List(int id) const { return Active()->Control<QListWidget>(id); }
    QString Caption(int id) const { return Active()->Control<QLabel>(id)->text(); }
};

} // namespace

TEST_F(JourneyTest, GoldenJourneyFromAnEmptyNameToFinishAndBack)
{
    std::vector<Record> records = ReadRecords("journey.records");
    const std::string statement = dir.File("00000471.BIL");
    const std::string textFile = dir.File("vykaz.TXT");

    // File page: Next without a name, then a new name without extension.
    Open();
    Next();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10003);
    host.boxes.clear();
    Browse(1008, dir.File("00000471"));
    EXPECT_EQ(Edit(1007)->text(), QString::fromStdString(statement));
    Click(sheet->NextButton());
    ASSERT_EQ(ActiveIndex(), int(PageHlava));

    const std::pair<int, const char*> header[] = {
        {1010, "Sklárna Šťáhlavy, a.s."}, {1013, "00000471"}, {1015, "Náměstí Republiky 12"},
        {1017, "Plzeň"}, {1019, "301 00"}, {1021, "2023"}, {1023, "Účetní audit Řehoř s.r.o."},
        {1025, "KA 0815"}, {1027, "28. března 2024"}};
    for (const auto& [id, text] : header)
        Type(Edit(id), U(text));
    auto* opinion = Active()->Control<QComboBox>(1028);
    opinion->setFocus();
    QTest::keyClick(opinion, Qt::Key_Down);
    Click(sheet->NextButton());

    // Every figure as the golden file holds it, with one typing error: 1200
    // for 120 on the intangible assets [17] of the current year.
    for (int page = PageAktiva, tag = kFirstFigureTag; page <= PageVysledky2; ++page) {
        ASSERT_EQ(ActiveIndex(), page);
        for (QLineEdit* edit : Figures()) {
            Type(edit, QString::number(tag == 17 ? 1200 : records[tag - 1].number));
            ++tag;
        }
        Click(sheet->NextButton());
    }
    ASSERT_EQ(ActiveIndex(), int(PageEnd));
    const std::pair<int, const char*> closing[] = {
        {1193, "Obchodní rejstřík Krajského soudu v Plzni"}, {1195, "Sklo Bor s.r.o., Tachov"},
        {1201, "Jan Novák (35 %), Eva Dvořáková (25 %)"}, {1197, "1 234,- Kč"}, {1203, "-2 100"},
        {1205, "866"}, {1207, "žádné"}, {1209, "0"}, {1211, "1 500 tis. Kč"},
        {1213, "Údaje jsou v tisících Kč."}};
    for (const auto& [id, text] : closing)
        Type(Edit(id), U(text));
    Click(sheet->NextButton());

    // Error page: exactly the broken rule. A click selects, a double-click
    // shows the assets page with the sum red and its addends blue.
    ASSERT_EQ(ActiveIndex(), int(PageErrors));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Caption(1206), U("Běžný rok [celkem: 1]"));
    EXPECT_EQ(Caption(1207), U("Minulý rok [celkem: 0]"));
    ASSERT_EQ(List(1198)->count(), 1);
    EXPECT_EQ(List(1198)->item(0)->text(), U("Stálá aktiva"));
    const QPoint entry = List(1198)->visualItemRect(List(1198)->item(0)).center();
    QTest::mouseClick(List(1198)->viewport(), Qt::LeftButton, {}, entry);
    EXPECT_EQ(ActiveIndex(), int(PageErrors));
    QTest::mouseDClick(List(1198)->viewport(), Qt::LeftButton, {}, entry);
    Settle();
    ASSERT_EQ(ActiveIndex(), int(PageAktiva));
    EXPECT_EQ(Background(Edit(1046)), QColor(255, 0, 0));    // [15]
    EXPECT_EQ(Background(Edit(1048)), QColor(0, 0, 255));    // [17]
    EXPECT_NE(Background(Edit(1047)), QColor(255, 0, 0));    // [16]
    EXPECT_EQ(Edit(1046)->selectedText(), QStringLiteral("4000")); // the sum, focused
    Type(Edit(1048), QStringLiteral("120"));
    for (int page = PagePasiva; page <= PageErrors; ++page)
        Click(sheet->NextButton());
    EXPECT_EQ(Caption(1206), U("Běžný rok [celkem: 0]"));
    EXPECT_EQ(List(1198)->count() + List(1199)->count(), 0);
    Click(sheet->NextButton());

    // Orderer: the company taken over from the header, the rest typed.
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    Click(Active()->Control<QPushButton>(1241));
    EXPECT_EQ(Edit(1229)->text(), QStringLiteral("471"));
    const std::pair<int, const char*> orderer[] = {
        {1011, "Ekonomický úsek"}, {1230, "CZ00000471"}, {1242, "15.4.2024"},
        {1233, "Ing. Petra Malá"}, {1235, "+420 377 123 456"}, {1237, "mala@sklarna.cz"}};
    for (const auto& [id, text] : orderer)
        Type(Edit(id), U(text));
    Click(sheet->NextButton());

    // Text page: the full text on screen, single TABs in the file.
    ASSERT_EQ(ActiveIndex(), int(PageText));
    EXPECT_TRUE(Active()->Control<QPlainTextEdit>(1212)->toPlainText().contains(
        U("Datum auditu:\t\t28. března 2024\n")));
    EXPECT_TRUE(Active()->Control<QCheckBox>(1218)->isChecked());
    Browse(1217, dir.File("vykaz"));
    EXPECT_EQ(Edit(1216)->text(), QString::fromStdString(textFile));
    Click(sheet->FinishButton());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(sheet->result(), int(QDialog::Accepted));
    const std::string goldenText = ReadFile(TestDataPath("journey.txt"));
    EXPECT_TRUE(ReadFile(statement) == EncodeRecords(records));
    EXPECT_TRUE(ReadFile(textFile) == goldenText);

    // Second start: open the statement, raise the registered capital [43]
    // (a line in no rule) from 1800 to 2000, finish into the same text file.
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
    StartWith(statement);
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    EXPECT_EQ(Edit(1010)->text(), U("Sklárna Šťáhlavy, a.s."));
    EXPECT_EQ(Edit(1013)->text(), QStringLiteral("471"));
    EXPECT_EQ(Active()->Control<QComboBox>(1028)->currentIndex(), 1);
    Next();
    Next();
    ASSERT_EQ(ActiveIndex(), int(PagePasiva));
    EXPECT_EQ(Edit(1099)->text(), QStringLiteral("1800"));
    Type(Edit(1099), QStringLiteral("2000"));
    while (ActiveIndex() < PageText)
        Click(sheet->NextButton());
    EXPECT_TRUE(host.boxes.empty());
    Browse(1217, dir.File("vykaz"));
    host.answers = {IDYES};
    Click(sheet->FinishButton());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.BoxId(0), 10028);
    EXPECT_EQ(sheet->result(), int(QDialog::Accepted));
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"00000471.BIL", "vykaz.TXT"}));
    records[43 - 1].number = 2000;
    std::string changedText = goldenText;
    const std::size_t at = changedText.find("OR\t1800\t1800\r\n");
    ASSERT_NE(at, std::string::npos);
    changedText.replace(at, 14, "OR\t2000\t1800\r\n");
    EXPECT_TRUE(ReadFile(statement) == EncodeRecords(records));
    EXPECT_TRUE(ReadFile(textFile) == changedText);
}

namespace {

class KeyboardJourneyTest : public WizardTest {
protected:
    // Where a real keyboard's events go: the window that has the focus. When
    // a dialog closes, a window manager gives the focus back to the window
    // beneath; the offscreen platform has none, so this does it.
    static QWindow* FocusWindow()
    {
        if (!QGuiApplication::focusWindow())
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
            }
        return QGuiApplication::focusWindow();
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }

    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(FocusWindow(), key, modifiers);
        // A mnemonic clicks its button a moment later, as a user sees it.
        QTest::qWait(modifiers & Qt::AltModifier ? 250 : 10);
    }
    static void Keys(Qt::Key key, int times)
    {
        for (int i = 0; i < times; ++i)
            Key(key);
    }
    static void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, FocusWindow(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTest::qWait(10);
    }

    // Answers the file dialog that `press` opens: types the path into it
    // once it is active, then Return.
    static void Browse(const std::function<void()>& press, const QString& path)
    {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isActiveWindow())
                return;
            poll->deleteLater();
            poll->stop();
            Type(path);
            Key(Qt::Key_Return);
        });
        poll->start(10);
        press();
        QTest::qWait(20);
    }

    // Whatever is still open after a minute is closed, so that a step that
    // went wrong fails the test instead of hanging it.
    void StartWatchdog()
    {
        QObject::connect(&m_watchdog, &QTimer::timeout, sheet.get(), [this] {
            while (QWidget* modal = QApplication::activeModalWidget()) {
                if (modal == sheet.get()) {
                    sheet->done(QDialog::Rejected);
                    break;
                }
                modal->close();
            }
        });
        m_watchdog.setSingleShot(true);
        m_watchdog.start(60000);
    }

    QLineEdit* EditOf(int page, int id) const { return sheet->GetPage(page)->Control<QLineEdit>(id); }

    QTimer m_watchdog;
};

} // namespace

TEST_F(KeyboardJourneyTest, CzechFolderFirstFigureErrorListCopyButtonAndFinish)
{
    QtMessageHost qtHost; // the real file dialog, and a box would show up
    SetMessageHost(&qtHost);
    const std::string folder = dir.File("účty 2024");
    std::filesystem::create_directory(folder);
    const QString folderName = QString::fromStdString(folder);

    bool finished = false;
    StartWatchdog();
    QTimer::singleShot(0, sheet.get(), [&] {
        [&] {
            ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
            // File page: the browse button has the focus; Return presses it.
            ASSERT_EQ(Focus(), sheet->GetPage(PageFile)->GetDlgItem(1008));
            Browse([] { Key(Qt::Key_Return); }, folderName + "/Účet");
            ASSERT_EQ(EditOf(PageFile, 1007)->text(), folderName + "/Účet.BIL");
            Key(Qt::Key_D, Qt::AltModifier); // Další
            ASSERT_EQ(ActiveIndex(), int(PageHlava));

            // Header, field by field with Tab; Return in a field is Next.
            Type("Účetní firma a.s.");
            Key(Qt::Key_Tab);
            Type("00000471");
            Keys(Qt::Key_Tab, 2);
            Type("Brno");
            Keys(Qt::Key_Tab, 2);
            Type("2024");
            Key(Qt::Key_Tab);
            Type("Audit s.r.o.");
            Keys(Qt::Key_Tab, 2);
            Type("1. 3. 2025");
            Key(Qt::Key_Return);
            ASSERT_EQ(ActiveIndex(), int(PageAktiva));

            // Assets: what is typed on arrival replaces the 0 shown. Both
            // totals and the other assets (D) of the current year; a
            // previous-year total that breaks two rules.
            Type("41000");
            Key(Qt::Key_Tab);
            Type("500");
            Keys(Qt::Key_Tab, 23);
            Type("41000");
            Key(Qt::Key_Return);
            ASSERT_EQ(ActiveIndex(), int(PagePasiva));
            Type("41000");
            Keys(Qt::Key_Tab, 28);
            Type("41000");
            for (int page = PageVysledky1; page <= PageErrors; ++page) {
                Key(Qt::Key_Return);
                ASSERT_EQ(ActiveIndex(), page);
            }

            // Error page: nothing in the current year; Tab to the previous
            // year, Down selects its first rule, Return opens it.
            auto* previous = sheet->GetPage(PageErrors)->Control<QListWidget>(1199);
            EXPECT_EQ(sheet->GetPage(PageErrors)->Control<QListWidget>(1198)->count(), 0);
            ASSERT_EQ(previous->count(), 2);
            Key(Qt::Key_Tab);
            ASSERT_EQ(Focus(), previous);
            Key(Qt::Key_Down);
            ASSERT_EQ(ActiveIndex(), int(PageErrors)); // keys only select
            EXPECT_EQ(previous->selectedItems(), QList<QListWidgetItem*>{previous->item(0)});
            Key(Qt::Key_Return);
            ASSERT_EQ(ActiveIndex(), int(PageAktiva));
            QLineEdit* sum = EditOf(PageAktiva, 1043);
            ASSERT_EQ(Focus(), sum);
            EXPECT_EQ(sum->selectedText(), "500");
            Type("0");
            for (int page = PagePasiva; page <= PageObj; ++page)
                Key(Qt::Key_Return);
            ASSERT_EQ(ActiveIndex(), int(PageObj));

            // Orderer: Tab to "Použít údaje z UZ", Return copies the header;
            // then the DIČ, the contact person and the telephone.
            Keys(Qt::Key_Tab, 8);
            ASSERT_EQ(Focus(), sheet->GetPage(PageObj)->GetDlgItem(1241));
            Key(Qt::Key_Return);
            EXPECT_EQ(EditOf(PageObj, 1221)->text(), "Účetní firma a.s.");
            EXPECT_EQ(EditOf(PageObj, 1229)->text(), "471");
            Keys(Qt::Key_Backtab, 2);
            Type("CZ00000471");
            Keys(Qt::Key_Tab, 3);
            Type("Jana Nováková");
            Key(Qt::Key_Tab);
            Type("555 123 456");
            Key(Qt::Key_Return);
            ASSERT_EQ(ActiveIndex(), int(PageText));

            // Text page: Return on the browse button, then Finish.
            Browse([] { Key(Qt::Key_Return); }, folderName + "/výkaz");
            Key(Qt::Key_D, Qt::AltModifier); // Dokončit
            finished = true;
        }();
        if (sheet->isVisible())
            sheet->done(QDialog::Rejected); // a failed step must not hang the test
    });
    const int result = sheet->DoModal();
    SetMessageHost(&host);
    ASSERT_TRUE(finished);
    EXPECT_EQ(result, int(QDialog::Accepted));

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"výkaz.TXT", "Účet.BIL"}));

    CUzDocument saved;
    saved.m_strPath = folder + "/Účet.BIL";
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_data.Item(1).m_strValue, "\xDA\xE8" "etn\xED firma a.s.");
    EXPECT_EQ(saved.m_data.Item(2).m_nNumber, 471);
    EXPECT_EQ(saved.m_data.Item(11).m_nNumber, 41000);
    EXPECT_EQ(saved.m_data.Item(12).m_nNumber, 0);
    EXPECT_EQ(saved.m_data.Item(35).m_nNumber, 41000);
    EXPECT_EQ(saved.m_data.Item(65).m_nNumber, 41000);
    EXPECT_EQ(saved.m_data.Item(128).m_nNumber, 471);
    EXPECT_EQ(saved.m_data.Item(129).m_strValue, "CZ00000471");
    EXPECT_EQ(ReadFile(folder + "/výkaz.TXT").substr(0, 22), "\xDA\xE8" "etn\xED firma a.s.\r\n\r\nS");
}
