#pragma once

// Spreadsheet column letters ("A", "B", ... "AA") for the workbook export, from
// kelvane's Getzimu. The library is bound the first time letters are needed,
// so a program without it runs on and only the workbook export reports it.

#include <cstdint>
#include <filesystem>
#include <string>

namespace sw {

class ColumnLetterSource {
public:
    virtual ~ColumnLetterSource() = default;

    // Makes the letters available. False, with the reason for the user (GBK),
    // when they cannot be had; a later call tries again.
    virtual bool Prepare(std::string& problem) = 0;
    // The letters of column (1 "A", 27 "AA"); only after Prepare succeeded.
    virtual std::string Letters(int column) = 0;
};

// Getzimu of libkelvane.so in the program folder, loaded with dlopen. The
// library is never unloaded: its exports keep state for the whole run, and a
// lexicon job started through it may still be at work.
class ColumnLettersLibrary : public ColumnLetterSource {
public:
    explicit ColumnLettersLibrary(std::filesystem::path programFolder);
    ColumnLettersLibrary(const ColumnLettersLibrary&) = delete;
    ColumnLettersLibrary& operator=(const ColumnLettersLibrary&) = delete;

    bool Prepare(std::string& problem) override;
    std::string Letters(int column) override;

    const std::filesystem::path& LibraryFile() const { return file_; }

private:
    using GetzimuFunction = const char* (*)(std::int32_t);

    std::filesystem::path file_;
    void* library_ = nullptr;
    GetzimuFunction getzimu_ = nullptr;
};

} // namespace sw
