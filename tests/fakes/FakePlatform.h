// Test doubles of the platform services: folders inside a temporary directory, an
// in-memory preference store, a fixed clock and predictable random names. Resources
// default to the source tree's resources/ folder.
#pragma once

#include "platform/Platform.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>

#ifndef LEAFCRAFT_SOURCE_RESOURCES
#error "tests are built with LEAFCRAFT_SOURCE_RESOURCES"
#endif

namespace leafcraft::test {

class FakePaths final : public Paths {
public:
    explicit FakePaths(const QString& root) : m_root(root) {}
    QString userAppSupportDir() const override { return m_root + QLatin1String("/user"); }
    QString localAppSupportDir() const override { return m_root + QLatin1String("/local"); }
    QString tempRoot() const override { return m_root + QLatin1String("/tmp"); }

private:
    QString m_root;
};

class MemoryPreferences final : public PreferenceStore {
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }
    void sync() override { ++syncCount; }
    QHash<QString, QVariant> m_values;
    int syncCount = 0;
};

class FixedResources final : public Resources {
public:
    explicit FixedResources(QString dir) : m_dir(std::move(dir)) {}
    QString resourcesDir() const override { return m_dir; }
    QString m_dir;
};

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time{QDate(2026, 1, 2), QTime(3, 4, 5)};
};

class CountingRandom final : public RandomNames {
public:
    QString randomName(int length) override
    {
        return QString::number(++m_counter).rightJustified(length, QLatin1Char('0')).right(length);
    }

private:
    int m_counter = 0;
};

// Installs itself for the lifetime of the object.
class FakePlatform final : public Platform {
public:
    FakePlatform()
        : m_paths(m_dir.path()), m_resources(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES))
    {
        QDir().mkpath(m_paths.tempRoot());
        m_previous = Platform::install(this);
    }
    ~FakePlatform() override { Platform::install(m_previous); }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    Paths& paths() override { return m_paths; }
    PreferenceStore& preferences() override { return prefs; }
    Resources& resources() override { return m_resources; }
    Clock& clock() override { return fixedClock; }
    RandomNames& random() override { return m_random; }

    QString root() const { return m_dir.path(); }
    void setResourcesDir(const QString& dir) { m_resources.m_dir = dir; }

    MemoryPreferences prefs;
    FixedClock fixedClock;

private:
    QTemporaryDir m_dir;
    FakePaths m_paths;
    FixedResources m_resources;
    CountingRandom m_random;
    Platform* m_previous = nullptr;
};

} // namespace leafcraft::test
