// Speed of the text layer: the code-page conversions against a raw iconv call
// over the same buffer, and the linear time of the marker cuts and the URL
// encoder between 1 MB and 10 MB inputs.

#include "bench/bench_main.h"
#include "text/code_page.h"
#include "text/text_cut.h"
#include "text/url_encode.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>

namespace {

constexpr size_t kMiB = 1 << 20;

// Chinese text as a shop page has it: GB2312 hanzi with some ASCII words,
// digits and punctuation between them.
std::string ChineseText(size_t size) {
    std::mt19937 random(936);
    std::uniform_int_distribution<int> lead(0xB0, 0xD6);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::uniform_int_distribution<int> kind(0, 9);
    std::string text;
    text.reserve(size + 2);
    while (text.size() < size) {
        if (kind(random) == 0) {
            text += "ab1 ";
        } else {
            text.push_back(static_cast<char>(lead(random)));
            text.push_back(static_cast<char>(trail(random)));
        }
    }
    text.resize(size - size % 2);
    return text;
}

const std::string& Chinese(size_t size) {
    static const std::string small = ChineseText(1 * kMiB);
    static const std::string large = ChineseText(10 * kMiB);
    return size == kMiB ? small : large;
}

const std::string& ChineseUtf8() {
    static const std::string utf8 = sw::GbkToUtf8(Chinese(10 * kMiB));
    return utf8;
}

void RawIconv(benchmark::State& state, const char* to, const char* from, const std::string& input) {
    iconv_t cd = iconv_open(to, from);
    std::string output(input.size() * 2, '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char* out = output.data();
        size_t outLeft = output.size();
        benchmark::DoNotOptimize(iconv(cd, &in, &inLeft, &out, &outLeft));
        benchmark::ClobberMemory();
        if (inLeft != 0) {
            state.SkipWithError("iconv stopped before the end of the input");
            break;
        }
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_RawIconvGbkToUtf8(benchmark::State& state) {
    RawIconv(state, "UTF-8", "CP936", Chinese(10 * kMiB));
}
void BM_RawIconvUtf8ToGbk(benchmark::State& state) {
    RawIconv(state, "CP936", "UTF-8", ChineseUtf8());
}

void BM_GbkToUtf8(benchmark::State& state) {
    const std::string& input = Chinese(10 * kMiB);
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::GbkToUtf8(input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_Utf8ToGbk(benchmark::State& state) {
    const std::string& input = ChineseUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::Utf8ToGbk(input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

// The markers sit at the very end, so the whole text is searched.
void BM_TextBetween(benchmark::State& state) {
    std::string text = Chinese(static_cast<size_t>(state.range(0))) + "<b class=\"price\">12.50</b>";
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::TextBetween(text, "<b class=\"price\">", "</b>"));
    state.counters["bytes"] = static_cast<double>(text.size());
}

// Worst case for a naive search: a long run of near-matches of a long marker.
void BM_TextBetweenNearMatches(benchmark::State& state) {
    std::string text(static_cast<size_t>(state.range(0)), 'a');
    std::string marker(1000, 'a');
    marker += "b";
    text += "b|";
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::TextBetween(text, marker, "|"));
    state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_UrlEncode(benchmark::State& state) {
    const std::string& text = Chinese(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::UrlEncode(text, true, true));
    state.counters["bytes"] = static_cast<double>(text.size());
}

BENCHMARK(BM_RawIconvGbkToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GbkToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawIconvUtf8ToGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBetween)->Arg(1 * kMiB)->Arg(10 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBetweenNearMatches)->Arg(1 * kMiB)->Arg(10 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UrlEncode)->Arg(1 * kMiB)->Arg(10 * kMiB)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    using sw::bench::CompareScaling;
    using sw::bench::CompareSpeed;
    CompareSpeed("BM_GbkToUtf8", "BM_RawIconvGbkToUtf8", "GbkToUtf8, 10 MB, against raw iconv");
    CompareSpeed("BM_Utf8ToGbk", "BM_RawIconvUtf8ToGbk", "Utf8ToGbk, 10 MB, against raw iconv");
    CompareScaling("BM_TextBetween/1048576", "BM_TextBetween/10485760", "TextBetween, 1 MB and 10 MB");
    CompareScaling("BM_TextBetweenNearMatches/1048576", "BM_TextBetweenNearMatches/10485760",
                   "TextBetween near-matches, 1 MB and 10 MB");
    CompareScaling("BM_UrlEncode/1048576", "BM_UrlEncode/10485760", "UrlEncode, 1 MB and 10 MB");
    return true;
}();

} // namespace
