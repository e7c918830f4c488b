// Colour texts of template properties: "0x" and two lower-case hexadecimal digits each for
// red, green and blue.
#pragma once

#include <QString>

namespace leafcraft {

struct RgbColor {
    int red = 0, green = 0, blue = 0; // 0..255
    bool operator==(const RgbColor&) const = default;
};

// Components from 0.0 to 1.0, each scaled by 255.99998 and truncated, as "0x%02x%02x%02x".
QString colorToHexRGB(double red, double green, double blue);
QString colorToHexRGB(const RgbColor& color);
// Reads a hexadecimal number from the start of the text (leading blanks skipped, optional
// "0x"/"0X"): red bits 16-23, green 8-15, blue 0-7. A null text, or one that does not start
// with a hexadecimal digit, gives black.
RgbColor colorFromHexRGB(const QString& text);

} // namespace leafcraft
