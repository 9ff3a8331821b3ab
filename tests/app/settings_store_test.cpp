#include "app/settings_store.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/memory_form.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::G;
using test::MemoryForm;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::vector<ListItem> Items(std::initializer_list<const char*> texts) {
    std::vector<ListItem> items;
    for (const char* text : texts)
        items.push_back({G(text), 0});
    return items;
}

void AddList(MemoryForm& form, const char* name, std::vector<ListItem> items) {
    form.texts[G(name)] = items.front().text;
    form.selected[G(name)] = 0;
    form.items[G(name)] = std::move(items);
}

// The window's controls as creation leaves them.
MemoryForm WindowForm() {
    MemoryForm form;
    const char* const texts[][2] = {{"key", ""},        {"编辑框1", "100"},     {"page1", "1"},
                                    {"page2", "1"},     {"编辑框4", "1"},       {"编辑框5", "99999999"},
                                    {"编辑框6", "1"},   {"编辑框7", "9999999"}, {"编辑框2", "100"},
                                    {"编辑框3", "200"}, {"编辑框8", "100"},     {"编辑框9", ""}};
    for (const auto& [name, text] : texts)
        form.texts[G(name)] = G(text);
    AddList(form, "组合框1", Items({" 默认排序", " 销量排序", " 信用排序"}));
    AddList(form, "组合框2", Items({" 店铺类型", " 淘宝店", "    金冠店铺", " 天猫"}));
    AddList(form, "组合框3", Items({" 好评率", " 100%好评", " 不限"}));
    form.colours[G("颜色选择器1")] = 0x0000FF;
    form.colours[G("颜色选择器2")] = 0x00FF00;
    form.colours[G("颜色选择器3")] = 0xFF0000;
    form.checkItems[G("选择列表框1")] = std::vector<bool>(12, false);
    return form;
}

bool SameItems(const std::vector<ListItem>& a, const std::vector<ListItem>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].value != b[i].value)
            return false;
    }
    return true;
}

bool SameState(const MemoryForm& a, const MemoryForm& b) {
    if (a.texts != b.texts || a.selected != b.selected || a.colours != b.colours || a.checkItems != b.checkItems ||
        a.items.size() != b.items.size())
        return false;
    for (const auto& [name, items] : a.items) {
        if (!b.items.count(name) || !SameItems(items, b.items.at(name)))
            return false;
    }
    return true;
}

// Bytes of a literal that may hold NUL bytes.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

std::vector<bool> AllBut(int item) {
    std::vector<bool> checks(12, true);
    if (item >= 0)
        checks[static_cast<size_t>(item)] = false;
    return checks;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() {
        paths_.programFolder = folder_.Path();
        paths_.dataFolder = folder_ / "db" / "";
        paths_.settingsFile = paths_.dataFolder / "zedozode.cfg";
        std::filesystem::create_directories(paths_.dataFolder);
    }

    void WriteSettings(std::string_view utf8) { WriteFileBytes(paths_.settingsFile, G(utf8)); }

    test::TempFolder folder_;
    ProgramPaths paths_;
    SettingsStore store_;
};

TEST_F(SettingsStoreTest, SaveWritesEverySettingInOrderInOneFile) {
    MemoryForm form = WindowForm();
    store_.SaveSettings(form, paths_);

    const std::string expected =
        G("[编辑框]\r\n"
          "key=\r\n编辑框1=100\r\npage1=1\r\npage2=1\r\n编辑框4=1\r\n编辑框5=99999999\r\n"
          "编辑框6=1\r\n编辑框7=9999999\r\n编辑框2=100\r\n编辑框3=200\r\n编辑框8=100\r\n"
          "编辑框9=\r\n"
          "[DorUzuZede]\r\n"
          "color_1=255\r\ncolor_2=65280\r\ncolor_3=16711680\r\n"
          "set_daochu_0=假\r\nset_daochu_1=假\r\nset_daochu_2=假\r\nset_daochu_3=假\r\n"
          "set_daochu_4=假\r\nset_daochu_5=假\r\nset_daochu_6=假\r\nset_daochu_7=假\r\n"
          "set_daochu_8=假\r\nset_daochu_9=假\r\nset_daochu_10=假\r\nset_daochu_11=假\r\n"
          "[组合框]\r\n"
          "组合框1= 默认排序<|>0<||> 销量排序<|>0<||> 信用排序<|>0<||>0<|> 默认排序\r\n"
          "组合框2= 店铺类型<|>0<||> 淘宝店<|>0<||>    金冠店铺<|>0<||> 天猫<|>0<||>0<|> 店铺类型\r\n"
          "组合框3= 好评率<|>0<||> 100%好评<|>0<||> 不限<|>0<||>0<|> 好评率\r\n");
    EXPECT_GBK_EQ(expected, ReadFileBytes(paths_.settingsFile));
    // Written through one temporary file, none left behind.
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(paths_.dataFolder),
                               std::filesystem::directory_iterator()));
}

