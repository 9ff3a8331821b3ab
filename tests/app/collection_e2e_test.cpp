// The collection run from end to end: the real window offscreen, the real page
// request over TLS, and the marketplace simulator on loopback.

#include "app/application.h"
#include "tests/support/gbk_assert.h"
#include "tests/support/marketsim_process.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"
#include "text/ui_pump.h"
#include "tools/marketsim/shop_pages.h"
#include "web/plain_fetch.h"
#include "web/tls_trust.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace sw {
namespace {

using test::G;

const char* const kKeyword = "连衣裙";

class CollectionEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { simulator_ = std::make_unique<test::Simulator>(MARKETSIM_PROGRAM); }
    static void TearDownTestSuite() { simulator_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(simulator_->Running()) << simulator_->PortLine();
        Control("fault=none&reset_stats=1");
        services_ = DefaultServiceSettings();
        services_.shopSearchHost = "127.0.0.1:" + std::to_string(simulator_->HttpsPort());
        services_.connectivityProbeAddress = simulator_->Http("/");
        services_.homePageAddress = simulator_->Http("/about");
        SetServicesForTesting(services_);
        SetExtraCaFileForTesting(test::TlsServer::CertificateFile());
        // The pause between pages keeps the window live but need not last two seconds here.
        InstallUiWait([](int) { QCoreApplication::processEvents(); });
        app_ = std::make_unique<Application>(Application::Setup{folder_.Path(), services_, nullptr, &dialogs_, {}, {}});
        FormPort& form = app_->Window().Form();
        form.SetText("key", G(kKeyword));
        form.SetText("page1", "1");
        form.SetText("page2", "3");
        form.SetText(G("编辑框1"), "1000");
    }

    void TearDown() override {
        app_.reset();
        InstallUiWait(nullptr);
        SetExtraCaFileForTesting({});
        SetServicesForTesting(std::nullopt);
    }

    static void Control(const std::string& query) { PlainGet(simulator_->Http("/_control?" + query)); }

    void ClickStart() { app_->Window().findChild<QPushButton*>(QStringLiteral("start"))->click(); }

    FormPort& Form() { return app_->Window().Form(); }
    std::string LastHint() { return Utf16UnitsToGbk(app_->Window().StatusPaneText(0).toStdU16String()); }

    // The rows the run must keep from the simulator's pages, as grid texts.
    static std::vector<std::vector<std::string>> ExpectedRows(int firstPage, int lastPage, long long lowSales,
                                                              long long highSales) {
        std::vector<std::vector<std::string>> rows;
        for (int page = firstPage; page <= lastPage; ++page) {
            marketsim::ShopQuery query;
            query.keyword = kKeyword;
            query.offset = (page - 1) * 20;
            for (const marketsim::Shop& shop : marketsim::PageShops(query)) {
                if (shop.procnt < 1 || shop.procnt > 9999999 || shop.totalsold < lowSales || shop.totalsold > highSales)
                    continue;
                if (shop.nick.empty() || shop.rawTitle.empty() || shop.shopUrl.empty())
                    continue;
                bool rated = shop.dsr == marketsim::DsrState::Valid;
                std::string hot;
                for (const marketsim::HotItem& item : shop.hotItems)
                    hot += hot.empty() ? "https:" + item.url : "," + item.url;
                rows.push_back({std::to_string(rows.size() + 1), Utf8ToGbk(shop.nick), Utf8ToGbk(shop.rawTitle),
                                "https:" + shop.shopUrl, std::to_string(shop.totalsold), std::to_string(shop.procnt),
                                rated ? shop.sgr : "", rated ? shop.mas : "", rated ? shop.sas : "",
                                rated ? shop.cas : "", Utf8ToGbk(shop.provcity), Utf8ToGbk(hot)});
            }
        }
        return rows;
    }

    std::vector<std::vector<std::string>> GridRows() {
        GridPort& grid = Form().Grid();
        std::vector<std::vector<std::string>> rows;
        for (int r = 1; r < grid.RowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < grid.ColumnCount(); ++c)
                row.push_back(grid.CellText(r, c));
            rows.push_back(row);
        }
        return rows;
    }

    static inline std::unique_ptr<test::Simulator> simulator_;
    test::TempFolder folder_;
    ServiceSettings services_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<Application> app_;
};

TEST_F(CollectionEndToEndTest, CollectsThreePagesWithinTheRanges) {
    Form().SetText(G("编辑框4"), "1000");
    Form().SetText(G("编辑框5"), "500000");
    ClickStart();
    std::vector<std::vector<std::string>> expected = ExpectedRows(1, 3, 1000, 500000);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, GridRows());
    EXPECT_GBK_EQ(G("   提示：采集完成,本次采集了3页,店铺数量：") + std::to_string(expected.size()), LastHint());
    EXPECT_GBK_EQ(G("开始采集"), Form().Text("start"));
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_NE(std::string::npos, PlainGet(simulator_->Http("/_stats")).find("\"search\":3"));
}

TEST_F(CollectionEndToEndTest, StopsAtTheShopCount) {
    Form().SetText(G("编辑框1"), "25");
    ClickStart();
    std::vector<std::vector<std::string>> expected = ExpectedRows(1, 2, 1, 99999999);
    expected.resize(25);
    EXPECT_EQ(expected, GridRows());
    EXPECT_GBK_EQ(G("   提示：采集完成,本次采集了2页,店铺数量：25"), LastHint());
}

struct FaultCase {
    const char* fault;
    int pagesFetched;
    bool messageShown;
    const char* hint;
};

TEST_F(CollectionEndToEndTest, MarketplaceFaults) {
    const FaultCase cases[] = {
        // Each empty page is asked for once more by the plain fallback fetch.
        {"fault=empty", 6, true, "   提示：采集完成,本次采集了0页,店铺数量：0"},
        {"fault=verify", 1, true, "   提示：采集完成,本次采集了1页,店铺数量：0"},
        {"fault=login", 1, true, "   提示：采集完成,本次采集了1页,店铺数量：0"},
        {"fault=cut&times=1", 3, false, nullptr}, // a page cut short counts as a page
    };
    for (const FaultCase& c : cases) {
        Control(std::string(c.fault) + "&reset_stats=1");
        dialogs_.messages.clear();
        Form().Grid().RemoveDataRows();
        ClickStart();
        std::string stats = PlainGet(simulator_->Http("/_stats"));
        EXPECT_NE(std::string::npos, stats.find("\"search\":" + std::to_string(c.pagesFetched))) << c.fault << stats;
        EXPECT_EQ(c.messageShown ? 1u : 0u, dialogs_.messages.size()) << c.fault;
        if (c.hint != nullptr) {
            EXPECT_GBK_EQ(G(c.hint), LastHint()) << c.fault;
        }
        EXPECT_GBK_EQ(G("开始采集"), Form().Text("start")) << c.fault;
        Control("fault=none");
    }
}

TEST_F(CollectionEndToEndTest, ClosingTheWindowDuringARunEndsItAndCloses) {
    Control("fault=slow&delay_ms=400");
    app_->Window().show();
    QTimer::singleShot(100, &app_->Window(), [this] { app_->Window().close(); });
    ClickStart();
    EXPECT_FALSE(app_->Run().Running());
    EXPECT_FALSE(app_->Window().isVisible());
    EXPECT_NE(std::string::npos, PlainGet(simulator_->Http("/_stats")).find("\"search\":1"));
}

} // namespace
} // namespace sw
