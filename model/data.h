#pragma once
// The whole statement: 134 items in tag order, the failed-rule lists of both
// years and the rule item tables.

#include "model/item.h"

#include <array>
#include <cstdint>
#include <vector>

// The sum rules (checks/rules.cpp): fifteen, each for the current year (0)
// and the previous year (1).
inline constexpr int kRuleCount = 15;
inline constexpr int kYearCount = 2;
inline constexpr int kRuleItemCount = 124; // 62 references a year

// Failed rules of one year, in the order they were found.
struct CUzFailedRules {
    std::int32_t m_nCount = 0;
    std::int32_t m_aRule[kRuleCount] = {};
};

// Page codes: the wizard position of the page that edits an item.
enum PageCode : std::int32_t {
    PageFile = 0,
    PageHlava = 1,
    PageAktiva = 2,
    PagePasiva = 3,
    PageVysledky1 = 4,
    PageVysledky2 = 5,
    PageEnd = 6,
    PageErrors = 7,
    PageObj = 8,
    PageText = 9,
};

struct CheckStop; // model/completeness.h

inline constexpr int kItemCount = 134;
inline constexpr int kOpinionTag = 10;   // the audit opinion: no edit control, no limit
inline constexpr int kFirstFigureTag = 11;
inline constexpr int kLastFigureTag = 112;

class CUzData {
public:
    CUzData();
    ~CUzData();
    // The rule tables point into the items: a statement is never copied.
    CUzData(const CUzData&) = delete;
    CUzData& operator=(const CUzData&) = delete;

    // Item by tag, 1 to 134. A tag out of range is a programming error.
    CUzItemBase& Item(int tag);
    const CUzItemBase& Item(int tag) const;
    // Items with an edit control and a limit: every tag but 10.
    CUzItem& EditItem(int tag);
    const CUzItem& EditItem(int tag) const;

    void ClearValues();
    void ClearMarks();
    void ClearErrors();
    void Reset();

    // The statement file's records (see document.h): appended to `out`, or
    // read from the regular file open on `fd`.
    void WriteItems(std::string& out) const;
    bool ReadItems(int fd);

    // Completeness of the header and the orderer data; they may ask the
    // user about a missing IČO or DIČ and a wrong check digit
    // (model/completeness.cpp). False: `stop` tells which field failed.
    bool CheckHeader(CheckStop* stop = nullptr);
    bool CheckOrderer(CheckStop* stop = nullptr);
    void CopyHeaderToOrderer();

    // Check engine (checks/rules.cpp).
    void BuildRuleTables();
    int CheckRule(std::int32_t sum, std::int64_t value, int year, int rule);
    int CheckAll();
    // What CheckAll would list, leaving m_errors as it is.
    std::array<CUzFailedRules, kYearCount> FailedRules() const;
    static std::int32_t MarkRule(CUzItem* const* items, int n);
    // The right-hand side of a rule in a year, exact.
    std::int64_t RuleValue(int rule, int year) const;

    CUzFailedRules m_errors[kYearCount];
    std::array<CUzItem*, kRuleItemCount> m_ruleItems{};

private:
    // Tag 10 lives apart; the other 133 items are in m_items, which never
    // grows after construction, so references to them stay valid.
    std::vector<CUzItem> m_items;
    CUzItemBase m_opinion;
    std::array<CUzItemBase*, kItemCount + 1> m_byTag{};
};
