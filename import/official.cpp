#include "import/official.h"

#include <cstring>
#include <string>

namespace bilimport {

namespace {

struct Index {
    std::array<std::array<const OfficialRow*, kMaxLine + 1>, kTableCount> byLine{};
    std::vector<const OfficialRow*> parent; // by position in OfficialRows()
};

const OfficialRow* ByMark(Table table, const char* mark)
{
    for (const OfficialRow& r : OfficialRows())
        if (r.table == table && std::strcmp(r.mark, mark) == 0)
            return &r;
    return nullptr;
}

// B.II.1. is inside B.II., B.II. inside B.; the top marks are inside the
// grand total (the liabilities' B. and C. inside B.+C. first). The profit
// and loss has no grand total: its results are differences, not parents.
const OfficialRow* FindParent(const OfficialRow& row)
{
    const std::string mark = row.mark;
    if (mark.empty() || mark[0] == '*')
        return nullptr;
    // B.+C. is a top row of its own, not a child of B.
    const std::size_t last =
        mark.find('+') == std::string::npos ? mark.find_last_of('.', mark.size() - 2) : std::string::npos;
    if (last != std::string::npos)
        return ByMark(row.table, mark.substr(0, last + 1).c_str());
    if (row.table == Table::ProfitLoss)
        return nullptr;
    if (row.table == Table::Liabilities && (mark == "B." || mark == "C."))
        return ByMark(row.table, "B.+C.");
    return ByMark(row.table, "");
}

const Index& TheIndex()
{
    static const Index index = [] {
        Index ix;
        for (const OfficialRow& r : OfficialRows()) {
            ix.byLine[static_cast<std::size_t>(r.table)][static_cast<std::size_t>(r.line)] = &r;
            ix.parent.push_back(FindParent(r));
        }
        return ix;
    }();
    return index;
}

} // namespace

bool OfficialRow::In(Extent extent) const
{
    // A micro company files the small company's profit and loss.
    if (extent == Extent::Micro && table == Table::ProfitLoss)
        extent = Extent::Small;
    const char letter = extent == Extent::Full ? 'P' : extent == Extent::Small ? 'Z' : 'M';
    return std::strchr(forms, letter) != nullptr;
}

const OfficialRow* FindRow(Table table, int line)
{
    if (line < 1 || line > kMaxLine)
        return nullptr;
    return TheIndex().byLine[static_cast<std::size_t>(table)][static_cast<std::size_t>(line)];
}

const OfficialRow* ParentRow(const OfficialRow& row)
{
    return TheIndex().parent[static_cast<std::size_t>(&row - OfficialRows().data())];
}

const char* TableCode(Table table)
{
    switch (table) {
    case Table::Assets:
        return "UA";
    case Table::Liabilities:
        return "UD";
    case Table::ProfitLoss:
        break;
    }
    return "UB";
}

QString NormalMark(QString mark)
{
    mark.remove(QChar(' ')).remove(QChar(0xA0)).remove(QChar('\t')).remove(QChar(0x202F));
    mark = mark.toUpper();
    if (!mark.isEmpty() && !mark.endsWith(QChar('.')))
        mark += QChar('.');
    return mark;
}

Accruals Statement::AccrualsAt() const
{
    const auto nonZero = [&](Table t, int line) {
        return Value(t, line, 0) != 0 || Value(t, line, 1) != 0;
    };
    const bool inD = nonZero(Table::Assets, 74) || nonZero(Table::Liabilities, 64);
    const bool inC = nonZero(Table::Assets, 78) || nonZero(Table::Liabilities, 67);
    return inD ? (inC ? Accruals::Both : Accruals::InD) : (inC ? Accruals::InC : Accruals::None);
}

} // namespace bilimport
