// The statement model as the user and the stored file see it: labels, page
// codes, limits, the clearing operations, the Windows-1250 helpers and the
// string table.

#include "model/cp1250.h"
#include "model/data.h"
#include "model/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Puts something into every member the clearing operations may touch.
void FillEverything(CUzData& data)
{
    for (int tag = 1; tag <= kItemCount; ++tag) {
        data.Item(tag).m_strValue = "v" + std::to_string(tag);
        data.Item(tag).m_nNumber = tag * 1000 - 7;
        if (tag != kOpinionTag)
            data.EditItem(tag).m_edit.m_nMark = CUzMarkEdit::MarkSum;
    }
    for (CUzFailedRules& list : data.m_errors) {
        list.m_nCount = 3;
        for (auto& rule : list.m_aRule)
            rule = 14;
    }
}

bool ValuesEmpty(const CUzData& data, int tag)
{
    return data.Item(tag).m_strValue.empty() && data.Item(tag).m_nNumber == 0;
}

bool ValuesKept(const CUzData& data, int tag)
{
    return data.Item(tag).m_strValue == "v" + std::to_string(tag) &&
           data.Item(tag).m_nNumber == tag * 1000 - 7;
}

bool ErrorsEmpty(const CUzData& data)
{
    for (const CUzFailedRules& list : data.m_errors) {
        if (list.m_nCount != 0)
            return false;
        for (auto rule : list.m_aRule)
            if (rule != 0)
                return false;
    }
    return true;
}

bool ErrorsKept(const CUzData& data)
{
    for (const CUzFailedRules& list : data.m_errors) {
        if (list.m_nCount != 3)
            return false;
        for (auto rule : list.m_aRule)
            if (rule != 14)
                return false;
    }
    return true;
}

} // namespace

TEST(Catalogue, LabelsAreExactWindows1250WithTheirBlanks)
{
    CUzData data;
    EXPECT_EQ(data.Item(1).m_strLabel, "Obchodn\xED jm\xE9no:");
    EXPECT_EQ(data.Item(5).m_strLabel, "PS\xC8 ");
    EXPECT_EQ(data.Item(6).m_strLabel,
              "zve\xF8" "ej\xF2" "uje podle $20 z\xE1k. \xE8. 563/91 sb. hlavn\xED "
              "\xFA" "daje z \xFA\xE8" "etn\xED z\xE1v\xEC" "rky za rok: ");
    EXPECT_EQ(data.Item(10).m_strLabel, "V\xFDrok auditora:");
    EXPECT_EQ(data.Item(17).m_strLabel, "  dlouhodob\xFD nehmotn\xFD majetek (B.I.)");
    EXPECT_EQ(data.Item(23).m_strLabel,
              "    z toho: pod\xEDl. cen. pap\xEDry a vkl. v podn. s rozhod. vlivem (B.III.1.)");
    EXPECT_EQ(data.Item(111).m_strLabel, "Hosp. v\xFDsledek za \xFA\xE8" "et. obdob\xED (***)");
    EXPECT_EQ(data.Item(115).m_strLabel,
              "Osoby s v\xED" "ce ne\x9E 20% pod\xEDlem na ZK (+ v\xFD\x9A" "e vkladu v %):");
    EXPECT_EQ(data.Item(123).m_strLabel, "Zadavatel: ");
    EXPECT_EQ(data.Item(128).m_strLabel, "I\xC8O: ");

    // Both years of a figure line carry the same label.
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; tag += 2)
        EXPECT_EQ(data.Item(tag).m_strLabel, data.Item(tag + 1).m_strLabel) << tag;
    EXPECT_NE(data.Item(11).m_strLabel, data.Item(13).m_strLabel);
}

