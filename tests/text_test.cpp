// The statement text: exact layout of header, figure rows and closing data.

#include "model/cp1250.h"
#include "model/document.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string W(const char* utf8)
{
    return cp1250::Literal(utf8);
}

// The text split at CR LF; a text that ends with CR LF gives an empty last part.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find("\r\n", from);
        if (at == std::string::npos) {
            out.push_back(text.substr(from));
            return out;
        }
        out.push_back(text.substr(from, at - from));
        from = at + 2;
    }
}

std::string Build(const CUzDocument& doc)
{
    std::string text;
    EXPECT_EQ(doc.BuildText(text), 1);
    return text;
}

void SetText(CUzDocument& doc, int tag, const char* utf8)
{
    doc.m_data.Item(tag).m_strValue = W(utf8);
}

// Line numbers (zero-based) in the text of any statement whose texts hold no
// line break.
constexpr std::size_t kIcoLine = 3;
constexpr std::size_t kOpinionLine = 10;
constexpr std::size_t kFirstAssetLine = 14;

// Zero-based line of each of the 51 figure rows.
std::vector<std::size_t> FigureLines()
{
    std::vector<std::size_t> out;
    auto group = [&](std::size_t first, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(first + i);
    };
    group(14, 13); // assets
    group(28, 15); // liabilities
    group(46, 12); // profit and loss 1
    group(59, 11); // profit and loss 2
    return out;
}

TEST(BuildText, WorkedExample)
{
    CUzDocument doc;
    SetText(doc, 1, "Alfa a.s.");
    SetText(doc, 3, "Brno");
    SetText(doc, 4, "Dlouhá 5");
    SetText(doc, 5, "602 00");
    doc.m_data.Item(2).m_nNumber = 471;
    SetText(doc, 6, "1999");
    SetText(doc, 7, "Beta s.r.o.");
    SetText(doc, 8, "77");
    SetText(doc, 9, "31.3.2000");
    SetText(doc, 10, "s výhradou");
    doc.m_data.Item(10).m_nNumber = 1;
    doc.m_data.Item(11).m_nNumber = 150;
    doc.m_data.Item(12).m_nNumber = 140;

    const std::vector<std::string> expected = {
        W("Alfa a.s."),
        "",
        W("Sídlo:\tBrno, Dlouhá 5, PSČ 602 00"),
        W("IČO:\t00000471"),
        "",
        W("zveřejňuje podle $20 zák. č. 563/91 sb. hlavní údaje z účetní závěrky za rok: 1999"),
        "",
        W("Auditor (Obchodní jméno):\tBeta s.r.o."),
        W("Auditor (Číslo oprávnění):\t77"),
        W("Datum auditu:\t\t31.3.2000"),
        W("Výrok auditora:\t\ts výhradou"),
        "",
        W("Rozvaha ( v tis. Kč):"),
        "",
        W("Aktiva celkem\t\t\t\t\t\t150\t\t140"),
        W("Pohledávky za upsaný vl. kapitál (A)\t\t\t\t0\t\t0"),
    };
    std::vector<std::string> lines = Lines(Build(doc));
    ASSERT_GT(lines.size(), expected.size());
    lines.resize(expected.size());
    EXPECT_EQ(lines, expected);
}

TEST(BuildText, FreshStatement)
{
    CUzDocument doc;
    const std::string text = Build(doc);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 89u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[2], W("Sídlo:\t, , PSČ "));
    EXPECT_EQ(lines[kIcoLine], W("IČO:\t00000000"));
    EXPECT_EQ(lines[kOpinionLine], W("Výrok auditora:\t\tbez výhrad"));
    for (std::size_t i : FigureLines()) {
        const std::string& line = lines[i];
        EXPECT_TRUE(line.ends_with("\t0\t\t0")) << "line " << i + 1 << ": " << line;
    }
    // The empty note still ends the text with its CR LF.
    EXPECT_EQ(lines[87], "");
    EXPECT_EQ(lines[88], "");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST(BuildText, IdentificationNumberFilledToEightCharacters)
{
    CUzDocument doc;
    auto icoLine = [&](std::int32_t n) {
        doc.m_data.Item(2).m_nNumber = n;
        return Lines(Build(doc))[kIcoLine];
    };
    EXPECT_EQ(icoLine(471), W("IČO:\t00000471"));
    EXPECT_EQ(icoLine(1234567), W("IČO:\t01234567"));
    EXPECT_EQ(icoLine(12345678), W("IČO:\t12345678"));
    EXPECT_EQ(icoLine(123456789), W("IČO:\t123456789"));
    // The zeros go in front of what "%d" gives, minus sign included.
    EXPECT_EQ(icoLine(-5), W("IČO:\t000000-5"));
    EXPECT_EQ(icoLine(INT32_MIN), W("IČO:\t-2147483648"));

    // The text of the item is never printed.
    doc.m_data.Item(2).m_strValue = "99";
    EXPECT_EQ(icoLine(7), W("IČO:\t00000007"));
}

