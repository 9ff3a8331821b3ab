#include "toolslib/lexicon_work.h"

#include "text/code_page.h"
#include "text/file_bytes.h"
#include "text/number_text.h"

#include <system_error>

namespace sw {
namespace {

std::string Path(std::string_view folder, std::string_view name) {
    std::string path(folder);
    return path.append("/").append(name);
}

// The keyword when the job's turn has come.
std::string KeywordNow(LexiconView& view, LexiconBox box, std::string typed) {
    std::optional<std::string> now = view.Keyword(box);
    return now ? std::move(*now) : std::move(typed);
}

// Writes the list, or takes the edit back so that the list matches the file again.
bool SaveOrUndo(LexiconBook& book, const WordListEdit& edit, LexiconView& view) {
    if (book.list.Save(WordFilePath(book.folder)))
        return true;
    book.list.Undo(edit);
    view.ShowMessage(Gbk("保存失败,词库文件无法写入：") + Path(book.folder, "googledict.txt") +
                         Gbk("。请检查本程序是否有读写权限。"),
                     Gbk("信息："), LexiconIcon::Error);
    return false;
}

} // namespace

LexiconTicket::LexiconTicket(LexiconBook& book) : book_(&book) {
    std::lock_guard lock(book.mutex_);
    number_ = book.issued_++;
    ++book.out_;
}

LexiconTicket::LexiconTicket(LexiconTicket&& other) noexcept
    : book_(other.book_), number_(other.number_), waited_(other.waited_), ended_(other.ended_) {
    other.book_ = nullptr;
}

LexiconTicket::~LexiconTicket() {
    if (book_ == nullptr)
        return;
    std::lock_guard lock(book_->mutex_);
    if (!ended_) {
        if (waited_)
            ++book_->serving_;
        else
            book_->givenUp_.insert(number_);
        book_->PassOver();
    }
    --book_->out_;
    book_->changed_.notify_all();
}

void LexiconTicket::WaitTurn() {
    if (waited_)
        return;
    std::unique_lock lock(book_->mutex_);
    book_->changed_.wait(lock, [&] { return book_->serving_ == number_; });
    waited_ = true;
}

void LexiconTicket::EndTurn() {
    if (ended_)
        return;
    WaitTurn();
    std::lock_guard lock(book_->mutex_);
    ++book_->serving_;
    book_->PassOver();
    ended_ = true;
    book_->changed_.notify_all();
}

void LexiconBook::PassOver() {
    while (givenUp_.erase(serving_) != 0)
        ++serving_;
}

bool LexiconBook::Idle() const {
    std::lock_guard lock(mutex_);
    return out_ == 0;
}

void LexiconBook::WaitUntilIdle() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return out_ == 0; });
}

std::filesystem::path WordFilePath(std::string_view folder) {
    return GbkToUtf8(Path(folder, "googledict.txt"));
}

std::filesystem::path BackupFilePath(std::string_view folder) {
    return GbkToUtf8(Path(folder, "bak_googledict.txt"));
}

std::string DefaultLexiconFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    return Utf8ToGbk((program / "db").string());
}

void RunLoad(LexiconBook& book, LexiconTicket ticket, std::string folder) {
    ticket.WaitTurn();
    book.list.Load(WordFilePath(folder));
    book.folder = std::move(folder);
}

void RunQuery(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view,
              const LexiconTicks& ticks) {
    if (typed.empty())
        return;
    ticket.WaitTurn();
    const std::string keyword = KeywordNow(view, LexiconBox::Query, std::move(typed));
    if (keyword.empty())
        return;
    view.SetRowCount(RowCountText(book.list.LineCount()));
    view.SetCaption(LexiconButton::Query, Gbk("正在查询.."));
    const std::int64_t start = ticks();
    const bool found = book.list.Contains(keyword);
    const std::int64_t elapsed = ticks() - start;
    view.SetCaption(LexiconButton::Query, Gbk("查询"));
    view.SetQueryTime(Gbk("耗时：") + NumberToText(static_cast<double>(elapsed) / 1000.0) + "m");
    ticket.EndTurn();
    if (found)
        view.ShowMessage(Gbk("关键词：") + keyword + Gbk(" 已存在。"), Gbk("查询"), LexiconIcon::Information);
    else
        view.ShowMessage(Gbk("关键词：") + keyword + Gbk(" 尚未找到。"), Gbk("查询"), LexiconIcon::Error);
}

void RunAdd(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view) {
    if (typed.empty())
        return;
    ticket.WaitTurn();
    const std::string keyword = KeywordNow(view, LexiconBox::Word, std::move(typed));
    if (keyword.empty())
        return;
    view.SetCaption(LexiconButton::Add, Gbk("增加中."));
    view.SetRowCount(RowCountText(book.list.LineCount()));
    const std::optional<WordListEdit> edit = book.list.Add(keyword);
    view.SetCaption(LexiconButton::Add, Gbk("增加"));
    if (!edit)
        view.ShowMessage(Gbk("您所添加的词已经存在无需重复添加"), Gbk("信息："), LexiconIcon::None);
    else if (SaveOrUndo(book, *edit, view))
        view.ShowMessage(Gbk("添加成功"), Gbk("信息："), LexiconIcon::None);
}

void RunDelete(LexiconBook& book, LexiconTicket ticket, std::string typed, LexiconView& view) {
    if (typed.empty())
        return;
    ticket.WaitTurn();
    const std::string keyword = KeywordNow(view, LexiconBox::Word, std::move(typed));
    if (keyword.empty())
        return;
    view.SetCaption(LexiconButton::Delete, Gbk("删除中."));
    const std::optional<WordListEdit> edit = book.list.Remove(keyword);
    view.SetCaption(LexiconButton::Delete, Gbk("删除"));
    if (!edit)
        view.ShowMessage(Gbk("指定词语不存在。"), Gbk("信息："), LexiconIcon::None);
    else if (SaveOrUndo(book, *edit, view))
        view.ShowMessage(Gbk("删除成功"), Gbk("信息："), LexiconIcon::None);
}

void BackUpWordFile(std::string_view folder, LexiconDialogs& dialogs) {
    std::string bytes;
    if (ReadWholeFile(WordFilePath(folder), bytes) && ReplaceFile(BackupFilePath(folder), bytes))
        dialogs.ShowMessage(Gbk("备份成功,备份文件位置：") + Path(folder, "bak_googledict.txt"), Gbk("备份"),
                            LexiconIcon::None);
    else
        dialogs.ShowMessage(Gbk("备份失败,请检查相关权限本程序是否有读写权限。也可以测试右键已管理员运行。"),
                            Gbk("备份"), LexiconIcon::None);
}

void RestoreWordFile(std::string_view folder, LexiconDialogs& dialogs, const std::function<void()>& restored) {
    std::string bytes;
    const bool ok = ReadWholeFile(BackupFilePath(folder), bytes) && ReplaceFile(WordFilePath(folder), bytes);
    if (ok && restored)
        restored();
    dialogs.ShowMessage(ok ? Gbk("恢复成功") : Gbk("恢复失败"), Gbk("备份"), LexiconIcon::None);
}

} // namespace sw
