#include "checker/cli.h"

#include "checker/report.h"

#include <chrono>
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
    "*.bil (bez ohledu na velikost písmen).\n"
    "\n"
    "Volby:\n"
    "  -r, --recursive      hledat i v podsložkách\n"
    "  --format FORMÁT      human (výchozí, pro čtení), csv nebo json\n"
    "  --text SLOŽKA        zapsat text každé čitelné závěrky do SLOŽKA/JMÉNO.txt\n"
    "  --one-tab            v textu zapsat každou řadu tabulátorů jako jeden\n"
    "  -h, --help           vypsat tuto nápovědu\n"
    "\n"
    "Chybou je nesplněné pravidlo, prázdná povinná položka, záporné IČO nebo\n"
    "nevybraný výrok auditora; IČO 0 a prázdné DIČ jsou jen upozornění.\n"
    "\n"
    "Návratový kód: 0 všechny soubory jsou v pořádku, 1 některý soubor obsahuje\n"
    "chyby nebo nejde přečíst, 2 chybně zadané volby.\n";

struct Options {
    Format format = Format::Human;
    bool recursive = false;
    bool oneTab = false;
    bool help = false;
    std::string textDir;
    std::vector<std::string> paths;
};

// Parses the arguments; an empty string on success, else what is wrong.
std::string Parse(int argc, char** argv, Options& o)
{
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const bool takesValue = arg == "--format" || arg == "--text";
        if (!optionsEnd && (arg.starts_with("--format=") || arg.starts_with("--text="))) {
            value = arg.substr(arg.find('=') + 1);
            arg.erase(arg.find('='));
        } else if (!optionsEnd && takesValue) {
            if (++i == argc)
                return "volba " + arg + " potřebuje hodnotu";
            value = argv[i];
        }
        if (optionsEnd || arg.empty() || arg[0] != '-') {
            o.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "-r" || arg == "--recursive") {
            o.recursive = true;
        } else if (arg == "--one-tab") {
            o.oneTab = true;
        } else if (arg == "--format") {
            if (value == "human")
                o.format = Format::Human;
            else if (value == "csv")
                o.format = Format::Csv;
            else if (value == "json")
                o.format = Format::Json;
            else
                return "neznámý formát: " + value;
        } else if (arg == "--text") {
            if (value.empty())
                return "volba --text potřebuje složku";
            o.textDir = value;
        } else {
            return "neznámá volba: " + arg;
        }
    }
    if (o.help)
        return {};
    if (o.paths.empty())
        return "chybí soubor nebo složka";
    if (o.oneTab && o.textDir.empty())
        return "volba --one-tab platí jen s volbou --text";
    return {};
}

// The progress line on a terminal, once the batch has taken a second.
class Progress {
public:
    Progress(std::FILE* out, std::FILE* err, std::size_t total)
        : m_out(out), m_err(err), m_total(total), m_on(isatty(fileno(err)) == 1),
          m_outOnTerminal(isatty(fileno(out)) == 1), m_start(std::chrono::steady_clock::now())
    {
    }

    // Before a report goes to the same terminal, and at the end: the line
    // is wiped.
    void Clear(bool always = false)
    {
        if (m_shown && (always || m_outOnTerminal)) {
            std::fputs("\r\033[K", m_err);
            std::fflush(m_err);
            m_shown = false;
        }
    }

    void Show(std::size_t done)
    {
        if (!m_on)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_start < std::chrono::seconds(1) ||
            (m_shown && now - m_last < std::chrono::milliseconds(100)))
            return;
        m_last = now;
        std::fflush(m_out);
        std::fprintf(m_err, "\r%zu / %zu", done, m_total);
        std::fflush(m_err);
        m_shown = true;
    }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    std::size_t m_total;
    bool m_on;
    bool m_outOnTerminal;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_last{};
};

} // namespace

int Run(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    Options o;
    const std::string problem = Parse(argc, argv, o);
    if (o.help) {
        std::fputs(kHelp, out);
        return 0;
    }
    if (!problem.empty()) {
        std::fprintf(err, "bil-check: %s\nNápovědu vypíše: bil-check --help\n", problem.c_str());
        return 2;
    }
    if (!o.textDir.empty()) {
        struct stat st;
        if (mkdir(o.textDir.c_str(), 0777) != 0 &&
            (stat(o.textDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
            std::fprintf(err, "bil-check: složku pro texty nelze vytvořit: %s\n", o.textDir.c_str());
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
    const auto writer = MakeWriter(o.format, out, checker.Data(), !o.textDir.empty());
    Summary summary;
    Progress progress(out, err, files.size());
    writer->Begin();
    for (const std::string& folder : badFolders) {
        FileReport report;
        report.path = folder;
        report.readError = "Složku nelze přečíst.";
        summary.Add(report.GetStatus());
        writer->File(report);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileReport report = checker.Check(files[i]);
        summary.Add(report.GetStatus());
        progress.Clear();
        writer->File(report);
        progress.Show(i + 1);
    }
    progress.Clear(true);
    writer->End(summary);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("bil-check: výsledek nelze zapsat\n", err);
        return 1;
    }
    return summary.errors == 0 && summary.unreadable == 0 ? 0 : 1;
}

} // namespace checker
