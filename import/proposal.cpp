#include "import/proposal.h"

#include "checks/rules.h"
#include "model/cp1250.h"
#include "model/data.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace bilimport {

namespace {

constexpr std::size_t RowIndex(int item)
{
    return static_cast<std::size_t>((item - kFirstRowItem) / 2);
}

QString FromCp1250(const std::string& text)
{
    std::string utf8;
    cp1250::ToUtf8(text, utf8);
    return QString::fromStdString(utf8);
}

QString YearName(int year)
{
    return year == 0 ? QStringLiteral("běžný rok") : QStringLiteral("minulý rok");
}

QString Signed(int n)
{
    return (n > 0 ? QStringLiteral("+") : QStringLiteral("−")) + QString::number(std::abs(n));
}

// A rule as the check engine has it: sum item and signed addends (current
// year). The signs are asked of the engine itself, so that rounding evens
// out exactly what the error page checks.
struct Rule {
    int sum = 0;
    std::vector<std::pair<int, int>> addends; // tag, sign
};

const std::array<Rule, kRuleCount>& Rules()
{
    static const auto rules = [] {
        std::array<Rule, kRuleCount> out;
        CUzData probe;
        const auto tagOf = [&](const CUzItem* item) {
            int tag = kFirstFigureTag;
            while (&probe.EditItem(tag) != item)
                ++tag;
            return tag;
        };
        for (int r = 0; r < kRuleCount; ++r) {
            const CUzItem* const* items = &probe.m_ruleItems[static_cast<std::size_t>(RuleStart(r, 0))];
            Rule& rule = out[static_cast<std::size_t>(r)];
            rule.sum = tagOf(items[0]);
            for (int a = 1; a < RuleSize(r); ++a) {
                const int tag = tagOf(items[a]);
                // Sum 1 and this addend 1: the rule holds only if it adds.
                probe.ClearValues();
                probe.Item(rule.sum).m_nNumber = 1;
                probe.Item(tag).m_nNumber = 1;
                const CUzFailedRules failed = probe.FailedRules()[0];
                const bool holds = std::find(failed.m_aRule, failed.m_aRule + failed.m_nCount, r) ==
                                   failed.m_aRule + failed.m_nCount;
                rule.addends.emplace_back(tag, holds ? +1 : -1);
            }
        }
        return out;
    }();
    return rules;
}

// Totals before their parts, numbered from 0 as the engine numbers them.
constexpr int kEvenOutOrder[] = {0, 14, 1, 2, 3, 4, 5, 6, 13, 11, 9, 8, 7, 10, 12};

std::int64_t RoundHalfAway(std::int64_t value, std::int64_t unit)
{
    const std::int64_t q = (std::abs(value) + unit / 2) / unit;
    return value < 0 ? -q : q;
}

QString FormatSource(std::int64_t value, Unit unit)
{
    if (unit == Unit::Thousands)
        return QString::number(value);
    const std::int64_t a = std::abs(value);
    return QStringLiteral("%1%2,%3 Kč")
        .arg(value < 0 ? QStringLiteral("-") : QString(), QString::number(a / 100),
             QStringLiteral("%1").arg(a % 100, 2, 10, QChar(u'0')));
}

struct Work {
    std::int64_t exact[kBilRowCount][2] = {}; // source units
    std::int64_t value[kBilRowCount][2] = {}; // thousands
    bool adjustable[kBilRowCount] = {};
};

} // namespace

bool Takes(Years years, int year)
{
    return years == Years::Both || (years == Years::Current) == (year == 0);
}

QString RowProposal::StatusLine() const
{
    QString s = StatusText(status);
    if (kept[0] || kept[1])
        s += QStringLiteral(" (ponechána hodnota)");
    for (int year = 0; year < 2; ++year)
        if (adjusted[year])
            s += QStringLiteral(", dorovnáno %1 (%2)").arg(Signed(adjusted[year]), YearName(year));
    return s;
}

