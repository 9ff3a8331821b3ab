#pragma once

// The lexicon's word list: the bytes of its word file (GBK, no byte-order mark),
// one word or phrase per line. Only CR LF ends a line; the text after the last
// CR LF is a line only when it is not empty, and an empty list is one empty
// line. Lines compare byte for byte. The list is one string, scanned in place,
// so a list of a million lines stays quick to count, search and change.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sw {

// A change made to the list, kept so that it can be taken back when the file
// cannot be written.
struct WordListEdit {
    size_t offset = 0;
    std::string bytes;
    bool inserted = true; // false: bytes were removed at offset
};

class WordList {
public:
    WordList() = default;
    explicit WordList(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& Bytes() const { return bytes_; }

    // Reads the file whole. False, with the list as it was, when it cannot be read.
    bool Load(const std::filesystem::path& file);
    // Writes the list whole, through a temporary file beside file and a rename.
    bool Save(const std::filesystem::path& file) const;

    size_t LineCount() const;
    bool Contains(std::string_view word) const;

    // Adds word as a line of its own unless a line equals it (nullopt then). It
    // goes before the first line that begins with word's first character; when
    // none does, before the last line whose first character has the same pinyin
    // initial (two empty initials are the same); when none has, at the end.
    // Empty lines have no first character and are passed over.
    std::optional<WordListEdit> Add(std::string_view word);
    // Removes the first line equal to word with the CR LF that ends it; nullopt
    // when no line is equal. Nothing else of the list changes.
    std::optional<WordListEdit> Remove(std::string_view word);
    // Takes back the last edit.
    void Undo(const WordListEdit& edit);

private:
    std::string bytes_;
};

// "当前词库共：" n " 行数据。" (GBK).
std::string RowCountText(size_t lines);

} // namespace sw
