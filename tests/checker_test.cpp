// bil-check in process: statement files against the facts reported in all
// four formats and the exit status, the folder search, hostile names, files
// it may only read, the text files it writes, the progress line and usage.

#include "checker/cli.h"
#include "model/document.h"
#include "support/support.h"
#include "text/layout.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <tuple>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using json = nlohmann::json;

struct Output { int status; std::string out, err; };

// The report goes to `report` when given; the progress line would show at
// once, on `terminal` when given.
Output Check(std::vector<std::string> args, std::FILE* report = nullptr, std::FILE* terminal = nullptr)
{
    args.insert(args.begin(), "bil-check");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    char *outBuf = nullptr, *errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    std::FILE *out = open_memstream(&outBuf, &outLen), *err = open_memstream(&errBuf, &errLen);
    const int status = checker::Run(static_cast<int>(argv.size()), argv.data(), report ? report : out,
                                    terminal ? terminal : err, std::chrono::seconds(0));
    std::fclose(out);
    std::fclose(err);
    Output o{status, std::string(outBuf, outLen), std::string(errBuf, errLen)};
    std::free(outBuf);
    std::free(errBuf);
    return o;
}

// The golden journey's statement, which is clean, changed by `change`.
void WriteStatement(const std::string& path, const std::function<void(CUzData&)>& change = {})
{
    CUzData d;
    for (const Record& r : ReadRecords("journey.records"))
        d.Item(r.tag).m_strValue = r.text, d.Item(r.tag).m_nNumber = r.number;
    if (change)
        change(d);
    std::string bytes;
    d.WriteItems(bytes);
    WriteFile(path, bytes);
}

// A run's CSV and workbook as Python's csv module and a spreadsheet library
// read them back, every cell as text (tests/read_back.py).
json CsvAndWorkbook(const std::string& folder)
{
    TempDir out;
    WriteFile(out.File("r.csv"), Check({"--format=csv", "--xlsx", out.File("r.xlsx"), folder}).out);
    EXPECT_EQ(std::system(("/usr/bin/python3 " BIL_READ_BACK " " + out.File("r.csv") + " " + out.File("r.xlsx") + " >" +
                           out.File("r.json")).c_str()), 0);
    return json::parse(ReadFile(out.File("r.json")), nullptr, false);
}

} // namespace

