#pragma once

// Whole files as bytes, and replacing a file safely.

#include <filesystem>
#include <string>
#include <string_view>

namespace sw {

// Reads the whole file into bytes; false (bytes unchanged) when it cannot be
// read. errorNumber, when given, receives the errno of the failure (0 on success).
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes, int* errorNumber = nullptr);

// Writes bytes to a temporary file beside file, flushes it to the disk and
// renames it over file, so that a crash leaves either the old file or the
// whole new one. A file being replaced keeps its permissions. False on failure,
// with nothing left behind.
bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace sw
