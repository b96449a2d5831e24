#include "pages/filepage.h"

#include "framework/ddx.h"
#include "framework/resource.h"
#include "framework/sheet.h"
#include "framework/text.h"
#include "model/document.h"
#include "model/messages.h"
#include "model/nextyear.h"
#include "pages/textpage.h"
#include "res/dialogs.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <cerrno>
#include <sys/stat.h>

namespace {
constexpr int IDC_INFO = 1006;
constexpr int IDC_PATH = 1007;
constexpr int IDC_BROWSE = 1008;
constexpr int IDC_LETTER = 1242;
constexpr int IDC_LAST_YEAR = 1246;

// A statement file name that names nothing yet: a new statement.
bool IsNewName(const std::string& path)
{
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}
} // namespace

CUzPageFile::CUzPageFile() : CPropertyPage(IDD_FILE) {}

void CUzPageFile::DoDataExchange(CDataExchange& dx)
{
    DDX_FileName(dx, IDC_PATH, g_doc.m_strPath, kMaxPathChars);
    if (!dx.m_bSaveAndValidate)
        UpdateLastYearButton();
}

void CUzPageFile::UpdateLastYearButton()
{
    if (QWidget* button = GetDlgItem(IDC_LAST_YEAR))
        button->setEnabled(IsNewName(g_doc.m_strPath));
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
    AddSheetButton(IDC_LAST_YEAR, QStringLiteral("Z &loňského…"));
    return CPropertyPage::OnInitDialog();
}

bool CUzPageFile::OnSetActive()
{
    m_bFromLastYear = false;
    UpdateLastYearButton();
    GetParentSheet()->PostWizardButtons(PSWIZB_NEXT);
    return true;
}

bool CUzPageFile::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    if (m_bFromLastYear || g_doc.Load())
        return true;
    g_doc.ShowFileError();
    return false;
}

void CUzPageFile::OnCommand(int id, Notify code)
{
    if (id == IDC_BROWSE && code == Notify::Clicked)
        OnBrowse();
    else if (id == IDC_LAST_YEAR && code == Notify::Clicked)
        OnLastYear();
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

void CUzPageFile::OnLastYear()
{
    UpdateLastYearButton();
    const std::string& path = g_doc.m_strPath;
    std::string last;
    // A name taken meanwhile is loaded by Next instead.
    if (!IsNewName(path) || !BrowseFileName(last, Cp1250("Loňský výkaz"), StatementFileFilter(),
                                            ".BIL", path.substr(0, path.rfind('/') + 1)))
        return;
    if (SameFile(last, path)) {
        AppMessageBox(Cp1250("Loňský výkaz nemůže být soubor nového výkazu."),
                      MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    CUzData read;
    if (const ReadResult result = ReadStatementFile(last, read); result != ReadResult::Ok) {
        AppMessageBox(ReadResultText(result), MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    CarryOver(read, g_doc.m_data);
    g_doc.m_identity = fileio::FileIdentity{}; // the new file does not exist
    m_bFromLastYear = true;
    GetParentSheet()->SetActivePage(PageHlava);
}
