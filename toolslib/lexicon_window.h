#pragma once

// The lexicon manager's window, "词库增删助手": query, add and delete a word of
// the word list, back the word file up and restore it. Query, add and delete
// each run on a worker thread of their own, in turn with each other; the
// workers reach the widgets only through the window's thread, which never waits
// for them. Texts and folders are GBK.

#include "toolslib/lexicon_work.h"

#include <QWidget>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sw {

struct LexiconWindowSetup {
    // Message boxes; Qt's own when empty. Workers keep them while they run.
    std::shared_ptr<LexiconDialogs> dialogs;
    // The query's millisecond clock; the system's steady clock when empty.
    LexiconTicks ticks;
};

class LexiconLink;
class LexiconWorkerView;

class LexiconWindow : public QWidget {
public:
    // Opens on folder's list (read in turn with the jobs, so it is there for the first one).
    LexiconWindow(std::shared_ptr<LexiconBook> book, std::string folder, LexiconWindowSetup setup = {});
    ~LexiconWindow() override;

    // Turns to folder's list: reads its word file again, in turn with the jobs.
    void OpenFolder(std::string folder);
    const std::string& Folder() const { return folder_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class LexiconWorkerView;
    enum class Job { Query, Add, Delete };

    void BuildControls();
    void Start(Job job);
    void ReadList();
    QLineEdit* Box(LexiconBox box) const;
    QPushButton* Button(LexiconButton button) const;

    std::shared_ptr<LexiconBook> book_;
    std::string folder_;
    std::shared_ptr<LexiconDialogs> dialogs_;
    LexiconTicks ticks_;
    std::shared_ptr<LexiconLink> link_;
    bool placed_ = false;

    QLabel* rowCount_ = nullptr;
    QLineEdit* queryBox_ = nullptr;
    QLabel* queryTime_ = nullptr;
    QPushButton* queryButton_ = nullptr;
    QLineEdit* wordBox_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
};

// What the Lexicon export does: opens the window for folder on this thread, not
// modal, or brings the open one forward on folder's list. An empty folder
// becomes the default one (DefaultLexiconFolder) and is written back. Without a
// QApplication whose thread this is, opens nothing and returns nullptr.
LexiconWindow* OpenLexiconWindow(std::string& folder, const std::shared_ptr<LexiconBook>& book,
                                 LexiconWindowSetup setup = {});

} // namespace sw
