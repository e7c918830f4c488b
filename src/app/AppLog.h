// Start-up preparation of the application log.
#pragma once

#include <QString>

namespace leafcraft {

class AppLog {
public:
    AppLog() = delete;

    // "<user Application Support>/Pressvale/Platewright/Leafcraft.log".
    static QString logFilePath();

    // Creates the log file's folder when missing (a failure is ignored), then configures the
    // logger from the resource "logging.properties" with the file appender PressvaleFileLog
    // writing to logFilePath(). Called once at start-up.
    static void setUpLog();
};

} // namespace leafcraft
