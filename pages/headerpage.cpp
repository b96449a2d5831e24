#include "pages/headerpage.h"

#include "framework/ddx.h"
#include "framework/sheet.h"
#include "model/completeness.h"
#include "model/document.h"
#include "model/messages.h"
#include "model/opinions.h"
#include "res/dialogs.h"

#include <QLabel>

namespace {

constexpr int IDC_OPINION = 1028;
constexpr int IDC_OPINION_LABEL = 1029;
// The opinion comes last and is exchanged apart: it is a list, not an edit.
constexpr ItemField kFields[] = {
    {1, 1010, 1011}, {2, 1013, 1012, true}, {3, 1017, 1016}, {4, 1015, 1014}, {5, 1019, 1018},
    {6, 1021, 1020}, {7, 1023, 1022}, {8, 1025, 1024}, {9, 1027, 1026},
    {kOpinionTag, IDC_OPINION, IDC_OPINION_LABEL},
};
constexpr auto kEdits = std::span(kFields).first(std::size(kFields) - 1);

} // namespace

CUzPageHlava::CUzPageHlava() : CUzDataPage(IDD_HLAVA) {}

void CUzPageHlava::DoDataExchange(CDataExchange& dx)
{
    ExchangeItems(dx, kEdits);
    CUzItemBase& opinion = g_doc.m_data.Item(kOpinionTag);
    DDX_Text(dx, IDC_OPINION, opinion.m_strValue);
    DDX_Text(dx, IDC_OPINION_LABEL, opinion.m_strLabel);
    // Next takes the choice over once the form is complete; a draft at once.
    if (dx.m_bQuiet)
        opinion.m_nNumber = m_opinions.GetCurSel();
}

bool CUzPageHlava::OnInitDialog()
{
    CDataExchange dx(this, false);
    DDX_Control(dx, IDC_OPINION, m_opinions);
    for (int i = 0; i < kOpinionCount; ++i)
        m_opinions.AddString(*OpinionText(i));
    // A drop-down list is named by its value; its label is a relation.
    if (auto* label = Control<QLabel>(IDC_OPINION_LABEL))
        label->setBuddy(GetDlgItem(IDC_OPINION));
    BoldLabels(*this, kFields, RequiredTexts(Form::Header));
    return CUzDataPage::OnInitDialog();
}

bool CUzPageHlava::OnSetActive()
{
    CUzDataPage::OnSetActive();
    // A drop-down list shows nothing new when loaded: the number selects.
    m_opinions.SetCurSel(g_doc.m_data.Item(kOpinionTag).m_nNumber);
    return true;
}

bool CUzPageHlava::OnKillActive()
{
    if (m_bNext == 0)
        return AskYesNo(10012, MB_ICONEXCLAMATION);
    if (!UpdateData(true))
        return false;
    CUzData& data = g_doc.m_data;
    CheckStop stop;
    if (!data.CheckHeader(&stop)) {
        RefuseForm(*this, kFields, 10011, stop);
        return false;
    }
    const int selected = m_opinions.GetCurSel();
    data.Item(kOpinionTag).m_nNumber = selected;
    if (selected < 0) {
        RefuseForm(*this, kFields, 10011, {kOpinionTag, true});
        return false;
    }
    return true;
}
