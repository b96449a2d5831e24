#pragma once
// The fifteen sum rules of the balance sheet and the profit and loss
// statement, each applied to the current year (0) and the previous year (1).

#include "model/data.h"

#include <array>
#include <string>

// Captions of the rules in the error lists (Windows-1250).
extern const std::array<std::string, kRuleCount> g_ruleCaptions;

// Items in each rule, sum item included (n(r)).
int RuleSize(int rule);
// Index in CUzData::m_ruleItems of the first reference of a rule and year.
int RuleStart(int rule, int year);
