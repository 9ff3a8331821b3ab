// The list export of 100,000 shops by 12 columns from an in-memory grid, the
// whole command from the chosen path to the renamed file: the workbook against
// libxlsxwriter's own constant-memory writing of the same cells, and the CSV
// and text files in absolute time. Each export also reports the memory it adds
// at its peak over what the process held before it ("added_MiB").

#include "app/column_letters_library.h"
#include "app/list_export.h"
#include "bench/bench_main.h"
#include "text/code_page.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kShops = 100000;
constexpr int kColumns = 12;

class BenchGrid : public sw::GridPort {
public:
    BenchGrid(int rows, int columns) : columns_(columns), cells_(static_cast<size_t>(rows * columns)) {}
    int RowCount() const override { return static_cast<int>(cells_.size() / static_cast<size_t>(columns_)); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int row, int column) const override { return cells_[Index(row, column)]; }
    void SetCellText(int row, int column, std::string_view text) override { cells_[Index(row, column)] = text; }
    void SetColumnWidth(int, int) override {}
    void AppendRow(std::string_view) override {}
    void RemoveDataRows() override {}
    void ReplaceDataRows(std::vector<std::vector<std::string>>) override {}
    void SetCellColour(int, int, sw::RgbColour) override {}
    void WrapDataRows(int) override {}

private:
    size_t Index(int row, int column) const {
        return static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column);
    }
    int columns_;
    std::vector<std::string> cells_;
};

// A form with every export item checked; only the export's questions are answered.
class BenchForm : public sw::FormPort {
public:
    explicit BenchForm(sw::GridPort& grid) : grid_(grid) {}
    std::string Text(std::string_view) const override { return {}; }
    void SetText(std::string_view, std::string_view) override {}
    void SetEnabled(std::string_view, bool) override {}
    bool IsChecked(std::string_view) const override { return false; }
    int SelectedIndex(std::string_view) const override { return -1; }
    void SetSelectedIndex(std::string_view, int) override {}
    std::vector<sw::ListItem> Items(std::string_view) const override { return {}; }
    void SetItems(std::string_view, const std::vector<sw::ListItem>&) override {}
    int CheckItemCount(std::string_view) const override { return kColumns; }
    bool IsItemChecked(std::string_view, int) const override { return true; }
    void SetItemChecked(std::string_view, int, bool) override {}
    sw::RgbColour Colour(std::string_view) const override { return 0; }
    void SetColour(std::string_view, sw::RgbColour) override {}
    void ShowHint(std::string_view) override {}
    sw::GridPort& Grid() override { return grid_; }

private:
    sw::GridPort& grid_;
};

class BenchDialogs : public sw::DialogPort {
public:
    std::string path;
    int failures = 0;
    void ShowMessage(std::string_view, std::string_view, sw::MessageIcon) override { ++failures; }
    std::optional<std::string> ChooseSaveFile(const sw::SaveDialogRequest&) override { return path; }
    std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
    void OpenAddress(std::string_view) override {}
};

// The letters kelvane gives, without loading it: the export asks for twelve.
class PlainLetters : public sw::ColumnLetterSource {
public:
    bool Prepare(std::string&) override { return true; }
    std::string Letters(int column) override {
        std::string letters;
        for (; column > 0; column = (column - 1) / 26)
            letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
        return letters;
    }
};

// Shops as the marketplace gives them: Chinese names, links, numbers and scores.
BenchGrid& Grid() {
    static BenchGrid grid = [] {
        BenchGrid g(kShops + 1, kColumns);
        const char* const titles[kColumns] = {"ID",       "卖家旺旺名称", "店铺名称", "店铺链接",
                                              "店铺销量", "店铺宝贝数",   "好评率",   "描述相符",
                                              "服务态度", "物流服务",     "地区",     "热销宝贝"};
        for (int c = 0; c < kColumns; ++c)
            g.SetCellText(0, c, sw::Gbk(titles[c]));
        std::mt19937 random(936);
        std::uniform_int_distribution<int> number(0, 99999);
        const std::string names[] = {sw::Gbk("江南丝绸旗舰店"), sw::Gbk("四川特产专营"), sw::Gbk("东北山货直销"),
                                     sw::Gbk("潮汕功夫茶具")};
        const std::string regions[] = {sw::Gbk("浙江 杭州"), sw::Gbk("四川 成都"), sw::Gbk("广东 潮州")};
        for (int r = 1; r <= kShops; ++r) {
            const std::string id = std::to_string(r);
            const std::string cells[kColumns] = {
                id,
                sw::Gbk("卖家") + id,
                names[r % 4],
                "https://shop" + std::to_string(100000000 + r) + ".taobao.com",
                std::to_string(number(random)),
                std::to_string(number(random) % 5000),
                std::to_string(95 + number(random) % 5) + "." + std::to_string(number(random) % 100) + "%",
                "4.8",
                "4.9",
                "4.7",
                regions[r % 3],
                "https://item.taobao.com/item.htm?id=6" + std::to_string(100000000 + r) +
                    ",//item.taobao.com/item.htm?id=6" + std::to_string(200000000 + r)};
            for (int c = 0; c < kColumns; ++c)
                g.SetCellText(r, c, cells[c]);
        }
        return g;
    }();
    return grid;
}

