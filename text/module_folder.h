#pragma once

#include <filesystem>

namespace sw {

// The folder of the binary that this code is linked into: the running program
// (/proc/self/exe), or the shared library when the code lives in one (found
// with dladdr). Empty when it cannot be found.
std::filesystem::path ModuleFolder();

} // namespace sw
