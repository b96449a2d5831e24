// The message functions: the open-file dialog's result, Yes/No questions and
// plain messages, with and without a host.

#include "model/messages.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kFilterBytes[] = "Soubory UZ (*.bil)\0*.bil\0V\x9A" "echny soubory\0*.*\0";
const std::string kFilter(kFilterBytes, sizeof kFilterBytes); // ends in two zero bytes

// The result of BrowseFileName for one chosen path, starting from "previous".
std::pair<bool, std::string> Browse(const std::string& chosen)
{
    ScriptedHost host;
    host.files.push_back(chosen);
    std::string result = "previous";
    const bool ok = BrowseFileName(result, "Soubor", kFilter, ".BIL");
    return {ok, result};
}

} // namespace

TEST(BrowseFileName, DefaultExtensionOnlyWhenTheNameHasNone)
{
    using R = std::pair<bool, std::string>;
    EXPECT_EQ(Browse("/home/uz/firma"), R(true, "/home/uz/firma.BIL"));
    EXPECT_EQ(Browse("/home/uz/firma.txt"), R(true, "/home/uz/firma.txt"));
    EXPECT_EQ(Browse("/home/uz/firma.bil"), R(true, "/home/uz/firma.bil"));
    EXPECT_EQ(Browse("/home/uz/firma."), R(true, "/home/uz/firma..BIL"));
    EXPECT_EQ(Browse("/home/uz/dir.x/firma"), R(true, "/home/uz/dir.x/firma.BIL"));
    EXPECT_EQ(Browse("firma"), R(true, "firma.BIL"));
}

TEST(BrowseFileName, CancelLeavesAnEmptyResult)
{
    EXPECT_EQ(Browse(""), std::make_pair(false, std::string()));

    ScriptedHost host; // an empty queue cancels too
    std::string result = "/home/uz/firma.bil";
    EXPECT_FALSE(BrowseFileName(result, "Soubor", kFilter, ".BIL"));
    EXPECT_TRUE(result.empty());
}

TEST(BrowseFileName, PathLongerThanTheDialogBufferFails)
{
    // Characters count, not bytes: each "č" is two bytes of UTF-8.
    std::string folder = "/";
    for (int i = 0; i < 250; ++i)
        folder += "\xC4\x8D";
    folder += "/";
    const std::string fits = folder + "abc.bil";     // 259 characters
    const std::string tooLong = folder + "abcd.bil"; // 260 characters
    EXPECT_EQ(Browse(fits), std::make_pair(true, fits));
    EXPECT_EQ(Browse(tooLong), std::make_pair(false, std::string()));
}

TEST(BrowseFileName, TitleAndFilterReachTheHostUnchanged)
{
    ScriptedHost host;
    host.files.push_back("/tmp/x.bil");
    std::string result;
    ASSERT_TRUE(BrowseFileName(result, "Jm\xE9no souboru", kFilter, ".BIL"));
    ASSERT_EQ(host.browses.size(), 1u);
    EXPECT_EQ(host.browses[0].title, "Jm\xE9no souboru");
    EXPECT_EQ(host.browses[0].filter, kFilter);
    EXPECT_TRUE(host.boxes.empty());
}

TEST(MessageBoxes, AskYesNoIsTrueOnlyForYes)
{
    ScriptedHost host;
    host.answers = {IDYES, IDNO, IDCANCEL, IDOK};
    EXPECT_TRUE(AskYesNo(10029, MB_ICONEXCLAMATION));
    EXPECT_FALSE(AskYesNo(10029, MB_ICONEXCLAMATION));
    EXPECT_FALSE(AskYesNo(10028, MB_ICONEXCLAMATION));
    EXPECT_FALSE(AskYesNo(10028, MB_ICONEXCLAMATION));
    ASSERT_EQ(host.boxes.size(), 4u);
    EXPECT_EQ(host.boxes[0].style, 0x34u);
    EXPECT_EQ(host.BoxId(0), 10029);
    EXPECT_EQ(host.BoxId(2), 10028);
}

TEST(MessageBoxes, ShowMessageIsAPlainOkBox)
{
    ScriptedHost host;
    ShowMessage(10011);
    ShowMessage(10013); // no text in the table: the fallback is shown
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.BoxId(0), 10011);
    EXPECT_EQ(host.boxes[0].style, 0u);
    EXPECT_EQ(host.boxes[1].text, "Load string error ...");
}

TEST(MessageBoxes, WithoutAHostQuestionsAreAnsweredNo)
{
    IMessageHost* previous = SetMessageHost(nullptr);
    EXPECT_FALSE(AskYesNo(10029, MB_ICONEXCLAMATION));
    ShowMessage(10003);
    std::string result = "previous";
    EXPECT_FALSE(BrowseFileName(result, "Soubor", kFilter, ".BIL"));
    EXPECT_TRUE(result.empty());
    SetMessageHost(previous);
}
