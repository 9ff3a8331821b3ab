// Renders the lexicon window to lexicon.png in the folder given as the first
// argument (default build/screenshots), on the offscreen platform, after a
// query over a small sample list. HOME, the XDG folders and the word list live
// in a temporary folder.
//   lexicon_screenshot [folder]

#include "text/code_page.h"
#include "toolslib/lexicon_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

// Messages are not part of the picture.
class NoDialogs : public sw::LexiconDialogs {
public:
    void ShowMessage(std::string_view, std::string_view, sw::LexiconIcon) override {}
};

const char kSampleList[] = "连衣裙\r\n连衣裙 夏季\r\n女装\r\n牛仔裤\r\n男士衬衫\r\n手机壳\r\n数据线\r\n儿童玩具\r\n";

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1 ? argv[1] : "build/screenshots";
    std::filesystem::create_directories(output);
    std::string pattern = (std::filesystem::temp_directory_path() / "lexicon-screenshot-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const std::filesystem::path home = pattern;
    for (const auto& [name, sub] :
         {std::pair{"XDG_CONFIG_HOME", ".config"}, std::pair{"XDG_CACHE_HOME", ".cache"},
          std::pair{"XDG_DATA_HOME", ".local/share"}, std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        std::filesystem::create_directories(home / sub);
        setenv(name, (home / sub).c_str(), 1);
    }
    chmod((home / "runtime").c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string list = sw::Utf8ToGbk(kSampleList);
    std::ofstream(home / "googledict.txt", std::ios::binary)
        .write(list.data(), static_cast<std::streamsize>(list.size()));

    int result = 1;
    {
        QApplication application(argc, argv);
        auto book = std::make_shared<sw::LexiconBook>();
        sw::LexiconWindow window(book, sw::Utf8ToGbk(home.string()), {std::make_shared<NoDialogs>(), {}});
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("编辑框1"))->setText(QStringLiteral("牛仔裤"));
        window.findChild<QLineEdit*>(QStringLiteral("编辑框2"))->setText(QStringLiteral("连衣裙 长款"));
        window.findChild<QPushButton*>(QStringLiteral("按钮2"))->click();
        // The query's worker fills the labels through the window's thread.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!book->Idle() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        QCoreApplication::processEvents();
        const std::filesystem::path file = output / "lexicon.png";
        if (window.grab().save(QString::fromStdString(file.string()))) {
            std::printf("%s\n", file.c_str());
            result = 0;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
