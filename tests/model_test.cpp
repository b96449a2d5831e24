// The statement model: the clearing operations, the Windows-1250
// conversion, the string table and the message functions.

#include "model/cp1250.h"
#include "model/data.h"
#include "model/messages.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Values, marks and failed rules, each either as filled in or as cleared.
struct State {
    bool values, figureMarks, otherMarks, errors;
};

void Fill(CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        data.Item(tag).m_strValue = "v";
        data.Item(tag).m_nNumber = -tag;
        if (tag != kOpinionTag)
            data.EditItem(tag).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    }
    for (CUzFailedRules& list : data.m_errors)
        list = {15, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 14}};
}

State Filled(const CUzData& data)
{
    State s{true, true, true, true};
    for (int tag = 1; tag <= kItemCount; ++tag) {
        const CUzItemBase& item = data.Item(tag);
        s.values &= item.m_strValue == "v" && item.m_nNumber == -tag;
        if (tag == kOpinionTag)
            continue;
        const bool marked = data.EditItem(tag).m_edit.m_nMark == CUzMarkEdit::MarkSum;
        (tag >= kFirstFigureTag && tag <= kLastFigureTag ? s.figureMarks : s.otherMarks) &= marked;
    }
    for (const CUzFailedRules& list : data.m_errors)
        s.errors &= list.m_nCount == 15 && list.m_aRule[14] == 14;
    return s;
}

bool Cleared(const CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag)
        if (!data.Item(tag).m_strValue.empty() || data.Item(tag).m_nNumber != 0)
            return false;
    for (const CUzFailedRules& list : data.m_errors)
        for (std::int32_t slot : list.m_aRule)
            if (list.m_nCount != 0 || slot != 0)
                return false;
    return true;
}

} // namespace

TEST(Statement, ClearingOperationsClearWhatTheyNameAndNothingElse)
{
    const struct {
        void (CUzData::*clear)();
        State kept;
    } cases[] = {
        {&CUzData::ClearValues, {false, true, true, true}},
        {&CUzData::ClearMarks, {true, false, true, true}},
        {&CUzData::ClearErrors, {true, true, true, false}},
        {&CUzData::Reset, {false, true, true, false}},
    };
    for (const auto& c : cases) {
        CUzData data;
        EXPECT_TRUE(Cleared(data));
        Fill(data);
        (data.*c.clear)();
        const State s = Filled(data);
        EXPECT_TRUE(s.values == c.kept.values && s.figureMarks == c.kept.figureMarks &&
                    s.otherMarks == c.kept.otherMarks && s.errors == c.kept.errors);
        data.ClearValues();
        data.ClearErrors();
        EXPECT_TRUE(Cleared(data)) << "a slot was left";
        EXPECT_EQ(data.Item(5).m_strLabel, "PS\xC8 "); // labels stay
        EXPECT_EQ(data.EditItem(5).m_nMaxLen, 6);
    }
}

TEST(Cp1250, EveryDefinedByteRoundTripsAndTheRestFailsAtItsPlace)
{
    for (int b = 1; b < 256; ++b) {
        const std::string text = "ab" + std::string(1, char(b));
        std::string utf8, back = "stale";
        const cp1250::Result r = cp1250::ToUtf8(text, utf8);
        if (std::string("\x81\x83\x88\x90\x98").find(char(b)) != std::string::npos) {
            EXPECT_TRUE(!r.ok && r.badChar == 2 && utf8.empty()) << b;
            continue;
        }
        ASSERT_TRUE(r.ok && cp1250::FromUtf8(utf8, back).ok) << b;
        EXPECT_EQ(back, text);
    }
    // UTF-8 that Windows-1250 cannot hold: the position in characters.
    std::string out = "stale";
    const std::pair<const char*, std::size_t> bad[] = {
        {"Ω", 0}, {"řeř😀ř", 3}, {"a\xFF" "b", 1}, {"ab\xC3", 2}, {"\xC0\xAF", 0}};
    for (const auto& [utf8, at] : bad) {
        const cp1250::Result r = cp1250::FromUtf8(utf8, out);
        EXPECT_TRUE(!r.ok && r.badChar == at && out.empty()) << utf8;
    }
}

TEST(Messages, StringTableQuestionsNoticesAndTheFileDialog)
{
    // Every shown id converts; ids the program does not show fall back.
    for (int id = 10000; id <= 10031; ++id) {
        std::string utf8;
        const std::string text = LoadText(id);
        const bool unused = (id >= 10013 && id <= 10017) || id == 10021 || id == 10023 || id == 10031;
        EXPECT_EQ(text == "Load string error ...", unused) << id;
        EXPECT_TRUE(cp1250::ToUtf8(text, utf8).ok && !text.empty()) << id;
    }
    EXPECT_EQ(LoadText(10003), "Jm\xE9no souboru nen\xED zad\xE1no.");

    {
        ScriptedHost host;
        host.answers = {IDYES, IDNO};
        EXPECT_TRUE(AskYesNo(10025, MB_ICONEXCLAMATION));
        EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION));
        ShowMessage(10020);
        ASSERT_EQ(host.boxes.size(), 3u);
        EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);
        EXPECT_EQ(host.boxes[2].style, unsigned(MB_OK));
        EXPECT_EQ(host.BoxId(2), 10020);
    }
    EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION)); // no host: No

    // The file dialog: the default extension only for a name without one;
    // cancel, failure or a name the dialog cannot hold give nothing.
    std::string longest = "/";
    for (int i = 0; i < 250; ++i)
        longest += "\xC4\x8D"; // 2 bytes, 1 character
    longest += "/abc.bil";     // 259 characters
    const std::pair<std::string, std::string> browses[] = {
        {"/uz/firma", "/uz/firma.BIL"},       {"/uz/firma.txt", "/uz/firma.txt"},
        {"/uz/firma.", "/uz/firma..BIL"},     {"/uz.2024/firma", "/uz.2024/firma.BIL"},
        {longest, longest},                   {longest + "x", ""},
        {"", ""},
    };
    ScriptedHost host;
    for (const auto& [chosen, result] : browses) {
        host.files = {chosen};
        std::string path = "previous";
        EXPECT_EQ(BrowseFileName(path, "Soubor", std::string("UZ\0*.bil\0", 9), ".BIL"),
                  !result.empty()) << chosen;
        EXPECT_EQ(path, result);
    }
    EXPECT_EQ(host.browses.back().filter, std::string("UZ\0*.bil\0", 9));
}
