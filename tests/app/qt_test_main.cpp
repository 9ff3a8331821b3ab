// The main of the Qt tests. HOME and the XDG folders point into a fresh
// temporary folder before Qt starts, so neither Qt nor the window under test
// touches the user's real home or desktop; the offscreen platform is the
// default.

#include "tests/support/temp_folder.h"

#include <QApplication>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

int main(int argc, char** argv) {
    sw::test::TempFolder home;
    const auto set = [](const char* name, const std::filesystem::path& path) {
        std::filesystem::create_directories(path);
        setenv(name, path.c_str(), 1);
    };
    set("HOME", home.Path());
    set("XDG_CONFIG_HOME", home / ".config");
    set("XDG_DATA_HOME", home / ".local/share");
    set("XDG_CACHE_HOME", home / ".cache");
    set("XDG_STATE_HOME", home / ".local/state");
    set("XDG_RUNTIME_DIR", home / "runtime");
    chmod((home / "runtime").c_str(), 0700);
    unsetenv("XDG_DESKTOP_DIR");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
