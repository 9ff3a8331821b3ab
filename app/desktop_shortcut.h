#pragma once

// The desktop shortcut of a first run: a .desktop launcher in the user's XDG
// desktop folder that starts the program from its program folder.

#include <filesystem>
#include <string_view>

namespace sw {

// The current user's desktop folder: XDG_DESKTOP_DIR from user-dirs.dirs in
// the configuration folder ($XDG_CONFIG_HOME, else $HOME/.config), else the
// XDG_DESKTOP_DIR environment variable, else $HOME/Desktop. Empty when HOME is
// unset, or when the desktop is the home folder itself (the XDG way of saying
// the user keeps no desktop).
std::filesystem::path UserDesktopFolder();

// Writes "Stallwatch.desktop" into desktopFolder: it starts programFolder's
// "stallwatch" with programFolder as working folder in a normal window, and its
// comment is "Stallwatch-Voskar软件，官网：" followed by makerAddress (GBK). The
// folder is not created. False when the file cannot be written.
bool WriteDesktopShortcut(const std::filesystem::path& desktopFolder, const std::filesystem::path& programFolder,
                          std::string_view makerAddress);

} // namespace sw
