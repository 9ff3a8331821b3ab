#pragma once

// The user's inputs kept between runs in the settings file: the text of every
// edit box, the items, selection and text of every drop-down list, the list's
// three colours and the twelve export choices. Texts and names are GBK.
//
// Sections: "DorUzuZede" (the program's own keys: "onehome", "color_1".."color_3",
// "set_daochu_0".."set_daochu_11"), "编辑框" (one key per edit box, line breaks
// as "><br><") and "组合框" (one key per drop-down list, items as
// text "<|>" value "<||>", then selected index "<|>" current text).
//
// The step functions work on an IniFile in memory; SettingsStore loads the file
// once, runs its steps in order and saves it once, through a temporary file.

#include "app/program_paths.h"
#include "app/window_lifecycle.h"
#include "shop/form_port.h"
#include "text/ini_file.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

inline constexpr std::string_view kOwnSettingsSection = "DorUzuZede";

// The edit boxes, drop-down lists and colour pickers that are kept, in the
// window's control order (GBK names).
const std::vector<std::string>& SettingsEditBoxes();
const std::vector<std::string>& SettingsDropDownLists();
const std::vector<std::string>& SettingsColourPickers();
// "选择列表框1", the export choices.
const std::string& ExportChoiceList();

// A drop-down list as its settings value holds it.
struct DropDownState {
    std::vector<ListItem> items;
    int selectedIndex = -1;
    std::string text;
};

std::string EncodeDropDown(const DropDownState& state);
// The reverse of EncodeDropDown for a value read back from the file; the first
// item has lost its leading blanks to the profile read by then.
DropDownState DecodeDropDown(std::string_view value);

// Whether bytes can be a settings file at all: text without NUL or other
// control bytes, well-formed code page 936, and with at least one section
// header unless it holds nothing but blanks. Anything else restores nothing.
bool LooksLikeSettingsText(std::string_view bytes);

// The steps, each on the document in memory.
void SaveEditBoxes(const FormPort& form, IniFile& file);
void RestoreEditBoxes(FormPort& form, const IniFile& file);
void SaveColours(const FormPort& form, IniFile& file);
void RestoreColours(FormPort& form, const IniFile& file);
// Sets "onehome" to "1" when it is empty or missing; true when it did.
bool MarkHomeShortcutMade(IniFile& file);
void SaveExportChoices(const FormPort& form, IniFile& file);
void RestoreExportChoices(FormPort& form, const IniFile& file);
void SaveDropDownLists(const FormPort& form, IniFile& file);
void RestoreDropDownLists(FormPort& form, const IniFile& file);

// One key of "DorUzuZede" read from or written to the settings file.
std::string ReadOwnSetting(const std::filesystem::path& settingsFile, std::string_view key,
                           std::string_view defaultValue = {});
bool WriteOwnSetting(const std::filesystem::path& settingsFile, std::string_view key, std::string_view value);

class SettingsStore : public WindowLifecycle {
public:
    // Edit boxes, colours, the "onehome" marker, export choices, drop-down lists.
    // A settings file that is not a settings file at all restores nothing.
    void RestoreSettings(FormPort& form, const ProgramPaths& paths) override;
    // Edit boxes, colours, export choices, drop-down lists, in one write of the
    // file. A failure is not reported: the settings are then not kept.
    void SaveSettings(FormPort& form, const ProgramPaths& paths) override;
    // Writes all twelve "set_daochu_" keys, creating the file when needed.
    void ExportChoicesChanged(FormPort& form, const ProgramPaths& paths) override;
};

} // namespace sw
