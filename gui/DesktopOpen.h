// Opening files and folders with the desktop's default application, and saying so when that
// does not work (a missing file, or no application for it).
#pragma once

#include <QString>

class QWidget;

namespace leafcraft::gui {

// What opening `path` shows: a book application bundle (<name>.app made by Leafcraft) is not
// a program on this system, so the book inside it (Contents/Resources/index.html) is opened.
QString fileToOpen(const QString& path);

// Opens fileToOpen(path) with the default application. When the file is missing or nothing
// could open it, a message box over `parent` says so and false is returned.
bool openOrComplain(QWidget* parent, const QString& path);

} // namespace leafcraft::gui
