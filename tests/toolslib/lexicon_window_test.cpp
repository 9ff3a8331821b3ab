// The lexicon window on the offscreen platform, with real worker threads.
// HOME and the XDG folders point into a temporary folder before Qt starts.

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"
#include "toolslib/lexicon_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace sw {
namespace {

using test::G;
using testing::ElementsAre;

// Answers every message at once and keeps it, in UTF-8. Called on the window's thread.
class RecordingDialogs : public LexiconDialogs {
public:
    void ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) override {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        const char* icons[] = {"", " (information)", " (error)"};
        messages.push_back("[" + GbkToUtf8(title) + "] " + GbkToUtf8(text) + icons[static_cast<int>(icon)]);
    }
    std::vector<std::string> messages;
};

// A clock that stops the first query in the middle of its work, turn held,
// until the test lets it go; then 16 ms have passed.
class HeldClock {
public:
    std::int64_t Tick() {
        std::unique_lock lock(mutex_);
        if (ticks_++ > 0)
            return 16;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_; });
        return 0;
    }
    bool Held() {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int ticks_ = 0;
    bool held_ = false;
    bool released_ = false;
};

// Runs the window's event loop until done() holds.
bool Until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string Text(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text().toStdString();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title().toStdString();
    return widget->windowTitle().toStdString();
}

class LexiconWindowTest : public testing::Test {
protected:
    LexiconWindowTest() {
        folderText_ = Utf8ToGbk(folder_.Path().string());
        wordFile_ = folder_ / "googledict.txt";
    }
    ~LexiconWindowTest() override {
        window_.reset();
        EXPECT_TRUE(Until([&] { return book_->Idle(); }));
    }

    void Open(std::string_view bytes, LexiconTicks ticks = {}) {
        test::WriteFileBytes(wordFile_, bytes);
        window_ = std::make_unique<LexiconWindow>(book_, folderText_, LexiconWindowSetup{dialogs_, std::move(ticks)});
        window_->show();
    }
    template <typename Widget = QWidget>
    Widget* Find(const char* name) {
        auto* widget = window_->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(nullptr, widget) << name;
        return widget;
    }
    void Type(const char* box, std::string_view utf8) { Find<QLineEdit>(box)->setText(QString::fromUtf8(utf8)); }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    bool Settled(size_t messages) {
        return Until([&] { return dialogs_->messages.size() >= messages && book_->Idle(); });
    }

    test::TempFolder folder_;
    std::string folderText_;
    std::filesystem::path wordFile_;
    std::shared_ptr<LexiconBook> book_ = std::make_shared<LexiconBook>();
    std::shared_ptr<RecordingDialogs> dialogs_ = std::make_shared<RecordingDialogs>();
    std::unique_ptr<LexiconWindow> window_;
};

TEST_F(LexiconWindowTest, ControlsInTheirPlaces) {
    Open("");
    struct Control {
        const char* name;
        const char* parent;
        QRect place;
        const char* text;
    };
    const Control controls[] = {
        {"标签3", "", {8, 7, 256, 24}, ""},
        {"分组框1", "", {8, 39, 256, 112}, "查询"},
        {"标签1", "分组框1", {24, 24, 40, 24}, "关键词"},
        {"编辑框1", "分组框1", {72, 24, 160, 30}, ""},
        {"标签2", "分组框1", {16, 69, 88, 24}, "耗时：0ms"},
        {"按钮2", "分组框1", {112, 64, 104, 32}, "查询"},
        {"分组框2", "", {8, 159, 256, 112}, "增删（最少2个字）"},
        {"标签4", "分组框2", {24, 24, 40, 24}, "关键词"},
        {"编辑框2", "分组框2", {72, 24, 160, 30}, ""},
        {"按钮1", "分组框2", {80, 64, 72, 32}, "增加"},
        {"按钮3", "分组框2", {160, 64, 72, 32}, "删除"},
        {"分组框3", "", {8, 280, 256, 64}, "备份"},
        {"按钮4", "分组框3", {32, 20, 88, 32}, "备份"},
        {"按钮5", "分组框3", {128, 20, 88, 32}, "恢复"},
    };
    for (const Control& control : controls) {
        QWidget* widget = Find(control.name);
        ASSERT_NE(nullptr, widget);
        EXPECT_EQ(control.parent, widget->parentWidget()->objectName().toStdString()) << control.name;
        EXPECT_EQ(control.place, widget->geometry()) << control.name;
        EXPECT_EQ(control.text, Text(widget)) << control.name;
    }
    EXPECT_EQ("词库增删助手", Text(window_.get()));
    EXPECT_EQ(QRect(50, 50, 278, 379), window_->frameGeometry()); // no frame offscreen
}