TEST_F(SettingsStoreTest, EverySettingComesBackAfterARestart) {
    MemoryForm before = WindowForm();
    before.texts[G("key")] = G("女装\r\n童装");
    before.texts[G("编辑框1")] = "";
    before.texts[G("page1")] = "  7  ";
    before.texts[G("编辑框8")] = G("a\nb");
    before.texts[G("编辑框9")] = G("/home/卖家/导出");
    before.colours[G("颜色选择器2")] = 0x123456;
    before.checkItems[G("选择列表框1")] = AllBut(3);
    before.selected[G("组合框1")] = 1;
    before.texts[G("组合框1")] = G(" 销量排序");
    before.items[G("组合框3")] = {{G(" 甲"), 7}, {G(" 乙"), -2}, {G(" 丙"), 0}, {G(" 丁"), 40}};
    before.selected[G("组合框3")] = 3;
    before.texts[G("组合框3")] = G(" 丁");
    store_.SaveSettings(before, paths_);
    EXPECT_NE(std::string::npos, ReadFileBytes(paths_.settingsFile).find(G("key=女装><br><童装\r\n")));

    MemoryForm after = WindowForm();
    store_.RestoreSettings(after, paths_);

    const char* const texts[][2] = {
        {"key", "女装\r\n童装"}, // two lines
        {"编辑框1", "100"},      // emptied: the form's text
        {"page1", "7"},          // blanks trimmed
        {"编辑框8", "a\r\nb"},   // a lone line feed comes back as CR LF
        {"编辑框9", "/home/卖家/导出"},
        {"组合框1", " 销量排序"},
        {"组合框3", " 丁"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_GBK_EQ(G(text), after.Text(G(name))) << name;
    EXPECT_EQ(0x0000FFu, after.Colour(G("颜色选择器1")));
    EXPECT_EQ(0x123456u, after.Colour(G("颜色选择器2")));
    EXPECT_EQ(0xFF0000u, after.Colour(G("颜色选择器3")));
    EXPECT_EQ(AllBut(3), after.checkItems[G("选择列表框1")]);
    EXPECT_EQ(1, after.SelectedIndex(G("组合框1")));
    // The profile read drops the first item's leading blank; the others keep theirs.
    EXPECT_TRUE(SameItems({{G("默认排序"), 0}, {G(" 销量排序"), 0}, {G(" 信用排序"), 0}}, after.Items(G("组合框1"))));
    EXPECT_TRUE(SameItems({{G("甲"), 7}, {G(" 乙"), -2}, {G(" 丙"), 0}, {G(" 丁"), 40}}, after.Items(G("组合框3"))));
    EXPECT_EQ(3, after.SelectedIndex(G("组合框3")));
    EXPECT_EQ("1", ReadOwnSetting(paths_.settingsFile, "onehome"));
}

struct RestoreCase {
    const char* name;
    const char* file; // UTF-8
    std::function<void(MemoryForm&)> expect;
};

void PrintTo(const RestoreCase& c, std::ostream* os) {
    *os << c.name;
}

class RestoreTest : public SettingsStoreTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, FromFile) {
    WriteSettings(GetParam().file);
    MemoryForm form = WindowForm();
    store_.RestoreSettings(form, paths_);
    GetParam().expect(form);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreTest,
    ::testing::Values(RestoreCase{"NoExportKeysChecksAll", "[DorUzuZede]\r\nonehome=1\r\n",
                                  [](MemoryForm& f) { EXPECT_EQ(AllBut(-1), f.checkItems[G("选择列表框1")]); }},
                      RestoreCase{"FalseForItemThree", "[DorUzuZede]\r\nset_daochu_3=假\r\n",
                                  [](MemoryForm& f) { EXPECT_EQ(AllBut(3), f.checkItems[G("选择列表框1")]); }},
                      RestoreCase{"FourItemListReplacesTheFormItems",
                                  "[组合框]\r\n组合框2= 甲<|>1<||> 乙<|>2<||> 丙<|>3<||> 丁<|>4<||>2<|> 丙 \r\n",
                                  [](MemoryForm& f) {
                                      EXPECT_TRUE(SameItems({{G("甲"), 1}, {G(" 乙"), 2}, {G(" 丙"), 3}, {G(" 丁"), 4}},
                                                            f.Items(G("组合框2"))));
                                      EXPECT_EQ(2, f.SelectedIndex(G("组合框2")));
                                      EXPECT_GBK_EQ(G(" 丙"), f.Text(G("组合框2")));
                                  }},
                      RestoreCase{"EmptyValuesKeepTheForm", "[编辑框]\r\n编辑框1=\r\n[组合框]\r\n组合框1=\r\n",
                                  [](MemoryForm& f) {
                                      EXPECT_GBK_EQ("100", f.Text(G("编辑框1")));
                                      EXPECT_EQ(3u, f.Items(G("组合框1")).size());
                                  }},
                      RestoreCase{"MissingOrOddColoursAreBlack", "[DorUzuZede]\r\ncolor_1=red\r\ncolor_3=65280\r\n",
                                  [](MemoryForm& f) {
                                      EXPECT_EQ(0u, f.Colour(G("颜色选择器1")));
                                      EXPECT_EQ(0u, f.Colour(G("颜色选择器2")));
                                      EXPECT_EQ(0x00FF00u, f.Colour(G("颜色选择器3")));
                                  }},
                      RestoreCase{"EmptyFileIsAnEmptySettingsFile", "",
                                  [](MemoryForm& f) { EXPECT_EQ(AllBut(-1), f.checkItems[G("选择列表框1")]); }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SettingsStoreTest, RestoreMarksTheHomeShortcutOnlyWhenUnmarked) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"[编辑框]\r\nkey=a\r\n", "[编辑框]\r\nkey=a\r\n[DorUzuZede]\r\nonehome=1\r\n"},
        {"[DorUzuZede]\r\nonehome=\r\n", "[DorUzuZede]\r\nonehome=1\r\n"},
        {"[DorUzuZede]\r\nonehome=2\r\n", "[DorUzuZede]\r\nonehome=2\r\n"},
    };
    for (const auto& c : cases) {
        WriteSettings(c.before);
        MemoryForm form = WindowForm();
        store_.RestoreSettings(form, paths_);
        EXPECT_GBK_EQ(G(c.after), ReadFileBytes(paths_.settingsFile));
    }
}

