#include "pages/filepage.h"

#include "framework/ddx.h"
#include "framework/resource.h"
#include "framework/sheet.h"
#include "framework/text.h"
#include "model/document.h"
#include "model/messages.h"
#include "res/dialogs.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {
constexpr int IDC_INFO = 1006;
constexpr int IDC_PATH = 1007;
constexpr int IDC_BROWSE = 1008;
constexpr int IDC_LETTER = 1242;
} // namespace

CUzPageFile::CUzPageFile() : CPropertyPage(IDD_FILE) {}

void CUzPageFile::DoDataExchange(CDataExchange& dx)
{
    DDX_FileName(dx, IDC_PATH, g_doc.m_strPath, kMaxPathChars);
}

bool CUzPageFile::OnInitDialog()
{
    if (auto* info = Control<QLabel>(IDC_INFO))
        info->setText(FromCp1250(LoadText(10000)));
    if (auto* letter = Control<QPlainTextEdit>(IDC_LETTER)) {
        std::string text;
        letter->setPlainText(QStringLiteral("Load resource error ..."));
        if (LoadResourceBytes("ID_TEXT_DOPIS_KT", text)) {
            QString shown = FromCp1250(text);
            shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            letter->setPlainText(shown);
        }
        // Five pixels of margin left and right, as the letter was laid out.
        letter->document()->setDocumentMargin(5);
    }
    SetControlName(IDC_PATH, Cp1250("Soubor:"));
    SetControlName(IDC_BROWSE, Cp1250("Vybrat soubor"));
    SetControlName(IDC_LETTER, Cp1250("Dopis redakce KT"));
    return CPropertyPage::OnInitDialog();
}

bool CUzPageFile::OnSetActive()
{
    GetParentSheet()->PostWizardButtons(PSWIZB_NEXT);
    return true;
}

bool CUzPageFile::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    if (g_doc.Load())
        return true;
    g_doc.ShowFileError();
    return false;
}

void CUzPageFile::OnCommand(int id, Notify code)
{
    if (id == IDC_BROWSE && code == Notify::Clicked)
        OnBrowse();
}

const std::string& StatementFileFilter()
{
    static const std::string filter = Cp1250("Soubor UZ pro KT (*.bil)") + '\0' + "*.bil" + '\0' +
                                      Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0';
    return filter;
}

void CUzPageFile::OnBrowse()
{
    BrowseFileName(g_doc.m_strPath, LoadText(10030), StatementFileFilter(), ".BIL");
    UpdateData(false);
}
