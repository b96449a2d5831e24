#include "checks/rules.h"

#include "model/cp1250.h"
#include "model/data.h"
#include "text/figures.h"

namespace {

// One term of a rule: the current-year tag and its sign. The previous-year
// term is the partner item, tag + 1.
struct Term {
    int tag;
    int sign;
};

struct Rule {
    const char* caption;
    int sum;           // current-year sum item
    Term addends[7];
    int addendCount;
};

constexpr Rule kRules[kRuleCount] = {
    {"Aktiva celkem a pasiva celkem", 11, {{37, +1}}, 1},
    {"Aktiva celkem", 11, {{13, +1}, {15, +1}, {25, +1}, {35, +1}}, 4},
    {"Stálá aktiva", 15, {{17, +1}, {19, +1}, {21, +1}}, 3},
    {"Oběžná aktiva", 25, {{27, +1}, {29, +1}, {31, +1}, {33, +1}}, 4},
    {"Pasiva celkem", 37, {{39, +1}, {53, +1}, {65, +1}}, 3},
    {"Vlastní jmění", 39, {{41, +1}, {45, +1}, {47, +1}, {49, +1}, {51, +1}}, 5},
    {"Cizí zdroje", 53, {{55, +1}, {57, +1}, {59, +1}, {61, +1}}, 4},
    {"Výkon a prodej zboží", 67, {{69, +1}, {71, +1}, {73, +1}}, 3},
    {"Přidaná hodnota", 77, {{67, +1}, {75, -1}}, 2},
    {"Provozní hospodářský výsledek", 91,
     {{77, +1}, {79, -1}, {81, -1}, {83, +1}, {85, -1}, {87, +1}, {89, -1}}, 7},
    {"Hospodářský výsledek z finančních operací včetně daně z příjmu z běžné činnosti", 101,
     {{93, +1}, {95, -1}, {97, +1}, {99, -1}}, 4},
    {"Hospodářský výsledek za běžnou činnost", 103, {{91, +1}, {101, +1}}, 2},
    {"Mimořádný hospodářský výsledek", 109, {{105, +1}, {107, -1}}, 2},
    {"Hospodářský výsledek za účetní období (výsledovka)", 111, {{103, +1}, {109, +1}}, 2},
    {"Hospodářský výsledek za účetní období (pasiva, výsledovka)", 111, {{51, +1}}, 1},
};

constexpr int TotalReferences()
{
    int n = 0;
    for (const Rule& r : kRules)
        n += 2 * (r.addendCount + 1);
    return n;
}
static_assert(TotalReferences() == kRuleItemCount, "124 rule references");

std::array<std::string, kRuleCount> MakeCaptions()
{
    std::array<std::string, kRuleCount> out;
    for (int r = 0; r < kRuleCount; ++r)
        out[static_cast<std::size_t>(r)] = cp1250::Literal(kRules[r].caption);
    return out;
}

} // namespace

const std::array<std::string, kRuleCount> g_ruleCaptions = MakeCaptions();

int RuleSize(int rule)
{
    return kRules[rule].addendCount + 1;
}

int RuleStart(int rule, int year)
{
    int start = 0;
    for (int r = 0; r < rule; ++r)
        start += 2 * RuleSize(r);
    return start + year * RuleSize(rule);
}

void CUzData::BuildRuleTables()
{
    std::size_t i = 0;
    for (const Rule& r : kRules) {
        for (int year = 0; year < kYearCount; ++year) {
            m_ruleItems[i++] = &EditItem(r.sum + year);
            for (int a = 0; a < r.addendCount; ++a)
                m_ruleItems[i++] = &EditItem(r.addends[a].tag + year);
        }
    }
}

int CUzData::CheckRule(std::int32_t sum, std::int64_t value, int year, int rule)
{
    if (year < 0 || year >= kYearCount)
        return 0;
    if (sum == value)
        return 1;
    CUzFailedRules& list = m_errors[year];
    if (list.m_nCount < kRuleCount)
        list.m_aRule[list.m_nCount++] = rule;
    return 0;
}

std::int64_t CUzData::RuleValue(int rule, int year) const
{
    const Rule& r = kRules[rule];
    CUzItem* const* items = &m_ruleItems[static_cast<std::size_t>(RuleStart(rule, year))];
    // Exact: seven 32-bit figures cannot overflow a 64-bit sum, so a total
    // that only matches after wrapping around fails as it should.
    std::int64_t value = 0;
    for (int a = 0; a < r.addendCount; ++a)
        value += std::int64_t{r.addends[a].sign} * items[a + 1]->m_nNumber;
    return value;
}

int CUzData::CheckAll()
{
    ClearErrors();
    for (int year = 0; year < kYearCount; ++year)
        for (int rule = 0; rule < kRuleCount; ++rule)
            CheckRule(Item(kRules[rule].sum + year).m_nNumber, RuleValue(rule, year), year, rule);
    return m_errors[0].m_nCount == 0 && m_errors[1].m_nCount == 0 ? 1 : 0;
}

std::array<CUzFailedRules, kYearCount> CUzData::FailedRules() const
{
    std::array<CUzFailedRules, kYearCount> lists{};
    for (int year = 0; year < kYearCount; ++year) {
        CUzFailedRules& list = lists[static_cast<std::size_t>(year)];
        for (int rule = 0; rule < kRuleCount; ++rule)
            if (Item(kRules[rule].sum + year).m_nNumber != RuleValue(rule, year))
                list.m_aRule[list.m_nCount++] = rule;
    }
    return lists;
}

std::int32_t CUzData::MarkRule(CUzItem* const* items, int n)
{
    items[0]->m_edit.m_nMark = CUzMarkEdit::MarkSum;
    for (int i = 1; i < n; ++i)
        items[i]->m_edit.m_nMark = CUzMarkEdit::MarkAddend;
    return items[0]->m_nPage;
}

RuleArithmetic DescribeRule(const CUzData& data, int rule, int year)
{
    const Rule& r = kRules[rule];
    const std::int32_t total = data.Item(r.sum + year).m_nNumber;
    const std::int64_t value = data.RuleValue(rule, year);
    const std::string relation = total == value ? " = " : " \u2260 ";
    std::string terms;
    for (int a = 0; a < r.addendCount; ++a) {
        const std::int32_t n = data.Item(r.addends[a].tag + year).m_nNumber;
        const char* op = r.addends[a].sign < 0 ? "\u2212 " : a == 0 ? "" : "+ ";
        if (a > 0)
            terms += ' ';
        terms += op;
        terms += n < 0 && *op ? "(" + FigureText(n) + ")" : FigureText(n);
    }
    RuleArithmetic out;
    out.caption = r.caption;
    out.comparison = FigureText(total) + relation + FigureText(value);
    if (total != value)
        out.comparison += " (rozdíl " + FigureText(total - value) + ")";
    out.sum = FigureText(total) + relation + terms + " = " + FigureText(value);
    return out;
}
