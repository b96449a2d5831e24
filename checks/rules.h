#pragma once
// The fifteen sum rules of the balance sheet and the profit and loss
// statement, each applied to the current year (0) and the previous year (1).

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kRuleCount = 15;
inline constexpr int kYearCount = 2;
inline constexpr int kRuleItemCount = 124; // 62 references a year

// Failed rules of one year, in the order they were found.
struct CUzFailedRules {
    std::int32_t m_nCount = 0;
    std::int32_t m_aRule[kRuleCount] = {};
};

// Captions of the rules in the error lists (Windows-1250).
extern const std::array<std::string, kRuleCount> g_ruleCaptions;

// Items in each rule, sum item included (n(r)).
int RuleSize(int rule);
// Index in CUzData::m_ruleItems of the first reference of a rule and year.
int RuleStart(int rule, int year);
