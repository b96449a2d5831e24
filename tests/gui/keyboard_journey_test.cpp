// A statement made with the keyboard alone, as a user makes it in a real
// window: the sheet run by DoModal, keys sent to whatever has the focus, the
// real file dialog pointed at a folder with a Czech name. What the keys do
// depends on real focus, caret and selection: the first field of a page takes
// what is typed, Return presses the focused button or Next, a rule is opened
// from the error list by Down and Return.

#include "wizard_fixture.h"

#include "framework/qthost.h"

#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>

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
