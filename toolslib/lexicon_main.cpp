// The lexicon manager on its own: loads kelvane from the program folder, as any
// caller of the library does, and opens its lexicon window for the folder given
// on the command line (the folder "db" beside the program when none is given).
//   lexicon [folder]

#include "text/code_page.h"

#include <QApplication>
#include <QWidget>

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path libraryFile = program / "libkelvane.so";
    void* library = ::dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "lexicon: %s\n", ::dlerror());
        return 1;
    }
    using LexiconExport = const char* (*)(const char*);
    auto lexicon = reinterpret_cast<LexiconExport>(::dlsym(library, "Lexicon"));
    if (lexicon == nullptr) {
        std::fprintf(stderr, "lexicon: %s has no Lexicon\n", libraryFile.c_str());
        return 1;
    }
    // The library takes GBK text; the command line is UTF-8.
    const std::string folder = argc > 1 ? sw::Utf8ToGbk(argv[1]) : std::string();
    lexicon(folder.c_str());
    if (QApplication::topLevelWidgets().isEmpty())
        return 1;
    // The library stays loaded: its workers finish while the program quits.
    return application.exec();
}
