#include "DesktopOpen.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace leafcraft::gui {

QString fileToOpen(const QString& path)
{
    const QFileInfo info(path);
    const QString book = path + QStringLiteral("/Contents/Resources/index.html");
    if (info.isDir() && info.suffix() == QLatin1String("app") && QFileInfo(book).isFile())
        return book;
    return path;
}

bool openOrComplain(QWidget* parent, const QString& path)
{
    const QString target = fileToOpen(path);
    const auto tr = [](const char* text) { return QCoreApplication::translate("DesktopOpen", text); };
    QString problem;
    if (target.trimmed().isEmpty())
        problem = tr("There is nothing to open: no file or folder was given.");
    else if (!QFileInfo::exists(target))
        problem = tr("%1 does not exist.").arg(target);
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(target)))
        problem = tr("No application could open %1. Check which program your desktop uses for this kind of file.")
                      .arg(target);
    if (problem.isEmpty())
        return true;
    LC_WARN(QStringLiteral("cannot open %1: %2").arg(target, problem));
    QMessageBox::warning(parent, tr("Cannot open"), problem);
    return false;
}

} // namespace leafcraft::gui
