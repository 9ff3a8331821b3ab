#include "app/workbook_writer.h"

#include "text/code_page.h"

#include <xlsxwriter.h>

namespace sw {

namespace {

// The most characters a cell holds; libxlsxwriter refuses longer strings.
constexpr size_t kCellCharacters = 32767;

// Cuts UTF-8 text to kCellCharacters characters.
void CutToCellLimit(std::string& utf8) {
    if (utf8.size() <= kCellCharacters)
        return;
    size_t characters = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
            continue;
        if (++characters > kCellCharacters) {
            utf8.resize(i);
            return;
        }
    }
}

class Workbook {
public:
    Workbook(const std::filesystem::path& file, bool constantMemory) {
        lxw_workbook_options options{};
        options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
        book_ = workbook_new_opt(file.c_str(), &options);
    }
    ~Workbook() {
        // A workbook abandoned half-way is freed without writing its file.
        if (book_ != nullptr)
            lxw_workbook_free(book_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* Get() const { return book_; }
    bool Close() {
        lxw_workbook* book = book_;
        book_ = nullptr;
        return workbook_close(book) == LXW_NO_ERROR;
    }

private:
    lxw_workbook* book_ = nullptr;
};

} // namespace

std::optional<int> SheetColumnOfLetters(std::string_view letters) {
    if (letters.empty() || letters.size() > 3)
        return std::nullopt;
    int number = 0;
    for (char c : letters) {
        if (c < 'A' || c > 'Z')
            return std::nullopt;
        number = number * 26 + (c - 'A' + 1);
    }
    if (number > LXW_COL_MAX)
        return std::nullopt;
    return number - 1;
}

WorkbookResult WriteWorkbook(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns,
                             const std::vector<std::string>& letters, std::size_t constantMemoryFromCells) {
    std::vector<lxw_col_t> sheetColumns;
    for (size_t i = 0; i < columns.size(); ++i) {
        const std::optional<int> column = i < letters.size() ? SheetColumnOfLetters(letters[i]) : std::nullopt;
        if (!column)
            return WorkbookResult::BadColumnName;
        sheetColumns.push_back(static_cast<lxw_col_t>(*column));
    }

    const int rows = grid.RowCount();
    const size_t cells = static_cast<size_t>(rows) * columns.size();
    Workbook book(file, cells >= constantMemoryFromCells);
    if (book.Get() == nullptr)
        return WorkbookResult::CannotWrite;
    lxw_worksheet* sheet = workbook_add_worksheet(book.Get(), nullptr);
    if (sheet == nullptr)
        return WorkbookResult::CannotWrite;
    std::string text;
    for (int row = 0; row < rows; ++row) {
        for (size_t i = 0; i < columns.size(); ++i) {
            text = GbkToUtf8(grid.CellText(row, columns[i]));
            // An empty text leaves the cell out, as Excel does.
            if (text.empty())
                continue;
            CutToCellLimit(text);
            if (worksheet_write_string(sheet, static_cast<lxw_row_t>(row), sheetColumns[i], text.c_str(), nullptr) !=
                LXW_NO_ERROR)
                return WorkbookResult::CannotWrite;
        }
    }
    return book.Close() ? WorkbookResult::Written : WorkbookResult::CannotWrite;
}

} // namespace sw