TEST(Checker, ReportsEachFileInEveryFormatAndTheWorstStatus)
{
    TempDir dir;
    const struct {
        const char* name;
        std::function<void(CUzData&)> change; // none: the file is `bytes`
        std::string bytes;
        const char* human; // after "NAME: "
        const char* csv;   // the first eleven columns after "NAME,"
        std::string json;  // status, rule numbers per year, tag and kind of each gap
    } cases[] = {
        {"a.bil", [](CUzData&) {}, "", "v pořádku\n", "ok,,,,,,,,,", "ok||"},
        {"b.bil", [](CUzData& d) { d.Item(17).m_nNumber += 1; d.Item(55).m_nNumber -= 1; d.Item(56).m_nNumber -= 1; }, "",
         "obsahuje chyby\n  Běžný rok, pravidlo 3: Stálá aktiva\n  Běžný rok, pravidlo 7: Cizí zdroje\n"
         "  Minulý rok, pravidlo 7: Cizí zdroje\n",
         "errors,,3 7,Stálá aktiva; Cizí zdroje,7,Cizí zdroje,,,,", "errors|3 7 |7 "},
        {"c.bil", [](CUzData& d) { d.Item(3).m_strValue.clear(); d.Item(2).m_nNumber = -5; d.Item(10).m_nNumber = -1; }, "",
         "obsahuje chyby\n  Hlavička, chyba: položka Obec není vyplněna\n"
         "  Hlavička, chyba: položka Výrok auditora není vybrána\n  Hlavička, chyba: položka IČO je záporná\n",
         "errors,,,,,,3 10 2,Hlavička: položka Obec není vyplněna; Hlavička: položka Výrok auditora "
         "není vybrána; Hlavička: položka IČO je záporná,,",
         "errors||3 missing_text 10 no_opinion 2 ico_negative "},
        // 477 checks.
        {"d.BIL", [](CUzData& d) { d.Item(2).m_nNumber = 478; d.Item(128).m_nNumber = 0; d.Item(129).m_strValue.clear();
                                   d.Item(6).m_strValue = "2022/2023"; }, "",
         "v pořádku, s upozorněním\n  Hlavička, upozornění: položka IČO nemá správnou kontrolní číslici\n"
         "  Objednavatel, upozornění: položka IČO není vyplněna (0)\n  Objednavatel, upozornění: položka DIČ není vyplněna\n",
         "warnings,,,,,,,,2 128 129,Hlavička: položka IČO nemá správnou kontrolní číslici; Objednavatel: položka IČO "
         "není vyplněna (0); Objednavatel: položka DIČ není vyplněna",
         "warnings||2 ico_check_digit 128 ico_zero 129 dic_empty "},
        // The first record claims a text of 2 GiB.
        {"e.bil", nullptr, std::string("\x01\0\0\0\xff\xff\xff\x7f", 8), "Chyba čtení ze souboru.\n",
         "unreadable,Chyba čtení ze souboru.,,,,,,,,", "unreadable||"},
    };
    std::string batch;
    for (const auto& c : cases) {
        const std::string path = dir.File(c.name);
        c.change ? WriteStatement(path, c.change) : WriteFile(path, c.bytes);
        batch += path + ": " + c.human;
        // Warnings alone do not fail the batch.
        EXPECT_EQ(Check({path}).status, c.csv[0] == 'o' || c.csv[0] == 'w' ? 0 : 1) << c.name;
    }
    // A folder: its statements in name order, a missing file, a link loop,
    // the summary; read as nobody, to whom one is read-only and the others
    // another owner's.
    chmod(dir.Path().c_str(), 0755);
    chmod(dir.File("a.bil").c_str(), 0444);
    ChownToNobody(dir.File("a.bil"));
    symlink("h.bil", dir.File("h.bil").c_str());
    const std::string expected = batch + dir.File("h.bil") + ": Chyba čtení ze souboru.\n" + dir.File("g.bil") +
                                 ": Soubor neexistuje.\n\nSouborů: 7, v pořádku: 2, s chybami: 2, nečitelných: 3\n";
    EXPECT_EQ(RunInChild([&] {
                  const Output all = Check({dir.Path(), dir.File("g.bil")});
                  return all.status == 1 && all.out == expected ? 0 : (std::fputs(all.out.c_str(), stderr), 1);
              }, true), 0);
    unlink(dir.File("h.bil").c_str());

    // The CSV (each record ending with CR LF) and JSON say per file what the
    // human report says; the workbook says what the CSV says, row by row, the
    // statuses coloured. Nothing is made in the folder, not even a probe.
    struct stat before, after;
    stat(dir.Path().c_str(), &before);
    const json files = json::parse(Check({"--format=json", dir.Path()}).out), read = CsvAndWorkbook(dir.Path());
    stat(dir.Path().c_str(), &after);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(files["summary"].dump(), R"({"clean":2,"errors":2,"files":5,"unreadable":1,"warnings":1})");
    const json &csv = read["csv"], &book = read["rows"];
    ASSERT_TRUE(csv.size() == 6 && book.size() == 6);
    EXPECT_EQ(read["head"].dump(), R"([true,"A2","A1:P6",true])");
    EXPECT_EQ(json(std::vector(csv[1].begin() + 11, csv[1].end())).dump(),
              R"(["Sklárna Šťáhlavy, a.s.","477","2023","Ing. Petra Malá","+420 377 123 456","mala@sklarna.cz",)"
              R"("7000","6100","7000","6100"])");
    EXPECT_EQ(read["fills"].dump(), R"(["","FFFFC7CE","FFFFC7CE","FFFFEB9C","FFFFC7CE"])");
    EXPECT_EQ(read["years"].dump(), R"(["int","int","int","str","NoneType"])");
    const char* statuses[] = {"v pořádku", "s chybami", "s chybami", "s upozorněním", "nečitelný"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_NE(read["raw"].get<std::string>().find("\r\n" + dir.File(cases[i].name) + "," + cases[i].csv + ","),
                  std::string::npos);
        const json& file = files["files"][i];
        std::string facts = file["status"].get<std::string>() + "|";
        for (const char* year : {"current", "previous"}) {
            for (const auto& r : file["rules"][year])
                facts += std::to_string(r["rule"].get<int>()) + " ";
            facts += year[0] == 'c' ? "|" : "";
        }
        for (const auto& g : file["gaps"])
            facts += std::to_string(g["tag"].get<int>()) + " " + g["kind"].get<std::string>() + " ";
        EXPECT_EQ(facts, cases[i].json);
        const json &row = book[i + 1], &f = csv[i + 1];
        EXPECT_EQ(row[1], statuses[i]);
        EXPECT_EQ(row[7], f[8].get<std::string>() + (f[8] != "" && f[10] != "" ? "; " : "") + f[10].get<std::string>());
        for (const auto& [cell, field] : {std::pair{0, 0}, {2, 11}, {3, 12}, {4, 13}, {5, 4}, {6, 6}, {8, 2}, {9, 14},
                                          {10, 15}, {11, 16}, {12, 17}, {13, 18}, {14, 19}, {15, 20}})
            EXPECT_EQ(row[cell], f[field]) << "column " << cell;
    }
}

