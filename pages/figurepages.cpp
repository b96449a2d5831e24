#include "pages/figurepages.h"

#include "framework/ddx.h"
#include "framework/sheet.h"
#include "framework/text.h"
#include "model/catalogue.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "model/messages.h"
#include "import/proposal.h"
#include "import/read.h"
#include "pages/importpreview.h"
#include "pages/markedit.h"
#include "res/dialogs.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int IDC_IMPORT = 1247; // "Načíst…" in the button row

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

constexpr int kFigureW = 367;
constexpr int kLabelW = 218;
constexpr int kCurrentX = 223, kCurrentW = 70;
constexpr int kPreviousX = 298, kPreviousW = 69;
constexpr int kEditH = 12;
constexpr int kFirstRowY = 13;
constexpr int kWrappedRowH = 20; // a label of two lines (8 units each) plus air
// Labels are measured generously: about 4 units per letter. A label that
// would not fit the column wraps onto a second line.
constexpr int kUnitsPerLetter = 4;

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The dialog of a figure page: the years' headings over a line, then a row
// per statement line, its label (on two lines where it is too long for the
// column) beside the edits of both years. Built once per page.
const DialogTemplate& FigureDialog(int id, const char* caption, std::span<const FigureRow> rows)
{
    struct Built {
        std::vector<ControlTemplate> controls;
        std::deque<std::string> texts; // stable addresses for the labels
        DialogTemplate dialog;
    };
    static std::map<int, Built> built;
    auto [it, fresh] = built.try_emplace(id);
    Built& b = it->second;
    if (!fresh)
        return b.dialog;

    std::vector<bool> wrap;
    int wrapped = 0;
    for (const FigureRow& row : rows) {
        const std::size_t letters = cp1250::Utf8Length(Trimmed(CatalogueAt(row.tag).label));
        wrap.push_back(letters * kUnitsPerLetter > std::size_t{kLabelW});
        wrapped += wrap.back();
    }
    // Rows 14 units apart where the page has room, 13 on the longest page.
    const int plain = static_cast<int>(rows.size()) - wrapped;
    const int pitch = kFirstRowY + plain * 14 + wrapped * kWrappedRowH <= kPageH ? 14 : 13;

    b.controls.reserve(3 + 3 * rows.size());
    b.controls.push_back(Label(kNoId, kCurrentX, 0, kCurrentW, 9, "Běžný rok", CtlCenter));
    b.controls.push_back(Label(kNoId, kPreviousX, 0, kPreviousW, 9, "Minulý rok", CtlCenter));
    b.controls.push_back({kNoId, CtlKind::HLine, 0, 10, kFigureW, 1, "", CtlNone});
    int top = kFirstRowY;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const FigureRow& row = rows[k];
        // Labels are centred on their edits, a wrapping one too.
        const int slot = wrap[k] ? kWrappedRowH : pitch;
        const int editY = top + (slot - kEditH) / 2;
        const char* text = b.texts.emplace_back(Trimmed(CatalogueAt(row.tag).label)).c_str();
        if (wrap[k])
            b.controls.push_back(Label(row.label, 0, top + 1, kLabelW, slot - 2, text, CtlWordWrap));
        else
            b.controls.push_back(Label(row.label, 0, editY + 1, kLabelW, kEditH - 2, text));
        b.controls.push_back(Field(row.current, kCurrentX, editY, kCurrentW));
        b.controls.push_back(Field(row.previous, kPreviousX, editY, kPreviousW));
        top += slot;
    }
    b.dialog = {id, caption, kFigureW, kPageH, b.controls};
    return b.dialog;
}

// A pasted amount as spreadsheets copy it: digit groups apart by a blank or
// a no-break space, and either minus sign, which typed figures may not have.
// Empty with the reason when it is none.
QString PastedAmount(const QString& cell, QString& plain)
{
    static const QRegularExpression amount(
        QStringLiteral("^[-+\u2212]?(\\d+|\\d{1,3}([ \u00A0\u202F]\\d{3})+)$"));
    const QString s = cell.trimmed();
    if (!amount.match(s).hasMatch())
        return QStringLiteral("není celé číslo");
    plain.clear();
    for (QChar c : s)
        if (c.isDigit() || c == u'-' || c == u'+')
            plain += c;
        else if (c == QChar(0x2212))
            plain += u'-';
    std::int32_t value = 0;
    if (!ParseInt32(plain.toStdString(), value))
        return QStringLiteral("má číslo mimo rozsah od -2147483648 do 2147483647");
    return {};
}

void RefusePaste(const QString& why)
{
    std::string text;
    ToCp1250(QStringLiteral("Nic nebylo vloženo: ") + why + u'.', text);
    AppMessageBox(text, MB_ICONEXCLAMATION | MB_OK);
}

} // namespace

