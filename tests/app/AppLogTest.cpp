#include "app/AppLog.h"

#include "fakes/FakePlatform.h"
#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace leafcraft {
namespace {

TEST(AppLogTest, EntriesReachTheLogFileWithFileLineAndMethod)
{
    test::FakePlatform platform;
    const QString path = AppLog::logFilePath();
    EXPECT_EQ(path, platform.paths().userAppSupportDir() + QLatin1String("/Pressvale/Platewright/Leafcraft.log"));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).path()));

    AppLog::prepaireTheLog();
    EXPECT_TRUE(QFileInfo(QFileInfo(path).path()).isDir());
    const int line = __LINE__ + 1;
    LC_DEBUG(QStringLiteral("debug entry %1").arg(1));
    LC_INFO(QStringLiteral("info entry"));
    LC_WARN(QStringLiteral("warn entry \u00E9"));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString text = QString::fromUtf8(f.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << text.toStdString();
    const char* expected[] = {"DEBUG", "INFO", "WARN"};
    const char* messages[] = {"debug entry 1", "info entry", "warn entry \xC3\xA9"};
    for (int i = 0; i < 3; ++i) {
        const QString& l = lines[i];
        EXPECT_TRUE(l.contains(QLatin1String(expected[i]))) << l.toStdString();
        EXPECT_TRUE(l.contains(QStringLiteral("AppLogTest.cpp:%1").arg(line + i))) << l.toStdString();
        EXPECT_TRUE(l.contains(QLatin1String("TestBody"))) << l.toStdString();
        EXPECT_TRUE(l.endsWith(QString::fromUtf8(messages[i]))) << l.toStdString();
    }
}

} // namespace
} // namespace leafcraft
