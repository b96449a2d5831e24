#include "checker/cli.h"

#include "checker/report.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace checker {

namespace {

constexpr const char* kHelp =
    "Použití: bil-check [volby] SOUBOR|SLOŽKA...\n"
    "\n"
    "Zkontroluje soubory účetní závěrky (.bil) tak, jak je otevře průvodce Bil:\n"
    "zda jdou přečíst, zda v běžném i minulém roce platí součtová pravidla a zda\n"
    "jsou vyplněny údaje hlavičky a objednavatele. Ve složkách hledá soubory\n"
    "*.bil (bez ohledu na velikost písmen). Soubory jen čte, nic v nich nemění.\n"
    "\n"
    "Volby:\n"
    "  -r, --recursive      hledat i v podsložkách\n"
    "  --format FORMÁT      human (výchozí, pro čtení), csv nebo json\n"
    "  --xlsx SOUBOR        zapsat navíc přehled do sešitu pro tabulkový procesor\n"
    "  --text SLOŽKA        zapsat text každé čitelné závěrky do SLOŽKA/JMÉNO.txt\n"
    "                       (chybějící složku vytvoří)\n"
    "  --one-tab            v textu zapsat každou řadu tabulátorů jako jeden\n"
    "  -h, --help           vypsat tuto nápovědu\n"
    "  --version            vypsat verzi\n"
    "\n"
    "Chybou je nesplněné pravidlo, prázdná povinná položka, záporné IČO nebo\n"
    "nevybraný výrok auditora; IČO 0, IČO s chybnou kontrolní číslicí a prázdné\n"
    "DIČ jsou jen upozornění.\n"
    "\n"
    "Návratový kód: 0 všechny soubory jsou v pořádku, 1 některý soubor obsahuje\n"
    "chyby nebo nejde přečíst, 2 chybně zadané volby nebo výsledek či sešit\n"
    "nelze zapsat (2 má přednost před 1).\n";

struct Options {
    Format format = Format::Human;
    bool recursive = false;
    bool oneTab = false;
    bool help = false;
    bool version = false;
    std::string textDir;
    std::string workbook;
    std::vector<std::string> paths;
};

enum : int { kFormat = 256, kText, kOneTab, kXlsx, kVersion };

const option kLongOptions[] = {
    {"recursive", no_argument, nullptr, 'r'},  {"format", required_argument, nullptr, kFormat},
    {"xlsx", required_argument, nullptr, kXlsx}, {"text", required_argument, nullptr, kText},
    {"one-tab", no_argument, nullptr, kOneTab}, {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion}, {nullptr, 0, nullptr, 0},
};

// The option the parser stopped at: a short one by its letter, a long one
// as the user wrote it.
std::string OptionName(char** argv, int option)
{
    if (option > 0 && option < 256)
        return std::string("-") + static_cast<char>(option);
    return argv[optind - 1];
}

// Parses the arguments; an empty string on success, else what is wrong.
std::string Parse(int argc, char** argv, Options& o)
{
    optind = 0; // from the start, on every call
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":rh", kLongOptions, nullptr)) != -1;) {
        switch (c) {
        case 'r': o.recursive = true; break;
        case 'h': o.help = true; break;
        case kVersion: o.version = true; break;
        case kOneTab: o.oneTab = true; break;
        case kFormat:
            if (std::strcmp(optarg, "human") == 0)
                o.format = Format::Human;
            else if (std::strcmp(optarg, "csv") == 0)
                o.format = Format::Csv;
            else if (std::strcmp(optarg, "json") == 0)
                o.format = Format::Json;
            else
                return std::string("neznámý formát: ") + optarg;
            break;
        case kText:
        case kXlsx:
            if (!*optarg)
                return std::string("volba --") + (c == kText ? "text" : "xlsx") + " potřebuje jméno";
            (c == kText ? o.textDir : o.workbook) = optarg;
            break;
        case ':': return "volba " + OptionName(argv, optopt) + " potřebuje hodnotu";
        default: return "neznámá nebo neúplná volba: " + OptionName(argv, optopt);
        }
    }
    if (o.help || o.version)
        return {};
    o.paths.assign(argv + optind, argv + argc);
    if (o.paths.empty())
        return "chybí soubor nebo složka";
    if (o.oneTab && o.textDir.empty())
        return "volba --one-tab platí jen s volbou --text";
    return {};
}

