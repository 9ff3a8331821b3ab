#include "app/list_export.h"

#include "app/column_letters_library.h"
#include "app/csv_writer.h"
#include "app/workbook_writer.h"
#include "shop/result_grid.h"
#include "tests/support/gbk_assert.h"
#include "tests/support/memory_form.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::G;
using test::ReadFileBytes;

// The cells of the first sheet of a workbook as UTF-8 texts by cell name,
// read from the package with unzip.
struct Sheet {
    std::map<std::string, std::string> cells;
    bool hasFormula = false;
};

std::string Unzip(const std::filesystem::path& file, const char* member) {
    const std::string command = "unzip -p '" + file.string() + "' " + member + " 2>/dev/null";
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        pclose(pipe);
    }
    return out;
}

std::string XmlText(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::strlen(entity), plain);
    }
    return text;
}

// The text of the first <t> element in xml, or none.
std::optional<std::string> FirstText(std::string_view xml) {
    const size_t open = xml.find("<t");
    const size_t start = open == std::string_view::npos ? open : xml.find('>', open);
    const size_t end = start == std::string_view::npos ? start : xml.find("</t>", start);
    if (end == std::string_view::npos)
        return std::nullopt;
    return XmlText(std::string(xml.substr(start + 1, end - start - 1)));
}

Sheet ReadSheet(const std::filesystem::path& file) {
    std::vector<std::string> shared;
    const std::string strings = Unzip(file, "xl/sharedStrings.xml");
    for (size_t at = strings.find("<si>"); at != std::string::npos; at = strings.find("<si>", at + 1)) {
        const size_t end = strings.find("</si>", at);
        shared.push_back(FirstText(std::string_view(strings).substr(at, end - at)).value_or("<bad item>"));
    }

    Sheet sheet;
    const std::string xml = Unzip(file, "xl/worksheets/sheet1.xml");
    sheet.hasFormula = xml.find("<f>") != std::string::npos || xml.find("<f ") != std::string::npos;
    for (size_t at = xml.find("<c r=\""); at != std::string::npos; at = xml.find("<c r=\"", at + 1)) {
        const size_t nameStart = at + 6;
        const std::string name = xml.substr(nameStart, xml.find('"', nameStart) - nameStart);
        const size_t tagEnd = xml.find('>', at);
        const std::string_view attributes = std::string_view(xml).substr(at, tagEnd - at);
        const size_t close = xml.find("</c>", tagEnd);
        const std::string_view body = std::string_view(xml).substr(tagEnd + 1, close - tagEnd - 1);
        std::string& text = sheet.cells[name];
        if (attributes.find("t=\"s\"") != std::string_view::npos) {
            const size_t v = body.find("<v>");
            text = v == std::string_view::npos ? "<bad index>" : shared.at(std::stoul(std::string(body.substr(v + 3))));
        } else if (attributes.find("t=\"inlineStr\"") != std::string_view::npos) {
            text = FirstText(body).value_or("<bad inline string>");
        } else {
            text = "<not a string>";
        }
    }
    return sheet;
}

// A path as the dialogs give it: GBK.
std::string GbkPath(const std::filesystem::path& path) {
    return Utf8ToGbk(path.string());
}

size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

class ListExportTest : public ::testing::Test {
protected:
    ListExportTest() {
        std::filesystem::copy_file(KELVANE_LIBRARY, program_ / "libkelvane.so");
        form_.checkItems[G("选择列表框1")] = std::vector<bool>(12, false);
        SetUpResultGrid(form_.grid);
    }

    void Check(std::initializer_list<int> items) {
        for (int item : items)
            form_.checkItems[G("选择列表框1")][static_cast<size_t>(item)] = true;
    }

    // Data rows of twelve cells; the cells not given are empty.
    void Rows(std::vector<std::vector<std::string>> rows) {
        for (auto& row : rows) {
            for (auto& text : row)
                text = G(text);
            row.resize(12);
        }
        form_.grid.ReplaceDataRows(std::move(rows));
    }

