#include "import/official.h"

#include <cstring>

namespace bilimport {

namespace {

using ByLine = std::array<std::array<const OfficialRow*, kMaxLine + 1>, kTableCount>;

const ByLine& Index()
{
    static const ByLine index = [] {
        ByLine ix{};
        for (const OfficialRow& r : OfficialRows())
            ix[static_cast<std::size_t>(r.table)].at(static_cast<std::size_t>(r.line)) = &r;
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
    if (static_cast<unsigned>(line) > kMaxLine) // line 0 has no row either
        return nullptr;
    return Index()[static_cast<std::size_t>(table)][static_cast<std::size_t>(line)];
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
