#include "app/AppLog.h"

#include "platform/Log.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace leafcraft {

QString AppLog::logFilePath()
{
    QString base = Platform::current().paths().userAppSupportDir();
    // Without an Application Support folder, the per-user default of this platform is used (a
    // literal "~" would make a folder named "~" in the working directory).
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.local/share");
    return QDir(base).filePath(QStringLiteral("Pressvale/%1/%2.log").arg(QStringLiteral("Platewright"), QStringLiteral("Leafcraft")));
}

void AppLog::setUpLog()
{
    const QString logFile = logFilePath();
    QDir().mkpath(QFileInfo(logFile).path());
    log::configure(Platform::current().resources().path(QStringLiteral("logging.properties")), logFile);
}

} // namespace leafcraft
