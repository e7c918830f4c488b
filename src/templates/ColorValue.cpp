#include "templates/ColorValue.h"

#include <algorithm>

namespace leafcraft {

namespace {
int component(double v)
{
    return std::clamp(int(std::clamp(v, 0.0, 1.0) * 255.99998), 0, 255);
}
} // namespace

QString colorToHexRGB(double red, double green, double blue)
{
    return QString::asprintf("0x%02x%02x%02x", component(red), component(green), component(blue));
}

QString colorToHexRGB(const RgbColor& c)
{
    return QString::asprintf("0x%02x%02x%02x", c.red & 0xff, c.green & 0xff, c.blue & 0xff);
}

RgbColor colorFromHexRGB(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') || text[i] == QLatin1Char('\n')))
        ++i;
    if (i + 1 < n && text[i] == QLatin1Char('0') && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))
        && i + 2 < n && isxdigit(text[i + 2].toLatin1()))
        i += 2;
    quint64 value = 0;
    bool any = false;
    for (; i < n && text[i].unicode() < 128 && isxdigit(text[i].toLatin1()); ++i) {
        any = true;
        value = std::min<quint64>(value * 16 + quint64(QString(text[i]).toUInt(nullptr, 16)), 0xFFFFFFFFull);
    }
    if (!any)
        return {};
    const quint32 v = quint32(value);
    return {int((v >> 16) & 0xff), int((v >> 8) & 0xff), int(v & 0xff)};
}

} // namespace leafcraft
