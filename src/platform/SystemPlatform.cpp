#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <atomic>
#include <mutex>

#ifndef LEAFCRAFT_SOURCE_RESOURCES
#define LEAFCRAFT_SOURCE_RESOURCES ""
#endif

namespace leafcraft {

QString executableDir()
{
    QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QFileInfo(exe.symLinkTarget()).absolutePath();
}

namespace {

class SystemPaths final : public Paths {
public:
    QString userAppSupportDir() const override
    {
        QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
        if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
            return QDir::cleanPath(xdg);
        return QDir::homePath() + QLatin1String("/.local/share");
    }
    QString localAppSupportDir() const override
    {
        QSettings machine(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("Pressvale"),
                          QStringLiteral("Leafcraft"));
        QString configured = machine.value(QStringLiteral("LocalAppSupportDir")).toString();
        return configured.isEmpty() ? QStringLiteral("/usr/local/share") : configured;
    }
    // $TMPDIR when set to an absolute path, else /tmp.
    QString tempRoot() const override
    {
        const QString dir = qEnvironmentVariable("TMPDIR");
        return dir.startsWith(QLatin1Char('/')) ? QDir::cleanPath(dir) : QStringLiteral("/tmp");
    }
};

class SettingsStore final : public PreferenceStore {
public:
    SettingsStore() : m_settings(QStringLiteral("Pressvale"), QStringLiteral("Leafcraft")) {}
    QVariant value(const QString& key) const override
    {
        std::lock_guard lock(m_mutex);
        return m_settings.contains(key) ? m_settings.value(key) : QVariant();
    }
    void setValue(const QString& key, const QVariant& value) override
    {
        std::lock_guard lock(m_mutex);
        m_settings.setValue(key, value);
    }
    void remove(const QString& key) override
    {
        std::lock_guard lock(m_mutex);
        m_settings.remove(key);
    }
    void sync() override
    {
        std::lock_guard lock(m_mutex);
        m_settings.sync();
    }

private:
    mutable std::mutex m_mutex;
    QSettings m_settings;
};

// Installed layout: <prefix>/bin/<program> with <prefix>/share/leafcraft/resources;
// build tree: the program sits in the build folder and the sources hold resources/.
class SystemResources final : public Resources {
public:
    SystemResources()
    {
        const QString exeDir = executableDir();
        const QStringList candidates = {
            exeDir + QLatin1String("/resources"),
            exeDir + QLatin1String("/../share/leafcraft/resources"),
            QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES),
        };
        for (const QString& c : candidates) {
            if (!c.isEmpty() && QFileInfo(c + QLatin1String("/AppFiles")).isDir()) {
                m_dir = QDir::cleanPath(c);
                return;
            }
        }
        m_dir = QDir::cleanPath(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES));
    }
    QString resourcesDir() const override { return m_dir; }

private:
    QString m_dir;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class SystemRandom final : public RandomNames {
public:
    QString randomName(int length) override
    {
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        QString out;
        for (int i = 0; i < length; ++i)
            out += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(int(sizeof(alphabet) - 1))]);
        return out;
    }
};

class SystemPlatform final : public Platform {
public:
    Paths& paths() override { return m_paths; }
    PreferenceStore& preferences() override { return m_prefs; }
    Resources& resources() override { return m_resources; }
    Clock& clock() override { return m_clock; }
    RandomNames& random() override { return m_random; }

private:
    SystemPaths m_paths;
    SettingsStore m_prefs;
    SystemResources m_resources;
    SystemClock m_clock;
    SystemRandom m_random;
};

std::atomic<Platform*> g_installed{nullptr};

Platform& systemPlatform()
{
    static std::unique_ptr<Platform> instance = createSystemPlatform();
    return *instance;
}

} // namespace

std::unique_ptr<Platform> createSystemPlatform()
{
    return std::make_unique<SystemPlatform>();
}

Platform& Platform::current()
{
    Platform* p = g_installed.load();
    return p ? *p : systemPlatform();
}

Platform* Platform::install(Platform* platform)
{
    return g_installed.exchange(platform);
}

} // namespace leafcraft
