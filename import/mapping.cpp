#include "import/mapping.h"

#include <QStringList>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace bilimport {

namespace {

// Forms a line of the table holds for: P full, Z small, M micro.
enum Forms : unsigned { P = 1, Z = 2, M = 4, PZ = P | Z, ZM = Z | M, PZM = P | Z | M };

enum Kind { Exact, Sum, ExactOrSum, Computed, None };

struct Entry {
    int item;
    unsigned forms;
    Kind kind;
    const char* formula; // "UA 37 - UA 78"; [63] is Bil row 63's final value; "0"
    const char* note = "";
};

// Current year; the previous year the same. Rows a form lacks are None.
constexpr Entry kMap[] = {
    {11, PZM, Exact, "UA 1"},
    {13, PZM, Exact, "UA 2"},
    {15, PZM, Exact, "UA 3"},
    {17, PZ, Exact, "UA 4"}, {17, M, None, ""},
    {19, PZ, Exact, "UA 14"}, {19, M, None, ""},
    {21, PZ, Exact, "UA 27"}, {21, M, None, ""},
    {23, P, Exact, "UA 28"}, {23, ZM, None, ""},
    {25, PZM, ExactOrSum, "UA 37 - UA 78"},
    {27, PZ, Exact, "UA 38"}, {27, M, None, ""},
    {29, PZ, Exact, "UA 47"}, {29, M, None, ""},
    {31, PZ, Exact, "UA 57"}, {31, M, None, ""},
    {33, PZ, Sum, "UA 68 + UA 71"}, {33, M, None, ""},
    {35, PZM, ExactOrSum, "UA 74 + UA 78"},
    {37, PZM, Exact, "UD 1"},
    {39, PZM, Exact, "UD 2"},
    {41, PZ, Exact, "UD 3"}, {41, M, None, ""},
    {43, P, Exact, "UD 4"}, {43, ZM, None, ""},
    {45, PZ, Exact, "UD 7"}, {45, M, None, ""},
    {47, PZ, Exact, "UD 15"}, {47, M, None, ""},
    {49, PZ, ExactOrSum, "UD 18 + UD 23"}, {49, M, None, ""},
    {51, PZ, Exact, "UD 22"}, {51, M, Computed, "UB 55"},
    {53, PZM, ExactOrSum, "UD 24 - UD 67"},
    {55, PZM, Exact, "UD 25"},
    // A small company's form keeps bank loans inside C.I. and C.II.: a kept
    // loan is taken out of them so that the liabilities still add up.
    {57, P, Sum, "UD 31 - UD 35"}, {57, Z, ExactOrSum, "UD 31 - [63]"}, {57, M, None, ""},
    {59, P, Sum, "UD 46 - UD 50 - UD 58"}, {59, Z, ExactOrSum, "UD 46 - [61] + [63]"}, {59, M, None, ""},
    {61, P, Sum, "UD 35 + UD 50 + UD 58"}, {61, ZM, None, ""},
    {63, P, Exact, "UD 35"}, {63, ZM, None, ""},
    {65, PZM, ExactOrSum, "UD 64 + UD 67"},
    {67, PZM, Sum, "UB 1 + UB 2 - UB 7 - UB 8"},
    {69, PZM, Sum, "UB 1 + UB 2"},
    {71, PZM, Exact, "- UB 7"},
    {73, PZM, Exact, "- UB 8"},
    {75, PZM, Exact, "UB 3"},
    {77, PZM, Computed, "[67] - [75]"},
    {79, PZM, Exact, "UB 9"},
    {81, P, Exact, "UB 16"}, {81, ZM, Exact, "UB 14"},
    {83, PZM, Computed, "0", "0 (výkaz je započítává v nákladech)"},
    {85, P, Sum, "UB 17 + UB 18 + UB 19 + UB 28"}, {85, ZM, None, ""},
    {87, PZM, Exact, "UB 20"},
    {89, P, Sum, "UB 24 - UB 28"}, {89, ZM, Exact, "UB 24"},
    {91, PZM, Exact, "UB 30"},
    {93, PZM, Computed, "0", "0 (výkaz je započítává v nákladech)"},
    {95, PZM, Exact, "UB 42"},
    {97, PZM, Sum, "UB 31 + UB 35 + UB 39 + UB 46"},
    {99, PZM, Sum, "UB 34 + UB 38 + UB 43 + UB 47 + UB 50 + UB 54"},
    {101, PZM, Sum, "UB 48 - UB 50 - UB 54"},
    {103, PZM, ExactOrSum, "UB 53 - UB 54"},
    {105, PZM, Computed, "0", "0 (mimořádné položky výkaz od roku 2016 nemá)"},
    {107, PZM, Computed, "0", "0 (mimořádné položky výkaz od roku 2016 nemá)"},
    {109, PZM, Computed, "0", "0 (mimořádné položky výkaz od roku 2016 nemá)"},
    {111, PZM, Exact, "UB 55"},
};

[[noreturn]] void BadTable(int item, const char* why)
{
    std::fprintf(stderr, "bil: mapping of row %d: %s\n", item, why);
    std::abort();
}

std::vector<Term> Parse(const Entry& e)
{
    std::vector<Term> terms;
    const QStringList words = QString::fromUtf8(e.formula).split(QChar(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words == QStringList{"0"})
        return terms;
    int sign = +1;
    bool wantOperand = true;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        if (w == "+" || w == "-") {
            // Only the first term may have a sign of its own.
            if (wantOperand && (!terms.empty() || sign < 0))
                BadTable(e.item, "two operators in a row");
            sign = w == "-" ? -1 : +1;
            wantOperand = true;
            continue;
        }
        if (!wantOperand)
            BadTable(e.item, "two operands in a row");
        Term t{false, Table::Assets, 0, sign};
        bool ok = false;
        if (w.startsWith('[') && w.endsWith(']')) {
            t.isItem = true;
            t.number = w.mid(1, w.size() - 2).toInt(&ok);
            ok = ok && t.number % 2 == 1 && t.number >= kFirstRowItem && t.number <= kLastRowItem;
        } else if (i + 1 < words.size()) {
            t.table = w == "UA" ? Table::Assets : w == "UD" ? Table::Liabilities : Table::ProfitLoss;
            t.number = words[++i].toInt(&ok);
            ok = ok && (w == "UA" || w == "UD" || w == "UB") && FindRow(t.table, t.number);
        }
        if (!ok)
            BadTable(e.item, "not a row");
        terms.push_back(t);
        wantOperand = false;
    }
    if (wantOperand)
        BadTable(e.item, "ends with an operator");
    return terms;
}

struct Built {
    // [row index][extent]
    std::array<std::array<Formula, 3>, kBilRowCount> formulas;
};

const Built& TheMapping()
{
    static const Built built = [] {
        Built b;
        std::array<std::array<bool, 3>, kBilRowCount> seen{};
        for (const Entry& e : kMap) {
            const std::size_t row = static_cast<std::size_t>((e.item - kFirstRowItem) / 2);
            if (e.item % 2 == 0 || row >= kBilRowCount)
                BadTable(e.item, "not a figure row");
            Formula f;
            f.item = e.item;
            f.status = e.kind == Exact || e.kind == ExactOrSum ? Status::Exact
                       : e.kind == Sum                        ? Status::Sum
                       : e.kind == Computed                   ? Status::Computed
                                                              : Status::Undetermined;
            f.exactUnlessExtra = e.kind == ExactOrSum;
            f.terms = Parse(e);
            f.note = QString::fromUtf8(e.note);
            const std::size_t n = f.terms.size();
            if ((e.kind == Exact && n != 1) || ((e.kind == Sum || e.kind == ExactOrSum) && n < 2) ||
                (e.kind == None && n != 0))
                BadTable(e.item, "status and terms disagree");
            for (std::size_t x = 0; x < 3; ++x) {
                if (!(e.forms & (1u << x)))
                    continue;
                if (seen[row][x])
                    BadTable(e.item, "two formulas for one form");
                seen[row][x] = true;
                b.formulas[row][x] = f;
            }
        }
        for (std::size_t row = 0; row < kBilRowCount; ++row) {
            if (!seen[row][0] || !seen[row][1] || !seen[row][2])
                BadTable(static_cast<int>(kFirstRowItem + 2 * row), "a form without a formula");
            // Rows are computed in two rounds: a row named in a formula has
            // none of its own.
            for (std::size_t x = 0; x < 3; ++x)
                for (const Term& t : b.formulas[row][x].terms)
                    if (t.isItem)
                        for (const Term& u : b.formulas[static_cast<std::size_t>((t.number - kFirstRowItem) / 2)][x].terms)
                            if (u.isItem)
                                BadTable(t.number, "named in a formula, has a row of its own");
        }
        return b;
    }();
    return built;
}

} // namespace

QString StatusText(Status status)
{
    switch (status) {
    case Status::Exact:
        return QStringLiteral("přesně");
    case Status::Sum:
        return QStringLiteral("součet");
    case Status::Computed:
        return QStringLiteral("vypočteno");
    case Status::Undetermined:
        break;
    }
    return QStringLiteral("nelze určit");
}

const Formula& FormulaFor(int item, Extent extent)
{
    return TheMapping().formulas[static_cast<std::size_t>((item - kFirstRowItem) / 2)]
                                [static_cast<std::size_t>(extent)];
}

} // namespace bilimport