    void ExportTo(const std::filesystem::path& file) {
        dialogs_.saveAnswers.push_back(GbkPath(file));
        export_.Export();
    }

    test::TempFolder program_;
    test::TempFolder out_;
    test::MemoryForm form_;
    test::RecordingDialogs dialogs_;
    ColumnLettersLibrary letters_{program_.Path()};
    ListExport export_{form_, dialogs_, letters_};
};

TEST_F(ListExportTest, NothingCheckedIsToldAndAsksNoPath) {
    export_.Export();
    ASSERT_EQ(1u, dialogs_.messages.size());
    EXPECT_GBK_EQ(G("您还没有选择导出项目,请前往设置中心选择。"), dialogs_.messages[0].text);
    EXPECT_GBK_EQ(G("导出"), dialogs_.messages[0].title);
    EXPECT_EQ(MessageIcon::None, dialogs_.messages[0].icon);
    EXPECT_TRUE(dialogs_.saveRequests.empty());
}

TEST_F(ListExportTest, SaveDialogOpensInThePreferredFolderAndProposesThePreviousPath) {
    Check({0});
    form_.texts[G("编辑框9")] = G("/home/卖家/导出");
    export_.Export(); // cancelled
    ExportTo(out_ / "第一.txt");
    export_.Export(); // cancelled

    ASSERT_EQ(3u, dialogs_.saveRequests.size());
    const SaveDialogRequest& first = dialogs_.saveRequests[0];
    EXPECT_GBK_EQ(G("保存文件"), first.title);
    EXPECT_GBK_EQ(G("Excel文档(*.xlsx)|*.xlsx|Excel文档(*.CSV)|*.csv|记事本文档(*.txt)|*.txt"), first.filter);
    EXPECT_EQ(".csv", first.defaultExtension);
    EXPECT_GBK_EQ(G("/home/卖家/导出"), first.initialFolder);
    EXPECT_EQ("", first.proposedPath);
    EXPECT_GBK_EQ(GbkPath(out_ / "第一.txt"), dialogs_.saveRequests[2].proposedPath);
    EXPECT_EQ(1u, FilesIn(out_.Path()));
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ListExportTest, TextExportKeepsColumnsAlignedWithoutAFinalLineEnd) {
    Check({0, 2});
    Rows({{"1", "卖家甲", "江南丝绸"}, {"2", "卖家乙", ""}});
    const std::filesystem::path file = out_ / "店铺.txt";
    ExportTo(file);

    EXPECT_GBK_EQ(G("ID\t店铺名称\r\n1\t江南丝绸\r\n2\t"), ReadFileBytes(file));
    EXPECT_TRUE(dialogs_.messages.empty());
    ASSERT_EQ(1u, form_.hints.size());
    EXPECT_GBK_EQ(G("导出完成，共 2 条记录，已保存到 ") + GbkPath(file), form_.hints[0]);
    EXPECT_EQ(1u, FilesIn(out_.Path())) << "nothing left beside the file";
}

// RFC 4180 records of a whole file; every record ends with CR LF.
std::vector<std::vector<std::string>> ParseCsv(const std::string& bytes) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"')
                field.push_back(bytes[++i]);
            else if (c == '"')
                quoted = false;
            else
                field.push_back(c);
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
            records.back().push_back(std::move(field));
            field.clear();
            records.emplace_back();
        } else {
            field.push_back(c);
        }
    }
    EXPECT_TRUE(records.back().empty() && field.empty()) << "the last record ends with CR LF";
    records.pop_back();
    return records;
}

