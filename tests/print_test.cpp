// bil --pdf and --order-pdf as a script runs them, with no display, the PDF
// read back by poppler's tools. The register takes no page over 150 kB. And
// bil --next-year, which writes a new statement only where no file is, and
// bil --import, which takes the figures of the books into a statement.

#include "model/catalogue.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <span>
#include <sys/wait.h>

namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// Standard output of a shell command; `status` gets its exit status.
std::string Shell(const std::string& command, int* status = nullptr)
{
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    const int rc = pclose(pipe);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// The temporary folder bil runs with, which it must leave as it found it.
const TempDir& Scratch()
{
    static const TempDir scratch;
    return scratch;
}

// bil without a display (a platform asked for that needs one) and without a
// runtime folder, as from cron, in the time zone `zone`, after the shell
// command `before`: its standard error.
std::string Bil(const std::string& args, int& status, const std::string& before = "",
                const std::string& zone = "Europe/Prague")
{
    return Shell(before + "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb TZ=" +
                     zone + " TMPDIR=" + Scratch().Path() + " " BIL_EXE " " + args + " 2>&1 >/dev/null",
                 &status);
}

// Text for comparing: no white space (pdftotext turns the no-break spaces
// between digit groups into spaces), no colons (headings drop them), the
// minus sign as the text file's hyphen.
std::string Squeezed(std::string utf8)
{
    for (std::size_t at; (at = utf8.find("\u2212")) != std::string::npos;)
        utf8.replace(at, 3, "-");
    std::string out;
    for (char c : utf8)
        if (!std::isspace(static_cast<unsigned char>(c)) && c != ':')
            out += c;
    return out;
}

// The lines of `golden` (UTF-8) found one after another in `squeezed`:
// the first that is missing, or "".
std::string MissingLine(const std::string& golden, const std::string& squeezed)
{
    std::size_t from = 0;
    std::istringstream lines(golden);
    for (std::string line; std::getline(lines, line);) {
        const std::string want = Squeezed(line);
        const std::size_t at = squeezed.find(want, from);
        if (at == std::string::npos)
            return line;
        from = at + want.size();
    }
    return "";
}

// The text of a PDF's pages without their footers, each of which must end
// "strana N z M"; `pages` gets M.
std::string Body(const std::string& pdf, int& pages)
{
    const std::string text = Shell("pdftotext -layout " + Quoted(pdf) + " -");
    const std::string of = " z " + std::to_string(std::count(text.begin(), text.end(), '\f'));
    std::string body;
    pages = 0;
    for (std::size_t from = 0, end; (end = text.find('\f', from)) != std::string::npos; from = end + 1) {
        std::string page = text.substr(from, end - from);
        page.erase(page.find_last_not_of('\n') + 1);
        const std::size_t footer = page.rfind('\n') + 1;
        EXPECT_TRUE(page.ends_with("strana " + std::to_string(++pages) + of)) << page.substr(footer);
        body += page.substr(0, footer);
    }
    return body;
}

std::string Utf8(const std::string& cp1250)
{
    std::string out;
    cp1250::ToUtf8(cp1250, out);
    return out;
}

class PrintPdf : public ::testing::Test {
protected:
    std::string Pdf(const char* option, std::vector<Record> statement, const char* zone = "UTC")
    {
        WriteFile(in, EncodeRecords(statement));
        int status = -1;
        EXPECT_EQ(Bil(std::string(option) + " " + Quoted(out) + " " + Quoted(in), status, "", zone), "");
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(std::filesystem::is_empty(Scratch().Path()));
        return Body(out, pages);
    }

    TempDir dir;
    std::string in = dir.File("Účet 2023.bil"), out = dir.File("výkaz.pdf");
    std::vector<Record> records = ReadRecords("journey.records");
    int pages = 0;
};

} // namespace

