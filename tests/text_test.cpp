// The lines of the statement text that depend on values (the golden journey
// checks a full one to the character).

#include "model/cp1250.h"
#include "model/document.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        out.push_back(text.substr(from, at - from));
    out.push_back(text.substr(from));
    return out;
}

std::string Build(const CUzDocument& doc)
{
    std::string text = "left over";
    EXPECT_EQ(doc.BuildText(text), 1);
    return text;
}

} // namespace

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
        const std::vector<std::string> lines = Lines(Build(doc));
        ASSERT_EQ(lines.size(), 89u) << c.tag;
        EXPECT_EQ(lines[c.line], c.expected) << "tag " << c.tag << ", line " << c.line + 1;
    }
}
