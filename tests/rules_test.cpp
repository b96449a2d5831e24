// The check engine: the fifteen sum rules over both years, the failed-rule
// lists, the rule item tables and the marks.

#include "checks/rules.h"
#include "model/cp1250.h"
#include "model/data.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

std::vector<int> Failed(const CUzData& d, int year)
{
    const CUzFailedRules& list = d.m_errors[year];
    return std::vector<int>(list.m_aRule, list.m_aRule + list.m_nCount);
}

void Set(CUzData& d, std::initializer_list<std::pair<int, std::int32_t>> values)
{
    for (const auto& [tag, number] : values)
        d.Item(tag).m_nNumber = number;
}

// A current year that satisfies every rule, with a distinct figure on almost
// every line; `scale` gives a previous year that satisfies them as well.
void FillConsistentYear(CUzData& d, int year, std::int32_t scale = 1)
{
    const std::pair<int, std::int32_t> lines[] = {
        // assets
        {11, 100}, {13, 5}, {15, 60}, {17, 10}, {19, 20}, {21, 30}, {23, 7},
        {25, 10}, {27, 1}, {29, 2}, {31, 3}, {33, 4}, {35, 25},
        // liabilities
        {37, 100}, {39, 60}, {41, 20}, {43, 19}, {45, 5}, {47, 3}, {49, 2}, {51, 30},
        {53, 35}, {55, 4}, {57, 6}, {59, 10}, {61, 15}, {63, 9}, {65, 5},
        // profit and loss
        {67, 50}, {69, 50}, {71, -5}, {73, 5}, {75, 20}, {77, 30}, {79, 8}, {81, 4},
        {83, 3}, {85, 2}, {87, 6}, {89, 5}, {91, 20}, {93, 4}, {95, 1}, {97, 6},
        {99, 3}, {101, 6}, {103, 26}, {105, 9}, {107, 5}, {109, 4}, {111, 30},
    };
    for (const auto& [tag, number] : lines)
        d.Item(tag + year).m_nNumber = number * scale;
}

TEST(CheckAll, EmptyStatementPasses)
{
    CUzData d;
    EXPECT_EQ(d.CheckAll(), 1);
    EXPECT_EQ(d.m_errors[0].m_nCount, 0);
    EXPECT_EQ(d.m_errors[1].m_nCount, 0);
}

TEST(CheckAll, ConsistentYearsPass)
{
    CUzData d;
    FillConsistentYear(d, 0);
    FillConsistentYear(d, 1, -3);
    EXPECT_EQ(d.CheckAll(), 1);
    EXPECT_TRUE(Failed(d, 0).empty());
    EXPECT_TRUE(Failed(d, 1).empty());
}

TEST(CheckAll, TotalAssetsAloneFailsRulesZeroAndOne)
{
    CUzData d;
    Set(d, {{11, 100}});
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{0, 1}));
    EXPECT_TRUE(Failed(d, 1).empty());
}

TEST(CheckAll, ResultOfPeriodAgainstComponentsAndLiabilities)
{
    CUzData d;
    FillConsistentYear(d, 0);
    // [111] still equals [103] + [109], but no longer [51].
    Set(d, {{51, 29}, {49, 3}});
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{14}));

    // Different from both: rule 13 and rule 14, in rule order.
    Set(d, {{51, 30}, {49, 2}, {111, 31}});
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{13, 14}));
    EXPECT_TRUE(Failed(d, 1).empty());
}

TEST(CheckAll, DifferenceOfOneFails)
{
    CUzData d;
    FillConsistentYear(d, 0);
    d.Item(15).m_nNumber += 1; // [15] is the sum of rule 2 and an addend of rule 1
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{1, 2}));
}

TEST(CheckAll, PreviousYearUsesThePartnerItems)
{
    CUzData d;
    FillConsistentYear(d, 0);
    FillConsistentYear(d, 1, 2);
    Set(d, {{26, 999}}); // previous-year current assets, sum of rule 3, addend of rule 1
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_TRUE(Failed(d, 0).empty());
    EXPECT_EQ(Failed(d, 1), (std::vector<int>{1, 3}));
}

