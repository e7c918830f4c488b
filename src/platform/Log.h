// Logging through Apache log4cxx. Every entry carries the source file, line and function
// (the macros capture them). Debug and info calls test whether the level is enabled
// before the message is built.
#pragma once

#include <QString>

namespace leafcraft::log {

enum class Level { Debug, Info, Warn, Error };

bool isEnabled(Level level);
void write(Level level, const QString& message, const char* file, int line, const char* function);

// Reads a log4j-style properties file, sets the file appender's path under
// "log4cocoa.appender.PressvaleFileLog.File" and applies the configuration. Without a
// readable properties file, warnings and errors go to the console.
void configure(const QString& propertiesFile, const QString& logFilePath);

// For tools that report problems themselves: nothing is logged until configure() runs.
void silenceUnconfigured();

} // namespace leafcraft::log

#define LC_LOG_AT(level, msg)                                                                             \
    do {                                                                                                  \
        if (::leafcraft::log::isEnabled(level))                                                           \
            ::leafcraft::log::write(level, (msg), __FILE__, __LINE__, __func__);                          \
    } while (0)
#define LC_DEBUG(msg) LC_LOG_AT(::leafcraft::log::Level::Debug, msg)
#define LC_INFO(msg) LC_LOG_AT(::leafcraft::log::Level::Info, msg)
#define LC_WARN(msg) LC_LOG_AT(::leafcraft::log::Level::Warn, msg)
#define LC_ERROR(msg) LC_LOG_AT(::leafcraft::log::Level::Error, msg)