bool Proposal::Make(const Statement& source, const CUzData& existing, Proposal& out, QString& error)
{
    out = Proposal{};
    out.m_file = source.fileName;
    out.m_fromXml = source.fromXml;
    out.m_unit = source.unit;
    out.m_extent = source.extent;
    out.m_extentDeclared = source.extentDeclared;
    out.m_accruals = source.AccrualsAt();
    const std::int64_t scale = source.unit == Unit::Crowns ? 100000 : 1; // source units a thousand
    Work w;
    out.m_rows.resize(kBilRowCount);

    // Rows named in another row's formula come first.
    for (int round = 0; round < 2; ++round) {
        for (int item = kFirstRowItem; item <= kLastRowItem; item += 2) {
            const std::size_t i = RowIndex(item);
            const Formula& f = FormulaFor(item, source.extent);
            const bool namesRows = std::any_of(f.terms.begin(), f.terms.end(), [](const Term& t) { return t.isItem; });
            if (namesRows != (round == 1))
                continue;
            RowProposal& row = out.m_rows[i];
            row.item = item;
            row.label = FromCp1250(existing.Item(item).m_strLabel).trimmed();
            row.status = f.status;
            for (int year = 0; year < 2; ++year)
                row.now[year] = existing.Item(item + year).m_nNumber;
            if (f.status == Status::Undetermined) {
                for (int year = 0; year < 2; ++year) {
                    w.exact[i][year] = std::int64_t{row.now[year]} * scale;
                    row.kept[year] = row.now[year] != 0;
                }
                row.source = source.extent == Extent::Micro ? QStringLiteral("výkaz mikro účetní jednotky neuvádí")
                                                            : QStringLiteral("zkrácený výkaz neuvádí");
                if (row.kept[0] || row.kept[1])
                    row.source += QStringLiteral("; ponechána hodnota");
                continue;
            }
            w.adjustable[i] = !f.terms.empty();
            QString codes, marks, items;
            for (std::size_t k = 0; k < f.terms.size(); ++k) {
                const Term& t = f.terms[k];
                std::int64_t v[2];
                for (int year = 0; year < 2; ++year) {
                    v[year] = t.isItem ? w.exact[RowIndex(t.number)][year] : source.Value(t.table, t.number, year);
                    w.exact[i][year] += t.sign * v[year];
                }
                // The other accrual variant, A.VI., M. or a kept loan: named
                // only where it is there.
                if (f.exactUnlessExtra && k > 0) {
                    if (v[0] == 0 && v[1] == 0)
                        continue;
                    row.status = Status::Sum;
                }
                QString& list = t.isItem ? items : codes;
                const QString op = t.sign < 0 ? QStringLiteral("−") : QStringLiteral("+");
                const bool first = codes.isEmpty() && items.isEmpty();
                if (!first || t.sign < 0)
                    list += first ? op + QChar(u' ') : QChar(u' ') + op + QChar(u' ');
                if (t.isItem) {
                    list += out.m_rows[RowIndex(t.number)].label;
                    continue;
                }
                const OfficialRow* r = FindRow(t.table, t.number);
                const bool firstMark = marks.isEmpty();
                if (!firstMark || t.sign < 0)
                    marks += firstMark ? op + QChar(u' ') : QChar(u' ') + op + QChar(u' ');
                marks += *r->mark ? QString::fromUtf8(r->mark) : QString::fromUtf8(r->text);
                list += QStringLiteral("%1 %2").arg(QString::fromLatin1(TableCode(t.table)), QString::number(t.number));
            }
            row.source = codes.isEmpty() ? (items.isEmpty() ? f.note : items)
                                         : QStringLiteral("%1 (%2)%3").arg(codes, marks, items);
        }
    }

    for (std::size_t i = 0; i < kBilRowCount; ++i)
        for (int year = 0; year < 2; ++year)
            w.value[i][year] = RoundHalfAway(w.exact[i][year], scale);

    // Crowns rounded to thousands no longer add up: the totals keep their
    // value, each rule's difference goes to the addends the rounding moved
    // most the other way, never to a row an earlier rule has fixed.
    if (scale > 1) {
        for (int year = 0; year < 2; ++year) {
            bool fixed[kBilRowCount] = {};
            for (int r : kEvenOutOrder) {
                const Rule& rule = Rules()[static_cast<std::size_t>(r)];
                const std::size_t sum = RowIndex(rule.sum);
                std::int64_t diff = w.value[sum][year];
                for (auto [tag, sign] : rule.addends)
                    diff -= sign * w.value[RowIndex(tag)][year];
                fixed[sum] = true;
                // More than rounding can explain: the source does not add up.
                const bool evenOut = std::abs(diff) <= static_cast<std::int64_t>(rule.addends.size());
                for (std::int64_t step = 0; evenOut && step < std::abs(diff); ++step) {
                    const int dir = diff > 0 ? 1 : -1;
                    std::size_t best = kBilRowCount;
                    int bestSign = 0;
                    std::int64_t bestScore = 0;
                    for (auto [tag, sign] : rule.addends) {
                        const std::size_t a = RowIndex(tag);
                        if (fixed[a] || !w.adjustable[a] || w.exact[a][year] == 0)
                            continue;
                        const std::int64_t score = sign * dir * (w.exact[a][year] - w.value[a][year] * scale);
                        if (best == kBilRowCount || score > bestScore || (score == bestScore && a < best)) {
                            best = a;
                            bestSign = sign;
                            bestScore = score;
                        }
                    }
                    if (best == kBilRowCount)
                        break;
                    w.value[best][year] += bestSign * dir;
                    out.m_rows[best].adjusted[year] += bestSign * dir;
                }
                for (auto [tag, sign] : rule.addends)
                    fixed[RowIndex(tag)] = true;
            }
        }
    }

    for (std::size_t i = 0; i < kBilRowCount; ++i) {
        RowProposal& row = out.m_rows[i];
        for (int year = 0; year < 2; ++year) {
            const std::int64_t v = w.value[i][year];
            if (v < INT32_MIN || v > INT32_MAX) {
                error = QStringLiteral("Soubor „%1“: %2 (%3) by byl %4 tisíc Kč, tolik Bil nepojme "
                                       "(nejvýš 2147483647).")
                            .arg(source.fileName, row.label, YearName(year), QString::number(v));
                return false;
            }
            row.value[year] = static_cast<std::int32_t>(v);
            if (row.adjusted[year])
                out.m_adjustments.push_back({row.item, year, row.adjusted[year]});
        }
    }

    // Every row of the form lies inside one that a Bil row takes (the
    // totals take them all): what is left over is what the form lacks.
    for (const UnknownRow& u : source.unknown)
        if (u.value[0] != 0 || u.value[1] != 0)
            out.m_leftOvers.push_back({QStringLiteral("%1 %2 %3").arg(u.table, u.line, u.mark).simplified(), u.text,
                                       {FormatSource(u.value[0], source.unit), FormatSource(u.value[1], source.unit)}});
    return true;
}

