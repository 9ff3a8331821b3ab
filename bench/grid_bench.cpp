// The result grid's Qt model with 100,000 shops, without a view: appending and
// marking rows against appending the same texts to a plain vector, sorting
// against std::sort of the same keys, and clearing against clearing the plain
// vector. The shared main prints the peak memory.

#include "app/grid_model.h"
#include "bench/bench_main.h"
#include "shop/result_grid.h"
#include "text/code_page.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
// Distinct shops to draw the rows from; few enough that the source data does
// not weigh on the peak memory, which is the grid's figure.
constexpr int kDistinctShops = 10007;

// A form that only answers what MarkShopRow asks: the grid and the colours.
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
    int CheckItemCount(std::string_view) const override { return 0; }
    bool IsItemChecked(std::string_view, int) const override { return false; }
    void SetItemChecked(std::string_view, int, bool) override {}
    sw::RgbColour Colour(std::string_view) const override { return 0x0000FF; }
    void SetColour(std::string_view, sw::RgbColour) override {}
    void ShowHint(std::string_view) override {}
    sw::GridPort& Grid() override { return grid_; }

private:
    sw::GridPort& grid_;
};

// Shops as the marketplace gives them: Chinese names, a shop link, numbers
// and three hot-item links.
const std::vector<sw::ShopRecord>& DistinctShops() {
    static const std::vector<sw::ShopRecord> shops = [] {
        std::mt19937 random(936);
        std::uniform_int_distribution<int> number(0, 99999);
        const std::string names[] = {sw::Gbk("江南丝绸旗舰店"), sw::Gbk("四川特产专营"), sw::Gbk("东北山货直销"),
                                     sw::Gbk("潮汕功夫茶具")};
        const std::string regions[] = {sw::Gbk("浙江 杭州"), sw::Gbk("四川 成都"), sw::Gbk("广东 潮州")};
        std::vector<sw::ShopRecord> list(kDistinctShops);
        for (int i = 0; i < kDistinctShops; ++i) {
            sw::ShopRecord& shop = list[static_cast<size_t>(i)];
            shop.sellerName = sw::Gbk("卖家") + std::to_string(i);
            shop.shopName = names[i % 4];
            shop.shopLink = "https://shop" + std::to_string(100000000 + i) + ".taobao.com";
            shop.totalSales = std::to_string(number(random));
            shop.itemCount = std::to_string(number(random) % 5000);
            shop.positiveRate =
                std::to_string(95 + number(random) % 5) + "." + std::to_string(number(random) % 100) + "%";
            shop.descriptionScore = "4.8";
            shop.serviceScore = "4.9";
            shop.logisticsScore = "4.7";
            shop.region = regions[i % 3];
            shop.hotItems = "https://item.taobao.com/item.htm?id=6" + std::to_string(100000000 + i) +
                            ",//item.taobao.com/item.htm?id=6" + std::to_string(200000000 + i) +
                            ",//item.taobao.com/item.htm?id=6" + std::to_string(300000000 + i);
        }
        return list;
    }();
    return shops;
}

const sw::ShopRecord& Shop(int row) {
    return DistinctShops()[static_cast<size_t>(row % kDistinctShops)];
}

using PlainRow = std::array<std::string, sw::kGridColumnCount>;

PlainRow ToPlainRow(const sw::ShopRecord& shop, size_t number) {
    PlainRow row;
    row[0] = std::to_string(number);
    size_t column = 1;
    for (const std::string* field : shop.Fields())
        row[column++] = *field;
    return row;
}

void FillModel(sw::GridModel& model) {
    sw::SetUpResultGrid(model);
    for (int i = 0; i < kRows; ++i)
        sw::AppendShopRow(model, Shop(i));
}

// Heap bytes in use, for the memory that a set of rows takes.
double HeapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
}

void BM_ModelAppendAndMark(benchmark::State& state) {
    for (auto _ : state) {
        const double before = HeapMiB();
        auto model = std::make_unique<sw::GridModel>(sw::kGridColumnCount);
        BenchForm form(*model);
        sw::SetUpResultGrid(*model);
        for (int i = 0; i < kRows; ++i) {
            sw::AppendShopRow(*model, Shop(i));
            sw::MarkShopRow(form, Shop(i), "100", "200", "100");
        }
        benchmark::DoNotOptimize(model->RowCount());
        state.PauseTiming(); // the model's destruction is the clear benchmark's business
        state.counters["heap_MiB"] = HeapMiB() - before;
        model.reset();
        state.ResumeTiming();
    }
}

void BM_VectorAppend(benchmark::State& state) {
    for (auto _ : state) {
        const double before = HeapMiB();
        std::vector<PlainRow> rows;
        for (int i = 0; i < kRows; ++i)
            rows.push_back(ToPlainRow(Shop(i), static_cast<size_t>(i) + 1));
        benchmark::DoNotOptimize(rows.data());
        state.PauseTiming();
        state.counters["heap_MiB"] = HeapMiB() - before;
        rows = {};
        state.ResumeTiming();
    }
}

void BM_ModelSort(benchmark::State& state) {
    sw::GridModel model(sw::kGridColumnCount);
    FillModel(model);
    bool descending = true;
    for (auto _ : state) {
        sw::SortByColumn(model, 4, descending);
        descending = !descending;
    }
}

void BM_StdSortKeys(benchmark::State& state) {
    std::vector<std::pair<int, int>> keys;
    for (int i = 0; i < kRows; ++i)
        keys.emplace_back(std::stoi(Shop(i).totalSales), i);
    bool descending = true;
    for (auto _ : state) {
        std::vector<std::pair<int, int>> sorted = keys;
        if (descending)
            std::sort(sorted.begin(), sorted.end(), std::greater<>());
        else
            std::sort(sorted.begin(), sorted.end());
        benchmark::DoNotOptimize(sorted.data());
        descending = !descending;
    }
}

void BM_ModelClear(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        sw::GridModel model(sw::kGridColumnCount);
        FillModel(model);
        state.ResumeTiming();
        sw::ClearResults(model);
        benchmark::DoNotOptimize(model.RowCount());
    }
}

void BM_VectorClear(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<PlainRow> rows;
        for (int i = 0; i < kRows; ++i)
            rows.push_back(ToPlainRow(Shop(i), static_cast<size_t>(i) + 1));
        state.ResumeTiming();
        rows.clear();
        rows.shrink_to_fit();
        benchmark::DoNotOptimize(rows.data());
    }
}

BENCHMARK(BM_ModelAppendAndMark)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_VectorAppend)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ModelSort)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StdSortKeys)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ModelClear)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_VectorClear)->Unit(benchmark::kMillisecond)->Iterations(5);

const bool kRegistered = [] {
    using sw::bench::CompareSpeed;
    CompareSpeed("BM_ModelAppendAndMark/iterations:5", "BM_VectorAppend/iterations:5",
                 "100,000 x AppendShopRow + MarkShopRow, against vector push_back");
    sw::bench::CompareCounter("BM_ModelAppendAndMark/iterations:5", "BM_VectorAppend/iterations:5", "heap_MiB",
                              "heap taken by 100,000 rows, against the vector");
    CompareSpeed("BM_ModelSort/iterations:5", "BM_StdSortKeys/iterations:5",
                 "SortByColumn of 100,000 rows, against std::sort of the keys");
    CompareSpeed("BM_ModelClear/iterations:5", "BM_VectorClear/iterations:5",
                 "ClearResults of 100,000 rows, against clearing the vector");
    return true;
}();

} // namespace
