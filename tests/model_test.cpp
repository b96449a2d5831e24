// The message functions: the string table, questions and the file dialog's
// default extension.

#include "model/messages.h"
#include "support/support.h"

#include <gtest/gtest.h>

TEST(Messages, StringTableQuestionsAndTheFileDialog)
{
    EXPECT_EQ(LoadText(10003), Windows1250("Jméno souboru není zadáno."));
    EXPECT_EQ(LoadText(10013), "Load string error ..."); // a text no path shows
    EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION));  // no host: No
    ScriptedHost host;
    host.answers = {IDYES, IDNO};
    EXPECT_TRUE(AskYesNo(10025, MB_ICONEXCLAMATION));
    EXPECT_FALSE(AskYesNo(10025, MB_ICONEXCLAMATION));
    EXPECT_EQ(host.boxes[0].style, MB_ICONEXCLAMATION | MB_YESNO);

    // The default extension only for a name without one; cancel, failure or
    // a name the dialog's buffer cannot hold give nothing.
    std::string longest = "/";
    for (int i = 0; i < 250; ++i)
        longest += "\xC4\x8D"; // 2 bytes, 1 character
    longest += "/abc.bil";     // 259 characters
    const std::pair<std::string, std::string> browses[] = {
        {"/uz/firma", "/uz/firma.BIL"}, {"/uz/firma.txt", "/uz/firma.txt"},
        {"/uz/firma.", "/uz/firma..BIL"}, {"/uz.2024/firma", "/uz.2024/firma.BIL"},
        {longest, longest}, {longest + "x", ""}, {"", ""}};
    for (const auto& [chosen, result] : browses) {
        host.files = {chosen};
        std::string path = "previous";
        EXPECT_EQ(BrowseFileName(path, "Soubor", std::string("UZ\0*.bil\0", 9), ".BIL"), !result.empty());
        EXPECT_EQ(path, result);
    }
    EXPECT_EQ(host.filter, std::string("UZ\0*.bil\0", 9));
}