TEST(CheckAll, EveryRuleFailingFillsBothListsInRuleOrder)
{
    CUzData d;
    // Every addend that is no rule's sum is 1; the sums are chosen so that
    // each of the fifteen equations is off.
    const int addendsOnly[] = {13, 17, 19, 21, 27, 29, 31, 33, 35, 41, 45, 47, 49, 51, 55, 57,
                               59, 61, 65, 69, 71, 73, 75, 79, 81, 83, 85, 87, 89, 93, 95, 97,
                               99, 105, 107};
    for (int year = 0; year < 2; ++year) {
        for (int tag : addendsOnly)
            d.Item(tag + year).m_nNumber = 1;
        // [11]=0 != [37]=7 (0) and != 2 + [15] + [25] (1); [15]=0 != 3 (2);
        // [25]=0 != 4 (3); [37]=7 != [39]+[53]+1 (4); [39]=0 != 5 (5);
        // [53]=0 != 4 (6); [67]=0 != 3 (7); [77]=0 != 0-1 (8); [91]=0 != -2 (9);
        // [101]=9 != 0 (10); [103]=0 != 9 (11); [109]=9 != 0 (12);
        // [111]=0 != 9 (13) and != [51]=1 (14).
        d.Item(37 + year).m_nNumber = 7;
        d.Item(101 + year).m_nNumber = 9;
        d.Item(109 + year).m_nNumber = 9;
    }
    EXPECT_EQ(d.CheckAll(), 0);
    const std::vector<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    EXPECT_EQ(Failed(d, 0), all);
    EXPECT_EQ(Failed(d, 1), all);

    // A second run replaces the lists instead of adding to them.
    EXPECT_EQ(d.CheckAll(), 0);
    EXPECT_EQ(Failed(d, 0), all);
    d.ClearValues();
    EXPECT_EQ(d.CheckAll(), 1);
    EXPECT_TRUE(Failed(d, 0).empty());
    EXPECT_TRUE(Failed(d, 1).empty());
}

TEST(CheckAll, NegativeNumbersKeepTheirSign)
{
    CUzData d;
    // Rule 8: [77] = [67] - [75]; [69] keeps rule 7 satisfied, and the
    // operating result [91] (rule 9) is left at 0, so rule 9 fails as well.
    Set(d, {{67, 10}, {69, 10}, {75, 25}, {77, -15}});
    d.CheckAll();
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{9}));

    Set(d, {{77, 15}});
    d.CheckAll();
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{8, 9}));
}

TEST(CheckAll, SumsWrapAroundIn32Bits)
{
    CUzData d;
    Set(d, {
               // rule 1: INT32_MAX + 1 wraps to INT32_MIN
               {11, INT32_MIN}, {13, INT32_MAX}, {15, 1}, {17, 1},
               // rules 0 and 4
               {37, INT32_MIN}, {65, INT32_MIN},
               // rules 7, 8, 9: INT32_MIN - 1 wraps to INT32_MAX
               {67, INT32_MIN}, {69, INT32_MIN}, {75, 1}, {77, INT32_MAX}, {79, INT32_MAX},
           });
    EXPECT_EQ(d.CheckAll(), 1) << "current year fails: " << testing::PrintToString(Failed(d, 0));
}

TEST(CheckRule, RecordsFailuresInCallOrderPerYear)
{
    CUzData d;
    EXPECT_EQ(d.CheckRule(5, 5, 0, 3), 1);
    EXPECT_EQ(d.CheckRule(5, 6, 0, 7), 0);
    EXPECT_EQ(d.CheckRule(-1, 1, 0, 2), 0);
    EXPECT_EQ(d.CheckRule(0, 1, 1, 11), 0);
    EXPECT_EQ(Failed(d, 0), (std::vector<int>{7, 2}));
    EXPECT_EQ(Failed(d, 1), (std::vector<int>{11}));
}

TEST(CheckRule, UnknownYearRecordsNothing)
{
    CUzData d;
    EXPECT_EQ(d.CheckRule(1, 2, 2, 4), 0);
    EXPECT_EQ(d.CheckRule(1, 1, 2, 4), 0);
    EXPECT_EQ(d.CheckRule(1, 2, -1, 4), 0);
    EXPECT_EQ(d.m_errors[0].m_nCount, 0);
    EXPECT_EQ(d.m_errors[1].m_nCount, 0);
}

TEST(CheckRule, FullListTakesNoMore)
{
    CUzData d;
    for (int i = 0; i < 20; ++i)
        d.CheckRule(0, 1, 0, i % kRuleCount);
    EXPECT_EQ(d.m_errors[0].m_nCount, kRuleCount);
    EXPECT_EQ(d.m_errors[1].m_nCount, 0);
    EXPECT_EQ(d.m_errors[1].m_aRule[0], 0);
}

// The tables as documented: start of each block, items of the current-year
// half (sum first, addends in the order of the equation).
struct Block {
    int start;
    std::vector<int> tags;
};

