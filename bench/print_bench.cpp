// What printing costs: the PDF of a statement with every item filled, built
// in process; and the whole `bil --pdf` process beside a bare Qt program
// that writes a one-line PDF (and one that writes the alphabet in the two
// faces a statement embeds), run in turn; and `bil --import`, which writes
// a statement from the books' figures, beside them.

#include "model/cp1250.h"
#include "model/document.h"
#include "print/print.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// Every item filled: figures, texts of a few hundred characters.
void Fill(CUzData& d)
{
    const std::string sentence =
        cp1250::Literal("Žluťoučký kůň, Náměstí Republiky 12, České Budějovice; ");
    for (int tag = 1; tag <= kItemCount; ++tag) {
        CUzItemBase& item = d.Item(tag);
        if (tag >= kFirstFigureTag && tag <= kLastFigureTag) {
            item.m_nNumber = (tag % 2 ? 1 : -1) * tag * 12347;
        } else {
            item.m_strValue.clear();
            for (int i = 0; i < (tag >= 113 && tag <= 122 ? 6 : 1); ++i)
                item.m_strValue += sentence;
        }
    }
    d.Item(2).m_nNumber = 25596641;
    d.Item(10).m_nNumber = 1;
}

void BM_StatementPdf(benchmark::State& state)
{
    CUzData data;
    Fill(data);
    for (auto _ : state) {
        const QByteArray pdf = print::Pdf(data, print::Part::Statement);
        if (pdf.isEmpty())
            state.SkipWithError("no PDF");
        state.counters["kB"] = double(pdf.size()) / 1024;
    }
}
BENCHMARK(BM_StatementPdf)->Unit(benchmark::kMillisecond);

std::string g_folder;

// Runs a program to its end: false when it fails. `wall` and `cpu` (user
// and system) get its times in seconds.
bool RunProcess(std::vector<std::string> args, double& wall, double& cpu)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    // What a program shows (the import's preview) is not part of the benchmark's report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0 ||
        wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return true;
}

// Wall time per run; the counter cpu_ms is the process's own CPU time, which
// other load on the machine disturbs less.
void Process(benchmark::State& state, std::vector<std::string> args)
{
    double cpuTotal = 0;
    for (auto _ : state) {
        double wall = 0, cpu = 0;
        if (!RunProcess(args, wall, cpu)) {
            state.SkipWithError("the process failed");
            break;
        }
        state.SetIterationTime(wall);
        cpuTotal += cpu;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuTotal * 1000, benchmark::Counter::kAvgIterations);
}

void BM_BareQtOneLinePdfProcess(benchmark::State& state)
{
    Process(state, {BARE_PDF_EXE, g_folder + "/bare.pdf"});
}
BENCHMARK(BM_BareQtOneLinePdfProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareQtAlphabetTwoFacesPdfProcess(benchmark::State& state)
{
    Process(state, {BARE_PDF_EXE, g_folder + "/alphabet.pdf", "alphabet"});
}
BENCHMARK(BM_BareQtAlphabetTwoFacesPdfProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BilPdfProcess(benchmark::State& state)
{
    Process(state, {BIL_EXE, "--pdf", g_folder + "/statement.pdf", g_folder + "/statement.bil"});
}
BENCHMARK(BM_BilPdfProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

// The full form's XML into the filled statement, which keeps its texts.
void BM_BilImportProcess(benchmark::State& state)
{
    Process(state, {BIL_EXE, "--import", BIL_IMPORT_DATA "/example-full.xml", g_folder + "/statement.bil"});
}
BENCHMARK(BM_BilImportProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "bil-print-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return EXIT_FAILURE;
    }
    g_folder = pattern;
    CUzDocument doc;
    Fill(doc.m_data);
    doc.m_strPath = g_folder + "/statement.bil";
    if (!doc.Save()) {
        std::fprintf(stderr, "print_bench: cannot write %s\n", doc.m_strPath.c_str());
        return EXIT_FAILURE;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_folder);
    return EXIT_SUCCESS;
}
