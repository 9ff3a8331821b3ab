// Speed of the lexicon's jobs on a word list of 1,000,000 lines (GBK, CR LF,
// about 10 MB) as its window runs them: opening (read and row count), a query
// for the last line against `grep -xF` over the same file, and an add and a
// delete with the write of the whole word file.

#include "bench/bench_main.h"
#include "text/code_page.h"
#include "toolslib/lexicon_work.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

extern char** environ;

namespace {

constexpr int kLines = 1000000;
// The last line is the only one that begins with "z": a query or a delete of it
// searches the whole list, and so does the scan of an add that goes before it.
const std::string kLastLine = "zz-last-line";

// Words of two to four GB2312 hanzi, as a shop's keyword list holds them.
std::string WordListBytes() {
    std::mt19937 random(936);
    std::uniform_int_distribution<int> lead(0xB0, 0xD6);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::uniform_int_distribution<int> length(2, 4);
    std::string bytes;
    bytes.reserve(kLines * 10);
    for (int line = 1; line < kLines; ++line) {
        for (int n = length(random); n > 0; --n) {
            bytes.push_back(static_cast<char>(lead(random)));
            bytes.push_back(static_cast<char>(trail(random)));
        }
        bytes.append("\r\n");
    }
    return bytes.append(kLastLine).append("\r\n");
}

class Fixture {
public:
    Fixture() : bytes(WordListBytes()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "lexicon-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        std::ofstream(WordFile(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path WordFile() const { return sw::WordFilePath(folder); }

    std::string bytes;
    std::string folder; // ASCII, so the same as GBK text
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

// The window, answering nothing: only the work is timed.
class QuietView : public sw::LexiconView {
public:
    explicit QuietView(std::string keyword) : keyword_(std::move(keyword)) {}
    std::optional<std::string> Keyword(sw::LexiconBox) override { return keyword_; }
    void SetCaption(sw::LexiconButton, std::string_view) override {}
    void SetRowCount(std::string_view) override {}
    void SetQueryTime(std::string_view) override {}
    void ShowMessage(std::string_view text, std::string_view, sw::LexiconIcon) override { message = text; }
    std::string message;

private:
    std::string keyword_;
};

sw::LexiconBook& OpenBook() {
    static sw::LexiconBook book;
    if (book.folder.empty())
        sw::RunLoad(book, sw::LexiconTicket(book), Data().folder);
    return book;
}

void BM_LexiconOpen(benchmark::State& state) {
    sw::LexiconBook book;
    for (auto _ : state) {
        sw::RunLoad(book, sw::LexiconTicket(book), Data().folder);
        benchmark::DoNotOptimize(sw::RowCountText(book.list.LineCount()));
    }
    if (book.list.LineCount() != kLines)
        state.SkipWithError("the list was not read whole");
}

void BM_LexiconQueryLastLine(benchmark::State& state) {
    sw::LexiconBook& book = OpenBook();
    QuietView view(kLastLine);
    for (auto _ : state)
        sw::RunQuery(book, sw::LexiconTicket(book), kLastLine, view, [] { return std::int64_t{0}; });
    if (view.message.find(sw::Gbk("已存在")) == std::string::npos)
        state.SkipWithError("the last line was not found");
}

// The same search by grep in the C locale, started as a process for each query
// (timed by the clock, as the work is the child's).
void BM_GrepLastLine(benchmark::State& state) {
    // grep splits at LF only, so the CR of the line end is part of its line.
    const std::string line = kLastLine + "\r";
    const std::string file = Data().WordFile().string();
    char* const argv[] = {const_cast<char*>("grep"),       const_cast<char*>("-xFq"),       const_cast<char*>("--"),
                          const_cast<char*>(line.c_str()), const_cast<char*>(file.c_str()), nullptr};
    ::setenv("LC_ALL", "C", 1);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (::posix_spawnp(&child, "grep", nullptr, nullptr, argv, environ) != 0 || ::waitpid(child, &status, 0) < 0 ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("grep did not find the line");
            break;
        }
    }
}

void BM_LexiconAdd(benchmark::State& state) {
    sw::LexiconBook& book = OpenBook();
    QuietView view("zz-new-word");
    for (auto _ : state) {
        sw::RunAdd(book, sw::LexiconTicket(book), "zz-new-word", view);
        state.PauseTiming();
        book.list.Remove("zz-new-word");
        state.ResumeTiming();
    }
    if (book.list.LineCount() != kLines)
        state.SkipWithError("the add was not taken back");
}

void BM_LexiconDelete(benchmark::State& state) {
    sw::LexiconBook& book = OpenBook();
    QuietView view(kLastLine);
    for (auto _ : state) {
        sw::RunDelete(book, sw::LexiconTicket(book), kLastLine, view);
        state.PauseTiming();
        book.list = sw::WordList(Data().bytes);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_LexiconOpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LexiconQueryLastLine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GrepLastLine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LexiconAdd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LexiconDelete)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_LexiconQueryLastLine/real_time", "BM_GrepLastLine/real_time",
                            "lexicon query of the last of 1,000,000 lines, against grep -xF");
    return true;
}();

} // namespace
