// The fifteen sum rules over both years.

#include "model/data.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace {

using Figures = std::vector<std::pair<int, std::int32_t>>;
using Rules = std::vector<int>;

// A year that satisfies every rule, with a distinct figure on almost every
// line (current-year tags; the previous year uses tag + 1).
const Figures kConsistent = {
    {11, 100}, {13, 5}, {15, 60}, {17, 10}, {19, 20}, {21, 30}, {23, 7}, {25, 10}, {27, 1},
    {29, 2}, {31, 3}, {33, 4}, {35, 25}, {37, 100}, {39, 60}, {41, 20}, {43, 19}, {45, 5},
    {47, 3}, {49, 2}, {51, 30}, {53, 35}, {55, 4}, {57, 6}, {59, 10}, {61, 15}, {63, 9},
    {65, 5}, {67, 50}, {69, 50}, {71, -5}, {73, 5}, {75, 20}, {77, 30}, {79, 8}, {81, 4},
    {83, 3}, {85, 2}, {87, 6}, {89, 5}, {91, 20}, {93, 4}, {95, 1}, {97, 6}, {99, 3},
    {101, 6}, {103, 26}, {105, 9}, {107, 5}, {109, 4}, {111, 30},
};

Rules Failed(const CUzData& d, int year)
{
    const CUzFailedRules& list = d.m_errors[year];
    return Rules(list.m_aRule, list.m_aRule + list.m_nCount);
}

} // namespace

TEST(CheckAll, ListsTheFailedRulesOfEachYearInRuleOrder)
{
    Figures everyLineItsTag; // no rule holds, in either year
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
        everyLineItsTag.push_back({tag, tag});
    const Rules all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    const struct {
        const char* what;
        bool consistent; // kConsistent in both years, the previous one times -3
        Figures figures;
        Rules current, previous;
    } cases[] = {
        {"empty statement", false, {}, {}, {}},
        {"consistent years", true, {}, {}, {}},
        {"total assets alone", false, {{11, 100}}, {0, 1}, {}},
        {"result of period differs from liabilities only", true, {{51, 29}, {49, 3}}, {14}, {}},
        {"result of period differs from both", true, {{111, 31}}, {13, 14}, {}},
        {"a difference of one", true, {{15, 61}}, {1, 2}, {}},
        {"previous year only", true, {{26, -999}}, {}, {1, 3}},
        {"signs count", false, {{67, 10}, {69, 10}, {75, 25}, {77, -15}}, {9}, {}},
        {"a wrong sign", false, {{67, 10}, {69, 10}, {75, 25}, {77, 15}}, {8, 9}, {}},
        {"sums wrap around in 32 bits", false,
         {{11, INT32_MIN}, {13, INT32_MAX}, {15, 1}, {17, 1}, {37, INT32_MIN}, {65, INT32_MIN},
          {67, INT32_MIN}, {69, INT32_MIN}, {75, 1}, {77, INT32_MAX}, {79, INT32_MAX}},
         {}, {}},
        {"every rule in both years", false, everyLineItsTag, all, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CUzData d;
        if (c.consistent)
            for (const auto& [tag, number] : kConsistent) {
                d.Item(tag).m_nNumber = number;
                d.Item(tag + 1).m_nNumber = -3 * number;
            }
        for (const auto& [tag, number] : c.figures)
            d.Item(tag).m_nNumber = number;
        for (int run = 0; run < 2; ++run) { // a second run replaces the lists
            EXPECT_EQ(d.CheckAll(), c.current.empty() && c.previous.empty());
            EXPECT_EQ(Failed(d, 0), c.current);
            EXPECT_EQ(Failed(d, 1), c.previous);
        }
    }
}
