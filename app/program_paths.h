#pragma once

// The paths the main window keeps for the whole run, all under the program
// folder (the folder of the running executable).

#include <filesystem>

namespace sw {

struct ProgramPaths {
    std::filesystem::path programFolder;
    // The "db" folder, written with its trailing separator ("/opt/stallwatch/db/").
    std::filesystem::path dataFolder;
    // dataFolder followed by "zedozode.cfg".
    std::filesystem::path settingsFile;
};

// Creates the "db" folder of programFolder when it is missing (a failure is
// ignored: the program runs on without it) and names the paths.
ProgramPaths PrepareProgramPaths(const std::filesystem::path& programFolder);

} // namespace sw
