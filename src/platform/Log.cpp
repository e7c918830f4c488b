#include "platform/Log.h"

#include <log4cxx/consoleappender.h>
#include <log4cxx/helpers/properties.h>
#include <log4cxx/logger.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/patternlayout.h>
#include <log4cxx/propertyconfigurator.h>
#include <log4cxx/spi/location/locationinfo.h>

#include <QFile>
#include <mutex>
#include <string>

namespace leafcraft::log {

namespace {

std::once_flag g_defaultOnce;

// Until configure() runs, only warnings and errors are logged, to standard error, so that a
// tool's standard output carries nothing but its results.
void ensureDefault()
{
    std::call_once(g_defaultOnce, [] {
        log4cxx::LoggerPtr root = log4cxx::Logger::getRootLogger();
        if (root->getAllAppenders().empty()) {
            auto layout = std::make_shared<log4cxx::PatternLayout>(LOG4CXX_STR("%p: %m%n"));
            root->addAppender(std::make_shared<log4cxx::ConsoleAppender>(layout, log4cxx::ConsoleAppender::getSystemErr()));
            root->setLevel(log4cxx::Level::getWarn());
        }
    });
}

log4cxx::LoggerPtr logger()
{
    ensureDefault();
    static log4cxx::LoggerPtr instance = log4cxx::Logger::getLogger("Leafcraft");
    return instance;
}

log4cxx::LevelPtr toLog4cxx(Level level)
{
    switch (level) {
    case Level::Debug: return log4cxx::Level::getDebug();
    case Level::Info: return log4cxx::Level::getInfo();
    case Level::Warn: return log4cxx::Level::getWarn();
    case Level::Error: break;
    }
    return log4cxx::Level::getError();
}

// The source file's name relative to the source tree ("src/app/AppLog.cpp"), whether the
// compiler saw it under its absolute path or relative to the build folder ("../../src/...").
std::string sourceRelativePath(const char* file)
{
    std::string path(file ? file : "");
#ifdef LEAFCRAFT_SOURCE_RESOURCES
    std::string root(LEAFCRAFT_SOURCE_RESOURCES);
    const std::string resources = "/resources";
    if (root.size() > resources.size() && root.compare(root.size() - resources.size(), resources.size(), resources) == 0)
        root.resize(root.size() - resources.size());
    if (!root.empty() && path.rfind(root + "/", 0) == 0)
        return path.substr(root.size() + 1);
#endif
    while (path.rfind("../", 0) == 0 || path.rfind("./", 0) == 0)
        path.erase(0, path.find('/') + 1);
    return path;
}

// Debug output only when asked for: LEAFCRAFT_LOG_LEVEL (DEBUG, INFO, WARN, ERROR, OFF) sets
// the level of every logger, overriding the configuration file.
void applyLevelFromEnvironment()
{
    const QByteArray wanted = qgetenv("LEAFCRAFT_LOG_LEVEL").trimmed().toUpper();
    if (wanted.isEmpty())
        return;
    log4cxx::LevelPtr level = log4cxx::Level::toLevel(wanted.toStdString(), log4cxx::LevelPtr());
    if (!level) {
        LC_WARN(QStringLiteral("LEAFCRAFT_LOG_LEVEL=%1 is no log level (DEBUG, INFO, WARN, ERROR or OFF)")
                    .arg(QString::fromUtf8(wanted)));
        return;
    }
    log4cxx::Logger::getRootLogger()->setLevel(level);
    logger()->setLevel(level);
}

} // namespace

void silenceUnconfigured()
{
    ensureDefault();
    log4cxx::Logger::getRootLogger()->setLevel(log4cxx::Level::getOff());
}

bool isEnabled(Level level)
{
    return logger()->isEnabledFor(toLog4cxx(level));
}

void write(Level level, const QString& message, const char* file, int line, const char* function)
{
    // LocationInfo keeps the pointers it is given: the text must outlive the call.
    const std::string relative = sourceRelativePath(file);
    log4cxx::spi::LocationInfo where(relative.c_str(), log4cxx::spi::LocationInfo::calcShortFileName(relative.c_str()),
                                     function, line);
#if LOG4CXX_LOGCHAR_IS_UTF8
    // Handed over as log4cxx's own UTF-8 text: the std::string overload would transcode from
    // the C locale and turn every non-ASCII character into "?".
    logger()->forcedLogLS(toLog4cxx(level), message.toStdString(), where);
#else
    logger()->forcedLog(toLog4cxx(level), message.toStdString(), where);
#endif
}

void configure(const QString& propertiesFile, const QString& logFilePath)
{
    ensureDefault();
    QFile in(propertiesFile);
    if (!in.open(QIODevice::ReadOnly)) {
        LC_WARN(QStringLiteral("Cannot read the logging configuration %1").arg(propertiesFile));
        return;
    }
    const QByteArray text = in.readAll();
    log4cxx::helpers::Properties props;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith('!'))
            continue;
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        props.setProperty(line.left(eq).trimmed().toStdString(), line.mid(eq + 1).trimmed().toStdString());
    }
    props.setProperty("log4cocoa.appender.PressvaleFileLog.File", logFilePath.toStdString());
    // log4cxx reads "log4j."-prefixed keys; the shipped file is written in the log4cocoa dialect,
    // so each "log4cocoa." key is also given under its log4j name.
    for (const auto& name : props.propertyNames()) {
        const std::string prefix = "log4cocoa.";
        if (name.rfind(prefix, 0) == 0)
            props.setProperty("log4j." + name.substr(prefix.size()), props.getProperty(name));
    }
    log4cxx::LogManager::resetConfiguration();
    log4cxx::PropertyConfigurator::configure(props);
    applyLevelFromEnvironment();
}

} // namespace leafcraft::log
