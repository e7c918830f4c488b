// The page tools log warnings and errors to the console only: they run once per page and
// must start fast, so they do without the application's logging set-up.
#include "platform/Log.h"

#include <cstdio>

namespace leafcraft::log {

bool isEnabled(Level level)
{
    return level == Level::Warn || level == Level::Error;
}

void write(Level level, const QString& message, const char*, int, const char*)
{
    std::fprintf(stderr, "%s: %s\n", level == Level::Error ? "error" : "warning", message.toLocal8Bit().constData());
}

void configure(const QString&, const QString&) {}

} // namespace leafcraft::log
