#include "pages/errorpage.h"

#include "checks/rules.h"
#include "framework/ddx.h"
#include "framework/sheet.h"
#include "framework/text.h"
#include "model/document.h"
#include "model/messages.h"
#include "pages/figurepages.h"
#include "pages/markedit.h"
#include "res/dialogs.h"

#include <QLabel>
#include <QListWidget>

#include <cstdio>

namespace {
constexpr int IDC_LIST_CURRENT = 1198;
constexpr int IDC_LIST_PREVIOUS = 1199;
constexpr int IDC_CAPTION_CURRENT = 1206;
constexpr int IDC_CAPTION_PREVIOUS = 1207;
constexpr int IDC_ARITHMETIC = 1208;

std::string Caption(const char* formatUtf8, int count)
{
    char text[64];
    std::snprintf(text, sizeof text, formatUtf8, count);
    return Cp1250(text);
}
} // namespace

CUzPageErrors::CUzPageErrors() : CUzDataPage(IDD_ERRORS) {}

void CUzPageErrors::DoDataExchange(CDataExchange& dx)
{
    DDX_Control(dx, IDC_LIST_CURRENT, m_listCurrent);
    DDX_Control(dx, IDC_LIST_PREVIOUS, m_listPrevious);
    DDX_Text(dx, IDC_CAPTION_CURRENT, m_strCurrent);
    DDX_Text(dx, IDC_CAPTION_PREVIOUS, m_strPrevious);
}

bool CUzPageErrors::OnSetActive()
{
    CPropertySheet* sheet = GetParentSheet();
    m_bNext = 0;
    sheet->HideReturnButton(); // back at the review: the way back is walked
    FillErrorLists();
    const CUzData& data = g_doc.m_data;
    m_strCurrent = Caption("Běžný rok [celkem: %d]", data.m_errors[0].m_nCount);
    m_strPrevious = Caption("Minulý rok [celkem: %d]", data.m_errors[1].m_nCount);
    UpdateData(false);
    SetControlName(IDC_LIST_CURRENT, Cp1250("Chyby běžného roku"));
    SetControlName(IDC_LIST_PREVIOUS, Cp1250("Chyby minulého roku"));
    ShowArithmetic();
    sheet->PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return true;
}

void CUzPageErrors::FillErrorLists()
{
    m_listCurrent.ResetContent();
    m_listPrevious.ResetContent();
    CUzData& data = g_doc.m_data;
    data.ClearMarks();
    if (data.CheckAll())
        return;
    CListBox* lists[kYearCount] = {&m_listCurrent, &m_listPrevious};
    for (int year = 0; year < kYearCount; ++year) {
        const CUzFailedRules& failed = data.m_errors[year];
        for (int i = 0; i < failed.m_nCount; ++i) {
            if (lists[year]->AddString(g_ruleCaptions[failed.m_aRule[i]]) != i) {
                AppMessageBox(LoadText(10018), MB_ICONHAND | MB_OK);
                return;
            }
        }
    }
}

void CUzPageErrors::OnCommand(int id, Notify code)
{
    if (id != IDC_LIST_CURRENT && id != IDC_LIST_PREVIOUS)
        return;
    if (code == Notify::SetFocus)
        m_focusYear = id == IDC_LIST_PREVIOUS;
    if (code == Notify::SetFocus || code == Notify::SelChange)
        ShowArithmetic();
    if (code != Notify::DblClk)
        return;
    if (id == IDC_LIST_CURRENT)
        OnDblclkCurrent();
    else
        OnDblclkPrevious();
}

void CUzPageErrors::ShowArithmetic()
{
    auto* line = Control<QLabel>(IDC_ARITHMETIC);
    const CUzData& data = g_doc.m_data;
    CListBox* lists[kYearCount] = {&m_listCurrent, &m_listPrevious};
    const CUzFailedRules& failed = data.m_errors[m_focusYear];
    const int index = lists[m_focusYear]->GetCurSel();
    QString text, sum;
    if (data.m_errors[0].m_nCount == 0 && data.m_errors[1].m_nCount == 0) {
        text = QStringLiteral("Všechna součtová pravidla platí.");
    } else if (index >= 0 && index < failed.m_nCount) {
        const RuleArithmetic a = DescribeRule(data, failed.m_aRule[index], m_focusYear);
        const QString comparison = QStringLiteral(": ") + QString::fromStdString(a.comparison);
        // The figures are the point: a caption too long for the line gives way.
        const QFontMetrics fm(line->font());
        const int room = line->contentsRect().width() - fm.horizontalAdvance(comparison);
        text = fm.elidedText(QString::fromStdString(a.caption), Qt::ElideRight, room) + comparison;
        sum = QString::fromStdString(a.sum);
    }
    line->setText(text);
    line->setToolTip(sum);
    for (CListBox* list : lists)
        list->m_pCtrl->setAccessibleDescription(list == lists[m_focusYear] ? sum : QString());
}

void CUzPageErrors::OnDblclkCurrent()
{
    OnDblclk(m_listCurrent, 0);
}

void CUzPageErrors::OnDblclkPrevious()
{
    OnDblclk(m_listPrevious, 1);
}

void CUzPageErrors::OnDblclk(CListBox& list, int year)
{
    CPropertySheet* sheet = GetParentSheet();
    const int index = list.GetCurSel();
    CUzData& data = g_doc.m_data;
    if (index < 0 || index >= data.m_errors[year].m_nCount)
        return;
    const int rule = data.m_errors[year].m_aRule[index];
    CUzItem* const* items = &data.m_ruleItems[RuleStart(rule, year)];
    const int page = CUzData::MarkRule(items, RuleSize(rule));
    g_markedRule = g_ruleCaptions[rule];
    const int self = sheet->GetActiveIndex();
    // On the page of the sum, the sum itself takes the focus: the figure the
    // user is most likely to correct.
    if (!sheet->SetActivePage(page))
        return;
    // Until the review is seen again, one press brings it back from any page.
    sheet->ShowReturnButton(QStringLiteral("&Ke kontrole"), self);
    if (auto* figures = dynamic_cast<CUzFigurePage*>(sheet->GetPage(page)))
        figures->FocusItem(*items[0]);
}

bool CUzPageErrors::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    const CUzData& data = g_doc.m_data;
    if (m_bNext == 1 && (data.m_errors[0].m_nCount != 0 || data.m_errors[1].m_nCount != 0))
        ShowMessage(10020);
    return true;
}
