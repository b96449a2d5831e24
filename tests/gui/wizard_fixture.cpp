#include "wizard_fixture.h"

#include "model/opinions.h"

#include <QDir>
#include <QImage>
#include <QLabel>

// The GUI tests' entry point: a QApplication on the offscreen platform, with
// the program's resources, Czech framework texts and Qt host.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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

void WizardTest::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void WizardTest::Open(int index)
{
    sheet->show();
    sheet->SetActivePage(index);
    Settle();
}

void WizardTest::Next()
{
    sheet->PressNext();
    Settle();
}

void WizardTest::Back()
{
    sheet->PressBack();
    Settle();
}

void WizardTest::Finish()
{
    sheet->PressFinish();
    Settle();
}

QString WizardTest::Caption(int id) const
{
    return Active()->Control<QLabel>(id)->text();
}

QColor WizardTest::Background(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    return image.pixelColor(image.width() - 5, image.height() / 2);
}

std::vector<int> WizardTest::BoxIds() const
{
    std::vector<int> ids;
    for (std::size_t i = 0; i < host.boxes.size(); ++i)
        ids.push_back(host.BoxId(i));
    return ids;
}

void WizardTest::Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one key press, two QChars.
        const QString key = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
        i += key.size() - 1;
        if (key[0].unicode() < 0x80)
            QTest::keyClick(edit, key[0].toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, key, Qt::NoModifier);
    }
}

void WizardTest::Browse(int id, const std::string& path)
{
    host.files.push_back(path);
    QTest::mouseClick(Active()->GetDlgItem(id), Qt::LeftButton);
    Settle();
}

void WizardTest::StartWith(const std::string& path)
{
    Open();
    Browse(1008, path);
    Next();
}

void WizardTest::FillRequiredItems()
{
    CUzData& data = g_doc.m_data;
    for (int tag : {1, 3, 6, 7, 9, 123, 126, 129, 131, 132})
        data.Item(tag).m_strValue.assign(1, 'x');
    data.Item(10).m_strValue = *OpinionText(0);
    data.Item(2).m_nNumber = data.Item(128).m_nNumber = 471;
}

std::string WizardTest::SaveStatement(const std::string& name)
{
    CUzDocument doc;
    doc.m_strPath = dir.File(name);
    for (int tag = 1; tag <= kItemCount; ++tag) {
        doc.m_data.Item(tag).m_strValue = g_doc.m_data.Item(tag).m_strValue;
        doc.m_data.Item(tag).m_nNumber = g_doc.m_data.Item(tag).m_nNumber;
    }
    EXPECT_TRUE(doc.Save());
    g_doc.m_data.ClearValues();
    return doc.m_strPath;
}
