// The exports as a caller sees them: the library is copied into a temporary
// program folder with its own db/services.ini, loaded with dlopen and called by
// name.

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tls_server.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <climits>
#include <filesystem>

namespace sw {
namespace {

using test::G;

using TextExport = const char* (*)(const char*);
using SearchExport = const char* (*)(const char*, int32_t, int32_t, const char*);
using ColumnExport = const char* (*)(int32_t);
using CheckExport = int32_t (*)(const char*, int32_t);

class KelvaneExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder_ / "db");
        std::filesystem::copy_file(KELVANE_LIBRARY, folder_ / "libkelvane.so");
        // The suggestion service is a TLS server on loopback whose certificate the settings trust.
        test::WriteFileBytes(
            folder_ / "db" / "services.ini",
            "[services]\r\nItemSearchHost=items.test\r\nSuggestHost=127.0.0.1:" + std::to_string(suggestions_.Port()) +
                "\r\nCaFile=" + test::TlsServer::CertificateFile() + "\r\n");
        library_ = dlopen((folder_ / "libkelvane.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, library_) << dlerror();
    }

    void TearDown() override {
        if (library_ != nullptr)
            dlclose(library_);
    }

    template <typename F>
    F Export(const char* name) {
        void* symbol = dlsym(library_, name);
        EXPECT_NE(nullptr, symbol) << name;
        return reinterpret_cast<F>(symbol);
    }

    test::TlsServer suggestions_;
    test::TempFolder folder_;
    void* library_ = nullptr;
};

TEST_F(KelvaneExportsTest, SearchAddressesUseTheHostBesideTheLibrary) {
    auto searchUrl = Export<SearchExport>("search_url");
    auto searchUrlApi = Export<SearchExport>("search_url_api");
    std::string key = G("中");
    std::string page = searchUrl(key.c_str(), 3, 2, nullptr);
    EXPECT_EQ(0u, page.find("https://items.test/search?q=%E4%B8%AD&imgfile="));
    EXPECT_TRUE(page.ends_with("&sort=sale-desc&s=88")) << page;
    std::string data = searchUrlApi(key.c_str(), 3, 2, "anything");
    EXPECT_NE(std::string::npos, data.find("q=%D6%D0&cd=false"));

    // A sort outside 0 to 4 hands back the last address either builder made.
    EXPECT_EQ(data, searchUrl("x", 9, 0, nullptr));
    EXPECT_EQ(data, searchUrlApi(nullptr, -1, 0, nullptr));
    // A null keyword is the empty keyword.
    EXPECT_NE(std::string::npos, std::string(searchUrl(nullptr, 0, 0, nullptr)).find("search?q=&imgfile="));
}

TEST_F(KelvaneExportsTest, EachExportHasItsOwnResultSlot) {
    auto searchUrl = Export<SearchExport>("search_url");
    auto searchUrlApi = Export<SearchExport>("search_url_api");
    auto getzimu = Export<ColumnExport>("Getzimu");
    auto screen = Export<TextExport>("function_IP_ScreenIp");

    const char* page = searchUrl("a", 0, 0, nullptr);
    std::string pageCopy = page;
    searchUrlApi("b", 0, 0, nullptr);
    getzimu(28);
    EXPECT_EQ(pageCopy, page) << "another export's call leaves the result alone";

    // A previous result may be passed back into the same export.
    const char* once = screen("a-b|c");
    EXPECT_STREQ("a:b:c", screen(once));
    EXPECT_STREQ("", screen(nullptr));
}

TEST_F(KelvaneExportsTest, ColumnLettersAndScreening) {
    auto getzimu = Export<ColumnExport>("Getzimu");
    const std::pair<int32_t, const char*> columns[] = {{1, "A"}, {26, "Z"},     {27, "AA"},          {1000, "ALL"},
                                                       {0, ""},  {INT_MIN, ""}, {INT_MAX, "FXSHRXW"}};
    for (const auto& [column, letters] : columns)
        EXPECT_STREQ(letters, getzimu(column)) << column;

    auto screen = Export<TextExport>("function_IP_ScreenIp");
    EXPECT_GBK_EQ("1.2.3.4:8080", screen(G("1.2.3.4：8080").c_str()));
    EXPECT_GBK_EQ("\x81\x7C"
                  ":",
                  screen("\x81\x7C|"));
    std::string huge(1 << 20, '#');
    EXPECT_EQ(std::string(1 << 20, ':'), screen(huge.c_str()));
}

TEST_F(KelvaneExportsTest, IpChecksThatStayOnThisMachine) {
    auto checkIp = Export<CheckExport>("function_IP_checkIp");
    auto checkIpAll = Export<TextExport>("function_IP_checkIpAll");
    EXPECT_EQ(0, checkIp("", 100));
    EXPECT_EQ(0, checkIp(nullptr, 100));
    EXPECT_EQ(0, checkIp("1:2:3:4:5", 100));
    EXPECT_EQ(-1, checkIp("h-80-u-p", 100)); // "h:80" cannot be a host name: no lookup, no echo
    EXPECT_GBK_EQ(G("h:80  检查结果：-1\r\n  检查结果：0\r\n1:2:3:4:5  检查结果：0"),
                  checkIpAll("h-80\r\n\r\n1-2-3-4-5"));
    EXPECT_STREQ("", checkIpAll(""));
    std::string loopback = checkIpAll("127.0.0.1");
    EXPECT_EQ(0u, loopback.find(G("127.0.0.1  检查结果：")));
}

using SuggestExport = const char* (*)(const char*, const char*);

TEST_F(KelvaneExportsTest, SuggestionsComeFromTheConfiguredServiceAsGbk) {
    auto suggest = Export<SuggestExport>("tb_search_button_key");
    const std::string reply = "{\"result\":[[\"\xE8\xBF\x9E\xE8\xA1\xA3\xE8\xA3\x99\",\"12\"]]}"; // 连衣裙
    suggestions_.Answer("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                        std::to_string(reply.size()) + "\r\n\r\n" + reply);
    std::string key = G("连衣");
    EXPECT_GBK_EQ(G("{\"result\":[[\"连衣裙\",\"12\"]]}"), suggest(key.c_str(), nullptr));
    ASSERT_EQ(1u, suggestions_.Requests().size());
    EXPECT_EQ(0u, suggestions_.Requests()[0].find("GET /sug?code=utf-8&q=%E8%BF%9E%E8%A1%A3&_ksTS=1527670724999_3760"
                                                  "&callback=&k=1&area=c2c&bucketid=20 HTTP/1.1\r\n"));

    // No answer: the empty text, and the previous result is gone.
    const char* empty = suggest("ab", "ignored");
    EXPECT_STREQ("", empty);
    EXPECT_NE(std::string::npos, suggestions_.Requests().back().find("q=%61%62&"));
}

TEST_F(KelvaneExportsTest, LexiconKeepsTheFolder) {
    auto lexicon = Export<TextExport>("Lexicon");
    std::string folder = G("/tmp/词库");
    EXPECT_GBK_EQ(folder, lexicon(folder.c_str()));
    EXPECT_STREQ("", lexicon(nullptr));
}

} // namespace
} // namespace sw