// The progress line on a terminal, once the batch has taken a while; the
// reports come after it is wiped.
class Progress {
public:
    Progress(std::FILE* err, std::size_t total, std::chrono::milliseconds after)
        : m_err(err), m_total(total), m_after(after), m_on(isatty(fileno(err)) == 1),
          m_start(std::chrono::steady_clock::now())
    {
    }

    void Show(std::size_t done)
    {
        const auto now = std::chrono::steady_clock::now();
        // Ten times a second at most, where the delay is a second.
        if (!m_on || now - m_start < m_after || (m_shown && now - m_last < m_after / 10))
            return;
        m_last = now;
        std::fprintf(m_err, "\r%zu / %zu", done, m_total);
        std::fflush(m_err);
        m_shown = true;
    }

    void Clear()
    {
        if (m_shown) {
            std::fputs("\r\033[K", m_err);
            std::fflush(m_err);
        }
        m_shown = false;
    }

private:
    std::FILE* m_err;
    std::size_t m_total;
    std::chrono::milliseconds m_after;
    bool m_on;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_last{};
};

} // namespace

int Run(int argc, char** argv, std::FILE* out, std::FILE* err,
        std::chrono::milliseconds progressAfter)
{
    Options o;
    const std::string problem = Parse(argc, argv, o);
    if (o.help || o.version) {
        std::fputs(o.help ? kHelp : "bil-check " BIL_VERSION "\n", out);
        if (std::fflush(out) == 0 && !std::ferror(out))
            return 0;
        std::fputs("bil-check: výsledek nelze zapsat.\n", err);
        return 2;
    }
    const auto usage = [err](const std::string& what) {
        std::fprintf(err, "bil-check: %s\nNápovědu vypíše: bil-check --help\n", what.c_str());
        return 2;
    };
    if (!problem.empty())
        return usage(problem);
    if (!o.textDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(o.textDir, ec);
        const int error = ec.value();
        if (!std::filesystem::is_directory(o.textDir, ec)) {
            std::fprintf(err, "bil-check: složku pro texty %s nelze vytvořit: %s\n",
                         Printable(o.textDir).c_str(),
                         Utf8(FileErrorReason(error ? error : ENOTDIR)).c_str());
            return 2;
        }
    }

    // The files first, so that no text file can replace any of them.
    std::vector<std::string> files;
    std::vector<std::string> badFolders;
    for (const std::string& path : o.paths) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            FindStatements(path, o.recursive, files, badFolders);
        else
            files.push_back(path);
    }

    Checker checker(o.textDir, o.oneTab);
    for (const std::string& file : files)
        checker.AddInput(file);
    if (!o.workbook.empty() && checker.IsInput(o.workbook))
        return usage("sešit by přepsal vstupní soubor: " + Printable(o.workbook));
    // The reports wait for the texts, which are put in place together.
    std::vector<FileReport> batch;
    for (const std::string& folder : badFolders) {
        FileReport& r = batch.emplace_back();
        r.path = folder;
        r.readError = "Složku nelze přečíst.";
    }
    Progress progress(err, files.size(), progressAfter);
    for (std::size_t i = 0; i < files.size(); ++i) {
        checker.Check(files[i], batch);
        progress.Show(i + 1);
    }
    checker.CommitTexts(batch);
    progress.Clear();

    std::vector<std::unique_ptr<ReportWriter>> writers;
    writers.push_back(MakeWriter(o.format, out, checker.Data(), !o.textDir.empty()));
    if (!o.workbook.empty())
        writers.push_back(MakeWorkbookWriter(o.workbook, checker.Data()));
    Summary summary;
    for (const FileReport& r : batch)
        summary.Add(r.GetStatus());
    int status = summary.errors == 0 && summary.unreadable == 0 ? 0 : 1;
    for (const auto& w : writers) {
        w->Begin();
        for (const FileReport& r : batch)
            w->File(r);
        const std::string failure = w->End(summary);
        if (!failure.empty()) {
            std::fprintf(err, "bil-check: %s\n", failure.c_str());
            status = 2;
        }
    }
    return status;
}

} // namespace checker
