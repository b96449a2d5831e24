// The statement text: the whole statement as TAB-separated lines with CR LF,
// in the fixed order and with the fixed TAB counts the editorial office reads.

#include "text/layout.h"

#include "model/cp1250.h"
#include "model/document.h"
#include "model/messages.h"
#include "model/opinions.h"

#include <cstdio>
#include <new>

namespace {

constexpr const char* kCrLf = "\r\n";

struct Literals {
    std::string seat = cp1250::Literal("Sídlo:");
    std::string balance = cp1250::Literal("Rozvaha ( v tis. Kč):");
    std::string profitLoss = cp1250::Literal("Výkaz zisků a ztrát ( v tis. Kč):");
};

const Literals& Texts()
{
    static const Literals literals;
    return literals;
}

// TABs between the label and the current-year figure, per figure line, from
// tag 11 on; the groups are assets, liabilities, profit and loss 1 and 2.
constexpr int kAssetTabs[] = {6, 4, 6, 4, 4, 4, 1, 6, 6, 4, 4, 5, 6};
constexpr int kLiabilityTabs[] = {6, 6, 5, 4, 5, 4, 4, 4, 6, 6, 5, 5, 4, 3, 6};
constexpr int kProfitLoss1Tabs[] = {5, 2, 4, 6, 3, 6, 6, 2, 1, 1, 4, 4};
constexpr int kProfitLoss2Tabs[] = {5, 1, 1, 3, 4, 1, 3, 5, 5, 5, 4};

class RowBuilder {
public:
    RowBuilder(const CUzData& data, std::vector<TextRow>& rows) : m_data(data), m_rows(rows) {}

    void Run()
    {
        const Literals& lit = Texts();
        Add(TextRow::Title, "", Text(1)).blankLines = 1;
        Add(TextRow::Field, lit.seat, Text(3) + ", " + Text(4) + ", " + Label(5) + Text(5), 1);
        Add(TextRow::Field, Label(2), IcoText(m_data.Item(2).m_nNumber), 1).blankLines = 1;
        Add(TextRow::Field, Label(6), Text(6)).blankLines = 1;
        Add(TextRow::Field, Label(7), Text(7), 1);
        Add(TextRow::Field, Label(8), Text(8), 1);
        Add(TextRow::Field, Label(9), Text(9), 2);
        const std::string* opinion = OpinionText(m_data.Item(kOpinionTag).m_nNumber);
        Add(TextRow::Field, Label(10), opinion ? *opinion : std::string(), 2).blankLines = 1;

        Add(TextRow::Heading, lit.balance, "").blankLines = 1;
        int tag = Figures(kFirstFigureTag, kAssetTabs);
        tag = Figures(tag, kLiabilityTabs);
        Add(TextRow::Heading, lit.profitLoss, "").blankLines = 1;
        tag = Figures(tag, kProfitLoss1Tabs);
        Figures(tag, kProfitLoss2Tabs);

        for (int t : {113, 115, 114})
            Add(TextRow::Paragraph, Label(t), Text(t)).blankLines = 1;
        for (int t = 116; t <= 120; ++t)
            Add(TextRow::Field, Label(t), Text(t), 6);
        Add(TextRow::Field, Label(121), Text(121), 5).blankLines = 1;
        Add(TextRow::Note, "", Text(122));
    }

private:
    const std::string& Text(int tag) const { return m_data.Item(tag).m_strValue; }
    const std::string& Label(int tag) const { return m_data.Item(tag).m_strLabel; }

    TextRow& Add(TextRow::Kind kind, const std::string& label, const std::string& value, int tabs = 0)
    {
        TextRow& row = m_rows.emplace_back(TextRow{kind, label, value});
        row.tabs = tabs;
        return row;
    }

    // One group of figure lines; an empty line ends it.
    template <std::size_t N>
    int Figures(int tag, const int (&tabs)[N])
    {
        for (int count : tabs) {
            TextRow& row = Add(TextRow::Figure, Label(tag), "", count);
            row.current = m_data.Item(tag).m_nNumber;
            row.previous = m_data.Item(tag + 1).m_nNumber;
            tag += 2;
        }
        m_rows.back().blankLines = 1;
        return tag;
    }

    const CUzData& m_data;
    std::vector<TextRow>& m_rows;
};

void AppendNumber(std::string& out, const char* format, std::int32_t n)
{
    char buf[16];
    const int len = std::snprintf(buf, sizeof buf, format, static_cast<int>(n));
    out.append(buf, static_cast<std::size_t>(len));
}

} // namespace

std::vector<TextRow> StatementRows(const CUzData& data)
{
    std::vector<TextRow> rows;
    rows.reserve(80);
    RowBuilder(data, rows).Run();
    return rows;
}

void AppendRows(const std::vector<TextRow>& rows, std::string& out)
{
    for (const TextRow& row : rows) {
        switch (row.kind) {
        case TextRow::Title:
        case TextRow::Note:
            out += row.value;
            break;
        case TextRow::Heading:
            out += row.label;
            break;
        case TextRow::Field:
            out += row.label;
            out.append(static_cast<std::size_t>(row.tabs), '\t');
            out += row.value;
            break;
        case TextRow::Figure:
            out += row.label;
            out.append(static_cast<std::size_t>(row.tabs), '\t');
            AppendNumber(out, "%d", row.current);
            AppendNumber(out, "\t\t%d", row.previous);
            break;
        case TextRow::Paragraph:
            out += row.label;
            out += kCrLf;
            out += row.value;
            break;
        }
        for (int i = 0; i <= row.blankLines; ++i)
            out += kCrLf;
    }
}

std::string IcoText(std::int32_t ico)
{
    std::string out;
    AppendNumber(out, "%d", ico);
    if (out.size() < 8)
        out.insert(0, 8 - out.size(), '0');
    return out;
}

int CUzDocument::BuildText(std::string& text) const
{
    try {
        text.clear();
        AppendRows(StatementRows(m_data), text);
        return 1;
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        try {
            std::string message;
            LoadText(message, 10018);
            AppMessageBox(message, MB_ICONHAND | MB_OK);
        } catch (const std::bad_alloc&) {
            // Not even the message fits: the empty text tells the user later.
        }
        return 0;
    }
}

std::string TextFileBytes(std::string_view text, bool oneTab)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (oneTab && text[i] == '\t')
            while (i + 1 < text.size() && text[i + 1] == '\t')
                ++i;
        out += text[i];
    }
    return out;
}