TEST_F(SettingsStoreTest, GarbageRestoresNothingAndIsReplacedOnSave) {
    const std::string garbage[] = {
        Bytes("[DorUzuZede]\r\nset_daochu_3=\0\r\n"), // NUL byte
        G("key=女装\r\n编辑框1=5\r\n"),               // no section header
        "[DorUzuZede]\r\ncolor_1=\xFF\xFF\r\n",       // not code page 936
        Bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"),
    };
    for (const std::string& bytes : garbage) {
        WriteFileBytes(paths_.settingsFile, bytes);
        MemoryForm form = WindowForm();
        store_.RestoreSettings(form, paths_);
        EXPECT_TRUE(SameState(WindowForm(), form)) << test::Describe(bytes);
        EXPECT_EQ(bytes, ReadFileBytes(paths_.settingsFile)) << "not even the home marker is written";

        store_.SaveSettings(form, paths_);
        EXPECT_TRUE(LooksLikeSettingsText(ReadFileBytes(paths_.settingsFile)));
        EXPECT_GBK_EQ("100", ReadProfileString(paths_.settingsFile, G("编辑框"), G("编辑框1")));
    }
}

TEST_F(SettingsStoreTest, ChangedExportChoicesAreWrittenAtOnce) {
    MemoryForm form = WindowForm();
    form.checkItems[G("选择列表框1")] = AllBut(0);
    store_.ExportChoicesChanged(form, paths_);
    EXPECT_GBK_EQ(G("[DorUzuZede]\r\nset_daochu_0=假\r\nset_daochu_1=真\r\nset_daochu_2=真\r\nset_daochu_3=真\r\n"
                    "set_daochu_4=真\r\nset_daochu_5=真\r\nset_daochu_6=真\r\nset_daochu_7=真\r\nset_daochu_8=真\r\n"
                    "set_daochu_9=真\r\nset_daochu_10=真\r\nset_daochu_11=真\r\n"),
                  ReadFileBytes(paths_.settingsFile))
        << "created when missing";

    WriteSettings("[编辑框]\r\nkey=a\r\n[DorUzuZede]\r\nonehome=1\r\nset_daochu_0=真\r\n");
    store_.ExportChoicesChanged(form, paths_);
    const std::string file = ReadFileBytes(paths_.settingsFile);
    EXPECT_EQ(0u, file.find(G("[编辑框]\r\nkey=a\r\n[DorUzuZede]\r\nonehome=1\r\nset_daochu_0=假\r\nset_daochu_1=真")));
}

TEST(DropDownValueTest, DecodesItemsAndState) {
    const struct {
        const char* value;
        std::vector<ListItem> items;
        int selected;
        const char* text;
    } cases[] = {
        {"a<|>1<||>b<|>x<|>2<||>1<|>b", {{"a", 1}, {"b", 2}}, 1, "b"}, // value after the last mark
        {"a<|>5<||>", {}, 0, "5"},                                     // a final mark adds no empty part
        {"-1<|>", {}, -1, ""},                                         // no items, none selected
        {"nomark<||>0<|>t", {{"", 0}}, 0, "t"},                        // an item without its mark
    };
    for (const auto& c : cases) {
        const DropDownState state = DecodeDropDown(c.value);
        EXPECT_TRUE(SameItems(c.items, state.items)) << c.value;
        EXPECT_EQ(c.selected, state.selectedIndex) << c.value;
        EXPECT_EQ(c.text, state.text) << c.value;
    }
}

} // namespace
} // namespace sw
