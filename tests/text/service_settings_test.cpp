#include "text/service_settings.h"

#include "text/ini_file.h"
#include "text/module_folder.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace sw {
namespace {

using Field = std::string ServiceSettings::*;

struct NamedField {
    const char* key;
    Field field;
};

constexpr NamedField kFields[] = {
    {"ShopSearchHost", &ServiceSettings::shopSearchHost},
    {"ConnectivityProbeAddress", &ServiceSettings::connectivityProbeAddress},
    {"UpdateHost", &ServiceSettings::updateHost},
    {"MakerAddress", &ServiceSettings::makerAddress},
    {"HomePageAddress", &ServiceSettings::homePageAddress},
    {"ItemSearchHost", &ServiceSettings::itemSearchHost},
    {"SuggestHost", &ServiceSettings::suggestHost},
    {"CaFile", &ServiceSettings::caFile},
};

void ExpectSettingsEq(const ServiceSettings& expected, const ServiceSettings& actual) {
    for (const NamedField& f : kFields) {
        SCOPED_TRACE(f.key);
        EXPECT_GBK_EQ(expected.*f.field, actual.*f.field);
    }
}

TEST(ServiceSettingsTest, Defaults) {
    const ServiceSettings d = DefaultServiceSettings();
    EXPECT_EQ("s.taobao.com", d.shopSearchHost);
    EXPECT_EQ("https://www.taobao.com/", d.connectivityProbeAddress);
    EXPECT_EQ("update.stallwatch.example", d.updateHost);
    EXPECT_EQ("https://stallwatch.example", d.makerAddress);
    EXPECT_EQ("https://stallwatch.example/pinglun.html", d.homePageAddress);
    EXPECT_EQ("s.taobao.com", d.itemSearchHost);
    EXPECT_EQ("suggest.taobao.com", d.suggestHost);
    EXPECT_EQ("", d.caFile);
}

constexpr const char* kFolderMark = "<folder>/";

struct SettingsCase {
    const char* name;
    std::optional<std::string> file; // nullopt: no file at all
    // Fields that differ from the defaults; kFolderMark stands for the folder of the file.
    std::vector<std::pair<Field, std::string>> changed;
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<SettingsCase> SettingsCases() {
    return {
        {"MissingFile", std::nullopt, {}},
        {"EmptyFile", "", {}},
        {"OtherSectionOnly", "[other]\r\nShopSearchHost=x.example\r\n", {}},
        {"EmptyValuesKeepDefaults", "[services]\r\nShopSearchHost=\r\nCaFile=  \r\nMakerAddress=\"\"\r\n", {}},
        {"PartialFile",
         "; loopback\r\n[services]\r\nSuggestHost=localhost\r\nUpdateHost=u.example\r\n",
         {{&ServiceSettings::suggestHost, "localhost"}, {&ServiceSettings::updateHost, "u.example"}}},
        {"HostWithPort",
         "[services]\r\nShopSearchHost=127.0.0.1:18443\r\nItemSearchHost=127.0.0.1:18444\r\n",
         {{&ServiceSettings::shopSearchHost, "127.0.0.1:18443"},
          {&ServiceSettings::itemSearchHost, "127.0.0.1:18444"}}},
        {"MakerAddressMovesHomePage",
         "[services]\r\nMakerAddress=http://127.0.0.1:18080\r\n",
         {{&ServiceSettings::makerAddress, "http://127.0.0.1:18080"},
          {&ServiceSettings::homePageAddress, "http://127.0.0.1:18080/pinglun.html"}}},
        {"HomePageSetOnItsOwn",
         "[services]\r\nHomePageAddress=http://127.0.0.1:18080/about\r\nMakerAddress=http://m.example\r\n",
         {{&ServiceSettings::makerAddress, "http://m.example"},
          {&ServiceSettings::homePageAddress, "http://127.0.0.1:18080/about"}}},
        {"RelativeCaFileResolved",
         "[services]\r\nCaFile=certs/ca.pem\r\n",
         {{&ServiceSettings::caFile, std::string(kFolderMark) + "certs/ca.pem"}}},
        {"AbsoluteCaFileKept",
         "[services]\nCaFile=/etc/ssl/extra.pem\n",
         {{&ServiceSettings::caFile, "/etc/ssl/extra.pem"}}},
        {"NamesIgnoreLetterCase",
         "[SERVICES]\nshopsearchhost= a.example \nCONNECTIVITYPROBEADDRESS=http://127.0.0.1:1/\n",
         {{&ServiceSettings::shopSearchHost, "a.example"},
          {&ServiceSettings::connectivityProbeAddress, "http://127.0.0.1:1/"}}},
    };
}

class ServiceSettingsFileTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(ServiceSettingsFileTest, Loads) {
    const SettingsCase& c = GetParam();
    test::TempFolder folder;
    const auto path = folder / "services.ini";
    if (c.file)
        test::WriteFileBytes(path, *c.file);
    ServiceSettings expected = DefaultServiceSettings();
    for (const auto& [field, value] : c.changed) {
        expected.*field = value;
        if (value.starts_with(kFolderMark))
            expected.*field = (folder.Path() / value.substr(std::string(kFolderMark).size())).string();
    }
    ExpectSettingsEq(expected, LoadServiceSettings(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, ServiceSettingsFileTest, ::testing::ValuesIn(SettingsCases()),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ServiceSettingsTest, EveryKeyRead) {
    test::TempFolder folder;
    std::string file = "[services]\r\n";
    for (const NamedField& f : kFields)
        file += std::string(f.key) + "=/v/" + f.key + "\r\n";
    test::WriteFileBytes(folder / "services.ini", file);
    const ServiceSettings settings = LoadServiceSettings(folder / "services.ini");
    for (const NamedField& f : kFields)
        EXPECT_EQ(std::string("/v/") + f.key, settings.*f.field) << f.key;
}

TEST(ModuleFolderTest, TestProgramFolder) {
    const std::filesystem::path folder = ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(std::filesystem::read_symlink("/proc/self/exe").parent_path(), folder);
}

TEST(ServiceSettingsTest, ServicesReadOnceFromDbBesideBinary) {
    const ServiceSettings& first = Services();
    EXPECT_EQ(&first, &Services());
    ExpectSettingsEq(LoadServiceSettings(ModuleFolder() / "db" / "services.ini"), first);
}

// The tests run from build/tests; the program folder with the shipped file is build/bin.
TEST(ServiceSettingsTest, ShippedFileHoldsTheDefaults) {
    const auto shipped = ModuleFolder().parent_path() / "bin" / "db" / "services.ini";
    ASSERT_TRUE(std::filesystem::exists(shipped)) << shipped;
    const std::string bytes = test::ReadFileBytes(shipped);
    for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << "byte " << i;
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "line end at " << i;
        }
    }
    ExpectSettingsEq(DefaultServiceSettings(), LoadServiceSettings(shipped));
}

} // namespace
} // namespace sw
