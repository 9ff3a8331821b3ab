#include "app/desktop_shortcut.h"

#include "text/code_page.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace sw {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// A value of user-dirs.dirs: a shell word in double quotes, absolute or
// starting with "$HOME/". Empty when the line is not of that form.
std::filesystem::path UserDirValue(std::string_view quoted, const std::filesystem::path& home) {
    if (quoted.size() < 2 || quoted.front() != '"')
        return {};
    std::string value;
    for (size_t i = 1; i < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '"')
            break;
        if (c == '\\' && i + 1 < quoted.size())
            c = quoted[++i];
        value.push_back(c);
    }
    constexpr std::string_view kHome = "$HOME";
    if (value.starts_with(kHome) && (value.size() == kHome.size() || value[kHome.size()] == '/'))
        return home / std::filesystem::path(value.substr(kHome.size())).relative_path();
    if (!value.empty() && value.front() == '/')
        return value;
    return {};
}

std::filesystem::path DesktopFromUserDirs(const std::filesystem::path& configFolder,
                                          const std::filesystem::path& home) {
    std::ifstream in(configFolder / "user-dirs.dirs");
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    for (std::string line; std::getline(in, line);) {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.starts_with(kKey))
            return UserDirValue(text.substr(kKey.size()), home);
    }
    return {};
}

// A string value of a desktop entry: backslash and control characters escaped.
std::string EntryString(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

// The program as an Exec argument: double-quoted with the shell's specials
// escaped and "%" doubled, then escaped once more as a string value.
std::string ExecArgument(std::string_view program) {
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
        if (c == '%')
            quoted.push_back('%');
    }
    quoted.push_back('"');
    return EntryString(quoted);
}

} // namespace

std::filesystem::path UserDesktopFolder() {
    const std::string home = Environment("HOME");
    if (home.empty())
        return {};
    const std::string config = Environment("XDG_CONFIG_HOME");
    const std::filesystem::path configFolder =
        config.empty() ? std::filesystem::path(home) / ".config" : std::filesystem::path(config);
    std::filesystem::path desktop = DesktopFromUserDirs(configFolder, home);
    if (desktop.empty()) {
        const std::string fromEnvironment = Environment("XDG_DESKTOP_DIR");
        if (!fromEnvironment.empty() && fromEnvironment.front() == '/')
            desktop = fromEnvironment;
    }
    if (desktop.empty())
        desktop = std::filesystem::path(home) / "Desktop";
    if (desktop.lexically_normal() / "" == std::filesystem::path(home).lexically_normal() / "")
        return {};
    return desktop;
}

bool WriteDesktopShortcut(const std::filesystem::path& desktopFolder, const std::filesystem::path& programFolder,
                          std::string_view makerAddress) {
    std::error_code error;
    if (desktopFolder.empty() || !std::filesystem::is_directory(desktopFolder, error))
        return false;
    const std::filesystem::path file = desktopFolder / "Stallwatch.desktop";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\n"
            << "Type=Application\n"
            << "Version=1.0\n"
            << "Name=Stallwatch\n"
            << "Comment=" << EntryString("Stallwatch-Voskar软件，官网：" + GbkToUtf8(makerAddress)) << "\n"
            << "Exec=" << ExecArgument((programFolder / "stallwatch").string()) << "\n"
            << "Path=" << EntryString(programFolder.string()) << "\n"
            << "Terminal=false\n";
        out.flush();
        if (!out)
            return false;
    }
    // Desktops start only launchers that may be executed.
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, error);
    return true;
}

} // namespace sw
