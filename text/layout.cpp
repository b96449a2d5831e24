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

class Builder {
public:
    Builder(const CUzData& data, std::string& out) : m_data(data), m_out(out) {}

    void Run()
    {
        const Literals& lit = Texts();
        Text(1).CrLf().CrLf();
        Put(lit.seat).Tab().Text(3).Put(", ").Text(4).Put(", ").Label(5).Text(5).CrLf();
        Label(2).Tab().Ico().CrLf().CrLf();
        Label(6).Text(6).CrLf().CrLf();
        Label(7).Tab().Text(7).CrLf();
        Label(8).Tab().Text(8).CrLf();
        Label(9).Tab().Tab().Text(9).CrLf();
        Label(10).Tab().Tab().Opinion().CrLf().CrLf();

        Put(lit.balance).CrLf().CrLf();
        int tag = 11;
        tag = Figures(tag, kAssetTabs);
        CrLf();
        tag = Figures(tag, kLiabilityTabs);
        CrLf();
        Put(lit.profitLoss).CrLf().CrLf();
        tag = Figures(tag, kProfitLoss1Tabs);
        CrLf();
        Figures(tag, kProfitLoss2Tabs);
        CrLf();

        Label(113).CrLf().Text(113).CrLf().CrLf();
        Label(115).CrLf().Text(115).CrLf().CrLf();
        Label(114).CrLf().Text(114).CrLf().CrLf();
        for (int t = 116; t <= 120; ++t)
            Label(t).Tabs(6).Text(t).CrLf();
        Label(121).Tabs(5).Text(121).CrLf().CrLf();
        Text(122).CrLf();
    }

private:
    Builder& Put(const std::string& s) { m_out += s; return *this; }
    Builder& Put(const char* s) { m_out += s; return *this; }
    Builder& Tab() { m_out += '\t'; return *this; }
    Builder& Tabs(int n) { m_out.append(static_cast<std::size_t>(n), '\t'); return *this; }
    Builder& CrLf() { m_out += kCrLf; return *this; }
    Builder& Text(int tag) { return Put(m_data.Item(tag).m_strValue); }
    Builder& Label(int tag) { return Put(m_data.Item(tag).m_strLabel); }

    Builder& Number(const char* format, std::int32_t n)
    {
        m_scratch.resize(16);
        const int len = std::snprintf(m_scratch.data(), m_scratch.size(), format, static_cast<int>(n));
        m_scratch.resize(static_cast<std::size_t>(len));
        return Put(m_scratch);
    }

    // The IČO from its number, filled with zeros in front to eight characters.
    Builder& Ico()
    {
        Number("%d", m_data.Item(2).m_nNumber);
        if (m_scratch.size() < 8)
            m_out.insert(m_out.size() - m_scratch.size(), 8 - m_scratch.size(), '0');
        return *this;
    }

    // The opinion by the number of item 10; nothing for a number out of range.
    Builder& Opinion()
    {
        if (const std::string* text = OpinionText(m_data.Item(kOpinionTag).m_nNumber))
            Put(*text);
        return *this;
    }

    template <std::size_t N>
    int Figures(int tag, const int (&tabs)[N])
    {
        for (int count : tabs) {
            Label(tag).Tabs(count);
            Number("%d", m_data.Item(tag).m_nNumber);
            Number("\t\t%d", m_data.Item(tag + 1).m_nNumber);
            CrLf();
            tag += 2;
        }
        return tag;
    }

    const CUzData& m_data;
    std::string& m_out;
    std::string m_scratch;
};

} // namespace

int CUzDocument::BuildText(std::string& text) const
{
    try {
        text.clear();
        Builder(m_data, text).Run();
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