CUzFigurePage::CUzFigurePage(int templateId, const char* caption, std::span<const FigureRow> rows)
    : CUzDataPage(FigureDialog(templateId, caption, rows)), m_rows(rows)
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

bool CUzFigurePage::OnInitDialog()
{
    for (std::size_t k = 0; k < m_rows.size(); ++k) {
        for (int year : {0, 1}) {
            auto* edit = dynamic_cast<CEditCtrl*>(GetDlgItem(year ? m_rows[k].previous : m_rows[k].current));
            if (edit)
                edit->m_onPaste = [this, k, year](const QString& text) {
                    Paste(k, year, text);
                    return true;
                };
        }
    }
    AddSheetButton(IDC_IMPORT, QStringLiteral("&Načíst…"));
    return CUzDataPage::OnInitDialog();
}

void CUzFigurePage::OnCommand(int id, Notify code)
{
    if (id == IDC_IMPORT && code == Notify::Clicked)
        OnImport();
    else
        CUzDataPage::OnCommand(id, code);
}

void CUzFigurePage::OnImport()
{
    // The page's typing first, as Next takes it: a refused figure opens nothing.
    if (!UpdateData(true))
        return;
    const std::string& path = g_doc.m_strPath;
    static const std::string filter = Cp1250("Přiznání nebo export (*.xml, *.csv)") + '\0' +
                                      "*.xml;*.csv;*.XML;*.CSV" + '\0' + Cp1250("Všechny soubory (*.*)") +
                                      '\0' + "*.*" + '\0';
    std::string source;
    if (!BrowseFileName(source, Cp1250("Načíst čísla ze souboru"), filter, "",
                        path.substr(0, path.rfind('/') + 1)))
        return;
    const ImportReread read = [&source](bool crowns, bilimport::Proposal& out, QString& error) {
        bilimport::Statement st;
        return bilimport::ReadSource(source, {.crowns = crowns}, st, error) == bilimport::ReadStatus::Ok &&
               bilimport::Proposal::Make(st, g_doc.m_data, out, error);
    };
    bilimport::Proposal proposal;
    bilimport::Years years = bilimport::Years::Both;
    if (QString error; !read(false, proposal, error)) {
        ShowImportError(error);
        return;
    }
    if (!RunImportPreview(this, proposal, read, years))
        return;
    proposal.Apply(g_doc.m_data, years);
    UpdateData(false);
    GetParentSheet()->OnPageTakenOver(GetParentSheet()->GetActiveIndex());
}

void CUzFigurePage::Paste(std::size_t row, int year, const QString& text)
{
    const auto edit = [this](std::size_t k, int y) {
        return static_cast<CEditCtrl*>(GetDlgItem(y ? m_rows[k].previous : m_rows[k].current));
    };
    QStringList lines = text.split(u'\n');
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast(); // the last line's end
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    if (lines.size() == 1) {
        edit(row, year)->insert(lines.front());
        return;
    }
    if (std::size_t(lines.size()) > m_rows.size() - row) {
        RefusePaste(QStringLiteral("ve schránce je víc řádků (%1), než kolik jich stránka má od tohoto "
                                   "pole dolů (%2)")
                        .arg(lines.size())
                        .arg(m_rows.size() - row));
        return;
    }
    std::vector<std::pair<CEditCtrl*, QString>> filled;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        QString why;
        if (lines[i].trimmed().isEmpty())
            why = QStringLiteral("je prázdný");
        else if (cells.size() > 2 - year)
            why = QStringLiteral("má víc čísel, než je od tohoto pole sloupců");
        for (qsizetype c = 0; c < cells.size() && why.isEmpty(); ++c) {
            filled.emplace_back(edit(row + std::size_t(i), year + int(c)), QString());
            why = PastedAmount(cells[c], filled.back().second);
        }
        if (!why.isEmpty()) {
            RefusePaste(QStringLiteral("%1. řádek schránky %2").arg(i + 1).arg(why));
            return;
        }
    }
    for (const auto& [field, amount] : filled)
        field->setText(amount);
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

CUzPageAktiva::CUzPageAktiva()
    : CUzFigurePage(IDD_AKTIVA, "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Aktiva)", kAktiva)
{
}
CUzPagePasiva::CUzPagePasiva()
    : CUzFigurePage(IDD_PASIVA, "Bil - Účetní závěrka pro KT - Rozvaha v tis. Kč (Pasiva)", kPasiva)
{
}
CUzPageVysledky1::CUzPageVysledky1()
    : CUzFigurePage(IDD_VYSLEDKY1, "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (1)",
                    kVysledky1)
{
}
CUzPageVysledky2::CUzPageVysledky2()
    : CUzFigurePage(IDD_VYSLEDKY2, "Bil - Účetní závěrka pro KT - Výkaz zisků a ztrát v tis. Kč (2)",
                    kVysledky2)
{
}
