#include "toolslib/lexicon_window.h"

#include "toolslib/lexicon_qt_text.h"
#include "toolslib/qt_lexicon_dialogs.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace sw {

// The workers' way to the window: a call is posted to the window's thread and
// the worker waits until it has run there. The window's thread never waits for
// a worker. A call still queued when the window goes is dropped with the
// window's posted events, which wakes its worker all the same.
class LexiconLink {
public:
    explicit LexiconLink(LexiconWindow* window) : window_(window) {}

    // False when the call did not run because the window is gone.
    bool Call(const std::function<void(LexiconWindow&)>& call) {
        auto reply = std::make_shared<Reply>();
        {
            std::lock_guard lock(mutex_);
            if (window_ == nullptr)
                return false;
            LexiconWindow* window = window_;
            auto done = std::make_shared<Done>(reply);
            QMetaObject::invokeMethod(
                window,
                [window, &call, done] {
                    done->ran = true;
                    call(*window);
                },
                Qt::QueuedConnection);
        }
        std::unique_lock lock(reply->mutex);
        reply->changed.wait(lock, [&] { return reply->finished; });
        return reply->ran;
    }

    // On the window's thread, as the window goes: later calls do not run and
    // queued ones are dropped.
    void Detach(LexiconWindow* window) {
        {
            std::lock_guard lock(mutex_);
            window_ = nullptr;
        }
        QCoreApplication::removePostedEvents(window, QEvent::MetaCall);
    }

private:
    struct Reply {
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
        bool ran = false;
    };
    // Owned by the posted call: wakes the worker when the call has run and been
    // released, or has been released unrun.
    struct Done {
        explicit Done(std::shared_ptr<Reply> r) : reply(std::move(r)) {}
        Done(const Done&) = delete;
        Done& operator=(const Done&) = delete;
        ~Done() {
            std::lock_guard lock(reply->mutex);
            reply->finished = true;
            reply->ran = ran;
            reply->changed.notify_all();
        }
        std::shared_ptr<Reply> reply;
        bool ran = false;
    };

    std::mutex mutex_;
    LexiconWindow* window_;
};

class LexiconWorkerView : public LexiconView {
public:
    LexiconWorkerView(std::shared_ptr<LexiconLink> link, std::shared_ptr<LexiconDialogs> dialogs)
        : link_(std::move(link)), dialogs_(std::move(dialogs)) {}

    std::optional<std::string> Keyword(LexiconBox box) override {
        std::string text;
        if (!link_->Call([&](LexiconWindow& window) { text = LexiconGbk(window.Box(box)->text()); }))
            return std::nullopt;
        return text;
    }
    void SetCaption(LexiconButton button, std::string_view caption) override {
        link_->Call([&](LexiconWindow& window) { window.Button(button)->setText(LexiconQString(caption)); });
    }
    void SetRowCount(std::string_view text) override {
        link_->Call([&](LexiconWindow& window) { window.rowCount_->setText(LexiconQString(text)); });
    }
    void SetQueryTime(std::string_view text) override {
        link_->Call([&](LexiconWindow& window) { window.queryTime_->setText(LexiconQString(text)); });
    }
    // Shown on the window's thread while the worker waits; not at all once the window is gone.
    void ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) override {
        link_->Call([&](LexiconWindow&) { dialogs_->ShowMessage(text, title, icon); });
    }

private:
    std::shared_ptr<LexiconLink> link_;
    std::shared_ptr<LexiconDialogs> dialogs_;
};

namespace {

constexpr QPoint kWindowPlace(50, 50);
constexpr QSize kWindowOuterSize(278, 379);

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QRect& place) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(place);
    return widget;
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QRect& place, const char* text) {
    Widget* widget = Place<Widget>(parent, name, place);
    widget->setText(QString::fromUtf8(text));
    return widget;
}

QGroupBox* Group(QWidget* parent, const char* name, const QRect& place, const char* title) {
    auto* group = Place<QGroupBox>(parent, name, place);
    group->setTitle(QString::fromUtf8(title));
    return group;
}

// The open window of the library, brought forward by the next Lexicon call.
QPointer<LexiconWindow>& OpenWindow() {
    static QPointer<LexiconWindow> window;
    return window;
}

} // namespace

LexiconWindow::LexiconWindow(std::shared_ptr<LexiconBook> book, std::string folder, LexiconWindowSetup setup)
    : book_(std::move(book)), folder_(std::move(folder)),
      dialogs_(setup.dialogs ? std::move(setup.dialogs) : std::make_shared<QtLexiconDialogs>()),
      ticks_(setup.ticks ? std::move(setup.ticks) : LexiconTicks(SteadyMilliseconds)),
      link_(std::make_shared<LexiconLink>(this)) {
    setWindowTitle(QString::fromUtf8("词库增删助手"));
    BuildControls();
    move(kWindowPlace);
    resize(kWindowOuterSize);
    // Workers still at work when the program quits finish before the library
    // can go; none of them waits for the window any more.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, [this] {
            link_->Detach(this);
            book_->WaitUntilIdle();
        });
    ReadList();
}

LexiconWindow::~LexiconWindow() {
    link_->Detach(this);
}

