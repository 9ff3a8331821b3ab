#include "app/list_export.h"

#include "app/csv_writer.h"
#include "app/text_export_writer.h"
#include "app/workbook_writer.h"
#include "text/code_page.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace sw {

namespace {

const std::string& Title() {
    static const std::string title = Gbk("导出");
    return title;
}

const std::string& FolderBox() {
    static const std::string name = Gbk("编辑框9");
    return name;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// The extension of the last path component, dot included. "/" and "." are
// never the second byte of a GBK character, so the byte search is safe.
std::string_view ExtensionOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

// A sibling of target that no one else writes; the export goes there first.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static unsigned counter = 0;
    std::string name = ".";
    name.append(target.filename().string())
        .append(".")
        .append(std::to_string(::getpid()))
        .append(".")
        .append(std::to_string(counter++))
        .append(".part");
    return target.parent_path() / name;
}

} // namespace

std::optional<ExportKind> ExportKindOf(std::string_view path) {
    const std::string_view extension = ExtensionOf(path);
    if (EqualsIgnoringCase(extension, ".xlsx"))
        return ExportKind::Workbook;
    if (EqualsIgnoringCase(extension, ".csv"))
        return ExportKind::Csv;
    if (EqualsIgnoringCase(extension, ".txt"))
        return ExportKind::Text;
    return std::nullopt;
}

std::vector<int> CheckedExportColumns(FormPort& form) {
    const std::string list = Gbk("选择列表框1");
    const int items = form.CheckItemCount(list);
    const int gridColumns = form.Grid().ColumnCount();
    std::vector<int> columns;
    for (int item = 0; item < items && item < gridColumns; ++item) {
        if (form.IsItemChecked(list, item))
            columns.push_back(item);
    }
    return columns;
}

SaveDialogRequest ExportSaveRequest(const FormPort& form, const std::string& previousPath) {
    SaveDialogRequest request;
    request.title = Gbk("保存文件");
    request.filter = Gbk("Excel文档(*.xlsx)|*.xlsx|Excel文档(*.CSV)|*.csv|记事本文档(*.txt)|*.txt");
    request.defaultExtension = ".csv";
    request.initialFolder = form.Text(FolderBox());
    request.proposedPath = previousPath;
    return request;
}

ListExport::ListExport(FormPort& form, DialogPort& dialogs, ColumnLetterSource& letters)
    : form_(form), dialogs_(dialogs), letters_(letters) {}

void ListExport::Export() {
    const std::vector<int> columns = CheckedExportColumns(form_);
    if (columns.empty()) {
        dialogs_.ShowMessage(Gbk("您还没有选择导出项目,请前往设置中心选择。"), Title(), MessageIcon::None);
        return;
    }
    const SaveDialogRequest request = ExportSaveRequest(form_, previousPath_);
    const std::optional<std::string> chosen = dialogs_.ChooseSaveFile(request);
    if (!chosen || chosen->empty())
        return;
    // The dialog adds the chosen filter's extension to a bare name; a name that
    // still has none of ours gets the default one.
    std::string path = *chosen;
    if (!ExportKindOf(path))
        path += request.defaultExtension;
    previousPath_ = path;
    if (WriteFile(*ExportKindOf(path), path, columns)) {
        const int shops = form_.Grid().RowCount() - 1;
        form_.ShowHint(Gbk("导出完成，共 ") + std::to_string(shops) + Gbk(" 条记录，已保存到 ") + path);
    }
}

bool ListExport::WriteFile(ExportKind kind, const std::string& path, const std::vector<int>& columns) {
    std::vector<std::string> letters;
    if (kind == ExportKind::Workbook) {
        std::string problem;
        if (!letters_.Prepare(problem)) {
            dialogs_.ShowMessage(problem, Title(), MessageIcon::Error);
            return false;
        }
        for (size_t i = 0; i < columns.size(); ++i)
            letters.push_back(letters_.Letters(static_cast<int>(i + 1)));
    }

    const std::filesystem::path target(GbkToUtf8(path));
    const std::filesystem::path temporary = TemporaryBeside(target);
    const GridPort& grid = form_.Grid();
    bool written = false;
    switch (kind) {
    case ExportKind::Workbook: {
        const WorkbookResult result = WriteWorkbook(temporary, grid, columns, letters);
        if (result == WorkbookResult::BadColumnName) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            dialogs_.ShowMessage(Gbk("组件库 libkelvane.so 的 Getzimu 给出了无效的列名，无法导出。"), Title(),
                                 MessageIcon::Error);
            return false;
        }
        written = result == WorkbookResult::Written;
        break;
    }
    case ExportKind::Csv:
        written = WriteCsv(temporary, grid, columns);
        break;
    case ExportKind::Text:
        written = WriteTextExport(temporary, grid, columns);
        break;
    }
    std::error_code error;
    if (written)
        std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        dialogs_.ShowMessage(Gbk("无法写入文件：") + path, Title(), MessageIcon::Error);
        return false;
    }
    return true;
}

void ListExport::ChooseExportFolder() {
    const std::optional<std::string> folder = dialogs_.ChooseFolder(Gbk("导出路径"));
    form_.SetText(FolderBox(), folder.value_or(std::string()));
}

} // namespace sw
