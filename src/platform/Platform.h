// The services of the host system that the core calls but does not implement: folders,
// the preference store, resources, the clock and random names. The real ones live in
// this folder; tests install fakes (FakePlatform.h) with fixed time and temporary folders.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>

namespace leafcraft {

// Where per-user and machine-wide application data lives.
class Paths {
public:
    virtual ~Paths() = default;
    // The user's Application Support folder ($XDG_DATA_HOME, default ~/.local/share).
    virtual QString userAppSupportDir() const = 0;
    // The machine-wide ("local") Application Support folder (default /usr/local/share).
    virtual QString localAppSupportDir() const = 0;
    // The root of temporary work folders: always "/tmp" for the real platform.
    virtual QString tempRoot() const = 0;
};

// The per-user key/value store of remembered choices. Texts are stored as strings,
// integers as numbers. A missing key reads as an invalid QVariant.
class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual void sync() = 0;
};

// The read-only data shipped with the program: AppFiles/, logging.properties, the manual.
class Resources {
public:
    virtual ~Resources() = default;
    // The resource folder (holding "AppFiles"); never ends in a separator.
    virtual QString resourcesDir() const = 0;
    QString appFilesDir() const { return resourcesDir() + QLatin1String("/AppFiles"); }
    QString path(const QString& relative) const { return resourcesDir() + QLatin1Char('/') + relative; }
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0; // local time
};

// Random characters for unique names ("temp.XXXXXX").
class RandomNames {
public:
    virtual ~RandomNames() = default;
    virtual QString randomName(int length) = 0;
};

// The set of services the core uses. `Platform::current()` gives the installed set,
// creating the real one on first use; tests replace it with `Platform::install`.
class Platform {
public:
    virtual ~Platform() = default;
    virtual Paths& paths() = 0;
    virtual PreferenceStore& preferences() = 0;
    virtual Resources& resources() = 0;
    virtual Clock& clock() = 0;
    virtual RandomNames& random() = 0;

    static Platform& current();
    // Installs a platform (the caller keeps ownership and must outlive its use);
    // nullptr goes back to the real one. Returns the previously installed pointer.
    static Platform* install(Platform* platform);
};

// The real services: XDG folders, QSettings, resources beside the program or in the
// source tree, the system clock.
std::unique_ptr<Platform> createSystemPlatform();

// The folder of the running executable (from /proc/self/exe; works without a QCoreApplication).
QString executableDir();

} // namespace leafcraft