TEST(Checker, SearchesFoldersAndShowsHostileNamesCleanInEveryFormat)
{
    TempDir dir;
    mkdir(dir.File("sub").c_str(), 0700);
    mkdir(dir.File("sub/deep.bil").c_str(), 0700); // a folder, whatever its name
    mkfifo(dir.File("sub/pipe.bil").c_str(), 0600);   // refused at once, never waited on
    for (const char* name : {"c.txt", "sub/d.Bil", "sub/deep.bil/e.bil"})
        WriteStatement(dir.File(name));
    // Names that would steer a terminal or that no reader takes for UTF-8:
    // controls, a lone byte, an overlong form, a surrogate, U+FFFE, beyond
    // U+10FFFF; and two that are fine as they are. In name order.
    const std::string p = dir.Path() + "/";
    std::string names, human;
    for (const auto& [name, shown] : std::vector<std::pair<std::string, std::string>>{
             {"\x1b[2Jx\x9b.bil", "?[2Jx?.bil"}, {"A.BIL", "A.BIL"}, {"a\x7f.bil", "a?.bil"},
             {"výkaz € \xf0\x9f\x98\x80.bil", "výkaz € 😀.bil"}, {"\xc0\xaf.bil", "??.bil"}, {"\xc2\x9b.bil", "??.bil"},
             {"\xed\xa0\x80.bil", "???.bil"}, {"\xef\xbf\xbe.bil", "???.bil"}, {"\xf4\x90\x80\x80.bil", "????.bil"},
             {"\xf8\x88\x80\x80\x80.bil", "?????.bil"}}) {
        WriteFile(dir.File(name), "");
        names += p + shown + "\n";
        human += p + shown + ": Chyba čtení ze souboru.\n";
    }
    const json read = CsvAndWorkbook(dir.Path()), files = json::parse(Check({"--format", "json", dir.Path()}).out)["files"];
    EXPECT_EQ(Check({dir.Path()}).out.rfind(human + "\n", 0), 0u);
    ASSERT_TRUE(read["csv"].size() == files.size() + 1 && read["rows"].size() == files.size() + 1);
    std::string fromCsv, fromBook, fromJson;
    for (std::size_t i = 0; i < files.size(); ++i)
        fromCsv += read["csv"][i + 1][0].get<std::string>() + "\n", fromBook += read["rows"][i + 1][0].get<std::string>() + "\n",
            fromJson += files[i]["file"].get<std::string>() + "\n";
    EXPECT_EQ(read["csv"][0][0].get<std::string>() + read["rows"][0][0].get<std::string>(), "fileSoubor");
    for (const std::string& from : {fromCsv, fromBook, fromJson})
        EXPECT_EQ(from, names);

    const Output deep = Check({"-r", dir.Path(), BIL_FUZZ_SEEDS});
    EXPECT_NE(deep.out.find(p + "sub/deep.bil/e.bil: v pořádku\n" + p + "sub/pipe.bil: Chyba čtení ze souboru.\n"),
              std::string::npos);
    EXPECT_NE(deep.out.find("\nSouborů: 19, "), std::string::npos) << deep.out;
}

