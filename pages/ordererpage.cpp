#include "pages/ordererpage.h"

#include "framework/sheet.h"
#include "model/completeness.h"
#include "model/document.h"
#include "model/messages.h"
#include "res/dialogs.h"

namespace {

constexpr ItemField kFields[] = {
    {123, 1221, 1219}, {124, 1011, 1220}, {125, 1223, 1222}, {126, 1225, 1224},
    {127, 1227, 1226}, {128, 1229, 1228, true}, {129, 1230, 1231}, {130, 1242, 1240},
    {131, 1233, 1232}, {132, 1235, 1234}, {133, 1239, 1238}, {134, 1237, 1236},
};
constexpr int IDC_COPY_HEADER = 1241;

} // namespace

CUzPageObj::CUzPageObj() : CUzDataPage(IDD_OBJ) {}

void CUzPageObj::DoDataExchange(CDataExchange& dx)
{
    ExchangeItems(dx, kFields);
}

bool CUzPageObj::OnInitDialog()
{
    BoldLabels(*this, kFields, RequiredTexts(Form::Orderer));
    return CUzDataPage::OnInitDialog();
}

bool CUzPageObj::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    CheckStop stop;
    if (m_bNext == 1 && !g_doc.m_data.CheckOrderer(&stop)) {
        RefuseForm(*this, kFields, 10027, stop);
        return false;
    }
    return true;
}

void CUzPageObj::OnCommand(int id, Notify code)
{
    if (id != IDC_COPY_HEADER || code != Notify::Clicked)
        return;
    g_doc.m_data.CopyHeaderToOrderer();
    UpdateData(false);
    GetParentSheet()->OnFieldChanged(); // the user's change, as if typed
}
