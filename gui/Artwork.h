// The application's pictures, drawn in code so that nothing needs to be shipped or
// converted: the tool bar icons, the "apply" animation frames and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace leafcraft::gui {

// A named picture: "import", "template", "publish", "editor", "apply", "apply1", "apply2",
// "apply3", "export", "importSettings", "help", "about", "app". Unknown names give an empty icon.
QIcon namedIcon(const QString& name);
QPixmap appPixmap(int size);

} // namespace leafcraft::gui
