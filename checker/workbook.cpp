// The office's workbook: one row per file, whom to call about what, in a
// sheet a Czech spreadsheet opens as it is.

#include "checker/report.h"

#include "model/fileio.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace checker {

namespace {

enum Column : lxw_col_t {
    kFile, kStatus, kCompany, kIco, kYear, kRulesCurrent, kRulesPrevious, kGaps, kFileError,
    kPerson, kPhone, kEmail, kAssetsCurrent, kAssetsPrevious, kLiabilitiesCurrent,
    kLiabilitiesPrevious, kColumnCount
};

const char* const kHeads[kColumnCount] = {
    "Soubor", "Stav", "Obchodní jméno", "IČO", "Rok", "Nesplněná pravidla, běžný rok",
    "Nesplněná pravidla, minulý rok", "Chybějící a sporné položky", "Chyba souboru", "Osoba",
    "Telefon", "E-mail", "Aktiva celkem, běžný rok", "Aktiva celkem, minulý rok",
    "Pasiva celkem, běžný rok", "Pasiva celkem, minulý rok"};

const char* StatusText(Status status)
{
    switch (status) {
    case Status::Clean: return "v pořádku";
    case Status::Warnings: return "s upozorněním";
    case Status::Errors: return "s chybami";
    case Status::Unreadable: return "nečitelný";
    }
    return "";
}

// Columns wide enough for most of their texts, never wider than a screen's
// third; a spreadsheet's width unit is about one character.
constexpr double kMaxWidth = 60;

double TextWidth(const std::string& s)
{
    return static_cast<double>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// A cell holds at most 32,767 characters; longer texts are cut at a
// character's start.
std::string CellText(std::string s)
{
    constexpr std::size_t kMax = 32767;
    if (s.size() > kMax) {
        std::size_t cut = kMax;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
            --cut;
        s.resize(cut);
    }
    return s;
}

// Standard error sent nowhere while it lives.
class QuietStderr {
public:
    QuietStderr() : m_saved(dup(STDERR_FILENO))
    {
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            std::fflush(stderr);
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietStderr()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved;
};

std::string LibraryError(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return "nedostatek paměti";
    case LXW_ERROR_CREATING_TMPFILE: return "nelze vytvořit dočasný soubor";
    default: return "chyba zápisu dočasného souboru (" + std::to_string(int(error)) + ")";
    }
}

class WorkbookWriter : public ReportWriter {
public:
    WorkbookWriter(std::string path, const CUzData& data) : m_path(std::move(path)), m_data(data)
    {
    }

    void File(const FileReport& r) override { m_files.push_back(&r); }

    std::string End(const Summary&) override
    {
        std::string bytes;
        if (const std::string why = Build(bytes); !why.empty())
            return "sešit " + Printable(m_path) + " nelze sestavit: " + why + ".";
        int error = 0;
        const fileio::WriteResult result = fileio::ReplaceFile(m_path, bytes, &error);
        if (result == fileio::WriteResult::Ok)
            return {};
        return "sešit " + Printable(m_path) + ": " + WriteError(result, error);
    }

private:
    // The whole workbook into `bytes`, so that the target is replaced in one
    // step: the library writes it into a temporary file of ours, read back
    // and removed at once. Empty, or why it failed, in Czech: the library's
    // own messages (English, on standard error) are kept from the user.
    std::string Build(std::string& bytes)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/bil-check-XXXXXX.xlsx";
        const int fd = mkostemps(name.data(), 5, O_CLOEXEC);
        if (fd < 0)
            return "nelze vytvořit dočasný soubor (" + Printable(name) + ")";
        lxw_error error = LXW_ERROR_MEMORY_MALLOC_FAILED;
        {
            const QuietStderr quiet;
            if (lxw_workbook* book = workbook_new(name.c_str())) {
                Fill(book);
                error = workbook_close(book);
            }
        }
        unlink(name.c_str());
        struct stat st;
        std::string why;
        if (error != LXW_NO_ERROR)
            why = LibraryError(error);
        else if (fstat(fd, &st) != 0)
            why = "chyba čtení dočasného souboru";
        else {
            bytes.resize(static_cast<std::size_t>(st.st_size));
            if (pread(fd, bytes.data(), bytes.size(), 0) != st.st_size)
                why = "chyba čtení dočasného souboru";
        }
        close(fd);
        return why;
    }

    void Fill(lxw_workbook* book)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(book, "Kontrola");
        lxw_format* head = workbook_add_format(book);
        format_set_bold(head);
        lxw_format* red = workbook_add_format(book);
        format_set_bg_color(red, 0xFFC7CE);
        format_set_font_color(red, 0x9C0006);
        lxw_format* yellow = workbook_add_format(book);
        format_set_bg_color(yellow, 0xFFEB9C);
        format_set_font_color(yellow, 0x9C5700);
        lxw_format* ico = workbook_add_format(book);
        format_set_num_format(ico, "00000000");
        lxw_format* amount = workbook_add_format(book);
        format_set_num_format(amount, "#,##0");

        double widths[kColumnCount];
        for (lxw_col_t c = 0; c < kColumnCount; ++c) {
            worksheet_write_string(sheet, 0, c, kHeads[c], head);
            widths[c] = std::max(TextWidth(kHeads[c]) + 3, 10.0); // the filter's button, 8 digits
        }
        lxw_row_t row = 0;
        for (const FileReport* file : m_files) {
            const FileReport& r = *file;
            ++row;
            const auto text = [&](lxw_col_t c, const std::string& s, lxw_format* f = nullptr) {
                const std::string cell = CellText(s);
                if (!cell.empty() || f)
                    worksheet_write_string(sheet, row, c, cell.c_str(), f);
                widths[c] = std::max(widths[c], std::min(TextWidth(cell) + 1, kMaxWidth));
            };
            const Status status = r.GetStatus();
            text(kFile, Printable(r.path));
            text(kStatus, StatusText(status),
                 status == Status::Warnings ? yellow : status == Status::Clean ? nullptr : red);
            text(kFileError, r.readError.empty() ? r.textError : r.readError);
            if (!r.readError.empty())
                continue;

            const Facts& f = r.facts;
            text(kCompany, f.company);
            worksheet_write_number(sheet, row, kIco, f.ico, ico);
            // A year of digits is a number, to sort and filter by;
            // "2022/2023" stays text.
            if (!f.year.empty() && f.year.size() <= 9 &&
                std::all_of(f.year.begin(), f.year.end(), [](char c) { return c >= '0' && c <= '9'; }))
                worksheet_write_number(sheet, row, kYear, std::stod(f.year), nullptr);
            else
                text(kYear, f.year);
            std::string rules[kYearCount], gaps;
            for (const FailedRule& fr : r.rules)
                rules[fr.year] += (rules[fr.year].empty() ? "" : "; ") + Caption(fr.rule);
            for (const FormGap& g : r.gaps)
                gaps += (gaps.empty() ? "" : "; ") + FormGapText(m_data, g);
            text(kRulesCurrent, rules[0]);
            text(kRulesPrevious, rules[1]);
            text(kGaps, gaps);
            text(kPerson, f.person);
            text(kPhone, f.phone);
            text(kEmail, f.email);
            const std::int32_t figures[] = {f.assets[0], f.assets[1], f.liabilities[0],
                                            f.liabilities[1]};
            for (lxw_col_t c = kAssetsCurrent; c <= kLiabilitiesPrevious; ++c)
                worksheet_write_number(sheet, row, c, figures[c - kAssetsCurrent], amount);
        }
        for (lxw_col_t c = 0; c < kColumnCount; ++c)
            worksheet_set_column(sheet, c, c, widths[c], nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        worksheet_autofilter(sheet, 0, 0, row, kColumnCount - 1);
    }

    std::string m_path;
    const CUzData& m_data;
    std::vector<const FileReport*> m_files;
};

} // namespace

std::unique_ptr<ReportWriter> MakeWorkbookWriter(const std::string& path, const CUzData& data)
{
    return std::make_unique<WorkbookWriter>(path, data);
}

} // namespace checker
