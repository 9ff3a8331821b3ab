#include "app/desktop_shortcut.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace sw {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

// Points HOME and the XDG configuration at a temporary folder for one test and
// puts the caller's values back afterwards.
class DesktopShortcutTest : public ::testing::Test {
protected:
    DesktopShortcutTest() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value == nullptr ? std::nullopt : std::optional<std::string>(value));
            unsetenv(name);
        }
        setenv("HOME", home_.Path().c_str(), 1);
    }
    ~DesktopShortcutTest() override {
        for (const auto& [name, value] : saved_)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }

    void WriteUserDirs(const std::string& line) {
        std::filesystem::create_directories(home_ / ".config");
        WriteFileBytes(home_ / ".config" / "user-dirs.dirs", "# written by xdg-user-dirs-update\n" + line + "\n");
    }

    static constexpr const char* kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DESKTOP_DIR"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
    TempFolder home_;
};

TEST_F(DesktopShortcutTest, DesktopFolderFollowsTheXdgRules) {
    EXPECT_EQ(home_ / "Desktop", UserDesktopFolder()) << "no user-dirs.dirs";

    setenv("XDG_DESKTOP_DIR", "/srv/desk", 1);
    EXPECT_EQ(std::filesystem::path("/srv/desk"), UserDesktopFolder()) << "from the environment";

    WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/桌面\"");
    EXPECT_EQ(home_ / "桌面", UserDesktopFolder()) << "user-dirs.dirs wins over the environment";

    WriteUserDirs("XDG_DESKTOP_DIR=\"/data/my desk\"");
    EXPECT_EQ(std::filesystem::path("/data/my desk"), UserDesktopFolder()) << "absolute value";

    WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/\"");
    EXPECT_EQ(std::filesystem::path(), UserDesktopFolder()) << "a desktop that is the home folder means none";

    TempFolder config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    WriteFileBytes(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfläche\"\n");
    EXPECT_EQ(home_ / "Arbeitsfläche", UserDesktopFolder()) << "XDG_CONFIG_HOME is where user-dirs.dirs lives";

    unsetenv("HOME");
    EXPECT_EQ(std::filesystem::path(), UserDesktopFolder()) << "no HOME";
}

TEST_F(DesktopShortcutTest, LauncherStartsTheProgramInItsFolder) {
    const std::filesystem::path desktop = home_ / "Desktop";
    std::filesystem::create_directories(desktop);
    const std::filesystem::path program = home_ / "程序 $1 50%";

    ASSERT_TRUE(WriteDesktopShortcut(desktop, program, "https://maker.example"));

    const std::string prefix = program.string();
    EXPECT_EQ("[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.0\n"
              "Name=Stallwatch\n"
              "Comment=Stallwatch-Voskar软件，官网：https://maker.example\n"
              "Exec=\"" +
                  prefix.substr(0, prefix.find('$')) +
                  "\\\\$1 50%%/stallwatch\"\n"
                  "Path=" +
                  prefix +
                  "\n"
                  "Terminal=false\n",
              ReadFileBytes(desktop / "Stallwatch.desktop"));
    EXPECT_NE(std::filesystem::perms::none, std::filesystem::status(desktop / "Stallwatch.desktop").permissions() &
                                                std::filesystem::perms::owner_exec);
}

TEST_F(DesktopShortcutTest, MissingDesktopFolderIsNotCreated) {
    EXPECT_FALSE(WriteDesktopShortcut(home_ / "Desktop", home_ / "program", "https://maker.example"));
    EXPECT_FALSE(std::filesystem::exists(home_ / "Desktop"));
    EXPECT_FALSE(WriteDesktopShortcut({}, home_ / "program", "https://maker.example"));
}

} // namespace
} // namespace sw
