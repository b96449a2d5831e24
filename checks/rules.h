#pragma once
// The fifteen sum rules of the balance sheet and the profit and loss
// statement, each applied to the current year (0) and the previous year (1).

#include "model/data.h"

#include <array>
#include <cstdint>
#include <string>

// Captions of the rules in the error lists (Windows-1250).
extern const std::array<std::string, kRuleCount> g_ruleCaptions;

// Items in each rule, sum item included (n(r)).
int RuleSize(int rule);
// Index in CUzData::m_ruleItems of the first reference of a rule and year.
int RuleStart(int rule, int year);

// A rule of a year added up as a reader checks it by hand, in UTF-8 with
// figures as printed. Subtracted terms follow a minus, a negative term after
// an operator stands in parentheses:
//   comparison "15 000 ≠ 14 955 (rozdíl 45)"
//   sum        "15 000 ≠ 4 200 + 310 + 7 830 + (−300) = 14 955"
// The difference is the total less its terms; a rule that holds has "=".
struct RuleArithmetic {
    std::string caption; // the rule's caption
    std::string comparison;
    std::string sum;
};
RuleArithmetic DescribeRule(const CUzData& data, int rule, int year);
