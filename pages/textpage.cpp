#include "pages/textpage.h"

#include "framework/ddx.h"
#include "framework/sheet.h"
#include "framework/text.h"
#include "model/document.h"
#include "model/cp1250.h"
#include "model/fileio.h"
#include "model/messages.h"
#include "pages/datapage.h"
#include "pages/filepage.h"
#include "pages/printing.h"
#include "res/dialogs.h"
#include "text/layout.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int IDC_TEXT = 1212;
constexpr int IDC_FILE = 1216;
constexpr int IDC_BROWSE = 1217;
constexpr int IDC_ONETAB = 1218;
constexpr int IDC_INFO = 1243;

// The canonical form of a path whose file may not exist yet: its folder
// resolved, its name kept. A link to a missing file stands for that file,
// since writing through the link creates it.
std::string CanonicalName(const std::string& path, int links = 0)
{
    if (char* real = realpath(path.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out;
    }
    const std::size_t slash = path.find_last_of('/');
    struct stat st;
    if (links < 40 && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), target, sizeof target);
        if (n > 0 && static_cast<std::size_t>(n) < sizeof target) {
            std::string next(target, static_cast<std::size_t>(n));
            if (next[0] != '/' && slash != std::string::npos)
                next = path.substr(0, slash + 1) + next;
            return CanonicalName(next, links + 1);
        }
    }
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (char* real = realpath(folder.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out + "/" + name;
    }
    return path;
}

} // namespace

std::string ProposedTextFile(const std::string& chosen, const std::string& statement)
{
    return !chosen.empty() || statement.empty() ? chosen : WithExtension(statement, ".TXT");
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (FileNameText(a).compare(FileNameText(b), Qt::CaseInsensitive) == 0)
        return true;
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return CanonicalName(a) == CanonicalName(b);
}

CUzPageText::CUzPageText() : CPropertyPage(IDD_TEXT) {}

void CUzPageText::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, IDC_TEXT, m_strText);
    DDX_Check(dx, IDC_ONETAB, m_bOneTab);
    DDX_FileName(dx, IDC_FILE, m_strFile, -1);
}

bool CUzPageText::OnInitDialog()
{
    if (auto* info = Control<QLabel>(IDC_INFO))
        info->setText(FromCp1250(LoadText(10001)));
    SetControlName(IDC_TEXT, Cp1250("Text účetní závěrky"));
    SetControlName(IDC_FILE, Cp1250("Soubor:"));
    SetControlName(IDC_BROWSE, Cp1250("Vybrat soubor"));
    AddPrintButtons(*this);
    return CPropertyPage::OnInitDialog();
}

bool CUzPageText::OnSetActive()
{
    g_doc.BuildText(m_strText);
    UpdateData(false);
    GetParentSheet()->PostWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return true;
}

bool CUzPageText::OnQueryCancel()
{
    return AskCancel();
}

void CUzPageText::OnCommand(int id, Notify code)
{
    if (code != Notify::Clicked)
        return;
    OnPrintCommand(id, this, m_strFile);
    if (id == IDC_BROWSE)
        OnBrowse();
    else if (id == IDC_ONETAB)
        OnOneTab();
}

void CUzPageText::OnOneTab()
{
    if (auto* box = Control<QCheckBox>(IDC_ONETAB))
        m_bOneTab = box->isChecked() ? 1 : 0;
}

void CUzPageText::OnBrowse()
{
    auto* field = Control<QLineEdit>(IDC_FILE);
    if (!field)
        return;
    const std::string title = LoadText(10030);
    static const std::string filter = Cp1250("Textový soubor (*.txt)") + '\0' + "*.txt" + '\0' +
                                      Cp1250("Všechny soubory (*.*)") + '\0' + "*.*" + '\0';
    BrowseFileName(m_strFile, title, filter, ".TXT", ProposedTextFile(m_strFile, g_doc.m_strPath));
    field->setText(FileNameText(m_strFile));
}

namespace {

bool AskYesNoText(const std::string& text)
{
    return AppMessageBox(text, MB_ICONEXCLAMATION | MB_YESNO) == IDYES;
}

void ShowFileError(int id, unsigned icon, const std::string& path, int error)
{
    AppMessageBox(FileErrorText(id, path, error), icon | MB_OK);
}

} // namespace