void LexiconWindow::BuildControls() {
    rowCount_ = Place<QLabel>(this, "标签3", {8, 7, 256, 24});

    QGroupBox* query = Group(this, "分组框1", {8, 39, 256, 112}, "查询");
    Place<QLabel>(query, "标签1", {24, 24, 40, 24}, "关键词");
    queryBox_ = Place<QLineEdit>(query, "编辑框1", {72, 24, 160, 30});
    queryTime_ = Place<QLabel>(query, "标签2", {16, 69, 88, 24}, "耗时：0ms");
    queryButton_ = Place<QPushButton>(query, "按钮2", {112, 64, 104, 32}, "查询");

    QGroupBox* words = Group(this, "分组框2", {8, 159, 256, 112}, "增删（最少2个字）");
    Place<QLabel>(words, "标签4", {24, 24, 40, 24}, "关键词");
    wordBox_ = Place<QLineEdit>(words, "编辑框2", {72, 24, 160, 30});
    addButton_ = Place<QPushButton>(words, "按钮1", {80, 64, 72, 32}, "增加");
    deleteButton_ = Place<QPushButton>(words, "按钮3", {160, 64, 72, 32}, "删除");

    QGroupBox* backup = Group(this, "分组框3", {8, 280, 256, 64}, "备份");
    auto* backUpButton = Place<QPushButton>(backup, "按钮4", {32, 20, 88, 32}, "备份");
    auto* restoreButton = Place<QPushButton>(backup, "按钮5", {128, 20, 88, 32}, "恢复");

    connect(queryButton_, &QPushButton::clicked, this, [this] { Start(Job::Query); });
    connect(addButton_, &QPushButton::clicked, this, [this] { Start(Job::Add); });
    connect(deleteButton_, &QPushButton::clicked, this, [this] { Start(Job::Delete); });
    connect(backUpButton, &QPushButton::clicked, this, [this] { BackUpWordFile(folder_, *dialogs_); });
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        // The list follows the restored file, so that the next add or delete
        // does not write the list from before over it.
        RestoreWordFile(folder_, *dialogs_, [this] { ReadList(); });
    });
}

void LexiconWindow::OpenFolder(std::string folder) {
    folder_ = std::move(folder);
    ReadList();
}

void LexiconWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    // The outer size counts the frame the window system adds; make room for it
    // once its margins are known.
    if (QWindow* window = windowHandle()) {
        const QMargins frame = window->frameMargins();
        resize(kWindowOuterSize.width() - frame.left() - frame.right(),
               kWindowOuterSize.height() - frame.top() - frame.bottom());
    }
    move(kWindowPlace);
}

void LexiconWindow::Start(Job job) {
    try {
        // The turn is taken here, on the window's thread, so jobs run in the order
        // of the clicks, each with the word typed when it was clicked.
        LexiconTicket ticket(*book_);
        std::string typed = LexiconGbk(Box(job == Job::Query ? LexiconBox::Query : LexiconBox::Word)->text());
        auto view = std::make_shared<LexiconWorkerView>(link_, dialogs_);
        std::thread([book = book_, view, ticks = ticks_, job, typed = std::move(typed),
                     ticket = std::move(ticket)]() mutable {
            try {
                switch (job) {
                case Job::Query:
                    RunQuery(*book, std::move(ticket), std::move(typed), *view, ticks);
                    break;
                case Job::Add:
                    RunAdd(*book, std::move(ticket), std::move(typed), *view);
                    break;
                case Job::Delete:
                    RunDelete(*book, std::move(ticket), std::move(typed), *view);
                    break;
                }
            } catch (...) {
                // Out of memory on a huge list: the job ends and its ticket passes the turn on.
            }
        }).detach();
    } catch (const std::exception&) {
        // No thread to be had: the click does nothing.
    }
}

void LexiconWindow::ReadList() {
    try {
        LexiconTicket ticket(*book_);
        std::thread([book = book_, folder = folder_, ticket = std::move(ticket)]() mutable {
            try {
                RunLoad(*book, std::move(ticket), std::move(folder));
            } catch (...) {
                // The list stays as it was.
            }
        }).detach();
    } catch (const std::exception&) {
        // No thread to be had: the list stays as it was.
    }
}

QLineEdit* LexiconWindow::Box(LexiconBox box) const {
    return box == LexiconBox::Query ? queryBox_ : wordBox_;
}

QPushButton* LexiconWindow::Button(LexiconButton button) const {
    switch (button) {
    case LexiconButton::Query:
        return queryButton_;
    case LexiconButton::Add:
        return addButton_;
    case LexiconButton::Delete:
        break;
    }
    return deleteButton_;
}

LexiconWindow* OpenLexiconWindow(std::string& folder, const std::shared_ptr<LexiconBook>& book,
                                 LexiconWindowSetup setup) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || QThread::currentThread() != application->thread())
        return nullptr;
    if (folder.empty())
        folder = DefaultLexiconFolder();
    QPointer<LexiconWindow>& window = OpenWindow();
    // A closed window is on its way out (it deletes itself on close): open a new one.
    if (window != nullptr && window->isVisible()) {
        window->OpenFolder(folder);
    } else {
        window = new LexiconWindow(book, folder, std::move(setup));
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace sw
