#include "text/ini_file.h"

#include "text/file_bytes.h"

#include <cerrno>
#include <string>

namespace sw {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Lead bytes of code page 936; a lead byte and the byte after it are one character.
bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names compare character by character: a trail byte can look like an ASCII
// letter, so only single-byte characters are folded.
bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size();) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i += 2;
        } else {
            if (FoldAscii(a[i]) != FoldAscii(b[i]))
                return false;
            ++i;
        }
    }
    return true;
}

// Blanks are never trail bytes, so trimming from either end cannot split a character.
std::string_view TrimBlanks(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The longest head of text that fits maxBytes without splitting a character.
std::string_view CutToBytes(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t width = (IsLeadByte(text[end]) && end + 1 < text.size()) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return text.substr(0, end);
}

enum class LineKind { Other, Section, Key };

// One physical line of the document, classified in a single walk over its bytes.
struct Line {
    size_t begin = 0;      // first byte of the line
    size_t contentEnd = 0; // first byte of the line end (or the end of the document)
    size_t next = 0;       // first byte of the following line
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name or key name, trimmed
    std::string_view value; // key value, trimmed, quotes still on
};

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

    bool Next(Line& line) {
        if (pos_ >= bytes_.size())
            return false;
        line = Line{};
        line.begin = pos_;
        size_t p = pos_;
        const size_t size = bytes_.size();
        while (p < size && IsBlank(bytes_[p]))
            ++p;
        const size_t first = p;
        const char lead = (p < size && !IsLineEnd(bytes_[p])) ? bytes_[p] : '\0';
        // The first "]" ends a section name, the first "=" ends a key name. Both
        // are searched by whole characters, since "]" is also a valid trail byte.
        size_t stop = std::string_view::npos;
        const char stopChar = lead == '[' ? ']' : '=';
        if (lead == '[')
            ++p;
        while (p < size && !IsLineEnd(bytes_[p])) {
            if (IsLeadByte(bytes_[p]) && p + 1 < size && !IsLineEnd(bytes_[p + 1])) {
                p += 2;
                continue;
            }
            if (stop == std::string_view::npos && bytes_[p] == stopChar)
                stop = p;
            ++p;
        }
        line.contentEnd = p;
        if (p < size && bytes_[p] == '\r' && p + 1 < size && bytes_[p + 1] == '\n')
            p += 2;
        else if (p < size)
            ++p;
        line.next = p;
        pos_ = p;

        if (lead == '[') {
            const size_t nameEnd = stop == std::string_view::npos ? line.contentEnd : stop;
            line.kind = LineKind::Section;
            line.name = TrimBlanks(bytes_.substr(first + 1, nameEnd - first - 1));
        } else if (lead != '\0' && lead != ';' && stop != std::string_view::npos) {
            line.kind = LineKind::Key;
            line.name = TrimBlanks(bytes_.substr(first, stop - first));
            line.value = TrimBlanks(bytes_.substr(stop + 1, line.contentEnd - stop - 1));
        }
        return true;
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

} // namespace

bool IniFile::Load(const std::filesystem::path& path) {
    bytes_.clear();
    return ReadWholeFile(path, bytes_);
}

bool IniFile::Save(const std::filesystem::path& path) const {
    return ReplaceFile(path, bytes_);
}

std::string IniFile::Read(std::string_view section, std::string_view key, std::string_view defaultValue,
                          size_t bufferSize) const {
    LineReader reader(bytes_);
    Line line;
    bool inSection = false;
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section) {
            // A repeated section is not merged: the search ends with the first block.
            if (inSection)
                break;
            inSection = NamesEqual(line.name, section);
        } else if (inSection && line.kind == LineKind::Key && NamesEqual(line.name, key)) {
            if (bufferSize == 0)
                return {};
            return std::string(CutToBytes(Unquote(line.value), bufferSize - 1));
        }
    }
    return std::string(defaultValue);
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    LineReader reader(bytes_);
    Line line;
    bool inSection = false;
    size_t insertAt = std::string::npos; // after the header, then after each key line of the block
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                break;
            inSection = NamesEqual(line.name, section);
            if (inSection)
                insertAt = line.next;
        } else if (inSection && line.kind == LineKind::Key) {
            if (NamesEqual(line.name, key)) {
                std::string replacement;
                replacement.reserve(line.name.size() + 1 + value.size());
                replacement.append(line.name).append("=").append(value);
                bytes_.replace(line.begin, line.contentEnd - line.begin, replacement);
                return;
            }
            insertAt = line.next;
        }
    }

    std::string added;
    const bool endsWithLineEnd = bytes_.empty() || IsLineEnd(bytes_.back());
    if (insertAt == std::string::npos) {
        insertAt = bytes_.size();
        if (!endsWithLineEnd)
            added.append("\r\n");
        added.append("[").append(section).append("]\r\n");
    } else if (insertAt == bytes_.size() && !endsWithLineEnd) {
        // The line to follow is the last one and has no line end yet.
        added.append("\r\n");
    }
    added.append(key).append("=").append(value).append("\r\n");
    bytes_.insert(insertAt, added);
}

std::string ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, size_t bufferSize) {
    IniFile file;
    file.Load(path);
    return file.Read(section, key, defaultValue, bufferSize);
}

bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    int errorNumber = 0;
    std::string bytes;
    // Only a missing file starts an empty document; a file that exists but cannot
    // be read must not be replaced by one.
    if (!ReadWholeFile(path, bytes, &errorNumber) && errorNumber != ENOENT)
        return false;
    IniFile file(std::move(bytes));
    file.Write(section, key, value);
    return file.Save(path);
}

} // namespace sw