TEST(BuildText, FiguresComeFromNumbersWithTheirSign)
{
    CUzDocument doc;
    doc.m_data.Item(11).m_nNumber = -250;
    doc.m_data.Item(12).m_nNumber = -1;
    doc.m_data.Item(111).m_nNumber = INT32_MIN;
    doc.m_data.Item(112).m_nNumber = INT32_MAX;
    doc.m_data.Item(13).m_strValue = "12345"; // a figure's text is ignored
    const std::vector<std::string> lines = Lines(Build(doc));
    EXPECT_EQ(lines[kFirstAssetLine], W("Aktiva celkem\t\t\t\t\t\t-250\t\t-1"));
    EXPECT_EQ(lines[kFirstAssetLine + 1], W("Pohledávky za upsaný vl. kapitál (A)\t\t\t\t0\t\t0"));
    EXPECT_EQ(lines[69], W("Hosp. výsledek za účet. období (***)\t\t\t\t-2147483648\t\t2147483647"));
}

TEST(BuildText, OpinionComesFromItsNumber)
{
    CUzDocument doc;
    SetText(doc, 10, "bez výhrad");
    auto opinionLine = [&](std::int32_t n) {
        doc.m_data.Item(10).m_nNumber = n;
        return Lines(Build(doc))[kOpinionLine];
    };
    EXPECT_EQ(opinionLine(2), W("Výrok auditora:\t\tzáporný výrok"));
    EXPECT_EQ(opinionLine(3), W("Výrok auditora:\t\todmítnutí výroku"));
    EXPECT_EQ(opinionLine(4), W("Výrok auditora:\t\t"));
    EXPECT_EQ(opinionLine(7), W("Výrok auditora:\t\t"));
    EXPECT_EQ(opinionLine(-1), W("Výrok auditora:\t\t"));
    EXPECT_EQ(opinionLine(INT32_MIN), W("Výrok auditora:\t\t"));
}

TEST(BuildText, TextsPrintedAsEntered)
{
    CUzDocument doc;
    SetText(doc, 1, "Firma\tA");
    SetText(doc, 5, "602 00");
    SetText(doc, 7, "\t");
    const std::vector<std::string> lines = Lines(Build(doc));
    EXPECT_EQ(lines[0], W("Firma\tA"));
    EXPECT_EQ(lines[2], W("Sídlo:\t, , PSČ 602 00"));
    EXPECT_EQ(lines[7], W("Auditor (Obchodní jméno):\t\t"));
}

TEST(BuildText, ClosingBlock)
{
    CUzDocument doc;
    SetText(doc, 113, "Místo");
    SetText(doc, 114, "Dcery");
    SetText(doc, 115, "Osoby");
    for (int tag = 116; tag <= 121; ++tag)
        doc.m_data.Item(tag).m_strValue = std::to_string(tag);
    doc.m_data.Item(116).m_nNumber = 555; // printed from the text, not the number
    SetText(doc, 122, "Poznámka sama");

    const std::vector<std::string> expected = {
        W("Místo uložení výroční zprávy:"),
        W("Místo"),
        "",
        W("Osoby s více než 20% podílem na ZK (+ výše vkladu v %):"),
        W("Osoby"),
        "",
        W("Dceřiné podniky (název a sídlo):"),
        W("Dcery"),
        "",
        W("** Peněž. tok z provozní činnosti:\t\t\t\t\t\t116"),
        W("** Peněž. tok z investiční činnosti:\t\t\t\t\t\t117"),
        W("** Peněž. tok z finanční činnosti:\t\t\t\t\t\t118"),
        W("Pohledávky 180 dnů po lhůtě splatnosti:\t\t\t\t\t\t119"),
        W("Závazky 180 dnů po lhůtě splatnosti:\t\t\t\t\t\t120"),
        W("HIM zatížený zástav. právem nebo věc. břemeny:\t\t\t\t\t121"),
        "",
        W("Poznámka sama"),
        "",
    };
    const std::vector<std::string> lines = Lines(Build(doc));
    ASSERT_EQ(lines.size(), 89u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 71, lines.end()), expected);
}

TEST(BuildText, OrdererDataNeverAppear)
{
    CUzDocument doc;
    const std::string before = Build(doc);
    for (int tag = 123; tag <= 134; ++tag) {
        doc.m_data.Item(tag).m_strValue = "ORDERER" + std::to_string(tag);
        doc.m_data.Item(tag).m_nNumber = 4242;
    }
    EXPECT_EQ(Build(doc), before);
}

TEST(BuildText, ReplacesThePreviousContent)
{
    CUzDocument doc;
    const std::string expected = Build(doc);
    std::string text = "left over from before";
    EXPECT_EQ(doc.BuildText(text), 1);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(doc.BuildText(text), 1);
    EXPECT_EQ(text, expected);
}