const std::filesystem::path& OutFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("stallwatch-export-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

double StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stod(line.substr(prefix.size()));
    }
    return 0;
}

// Peak memory of one run over what the process holds before it. Free heap is
// handed back first, so memory the run reuses counts as added.
class AddedMemory {
public:
    AddedMemory() {
        malloc_trim(0);
        before_ = StatusKiB("VmRSS");
        // Resets the peak (VmHWM) to the present size.
        std::ofstream("/proc/self/clear_refs") << "5";
    }
    double MiB() const { return std::max(0.0, StatusKiB("VmHWM") - before_) / 1024.0; }

private:
    double before_ = 0;
};

void RunExport(benchmark::State& state, const char* fileName) {
    BenchGrid& grid = Grid();
    BenchForm form(grid);
    BenchDialogs dialogs;
    dialogs.path = sw::Utf8ToGbk((OutFolder() / fileName).string());
    PlainLetters letters;
    sw::ListExport exporter(form, dialogs, letters);
    double added = 0;
    for (auto _ : state) {
        AddedMemory memory;
        exporter.Export();
        added = std::max(added, memory.MiB());
    }
    if (dialogs.failures > 0)
        state.SkipWithError("the export reported a failure");
    state.counters["added_MiB"] = added;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(OutFolder() / fileName));
}

void BM_ExportXlsx(benchmark::State& state) {
    RunExport(state, "shops.xlsx");
}
void BM_ExportCsv(benchmark::State& state) {
    RunExport(state, "shops.csv");
}
void BM_ExportTxt(benchmark::State& state) {
    RunExport(state, "shops.txt");
}

// The same cells, already UTF-8, straight into a constant-memory workbook.
void BM_LibxlsxwriterConstantMemory(benchmark::State& state) {
    const BenchGrid& grid = Grid();
    std::vector<std::string> utf8;
    utf8.reserve(static_cast<size_t>(grid.RowCount() * kColumns));
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < kColumns; ++c)
            utf8.push_back(sw::GbkToUtf8(grid.CellText(r, c)));
    }
    const std::string file = (OutFolder() / "reference.xlsx").string();
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        size_t i = 0;
        for (int r = 0; r < grid.RowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c)
                worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), utf8[i++].c_str(),
                                       nullptr);
        }
        if (workbook_close(book) != LXW_NO_ERROR)
            state.SkipWithError("libxlsxwriter failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
}

// Builds the grid before any run so that no figure includes it, and reports its size.
void BM_BuildGrid(benchmark::State& state) {
    malloc_trim(0);
    const double before = StatusKiB("VmRSS");
    for (auto _ : state)
        benchmark::DoNotOptimize(&Grid());
    state.counters["grid_MiB"] = (StatusKiB("VmRSS") - before) / 1024.0;
}

void BM_Cleanup(benchmark::State& state) {
    for (auto _ : state)
        std::filesystem::remove_all(OutFolder());
}

BENCHMARK(BM_BuildGrid)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibxlsxwriterConstantMemory)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportXlsx)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTxt)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cleanup)->Iterations(1);

const bool kCompared = [] {
    sw::bench::CompareSpeed("BM_ExportXlsx/iterations:3", "BM_LibxlsxwriterConstantMemory/iterations:3",
                            "xlsx export vs libxlsxwriter constant memory");
    return true;
}();

} // namespace
