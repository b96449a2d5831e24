// The statement's core without files: the sum rules, the completeness of
// the header and the orderer, the statement text, next year's statement from
// last year's, the message functions.

#include "model/completeness.h"
#include "model/data.h"
#include "model/document.h"
#include "model/messages.h"
#include "model/nextyear.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
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

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        out.push_back(text.substr(from, at - from));
    out.push_back(text.substr(from));
    return out;
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
        // A total that matches only once the sum has wrapped around 32 bits
        // fails (1, 8); one that the exact sum meets holds (9).
        {"sums are exact", false,
         {{11, INT32_MIN}, {13, INT32_MAX}, {15, 1}, {17, 1}, {37, INT32_MIN}, {65, INT32_MIN},
          {67, INT32_MIN}, {69, INT32_MIN}, {75, 1}, {77, INT32_MAX}, {79, INT32_MAX}},
         {1, 8}, {}},
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
        const auto listed = d.FailedRules(); // the same lists, m_errors untouched
        EXPECT_EQ(d.m_errors[0].m_nCount + d.m_errors[1].m_nCount, 0);
        for (int run = 0; run < 2; ++run) { // a second run replaces the lists
            EXPECT_EQ(d.CheckAll(), c.current.empty() && c.previous.empty());
            for (int year = 0; year < kYearCount; ++year) {
                const CUzFailedRules& list = d.m_errors[year];
                EXPECT_EQ(std::memcmp(&listed[year], &list, sizeof list), 0);
                EXPECT_EQ(Rules(list.m_aRule, list.m_aRule + list.m_nCount), year ? c.previous : c.current);
            }
        }
    }
}

TEST(Completeness, AsksAboutAZeroIcoAWrongCheckDigitAndAnEmptyDicAndRefusesTheRest)
{
    using Gaps = std::vector<std::pair<GapKind, int>>;
    const GapKind digit = GapKind::IcoCheckDigit;
    const struct {
        Form form;
        Figures numbers;
        std::vector<int> emptied, answers;
        bool passes;
        std::vector<int> asked; // 0: the check digit question
        Gaps gaps;
        int stop;     // the field the check stopped at
        bool message; // and whether the form's message follows
        const char* question = ""; // the check digit question, UTF-8
    } cases[] = {
        {Form::Header, {}, {}, {}, true, {}, {}, 0, true},
        {Form::Header, {{2, 0}}, {4, 5, 8}, {IDYES}, true, {10025}, {{GapKind::IcoZero, 2}}, 0, true},
        {Form::Header, {{2, 0}}, {}, {IDNO}, false, {10025}, {{GapKind::IcoZero, 2}}, 2, true},
        {Form::Header, {{2, 0}}, {9}, {}, false, {}, {{GapKind::MissingText, 9}, {GapKind::IcoZero, 2}}, 9, true},
        {Form::Header, {{2, -5}}, {}, {}, false, {}, {{GapKind::IcoNegative, 2}}, 2, true},
        {Form::Header, {{10, 4}}, {10}, {}, false, {}, {{GapKind::NoOpinion, 10}}, 10, true},
        {Form::Header, {{10, -1}}, {1, 6}, {}, false, {}, {{GapKind::MissingText, 1}, {GapKind::MissingText, 6}, {GapKind::NoOpinion, 10}}, 1, true},
        {Form::Header, {{2, 471}}, {}, {IDNO}, false, {0}, {{digit, 2}}, 2, false,
         "IČO 00000471 nemá správnou kontrolní číslici. Chcete pokračovat ?"},
        {Form::Header, {{2, 471}}, {}, {IDYES}, true, {0}, {{digit, 2}}, 0, true},
        {Form::Orderer, {{128, 0}}, {129}, {IDYES, IDYES}, true, {10025, 10026}, {{GapKind::IcoZero, 128}, {GapKind::DicEmpty, 129}}, 0, true},
        {Form::Orderer, {{128, 0}}, {129}, {IDYES, IDNO}, false, {10025, 10026}, {{GapKind::IcoZero, 128}, {GapKind::DicEmpty, 129}}, 129, true},
        {Form::Orderer, {{128, -1}}, {129}, {IDYES}, false, {10026}, {{GapKind::IcoNegative, 128}, {GapKind::DicEmpty, 129}}, 128, true},
        {Form::Orderer, {}, {132, 124}, {}, false, {}, {{GapKind::MissingText, 132}}, 132, true},
        {Form::Orderer, {{128, 100000477}}, {129}, {IDYES, IDNO}, false, {0, 10026}, {{digit, 128}, {GapKind::DicEmpty, 129}}, 129, true,
         "IČO 100000477 nemá správnou kontrolní číslici. Chcete pokračovat ?"},
    };
    for (const auto& c : cases) {
        CUzData d; // a header and an orderer that pass, then spoilt
        for (int tag : {1, 3, 6, 7, 9, 10, 123, 126, 129, 131, 132})
            d.Item(tag).m_strValue = " "; // a blank counts as filled
        d.Item(2).m_nNumber = d.Item(128).m_nNumber = 477;
        for (const auto& [tag, number] : c.numbers)
            d.Item(tag).m_nNumber = number;
        for (int tag : c.emptied)
            d.Item(tag).m_strValue.clear();
        ScriptedHost host;
        host.answers = {c.answers.begin(), c.answers.end()};
        CheckStop stop;
        EXPECT_EQ(c.form == Form::Header ? d.CheckHeader(&stop) : d.CheckOrderer(&stop), c.passes);
        EXPECT_EQ(stop.tag, c.stop);
        EXPECT_EQ(stop.message, c.message);
        EXPECT_EQ(host.BoxIds(), c.asked);
        for (const auto& box : host.boxes)
            EXPECT_EQ(box.style, MB_ICONEXCLAMATION | MB_YESNO);
        if (*c.question) {
            EXPECT_EQ(host.boxes[0].text, Windows1250(c.question));
        }
        Gaps gaps;
        for (const Gap& g : ListGaps(d, c.form))
            gaps.emplace_back(g.kind, g.tag);
        EXPECT_EQ(gaps, c.gaps);
    }
}

