#include "text/module_folder.h"

#include <dlfcn.h>
#include <link.h>

#include <system_error>

namespace sw {

std::filesystem::path ModuleFolder() {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&ModuleFolder), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return {};
    std::error_code error;
    // The main program's link map has an empty name; the kernel knows its file.
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::filesystem::path() : program.parent_path();
    }
    const std::filesystem::path library = std::filesystem::canonical(map->l_name, error);
    return error ? std::filesystem::path() : library.parent_path();
}

} // namespace sw