const RowProposal& Proposal::Row(int item) const
{
    return m_rows[RowIndex(item)];
}

QString Proposal::SourceDescription() const
{
    QString s = m_fromXml ? QStringLiteral("přiznání k dani z příjmů právnických osob (XML)") : QStringLiteral("CSV");
    s += m_extent == Extent::Full    ? QStringLiteral(", plný rozsah")
         : m_extent == Extent::Small ? QStringLiteral(", zkrácený rozsah (malá účetní jednotka)")
                                     : QStringLiteral(", zkrácený rozsah (mikro účetní jednotka)");
    if (!m_extentDeclared)
        s += QStringLiteral(" podle řádků v souboru");
    s += m_unit == Unit::Thousands ? QStringLiteral(", v tisících Kč") : QStringLiteral(", v Kč zaokrouhlených na tisíce");
    switch (m_accruals) {
    case Accruals::InD:
        s += QStringLiteral(", časové rozlišení v D.");
        break;
    case Accruals::InC:
        s += QStringLiteral(", časové rozlišení v C.II.3. a C.III.");
        break;
    case Accruals::Both:
        s += QStringLiteral(", časové rozlišení v D. i v C.II.3. a C.III.");
        break;
    case Accruals::None:
        break;
    }
    return s;
}

int Proposal::Taken(Years years) const
{
    int n = 0;
    for (const RowProposal& row : m_rows)
        for (int year = 0; year < 2; ++year)
            n += Takes(years, year) && row.status != Status::Undetermined;
    return n;
}