TEST_F(LexiconWindowTest, QueryWorksOnAWorkerAndShowsItsState) {
    HeldClock clock;
    Open("ab\r\nac\r\nb", [&] { return clock.Tick(); });
    Type("编辑框1", "b");
    Click("按钮2");
    // The worker holds its turn in the middle of the scan; the window still answers.
    ASSERT_TRUE(Until([&] { return clock.Held(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ("正在查询..", Text(Find("按钮2")));
    EXPECT_EQ("当前词库共：3 行数据。", Text(Find("标签3")));
    EXPECT_TRUE(dialogs_->messages.empty());
    clock.Release();
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ("查询", Text(Find("按钮2")));
    EXPECT_EQ("耗时：0.016m", Text(Find("标签2")));
    EXPECT_THAT(dialogs_->messages, ElementsAre("[查询] 关键词：b 已存在。 (information)"));
}

TEST_F(LexiconWindowTest, TwoQuickAddsAddOnceThenDelete) {
    Open("ab\r\nac\r\nb\r\n");
    Type("编辑框2", "ad");
    Click("按钮1");
    Click("按钮1");
    ASSERT_TRUE(Settled(2));
    EXPECT_EQ("ad\r\nab\r\nac\r\nb\r\n", test::ReadFileBytes(wordFile_));
    Type("编辑框2", "ac");
    Click("按钮3");
    ASSERT_TRUE(Settled(3));
    EXPECT_EQ("ad\r\nab\r\nb\r\n", test::ReadFileBytes(wordFile_));
    EXPECT_THAT(dialogs_->messages,
                ElementsAre("[信息：] 添加成功", "[信息：] 您所添加的词已经存在无需重复添加", "[信息：] 删除成功"));
    EXPECT_EQ("增加", Text(Find("按钮1")));
    EXPECT_EQ("删除", Text(Find("按钮3")));
    EXPECT_EQ("当前词库共：4 行数据。", Text(Find("标签3")));
}

TEST_F(LexiconWindowTest, RestoreReadsTheListAgain) {
    Open("ab\r\n");
    Click("按钮4");
    Type("编辑框2", "ad");
    Click("按钮1");
    ASSERT_TRUE(Settled(2));
    EXPECT_EQ("ad\r\nab\r\n", test::ReadFileBytes(wordFile_));
    Click("按钮5");
    EXPECT_EQ("ab\r\n", test::ReadFileBytes(wordFile_));
    // The list follows the restored file: the word is new again.
    Click("按钮1");
    ASSERT_TRUE(Settled(4));
    EXPECT_EQ("ad\r\nab\r\n", test::ReadFileBytes(wordFile_));
    EXPECT_THAT(dialogs_->messages,
                ElementsAre("[备份] 备份成功,备份文件位置：" + folder_.Path().string() + "/bak_googledict.txt",
                            "[信息：] 添加成功", "[备份] 恢复成功", "[信息：] 添加成功"));
}

TEST_F(LexiconWindowTest, BackupAndRestoreInAnUnwritableFolder) {
    test::WriteFileBytes(folder_ / "plain", "x");
    folderText_ = Utf8ToGbk((folder_ / "plain" / "db").string());
    Open("");
    Click("按钮4");
    Click("按钮5");
    EXPECT_THAT(dialogs_->messages,
                ElementsAre("[备份] 备份失败,请检查相关权限本程序是否有读写权限。也可以测试右键已管理员运行。",
                            "[备份] 恢复失败"));
}

TEST_F(LexiconWindowTest, ClosingWhileAWorkerRuns) {
    HeldClock clock;
    Open("ab\r\n", [&] { return clock.Tick(); });
    Type("编辑框1", "ab");
    Click("按钮2");
    Type("编辑框2", "ad");
    Click("按钮1"); // waits for the query's turn
    ASSERT_TRUE(Until([&] { return clock.Held(); }));
    window_.reset();
    clock.Release();
    // Both jobs end without the window; the add still writes its word, and no message is shown.
    book_->WaitUntilIdle();
    EXPECT_EQ("ad\r\nab\r\n", test::ReadFileBytes(wordFile_));
    EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(LexiconWindowTest, OpeningAgainBringsTheWindowForwardOnTheNewList) {
    test::TempFolder other;
    test::WriteFileBytes(wordFile_, "first\r\n");
    test::WriteFileBytes(other / "googledict.txt", "second\r\n");
    std::string folder = folderText_;
    LexiconWindow* window = OpenLexiconWindow(folder, book_, {dialogs_, {}});
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(Until([&] { return book_->Idle(); }));
    EXPECT_EQ("first\r\n", book_->list.Bytes());

    folder = Utf8ToGbk(other.Path().string());
    EXPECT_EQ(window, OpenLexiconWindow(folder, book_));
    ASSERT_TRUE(Until([&] { return book_->Idle(); }));
    EXPECT_EQ("second\r\n", book_->list.Bytes());
    EXPECT_EQ(folder, window->Folder());

    folder.clear();
    EXPECT_EQ(window, OpenLexiconWindow(folder, book_));
    EXPECT_EQ(Utf8ToGbk(QCoreApplication::applicationDirPath().toStdString() + "/db"), folder);
    window->close(); // deletes itself
    ASSERT_TRUE(Until([&] { return book_->Idle() && QApplication::topLevelWidgets().isEmpty(); }));
}

// The export as a caller of the library reaches it: it opens the window in
// this process's application and hands the folder back.
TEST(LexiconExportTest, OpensOneWindowAndReturnsTheFolder) {
    void* library = dlopen(KELVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    auto lexicon = reinterpret_cast<const char* (*)(const char*)>(dlsym(library, "Lexicon"));
    ASSERT_NE(nullptr, lexicon);
    test::TempFolder folder;
    const std::string given = G(folder.Path().string());
    EXPECT_EQ(given, lexicon(given.c_str()));
    EXPECT_EQ(given, lexicon(given.c_str()));
    const QWidgetList windows = QApplication::topLevelWidgets();
    ASSERT_EQ(1, windows.size());
    EXPECT_EQ("词库增删助手", windows[0]->windowTitle().toStdString());
    EXPECT_TRUE(windows[0]->isVisible());
    windows[0]->close();
    EXPECT_TRUE(Until([] { return QApplication::topLevelWidgets().isEmpty(); }));
}

} // namespace
} // namespace sw

int main(int argc, char** argv) {
    sw::test::TempFolder home;
    const auto set = [](const char* name, const std::filesystem::path& path) {
        std::filesystem::create_directories(path);
        setenv(name, path.c_str(), 1);
    };
    set("HOME", home.Path());
    set("XDG_CONFIG_HOME", home / ".config");
    set("XDG_DATA_HOME", home / ".local/share");
    set("XDG_CACHE_HOME", home / ".cache");
    set("XDG_RUNTIME_DIR", home / "runtime");
    chmod((home / "runtime").c_str(), 0700);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
