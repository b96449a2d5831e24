// Timings of the operations a user waits for: loading and saving the
// statement file, the sum rule check and the statement text.

#include "model/cp1250.h"
#include "model/document.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A statement with every item filled, as a real one is.
void Fill(CUzDocument& doc)
{
    CUzData& d = doc.m_data;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        CUzItemBase& item = d.Item(tag);
        if (tag >= kFirstFigureTag && tag <= kLastFigureTag)
            item.m_nNumber = (tag % 2 ? 1 : -1) * tag * 1237;
        else
            item.m_strValue = cp1250::Literal("Údaj č. ") + std::to_string(tag) +
                              cp1250::Literal(" – Žluťoučký kůň, České Budějovice");
    }
    d.Item(2).m_strValue.clear();
    d.Item(2).m_nNumber = 25596641;
    d.Item(10).m_nNumber = 1;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bil-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void BM_Load(benchmark::State& state)
{
    TempFolder folder;
    CUzDocument doc;
    Fill(doc);
    doc.m_strPath = folder.File("statement.bil");
    if (!doc.Save()) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        bool ok = doc.Load();
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_Load);

void BM_Save(benchmark::State& state)
{
    TempFolder folder;
    CUzDocument doc;
    Fill(doc);
    doc.m_strPath = folder.File("statement.bil");
    for (auto _ : state) {
        bool ok = doc.Save();
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMicrosecond);

void BM_CheckAll(benchmark::State& state)
{
    CUzDocument doc;
    Fill(doc);
    for (auto _ : state) {
        int ok = doc.m_data.CheckAll();
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_CheckAll);

void BM_BuildText(benchmark::State& state)
{
    CUzDocument doc;
    Fill(doc);
    std::string text;
    for (auto _ : state) {
        int ok = doc.BuildText(text);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_BuildText);

} // namespace

BENCHMARK_MAIN();
