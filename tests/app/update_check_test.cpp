#include "app/update_check.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/recording_dialogs.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

struct UpdateCase {
    const char* name;
    std::string record; // the body the update service answers (program text)
    bool opensWindow;
    std::vector<std::string> messages;
    std::vector<std::string> opened;
    std::string hint;
};

TEST(UpdateCheckTest, TheRecordDecidesHowTheProgramStarts) {
    const std::string fail = G("检测最新版本失败！ 官网：https://maker.test");
    const std::string notice = G("新版本");
    auto record = [&](const char* version, const char* degree, const char* url = "https://maker.test/d") {
        return std::string("{\"version\":\"") + version + "\",\"degree\":\"" + degree + "\",\"notice\":\"" + notice +
               "\",\"url\":\"" + url + "\"}";
    };
    const UpdateCase cases[] = {
        {"same version", record("1.0", "1"), true, {}, {}, ""},
        {"older version", record("0.9", "1"), true, {}, {}, ""},
        {"within the tolerance", record("1.00000001", "1"), true, {}, {}, ""},
        {"no version", "{\"degree\":\"1\"}", true, {}, {}, ""},
        {"full-width version", record("\xA3\xB1\xA3\xAE\xA3\xB1", "3"), false, {notice}, {}, ""}, // １．１
        {"degree 1", record("2", "1"), false, {notice}, {"https://maker.test/d"}, ""},
        {"degree 1 with a local file", record("2", "1", "file:///bin/sh"), false, {notice}, {}, ""},
        {"degree 2",
         record("1.1", "2"),
         true,
         {notice},
         {},
         G("检测到有新版，建议您更新到最新版本。下载地址：https://maker.test/d")},
        {"degree 2 without url",
         "{\"version\":\"1.1\",\"degree\":\"2\"}",
         true,
         {""},
         {},
         G("检测到有新版，建议您更新到最新版本。下载地址：")},
        {"degree 3", record("1.5", "3"), false, {notice}, {}, ""},
        {"degree 9", record("1.5", "9"), false, {}, {}, ""},
        {"degree compared as text", record("1.5", " 2"), false, {}, {}, ""},
        {"empty body", "", false, {fail}, {}, ""},
        {"html page", "<html>502</html>", false, {fail}, {}, ""},
        {"null", "null", false, {fail}, {}, ""},
    };
    ServiceSettings services = DefaultServiceSettings();
    services.updateHost = "127.0.0.1:9";
    services.makerAddress = "https://maker.test";
    for (const UpdateCase& c : cases) {
        test::RecordingDialogs dialogs;
        std::vector<std::string> asked;
        StartDecision decision = CheckForUpdate(dialogs, services, [&](const std::string& address) {
            asked.push_back(address);
            return c.record;
        });
        EXPECT_EQ((std::vector<std::string>{"http://127.0.0.1:9/soft/stallwatch_info.php"}), asked) << c.name;
        EXPECT_EQ(c.opensWindow, decision.openWindow) << c.name;
        EXPECT_GBK_EQ(c.hint, decision.hint) << c.name;
        std::vector<std::string> texts;
        for (const auto& m : dialogs.messages) {
            texts.push_back(m.text);
            EXPECT_GBK_EQ(G("更新"), m.title) << c.name;
            EXPECT_EQ(MessageIcon::Information, m.icon) << c.name;
        }
        EXPECT_EQ(c.messages, texts) << c.name;
        EXPECT_EQ(c.opened, dialogs.openedAddresses) << c.name;
    }
}

} // namespace
} // namespace sw
