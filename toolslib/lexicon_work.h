#pragma once

// The lexicon window's work without its widgets. Query, add and delete run on
// worker threads, one at a time in the order they were asked for (LexiconBook's
// turns), and reach the window only through LexiconView. Backup and restore run
// on the window's thread. Texts and folders are GBK.

#include "toolslib/lexicon_dialogs.h"
#include "toolslib/word_list.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace sw {

enum class LexiconButton { Query, Add, Delete };
enum class LexiconBox { Query, Word };

// The window as its workers see it. Every call comes from a worker thread; the
// window hands it to its own thread and returns when it is done there.
class LexiconView : public LexiconDialogs {
public:
    // The text of an edit box; nullopt when the window is gone.
    virtual std::optional<std::string> Keyword(LexiconBox box) = 0;
    virtual void SetCaption(LexiconButton button, std::string_view caption) = 0;
    virtual void SetRowCount(std::string_view text) = 0;
    virtual void SetQueryTime(std::string_view text) = 0;
};

// A millisecond tick count.
using LexiconTicks = std::function<std::int64_t()>;

class LexiconBook;

// A job's place in the line: taken without waiting where the job is asked for,
// then waited for by the job. A ticket that goes without its turn ending, as
// when a job ends early or fails, gives the turn up; that never waits.
class LexiconTicket {
public:
    explicit LexiconTicket(LexiconBook& book);
    LexiconTicket(LexiconTicket&& other) noexcept;
    LexiconTicket& operator=(LexiconTicket&&) = delete;
    ~LexiconTicket();

    void WaitTurn();
    void EndTurn();

private:
    LexiconBook* book_;
    std::uint64_t number_;
    bool waited_ = false;
    bool ended_ = false;
};

// What the window and its workers share: the word list, the folder whose word
// file it was read from, and the turns. One per library, so the workers of a
// closed window and those of the next one take turns with each other.
class LexiconBook {
public:
    // Only inside a turn.
    WordList list;
    std::string folder;

    // True when no ticket is out.
    bool Idle() const;
    void WaitUntilIdle() const;

private:
    friend class LexiconTicket;

    void PassOver(); // under mutex_

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::uint64_t issued_ = 0;
    std::uint64_t serving_ = 0;
    std::uint64_t out_ = 0;
    std::set<std::uint64_t> givenUp_;
};

std::filesystem::path WordFilePath(std::string_view folder);
std::filesystem::path BackupFilePath(std::string_view folder);
// The folder of the running program followed by "/db".
std::string DefaultLexiconFolder();

// Reads the word file of folder into the list (the list stays as it was when the
// file cannot be read) and makes folder the list's folder.
void RunLoad(LexiconBook& book, LexiconTicket ticket, std::string folder);
// The jobs of the three buttons. typed is the edit box's text at the click: an
// empty one ends the job at once. When its turn comes the job reads the box
// again, as the user may have changed it meanwhile, and keeps typed when the
// window has gone.
void RunQuery(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view, const LexiconTicks& ticks);
void RunAdd(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view);
void RunDelete(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view);

// Copy the word file of folder to its backup and back, and say how it went.
// restored runs after a successful restore, before the message.
void BackUpWordFile(std::string_view folder, LexiconDialogs& dialogs);
void RestoreWordFile(std::string_view folder, LexiconDialogs& dialogs, const std::function<void()>& restored);

} // namespace sw
