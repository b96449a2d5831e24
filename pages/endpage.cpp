#include "pages/endpage.h"

#include "model/document.h"
#include "res/dialogs.h"

namespace {

constexpr ItemField kFields[] = {
    {113, 1193, 1192}, {114, 1195, 1194}, {115, 1201, 1200}, {116, 1197, 1196},
    {117, 1203, 1202}, {118, 1205, 1204}, {119, 1207, 1206}, {120, 1209, 1208},
    {121, 1211, 1210}, {122, 1213, 1212},
};

} // namespace

CUzPageEnd::CUzPageEnd() : CUzDataPage(IDD_END) {}

void CUzPageEnd::DoDataExchange(CDataExchange& dx)
{
    ExchangeItems(dx, kFields);
}
