#include "pages/datapage.h"

#include "framework/sheet.h"
#include "model/messages.h"

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
