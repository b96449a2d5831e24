// bil-check in process: statement files against the facts reported in all
// three formats and the exit status, the folder search, the text files it
// writes, hostile inputs and usage errors.

#include "checker/cli.h"
#include "model/document.h"
#include "support/support.h"
#include "text/layout.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace {

struct Output {
    int status;
    std::string out, err;
};

Output Check(std::vector<std::string> args)
{
    args.insert(args.begin(), "bil-check");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    char *outBuf = nullptr, *errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    std::FILE* out = open_memstream(&outBuf, &outLen);
    std::FILE* err = open_memstream(&errBuf, &errLen);
    const int status = checker::Run(static_cast<int>(argv.size()), argv.data(), out, err);
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

} // namespace

TEST(Checker, ReportsEachFileInEveryFormatAndTheWorstStatus)
{
    TempDir dir;
    const struct {
        const char* name;
        std::function<void(CUzData&)> change; // none: the file is `bytes`
        std::string bytes;
        const char* human; // after "NAME: "
        const char* csv;   // after "NAME,"
        std::string json;  // status, rule numbers per year, tag and kind of each gap
    } cases[] = {
        {"a.bil", [](CUzData&) {}, "", "v pořádku\n", "ok,,,,,,,,,\r\n", "ok||"},
        {"b.bil", [](CUzData& d) { d.Item(17).m_nNumber += 1; d.Item(56).m_nNumber -= 1; }, "",
         "obsahuje chyby\n  Běžný rok, pravidlo 3: Stálá aktiva\n  Minulý rok, pravidlo 7: Cizí zdroje\n",
         "errors,,3,Stálá aktiva,7,Cizí zdroje,,,,\r\n", "errors|3 |7 "},
        {"c.bil", [](CUzData& d) { d.Item(3).m_strValue.clear(); d.Item(2).m_nNumber = -5; d.Item(10).m_nNumber = -1; }, "",
         "obsahuje chyby\n  Hlavička, chyba: položka Obec není vyplněna\n"
         "  Hlavička, chyba: položka Výrok auditora není vybrána\n  Hlavička, chyba: položka IČO je záporná\n",
         "errors,,,,,,3 10 2,Hlavička: položka Obec není vyplněna; Hlavička: položka Výrok auditora "
         "není vybrána; Hlavička: položka IČO je záporná,,\r\n",
         "errors||3 missing_text 10 no_opinion 2 ico_negative "},
        {"d.BIL", [](CUzData& d) { d.Item(128).m_nNumber = 0; d.Item(129).m_strValue.clear(); }, "",
         "v pořádku, s upozorněním\n  Objednavatel, upozornění: položka IČO není vyplněna (0)\n"
         "  Objednavatel, upozornění: položka DIČ není vyplněna\n",
         "warnings,,,,,,,,128 129,Objednavatel: položka IČO není vyplněna (0); Objednavatel: "
         "položka DIČ není vyplněna\r\n",
         "warnings||128 ico_zero 129 dic_empty "},
        // The first record claims a text of 2 GiB.
        {"e.bil", nullptr, std::string("\x01\0\0\0\xff\xff\xff\x7f", 8), "Chyba čtení ze souboru.\n",
         "unreadable,Chyba čtení ze souboru.,,,,,,,,\r\n", "unreadable||"},
    };
    std::string batch;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        c.change ? WriteStatement(path, c.change) : WriteFile(path, c.bytes);
        batch += path + ": " + c.human;
        const int exit = c.csv[0] == 'o' || c.csv[0] == 'w' ? 0 : 1;
        const Output human = Check({path});
        EXPECT_EQ(human.status, exit);
        EXPECT_EQ(human.out.substr(0, human.out.find("\n\n") + 1), path + ": " + c.human);
        const Output csv = Check({"--format", "csv", path});
        EXPECT_EQ(csv.status, exit);
        EXPECT_EQ(csv.out.substr(csv.out.find("\r\n") + 2), path + "," + c.csv);
        const auto json = nlohmann::json::parse(Check({"--format=json", path}).out)["files"][0];
        std::string facts = json["status"].get<std::string>() + "|";
        for (const char* year : {"current", "previous"}) {
            for (const auto& r : json["rules"][year])
                facts += std::to_string(r["rule"].get<int>()) + " ";
            facts += year[0] == 'c' ? "|" : "";
        }
        for (const auto& g : json["gaps"])
            facts += std::to_string(g["tag"].get<int>()) + " " + g["kind"].get<std::string>() + " ";
        EXPECT_EQ(facts, c.json);
    }
    // A folder: its statements in name order, a missing file, the summary.
    struct stat before, after;
    stat(dir.Path().c_str(), &before);
    const Output all = Check({dir.Path(), dir.File("f.bil")});
    stat(dir.Path().c_str(), &after);
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.out, batch + dir.File("f.bil") + ": Soubor neexistuje.\n\n"
                       "Souborů: 6, v pořádku: 2, s chybami: 2, nečitelných: 2\n");
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec); // nothing made there, not even a probe
}

