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
#include <map>

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
    QListWidget* List(int id) const { return Active()->Control<QListWidget>(id); }
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
    EXPECT_TRUE(Caption(1006).startsWith(U("Zadejte jméno souboru. Pro snažší")));
    Browse(1008, dir.File("00000471"));
    EXPECT_EQ(Edit(1007)->text(), QString::fromStdString(statement));
    Click(sheet->NextButton());
    ASSERT_EQ(ActiveIndex(), int(PageHlava));
    // Labels are the statement's own, and name their fields for a screen reader.
    EXPECT_EQ(Caption(1012), U("IČO:"));
    EXPECT_EQ(Caption(1029), U("Výrok auditora:"));
    EXPECT_EQ(Edit(1013)->accessibleName(), U("IČO:"));
    EXPECT_EQ(Edit(1010)->accessibleName(), U("Obchodní jméno:"));

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
        QStringList headings;
        for (QLabel* label : Active()->findChildren<QLabel*>())
            headings << label->text();
        EXPECT_TRUE(headings.contains(U("Běžný rok")) && headings.contains(U("Minulý rok")));
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
    // The window a real keyboard's events go to. When a dialog closes, a
    // window manager gives the focus back to the window beneath; the
    // offscreen platform has none, so this does it.
    static QWindow* FocusWindow()
    {
        if (!QGuiApplication::focusWindow())
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
            }
        return QGuiApplication::focusWindow();
    }
    // Keys a user presses: text, and <Key> or <Key*n> for the others.
    static void Keys(const QString& script)
    {
        static const std::map<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> named = {
            {"Tab", {Qt::Key_Tab, {}}}, {"Backtab", {Qt::Key_Backtab, {}}},
            {"Return", {Qt::Key_Return, {}}}, {"Down", {Qt::Key_Down, {}}},
            {"Alt+D", {Qt::Key_D, Qt::AltModifier}}};
        for (qsizetype i = 0; i < script.size(); ++i) {
            if (script[i] != '<') {
                QTest::sendKeyEvent(QTest::Click, FocusWindow(), Qt::Key_unknown, QString(script[i]),
                                    Qt::NoModifier);
                continue;
            }
            const qsizetype end = script.indexOf('>', i);
            const QStringList key = script.mid(i + 1, end - i - 1).split('*');
            i = end;
            const auto [code, modifiers] = named.at(key[0]);
            for (int n = key.size() > 1 ? key[1].toInt() : 1; n > 0; --n) {
                QTest::keyClick(FocusWindow(), code, modifiers);
                // A mnemonic clicks its button a moment later, as a user sees it.
                QTest::qWait(modifiers ? 250 : 10);
            }
        }
    }
    // Answers the file dialog the next keys open: the path typed into it
    // once it is active, then Return.
    static void AnswerFileDialog(const QString& path)
    {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isActiveWindow()) {
                poll->deleteLater();
                poll->stop();
                Keys(path + "<Return>");
            }
        });
        poll->start(10);
    }
};

} // namespace

TEST_F(KeyboardJourneyTest, CzechFolderFirstFigureErrorListCopyButtonAndFinish)
{
    QtMessageHost qtHost; // the real file dialog; a box would show up and fail the run
    SetMessageHost(&qtHost);
    const std::string folder = dir.File("účty 2024");
    std::filesystem::create_directory(folder);
    const QString path = QString::fromStdString(folder);
    bool finished = false;
    QTimer::singleShot(60000, sheet.get(), [this] { // a step gone wrong must not hang the run
        for (QWidget* modal; (modal = QApplication::activeModalWidget()) && modal != sheet.get();)
            modal->close();
        sheet->done(QDialog::Rejected);
    });
    QTimer::singleShot(0, sheet.get(), [&] {
        [&] {
            ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
            // The browse button has the focus; Return presses it.
            ASSERT_EQ(QApplication::focusWidget(), Active()->GetDlgItem(1008));
            AnswerFileDialog(path + "/Účet");
            Keys("<Return>");
            ASSERT_EQ(Edit(1007)->text(), path + "/Účet.BIL");
            Keys("<Alt+D>Účetní firma a.s.<Tab>00000471<Tab*2>Brno<Tab*2>2024<Tab>Audit s.r.o."
                 "<Tab*2>1. 3. 2025<Return>");
            // What is typed on arrival replaces the 0 shown; a previous-year
            // total that breaks two rules.
            ASSERT_EQ(ActiveIndex(), int(PageAktiva));
            Keys("41000<Tab>500<Tab*23>41000<Return>41000<Tab*28>41000<Return*4>");
            // Tab to the previous year, Down selects its first rule, Return
            // opens it on its sum.
            ASSERT_EQ(ActiveIndex(), int(PageErrors));
            auto* previous = Active()->Control<QListWidget>(1199);
            Keys("<Tab><Down>");
            EXPECT_EQ(previous->selectedItems(), QList<QListWidgetItem*>{previous->item(0)});
            Keys("<Return>");
            ASSERT_EQ(ActiveIndex(), int(PageAktiva));
            ASSERT_EQ(QApplication::focusWidget(), Edit(1043));
            EXPECT_EQ(Edit(1043)->selectedText(), "500");
            Keys("0<Return*6>");
            // Tab to "Použít údaje z UZ": Return copies the header.
            ASSERT_EQ(ActiveIndex(), int(PageObj));
            Keys("<Tab*8><Return>");
            EXPECT_EQ(Edit(1221)->text(), "Účetní firma a.s.");
            Keys("<Backtab*2>CZ00000471<Tab*3>Jana Nováková<Tab>555 123 456<Return>");
            ASSERT_EQ(ActiveIndex(), int(PageText));
            AnswerFileDialog(path + "/výkaz");
            Keys("<Return><Alt+D>");
            finished = true;
        }();
        if (sheet->isVisible())
            sheet->done(QDialog::Rejected);
    });
    EXPECT_EQ(sheet->DoModal(), int(QDialog::Accepted));
    SetMessageHost(&host);
    ASSERT_TRUE(finished);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"výkaz.TXT", "Účet.BIL"}));
    CUzDocument saved;
    saved.m_strPath = folder + "/Účet.BIL";
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_data.Item(1).m_strValue, Windows1250("Účetní firma a.s."));
    for (const auto& [tag, number] : {std::pair{2, 471}, {11, 41000}, {12, 0}, {65, 41000}, {128, 471}})
        EXPECT_EQ(saved.m_data.Item(tag).m_nNumber, number) << tag;
    EXPECT_EQ(saved.m_data.Item(129).m_strValue, "CZ00000471");
    EXPECT_EQ(ReadFile(folder + "/výkaz.TXT").substr(0, 21), Windows1250("Účetní firma a.s.\r\n\r\n"));
}
