#include "app/csv_writer.h"

#include <cstdio>

namespace sw {

namespace {

bool StartsLikeFormula(std::string_view text) {
    if (text.empty())
        return false;
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

// None of these bytes is ever the second byte of a GBK character, so a byte
// search cannot be fooled by Chinese text.
bool NeedsQuotes(std::string_view text) {
    return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view text) {
    const bool guard = StartsLikeFormula(text);
    if (!NeedsQuotes(text)) {
        if (guard)
            out.push_back('\'');
        out.append(text);
        return;
    }
    out.push_back('"');
    if (guard)
        out.push_back('\'');
    for (char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace

std::string CsvField(std::string_view text) {
    std::string field;
    AppendField(field, text);
    return field;
}

bool WriteCsv(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::string record;
    bool ok = true;
    const int rows = grid.RowCount();
    for (int row = 0; row < rows && ok; ++row) {
        record.clear();
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                record.push_back(',');
            AppendField(record, grid.CellText(row, columns[i]));
        }
        record.append("\r\n");
        ok = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    }
    return std::fclose(out) == 0 && ok;
}

} // namespace sw