int Proposal::Undetermined(Years years) const
{
    int n = 0;
    for (const RowProposal& row : m_rows)
        for (int year = 0; year < 2; ++year)
            n += Takes(years, year) && row.status == Status::Undetermined;
    return n;
}

std::vector<Adjustment> Proposal::Adjustments(Years years) const
{
    std::vector<Adjustment> out;
    for (const Adjustment& a : m_adjustments)
        if (Takes(years, a.year))
            out.push_back(a);
    return out;
}

std::vector<FailingRule> Proposal::FailingRules(Years years) const
{
    CUzData after;
    for (const RowProposal& row : m_rows)
        for (int year = 0; year < 2; ++year)
            after.Item(row.item + year).m_nNumber = Takes(years, year) ? row.value[year] : row.now[year];
    std::vector<FailingRule> out;
    const auto lists = after.FailedRules();
    for (int year = 0; year < 2; ++year) {
        const CUzFailedRules& list = lists[static_cast<std::size_t>(year)];
        for (int k = 0; k < list.m_nCount; ++k)
            out.push_back({year, list.m_aRule[k], FromCp1250(g_ruleCaptions[static_cast<std::size_t>(list.m_aRule[k])])});
    }
    return out;
}

QStringList Proposal::Summary(Years years) const
{
    QStringList lines;
    lines << QStringLiteral("Zdroj: %1 – %2").arg(m_file, SourceDescription());
    lines << QStringLiteral("Převzatých čísel: %1, nelze určit: %2")
                 .arg(QString::number(Taken(years)), QString::number(Undetermined(years)));
    for (const Adjustment& a : Adjustments(years))
        lines << QStringLiteral("Dorovnáno při zaokrouhlení: %1 (%2) %3")
                     .arg(Row(a.item).label, YearName(a.year), Signed(a.delta));
    const std::vector<FailingRule> failing = FailingRules(years);
    if (failing.empty())
        lines << QStringLiteral("Po převzetí platí všechna pravidla součtů.");
    for (const FailingRule& f : failing)
        lines << QStringLiteral("Po převzetí nebude platit: %1 (%2)").arg(f.caption, YearName(f.year));
    for (const LeftOver& l : m_leftOvers)
        lines << QStringLiteral("Bil nepřevezme řádek zdroje %1 %2: %3 / %4")
                     .arg(l.row, l.text, l.value[0], l.value[1]);
    return lines;
}

QString Proposal::Text(Years years) const
{
    QString out = Summary(years).join(QChar(u'\n')) + QStringLiteral("\n\n");
    qsizetype width = 0;
    for (const RowProposal& row : m_rows)
        width = std::max(width, row.label.size());
    const auto line = [&](const QString& label, const QString& cur, const QString& prev, const QString& status) {
        out += label.leftJustified(width) + cur.rightJustified(12) + prev.rightJustified(12) + QStringLiteral("  ") +
               status + QChar(u'\n');
    };
    line(QStringLiteral("Řádek"), QStringLiteral("Běžný rok"), QStringLiteral("Minulý rok"), QStringLiteral("Stav"));
    for (const RowProposal& row : m_rows) {
        QString figures[2];
        for (int year = 0; year < 2; ++year)
            figures[year] = QString::number(Takes(years, year) ? row.value[year] : row.now[year]);
        line(row.label, figures[0], figures[1], row.StatusLine());
    }
    return out;
}

void Proposal::Apply(CUzData& data, Years years) const
{
    for (const RowProposal& row : m_rows)
        for (int year = 0; year < 2; ++year)
            if (Takes(years, year))
                data.Item(row.item + year).m_nNumber = row.value[year];
    data.ClearMarks();
}

} // namespace bilimport
