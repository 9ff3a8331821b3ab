#include "app/qt_text.h"

#include "text/code_page.h"

namespace sw {

QString ToQString(std::string_view gbk) {
    const std::u16string units = GbkToUtf16Units(gbk);
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

std::string ToGbk(const QString& text) {
    return Utf16UnitsToGbk(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

} // namespace sw