TEST(Completeness, IcoCheckDigit)
{
    // Remainders 0, 1 and 10 give check digits 1, 0 and 1; eight digits at most.
    for (std::int32_t ico : {1, 60, 51, 477, 25596641, 45274649, 99999994})
        EXPECT_TRUE(IcoCheckDigitOk(ico)) << ico;
    // A last digit off by one, two digits swapped, a ninth digit before a valid number, nothing, a sign.
    for (std::int32_t ico : {471, 50, 25596642, 45274694, 27082404, 100000477, 0, -477, INT32_MAX})
        EXPECT_FALSE(IcoCheckDigitOk(ico)) << ico;
}

// Only the lines that depend on values: the golden journey checks a whole text.
TEST(BuildText, LinesThatDependOnValues)
{
    const auto W = [](const char* utf8) { return Windows1250(utf8); };
    const struct {
        int tag;
        std::int32_t number;
        const char* text;
        std::size_t line; // zero-based
        std::string expected;
    } cases[] = {
        // A new statement replaces what the text held: empty texts keep
        // their separators, the first opinion, the empty note ends with CR LF.
        {0, 0, "", 0, ""},
        {0, 0, "", 2, W("Sídlo:\t, , PSČ ")},
        {0, 0, "", 10, W("Výrok auditora:\t\tbez výhrad")},
        {0, 0, "", 88, ""},
        // The IČO from its number, filled with zeros to eight characters.
        {2, 123456789, "99", 3, W("IČO:\t123456789")},
        {2, -5, "", 3, W("IČO:\t000000-5")},
        // The opinion from its number; none outside 0 to 3.
        {10, 4, "bez výhrad", 10, W("Výrok auditora:\t\t")},
        {10, -1, "bez výhrad", 10, W("Výrok auditora:\t\t")},
    };
    for (const auto& c : cases) {
        CUzDocument doc;
        if (c.tag) {
            doc.m_data.Item(c.tag).m_nNumber = c.number;
            doc.m_data.Item(c.tag).m_strValue = W(c.text);
        }
        std::string text = "left over";
        ASSERT_EQ(doc.BuildText(text), 1);
        const std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(lines.size(), 89u) << c.tag;
        EXPECT_EQ(lines[c.line], c.expected) << "tag " << c.tag << ", line " << c.line + 1;
    }
}

