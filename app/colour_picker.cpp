#include "app/colour_picker.h"

#include "app/rgb_colour.h"

#include <QColorDialog>
#include <QPainter>

namespace sw {

ColourPicker::ColourPicker(RgbColour colour, QWidget* parent) : QPushButton(parent), colour_(colour & 0xFFFFFFu) {
    connect(this, &QPushButton::clicked, this, &ColourPicker::ChooseColour);
}

void ColourPicker::SetColour(RgbColour colour) {
    colour &= 0xFFFFFFu;
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
    emit colourChanged(colour_);
}

void ColourPicker::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(5, 5, -6, -6);
    painter.fillRect(swatch, ToQColor(colour_));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(swatch);
}

void ColourPicker::ChooseColour() {
    const QColor chosen = QColorDialog::getColor(ToQColor(colour_), this);
    if (chosen.isValid())
        SetColour(ToRgbColour(chosen));
}

} // namespace sw