const Block kBlocks[kRuleCount] = {
    {0, {11, 37}},
    {4, {11, 13, 15, 25, 35}},
    {14, {15, 17, 19, 21}},
    {22, {25, 27, 29, 31, 33}},
    {32, {37, 39, 53, 65}},
    {40, {39, 41, 45, 47, 49, 51}},
    {52, {53, 55, 57, 59, 61}},
    {62, {67, 69, 71, 73}},
    {70, {77, 67, 75}},
    {76, {91, 77, 79, 81, 83, 85, 87, 89}},
    {92, {101, 93, 95, 97, 99}},
    {102, {103, 91, 101}},
    {108, {109, 105, 107}},
    {114, {111, 103, 109}},
    {120, {111, 51}},
};

TEST(RuleTables, BlocksHoldSumThenAddendsForBothYears)
{
    CUzData d;
    const int sizes[kRuleCount] = {2, 5, 4, 5, 4, 6, 5, 4, 3, 8, 5, 3, 3, 3, 2};
    for (int r = 0; r < kRuleCount; ++r) {
        SCOPED_TRACE("rule " + std::to_string(r));
        const Block& b = kBlocks[r];
        const int n = sizes[r];
        ASSERT_EQ(static_cast<int>(b.tags.size()), n);
        EXPECT_EQ(RuleSize(r), n);
        EXPECT_EQ(RuleStart(r, 0), b.start);
        EXPECT_EQ(RuleStart(r, 1), b.start + n);
        for (int i = 0; i < n; ++i) {
            const int tag = b.tags[static_cast<std::size_t>(i)];
            EXPECT_EQ(d.m_ruleItems[static_cast<std::size_t>(b.start + i)], &d.EditItem(tag))
                << "current year, position " << i;
            EXPECT_EQ(d.m_ruleItems[static_cast<std::size_t>(b.start + n + i)], &d.EditItem(tag + 1))
                << "previous year, position " << i;
        }
    }
    EXPECT_EQ(kBlocks[14].start + 2 * 2, 124);
}

TEST(MarkRule, MarksSumAndAddendsAndReturnsThePage)
{
    CUzData d;
    auto mark = [&](int tag) { return d.EditItem(tag).m_edit.m_nMark; };
    auto marked = [&] {
        std::vector<std::pair<int, int>> out;
        for (int tag = 1; tag <= kItemCount; ++tag)
            if (tag != kOpinionTag && mark(tag) != 0)
                out.emplace_back(tag, mark(tag));
        return out;
    };
    using Marks = std::vector<std::pair<int, int>>;

    // Rule 14, current year.
    EXPECT_EQ(CUzData::MarkRule(&d.m_ruleItems[120], 2), 5);
    EXPECT_EQ(marked(), (Marks{{51, 1}, {111, 2}}));

    // Rule 4, previous year: the earlier marks stay.
    EXPECT_EQ(CUzData::MarkRule(&d.m_ruleItems[36], 4), 3);
    EXPECT_EQ(marked(), (Marks{{38, 2}, {40, 1}, {51, 1}, {54, 1}, {66, 1}, {111, 2}}));

    // [77] is the sum of rule 8 and an addend of rule 9: the last call wins.
    d.ClearMarks();
    EXPECT_EQ(CUzData::MarkRule(&d.m_ruleItems[70], 3), 4);
    EXPECT_EQ(mark(77), 2);
    EXPECT_EQ(CUzData::MarkRule(&d.m_ruleItems[76], 8), 5);
    EXPECT_EQ(mark(77), 1);
    EXPECT_EQ(mark(91), 2);
    EXPECT_EQ(mark(67), 1);
}

TEST(RuleCaptions, AreTheDocumentedTexts)
{
    // Windows-1250 bytes: í = 0xED, ě = 0xEC.
    EXPECT_EQ(g_ruleCaptions[5], "Vlastn\xED jm\xEC" "n\xED");

    auto utf8 = [](int rule) {
        std::string out;
        EXPECT_TRUE(cp1250::ToUtf8(g_ruleCaptions[static_cast<std::size_t>(rule)], out).ok);
        return out;
    };
    EXPECT_EQ(utf8(0), "Aktiva celkem a pasiva celkem");
    EXPECT_EQ(utf8(8), "Přidaná hodnota");
    EXPECT_EQ(utf8(10), "Hospodářský výsledek z finančních operací včetně daně z příjmu z "
                        "běžné činnosti");
    EXPECT_EQ(utf8(12), "Mimořádný hospodářský výsledek");
    EXPECT_EQ(utf8(14), "Hospodářský výsledek za účetní období (pasiva, výsledovka)");
}

} // namespace
