#pragma once

// A colour picker of the settings page: a button showing a swatch of its
// colour; a click opens the colour dialog. The colour is a Windows RGB value,
// as the settings file stores it.

#include "shop/grid_port.h"

#include <QPushButton>

namespace sw {

class ColourPicker : public QPushButton {
    Q_OBJECT

public:
    explicit ColourPicker(RgbColour colour, QWidget* parent = nullptr);

    RgbColour Colour() const { return colour_; }
    void SetColour(RgbColour colour);

signals:
    void colourChanged(RgbColour colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseColour();

    RgbColour colour_;
};

} // namespace sw
