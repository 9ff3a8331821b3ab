#include "app/settings_store.h"

#include "text/code_page.h"
#include "text/number_text.h"
#include "text/text_cut.h"

#include <system_error>

namespace sw {

namespace {

constexpr std::string_view kLineBreakMark = "><br><";
constexpr std::string_view kFieldMark = "<|>";
constexpr std::string_view kItemMark = "<||>";

const std::string& EditBoxSection() {
    static const std::string section = Gbk("编辑框");
    return section;
}

const std::string& DropDownSection() {
    static const std::string section = Gbk("组合框");
    return section;
}

std::string ExportChoiceKey(int item) {
    return "set_daochu_" + std::to_string(item);
}

// A lone CR or LF would end the INI line early and lose the rest of the text,
// so every line break is kept; all come back as CR LF.
std::string EncodeLineBreaks(std::string_view text) {
    std::string encoded;
    encoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            encoded.append(kLineBreakMark);
        } else {
            encoded.push_back(text[i]);
        }
    }
    return encoded;
}

// Every mark begins with a byte that is never the second byte of a GBK
// character, so a plain byte search finds only whole marks.
std::string DecodeLineBreaks(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(kLineBreakMark); at != std::string_view::npos; at = text.find(kLineBreakMark, from)) {
        decoded.append(text.substr(from, at - from)).append("\r\n");
        from = at + kLineBreakMark.size();
    }
    decoded.append(text.substr(from));
    return decoded;
}

bool IsLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}

bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

bool IsWellFormedText(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\v' && b != '\f')
            return false;
        if (b == 0xFF)
            return false;
        if (IsLeadByte(b)) {
            if (i + 1 >= bytes.size() || !IsTrailByte(static_cast<unsigned char>(bytes[i + 1])))
                return false;
            ++i;
        }
    }
    return true;
}

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

// Whether some line starts (after blanks) with "[", and whether there is anything but blanks.
void ScanLines(std::string_view bytes, bool& hasContent, bool& hasSection) {
    hasContent = false;
    hasSection = false;
    bool atLineStart = true;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            atLineStart = true;
            continue;
        }
        if (IsBlankByte(c))
            continue;
        hasContent = true;
        if (atLineStart && c == '[') {
            hasSection = true;
            return;
        }
        atLineStart = false;
    }
}

// The document a save starts from: the file as it is, or an empty one when it
// is missing or not a settings file. False when the file exists but cannot be
// read, so a save does not replace what it could not see.
bool LoadForSaving(const std::filesystem::path& path, IniFile& file) {
    if (!file.Load(path)) {
        std::error_code error;
        return !std::filesystem::exists(path, error) && !error;
    }
    if (!LooksLikeSettingsText(file.Bytes()))
        file = IniFile();
    return true;
}

bool LoadForRestoring(const std::filesystem::path& path, IniFile& file) {
    return file.Load(path) && LooksLikeSettingsText(file.Bytes());
}

} // namespace

const std::vector<std::string>& SettingsEditBoxes() {
    static const std::vector<std::string> names = {Gbk("key"),     Gbk("编辑框1"), Gbk("page1"),   Gbk("page2"),
                                                   Gbk("编辑框4"), Gbk("编辑框5"), Gbk("编辑框6"), Gbk("编辑框7"),
                                                   Gbk("编辑框2"), Gbk("编辑框3"), Gbk("编辑框8"), Gbk("编辑框9")};
    return names;
}

const std::vector<std::string>& SettingsDropDownLists() {
    static const std::vector<std::string> names = {Gbk("组合框1"), Gbk("组合框2"), Gbk("组合框3")};
    return names;
}

const std::vector<std::string>& SettingsColourPickers() {
    static const std::vector<std::string> names = {Gbk("颜色选择器1"), Gbk("颜色选择器2"), Gbk("颜色选择器3")};
    return names;
}

const std::string& ExportChoiceList() {
    static const std::string name = Gbk("选择列表框1");
    return name;
}

std::string EncodeDropDown(const DropDownState& state) {
    std::string value;
    for (const ListItem& item : state.items)
        value.append(item.text).append(kFieldMark).append(std::to_string(item.value)).append(kItemMark);
    value.append(std::to_string(state.selectedIndex)).append(kFieldMark).append(state.text);
    return value;
}

DropDownState DecodeDropDown(std::string_view value) {
    std::vector<std::string_view> parts;
    size_t from = 0;
    for (size_t at = value.find(kItemMark); at != std::string_view::npos; at = value.find(kItemMark, from)) {
        parts.push_back(value.substr(from, at - from));
        from = at + kItemMark.size();
    }
    if (from < value.size() || parts.empty())
        parts.push_back(value.substr(from));

    DropDownState state;
    for (size_t i = 0; i + 1 < parts.size(); ++i)
        state.items.push_back({TextBefore(parts[i], kFieldMark), TextToInt64(TextAfter(parts[i], kFieldMark))});
    state.selectedIndex = TextToInt(TextBefore(parts.back(), kFieldMark));
    state.text = TextAfter(parts.back(), kFieldMark);
    return state;
}

