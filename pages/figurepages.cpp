#include "pages/figurepages.h"

#include "pages/markedit.h"
#include "framework/ddx.h"
#include "framework/text.h"
#include "model/document.h"
#include "res/dialogs.h"

#include <array>

namespace {

// Control ids per row, as the dialogs number them.
constexpr auto kAktiva = [] {
    std::array<FigureRow, 13> rows{};
    for (int k = 0; k < 13; ++k)
        rows[k] = {k < 4 ? 1038 + k : 1064 + k, 1042 + 2 * k, 1043 + 2 * k, 11 + 2 * k};
    return rows;
}();

constexpr auto kPasiva = [] {
    std::array<FigureRow, 15> rows{};
    for (int k = 0; k < 13; ++k)
        rows[k] = {1083 + k, 1096 + k, 1109 + k, 37 + 2 * k};
    rows[13] = {1077, 1078, 1079, 37 + 26};
    rows[14] = {1080, 1081, 1082, 37 + 28};
    return rows;
}();

constexpr auto kVysledky1 = [] {
    std::array<FigureRow, 12> rows{};
    for (int k = 0; k < 12; ++k)
        rows[k] = {1122 + k, 1134 + k, 1146 + k, 67 + 2 * k};
    return rows;
}();

constexpr auto kVysledky2 = [] {
    std::array<FigureRow, 11> rows{};
    for (int k = 0; k < 11; ++k)
        rows[k] = {1158 + k, 1170 + k, 1181 + k, 91 + 2 * k};
    return rows;
}();

} // namespace

CUzFigurePage::CUzFigurePage(int templateId, std::span<const FigureRow> rows)
    : CUzDataPage(templateId), m_rows(rows)
{
}

void CUzFigurePage::DoDataExchange(CDataExchange& dx)
{
    CUzData& data = g_doc.m_data;
    for (const FigureRow& row : m_rows) {
        CUzItem& current = data.EditItem(row.tag);
        CUzItem& previous = data.EditItem(row.tag + 1);
        DDX_Text(dx, row.label, current.m_strLabel);
        if (!dx.m_bSaveAndValidate) {
            // Screen readers name each amount by its line and year.
            SetControlName(row.current, current.m_strLabel + Cp1250(" – Běžný rok"));
            SetControlName(row.previous, current.m_strLabel + Cp1250(" – Minulý rok"));
        }
        DDX_Control(dx, row.current, current.m_edit);
        DDX_Text(dx, row.current, current.m_nNumber);
        DDX_Control(dx, row.previous, previous.m_edit);
        DDX_Text(dx, row.previous, previous.m_nNumber);
    }
}

void CUzFigurePage::FocusItem(const CUzItemBase& item)
{
    const CUzData& data = g_doc.m_data;
    for (const FigureRow& row : m_rows) {
        if (&data.Item(row.tag) == &item)
            GotoDlgCtrl(GetDlgItem(row.current));
        else if (&data.Item(row.tag + 1) == &item)
            GotoDlgCtrl(GetDlgItem(row.previous));
    }
}

bool CUzFigurePage::OnKillActive()
{
    return UpdateData(true);
}

CUzPageAktiva::CUzPageAktiva() : CUzFigurePage(IDD_AKTIVA, kAktiva) {}
CUzPagePasiva::CUzPagePasiva() : CUzFigurePage(IDD_PASIVA, kPasiva) {}
CUzPageVysledky1::CUzPageVysledky1() : CUzFigurePage(IDD_VYSLEDKY1, kVysledky1) {}
CUzPageVysledky2::CUzPageVysledky2() : CUzFigurePage(IDD_VYSLEDKY2, kVysledky2) {}
