// The message functions on the real Qt message box and file dialog, answered
// from a timer the way a user would answer them.

#include "framework/qthost.h"
#include "framework/text.h"
#include "model/messages.h"
#include "support/files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Deals with the modal windows a call opens, one step per window: every
// 10 ms the current step gets the active modal widget and returns true once
// it has handled it; a step must not block (what opens a window is posted).
// A window still open after a few seconds is closed, so that a forgotten box
// fails the test instead of hanging it.
class ModalDriver {
public:
    using Step = std::function<bool(QWidget*)>;

    explicit ModalDriver(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        m_clock.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_context, [this] { Tick(); });
        m_timer.start();
    }
    ~ModalDriver()
    {
        EXPECT_EQ(m_done, m_steps.size()) << "not every expected window appeared";
    }

private:
    void Tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (m_clock.elapsed() > 5000) {
            ADD_FAILURE() << "modal window left open: " << modal->windowTitle().toStdString();
            if (auto* dlg = qobject_cast<QDialog*>(modal))
                dlg->reject();
            else
                modal->close();
            return;
        }
        if (m_busy || m_done >= m_steps.size())
            return;
        m_busy = true;
        if (m_steps[m_done](modal))
            ++m_done;
        m_busy = false;
    }

    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    bool m_busy = false;
    QElapsedTimer m_clock;
    QObject m_context;
    QTimer m_timer;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString yes;
    QString no;
    bool ok = false;
};

// A step that records a message box and answers it with `button`, or closes
// it when `button` is NoButton.
ModalDriver::Step Answer(SeenBox& seen, QMessageBox::StandardButton button)
{
    return [&seen, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        if (QAbstractButton* b = box->button(QMessageBox::Yes))
            seen.yes = b->text();
        if (QAbstractButton* b = box->button(QMessageBox::No))
            seen.no = b->text();
        seen.ok = box->button(QMessageBox::Ok) != nullptr;
        if (button == QMessageBox::NoButton)
            box->close();
        else
            box->button(button)->click();
        return true;
    };
}

class QtHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test main installs the program's own host.
        ASSERT_NE(dynamic_cast<QtMessageHost*>(GetMessageHost()), nullptr);
    }
};

} // namespace

TEST_F(QtHostTest, QuestionIsACzechYesNoBoxWithTheProgramsName)
{
    const struct {
        QMessageBox::StandardButton button; // NoButton: the box is closed
        int answer;
    } cases[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::NoButton, IDNO}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        SeenBox seen;
        {
            ModalDriver driver({Answer(seen, c.button)});
            EXPECT_EQ(AppMessageBox(LoadText(10029), MB_YESNO | MB_ICONEXCLAMATION), c.answer);
        }
        EXPECT_EQ(seen.title, QStringLiteral("bil"));
        EXPECT_EQ(seen.text,
                  QStringLiteral("Editace UZ nebyla dokončena.\nChcete opravdu ukončit aplikaci ?"));
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.yes, QStringLiteral("&Ano"));
        EXPECT_EQ(seen.no, QStringLiteral("&Ne"));
        EXPECT_FALSE(seen.ok);
    }

    SeenBox seen;
    {
        ModalDriver driver({Answer(seen, QMessageBox::Yes), Answer(seen, QMessageBox::NoButton)});
        EXPECT_TRUE(AskYesNo(10025, MB_ICONEXCLAMATION));
        EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(seen.text, QStringLiteral("Položka IČO není vyplněna. Chcete pokračovat ?"));
}

TEST_F(QtHostTest, NoticesShowTheirIconAndAnOkButton)
{
    const struct {
        unsigned style;
        QMessageBox::Icon icon;
    } cases[] = {
        {MB_OK | MB_ICONHAND, QMessageBox::Critical},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning},
        {MB_OK, QMessageBox::Warning},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        SeenBox seen;
        {
            ModalDriver driver({Answer(seen, QMessageBox::Ok)});
            EXPECT_EQ(AppMessageBox(LoadText(10018), c.style), IDOK);
        }
        EXPECT_EQ(seen.title, QStringLiteral("bil"));
        EXPECT_EQ(seen.text, QStringLiteral("Nedostatek paměti."));
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_TRUE(seen.ok);
        EXPECT_TRUE(seen.yes.isEmpty());
    }

    SeenBox seen;
    {
        ModalDriver driver({Answer(seen, QMessageBox::Ok)});
        ShowMessage(10020);
    }
    EXPECT_EQ(seen.text,
              QStringLiteral("Účetní závěrka obsahuje nesrovnalosti, které je třeba opravit."));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

namespace {

const std::string kFilter = Cp1250("Soubor UZ pro KT (*.bil)") + '\0' + "*.bil" + '\0' +
                            Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0';

// A step that waits until the program's file dialog is active, turns it to
// `folder`, types `name` into its name field and presses Enter.
ModalDriver::Step TypeName(const std::string& folder, const char* name, QString* title = nullptr)
{
    return [folder, name, title](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg || dlg->objectName() != QLatin1String("bilFileDialog"))
            return false;
        if (title)
            *title = dlg->windowTitle();
        dlg->setDirectory(QString::fromStdString(folder));
        // Typing before the dialog is active selects folders instead.
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg));
        auto* edit = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        EXPECT_NE(edit, nullptr);
        if (!edit)
            return false;
        QTest::keyClicks(edit, name);
        // Enter may open a warning over the dialog: press it from the loop.
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
        return true;
    };
}

bool CancelFileDialog(QWidget* w)
{
    auto* dlg = qobject_cast<QFileDialog*>(w);
    if (!dlg)
        return false;
    auto* buttons = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (QPushButton* cancel = buttons ? buttons->button(QDialogButtonBox::Cancel) : nullptr)
        cancel->click();
    else
        dlg->reject();
    return true;
}

} // namespace

TEST_F(QtHostTest, FileDialogGivesANewNameWithTheDefaultExtension)
{
    TempDir dir;
    WriteFile(dir.File("stary.bil"), "");
    const struct {
        const char* typed;
        std::string expected;
    } cases[] = {
        {"novy", dir.File("novy") + ".BIL"},
        {"stary.bil", dir.File("stary.bil")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string result = "predchozi";
        QString title;
        {
            ModalDriver driver({TypeName(dir.Path(), c.typed, &title)});
            EXPECT_TRUE(BrowseFileName(result, LoadText(10030), kFilter, ".BIL"));
        }
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(title, QStringLiteral("Jméno souboru (Soubor nemusí existovat)"));
    }
}

TEST_F(QtHostTest, FileDialogRefusesAMissingFolderAndCancelGivesNothing)
{
    TempDir dir;
    std::string result = "predchozi";
    SeenBox warning;
    bool stayed = false;
    {
        ModalDriver driver({
            TypeName(dir.Path(), "chybi/novy"),
            Answer(warning, QMessageBox::Ok),
            [&stayed](QWidget* w) {
                stayed = qobject_cast<QFileDialog*>(w) && w->isVisible();
                return CancelFileDialog(w);
            },
        });
        EXPECT_FALSE(BrowseFileName(result, LoadText(10030), kFilter, ".BIL"));
    }
    EXPECT_TRUE(stayed);
    EXPECT_EQ(warning.title, QStringLiteral("bil"));
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_TRUE(warning.text.contains(QString::fromStdString(dir.File("chybi"))))
        << warning.text.toStdString();
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
