// Start-up: from process start to the main window shown, with the update
// record answered at once by the marketplace simulator, against a bare Qt
// program that only shows an empty window. Each start is a fresh process: the
// benchmark runs itself with a probe argument and reads the moment the child
// saw its window shown, on the machine-wide monotonic clock.

#include "app/application.h"
#include "app/qt_dialogs.h"
#include "app/qt_ui_pump.h"
#include "app/update_check.h"
#include "bench/bench_main.h"
#include "tests/support/marketsim_process.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

namespace {

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Prints the moment the window is on screen, then ends the process.
void ReportWhenShown(QWidget& window) {
    window.show();
    while (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    std::printf("%lld\n", MonotonicNs());
    std::fflush(stdout);
}

// The program's own start: the update check, then the window.
int StallwatchProbe(int argc, char** argv, int httpPort) {
    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    sw::ServiceSettings services = sw::DefaultServiceSettings();
    services.updateHost = "127.0.0.1:" + std::to_string(httpPort);
    services.homePageAddress = "http://127.0.0.1:" + std::to_string(httpPort) + "/about";
    sw::StartDecision decision;
    {
        sw::QtDialogs dialogs(nullptr);
        decision = sw::CheckForUpdate(dialogs, services);
    }
    if (!decision.openWindow)
        return 1;
    sw::test::TempFolder folder;
    sw::Application program(sw::Application::Setup{folder.Path(), services, nullptr, nullptr, {}, {}});
    ReportWhenShown(program.Window());
    return 0;
}

int BareProbe(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(798, 702);
    ReportWhenShown(window);
    return 0;
}

std::string g_self;

// Runs the probe child and returns its start-to-shown time in milliseconds.
double TimeProbe(const std::vector<std::string>& arguments) {
    std::string command = "QT_QPA_PLATFORM=offscreen '" + g_self + "'";
    for (const std::string& a : arguments)
        command += " " + a;
    long long started = MonotonicNs();
    FILE* child = popen(command.c_str(), "r");
    long long shown = 0;
    if (child == nullptr || std::fscanf(child, "%lld", &shown) != 1)
        shown = 0;
    if (child != nullptr)
        pclose(child);
    return shown > started ? static_cast<double>(shown - started) / 1e6 : -1;
}

void Measure(benchmark::State& state, const std::vector<std::string>& arguments) {
    double total = 0;
    for (auto _ : state) {
        double ms = TimeProbe(arguments);
        if (ms < 0) {
            state.SkipWithError("the probe did not report its window");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        total += ms;
    }
    state.counters["start_to_shown_ms"] = total / static_cast<double>(state.iterations());
}

void BM_StallwatchStart(benchmark::State& state) {
    sw::test::Simulator simulator(MARKETSIM_PROGRAM, {"--update-version", "1.0"}, false);
    Measure(state, {"--probe-stallwatch", std::to_string(simulator.HttpPort())});
}

void BM_BareQtStart(benchmark::State& state) {
    Measure(state, {"--probe-bare"});
}

BENCHMARK(BM_BareQtStart)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StallwatchStart)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_StallwatchStart/iterations:5/manual_time", "BM_BareQtStart/iterations:5/manual_time",
                            "start to window shown, against a bare Qt window");
    return true;
}();

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--probe-stallwatch")
        return StallwatchProbe(1, argv, std::stoi(argv[2]));
    if (argc >= 2 && std::string(argv[1]) == "--probe-bare")
        return BareProbe(1, argv);
    g_self = argv[0];
    // The probes create the desktop launcher in a temporary home, never the real one.
    sw::test::TempFolder home;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (home.Path() / "Desktop").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.Path() / ".config").c_str(), 1);
    return sw::bench::RunBenchmarks(argc, argv);
}