TEST_F(PrintPdf, StatementHoldsEveryRowOfTheTextAndTheBoxOnlyWhenRulesFail)
{
    // The XMP packet's date is the document information's, in UTC (which
    // the latter writes as Z) and east of it: the missing XMP date, or "".
    const auto sameDates = [this] {
        const std::string info = Shell("pdfinfo -rawdates " + Quoted(out));
        const std::regex raw(R"(CreationDate: +D:(\d{4})(\d\d)(\d\d)(\d\d)(\d\d)(\d\d)(Z|(.\d\d)'(\d\d)'))");
        std::smatch d;
        if (!std::regex_search(info, d, raw))
            return std::string("no date");
        const std::string xmp = d.format("<xmp:CreateDate>$1-$2-$3T$4:$5:$6") +
                                (d[7] == "Z" ? "+00:00" : d.format("$8:$9")) + "</xmp:CreateDate>";
        return Shell("pdfinfo -meta " + Quoted(out)).find(xmp) == std::string::npos ? xmp : std::string();
    };
    const std::string text = Pdf("--pdf", records);
    // Every line of the text file, the law's paragraph as the law writes it.
    std::string golden = Utf8(ReadFile(TestDataPath("journey.txt")));
    golden.replace(golden.find("$20"), 3, "§ 20");
    EXPECT_EQ(MissingLine(golden, Squeezed(text)), "");
    EXPECT_EQ(text.find("nesrovnalosti"), std::string::npos);
    EXPECT_EQ(sameDates(), "");
    // A4, every font embedded, the company as author in the information
    // and the packet alike.
    const std::string info = Shell("pdfinfo " + Quoted(out));
    for (const char* line : {"Page size:       595 x 842 pts (A4)", "Author:          Sklárna Šťáhlavy, a.s.\n",
                             "Title:           Účetní závěrka – Sklárna Šťáhlavy, a.s., 2023\n"})
        EXPECT_NE(info.find(line), std::string::npos) << line;
    EXPECT_EQ(Shell("pdffonts " + Quoted(out) + " | awk 'NR > 2 && $(NF-4) != \"yes\"'"), "");
    // Bold heads and column heads, plain rows; a line inside another stands
    // indented under it.
    const std::string faces = Shell("pdftohtml -xml -i -stdout " + Quoted(out));
    for (const char* bold : {"<b>Rozvaha (v tis. Kč)</b>", "<b>Běžný rok</b>", ">Sídlo:</text>"})
        EXPECT_NE(faces.find(bold), std::string::npos) << bold;
    const std::string boxes = Shell("pdftotext -bbox " + Quoted(out) + " -");
    const auto left = [&](const std::string& word) {
        std::smatch m;
        const std::regex at("<word xMin=\"([\\d.]+)\"[^>]*>" + word + "</word>");
        return std::regex_search(boxes, m, at) ? std::stod(m[1]) : -1.0;
    };
    EXPECT_GT(left("zásoby"), left("Oběžná") + 3);
    const std::string meta = Shell("pdfinfo -meta " + Quoted(out));
    EXPECT_NE(meta.find("<rdf:li>Sklárna Šťáhlavy, a.s.</rdf:li>"), std::string::npos);
    EXPECT_NE(meta.find("pdfaid:part=\"1\" pdfaid:conformance=\"B\""), std::string::npos);
    // The column heads of both tables, and again on the second page.
    std::size_t heads = 0;
    for (std::size_t at = 0; (at = Squeezed(text).find("BěžnýrokMinulýrok", at)) != std::string::npos; ++at)
        ++heads;
    EXPECT_EQ(heads, 3u);

    // The previous year's intangible and current assets wrong: rules 2 to 4
    // of that year; this year's total liabilities: rules 1 and 5. A name
    // that XML must escape, with a control character it cannot hold; a
    // figure in no rule with three digit groups.
    records[37 - 1].number += 1;
    records[18 - 1].number = 900;
    records[26 - 1].number = 2500;
    records[44 - 1].number = -1234567;
    records[0].text = "Alfa & \x01" "Beta <a.s.>";
    const std::string failing = Pdf("--pdf", records, "Europe/Prague");
    EXPECT_EQ(sameDates(), "");
    EXPECT_LT(failing.find("nesrovnalosti"), failing.find("Sídlo:"));
    const std::string lines = "Běžný rok: Aktiva celkem a pasiva celkem\nBěžný rok: Pasiva celkem\n"
                              "Minulý rok: Aktiva celkem\nMinulý rok: Stálá aktiva\nMinulý rok: Oběžná aktiva\n";
    EXPECT_EQ(MissingLine(lines, Squeezed(failing)), "");
    EXPECT_EQ(failing.find("Minulý rok: ", failing.find("Oběžná aktiva\n")), std::string::npos);
    EXPECT_NE(failing.find(" \u22121 234 567\n"), std::string::npos) << "digit groups, minus";
    EXPECT_NE(Shell("pdfinfo -meta " + Quoted(out)).find("<rdf:li>Alfa &amp; Beta &lt;a.s.&gt;</rdf:li>"),
              std::string::npos);
}

TEST_F(PrintPdf, OrderHoldsTheOrderersDataAndTheStatementsCompany)
{
    std::string expected = "Objednávka zveřejnění účetní závěrky v KT\nSklárna Šťáhlavy, a.s.\n00000477\n2023\n";
    for (const Record& r : std::span(records).subspan(123 - 1, 12))
        expected += std::string(CatalogueAt(r.tag).label) + (r.tag == 128 ? "00000477" : Utf8(r.text)) + "\n";
    expected += "Údaje o společnosti, které má být vystavena faktura\nRazítko a podpis\n";
    EXPECT_EQ(MissingLine(expected, Squeezed(Pdf("--order-pdf", records))), "");
}

