#include "wizard_fixture.h"

#include "model/opinions.h"

#include <QAbstractEventDispatcher>
#include <QPushButton>

void WizardTest::SetUp()
{
    g_doc.Reset();
    g_doc.m_data.Reset();
    g_doc.m_data.ClearMarks();
    sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
}

void WizardTest::TearDown()
{
    if (sheet)
        sheet->hide();
    sheet.reset();
    Settle();
    g_doc.Reset();
    g_doc.m_data.Reset();
    g_doc.m_data.ClearMarks();
}

void WizardTest::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void WizardTest::Open()
{
    sheet->show();
    sheet->SetActivePage(0);
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

void WizardTest::Cancel()
{
    sheet->PressCancel();
    Settle();
}

QLineEdit* WizardTest::Edit(int id) const
{
    return Active()->Control<QLineEdit>(id);
}

void WizardTest::Type(QWidget* edit, const QString& text)
{
    edit->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        line->selectAll();
    else
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void WizardTest::StartWith(const std::string& path)
{
    Open();
    host.files.push_back(path);
    QTest::mouseClick(Active()->GetDlgItem(1008), Qt::LeftButton);
    Settle();
    Next();
}

void WizardTest::OpenAt(int index)
{
    sheet->show();
    sheet->SetActivePage(index);
    Settle();
}

void WizardTest::FillRequiredItems()
{
    CUzData& data = g_doc.m_data;
    data.Item(1).m_strValue = "Firma a.s.";
    data.Item(2).m_nNumber = 25596641;
    data.Item(3).m_strValue = "Brno";
    data.Item(6).m_strValue = "2024";
    data.Item(7).m_strValue = "Auditor s.r.o.";
    data.Item(9).m_strValue = "1. 3. 2025";
    data.Item(10).m_strValue = *OpinionText(0);
    data.Item(10).m_nNumber = 0;
    data.Item(123).m_strValue = "Firma a.s.";
    data.Item(126).m_strValue = "Brno";
    data.Item(128).m_nNumber = 25596641;
    data.Item(129).m_strValue = "CZ25596641";
    data.Item(131).m_strValue = "Novak";
    data.Item(132).m_strValue = "555 123 456";
}

std::string WizardTest::SaveStatement(const std::string& name)
{
    const std::string keep = g_doc.m_strPath;
    g_doc.m_strPath = dir.File(name);
    const bool saved = g_doc.Save();
    EXPECT_TRUE(saved) << g_doc.m_strPath;
    std::string path = g_doc.m_strPath;
    g_doc.m_strPath = keep;
    g_doc.m_data.ClearValues();
    return path;
}
