#include "model/nextyear.h"

#include "model/data.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kYearTag = 6;
// Texts that stay: the company, its address and auditor; where the annual
// report lies, the subsidiaries and the major shareholders; the orderer but
// for the order's date (130). The audit date, the cash flows, the overdue
// items, the pledged assets and the remark are the year's own.
constexpr int kKeptTexts[] = {1,   3,   4,   5,   7,   8,   113, 114, 115,
                              123, 124, 125, 126, 127, 129, 131, 132, 133, 134};
constexpr int kKeptNumbers[] = {2, 128}; // the IČOs
// Item 10's number when no opinion is chosen: the header page asks for one.
constexpr int kNoOpinion = -1;

// "2024" after "2023"; anything but four digits (blanks around them aside)
// gives an empty year, to be typed.
std::string FollowingYear(const std::string& year)
{
    const std::size_t first = year.find_first_not_of(' ');
    const std::size_t last = year.find_last_not_of(' ');
    if (first == std::string::npos || last - first != 3)
        return {};
    int value = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (year[i] < '0' || year[i] > '9')
            return {};
        value = value * 10 + (year[i] - '0');
    }
    char next[16];
    std::snprintf(next, sizeof next, "%04d", value + 1);
    return next;
}

} // namespace

void CarryOver(const CUzData& last, CUzData& next)
{
    next.ClearValues();
    next.ClearMarks();
    for (int tag : kKeptTexts)
        next.Item(tag).m_strValue = last.Item(tag).m_strValue;
    for (int tag : kKeptNumbers)
        next.Item(tag).m_nNumber = last.Item(tag).m_nNumber;
    next.Item(kYearTag).m_strValue = FollowingYear(last.Item(kYearTag).m_strValue);
    next.Item(kOpinionTag).m_nNumber = kNoOpinion;
    // Last year's current year is this year's previous one.
    for (int tag = kFirstFigureTag; tag < kLastFigureTag; tag += 2)
        next.Item(tag + 1).m_nNumber = last.Item(tag).m_nNumber;
}
