// Cost of a RegexObject search as a script runs it (compile, convert, match, read
// a group) against PCRE2 JIT alone matching the same pattern over the same
// UTF-8 bytes with everything prepared beforehand.

#include "bench/bench_main.h"
#include "text/code_page.h"
#include "text/regex_object.h"

#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>
#include <string_view>

namespace {

// The charset sniff: the dialect and PCRE2 read this pattern alike, so the
// reference compiles it as it is.
constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// A shop page's head, about 1 KB, with the content-type tag near its end.
const std::string& HtmlHead() {
    static const std::string head = [] {
        std::string html = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
                           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>";
        html += sw::Utf8ToGbk("数码相机 价格 报价 - 网上商城");
        html += "</title>\n<meta name=\"keywords\" content=\"";
        html += sw::Utf8ToGbk("数码相机,单反,镜头,存储卡,三脚架");
        html += "\" />\n<meta name=\"description\" content=\"";
        html += sw::Utf8ToGbk("正品行货，全国联保，货到付款，满99元包邮。");
        html += "\" />\n"
                "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/global.css?v=20130412\" />\n"
                "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/list.css?v=20130412\" />\n"
                "<link rel=\"shortcut icon\" href=\"/favicon.ico\" />\n"
                "<script type=\"text/javascript\" src=\"/js/jquery-1.7.2.min.js\"></script>\n"
                "<script type=\"text/javascript\" src=\"/js/common.js?v=20130412\"></script>\n"
                "<script type=\"text/javascript\">\n"
                "var pageConfig = { category: \"dc\", page: 1, pageSize: 40, sort: \"price_asc\" };\n"
                "</script>\n"
                "<style type=\"text/css\">.price{color:#c00;font-weight:bold}.tip{display:none}</style>\n"
                "<!--[if lte IE 6]><script type=\"text/javascript\" src=\"/js/png.js\"></script><![endif]-->\n";
        while (html.size() < 900)
            html += "<link rel=\"dns-prefetch\" href=\"//img.example.com\" />\n";
        html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\n</head>\n";
        return html;
    }();
    return head;
}

void BM_RegexObjectCharset(benchmark::State& state) {
    const std::string& html = HtmlHead();
    sw::RegexObject regex;
    for (auto _ : state) {
        regex.Search(kCharsetPattern, html, false, true, true);
        benchmark::DoNotOptimize(regex.SubMatchText(1, 1));
    }
    if (regex.SubMatchText(1, 1) != "gb2312")
        state.SkipWithError("the charset was not found");
    state.counters["bytes"] = static_cast<double>(html.size());
}

void BM_BarePcre2JitCharset(benchmark::State& state) {
    const std::string utf8 = sw::GbkToUtf8(HtmlHead());
    const uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS |
                             PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX | PCRE2_CASELESS;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kCharsetPattern.data()), kCharsetPattern.size(),
                                     options, &error, &errorOffset, nullptr);
    if (code == nullptr || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) {
        state.SkipWithError("the pattern did not compile with JIT");
        pcre2_code_free(code);
        return;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto subject = reinterpret_cast<PCRE2_SPTR>(utf8.data());
    std::string_view group;
    for (auto _ : state) {
        int rc = pcre2_jit_match(code, subject, utf8.size(), 0, 0, data, nullptr);
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        group = rc > 1 ? std::string_view(utf8).substr(ovector[2], ovector[3] - ovector[2]) : std::string_view();
        benchmark::DoNotOptimize(group);
    }
    if (group != "gb2312")
        state.SkipWithError("the charset was not found");
    state.counters["bytes"] = static_cast<double>(utf8.size());
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

BENCHMARK(BM_BarePcre2JitCharset);
BENCHMARK(BM_RegexObjectCharset);

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_RegexObjectCharset", "BM_BarePcre2JitCharset",
                            "RegexObject charset search, 1 KB, against bare PCRE2 JIT");
    return true;
}();

} // namespace
