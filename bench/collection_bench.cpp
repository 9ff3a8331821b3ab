// The collection run's own cost per page, from the body received to its rows
// in the grid, against parsing the same page alone; and how live the window
// stays while a run waits for a slow marketplace.

#include "app/application.h"
#include "app/qt_ui_pump.h"
#include "bench/bench_main.h"
#include "shop/collection_run.h"
#include "tests/support/marketsim_process.h"
#include "tests/support/memory_form.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"
#include "text/ui_pump.h"
#include "tools/marketsim/shop_pages.h"
#include "web/plain_fetch.h"
#include "web/tls_trust.h"
#include "json/json_document.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

const std::string& PageUtf8() {
    static const std::string page = [] {
        sw::marketsim::ShopQuery query;
        query.keyword = "连衣裙";
        return sw::marketsim::ShopPageJson(query);
    }();
    return page;
}

// Everything the run does for one page, with the page already received.
void BM_RunOnePage(benchmark::State& state) {
    sw::test::MemoryForm form;
    sw::test::RecordingDialogs dialogs;
    for (const char* box : {"page1", "page2"})
        form.SetText(box, "1");
    form.SetText("key", "dress");
    const std::pair<const char*, const char*> boxes[] = {
        {"编辑框1", "1000"}, {"编辑框2", "100"},      {"编辑框3", "200"}, {"编辑框8", "100"},
        {"编辑框4", "1"},    {"编辑框5", "99999999"}, {"编辑框6", "1"},   {"编辑框7", "9999999"}};
    for (const auto& [name, text] : boxes)
        form.SetText(sw::Gbk(name), text);
    form.checked["select"] = true;
    sw::CollectionRun run(
        form, dialogs, [](std::string_view, int, int, int, int) { return PageUtf8(); }, [] { return true; });
    for (auto _ : state)
        run.Run();
    state.counters["rows"] = form.grid.RowCount() - 1;
}

// The reference: the same page converted and parsed, nothing read.
void BM_ParsePageAlone(benchmark::State& state) {
    sw::JsonDocument page;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.Parse(sw::Utf8ToGbk(PageUtf8())));
}

// Ticks a timer in the window's event loop and keeps the largest gap between ticks.
class TickRecorder {
public:
    explicit TickRecorder(QObject* context) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, context, [this] {
            qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0)
                largestNs_ = std::max(largestNs_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start();
    }
    double LargestGapMs() const { return static_cast<double>(largestNs_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 largestNs_ = 0;
};

void ConfigureForSimulator(const sw::test::Simulator& simulator) {
    sw::ServiceSettings services = sw::DefaultServiceSettings();
    services.shopSearchHost = "127.0.0.1:" + std::to_string(simulator.HttpsPort());
    services.connectivityProbeAddress = simulator.Http("/");
    services.homePageAddress = simulator.Http("/about");
    sw::SetServicesForTesting(services);
    sw::SetExtraCaFileForTesting(sw::test::TlsServer::CertificateFile());
}

// A two-page run against a marketplace answering each page after 3 s.
void BM_WindowGapDuringSlowRun(benchmark::State& state) {
    sw::test::Simulator simulator(MARKETSIM_PROGRAM);
    ConfigureForSimulator(simulator);
    sw::PlainGet(simulator.Http("/_control?fault=slow&delay_ms=3000"));
    sw::test::TempFolder folder;
    sw::test::RecordingDialogs dialogs;
    sw::Application app(sw::Application::Setup{folder.Path(), sw::Services(), nullptr, &dialogs, {}, {}});
    app.Window().show();
    sw::FormPort& form = app.Window().Form();
    form.SetText("key", sw::Gbk("连衣裙"));
    form.SetText("page2", "2");
    double largest = 0;
    for (auto _ : state) {
        TickRecorder ticks(&app.Window());
        app.Window().findChild<QPushButton*>(QStringLiteral("start"))->click();
        largest = std::max(largest, ticks.LargestGapMs());
    }
    state.counters["largest_gap_ms"] = largest;
    sw::SetServicesForTesting(std::nullopt);
}

// The reference: the same timer in an idle event loop for the same time.
void BM_WindowGapIdle(benchmark::State& state) {
    double largest = 0;
    for (auto _ : state) {
        QObject context;
        TickRecorder ticks(&context);
        sw::WaitWhilePumping(8000);
        largest = std::max(largest, ticks.LargestGapMs());
    }
    state.counters["largest_gap_ms"] = largest;
}

BENCHMARK(BM_ParsePageAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunOnePage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowGapIdle)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowGapDuringSlowRun)->Iterations(1)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_RunOnePage", "BM_ParsePageAlone", "run of one 20-shop page, against parsing it");
    sw::bench::CompareCounter("BM_WindowGapDuringSlowRun/iterations:1", "BM_WindowGapIdle/iterations:1",
                              "largest_gap_ms", "window timer gap during a run with 3 s pages, against idle");
    return true;
}();

} // namespace

// The window benchmarks need a Qt application around them.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    return sw::bench::RunBenchmarks(argc, argv);
}