TEST_F(PrintPdf, LongTextsFlowOverPagesWholeAndNoPageIsOverTheLimit)
{
    std::string words;
    for (int i = 0; i < 20000; ++i)
        words += "slovo" + std::to_string(i) + (i % 500 == 499 ? "\r\n" : " ");
    records[114 - 1].text = words;
    records[122 - 1].text = std::string(60000, 'x') + " konec";
    const std::string body = Pdf("--pdf", records);
    // Every word whole, in order; the note without a gap.
    std::istringstream tokens(body);
    std::string token;
    for (int i = 0; i < 20000 && tokens >> token;)
        i += token == "slovo" + std::to_string(i);
    EXPECT_EQ(token, "slovo19999");
    EXPECT_NE(Squeezed(body).find(std::string(60000, 'x') + "konec"), std::string::npos);
    ASSERT_EQ(std::system(("pdfseparate " + Quoted(out) + " " + Quoted(dir.File("page-%d.pdf"))).c_str()), 0);
    EXPECT_GT(pages, 5);
    for (int i = 1; i <= pages; ++i)
        EXPECT_LE(std::filesystem::file_size(dir.File("page-" + std::to_string(i) + ".pdf")), 150u * 1024);
    // No line runs into the footer: on every page each word but the
    // footer's ends above the footer's line.
    const std::string boxes = Shell("pdftotext -bbox " + Quoted(out) + " -");
    const std::regex word(R"re(<word xMin="[\d.]+" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">)re");
    for (std::size_t from = 0, to; (from = boxes.find("<page ", from)) != std::string::npos; from = to) {
        to = boxes.find("</page>", from);
        const std::string page = boxes.substr(from, to - from);
        std::vector<std::pair<double, double>> words;
        for (std::sregex_iterator w(page.begin(), page.end(), word), end; w != end; ++w)
            words.emplace_back(std::stod((*w)[1]), std::stod((*w)[2]));
        ASSERT_FALSE(words.empty());
        const double footer = std::max_element(words.begin(), words.end())->first - 1;
        for (const auto& [top, bottom] : words)
            EXPECT_TRUE(top >= footer || bottom < footer - 2) << top << " " << bottom << " " << footer;
    }
}