TEST(CarryOver, MovesTheFiguresKeepsTheCompanyAndTheOrdererAndClearsTheYearsOwnData)
{
    CUzData last, next; // every record with a text and a number, as a hand-made file may have
    for (int tag = 1; tag <= kItemCount; ++tag) {
        last.Item(tag).m_strValue = next.Item(tag).m_strValue = std::to_string(tag);
        last.Item(tag).m_nNumber = next.Item(tag).m_nNumber = -tag;
    }
    next.EditItem(11).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    // Per tag: T text and N number kept, Y the year after, O no opinion, C
    // cleared; figures: 0 this year, M last year's current year moved.
    std::string what = "TNTTTYTTCO";
    for (int line = 0; line < 51; ++line)
        what += "CM";
    what += "TTTCCCCCCC" "TTTTTNTCTTTT";
    for (const auto& [year, following] : {std::pair{"2023", "2024"}, {" 1999 ", "2000"}, {"9999", "10000"},
                                          {"2023/24", ""}, {"2O23", ""}, {"202", ""}, {"", ""}}) {
        last.Item(6).m_strValue = year;
        CarryOver(last, next);
        for (int tag = 1; tag <= kItemCount; ++tag) {
            const char w = what[std::size_t(tag - 1)];
            EXPECT_EQ(next.Item(tag).m_strValue, w == 'T' ? last.Item(tag).m_strValue : w == 'Y' ? following : "") << tag;
            EXPECT_EQ(next.Item(tag).m_nNumber, w == 'N' ? -tag : w == 'M' ? 1 - tag : w == 'O' ? -1 : 0) << tag;
        }
    }
    EXPECT_EQ(next.EditItem(11).m_edit.m_nMark, CUzMarkEdit::MarkNone);
}

TEST(Messages, StringTableQuestionsAndTheFileDialog)
{
    EXPECT_EQ(LoadText(10003), Windows1250("Jméno souboru není zadáno."));
    EXPECT_EQ(LoadText(10013), "Load string error ..."); // a text no path shows
    // No host (a run without a window): No, and the text in UTF-8 on standard error.
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "bil: Položka IČO není vyplněna. Chcete pokračovat ?\n");
    // A file error's second line: the name as far as Windows-1250 shows it
    // (an emoji and a stray byte each a "?"), then the system's own words.
    EXPECT_EQ(FileErrorText(10010, "/a/výkaz 😀\xF0.bil", EXDEV),
              LoadText(10010) + Windows1250("\n/a/výkaz ??.bil: Systém hlásí chybu 18. ") + std::strerror(EXDEV));
    EXPECT_EQ(FileErrorText(10010, "/a/x.bil", 0), LoadText(10010)); // no reason known: one line

    // The default extension only for a name without one; cancel, failure or
    // a name the dialog's buffer cannot hold give nothing.
    std::string longest = "/";
    for (int i = 0; i < 250; ++i)
        longest += "\xC4\x8D"; // 2 bytes, 1 character
    longest += "/abc.bil";     // 259 characters
    ScriptedHost host;
    const std::pair<std::string, std::string> browses[] = {
        {"/uz/firma", "/uz/firma.BIL"}, {"/uz/firma.txt", "/uz/firma.txt"},
        {"/uz/firma.", "/uz/firma..BIL"}, {"/uz.2024/firma", "/uz.2024/firma.BIL"}, {"/uz/.bil", "/uz/.bil"},
        {longest, longest}, {longest + "x", ""}, {"", ""}};
    for (const auto& [chosen, result] : browses) {
        host.files = {chosen};
        std::string path = "previous";
        EXPECT_EQ(BrowseFileName(path, "Soubor", std::string("UZ\0*.bil\0", 9), ".BIL"), !result.empty());
        EXPECT_EQ(path, result);
    }
    EXPECT_EQ(host.filter, std::string("UZ\0*.bil\0", 9));
}
