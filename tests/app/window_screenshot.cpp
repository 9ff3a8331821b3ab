// Renders the main window's three pages to page1.png, page2.png and page3.png
// in the folder given as the first argument (default build/screenshots), on the
// offscreen platform, with a few sample shops in the grid. The program folder,
// HOME and the XDG folders are temporary; the about page comes from a loopback
// server in this process.
//   window_screenshot [folder]

#include "app/grid_model.h"
#include "app/html_view.h"
#include "app/main_window.h"
#include "app/qt_ui_pump.h"
#include "app/tab_control.h"
#include "shop/result_grid.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <stdlib.h>
#include <sys/stat.h>

namespace {

using sw::Gbk;

sw::ShopRecord Shop(const char* seller, const char* name, const char* sales, const char* items, const char* rate,
                    const char* region) {
    sw::ShopRecord shop;
    shop.sellerName = Gbk(seller);
    shop.shopName = Gbk(name);
    shop.shopLink = "https://shop" + std::to_string(std::hash<std::string>{}(seller) % 100000000) + ".taobao.com";
    shop.totalSales = sales;
    shop.itemCount = items;
    shop.positiveRate = rate;
    shop.descriptionScore = "4.8";
    shop.serviceScore = "4.9";
    shop.logisticsScore = "4.8";
    shop.region = Gbk(region);
    shop.hotItems = "https://item.taobao.com/item.htm?id=612345678901,//item.taobao.com/item.htm?id=612345678902";
    return shop;
}

const char kAboutPage[] = "<html><head><meta charset=\"utf-8\"><title>关于</title></head><body>"
                          "<h2>Stallwatch 店铺采集</h2>"
                          "<p>按关键词采集店铺，筛选销量、宝贝数与好评率，结果可排序、打印与导出。</p>"
                          "<p>版本 1.0.0.0</p></body></html>";

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "build/screenshots";
    std::filesystem::create_directories(folder);
    sw::test::TempFolder home;
    sw::test::TempFolder program;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    std::filesystem::create_directories(home / "runtime");
    chmod((home / "runtime").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    sw::test::LoopbackServer server;
    const std::string body = kAboutPage;
    server.Answer("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                  std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);

    sw::MainWindow window(sw::MainWindowSetup{program.Path(), server.Url("/pinglun.html"), "https://maker.example"});
    const sw::ShopRecord shops[] = {
        Shop("江南小铺", "江南丝绸旗舰店", "15230", "356", "100.00%", "浙江 杭州"),
        Shop("蜀香人家", "四川特产专营", "862", "120", "99.87%", "四川 成都"),
        Shop("北国风光", "东北山货直销", "95", "240", "100.00%", "黑龙江 哈尔滨"),
        Shop("岭南茶舍", "潮汕功夫茶具", "4310", "88", "98.52%", "广东 潮州"),
        Shop("沪上优选", "上海老字号精品", "27", "15", "97.10%", "上海"),
        Shop("徽州笔墨", "文房四宝专卖", "1208", "512", "100.00%", "安徽 黄山"),
    };
    for (const sw::ShopRecord& shop : shops) {
        sw::AppendShopRow(window.Grid(), shop);
        sw::MarkShopRow(window.Form(), shop, "100", "200", "100");
    }
    window.show();
    window.ShowHint(Gbk("支持多选操作，右键弹出菜单。"));

    for (int page = 0; page < 3; ++page) {
        QEventLoop wait;
        if (page == 2) {
            QObject::connect(&window.AboutView(), &sw::HtmlView::pageLoaded, &wait, &QEventLoop::quit);
            QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        } else {
            QTimer::singleShot(100, &wait, &QEventLoop::quit);
        }
        window.Tabs().SetCurrentIndex(page);
        wait.exec();
        const std::filesystem::path file = folder / ("page" + std::to_string(page + 1) + ".png");
        if (!window.grab().save(QString::fromStdString(file.string()))) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
        std::printf("%s\n", file.c_str());
    }
    return 0;
}
