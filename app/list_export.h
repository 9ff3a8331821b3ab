#pragma once

// The list tools of the settings and home pages: "Daochu" ("导出列表") writes the
// result grid, limited to the columns ticked in "选择列表框1", to a file the user
// names; "按钮1" ("浏览...") picks the preferred export folder "编辑框9".
//
// The kind of file follows the chosen name's extension, in any letter case:
// .xlsx a workbook, .csv a CSV file, .txt a tab-separated text file. A name
// with none of them gets the save dialog's default extension. The file is
// written beside its final place and renamed over it, so a failed export never
// leaves half a file where an older one was.

#include "app/column_letters_library.h"
#include "shop/dialog_port.h"
#include "shop/form_port.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

enum class ExportKind { Workbook, Csv, Text };

// The kind named by the extension of path (GBK), or none.
std::optional<ExportKind> ExportKindOf(std::string_view path);

// The grid columns to export: the checked items of "选择列表框1", in order,
// that the grid has.
std::vector<int> CheckedExportColumns(FormPort& form);

// The save dialog of an export, proposing previousPath.
SaveDialogRequest ExportSaveRequest(const FormPort& form, const std::string& previousPath);

class ListExport {
public:
    ListExport(FormPort& form, DialogPort& dialogs, ColumnLetterSource& letters);

    // "Daochu" clicked. Problems are told in message boxes titled "导出"; a
    // finished export puts its row count and path in the status bar.
    void Export();
    // "按钮1" clicked: the chosen folder, or empty text on cancel, goes to "编辑框9".
    void ChooseExportFolder();

    // The path of the last export of this run, proposed by the next one.
    const std::string& PreviousPath() const { return previousPath_; }

private:
    bool WriteFile(ExportKind kind, const std::string& path, const std::vector<int>& columns);

    FormPort& form_;
    DialogPort& dialogs_;
    ColumnLetterSource& letters_;
    std::string previousPath_;
};

} // namespace sw
