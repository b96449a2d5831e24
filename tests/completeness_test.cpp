// Completeness of the header and the orderer data, and the copy of the
// company's identification from the header into the orderer.

#include "model/cp1250.h"
#include "model/data.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr unsigned kQuestion = MB_ICONEXCLAMATION | MB_YESNO;

void FillHeader(CUzData& d)
{
    d.Item(1).m_strValue = cp1250::Literal("Sklárna Šťáhlavy, a.s.");
    d.Item(2).m_nNumber = 471;
    d.Item(3).m_strValue = cp1250::Literal("Plzeň");
    d.Item(6).m_strValue = "2023";
    d.Item(7).m_strValue = cp1250::Literal("Audit Řehoř s.r.o.");
    d.Item(9).m_strValue = "28.3.2024";
    d.Item(10).m_strValue = cp1250::Literal("s výhradou");
    d.Item(10).m_nNumber = 1;
}

void FillOrderer(CUzData& d)
{
    d.Item(123).m_strValue = cp1250::Literal("Sklárna Šťáhlavy, a.s.");
    d.Item(126).m_strValue = cp1250::Literal("Plzeň");
    d.Item(128).m_nNumber = 471;
    d.Item(129).m_strValue = "CZ00000471";
    d.Item(131).m_strValue = cp1250::Literal("Petra Malá");
    d.Item(132).m_strValue = "377 123 456";
}

std::vector<int> Asked(const ScriptedHost& host)
{
    std::vector<int> ids;
    for (std::size_t i = 0; i < host.boxes.size(); ++i) {
        EXPECT_EQ(host.boxes[i].style, kQuestion) << "box " << i;
        ids.push_back(host.BoxId(i));
    }
    return ids;
}

using Ids = std::vector<int>;

} // namespace

TEST(CheckHeader, AnEmptyRequiredTextFailsWithoutAnyQuestion)
{
    for (int tag : {1, 3, 6, 7, 9, 10}) {
        SCOPED_TRACE(tag);
        CUzData d;
        FillHeader(d);
        d.Item(2).m_nNumber = 0; // would be asked about, were the texts complete
        d.Item(tag).m_strValue.clear();
        ScriptedHost host;
        host.answers = {IDYES, IDYES};
        EXPECT_FALSE(d.CheckHeader());
        EXPECT_TRUE(host.boxes.empty());
    }
}

TEST(CheckHeader, StreetPostcodeAndLicenceAreOptionalAndABlankIsFilled)
{
    CUzData d;
    FillHeader(d);
    ScriptedHost host;
    EXPECT_TRUE(d.CheckHeader());

    d.Item(1).m_strValue = " ";
    d.Item(9).m_strValue = " ";
    EXPECT_TRUE(d.CheckHeader());
    EXPECT_TRUE(host.boxes.empty());
    // The opinion's text decides, not its number.
    d.Item(10).m_nNumber = 7;
    EXPECT_TRUE(d.CheckHeader());
}

TEST(CheckHeader, ZeroIcoIsAskedAboutAndNegativeIcoFails)
{
    CUzData d;
    FillHeader(d);
    d.Item(2).m_nNumber = 0;
    {
        ScriptedHost host;
        host.answers = {IDNO};
        EXPECT_FALSE(d.CheckHeader());
        EXPECT_EQ(Asked(host), Ids{10025});
    }
    {
        ScriptedHost host;
        host.answers = {IDYES};
        EXPECT_TRUE(d.CheckHeader());
        EXPECT_EQ(Asked(host), Ids{10025});
    }
    d.Item(2).m_nNumber = -1;
    {
        ScriptedHost host;
        host.answers = {IDYES};
        EXPECT_FALSE(d.CheckHeader());
        EXPECT_TRUE(host.boxes.empty());
    }
    // Nothing is changed by the check itself.
    EXPECT_EQ(d.Item(2).m_nNumber, -1);
}