TEST_F(ListExportTest, CsvReadsBackCellForCell) {
    Check({1, 2, 11});
    Rows({{"1", "卖家,甲", "说\"好\"店", "https://a.example/1,https://a.example/2"},
          {"2", "=HYPERLINK(\"x\")", "两行\r\n店名", ""}});
    const std::filesystem::path file = out_ / "list.csv";
    ExportTo(file);

    const std::vector<std::vector<std::string>> expected = {
        {G("卖家旺旺名称"), G("店铺名称"), G("热销宝贝")},
        {G("卖家,甲"), G("说\"好\"店"), ""},
        {"'=HYPERLINK(\"x\")", G("两行\r\n店名"), ""},
    };
    EXPECT_EQ(expected, ParseCsv(ReadFileBytes(file)));
}

TEST(CsvFieldTest, QuotesAndGuardsFormulas) {
    const char* const cases[][2] = {
        {"plain", "plain"},
        {"", ""},
        {"a=b", "a=b"},
        {"=1+1", "'=1+1"},
        {"+86 571", "'+86 571"},
        {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"a,b", "\"a,b\""},
        {"a\nb", "\"a\nb\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"=a,b", "\"'=a,b\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(field, CsvField(text)) << text;
}

TEST_F(ListExportTest, WorkbookPutsTheFirstChosenColumnInColumnA) {
    Check({11});
    Rows({{"1", "", "", "", "", "", "", "", "", "", "", "https://item.example/1"}, {"2"}});
    const std::filesystem::path file = out_ / "hot.xlsx";
    ExportTo(file);

    const std::map<std::string, std::string> expected = {{"A1", "热销宝贝"}, {"A2", "https://item.example/1"}};
    EXPECT_EQ(expected, ReadSheet(file).cells);
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ListExportTest, WorkbookCellsAreStringsInBothMemoryModes) {
    Check({0, 2, 6});
    Rows({{"1", "", "=1+1", "", "", "", "99.5%"}, {"2", "", "<a & b>", "", "", "", "-3"}});
    const std::map<std::string, std::string> expected = {{"A1", "ID"}, {"B1", "店铺名称"}, {"C1", "好评率"},
                                                         {"A2", "1"},  {"B2", "=1+1"},     {"C2", "99.5%"},
                                                         {"A3", "2"},  {"B3", "<a & b>"},  {"C3", "-3"}};

    ExportTo(out_ / "shops.xlsx");
    const Sheet viaExport = ReadSheet(out_ / "shops.xlsx");
    EXPECT_EQ(expected, viaExport.cells);
    EXPECT_FALSE(viaExport.hasFormula);

    ASSERT_EQ(WorkbookResult::Written, WriteWorkbook(out_ / "streamed.xlsx", form_.grid, {0, 2, 6}, {"A", "B", "C"},
                                                     /*constantMemoryFromCells=*/0));
    const Sheet streamed = ReadSheet(out_ / "streamed.xlsx");
    EXPECT_EQ(expected, streamed.cells);
    EXPECT_FALSE(streamed.hasFormula);
}

TEST(WorkbookWriterTest, ColumnLettersNameSheetColumns) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"A", 0},           {"Z", 25},           {"AA", 26},           {"XFD", 16383},        {"XFE", std::nullopt},
        {"", std::nullopt}, {"a", std::nullopt}, {"A1", std::nullopt}, {"AAAA", std::nullopt}};
    for (const auto& [letters, column] : cases)
        EXPECT_EQ(column, SheetColumnOfLetters(letters)) << letters;
}

TEST_F(ListExportTest, KindFollowsTheExtensionInAnyCase) {
    Check({0, 1});
    Rows({{"1", "卖家甲"}});
    const struct {
        const char* typed;
        const char* written;
        const char* begins;
    } cases[] = {
        {"a.CSV", "a.CSV", "ID,"},          {"b", "b.csv", "ID,"},      {"c.2024", "c.2024.csv", "ID,"},
        {"d.csv.txt", "d.csv.txt", "ID\t"}, {"e.Txt", "e.Txt", "ID\t"}, {"f.XLSX", "f.XLSX", "PK"},
    };
    for (const auto& c : cases) {
        ExportTo(out_ / c.typed);
        EXPECT_EQ(0u, ReadFileBytes(out_ / c.written).find(c.begins)) << c.typed;
    }
    EXPECT_EQ(std::size(cases), FilesIn(out_.Path()));
    EXPECT_TRUE(dialogs_.messages.empty());
}