// Planted in the calls that put a batch's texts on disk: their order is
// logged, and the process can be killed at a rename.
std::string g_calls;
std::set<std::string> g_synced; // what the fsyncs were of
int g_renamesBeforeKill = -1, g_renamesBeforeFailure = -1;
bool g_syncfsFails = false, g_fsyncFails = false;
extern "C" {
int __real_rename(const char* from, const char* to), __real_syncfs(int fd), __real_fsync(int fd);
int __wrap_rename(const char* from, const char* to)
{
    if (g_renamesBeforeKill-- == 0)
        raise(SIGKILL);
    g_calls += 'R';
    return g_renamesBeforeFailure-- == 0 ? errno = EIO, -1 : __real_rename(from, to);
}
int __wrap_syncfs(int fd) { return g_calls += 'S', g_syncfsFails ? errno = EIO, -1 : __real_syncfs(fd); }
int __wrap_fsync(int fd)
{
    std::error_code none; // no /proc: nothing recorded
    g_synced.insert(std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), none));
    return g_calls += 'F', g_fsyncFails ? errno = EIO, -1 : __real_fsync(fd);
}
}

TEST(Checker, TextsAreTheWizardsBytesGoToDiskTogetherAndNeverReplaceAnInput)
{
    TempDir dir;
    WriteStatement(dir.File("journey.bil"));
    // journey.txt is what the wizard's text page wrote with one TAB ticked.
    EXPECT_NE(Check({"--text", dir.File("out"), "--one-tab", dir.File("journey.bil")}).out.find("\n  Text: " +
              dir.File("out/journey.txt") + "\n"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("out/journey.txt")), ReadFile(TestDataPath("journey.txt")));
    CUzDocument doc;
    doc.m_strPath = dir.File("journey.bil");
    std::string text;
    ASSERT_TRUE(doc.Load() && doc.BuildText(text));

    // A statement named .txt, whose text would replace it, and two statements
    // with one text name: the first text stays, the others are errors.
    mkdir(dir.File("b").c_str(), 0700);
    WriteStatement(dir.File("b/journey.bil"), [](CUzData& d) { d.Item(1).m_strValue = "B"; });
    WriteStatement(dir.File("x.txt"));
    const Output clash = Check({"--format", "csv", "--text", dir.Path(), dir.File("x.txt"),
                                dir.File("journey.bil"), dir.File("b/journey.bil")});
    EXPECT_EQ(clash.status, 1);
    EXPECT_NE(clash.out.find(",warnings,text_file,text_error,company,"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("x.txt")), ReadFile(dir.File("journey.bil")));
    EXPECT_EQ(ReadFile(dir.File("journey.txt")), TextFileBytes(text, false));
    for (const std::string& row :
         {dir.File("x.txt") + ",errors,,,,,,,,,," + dir.File("x.txt") + ",Textový soubor by přepsal vstupní soubor.,",
          dir.File("journey.bil") + ",ok,,,,,,,,,," + dir.File("journey.txt") + ",,",
          dir.File("b/journey.bil") + ",errors,,,,,,,,,," + dir.File("journey.txt") +
              ",Textový soubor stejného jména už zapsal jiný soubor dávky.,"})
        EXPECT_NE(clash.out.find(row), std::string::npos) << row;

    // A batch killed at each of its renames: every text is its new content
    // or its old one, whole. The next batch removes what a killed one left.
    TempDir k;
    for (const std::string name : {"s0", "s1", "s2"})
        WriteStatement(k.File(name + ".bil"), [&](CUzData& d) { d.Item(1).m_strValue = name; });
    const auto textOf = [&](const std::string& folder, int i) { return ReadFile(k.File(folder + "/s" + char('0' + i) + ".txt")); };
    EXPECT_EQ(Check({"--text", k.File("new/2026"), k.Path()}).status, 0); // the folder made with its parent
    mkdir(k.File("old").c_str(), 0700);
    for (int kill = 0; kill < 3; ++kill) {
        for (int i = 0; i < 3; ++i)
            WriteFile(k.File("old/s") + char('0' + i) + ".txt", "old");
        EXPECT_EQ(RunInChild([&] { return g_renamesBeforeKill = kill, Check({"--text", k.File("old"), k.Path()}).status; }), -1);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(textOf("old", i), i < kill ? textOf("new/2026", i) : "old") << kill << i;
    }
    // A failed sync of the file system leaves every text as it was, a failed
    // rename its own; after a failed sync of the folder the texts are new but
    // unconfirmed. Each is an error of its text, with the reason.
    for (const char fault : {'S', 'R', 'F'}) {
        for (int i = 0; i < 3; ++i)
            WriteFile(k.File("old/s") + char('0' + i) + ".txt", "old");
        g_syncfsFails = fault == 'S', g_renamesBeforeFailure = fault == 'R' ? 1 : -1, g_fsyncFails = fault == 'F';
        const Output o = Check({"--format=csv", "--text", k.File("old"), k.Path()});
        g_syncfsFails = g_fsyncFails = false, g_renamesBeforeFailure = -1;
        for (int i = 0; i < 3; ++i) {
            const std::string s = "s" + std::string(1, char('0' + i));
            EXPECT_EQ(o.out.find(k.File(s + ".bil,errors,,,,,,,,,,") + k.File("old/" + s + ".txt,Chyba zápisu do souboru: Chyba disku.,")) !=
                          std::string::npos, fault != 'R' || i == 1) << fault << i;
            EXPECT_EQ(textOf("old", i) == "old", fault == 'S' || (fault == 'R' && i == 1)) << fault << i;
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(k.File("old")), {}), 3) << "temporary files left";
    }
    // A text through a link is renamed where the link leads. The file system
    // is synced once before the renames, each folder once after.
    mkdir(k.File("linked").c_str(), 0700);
    std::filesystem::rename(k.File("old/s2.txt"), k.File("linked/s2.txt"));
    symlink(k.File("linked/s2.txt").c_str(), k.File("old/s2.txt").c_str());
    g_calls.clear();
    g_synced.clear();
    EXPECT_EQ(Check({"--text", k.File("old"), k.Path()}).status, 0);
    EXPECT_EQ(g_calls, "SRRRFF");
    EXPECT_EQ(g_synced, (std::set<std::string>{k.File("linked"), k.File("old")}));
    EXPECT_EQ(textOf("linked", 2), textOf("new/2026", 2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(k.File("old")), {}), 3);
}

