#include "pages/printing.h"

#include "framework/page.h"
#include "framework/qthost.h"
#include "framework/text.h"
#include "model/document.h"
#include "model/fileio.h"
#include "model/messages.h"
#include "pages/textpage.h"
#include "print/print.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

constexpr int IDC_PRINT = 1244;
constexpr int IDC_PDF = 1245;

void Preview(QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    print::SetUpPage(printer);
    printer.setDocName(QStringLiteral("Bil"));
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, [](QPrinter* device) {
        static constexpr print::Part parts[] = {print::Part::Statement, print::Part::Order};
        print::Paint(g_doc.m_data, *device, parts);
    });
    preview.exec();
}

// Keeps the dialog open on the statement's or the text file's own name:
// the PDF would replace it.
class PdfDialog : public FileDialog {
public:
    PdfDialog(QWidget* parent, const std::string& textFile)
        : FileDialog(parent, QStringLiteral("Uložit účetní závěrku jako PDF")),
          m_textFile(textFile)
    {
    }

protected:
    void accept() override
    {
        std::string path;
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && FileNameBytes(files.first(), path) &&
            (SameFile(path, g_doc.m_strPath) || (!m_textFile.empty() && SameFile(path, m_textFile)))) {
            AppMessageBox(Cp1250("PDF nemůže mít jméno dokumentu UZ ani textového souboru UZ."),
                          MB_ICONEXCLAMATION | MB_OK);
            return;
        }
        FileDialog::accept();
    }

private:
    std::string m_textFile;
};

void SavePdf(QWidget* parent, const std::string& textFile)
{
    PdfDialog dlg(parent, textFile);
    dlg.setObjectName("bilFileDialog");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter(QtFileFilter(Cp1250("Dokument PDF (*.pdf)") + '\0' + "*.pdf" + '\0' +
                                   Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0'));
    dlg.setDefaultSuffix(QStringLiteral("pdf"));
    const QFileInfo proposal(FileNameText(PdfNameFor(g_doc.m_strPath)));
    dlg.setDirectory(proposal.absolutePath());
    dlg.selectFile(proposal.fileName());
    std::string path;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty() ||
        !ChosenFileName(dlg.selectedFiles().first(), path))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor); // long texts take a while
    const QByteArray pdf = print::Pdf(g_doc.m_data, print::Part::Statement);
    QGuiApplication::restoreOverrideCursor();
    const auto result = pdf.isEmpty() ? fileio::WriteResult::WriteFailed
                                      : fileio::ReplaceFile(path, std::string_view(pdf.data(), std::size_t(pdf.size())));
    if (result != fileio::WriteResult::Ok)
        AppMessageBox(LoadText(result == fileio::WriteResult::OpenFailed ? 10006 : 10010),
                      MB_ICONHAND | MB_OK);
}

} // namespace

void AddPrintButtons(CPropertyPage& page)
{
    page.AddSheetButton(IDC_PRINT, QStringLiteral("&Tisk…"));
    page.AddSheetButton(IDC_PDF, QStringLiteral("&PDF…"));
}

void OnPrintCommand(int id, QWidget* parent, const std::string& textFile)
{
    if (id == IDC_PRINT)
        Preview(parent);
    else if (id == IDC_PDF)
        SavePdf(parent, textFile);
}

std::string PdfNameFor(const std::string& statement)
{
    return WithExtension(statement, ".pdf");
}
