#pragma once
// What taking over an official statement would do to Bil's statement: per
// Bil row the figures now and after, their status and source, and a summary
// (form, counts, rounding, the sum rules that would fail, rows left over).
// Nothing changes until Apply. The preview dialog and `bil --import` show
// this; the wizard applies it on "Převzít", the command line to a file.
//
// Texts are QString (see official.h); the statement's labels are converted
// from Windows-1250 once, when the proposal is made.

#include "import/mapping.h"
#include "import/official.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CUzData;

namespace bilimport {

// Which year's figures are taken over.
enum class Years { Both, Current, Previous };
bool Takes(Years years, int year); // year: 0 current, 1 previous

struct RowProposal {
    int item = 0;               // current-year tag; the previous year is item + 1
    QString label;              // Bil's label without its leading blanks
    std::int32_t now[2] = {};   // in the statement now, by year
    std::int32_t value[2] = {}; // after taking over
    Status status = Status::Exact;
    // "nelze určit" with a value in the statement: it stays ("ponechána hodnota").
    bool kept[2] = {};
    int adjusted[2] = {}; // crowns rounded to thousands, then evened out by this ("dorovnáno ±N")
    QString source;       // "UA 68 + UA 71 (C.III. + C.IV.)"

    bool Changes(int year) const { return now[year] != value[year]; }
    QString StatusLine() const; // "přesně", "nelze určit (ponechána hodnota)", "součet, dorovnáno +1"
};

struct Adjustment {
    int item; // current-year tag
    int year;
    int delta; // thousands
};

struct FailingRule {
    int year;
    int rule;        // 0 to 14, as the error page numbers them
    QString caption; // g_ruleCaptions
};

// A non-zero row of the source that no Bil row takes: one the form does not
// have (every row it has lies inside a total that Bil takes).
struct LeftOver {
    QString row;   // table, line and mark as the file has them: "vzz 99 Z."
    QString text;
    QString value[2]; // in the source's units, "1 234" or "1 234,50 Kč"
};

class Proposal {
public:
    // Builds the proposal for `existing` (read only). False when a figure
    // comes out beyond 32 bits: `error` names the file, the row and the year.
    static bool Make(const Statement& source, const CUzData& existing, Proposal& out, QString& error);

    const std::vector<RowProposal>& Rows() const { return m_rows; } // 51, in tag order
    bool FromXml() const { return m_fromXml; } // otherwise a CSV, whose unit the user tells
    const RowProposal& Row(int item) const;

    // "přiznání DPPDP9 (XML), plný rozsah, v tisících Kč"
    QString SourceDescription() const;
    // Figures that come from the source, and those it cannot determine.
    int Taken(Years years) const;
    int Undetermined(Years years) const;
    std::vector<Adjustment> Adjustments(Years years) const;
    // The sum rules that would fail after Apply(…, years): year 0 first,
    // each year in rule order, as the error page would list them.
    std::vector<FailingRule> FailingRules(Years years) const;
    const std::vector<LeftOver>& LeftOvers() const { return m_leftOvers; }

    // The summary above the rows, a line each: source, counts, every
    // adjustment, the failing rules, the rows left over.
    QStringList Summary(Years years) const;
    // The whole preview as text for standard output: the summary, then a
    // line per Bil row with label, current, previous and status (figures
    // after taking over), columns aligned, '\n' line ends.
    QString Text(Years years) const;

    // Writes the figures of `years` into `data` (only m_nNumber, as the
    // pages do) and clears the marks. The figures are those proposed for
    // the statement `Make` was given.
    void Apply(CUzData& data, Years years) const;

private:
    QString m_file;
    bool m_fromXml = false;
    Unit m_unit = Unit::Thousands;
    Extent m_extent = Extent::Full;
    bool m_extentDeclared = false;
    Accruals m_accruals = Accruals::None;
    std::vector<RowProposal> m_rows;
    std::vector<Adjustment> m_adjustments;
    std::vector<LeftOver> m_leftOvers;
};

} // namespace bilimport
