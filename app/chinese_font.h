#pragma once

// The window's font: SimSun at 9 points on a 96-dpi screen (12 pixels), or the
// installed CJK font closest to it.

#include <QFont>
#include <QString>

namespace sw {

// The family that stands in for SimSun: SimSun itself where installed, else a
// CJK family with half-width Latin letters and blanks as SimSun has them (the
// settings page's labels rely on the width of their blank runs), else any
// family that covers Simplified Chinese. Empty when none is installed.
QString ChineseFontFamily();

// Requests SimSun first, then ChineseFontFamily(), at 12 pixels.
QFont ChineseUiFont();

} // namespace sw
