// bil --pdf and --order-pdf as a script runs them, with no display: the PDF
// read back by poppler's tools holds every row of the statement text, the
// failed-rule box exactly when rules fail, the orderer's data, long texts
// whole; it is A4 with its fonts embedded and no page over the register's
// 150 kB; failures exit with their status and leave nothing behind.

#include "model/catalogue.h"
#include "model/cp1250.h"
#include "model/document.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

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

// bil without a display (a platform asked for that needs one), in the time
// zone `zone`, after the shell command `before`; its standard error, its
// status in `status`.
std::string Bil(const std::string& args, int& status, const std::string& before = "",
                const std::string& zone = "Europe/Prague")
{
    static const TempDir runtime;
    return Shell(before + "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb TZ=" + zone +
                     " XDG_RUNTIME_DIR=" + runtime.Path() + " " BIL_EXE " " + args + " 2>&1 >/dev/null",
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

// The text of a PDF's pages without their footers, each of which must say
// "strana N z M"; `pages` gets M.
std::string Body(const std::string& pdf, int& pages)
{
    const std::string text = Shell("pdftotext -layout " + Quoted(pdf) + " -");
    std::string body;
    pages = 0;
    for (std::size_t from = 0, end; (end = text.find('\f', from)) != std::string::npos; from = end + 1) {
        std::string page = text.substr(from, end - from);
        page.erase(page.find_last_not_of('\n') + 1);
        const std::size_t footer = page.rfind('\n') + 1;
        const std::string number = " " + std::to_string(++pages) + " z ";
        EXPECT_NE(page.find("strana" + number, footer), std::string::npos) << page.substr(footer);
        body += page.substr(0, footer);
    }
    EXPECT_NE(text.find(" z " + std::to_string(pages) + "\n"), std::string::npos);
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
    // the latter writes as Z) and east of it.
    const auto sameDates = [this] {
        const std::string info = Shell("pdfinfo -rawdates " + Quoted(out));
        const std::string meta = Shell("pdfinfo -meta " + Quoted(out));
        const std::size_t raw = info.find("CreationDate:    D:"), xmp = meta.find("<xmp:CreateDate>");
        if (raw == std::string::npos || xmp == std::string::npos)
            return std::string("no dates");
        const std::string d = info.substr(raw + 19, 21); // YYYYMMDDHHmmSS, Z or +HH'mm'
        const std::string date = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + "T" +
                                 d.substr(8, 2) + ":" + d.substr(10, 2) + ":" + d.substr(12, 2) +
                                 (d[14] == 'Z' ? "+00:00" : d.substr(14, 3) + ":" + d.substr(18, 2));
        const std::string found = meta.substr(xmp + 16, 25);
        return found == date ? std::string() : found + " against " + date;
    };
    const std::string text = Pdf("--pdf", records);
    EXPECT_EQ(MissingLine(Utf8(ReadFile(TestDataPath("journey.txt"))), Squeezed(text)), "");
    EXPECT_EQ(text.find("nesrovnalosti"), std::string::npos);
    EXPECT_EQ(sameDates(), "");
    // A4, every font embedded, the company as author.
    EXPECT_NE(Shell("pdfinfo " + Quoted(out)).find("Page size:       595 x 842 pts (A4)"), std::string::npos);
    const std::string fonts = Shell("pdffonts " + Quoted(out) + " | tail -n +3");
    EXPECT_NE(fonts, "");
    EXPECT_EQ(Shell("echo '" + fonts + "' | awk 'NF && $(NF-4) != \"yes\"'"), "") << fonts;
    const std::string meta = Shell("pdfinfo -meta " + Quoted(out));
    EXPECT_NE(meta.find("<rdf:li>Sklárna Šťáhlavy, a.s.</rdf:li>"), std::string::npos);
    EXPECT_NE(meta.find("pdfaid:part=\"1\" pdfaid:conformance=\"B\""), std::string::npos);
    // The column heads of both tables, and again on the second page.
    std::size_t heads = 0;
    for (std::size_t at = 0; (at = Squeezed(text).find("BěžnýrokMinulýrok", at)) != std::string::npos; ++at)
        ++heads;
    EXPECT_EQ(heads, 3u);

    // The previous year's intangible and current assets wrong: rules 2 to 4
    // of that year. A name that XML must escape, with a control character
    // it cannot hold; a figure in no rule with three digit groups.
    records[18 - 1].number = 900;
    records[26 - 1].number = 2500;
    records[44 - 1].number = -1234567;
    records[0].text = "Alfa & \x01" "Beta <a.s.>";
    const std::string failing = Pdf("--pdf", records, "Europe/Prague");
    EXPECT_EQ(sameDates(), "");
    const std::size_t box = failing.find("nesrovnalosti");
    EXPECT_LT(box, failing.find("Sídlo:"));
    const std::string lines = "Minulý rok: Aktiva celkem\nMinulý rok: Stálá aktiva\nMinulý rok: Oběžná aktiva\n";
    EXPECT_EQ(MissingLine(lines, Squeezed(failing)), "");
    EXPECT_EQ(failing.find("Minulý rok: ", failing.find("Oběžná aktiva\n")), std::string::npos);
    EXPECT_NE(failing.find(" \u22121 234 567\n"), std::string::npos) << "digit groups, minus";
    EXPECT_NE(Shell("pdfinfo -meta " + Quoted(out)).find("<rdf:li>Alfa &amp; Beta &lt;a.s.&gt;</rdf:li>"),
              std::string::npos);
}

TEST_F(PrintPdf, OrderHoldsTheOrderersDataAndTheStatementsCompany)
{
    std::string expected = "Objednávka zveřejnění účetní závěrky v KT\nSklárna Šťáhlavy, a.s.\n00000477\n2023\n";
    for (int tag = 123; tag <= 134; ++tag) {
        const Record& r = records[std::size_t(tag - 1)];
        expected += std::string(CatalogueAt(tag).label) + (tag == 128 ? "00000477" : Utf8(r.text)) + "\n";
    }
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
    int status = -1;
    Shell("pdfseparate " + Quoted(out) + " " + Quoted(dir.File("page-%d.pdf")), &status);
    ASSERT_EQ(status, 0);
    EXPECT_GT(pages, 5);
    for (int i = 1; i <= pages; ++i)
        EXPECT_LE(std::filesystem::file_size(dir.File("page-" + std::to_string(i) + ".pdf")), 150u * 1024);
}

TEST_F(PrintPdf, FailuresExitWithTheirStatusAndLeaveNothingAtTheOutput)
{
    WriteFile(in, EncodeRecords(records));
    WriteFile(dir.File("damaged.bil"), "not a statement");
    std::filesystem::create_directory(dir.File("folder"));
    const std::string missing = Utf8(ReadResultText(ReadResult::Missing));
    const std::string damaged = Utf8(ReadResultText(ReadResult::Damaged));
    const struct {
        std::string args;
        int status;
        std::string message;
        std::string before = "";
    } cases[] = {
        {"--pdf OUT " + Quoted(dir.File("chybí.bil")), 1, missing},
        {"--order-pdf OUT " + Quoted(dir.File("damaged.bil")), 1, damaged},
        {"--pdf " + Quoted(in) + " " + Quoted(in), 2, "nemůže nahradit výkaz"},
        {"--pdf " + Quoted(dir.File("chybí/x.pdf")) + " IN", 2, "Chyba otevření souboru"},
        {"--pdf " + Quoted(dir.File("folder")) + " IN", 2, "Chyba otevření souboru"},
        {"--pdf OUT", 2, "zadejte jeden soubor výkazu"},
        {"--pdf OUT IN IN", 2, "zadejte jeden soubor výkazu"},
        {"--pdf OUT --order-pdf OUT IN", 2, "jen jeden soubor PDF"},
        {"--pdf=OUT --pdf OUT IN", 2, "jen jeden soubor PDF"},
        {"--pdf '' IN", 2, "prázdné"},
        {"--tisk OUT IN", 2, "neznámá volba tisk"},
        {"IN --pdf", 2, "u volby --pdf chybí"},
        {"--pdf OUT IN", 2, "Chyba zápisu do souboru", "ulimit -f 8; "},
    };
    for (const auto& c : cases) {
        std::string args = c.args;
        for (const auto& [name, path] : {std::pair{"OUT", out}, std::pair{"IN", in}})
            for (std::size_t at; (at = args.find(name)) != std::string::npos;)
                args.replace(at, std::string(name).size(), Quoted(path));
        int status = -1;
        const std::string err = Bil(args, status, c.before);
        EXPECT_EQ(status, c.status) << args;
        EXPECT_NE(err.find(c.message), std::string::npos) << args << "\n" << err;
        EXPECT_FALSE(FileExists(out)) << args;
        EXPECT_FALSE(FileExists(dir.File("chybí/x.pdf")));
        EXPECT_EQ(ReadFile(in), EncodeRecords(records));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}