TEST(Checker, ExitStatusOptionsAndTheProgressLine)
{
    TempDir dir;
    WriteStatement(dir.File("ok.bil"));
    WriteStatement(dir.File("bad.bil"), [](CUzData& d) { d.Item(11).m_nNumber += 1; });
    const std::string statement = ReadFile(dir.File("ok.bil"));
    std::FILE* full = std::fopen("/dev/full", "w");
    // A report whose writes fail while its flush, with nothing left to write,
    // succeeds.
    std::FILE* lossy = fopencookie(nullptr, "w", {nullptr, [](void*, const char*, std::size_t) {
        return errno = EIO, ssize_t(-1); }, nullptr, nullptr});
    setvbuf(lossy, nullptr, _IONBF, 0);
    // Arguments, where the report goes, the status, the start of what it
    // writes (or of its error).
    const std::tuple<std::vector<std::string>, std::FILE*, int, std::string> cases[] = {
        {{"--rec", "--form=csv", dir.File("ok.bil")}, nullptr, 0, "file,status,"}, // abbreviated
        {{"-rh"}, nullptr, 0, "Použití: bil-check [volby] SOUBOR|SLOŽKA...\n"},  // bundled
        {{"--version"}, nullptr, 0, "bil-check " BIL_VERSION "\n"},
        {{"--format=csv", "--format", "human", dir.File("ok.bil")}, nullptr, 0, dir.File("ok.bil: v pořádku\n")},
        // A report that cannot be written wins over the statements' errors.
        {{dir.Path()}, full, 2, "bil-check: výsledek nelze zapsat: Na disku není volné místo.\n"},
        {{"--help"}, full, 2, "bil-check: výsledek nelze zapsat.\n"},
        {{dir.File("ok.bil")}, lossy, 2, "bil-check: výsledek nelze zapsat.\n"},
        {{"--xlsx", dir.File("none/s.xlsx"), dir.Path()}, nullptr, 2, "bil-check: sešit "},
        {{"--xlsx", dir.File("ok.bil"), dir.Path()}, nullptr, 2, "bil-check: sešit by přepsal vstupní soubor"},
        {{}, nullptr, 2, "bil-check: chybí soubor nebo složka\n"},
        {{"--format", "xml", "a.bil"}, nullptr, 2, "bil-check: neznámý formát: xml\n"},
        {{"--bogus", "a.bil"}, nullptr, 2, "bil-check: neznámá nebo neúplná volba: --bogus\n"},
        {{"-rx", "a.bil"}, nullptr, 2, "bil-check: neznámá nebo neúplná volba: -x\n"},
        {{"a.bil", "--format"}, nullptr, 2, "bil-check: volba --format potřebuje hodnotu\n"}, // the first long one
        {{"--xlsx=", "a.bil"}, nullptr, 2, "bil-check: volba --xlsx potřebuje jméno\n"},
        {{"--one-tab", "a.bil"}, nullptr, 2, "bil-check: volba --one-tab platí jen s volbou --text\n"},
    };
    for (const auto& [args, report, status, said] : cases) {
        const Output o = Check(args, report);
        SCOPED_TRACE(args.empty() ? "" : args[0]);
        EXPECT_EQ(o.status, status);
        EXPECT_EQ((status == 2 ? o.err : o.out).rfind(said, 0), 0u) << o.out << o.err;
        EXPECT_EQ(o.err.empty(), status != 2); // and no progress line off a terminal
        const bool usage = status == 2 && !report && o.out.empty();
        EXPECT_EQ(o.err.find("\nNápovědu vypíše: bil-check --help\n") != std::string::npos, usage);
    }
    std::fclose(full);
    std::fclose(lossy);
    EXPECT_EQ(ReadFile(dir.File("ok.bil")), statement);
    EXPECT_FALSE(FileExists(dir.File("none")));
    // Run with standard input closed, as from cron: each statement, then the workbook's temporary file,
    // gets descriptor 0.
    EXPECT_EQ(RunInChild([&] {
                  const Output o = (close(0), Check({"--xlsx", dir.File("s.xlsx"), dir.File("ok.bil"), dir.File("bad.bil")}));
                  return o.status + 10 * (o.out.find(dir.File("ok.bil: v pořádku\n")) != std::string::npos);
              }), 11);

    // Without /proc (as root, who can hide it), and with the workbook's library failing on a file-size
    // limit: a workbook, or a Czech message, and nothing of the library's on standard error.
    for (const bool limited : {false, true}) {
        const std::string book = dir.File("p.xlsx"), said = dir.File("said");
        EXPECT_EQ(RunInChild([&] {
                      dup2(open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
                      const rlimit size{4096, 4096};
                      std::signal(SIGXFSZ, SIG_IGN); // as main() does
                      if (limited ? setrlimit(RLIMIT_FSIZE, &size) != 0
                                  : geteuid() == 0 && (unshare(CLONE_NEWNS) || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
                                                       mount("none", "/proc", "tmpfs", 0, nullptr)))
                          return 9;
                      const Output o = Check({"--xlsx", book, dir.File("ok.bil")});
                      return int(limited ? o.status != 2 || o.err.rfind("bil-check: sešit " + book + " nelze sestavit: ", 0) != 0
                                         : o.status != 0 || !FileExists(book));
                  }), 0) << limited;
        EXPECT_EQ(ReadFile(said), "") << limited;
    }

    // On a terminal the progress line shows, and is wiped before the report.
    int terminal, slave;
    ASSERT_EQ(openpty(&terminal, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* tty = fdopen(slave, "w");
    EXPECT_EQ(Check({dir.Path()}, nullptr, tty).out.rfind(dir.File("bad.bil: obsahuje chyby\n"), 0), 0u);
    std::fclose(tty);
    // One read may return only the first line's bytes; the closed side ends it.
    std::string seen;
    char buf[64];
    for (ssize_t n; (n = read(terminal, buf, sizeof buf)) > 0;)
        seen.append(buf, std::size_t(n));
    EXPECT_EQ(seen, "\r1 / 2\r2 / 2\r\033[K");
    close(terminal);
}