TEST(Catalogue, PageCodesFollowTheWizardOrder)
{
    struct Group {
        int first, last;
        std::int32_t page;
    };
    const Group groups[] = {{1, 10, 1},   {11, 36, 2},   {37, 66, 3},  {67, 90, 4},
                            {91, 112, 5}, {113, 122, 6}, {123, 134, 8}};
    CUzData data;
    for (const Group& g : groups)
        for (int tag = g.first; tag <= g.last; ++tag)
            EXPECT_EQ(data.Item(tag).m_nPage, g.page) << "tag " << tag;
}

TEST(Catalogue, LengthLimits)
{
    CUzData data;
    const std::pair<int, std::int32_t> texts[] = {
        {1, 255},  {2, 8},    {3, 50},   {4, 50},   {5, 6},    {6, 30},   {7, 255},
        {8, 20},   {9, 50},   {113, 255}, {114, -1}, {115, 255}, {116, 20}, {121, 20},
        {122, -1}, {123, 255}, {125, 50}, {127, 6},  {128, 8},  {129, 12}, {130, 30},
        {131, 50}, {134, 30}};
    for (auto [tag, limit] : texts)
        EXPECT_EQ(data.EditItem(tag).m_nMaxLen, limit) << "tag " << tag;
    for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
        EXPECT_EQ(data.EditItem(tag).m_nMaxLen, 15) << "tag " << tag;
}

TEST(Catalogue, OnlyTheAuditOpinionLacksAnEditControl)
{
    CUzData data;
    for (int tag = 1; tag <= kItemCount; ++tag)
        if (tag != kOpinionTag) {
            EXPECT_EQ(&data.Item(tag), &data.EditItem(tag)) << tag;
        }
    EXPECT_EQ(data.Item(kOpinionTag).m_nPage, PageHlava);
    EXPECT_DEATH(data.EditItem(kOpinionTag), "tag 10");
    EXPECT_DEATH(data.Item(135), "tag 135");
}

TEST(Statement, NewStatementIsEmpty)
{
    CUzData data;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_TRUE(ValuesEmpty(data, tag)) << tag;
        if (tag != kOpinionTag) {
            EXPECT_EQ(data.EditItem(tag).m_edit.m_nMark, 0) << tag;
        }
    }
    EXPECT_TRUE(ErrorsEmpty(data));
}

TEST(Statement, ClearValuesTouchesOnlyValues)
{
    CUzData data;
    FillEverything(data);
    data.ClearValues();
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_TRUE(ValuesEmpty(data, tag)) << tag;
        if (tag != kOpinionTag) {
            EXPECT_EQ(data.EditItem(tag).m_edit.m_nMark, CUzMarkEdit::MarkSum) << tag;
        }
    }
    EXPECT_EQ(data.Item(1).m_strLabel, "Obchodn\xED jm\xE9no:");
    EXPECT_EQ(data.Item(1).m_nPage, PageHlava);
    EXPECT_EQ(data.EditItem(1).m_nMaxLen, 255);
    EXPECT_TRUE(ErrorsKept(data));
}

TEST(Statement, ClearMarksTouchesOnlyFigureMarks)
{
    CUzData data;
    FillEverything(data);
    data.ClearMarks();
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_TRUE(ValuesKept(data, tag)) << tag;
        if (tag == kOpinionTag)
            continue;
        const bool figure = tag >= kFirstFigureTag && tag <= kLastFigureTag;
        EXPECT_EQ(data.EditItem(tag).m_edit.m_nMark, figure ? 0 : CUzMarkEdit::MarkSum) << tag;
    }
    EXPECT_TRUE(ErrorsKept(data));
}

TEST(Statement, ClearErrorsAndReset)
{
    CUzData data;
    FillEverything(data);
    data.ClearErrors();
    EXPECT_TRUE(ErrorsEmpty(data));
    for (int tag = 1; tag <= kItemCount; ++tag)
        EXPECT_TRUE(ValuesKept(data, tag)) << tag;

    FillEverything(data);
    data.Reset();
    EXPECT_TRUE(ErrorsEmpty(data));
    for (int tag = 1; tag <= kItemCount; ++tag) {
        EXPECT_TRUE(ValuesEmpty(data, tag)) << tag;
        if (tag != kOpinionTag) {
            EXPECT_EQ(data.EditItem(tag).m_edit.m_nMark, CUzMarkEdit::MarkSum) << tag;
        }
    }
}

