// The real Qt message box, answered the way a user answers it, and the file
// names and filters the real file dialog works with.

#include "wizard_fixture.h"

#include "framework/qthost.h"
#include "framework/text.h"

TEST(QtHost, BoxesAreCzechWithTheProgramsNameAndTheirIcon)
{
    const struct {
        unsigned style;
        QMessageBox::StandardButton press;
        int answer;
        const char* seen;
    } cases[] = {
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::Yes, IDYES, "Bil|Nedostatek paměti.|2|&Ano|&Ne"},
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::NoButton, IDNO, "Bil|Nedostatek paměti.|2|&Ano|&Ne"},
        {MB_OK | MB_ICONHAND, QMessageBox::Ok, IDOK, "Bil|Nedostatek paměti.|3|OK"},
        {MB_OK, QMessageBox::Ok, IDOK, "Bil|Nedostatek paměti.|2|OK"}, // the default icon
    };
    for (const auto& c : cases) {
        QString seen;
        AnswerModals({AnswerBox(seen, c.press)});
        EXPECT_EQ(AppMessageBox(LoadText(10018), c.style), c.answer);
        EXPECT_EQ(seen.toStdString(), c.seen);
    }
}

TEST(FileNames, ReachTheFileSystemAsItsOwnBytesOrNotAtAll)
{
    const QString czech = QStringLiteral("/tmp/účty 2024/Účet.bil");
    std::string bytes;
    ASSERT_TRUE(FileNameBytes(czech, bytes));
    EXPECT_EQ(bytes, "/tmp/\xC3\xBA\xC4\x8Dty 2024/\xC3\x9A\xC4\x8D" "et.bil");
    EXPECT_EQ(FileNameText(bytes), czech);
    // A name stored in another encoding shows a replacement character, and a
    // broken character cannot be written: both would name another file.
    for (const QString& broken : {FileNameText("/tmp/\xFA" "cet.bil"), QString(QChar(0xD800))}) {
        bytes = "previous";
        EXPECT_FALSE(FileNameBytes(broken, bytes));
        EXPECT_TRUE(bytes.empty());
    }
    // A broken character is found where it stands, a pair of halves stepped over.
    for (const auto& [text, at] : {std::pair{QString(QChar(0xDC00)), 0}, {"x" + QString(QChar(0xDC00)), 1},
                                   {QString::fromUtf8("😀b") + QChar(0xD800), 3}}) {
        qsizetype bad = -1;
        EXPECT_FALSE(ToCp1250(text, bytes, &bad));
        EXPECT_EQ(bad, at);
    }
    // The dialog shows the program's wording; "*.*" matches every file.
    const std::string filter = Cp1250("Soubor UZ pro KT (*.bil)") + '\0' + "*.bil" + '\0' +
                               Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0';
    EXPECT_EQ(QtFileFilter(filter), QString::fromUtf8("Soubor UZ pro KT (*.bil) (*.bil);;"
                                                      "Všechny soubory (*.*) (*)"));
    EXPECT_EQ(QtFileFilter(filter + '\0'), QtFileFilter(filter)); // ended twice, as Windows ends it
}

TEST(QtHost, TheWindowNamesTheDesktopEntryAndSoftwareCentreEntryOfThePackage)
{
    // Its icon is sharp at any size.
    const CBilDlgPages sheet(10002);
    EXPECT_EQ(sheet.windowIcon().pixmap(QSize(256, 256)).size(), QSize(256, 256));
    const std::string id = QGuiApplication::desktopFileName().toStdString();
    EXPECT_TRUE(FileExists(TestDataPath("../../res/" + id + ".desktop")));
    EXPECT_NE(ReadFile(TestDataPath("../../packaging/" + id + ".metainfo.xml"))
                  .find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"),
              std::string::npos);
}