int CUzPageText::SaveTextFile()
{
    if (m_strFile.empty()) {
        AppMessageBox(LoadText(10003), MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    if (SameFile(m_strFile, g_doc.m_strPath)) {
        AppMessageBox(LoadText(10022), MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    if (m_strText.empty()) {
        AppMessageBox(LoadText(10024), MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    // A FIFO or a device would block or swallow the text: refused at once.
    if (fileio::IsSpecialFile(m_strFile)) {
        ShowFileError(10006, MB_ICONHAND, m_strFile, fileio::kNotRegularFile);
        return 0;
    }
    if (access(m_strFile.c_str(), R_OK | W_OK) == 0) {
        if (!AskYesNo(10028, MB_ICONEXCLAMATION))
            return 0;
    } else if (errno == EACCES) {
        ShowFileError(10004, MB_ICONHAND, m_strFile, EACCES);
        return 0;
    }
    // Written whole or not at all: a failure keeps an existing file intact.
    int error = 0;
    switch (fileio::ReplaceFile(m_strFile, TextFileBytes(m_strText, m_bOneTab != 0), &error)) {
    case fileio::WriteResult::Ok:
        return 1;
    case fileio::WriteResult::OpenFailed:
        ShowFileError(10006, MB_ICONHAND, m_strFile, error);
        return 0;
    case fileio::WriteResult::WriteFailed:
        break;
    }
    ShowFileError(10010, MB_ICONHAND, m_strFile, error);
    return 0;
}

bool CUzPageText::ChooseOtherStatementName()
{
    if (!AskYesNoText(Cp1250("Uložit účetní závěrku pod jiným jménem ?")))
        return false;
    std::string name = g_doc.m_strPath.substr(g_doc.m_strPath.find_last_of('/') + 1);
    std::string home;
    if (FileNameBytes(QDir::homePath(), home))
        name = home + "/" + name;
    const std::string title = Cp1250("Uložit účetní závěrku jako");
    // The same tests as a statement chosen on the first page, and never the
    // text file's name.
    while (SaveFileName(name, title, StatementFileFilter(), ".BIL")) {
        const std::string folder = name.substr(0, name.find_last_of('/') + 1);
        const bool exists = access(name.c_str(), F_OK) == 0;
        if (SameFile(name, m_strFile)) {
            AppMessageBox(LoadText(10022), MB_ICONEXCLAMATION | MB_OK);
        } else if (fileio::IsSpecialFile(name)) {
            ShowFileError(10006, MB_ICONHAND, name, fileio::kNotRegularFile);
        } else if (exists ? access(name.c_str(), R_OK | W_OK) != 0
                          : access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) {
            ShowMessage(exists ? 10004 : 10005);
        } else {
            g_doc.m_strPath = name;
            // What is there now is what the user chose to replace.
            g_doc.m_identity = fileio::IdentifyFile(name);
            return true;
        }
    }
    return false;
}

bool CUzPageText::OnWizardFinish()
{
    if (!UpdateData(true))
        return false;
    const CUzData& data = g_doc.m_data;
    if ((data.m_errors[0].m_nCount != 0 || data.m_errors[1].m_nCount != 0) &&
        !AskYesNo(10019, MB_ICONEXCLAMATION))
        return false;
    // Another program changed, replaced, removed or created the statement
    // file since it was loaded or saved here.
    if (fileio::IdentifyFile(g_doc.m_strPath) != g_doc.m_identity &&
        !AskYesNoText(Cp1250("Soubor ") + cp1250::FromUtf8Lossy(g_doc.m_strPath) +
                      Cp1250(" byl mezitím změněn jiným programem. Přepsat ?")) &&
        !ChooseOtherStatementName())
        return false;
    if (!SaveTextFile())
        return false;
    // A failed save loses nothing: the statement may go under another name.
    while (!g_doc.Save()) {
        g_doc.ShowFileError();
        if (!ChooseOtherStatementName())
            return false;
    }
    return true;
}
