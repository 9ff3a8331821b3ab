#include "text/service_settings.h"

#include "text/code_page.h"
#include "text/ini_file.h"
#include "text/module_folder.h"

#include <system_error>

namespace sw {

namespace {

constexpr std::string_view kSection = "services";
constexpr std::string_view kHomePageName = "/pinglun.html";

// An empty value counts as missing, so a key left blank keeps the default.
void ReadSetting(const IniFile& file, std::string_view key, std::string& setting) {
    std::string value = file.Read(kSection, key);
    if (!value.empty())
        setting = std::move(value);
}

// The file's text is GBK, so the folder is joined in GBK too and the bytes of
// the setting are kept exactly as written.
std::string ResolveAgainst(const std::filesystem::path& folder, const std::string& caFile) {
    if (caFile.empty() || caFile.front() == '/')
        return caFile;
    std::error_code error;
    const std::filesystem::path absoluteFolder = std::filesystem::absolute(folder, error);
    if (error)
        return caFile;
    std::string resolved = Utf8ToGbk(absoluteFolder.native());
    if (resolved.empty() || resolved.back() != '/')
        resolved.push_back('/');
    return resolved + caFile;
}

} // namespace

ServiceSettings DefaultServiceSettings() {
    ServiceSettings settings;
    settings.shopSearchHost = "s.taobao.com";
    settings.connectivityProbeAddress = "https://www.taobao.com/";
    settings.updateHost = "update.stallwatch.example";
    settings.makerAddress = "https://stallwatch.example";
    settings.homePageAddress = settings.makerAddress + std::string(kHomePageName);
    settings.itemSearchHost = "s.taobao.com";
    settings.suggestHost = "suggest.taobao.com";
    return settings;
}

ServiceSettings LoadServiceSettings(const std::filesystem::path& iniPath) {
    ServiceSettings settings = DefaultServiceSettings();
    IniFile file;
    if (!file.Load(iniPath))
        return settings;
    ReadSetting(file, "ShopSearchHost", settings.shopSearchHost);
    ReadSetting(file, "ConnectivityProbeAddress", settings.connectivityProbeAddress);
    ReadSetting(file, "UpdateHost", settings.updateHost);
    ReadSetting(file, "MakerAddress", settings.makerAddress);
    // The home page lives on the maker's site unless it is set on its own.
    settings.homePageAddress = settings.makerAddress + std::string(kHomePageName);
    ReadSetting(file, "HomePageAddress", settings.homePageAddress);
    ReadSetting(file, "ItemSearchHost", settings.itemSearchHost);
    ReadSetting(file, "SuggestHost", settings.suggestHost);
    ReadSetting(file, "CaFile", settings.caFile);
    settings.caFile = ResolveAgainst(iniPath.parent_path(), settings.caFile);
    return settings;
}

namespace {

std::optional<ServiceSettings>& TestSettings() {
    static std::optional<ServiceSettings> settings;
    return settings;
}

} // namespace

void SetServicesForTesting(std::optional<ServiceSettings> settings) {
    TestSettings() = std::move(settings);
}

const ServiceSettings& Services() {
    if (const std::optional<ServiceSettings>& forTests = TestSettings())
        return *forTests;
    static const ServiceSettings settings = [] {
        const std::filesystem::path folder = ModuleFolder();
        return folder.empty() ? DefaultServiceSettings() : LoadServiceSettings(folder / "db" / "services.ini");
    }();
    return settings;
}

} // namespace sw
