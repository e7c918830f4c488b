// Pictures of the application's windows, for the README and the user manual: taken on a real
// (virtual) display once the preview's book is ready, then the program quits.
#pragma once

#include <QString>

namespace leafcraft::gui {

class MainWindow;

// --screenshot FILE: the main window once its book is ready. Exit code 1 when the preview did
// not become ready within a minute or the picture cannot be written.
void takeScreenshotWhenReady(MainWindow& window, const QString& file);

// --window-screenshots FOLDER: main-window.png, import.png, template.png, publish.png and,
// when the page editor is available, page-editor.png, each window opened through its command
// as a user would, pictured and closed again.
void takeWindowScreenshotsWhenReady(MainWindow& window, const QString& folder);

} // namespace leafcraft::gui
