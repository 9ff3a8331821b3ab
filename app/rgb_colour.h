#pragma once

// Windows RGB colour values (red in the low byte) and QColor, both ways.

#include "shop/grid_port.h"

#include <QColor>

namespace sw {

inline QColor ToQColor(RgbColour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

inline RgbColour ToRgbColour(const QColor& colour) {
    return static_cast<RgbColour>(colour.red()) | static_cast<RgbColour>(colour.green()) << 8 |
           static_cast<RgbColour>(colour.blue()) << 16;
}

} // namespace sw
