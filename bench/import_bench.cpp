// Figures from the books: the full form's statement records, as a tax
// return's XML carries them, read and mapped onto Bil's rows (the preview's
// figures, statuses, sources and failing rules), from the file on disk.

#include "import/proposal.h"
#include "import/read.h"
#include "model/data.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void Import(benchmark::State& state, const char* path)
{
    CUzData data;
    for (auto _ : state) {
        bilimport::Statement st;
        bilimport::Proposal p;
        QString error;
        if (bilimport::ReadSource(path, {}, st, error) != bilimport::ReadStatus::Ok ||
            !bilimport::Proposal::Make(st, data, p, error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
        benchmark::DoNotOptimize(p.FailingRules(bilimport::Years::Both));
    }
}

void BM_ImportFullXml(benchmark::State& state)
{
    Import(state, BIL_IMPORT_DATA "/example-full.xml");
}
BENCHMARK(BM_ImportFullXml)->Unit(benchmark::kMicrosecond);

void BM_ImportFullCsv(benchmark::State& state)
{
    Import(state, BIL_IMPORT_DATA "/example-full.csv");
}
BENCHMARK(BM_ImportFullCsv)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
