// The six cube pictures (b, d, f, l, r, u .jpg) a Panoramic book shows around itself.
#pragma once

#include <QString>

namespace leafcraft {

// For the Panoramic template, copies the style's cube pictures from styleFolder into
// <bookFolder>/files/extfiles/ (a picture already there is kept); for any other template,
// removes cube pictures left there by an earlier Panoramic book.
void placeCubeImages(const QString& bookFolder, const QString& templateName, const QString& styleFolder);

} // namespace leafcraft
