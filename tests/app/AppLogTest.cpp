#include "fakes/TestFiles.h"
#include "app/AppLog.h"

#include "fakes/FakePlatform.h"
#include "platform/Log.h"

#include <QFile>
#include <gtest/gtest.h>

namespace leafcraft {
namespace {

QStringList linesOf(const QString& path)
{
    return QString::fromUtf8(test::readFile(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// With the shipped configuration: information and above by default, debug entries only when
// LEAFCRAFT_LOG_LEVEL asks; each entry names its source file relative to the source tree.
TEST(AppLogTest, EntriesCarryFileLineAndMethodAtTheChosenLevel)
{
    struct Case {
        const char* level;
        QStringList levels;
    };
    for (const Case& c : {Case{"", {"INFO", "WARN"}}, Case{"debug", {"DEBUG", "INFO", "WARN"}}}) {
        test::FakePlatform platform;
        qputenv("LEAFCRAFT_LOG_LEVEL", c.level);
        const QString path = AppLog::logFilePath();
        EXPECT_EQ(path, platform.paths().userAppSupportDir() + QLatin1String("/Pressvale/Platewright/Leafcraft.log"));
        QFile::remove(path);
        AppLog::setUpLog();
        qunsetenv("LEAFCRAFT_LOG_LEVEL");
        const int line = __LINE__ + 1;
        LC_DEBUG(QStringLiteral("entry %1").arg(QStringLiteral("DEBUG")));
        LC_INFO(QStringLiteral("entry INFO"));
        LC_WARN(QStringLiteral("entry WARN \u00E9"));

        const QStringList lines = linesOf(path);
        ASSERT_EQ(lines.size(), c.levels.size()) << lines.join(QLatin1Char('\n')).toStdString();
        for (int i = 0; i < lines.size(); ++i) {
            const QString& l = lines[i];
            const int offset = c.levels.size() == 3 ? i : i + 1;
            EXPECT_TRUE(l.contains(QLatin1Char(' ') + c.levels[i] + QLatin1Char(' '))) << l.toStdString();
            EXPECT_TRUE(l.contains(QStringLiteral(" tests/app/AppLogTest.cpp:%1 ").arg(line + offset))) << l.toStdString();
            EXPECT_TRUE(l.contains(QLatin1String("TestBody"))) << l.toStdString();
            EXPECT_TRUE(l.contains(QStringLiteral("entry ") + c.levels[i])) << l.toStdString();
        }
        EXPECT_TRUE(lines.last().endsWith(QStringLiteral("entry WARN \u00E9")));
    }
}

} // namespace
} // namespace leafcraft
