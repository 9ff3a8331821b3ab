#pragma once

// The one crossing between the program's GBK text and Qt's UTF-16 strings.

#include <QString>

#include <string>
#include <string_view>

namespace sw {

QString ToQString(std::string_view gbk);
// A character that code page 936 lacks becomes "?".
std::string ToGbk(const QString& text);

} // namespace sw