TEST(CheckOrderer, AnEmptyRequiredTextFailsWithoutAnyQuestion)
{
    for (int tag : {123, 126, 131, 132}) {
        SCOPED_TRACE(tag);
        CUzData d;
        FillOrderer(d);
        d.Item(128).m_nNumber = 0;
        d.Item(129).m_strValue.clear();
        d.Item(tag).m_strValue.clear();
        ScriptedHost host;
        host.answers = {IDYES, IDYES};
        EXPECT_FALSE(d.CheckOrderer());
        EXPECT_TRUE(host.boxes.empty());
    }
    // Department, street, postcode, order date, fax and e-mail are optional;
    // a blank counts as filled.
    CUzData d;
    FillOrderer(d);
    d.Item(123).m_strValue = " ";
    ScriptedHost host;
    EXPECT_TRUE(d.CheckOrderer());
    EXPECT_TRUE(host.boxes.empty());
}

TEST(CheckOrderer, AsksAboutIcoFirstThenDic)
{
    CUzData d;
    FillOrderer(d);
    d.Item(128).m_nNumber = 0;
    d.Item(129).m_strValue.clear();

    struct Case {
        std::vector<int> answers;
        Ids asked;
        bool result;
    };
    const Case cases[] = {
        {{IDNO}, {10025}, false},
        {{IDYES, IDNO}, {10025, 10026}, false},
        {{IDYES, IDYES}, {10025, 10026}, true},
    };
    for (const Case& c : cases) {
        ScriptedHost host;
        host.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(d.CheckOrderer(), c.result);
        EXPECT_EQ(Asked(host), c.asked);
        EXPECT_TRUE(host.answers.empty());
    }
}

TEST(CheckOrderer, EmptyDicAloneIsAskedAboutAndNegativeIcoFails)
{
    CUzData d;
    FillOrderer(d);
    d.Item(129).m_strValue.clear();
    {
        ScriptedHost host;
        host.answers = {IDYES};
        EXPECT_TRUE(d.CheckOrderer());
        EXPECT_EQ(Asked(host), Ids{10026});
    }
    {
        ScriptedHost host;
        host.answers = {IDNO};
        EXPECT_FALSE(d.CheckOrderer());
        EXPECT_EQ(Asked(host), Ids{10026});
    }
    // A negative IČO fails even when the DIČ question was answered Yes.
    d.Item(128).m_nNumber = -471;
    {
        ScriptedHost host;
        host.answers = {IDYES};
        EXPECT_FALSE(d.CheckOrderer());
        EXPECT_EQ(Asked(host), Ids{10026});
    }
    d.Item(129).m_strValue = "CZ00000471";
    {
        ScriptedHost host;
        EXPECT_FALSE(d.CheckOrderer());
        EXPECT_TRUE(host.boxes.empty());
    }
}

TEST(CopyHeaderToOrderer, CopiesNameAddressAndIcoAndNothingElse)
{
    CUzData d;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        d.Item(tag).m_strValue = "t" + std::to_string(tag);
        d.Item(tag).m_nNumber = 1000 + tag;
    }
    d.Item(1).m_strValue = cp1250::Literal("Sklárna Šťáhlavy, a.s.");
    d.Item(2).m_nNumber = 471;

    ScriptedHost host;
    d.CopyHeaderToOrderer();
    EXPECT_TRUE(host.boxes.empty());

    for (int tag = 1; tag <= kItemCount; ++tag) {
        SCOPED_TRACE(tag);
        std::string text = "t" + std::to_string(tag);
        std::int32_t number = 1000 + tag;
        switch (tag) {
        case 1:
        case 123: text = cp1250::Literal("Sklárna Šťáhlavy, a.s."); break;
        case 125: text = "t4"; break;
        case 126: text = "t3"; break;
        case 127: text = "t5"; break;
        }
        if (tag == 2 || tag == 128)
            number = 471;
        EXPECT_EQ(d.Item(tag).m_strValue, text);
        EXPECT_EQ(d.Item(tag).m_nNumber, number);
    }
}

TEST(CopyHeaderToOrderer, EmptyHeaderValuesOverwriteTheOrderer)
{
    CUzData d;
    for (int tag : {123, 125, 126, 127})
        d.Item(tag).m_strValue = "stale";
    d.Item(128).m_nNumber = 99;
    d.CopyHeaderToOrderer();
    for (int tag : {123, 125, 126, 127})
        EXPECT_TRUE(d.Item(tag).m_strValue.empty()) << tag;
    EXPECT_EQ(d.Item(128).m_nNumber, 0);
}
