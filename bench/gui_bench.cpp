// What the user waits for on screen: the wizard from construction to its
// first page painted, beside a bare dialog with one line edit measured the
// same way, one Next between two figure pages and the draft written while
// the user types. Offscreen, in process.

#include "app/app.h"
#include "pages/markedit.h"
#include "model/document.h"
#include "model/messages.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;


// The process's peak so far: it only grows, so the bare dialog runs first.
void ReportPeakRss(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_kB"] = double(usage.ru_maxrss);
}

void Paint(QWidget& w)
{
    w.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(w.grab());
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void BM_BareDialogFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = Clock::now();
        auto dialog = std::make_unique<QDialog>();
        auto* layout = new QVBoxLayout(dialog.get());
        layout->addWidget(new QLineEdit(dialog.get()));
        Paint(*dialog);
        state.SetIterationTime(Seconds(start));
        dialog->hide();
        dialog.reset();
        QCoreApplication::processEvents();
    }
    ReportPeakRss(state);
}
BENCHMARK(BM_BareDialogFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WizardFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = Clock::now();
        auto sheet = std::make_unique<CBilDlgPages>(10002, nullptr, 0);
        sheet->SetActivePage(0);
        Paint(*sheet);
        state.SetIterationTime(Seconds(start));
        sheet->hide();
        sheet.reset();
        QCoreApplication::processEvents();
    }
    ReportPeakRss(state);
}
BENCHMARK(BM_WizardFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

// The wizard on the assets page of a new statement in a temporary folder,
// every text filled (after the first page, whose Next loads it empty), the
// draft kept when asked for; the first figure's edit at hand.
struct OnAssetsPage {
    explicit OnAssetsPage(bool keepDraft)
    {
        std::filesystem::create_directories(folder);
        setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
        g_doc.Reset();
        g_doc.m_data.Reset();
        g_doc.m_strPath = folder + "/new.bil"; // a new file: the first page lets it pass
        if (keepDraft)
            sheet.m_pDraft = &draft;
        sheet.SetActivePage(0);
        sheet.show();
        reached = sheet.SetActivePage(PageAktiva);
        for (int tag = 1; tag <= kItemCount; ++tag)
            if (tag != kOpinionTag && (tag < kFirstFigureTag || tag > kLastFigureTag))
                g_doc.m_data.Item(tag).m_strValue.assign(40, 'x');
        QCoreApplication::processEvents();
        first = qobject_cast<QLineEdit*>(sheet.m_pageAktiva.GetDlgItem(1042));
    }
    ~OnAssetsPage()
    {
        sheet.hide();
        std::filesystem::remove_all(folder);
    }

    const std::string folder = (std::filesystem::temp_directory_path() / "bil-gui-bench").string();
    CUzDraft draft;
    CBilDlgPages sheet{10002, nullptr, 0};
    bool reached = false;
    QLineEdit* first = nullptr;
};

// Next from the assets page to the liabilities page: 26 figures taken over
// (one of them changed), 30 loaded, the buttons updated and the page painted;
// with the argument 1 the statement's draft written too, as the application
// does. Back to the assets page by SetActivePage, untimed.
void BM_NextBetweenFigurePages(benchmark::State& state)
{
    OnAssetsPage at(state.range(0) != 0);
    if (!at.reached) {
        state.SkipWithError("assets page not reached");
        return;
    }
    int changed = 0;
    for (auto _ : state) {
        at.first->setText(QString::number(++changed)); // a figure changed: the draft is written
        const auto start = Clock::now();
        at.sheet.PressNext();
        QCoreApplication::processEvents();
        state.SetIterationTime(Seconds(start));
        if (at.sheet.GetActiveIndex() != PagePasiva) {
            state.SkipWithError("Next did not reach the liabilities page");
            break;
        }
        at.sheet.SetActivePage(PageAktiva);
        QCoreApplication::processEvents();
    }
    ReportPeakRss(state);
}
BENCHMARK(BM_NextBetweenFigurePages)->ArgName("draft")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The draft two seconds after typing on the assets page: the page's 26
// figures taken over quietly and the draft written (a figure changed each
// time, so that it is written, not found unchanged).
void BM_DraftWhileTyping(benchmark::State& state)
{
    OnAssetsPage at(true);
    if (!at.reached || !at.draft.Holds(g_doc.m_strPath)) {
        state.SkipWithError("assets page not reached with the draft held");
        return;
    }
    int changed = 0;
    for (auto _ : state) {
        at.first->setText(QString::number(++changed));
        const auto start = Clock::now();
        at.sheet.OnPageIdle(PageAktiva);
        state.SetIterationTime(Seconds(start));
    }
    if (g_doc.m_data.Item(11).m_nNumber != changed)
        state.SkipWithError("the figure typed was not taken over");
    state.counters["draft_bytes"] = double(std::filesystem::file_size(DraftFileFor(g_doc.m_strPath)));
}
BENCHMARK(BM_DraftWhileTyping)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bil"));
    InitGui();
    SilentMessageHost host;
    SetMessageHost(&host);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
