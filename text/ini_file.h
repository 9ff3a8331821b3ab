#pragma once

// INI profile files with the Windows profile rules: section and key names
// match without regard to ASCII letter case, blanks (space, tab, vertical tab)
// around names and values are trimmed, one outer pair of matching quotes is
// removed from a value, the first of two equal keys wins and only the first
// block of a repeated section is searched. Text is code page 936 bytes.
//
// Writing keeps every other byte of the file as it was: an existing key is
// rewritten in place, a new key goes after the last key of its section, a new
// section is appended at the end. The file is replaced through a temporary
// file in the same folder, so a failed write never leaves half a file.

#include <filesystem>
#include <string>
#include <string_view>

namespace sw {

// The read buffer of the profile functions: a longer value comes back cut to
// kProfileBufferSize - 1 bytes (never inside a two-byte character).
inline constexpr size_t kProfileBufferSize = 10240;

// A profile file held in memory. Load, read and change it, then Save.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string bytes) : bytes_(std::move(bytes)) {}

    // Reads the file; false (and an empty document) when it cannot be read.
    bool Load(const std::filesystem::path& path);
    // Writes the document through a temporary file and a rename; false on failure.
    bool Save(const std::filesystem::path& path) const;

    // The value of key in section, or defaultValue when either is missing.
    std::string Read(std::string_view section, std::string_view key, std::string_view defaultValue = {},
                     size_t bufferSize = kProfileBufferSize) const;
    // Sets key in section to value, exactly as given.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// One read from a file, as GetPrivateProfileString does it.
std::string ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue = {}, size_t bufferSize = kProfileBufferSize);
// One write to a file, as WritePrivateProfileString does it; creates the file
// when it is missing. False when the file cannot be written.
bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace sw
