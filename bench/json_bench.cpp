// Reading a shop result page the way the collection run reads it, through
// JsonDocument (GBK text in and out), against simdjson reading the same fields
// from the same page as UTF-8 on its own.

#include "bench/bench_main.h"
#include "tests/json/shop_page.h"
#include "text/code_page.h"
#include "text/number_text.h"
#include "json/json_document.h"

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <string>

namespace {

const std::string& PageUtf8() {
    static const std::string page = sw::test::ShopPageUtf8();
    return page;
}

const std::string& PageGbk() {
    static const std::string page = sw::Utf8ToGbk(PageUtf8());
    return page;
}

// Everything the run keeps of one page, so that no read can be left out.
struct PageFields {
    std::string text[sw::test::kShopPageShops][11];
    std::string links[sw::test::kShopPageShops][sw::test::kShopPageHotItems];
};

void BM_JsonDocumentShopPage(benchmark::State& state) {
    PageFields fields;
    for (auto _ : state) {
        sw::JsonDocument page;
        if (!page.Parse(PageGbk())) {
            state.SkipWithError("the page did not parse");
            break;
        }
        int shops = page.Count("mods.shoplist.data.shopItems");
        for (int i = 0; i < shops && i < sw::test::kShopPageShops; ++i) {
            std::string base = "mods.shoplist.data.shopItems[" + std::to_string(i) + "]";
            std::string* text = fields.text[i];
            text[0] = page.GetText(base + ".nick");
            text[1] = page.GetText(base + ".rawTitle");
            text[2] = page.GetText(base + ".shopUrl");
            text[3] = page.GetText(base + ".totalsold");
            text[4] = page.GetText(base + ".procnt");
            text[5] = page.GetText(base + ".provcity");
            text[6] = page.GetText(base + ".dsrInfo.dsrStr");
            sw::JsonDocument rating;
            rating.Parse(text[6]);
            text[7] = rating.GetText("sgr");
            text[8] = rating.GetText("mas");
            text[9] = rating.GetText("sas");
            text[10] = rating.GetText("cas");
            int items = page.Count(base + ".auctionsInshop");
            for (int k = 0; k < items && k < sw::test::kShopPageHotItems; ++k)
                fields.links[i][k] = page.GetText(base + ".auctionsInshop[" + std::to_string(k) + "].url");
        }
        benchmark::DoNotOptimize(fields);
    }
    state.counters["bytes"] = static_cast<double>(PageGbk().size());
}

std::string Text(simdjson::simdjson_result<simdjson::dom::element> element) {
    std::string_view text;
    if (element.get_string().get(text) != simdjson::SUCCESS)
        return {};
    return std::string(text);
}

void BM_SimdjsonShopPage(benchmark::State& state) {
    simdjson::dom::parser parser;
    simdjson::dom::parser ratingParser;
    PageFields fields;
    for (auto _ : state) {
        simdjson::dom::element page;
        if (parser.parse(PageUtf8()).get(page) != simdjson::SUCCESS) {
            state.SkipWithError("the page did not parse");
            break;
        }
        simdjson::dom::array shops;
        if (page["mods"]["shoplist"]["data"]["shopItems"].get(shops) != simdjson::SUCCESS)
            break;
        int i = 0;
        for (simdjson::dom::element shop : shops) {
            std::string* text = fields.text[i];
            text[0] = Text(shop["nick"]);
            text[1] = Text(shop["rawTitle"]);
            text[2] = Text(shop["shopUrl"]);
            double sold = 0;
            text[3] = shop["totalsold"].get(sold) == simdjson::SUCCESS ? sw::NumberToText(sold) : std::string();
            text[4] = Text(shop["procnt"]);
            text[5] = Text(shop["provcity"]);
            text[6] = Text(shop["dsrInfo"]["dsrStr"]);
            simdjson::dom::element rating;
            if (ratingParser.parse(text[6]).get(rating) == simdjson::SUCCESS) {
                text[7] = Text(rating["sgr"]);
                text[8] = Text(rating["mas"]);
                text[9] = Text(rating["sas"]);
                text[10] = Text(rating["cas"]);
            }
            simdjson::dom::array items;
            if (shop["auctionsInshop"].get(items) == simdjson::SUCCESS) {
                int k = 0;
                for (simdjson::dom::element item : items)
                    fields.links[i][k++] = Text(item["url"]);
            }
            ++i;
        }
        benchmark::DoNotOptimize(fields);
    }
    state.counters["bytes"] = static_cast<double>(PageUtf8().size());
}

BENCHMARK(BM_SimdjsonShopPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JsonDocumentShopPage)->Unit(benchmark::kMicrosecond);

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_JsonDocumentShopPage", "BM_SimdjsonShopPage", "shop page: JsonDocument vs simdjson");
    return true;
}();

} // namespace
