// Completeness of the header and the orderer: the wizard's checks with
// their questions, and the list of gaps the checker reports.

#include "model/completeness.h"
#include "model/data.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A header and an orderer that pass; `Change` then spoils them.
void Fill(CUzData& d)
{
    for (int tag : {1, 3, 6, 7, 9, 10, 123, 126, 129, 131, 132})
        d.Item(tag).m_strValue = " "; // a blank counts as filled
    d.Item(2).m_nNumber = d.Item(128).m_nNumber = 471;
}

} // namespace

TEST(Completeness, AsksAboutAZeroIcoAndAnEmptyDicAndRefusesTheRest)
{
    using Ids = std::vector<int>;
    using Gaps = std::vector<std::pair<GapKind, int>>;
    const struct {
        Form form;
        std::vector<std::pair<int, std::int32_t>> numbers; // tag, number
        std::vector<int> emptied;
        std::vector<int> answers;
        bool passes;
        Ids asked;
        Gaps gaps;
    } cases[] = {
        {Form::Header, {}, {}, {}, true, {}, {}},
        {Form::Header, {{2, 0}}, {4, 5, 8}, {IDYES}, true, {10025}, {{GapKind::IcoZero, 2}}},
        {Form::Header, {{2, 0}}, {}, {IDNO}, false, {10025}, {{GapKind::IcoZero, 2}}},
        {Form::Header, {{2, 0}}, {9}, {}, false, {}, {{GapKind::MissingText, 9}, {GapKind::IcoZero, 2}}},
        {Form::Header, {{2, -5}}, {}, {}, false, {}, {{GapKind::IcoNegative, 2}}},
        {Form::Header, {{10, 4}}, {10}, {}, false, {}, {{GapKind::NoOpinion, 10}}},
        {Form::Header, {{10, -1}}, {1, 6}, {}, false, {}, {{GapKind::MissingText, 1}, {GapKind::MissingText, 6}, {GapKind::NoOpinion, 10}}},
        {Form::Orderer, {{128, 0}}, {129}, {IDYES, IDYES}, true, {10025, 10026}, {{GapKind::IcoZero, 128}, {GapKind::DicEmpty, 129}}},
        {Form::Orderer, {{128, 0}}, {129}, {IDYES, IDNO}, false, {10025, 10026}, {{GapKind::IcoZero, 128}, {GapKind::DicEmpty, 129}}},
        {Form::Orderer, {{128, -1}}, {129}, {IDYES}, false, {10026}, {{GapKind::IcoNegative, 128}, {GapKind::DicEmpty, 129}}},
        {Form::Orderer, {}, {132, 124}, {}, false, {}, {{GapKind::MissingText, 132}}},
    };
    for (const auto& c : cases) {
        CUzData d;
        Fill(d);
        for (const auto& [tag, number] : c.numbers)
            d.Item(tag).m_nNumber = number;
        for (int tag : c.emptied)
            d.Item(tag).m_strValue.clear();
        ScriptedHost host;
        host.answers = {c.answers.begin(), c.answers.end()};
        EXPECT_EQ(c.form == Form::Header ? d.CheckHeader() : d.CheckOrderer(), c.passes);
        EXPECT_EQ(host.BoxIds(), c.asked);
        for (const auto& box : host.boxes)
            EXPECT_EQ(box.style, MB_ICONEXCLAMATION | MB_YESNO);
        Gaps gaps;
        for (const Gap& g : ListGaps(d, c.form))
            gaps.emplace_back(g.kind, g.tag);
        EXPECT_EQ(gaps, c.gaps);
    }
}
