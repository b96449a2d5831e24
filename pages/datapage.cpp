#include "pages/datapage.h"

#include "pages/markedit.h"
#include "framework/ddx.h"
#include "framework/page.h"
#include "framework/sheet.h"
#include "model/completeness.h"
#include "model/document.h"
#include "model/item.h"
#include "model/messages.h"

#include <QWidget>

#include <algorithm>

bool CUzDataPage::OnSetActive()
{
    CPropertySheet* sheet = GetParentSheet();
    m_bNext = 0;
    UpdateData(false);
    sheet->PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return true;
}

bool CUzDataPage::OnQueryCancel()
{
    return AskCancel();
}

int CUzDataPage::OnWizardBack()
{
    m_bNext = 0;
    return CPropertyPage::OnWizardBack();
}

int CUzDataPage::OnWizardNext()
{
    m_bNext = 1;
    return CPropertyPage::OnWizardNext();
}

bool AskCancel()
{
    return AskYesNo(10029, MB_ICONEXCLAMATION);
}

void ExchangeTextItem(CDataExchange& dx, CUzItem& item, int edit, int label)
{
    if (!dx.m_bSaveAndValidate)
        dx.m_pDlgWnd->SetControlName(edit, item.m_strLabel);
    DDX_Control(dx, edit, item.m_edit);
    DDX_Text(dx, edit, item.m_strValue);
    DDX_Text(dx, label, item.m_strLabel);
    // A text without a limit still may not outgrow what a statement file can
    // bring back.
    DDV_MaxChars(dx, item.m_strValue, item.m_nMaxLen >= 0 ? item.m_nMaxLen : kMaxTextLength);
}

void ExchangeNumberItem(CDataExchange& dx, CUzItem& item, int edit, int label)
{
    if (!dx.m_bSaveAndValidate)
        dx.m_pDlgWnd->SetControlName(edit, item.m_strLabel);
    DDX_Control(dx, edit, item.m_edit);
    DDX_Text(dx, edit, item.m_nNumber);
    DDX_Text(dx, label, item.m_strLabel);
}

void ExchangeItems(CDataExchange& dx, std::span<const ItemField> fields)
{
    for (const ItemField& f : fields) {
        CUzItem& item = g_doc.m_data.EditItem(f.tag);
        if (f.number)
            ExchangeNumberItem(dx, item, f.edit, f.label);
        else
            ExchangeTextItem(dx, item, f.edit, f.label);
    }
}

void BoldLabels(CPropertyPage& page, std::span<const ItemField> fields, std::span<const int> tags)
{
    for (const ItemField& f : fields) {
        QWidget* label = page.GetDlgItem(f.label);
        if (!label || std::find(tags.begin(), tags.end(), f.tag) == tags.end())
            continue;
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
}

void RefuseForm(CPropertyPage& page, std::span<const ItemField> fields, int id,
                const CheckStop& stop)
{
    if (stop.message)
        ShowMissingField(id, g_doc.m_data, stop.tag);
    for (const ItemField& f : fields)
        if (f.tag == stop.tag)
            page.GotoDlgCtrl(page.GetDlgItem(f.edit));
}