TEST(Cp1250, CzechRoundTrip)
{
    const std::string utf8 = "Příliš žluťoučký kůň úpěl ďábelské ódy – ŘŠČŽÝÁÍÉŮÚĚŤĎŇ €";
    std::string bytes, back;
    ASSERT_TRUE(cp1250::FromUtf8(utf8, bytes).ok);
    EXPECT_EQ(bytes.substr(0, 6), "P\xF8\xED" "li\x9A");
    EXPECT_EQ(bytes.back(), '\x80');
    EXPECT_EQ(bytes.size(), 57u); // one byte a character
    ASSERT_TRUE(cp1250::ToUtf8(bytes, back).ok);
    EXPECT_EQ(back, utf8);
}

TEST(Cp1250, EveryDefinedByteRoundTrips)
{
    const std::string undefined = "\x81\x83\x88\x90\x98";
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        std::string utf8, back;
        const cp1250::Result r = cp1250::ToUtf8("ab" + one, utf8);
        if (undefined.find(one) != std::string::npos) {
            EXPECT_FALSE(r.ok) << b;
            EXPECT_EQ(r.badChar, 2u) << b;
            EXPECT_TRUE(utf8.empty()) << b;
            continue;
        }
        ASSERT_TRUE(r.ok) << b;
        ASSERT_TRUE(cp1250::FromUtf8(utf8, back).ok) << b;
        EXPECT_EQ(back, "ab" + one) << b;
    }
}

TEST(Cp1250, CharacterOutsideTheCodePageFailsAtItsPosition)
{
    std::string out = "stale";
    cp1250::Result r = cp1250::FromUtf8("Ω", out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.badChar, 0u);
    EXPECT_TRUE(out.empty());

    r = cp1250::FromUtf8("řeř😀ř", out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.badChar, 3u);
    EXPECT_TRUE(out.empty());
}

TEST(Cp1250, MalformedUtf8Fails)
{
    std::string out;
    for (const char* bad : {"a\xFF" "b", "ab\xC3", "\xC0\xAF", "x\x80"}) {
        cp1250::Result r = cp1250::FromUtf8(bad, out);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(cp1250::FromUtf8("ab\xC3", out).badChar, 2u);
}

TEST(StringTable, EveryIdLoadsAndConverts)
{
    const int missing[] = {10013, 10014, 10015, 10016, 10017, 10021, 10023};
    for (int id = 10000; id <= 10030; ++id) {
        std::string text = "previous";
        LoadText(text, id);
        const bool absent = std::find(std::begin(missing), std::end(missing), id) != std::end(missing);
        if (absent) {
            EXPECT_EQ(text, "Load string error ...") << id;
            continue;
        }
        EXPECT_NE(text, "Load string error ...") << id;
        EXPECT_FALSE(text.empty()) << id;
        std::string utf8;
        EXPECT_TRUE(cp1250::ToUtf8(text, utf8).ok) << id;
    }
    EXPECT_EQ(LoadText(9999), "Load string error ...");
    EXPECT_EQ(LoadText(10031), "Load string error ...");
}

TEST(StringTable, TextsUsersSee)
{
    EXPECT_EQ(LoadText(10002), "Bil - \xDA\xE8" "etn\xED z\xE1v\xEC" "rka pro KT");
    EXPECT_EQ(LoadText(10003), "Jm\xE9no souboru nen\xED zad\xE1no.");
    EXPECT_EQ(LoadText(10009), "Chyba \xE8ten\xED ze souboru.");
    EXPECT_EQ(LoadText(10029),
              "Editace UZ nebyla dokon\xE8" "ena.\nChcete opravdu ukon\xE8it aplikaci ?");
}
