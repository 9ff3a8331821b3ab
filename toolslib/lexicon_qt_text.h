#pragma once

// The lexicon's crossing between its GBK text and Qt's UTF-16 strings.

#include "text/code_page.h"

#include <QString>

#include <string>
#include <string_view>

namespace sw {

inline QString LexiconQString(std::string_view gbk) {
    const std::u16string units = GbkToUtf16Units(gbk);
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

// A character that code page 936 lacks becomes "?".
inline std::string LexiconGbk(const QString& text) {
    return Utf16UnitsToGbk(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

} // namespace sw