TEST_F(PrintPdf, FailuresExitWithTheirStatusAndLeaveNothingAtTheOutput)
{
    WriteFile(in, EncodeRecords(records));
    WriteFile(dir.File("damaged.bil"), "not a statement");
    std::filesystem::create_directory(dir.File("folder"));
    ASSERT_EQ(link(in.c_str(), dir.File("linked.bil").c_str()), 0);
    const struct {
        std::string args;
        int status;
        std::string message;
        std::string before = "";
    } cases[] = {
        {"--pdf OUT " + Quoted(dir.File("chybí.bil")), 1, Utf8(ReadResultText(ReadResult::Missing))},
        {"--order-pdf OUT " + Quoted(dir.File("damaged.bil")), 1, Utf8(ReadResultText(ReadResult::Damaged))},
        {"--pdf " + Quoted(in) + " " + Quoted(in), 2, "nemůže nahradit výkaz"},
        {"--pdf " + Quoted(dir.File("folder")) + " IN", 2, "Chyba otevření souboru"},
        {"--pdf " + Quoted(dir.File("chybí/výkaz.pdf")) + " IN", 2,
         "bil: Chyba otevření souboru\n" + dir.File("chybí/výkaz.pdf") + ": Složka už neexistuje.\n"},
        {"--pdf OUT", 2, "zadejte jeden soubor výkazu"},
        {"--pdf OUT --order-pdf OUT IN", 2, "jen jeden soubor PDF"},
        {"--pdf '' IN", 2, "prázdné"},
        {"--tisk OUT IN", 2, "neznámá volba tisk"},
        {"IN --pdf", 2, "u volby --pdf chybí"},
        {"--pdf OUT IN", 2, "Chyba zápisu do souboru", "ulimit -f 8; "},
        // The new statement is written where no file is, or nowhere.
        {"--next-year " + Quoted(dir.File("damaged.bil")) + " OUT", 1, Utf8(ReadResultText(ReadResult::Damaged))},
        {"--next-year IN " + Quoted(dir.File("folder")), 2, "soubor už existuje"},
        {"--next-year IN " + Quoted(dir.File("linked.bil")), 2, "by přepsal loňský"},
        {"--next-year IN " + Quoted(dir.File("chybí/nový.bil")), 2, "nový.bil: Složka už neexistuje."},
        {"--next-year --order-pdf OUT IN OUT", 2, "nelze spojit s volbou --order-pdf"},
        {"--next-year IN", 2, "zadejte loňský a nový soubor výkazu"}, {"--next-year '' OUT", 2, "prázdné"},
        // The figures go into a statement, not over the source or a damaged file.
        {"--import " + Quoted(dir.File("damaged.bil")) + " OUT", 1, "damaged.bil“: není XML ani CSV"},
        {"--import XML " + Quoted(dir.File("damaged.bil")), 1, Utf8(ReadResultText(ReadResult::Damaged))},
        {"--import XML --crowns OUT", 2, "platí jen pro CSV"},
        {"--import --pdf OUT XML OUT", 2, "nelze spojit s volbou --pdf"},
        {"--crowns OUT", 2, "platí jen s volbou --import"},
        {"--import IN " + Quoted(dir.File("linked.bil")), 2, "by přepsal soubor s čísly"},
        {"--import XML " + Quoted(dir.File("chybí/x.bil")), 2, "x.bil: Složka už neexistuje."},
    };
    for (const auto& c : cases) {
        std::string args = c.args;
        for (const auto& [name, path] :
             {std::pair{"OUT", out}, std::pair{"IN", in}, std::pair{"XML", TestDataPath("import/example-full.xml")}})
            for (std::size_t at; (at = args.find(name)) != std::string::npos;)
                args.replace(at, std::string(name).size(), Quoted(path));
        int status = -1;
        const std::string err = Bil(args, status, c.before);
        EXPECT_EQ(status, c.status) << args;
        EXPECT_NE(err.find(c.message), std::string::npos) << args << "\n" << err;
        EXPECT_FALSE(FileExists(out)) << args;
        EXPECT_EQ(ReadFile(in), EncodeRecords(records));
    }
    EXPECT_EQ(ReadFile(dir.File("damaged.bil")), "not a statement");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
    // Help on standard output without a display; 2 when it cannot be written.
    int status = -1;
    EXPECT_EQ(Shell("env -u DISPLAY " BIL_EXE " --help", &status).rfind("Použití: bil [VÝKAZ.bil]\n", 0), 0u);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Shell("env -u DISPLAY " BIL_EXE " --version 2>&1 >/dev/full", &status), "bil: výstup nelze zapsat\n");
    EXPECT_EQ(status, 2);
}

TEST_F(PrintPdf, NextYearIsLastYearsCarriedOverWithNothingSaid)
{
    WriteFile(in, EncodeRecords(records));
    int status = -1;
    EXPECT_EQ(Bil("--next-year " + Quoted(in) + " " + Quoted(out), status), "");
    EXPECT_EQ(status, 0);
    CUzData made;
    ASSERT_EQ(ReadStatementFile(out, made), ReadResult::Ok);
    EXPECT_TRUE(made.Item(6).m_strValue == "2024" && made.Item(12).m_nNumber == 7000 && made.Item(11).m_nNumber == 0);
}

TEST_F(PrintPdf, ImportShowsWhatItTookAndKeepsAStatementsTexts)
{
    WriteFile(in, EncodeRecords(records));
    CUzData before;
    ASSERT_EQ(ReadStatementFile(in, before), ReadResult::Ok);
    ASSERT_FALSE(before.Item(1).m_strValue.empty());
    const std::string xml = Quoted(TestDataPath("import/example-full.xml"));
    int status = -1;
    const std::string shown = Shell(BIL_EXE " --import " + xml + " " + Quoted(out) + " 2>&1", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(shown.find("Převzatých čísel: 102, nelze určit: 0\nPo převzetí platí všechna pravidla součtů."),
              std::string::npos) << shown;
    EXPECT_NE(shown.find("\nAktiva celkem "), std::string::npos);
    EXPECT_NE(shown.find(" 212259      215844  přesně\n"), std::string::npos);
    EXPECT_EQ(Bil("--import " + xml + " " + Quoted(in), status), "");
    EXPECT_EQ(status, 0);
    for (const std::string& file : {out, in}) {
        CUzData taken;
        ASSERT_EQ(ReadStatementFile(file, taken), ReadResult::Ok);
        EXPECT_EQ(taken.Item(11).m_nNumber, 212259);
        EXPECT_EQ(taken.Item(12).m_nNumber, 215844);
        EXPECT_EQ(taken.Item(1).m_strValue, file == in ? before.Item(1).m_strValue : std::string());
    }
}
