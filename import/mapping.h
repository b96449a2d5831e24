#pragma once
// Bil's figure rows from the official rows: one formula per Bil row and form
// extent, kept as a table in mapping.cpp that reads like the documented one.

#include "import/official.h"

#include <QString>

#include <vector>

namespace bilimport {

// How a Bil row comes from the source, as the preview names it.
enum class Status {
    Exact,        // "přesně": one official row
    Sum,          // "součet": several official rows
    Computed,     // "vypočteno": no official row, computed or 0 by definition
    Undetermined, // "nelze určit": the abridged form lacks the detail
};
QString StatusText(Status status);

inline constexpr int kFirstRowItem = 11; // current-year tags 11, 13, ..., 111
inline constexpr int kLastRowItem = 111;
inline constexpr int kBilRowCount = 51;

struct Term {
    bool isItem;  // a Bil row's final value (current-year tag), not an official row
    Table table;  // official rows only
    int number;   // line number, or the Bil row's current-year tag
    int sign;     // +1 or -1
};

struct Formula {
    int item;       // Bil row, current-year tag
    Status status;  // Exact may turn into Sum, see below
    // Exact as long as every term after the first is 0 in both years (the
    // other accrual variant, A.VI., M., a kept bank loan), else Sum.
    bool exactUnlessExtra = false;
    std::vector<Term> terms;
    QString note; // for rows with no official row: why (Czech)
};

// The formula of Bil row `item` (odd, 11 to 111) in a form of that extent.
const Formula& FormulaFor(int item, Extent extent);

} // namespace bilimport
