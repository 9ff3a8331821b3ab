#include "app/column_letters_library.h"

#include "text/code_page.h"

#include <dlfcn.h>

#include <system_error>
#include <utility>

namespace sw {

ColumnLettersLibrary::ColumnLettersLibrary(std::filesystem::path programFolder)
    : file_(std::move(programFolder) / "libkelvane.so") {}

bool ColumnLettersLibrary::Prepare(std::string& problem) {
    if (getzimu_ != nullptr)
        return true;
    const std::string shownPath = Utf8ToGbk(file_.string());
    if (library_ == nullptr) {
        std::error_code error;
        if (!std::filesystem::exists(file_, error)) {
            problem = Gbk("找不到组件库 libkelvane.so：") + shownPath;
            return false;
        }
        library_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) {
            problem = Gbk("无法加载组件库 libkelvane.so：") + shownPath;
            return false;
        }
    }
    getzimu_ = reinterpret_cast<GetzimuFunction>(dlsym(library_, "Getzimu"));
    if (getzimu_ == nullptr) {
        problem = Gbk("组件库中没有导出函数 Getzimu：") + shownPath;
        return false;
    }
    return true;
}

std::string ColumnLettersLibrary::Letters(int column) {
    if (getzimu_ == nullptr)
        return {};
    // The result belongs to the library and lives only until the next call.
    const char* letters = getzimu_(static_cast<std::int32_t>(column));
    return letters == nullptr ? std::string() : std::string(letters);
}

} // namespace sw
