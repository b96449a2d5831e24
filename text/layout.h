#pragma once
// The statement text as rows, and the text's bytes made from them: the text
// file and the printed statement show the same rows, so they never disagree.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CUzData;

// One line of the statement text (two for a paragraph). Texts are
// Windows-1250, exactly as the text prints them.
struct TextRow {
    enum Kind {
        Title,     // value alone (the company)
        Field,     // label, `tabs` TABs, value
        Heading,   // label alone
        Figure,    // label, `tabs` TABs, current, two TABs, previous
        Paragraph, // label, a line break, value
        Note,      // value alone
    };
    Kind kind;
    std::string label;
    std::string value;
    int tabs = 0;
    std::int32_t current = 0;
    std::int32_t previous = 0;
    int blankLines = 0; // empty lines after the row
};

// The rows of the statement, in the text's order.
std::vector<TextRow> StatementRows(const CUzData& data);

// The text's bytes of the rows (CR LF line ends), appended to `out`.
void AppendRows(const std::vector<TextRow>& rows, std::string& out);

// An IČO as the text prints it: filled with zeros in front to eight
// characters.
std::string IcoText(std::int32_t ico);

// The text as written to the text file: unchanged, or with `oneTab` each run
// of TABs written as one TAB.
std::string TextFileBytes(std::string_view text, bool oneTab);
