#pragma once
// The official statement as the company files it: the balance sheet and the
// profit and loss in the current layout, row by row with the tax portal's
// line numbers, and one such statement read from a file.
//
// User-visible texts here and in the rest of import/ are QString, not the
// model's Windows-1250 bytes: messages name files, whose names may hold any
// character, and both callers (the wizard's dialogs and the command line's
// UTF-8 output) want Unicode anyway. The model's labels are converted once.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bilimport {

enum class Table { Assets, Liabilities, ProfitLoss }; // the portal's UA, UD, UB
inline constexpr int kTableCount = 3;

// The form's extent: full, abridged of a small company, abridged of a micro
// company (which files the small company's profit and loss).
enum class Extent { Full, Small, Micro };

struct OfficialRow {
    Table table;
    int line;          // the portal's line number
    const char* mark;  // "B.II.1.", "*" for results, "" for the grand totals
    const char* forms; // letters of the forms that have the row: P, Z, M
    const char* text;  // UTF-8

    bool In(Extent extent) const; // the form of that extent has the row
};

// The rows in the order of the form (official_rows.cpp).
std::span<const OfficialRow> OfficialRows();
// The row with that line number, or null.
const OfficialRow* FindRow(Table table, int line);
// "UA", "UD", "UB".
const char* TableCode(Table table);
// A mark as compared: blanks removed, upper case, a final dot added ("b. ii"
// and "B.II." are the same). Empty stays empty.
QString NormalMark(QString mark);

inline constexpr int kMaxLine = 81; // highest line number of any table

enum class Unit { Thousands, Crowns };

// Where the accruals are reported: in D. (UA 74, UD 64) or inside
// receivables and liabilities (UA 78 C.II.3., UD 67 C.III.).
enum class Accruals { None, InD, InC, Both };

// A row of a CSV export that the form does not have, kept for listing.
struct UnknownRow {
    int fileLine;
    QString table; // as written
    QString line;  // as written; may be empty
    QString mark;  // as written
    QString text;
    std::int64_t value[2]; // in the statement's units, 0 when empty
};

// One statement read from a file. Values are whole thousands of CZK, or with
// Unit::Crowns hundredths of a crown (haléře), exactly as the file has them.
struct Statement {
    QString fileName;   // for messages
    bool fromXml = false;
    Unit unit = Unit::Thousands;
    Extent extent = Extent::Full;
    bool extentDeclared = false; // from uv_rozsah, not from the rows present

    struct Cell {
        bool present = false;
        int fileLine = 0;               // where the file has it
        std::int64_t value[2] = {0, 0}; // current year, previous year
    };
    std::array<std::array<Cell, kMaxLine + 1>, kTableCount> cells{};
    std::vector<UnknownRow> unknown;

    const Cell& At(Table table, int line) const
    {
        return cells[static_cast<std::size_t>(table)][static_cast<std::size_t>(line)];
    }
    Cell& At(Table table, int line)
    {
        return cells[static_cast<std::size_t>(table)][static_cast<std::size_t>(line)];
    }
    std::int64_t Value(Table table, int line, int year) const { return At(table, line).value[year]; }
    Accruals AccrualsAt() const;
};

} // namespace bilimport