TEST(Checker, SearchesFoldersAndSurvivesHostileFiles)
{
    TempDir dir;
    mkdir(dir.File("sub").c_str(), 0700);
    mkdir(dir.File("sub/deep.bil").c_str(), 0700); // a folder, whatever its name
    mkfifo(dir.File("sub/pipe.bil").c_str(), 0600);   // refused at once, never waited on
    WriteFile(dir.File("\x1b[2Jx\x9b.bil"), "");      // a name that would steer a terminal
    for (const char* name : {"A.BIL", "c.txt", "sub/d.Bil", "sub/deep.bil/e.bil"})
        WriteStatement(dir.File(name));
    const std::string p = dir.Path() + "/";
    EXPECT_EQ(Check({dir.Path()}).out, p + "?[2Jx?.bil: Chyba čtení ze souboru.\n" + p + "A.BIL: v pořádku\n\n"
                                       "Souborů: 2, v pořádku: 1, s chybami: 0, nečitelných: 1\n");
    const Output deep = Check({"-r", dir.Path(), BIL_FUZZ_SEEDS});
    EXPECT_NE(deep.out.find(p + "sub/deep.bil/e.bil: v pořádku\n" + p + "sub/pipe.bil: Chyba čtení ze souboru.\n"),
              std::string::npos);
    EXPECT_NE(deep.out.find("\nSouborů: 11, "), std::string::npos) << deep.out;
}

TEST(Checker, TextFilesAreTheWizardsBytesAndNeverReplaceAnInput)
{
    TempDir dir;
    WriteStatement(dir.File("journey.bil"));
    // journey.txt is what the wizard's text page wrote with one TAB ticked.
    EXPECT_EQ(Check({"--text", dir.File("out"), "--one-tab", dir.File("journey.bil")}).status, 0);
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
    const std::string statement = ReadFile(dir.File("x.txt"));
    const Output clash = Check({"--format", "csv", "--text", dir.Path(), dir.File("x.txt"),
                                dir.File("journey.bil"), dir.File("b/journey.bil")});
    EXPECT_EQ(clash.status, 1);
    EXPECT_EQ(ReadFile(dir.File("x.txt")), statement);
    EXPECT_EQ(ReadFile(dir.File("journey.txt")), TextFileBytes(text, false));
    for (const std::string& row :
         {dir.File("x.txt") + ",errors,,,,,,,,,," + dir.File("x.txt") + ",Textový soubor by přepsal vstupní soubor.\r\n",
          dir.File("journey.bil") + ",ok,,,,,,,,,," + dir.File("journey.txt") + ",\r\n",
          dir.File("b/journey.bil") + ",errors,,,,,,,,,," + dir.File("journey.txt") +
              ",Textový soubor stejného jména už zapsal jiný soubor dávky.\r\n"})
        EXPECT_NE(clash.out.find(row), std::string::npos) << row;
}

TEST(Checker, UsageErrorsAndHelp)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--format", "xml", "a.bil"}, {"--bogus", "a.bil"}, {"--text"}, {"--one-tab", "a.bil"}}) {
        const Output o = Check(args);
        EXPECT_TRUE(o.status == 2 && o.out.empty() && o.err.find("bil-check --help") != std::string::npos) << o.err;
    }
    const Output help = Check({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Použití: bil-check [volby] SOUBOR|SLOŽKA...\n", 0), 0u);
}
