#include "toolslib/word_list.h"

#include "text/code_page.h"
#include "text/file_bytes.h"
#include "toolslib/pinyin_initial.h"
#include "toolslib/split_characters.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace sw {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool EndsWithLineEnd(std::string_view text) {
    return text.size() >= 2 && text.substr(text.size() - 2) == kLineEnd;
}

// The first occurrence of needle at or after from. glibc's memmem stays fast on
// GBK text, where a plain first-byte scan stops at every common lead byte.
size_t Search(std::string_view text, std::string_view needle, size_t from) {
    if (from > text.size())
        return std::string_view::npos;
    const void* found = ::memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return found == nullptr ? std::string_view::npos
                            : static_cast<size_t>(static_cast<const char*>(found) - text.data());
}

// Where the first line equal to word starts. A CR LF pair cannot overlap
// another, so a match is a whole line exactly when a CR LF or the start of the
// list stands before it and a CR LF or the end of the list after it.
std::optional<size_t> FindLine(std::string_view list, std::string_view word) {
    if (word.find(kLineEnd) != std::string_view::npos)
        return std::nullopt;
    if (word.empty()) {
        if (list.empty() || list.starts_with(kLineEnd))
            return 0;
        const size_t pair = Search(list, "\r\n\r\n", 0);
        return pair == std::string_view::npos ? std::nullopt : std::optional<size_t>(pair + 2);
    }
    for (size_t at = Search(list, word, 0); at != std::string_view::npos; at = Search(list, word, at + 1)) {
        const size_t end = at + word.size();
        const bool starts = at == 0 || (at >= 2 && list.substr(at - 2, 2) == kLineEnd);
        const bool ends = end == list.size() || list.substr(end, 2) == kLineEnd;
        if (starts && ends)
            return at;
    }
    return std::nullopt;
}

// Calls visit(start, line) for every line in order until it returns false.
template <typename Visit>
void ForEachLine(std::string_view list, Visit visit) {
    size_t start = 0;
    while (start < list.size() || (start == 0 && list.empty())) {
        size_t end = start;
        while (true) {
            const void* cr = ::memchr(list.data() + end, '\r', list.size() - end);
            if (cr == nullptr) {
                end = list.size();
                break;
            }
            end = static_cast<size_t>(static_cast<const char*>(cr) - list.data());
            if (end + 1 < list.size() && list[end + 1] == '\n')
                break;
            ++end;
        }
        if (!visit(start, list.substr(start, end - start)) || end == list.size())
            return;
        start = end + 2;
    }
}

// 0x80 in every byte of x that is zero and 0 elsewhere; exact, as no carry
// crosses from one byte into the next.
std::uint64_t ZeroBytes(std::uint64_t x) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

std::uint64_t Load8(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// CR LF pairs, eight bytes at a time: a list of a million short lines is
// counted in about a millisecond.
size_t CountLineEnds(std::string_view text) {
    constexpr std::uint64_t kLf = 0x0A0A0A0A0A0A0A0A;
    constexpr std::uint64_t kCr = 0x0D0D0D0D0D0D0D0D;
    size_t count = 0;
    size_t at = 1;
    for (; at + 8 <= text.size(); at += 8) {
        const std::uint64_t here = Load8(text.data() + at);
        const std::uint64_t before = Load8(text.data() + at - 1);
        count += static_cast<size_t>(std::popcount(ZeroBytes(here ^ kLf) & ZeroBytes(before ^ kCr)));
    }
    for (; at < text.size(); ++at)
        count += text[at] == '\n' && text[at - 1] == '\r' ? 1 : 0;
    return count;
}

std::string_view FirstCharacter(std::string_view text) {
    return text.substr(0, CharacterSizeAt(text, 0));
}

} // namespace

bool WordList::Load(const std::filesystem::path& file) {
    return ReadWholeFile(file, bytes_);
}

bool WordList::Save(const std::filesystem::path& file) const {
    return ReplaceFile(file, bytes_);
}

size_t WordList::LineCount() const {
    if (bytes_.empty())
        return 1;
    return CountLineEnds(bytes_) + (EndsWithLineEnd(bytes_) ? 0 : 1);
}

bool WordList::Contains(std::string_view word) const {
    return FindLine(bytes_, word).has_value();
}

std::optional<WordListEdit> WordList::Add(std::string_view word) {
    if (FindLine(bytes_, word))
        return std::nullopt;
    const std::string_view first = FirstCharacter(word);
    const std::string_view initial = PinyinInitial(first);
    std::optional<size_t> sameCharacter;
    std::optional<size_t> sameInitial;
    ForEachLine(bytes_, [&](size_t start, std::string_view line) {
        if (line.empty())
            return true;
        const std::string_view character = FirstCharacter(line);
        if (character == first) {
            sameCharacter = start;
            return false;
        }
        if (PinyinInitial(character) == initial)
            sameInitial = start;
        return true;
    });
    WordListEdit edit;
    if (sameCharacter || sameInitial) {
        edit.offset = sameCharacter ? *sameCharacter : *sameInitial;
        edit.bytes.append(word).append(kLineEnd);
    } else {
        edit.offset = bytes_.size();
        if (!bytes_.empty() && !EndsWithLineEnd(bytes_))
            edit.bytes.append(kLineEnd);
        edit.bytes.append(word).append(kLineEnd);
    }
    bytes_.insert(edit.offset, edit.bytes);
    return edit;
}

std::optional<WordListEdit> WordList::Remove(std::string_view word) {
    const std::optional<size_t> at = FindLine(bytes_, word);
    if (!at)
        return std::nullopt;
    size_t size = word.size();
    if (*at + size < bytes_.size())
        size += kLineEnd.size();
    WordListEdit edit{*at, bytes_.substr(*at, size), false};
    bytes_.erase(*at, size);
    return edit;
}

void WordList::Undo(const WordListEdit& edit) {
    if (edit.inserted)
        bytes_.erase(edit.offset, edit.bytes.size());
    else
        bytes_.insert(edit.offset, edit.bytes);
}

std::string RowCountText(size_t lines) {
    return Gbk("当前词库共：") + std::to_string(lines) + Gbk(" 行数据。");
}

} // namespace sw