bool LooksLikeSettingsText(std::string_view bytes) {
    if (!IsWellFormedText(bytes))
        return false;
    bool hasContent = false;
    bool hasSection = false;
    ScanLines(bytes, hasContent, hasSection);
    return hasSection || !hasContent;
}

void SaveEditBoxes(const FormPort& form, IniFile& file) {
    for (const std::string& box : SettingsEditBoxes())
        file.Write(EditBoxSection(), box, EncodeLineBreaks(form.Text(box)));
}

void RestoreEditBoxes(FormPort& form, const IniFile& file) {
    for (const std::string& box : SettingsEditBoxes()) {
        const std::string value = file.Read(EditBoxSection(), box);
        if (!value.empty())
            form.SetText(box, DecodeLineBreaks(value));
    }
}

void SaveColours(const FormPort& form, IniFile& file) {
    const auto& pickers = SettingsColourPickers();
    for (size_t i = 0; i < pickers.size(); ++i)
        file.Write(kOwnSettingsSection, "color_" + std::to_string(i + 1), std::to_string(form.Colour(pickers[i])));
}

void RestoreColours(FormPort& form, const IniFile& file) {
    const auto& pickers = SettingsColourPickers();
    for (size_t i = 0; i < pickers.size(); ++i) {
        const std::string value = file.Read(kOwnSettingsSection, "color_" + std::to_string(i + 1));
        form.SetColour(pickers[i], static_cast<RgbColour>(TextToInt64(value)));
    }
}

bool MarkHomeShortcutMade(IniFile& file) {
    if (!file.Read(kOwnSettingsSection, "onehome").empty())
        return false;
    file.Write(kOwnSettingsSection, "onehome", "1");
    return true;
}

void SaveExportChoices(const FormPort& form, IniFile& file) {
    const int count = form.CheckItemCount(ExportChoiceList());
    for (int item = 0; item < count; ++item)
        file.Write(kOwnSettingsSection, ExportChoiceKey(item), TruthText(form.IsItemChecked(ExportChoiceList(), item)));
}

void RestoreExportChoices(FormPort& form, const IniFile& file) {
    const std::string yes = TruthText(true);
    const int count = form.CheckItemCount(ExportChoiceList());
    for (int item = 0; item < count; ++item) {
        if (file.Read(kOwnSettingsSection, ExportChoiceKey(item), yes) == yes)
            form.SetItemChecked(ExportChoiceList(), item, true);
    }
}

void SaveDropDownLists(const FormPort& form, IniFile& file) {
    for (const std::string& list : SettingsDropDownLists()) {
        DropDownState state{form.Items(list), form.SelectedIndex(list), form.Text(list)};
        file.Write(DropDownSection(), list, EncodeDropDown(state));
    }
}

void RestoreDropDownLists(FormPort& form, const IniFile& file) {
    for (const std::string& list : SettingsDropDownLists()) {
        const std::string value = file.Read(DropDownSection(), list);
        if (value.empty())
            continue;
        const DropDownState state = DecodeDropDown(value);
        form.SetItems(list, state.items);
        form.SetSelectedIndex(list, state.selectedIndex);
        form.SetText(list, state.text);
    }
}

std::string ReadOwnSetting(const std::filesystem::path& settingsFile, std::string_view key,
                           std::string_view defaultValue) {
    IniFile file;
    if (!LoadForRestoring(settingsFile, file))
        return std::string(defaultValue);
    return file.Read(kOwnSettingsSection, key, defaultValue);
}

bool WriteOwnSetting(const std::filesystem::path& settingsFile, std::string_view key, std::string_view value) {
    IniFile file;
    if (!LoadForSaving(settingsFile, file))
        return false;
    file.Write(kOwnSettingsSection, key, value);
    return file.Save(settingsFile);
}

void SettingsStore::RestoreSettings(FormPort& form, const ProgramPaths& paths) {
    IniFile file;
    if (!LoadForRestoring(paths.settingsFile, file))
        return;
    RestoreEditBoxes(form, file);
    RestoreColours(form, file);
    if (MarkHomeShortcutMade(file))
        file.Save(paths.settingsFile);
    RestoreExportChoices(form, file);
    RestoreDropDownLists(form, file);
}

void SettingsStore::SaveSettings(FormPort& form, const ProgramPaths& paths) {
    IniFile file;
    if (!LoadForSaving(paths.settingsFile, file))
        return;
    SaveEditBoxes(form, file);
    SaveColours(form, file);
    SaveExportChoices(form, file);
    SaveDropDownLists(form, file);
    file.Save(paths.settingsFile);
}

void SettingsStore::ExportChoicesChanged(FormPort& form, const ProgramPaths& paths) {
    IniFile file;
    if (!LoadForSaving(paths.settingsFile, file))
        return;
    SaveExportChoices(form, file);
    file.Save(paths.settingsFile);
}

} // namespace sw
