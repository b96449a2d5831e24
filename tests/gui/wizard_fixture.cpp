#include "wizard_fixture.h"

#include "model/opinions.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QKeySequence>
#include <QTimer>

// The GUI tests' entry point: a QApplication on the offscreen platform (a
// desktop's screen), with the program's resources, Czech texts and Qt host.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", BIL_TEST_PLATFORM);
    const QString runtime = QDir::tempPath() + QStringLiteral("/bil-runtime-%1").arg(getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bil"));
    InitGui();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

WizardTest::WizardTest()
{
    g_doc.Reset();
    g_doc.m_data.Reset();
    g_doc.m_data.ClearMarks();
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
}

WizardTest::~WizardTest()
{
    sheet.reset();
    Settle();
}

QColor WizardTest::Background(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    return image.pixelColor(image.width() - 5, image.height() / 2);
}

void WizardTest::Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (qsizetype i = 0, n; i < text.size(); i += n) {
        n = text[i].isHighSurrogate() ? 2 : 1; // one key press, two QChars
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
    }
}

void WizardTest::Browse(int id, const std::string& path)
{
    host.files.push_back(path);
    QTest::mouseClick(Active()->GetDlgItem(id), Qt::LeftButton);
    Settle();
}

void WizardTest::FillRequiredItems()
{
    CUzData& data = g_doc.m_data;
    for (int tag : {1, 3, 6, 7, 9, 123, 126, 129, 131, 132})
        data.Item(tag).m_strValue.assign(1, 'x');
    data.Item(10).m_strValue = *OpinionText(0);
    data.Item(2).m_nNumber = data.Item(128).m_nNumber = 477;
}

namespace {

// The window a real keyboard's events go to. When a dialog closes, a window
// manager gives the focus back to the window beneath; the offscreen platform
// has none, so this does it.
QWindow* FocusWindow()
{
    if (!QGuiApplication::focusWindow())
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        }
    return QGuiApplication::focusWindow();
}

} // namespace

void Keys(const QString& script)
{
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] != '<') {
            QTest::sendKeyEvent(QTest::Click, FocusWindow(), Qt::Key_unknown, QString(script[i]),
                                Qt::NoModifier);
            continue;
        }
        const qsizetype end = script.indexOf('>', i);
        const QStringList key = script.mid(i + 1, end - i - 1).split('*');
        i = end;
        const QKeyCombination combo = QKeySequence::fromString(key[0], QKeySequence::PortableText)[0];
        ASSERT_NE(combo.toCombined(), 0) << "no such key: " << key[0].toStdString();
        for (int n = key.size() > 1 ? key[1].toInt() : 1; n > 0; --n) {
            QTest::keyClick(FocusWindow(), combo.key(), combo.keyboardModifiers());
            // A mnemonic clicks its button a moment later, as a user sees it.
            QTest::qWait(combo.keyboardModifiers() ? 250 : 10);
        }
    }
}

void AnswerModals(std::vector<ModalStep> steps)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, steps = std::move(steps), next = 0u]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && next < steps.size() && steps[next](modal) && ++next == steps.size()) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

ModalStep TypeIntoFileDialog(const QString& keys)
{
    return [keys](QWidget* w) {
        if (!qobject_cast<QFileDialog*>(w))
            return false;
        w->activateWindow(); // again after a box over it closed
        if (!QTest::qWaitForWindowActive(w))
            return false;
        QTimer::singleShot(0, [keys] { Keys(keys); });
        return true;
    };
}

ModalStep AnswerBox(QString& seen, QMessageBox::StandardButton button)
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
