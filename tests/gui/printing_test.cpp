// Print and PDF from the last page, by keys in the real window.

#include "wizard_fixture.h"

#include "framework/text.h"
#include "pages/printing.h"

#include <QFileDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>

#include <sys/resource.h>

TEST_F(WizardTest, PrintAndPdfFromTheLastPageByKeys)
{
    const std::string statement = dir.File("Účet.BIL"), text = dir.File("výkaz.TXT");
    WriteFile(statement, EncodeRecords(ReadRecords("journey.records")));
    ASSERT_EQ(ReadStatementFile(statement, g_doc.m_data), ReadResult::Ok);
    g_doc.m_strPath = statement;
    // What the wizard keeps about rules, as the error page left it.
    g_doc.m_data.m_errors[1] = {1, {2}};
    g_doc.m_data.EditItem(15).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    sheet->m_pageText.m_strFile = text;
    sheet->setWindowModality(Qt::ApplicationModal); // as DoModal runs it
    Open(PageText);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));

    // After the page's own controls, before Back. The browse button, which
    // has the focus, is the last of those.
    ASSERT_EQ(QApplication::focusWidget(), Active()->GetDlgItem(1217));
    Keys("<Backtab*3>");
    QWidgetList order{QApplication::focusWidget()};
    while (order.size() < 8 && order.back() != sheet->BackButton()) {
        Keys("<Tab>");
        order << QApplication::focusWidget();
    }
    ASSERT_EQ(order.size(), 7); // the page's four tab stops first
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Active()->isAncestorOf(order[i])) << i;
    EXPECT_EQ(qobject_cast<QPushButton*>(order[4])->text(), "&Tisk…");
    EXPECT_EQ(qobject_cast<QPushButton*>(order[5])->text(), "&PDF…");

    // The preview: the statement's two pages, then the order's one.
    int previewPages = 0;
    AnswerModals({[&](QWidget* w) {
        if (const auto* preview = w->findChild<QPrintPreviewWidget*>())
            previewPages = preview->pageCount();
        if (previewPages > 0)
            w->close();
        return previewPages > 0;
    }});
    Keys("<Alt+T>");
    EXPECT_EQ(previewPages, 3);

    // PDF…: the statement's name in another letter case and the text file's
    // are refused with the dialog still open; the proposal is taken.
    QString proposed;
    AnswerModals({[&](QWidget* w) {
                      if (auto* dialog = qobject_cast<QFileDialog*>(w))
                          proposed = dialog->directory().absolutePath() + "|" +
                                     dialog->findChild<QLineEdit*>("fileNameEdit")->text();
                      return !proposed.isEmpty();
                  },
                  TypeIntoFileDialog("<Ctrl+A>" + FileNameText(dir.File("účet.bil")) + "<Return><Ctrl+A>" +
                                     FileNameText(text) + "<Return><Ctrl+A>Účet.pdf<Return>")});
    Keys("<Alt+P>");
    EXPECT_EQ(proposed, FileNameText(dir.Path()) + QString::fromUtf8("|Účet.pdf"));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, host.boxes[1].text);
    const std::string pdf = ReadFile(dir.File("Účet.pdf"));
    EXPECT_NE(pdf.find("Účetní závěrka – Sklárna Šťáhlavy, a.s., 2023"), std::string::npos);

    // Replacing it on a disk that fills up: the old PDF stays whole.
    QString replace;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1000, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    AnswerModals({TypeIntoFileDialog("<Return>"), AnswerBox(replace, QMessageBox::Yes)});
    Keys("<Alt+P>");
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_TRUE(replace.contains(QString::fromUtf8("Účet.pdf")));
    EXPECT_EQ(host.BoxId(2), 10010);
    EXPECT_EQ(ReadFile(dir.File("Účet.pdf")), pdf);

    // The buttons are the last page's only.
    Back();
    ASSERT_EQ(ActiveIndex(), int(PageObj));
    EXPECT_FALSE(order[5]->isVisible());

    // Nothing else changed.
    EXPECT_EQ(ReadFile(statement), EncodeRecords(ReadRecords("journey.records")));
    EXPECT_FALSE(FileExists(text));
    EXPECT_EQ(g_doc.m_data.m_errors[1].m_nCount, 1);
    EXPECT_EQ(g_doc.m_data.EditItem(15).m_edit.m_nMark, CUzMarkEdit::MarkSum);
    EXPECT_EQ(g_doc.m_data.EditItem(17).m_edit.m_nMark, CUzMarkEdit::MarkNone);
}

TEST(PdfName, TheStatementsNameWithPdfForItsExtension)
{
    const std::pair<std::string, std::string> names[] = {
        {"/uz/firma", "/uz/firma.pdf"}, {"/uz.2024/firma", "/uz.2024/firma.pdf"},
        {"/uz/.bil", "/uz/.bil.pdf"}, {"firma.v2.bil", "firma.v2.pdf"}};
    for (const auto& [statement, pdf] : names)
        EXPECT_EQ(PdfNameFor(statement), pdf);
}