std::filesystem::path LibraryWithoutGetzimu() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&workbook_new), &info);
    return info.dli_fname;
}

TEST_F(ListExportTest, WithoutKelvaneOnlyTheWorkbookExportStops) {
    Check({0});
    struct {
        const char* name;
        std::filesystem::path library; // empty: no library at all
        const char* named;
    } cases[] = {{"missing library", {}, "libkelvane.so"}, {"missing export", LibraryWithoutGetzimu(), "Getzimu"}};
    for (const auto& c : cases) {
        test::TempFolder emptyProgram;
        if (!c.library.empty())
            std::filesystem::copy_file(c.library, emptyProgram / "libkelvane.so");
        ColumnLettersLibrary letters(emptyProgram.Path());
        test::RecordingDialogs dialogs;
        ListExport exporter(form_, dialogs, letters);
        dialogs.saveAnswers = {GbkPath(out_ / "shops.xlsx"), GbkPath(out_ / "shops.txt")};
        exporter.Export();
        exporter.Export();

        ASSERT_EQ(1u, dialogs.messages.size()) << c.name;
        EXPECT_GBK_EQ(G("导出"), dialogs.messages[0].title);
        EXPECT_EQ(MessageIcon::Error, dialogs.messages[0].icon);
        EXPECT_NE(std::string::npos, dialogs.messages[0].text.find(c.named))
            << test::Describe(dialogs.messages[0].text);
        EXPECT_FALSE(std::filesystem::exists(out_ / "shops.xlsx")) << c.name;
        EXPECT_TRUE(std::filesystem::exists(out_ / "shops.txt")) << "the next export still runs";
        std::filesystem::remove(out_ / "shops.txt");
    }
}

TEST_F(ListExportTest, UnwritableFileIsReportedAndAnOldFileSurvives) {
    Check({0});
    const std::filesystem::path missing = out_ / "no such folder" / "list.csv";
    ExportTo(missing);
    ASSERT_EQ(1u, dialogs_.messages.size());
    EXPECT_GBK_EQ(G("无法写入文件：") + GbkPath(missing), dialogs_.messages[0].text);
    EXPECT_EQ(MessageIcon::Error, dialogs_.messages[0].icon);
    EXPECT_TRUE(form_.hints.empty());

    // A directory where the file should go: the rename fails, the directory stays.
    std::filesystem::create_directory(out_ / "taken.txt");
    test::WriteFileBytes(out_ / "taken.txt" / "old", "old");
    ExportTo(out_ / "taken.txt");
    EXPECT_EQ(2u, dialogs_.messages.size());
    EXPECT_EQ("old", ReadFileBytes(out_ / "taken.txt" / "old"));
    EXPECT_EQ(1u, FilesIn(out_.Path())) << "no temporary file left";
}

TEST_F(ListExportTest, ExistingFileIsReplaced) {
    Check({0});
    test::WriteFileBytes(out_ / "list.txt", "an older, longer export");
    ExportTo(out_ / "list.txt");
    EXPECT_EQ("ID", ReadFileBytes(out_ / "list.txt"));
}

TEST_F(ListExportTest, BrowsingSetsThePreferredFolderAndCancelEmptiesIt) {
    form_.texts[G("编辑框9")] = G("/old");
    dialogs_.folderAnswers = {G("/home/卖家/导出"), std::nullopt};
    export_.ChooseExportFolder();
    EXPECT_GBK_EQ(G("/home/卖家/导出"), form_.Text(G("编辑框9")));
    export_.ChooseExportFolder();
    EXPECT_EQ("", form_.Text(G("编辑框9")));
    EXPECT_EQ(std::vector<std::string>(2, G("导出路径")), dialogs_.folderCaptions);
}

} // namespace
} // namespace sw