// Every item filled with its own value; tests/data/full_statement.txt is the
// text of this statement, written by hand from the layout.
void FillFullStatement(CUzDocument& doc)
{
    CUzData& d = doc.m_data;
    SetText(doc, 1, "Žluťoučký kůň, a.s.");
    d.Item(2).m_nNumber = 25596641;
    SetText(doc, 3, "České Budějovice");
    SetText(doc, 4, "Náměstí Přemysla Otakara II. 87/25");
    SetText(doc, 5, "370 01");
    SetText(doc, 6, "2024");
    SetText(doc, 7, "Ověřovatelé Čížek & spol. s.r.o.");
    SetText(doc, 8, "KA 1234");
    SetText(doc, 9, "15. dubna 2025");
    SetText(doc, 10, "záporný výrok");
    d.Item(10).m_nNumber = 2;

    const std::int32_t figures[][3] = {
        {11, 152340, 148775}, {13, 120, -35},     {15, 98410, 91002},
        {17, 1530, 1788},     {19, 84211, 80306}, {21, 12669, 8908},
        {23, INT32_MAX, INT32_MIN},               {25, 51980, 55310},
        {27, 17403, 16020},   {29, 2260, 2915},   {31, 28137, 30433},
        {33, 4180, 5942},     {35, 1830, 2498},   {37, 152341, 148770},
        {39, 60112, 57231},   {41, 40000, 40001}, {43, 39999, 39998},
        {45, 3125, 2877},     {47, 8012, 7541},   {49, -1250, -2689},
        {51, 10225, 9501},    {53, 90127, 89002}, {55, 5400, 6100},
        {57, 12345, 11230},   {59, 47390, 45672}, {61, 24992, 26000},
        {63, 15000, 17500},   {65, 2102, 2537},   {67, 203455, 187920},
        {69, 198300, 181211}, {71, -2345, 1709},  {73, 7500, 5000},
        {75, 142117, 130842}, {77, 61338, 57078}, {79, 33012, 31990},
        {81, 9876, 9123},     {83, 1422, 987},    {85, 2103, 1876},
        {87, 4321, 3456},     {89, 6654, 5987},   {91, 15436, 12545},
        {93, 211, 198},       {95, 345, 402},     {97, 1260, 1433},
        {99, 3871, 3904},     {101, -2745, -2686}, {103, 12691, 9859},
        {105, 530, 96},       {107, 2996, 454},   {109, -2466, -358},
        {111, 10227, 9498},
    };
    for (const auto& f : figures) {
        d.Item(f[0]).m_nNumber = f[1];
        d.Item(f[0] + 1).m_nNumber = f[2];
    }

    SetText(doc, 113, "Krajský soud v Českých Budějovicích, sbírka listin");
    SetText(doc, 114, "Řeka Lužnice s.r.o., Tábor; Ďáblice spol. s r.o., Praha 8");
    SetText(doc, 115, "Ing. Jiří Dvořák, Praha\t35 %; Šárka Nová, Brno\t22 %");
    SetText(doc, 116, "12 450");
    SetText(doc, 117, "-8 300");
    SetText(doc, 118, "-1 200");
    SetText(doc, 119, "315");
    SetText(doc, 120, "žádné");
    SetText(doc, 121, "1 800 (hala Ústí)");
    SetText(doc, 122, "Účetní závěrka byla schválena valnou hromadou 20. 5. 2025.\r\n"
                      "Poznámky k příloze: ÚČTY ŘÁDNĚ VEDENY.");

    SetText(doc, 123, "Žluťoučký kůň, a.s.");
    SetText(doc, 124, "Účtárna");
    SetText(doc, 125, "Lannova 12");
    SetText(doc, 126, "České Budějovice");
    SetText(doc, 127, "37001");
    d.Item(128).m_nNumber = 25596642;
    SetText(doc, 129, "CZ25596641");
    SetText(doc, 130, "2. 6. 2025");
    SetText(doc, 131, "Věra Šťastná");
    SetText(doc, 132, "+420 387 000 111");
    SetText(doc, 133, "+420 387 000 112");
    SetText(doc, 134, "ucetni@kun.cz");
}

TEST(BuildText, FullStatementMatchesTheGoldenText)
{
    CUzDocument doc;
    FillFullStatement(doc);
    const std::string golden = ReadFile(TestDataPath("full_statement.txt"));
    ASSERT_FALSE(golden.empty());
    const std::string text = Build(doc);
    if (text != golden) {
        // Point at the first line that differs.
        const std::vector<std::string> a = Lines(text);
        const std::vector<std::string> b = Lines(golden);
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            ASSERT_EQ(a[i], b[i]) << "line " << i + 1;
        ASSERT_EQ(a.size(), b.size());
        FAIL() << "texts differ";
    }
}

} // namespace
