// The message functions on the real Qt message box and file dialog, answered
// from a timer the way a user answers them.

#include "framework/qthost.h"
#include "framework/text.h"
#include "support/support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Handles the modal windows a call opens, one step per window: every 10 ms
// the current step gets the active modal widget and returns true once it has
// dealt with it. A window left open for seconds is closed and fails the test.
class ModalDriver {
public:
    using Step = std::function<bool(QWidget*)>;
    explicit ModalDriver(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, &m_context, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && m_clock.elapsed() > 5000) {
                ADD_FAILURE() << "left open: " << modal->windowTitle().toStdString();
                modal->close();
            } else if (modal && !m_busy && m_done < m_steps.size()) {
                m_busy = true;
                m_done += m_steps[m_done](modal);
                m_busy = false;
            }
        });
        m_timer.start(10);
    }
    ~ModalDriver() { EXPECT_EQ(m_done, m_steps.size()) << "an expected window did not appear"; }

private:
    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    bool m_busy = false;
    QElapsedTimer m_clock;
    QObject m_context;
    QTimer m_timer;
};

// Records what a message box shows, then presses `button` (NoButton: closes it).
ModalDriver::Step Answer(QString& seen, QMessageBox::StandardButton button)
{
    return [&seen, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        seen = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
        for (QAbstractButton* b : box->buttons())
            seen += "|" + b->text();
        button == QMessageBox::NoButton ? void(box->close()) : box->button(button)->click();
        return true;
    };
}

// Waits until the program's file dialog is active, turns it to `folder`,
// types `name` and presses Enter (posted: Enter may open a box over it).
ModalDriver::Step TypeName(const std::string& folder, const char* name)
{
    return [folder, name](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog || !QTest::qWaitForWindowActive(dialog))
            return false;
        dialog->setDirectory(QString::fromStdString(folder));
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        QTest::keyClicks(edit, name);
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
        return true;
    };
}

} // namespace

TEST(QtHost, BoxesAreCzechWithTheProgramsNameAndTheirIcon)
{
    const struct {
        unsigned style;
        QMessageBox::StandardButton press;
        int answer;
        const char* seen;
    } cases[] = {
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::Yes, IDYES, "bil|Nedostatek paměti.|2|&Ano|&Ne"},
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::No, IDNO, "bil|Nedostatek paměti.|2|&Ano|&Ne"},
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::NoButton, IDNO, "bil|Nedostatek paměti.|2|&Ano|&Ne"},
        {MB_OK | MB_ICONHAND, QMessageBox::Ok, IDOK, "bil|Nedostatek paměti.|3|OK"},
        {MB_OK, QMessageBox::Ok, IDOK, "bil|Nedostatek paměti.|2|OK"}, // the default icon
    };
    for (const auto& c : cases) {
        QString seen;
        {
            ModalDriver driver({Answer(seen, c.press)});
            EXPECT_EQ(AppMessageBox(LoadText(10018), c.style), c.answer);
        }
        EXPECT_EQ(seen.toStdString(), c.seen);
    }
}

TEST(QtHost, FileDialogGivesANewNameAndRefusesAMissingFolder)
{
    TempDir dir;
    const std::string filter = Cp1250("Soubor UZ pro KT (*.bil)") + '\0' + "*.bil" + '\0' +
                               Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0';
    EXPECT_EQ(QtFileFilter(filter), QString::fromUtf8("Soubor UZ pro KT (*.bil) (*.bil);;"
                                                      "Všechny soubory (*.*) (*)"));
    std::string result = "previous";
    {
        ModalDriver driver({TypeName(dir.Path(), "novy")});
        EXPECT_TRUE(BrowseFileName(result, LoadText(10030), filter, ".BIL"));
    }
    EXPECT_EQ(result, dir.File("novy.BIL"));
    // A name in a folder that does not exist: a warning, the dialog stays;
    // then closing it gives nothing.
    QString warning;
    {
        ModalDriver driver({TypeName(dir.Path(), "chybi/novy"), Answer(warning, QMessageBox::Ok),
                            [](QWidget* w) { return qobject_cast<QFileDialog*>(w) && w->close(); }});
        EXPECT_FALSE(BrowseFileName(result, LoadText(10030), filter, ".BIL"));
    }
    EXPECT_TRUE(warning.contains(QString::fromStdString(dir.File("chybi"))));
    EXPECT_TRUE(result.empty());
    EXPECT_FALSE(FileExists(dir.File("chybi")));
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
}
