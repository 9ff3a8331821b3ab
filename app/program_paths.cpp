#include "app/program_paths.h"

#include <system_error>

namespace sw {

ProgramPaths PrepareProgramPaths(const std::filesystem::path& programFolder) {
    ProgramPaths paths;
    paths.programFolder = programFolder;
    paths.dataFolder = programFolder / "db" / "";
    paths.settingsFile = paths.dataFolder / "zedozode.cfg";
    std::error_code ignored;
    std::filesystem::create_directories(paths.dataFolder, ignored);
    return paths;
}

} // namespace sw
