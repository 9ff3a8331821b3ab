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
    enum Kind { Speed, Scaling, Counter } kind;
    std::string first;
    std::string second;
    std::string label;
    std::string counter;
};

std::vector<Comparison>& Comparisons() {
    static std::vector<Comparison> comparisons;
    return comparisons;
}

struct Figures {
    double nsPerIteration = 0;
    double bytes = 0;
    std::map<std::string, double> counters;
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
            for (const auto& [name, counter] : run.counters)
                f.counters[name] = counter.value;
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
    Comparisons().push_back({Comparison::Speed, measured, reference, label, {}});
}

void CompareScaling(const std::string& small, const std::string& large, const std::string& label) {
    Comparisons().push_back({Comparison::Scaling, small, large, label, {}});
}

void CompareCounter(const std::string& measured, const std::string& reference, const std::string& counter,
                    const std::string& label) {
    Comparisons().push_back({Comparison::Counter, measured, reference, label, counter});
}

} // namespace sw::bench

int sw::bench::RunBenchmarks(int argc, char** argv) {
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
        if (c.kind == Comparison::Counter) {
            double mine = a->counters.count(c.counter) ? a->counters.at(c.counter) : 0;
            double theirs = b->counters.count(c.counter) ? b->counters.at(c.counter) : 0;
            std::printf("  %-44s %s %.3f against %.3f, ratio %.2f\n", c.label.c_str(), c.counter.c_str(), mine, theirs,
                        theirs > 0 ? mine / theirs : 0);
        } else if (c.kind == Comparison::Scaling) {
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
