#include "bench/bench_main.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <vector>

namespace sw::bench {
namespace {

struct Comparison {
    bool scaling;
    std::string first;
    std::string second;
    std::string label;
};

std::vector<Comparison>& Comparisons() {
    static std::vector<Comparison> comparisons;
    return comparisons;
}

struct Figures {
    double nsPerIteration = 0;
    double bytes = 0;
};

// Keeps the console output and remembers each run's time per iteration.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            Figures& f = figures_[run.benchmark_name()];
            f.nsPerIteration = run.GetAdjustedRealTime() * Multiplier(run.time_unit);
            auto bytes = run.counters.find("bytes");
            if (bytes != run.counters.end())
                f.bytes = bytes->second.value;
        }
    }

    const Figures* Find(const std::string& name) const {
        auto it = figures_.find(name);
        return it == figures_.end() ? nullptr : &it->second;
    }

private:
    static double Multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }

    std::map<std::string, Figures> figures_;
};

} // namespace

void CompareSpeed(const std::string& measured, const std::string& reference, const std::string& label) {
    Comparisons().push_back({false, measured, reference, label});
}

void CompareScaling(const std::string& small, const std::string& large, const std::string& label) {
    Comparisons().push_back({true, small, large, label});
}

} // namespace sw::bench

int main(int argc, char** argv) {
    using namespace sw::bench;
    // Large results would otherwise come from fresh mappings on every call and
    // the figures would measure page faults; keep every size on the heap so a
    // 10 MB run reuses its memory as a 1 MB run does.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (measured in this run):\n");
    for (const Comparison& c : Comparisons()) {
        const Figures* a = reporter.Find(c.first);
        const Figures* b = reporter.Find(c.second);
        if (a == nullptr || b == nullptr)
            continue;
        if (c.scaling) {
            double smallNs = a->bytes > 0 ? a->nsPerIteration / a->bytes : 0;
            double largeNs = b->bytes > 0 ? b->nsPerIteration / b->bytes : 0;
            std::printf("  %-44s %.3f ns/byte small, %.3f ns/byte large, large/small %.2f\n", c.label.c_str(), smallNs,
                        largeNs, smallNs > 0 ? largeNs / smallNs : 0);
        } else {
            std::printf("  %-44s %.2f x the reference (%.3f ms against %.3f ms)\n", c.label.c_str(),
                        a->nsPerIteration > 0 ? b->nsPerIteration / a->nsPerIteration : 0, a->nsPerIteration / 1e6,
                        b->nsPerIteration / 1e6);
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak memory: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    benchmark::Shutdown();
    return 0;
}
