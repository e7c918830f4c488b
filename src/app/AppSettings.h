// The user's remembered choices in the import and publish dialogs, kept in the per-user
// preference store under keys equal to the setting names, and the page size that an import
// finds for the writers (the part import and publish code sees, BookSettings, is the base
// class). Texts are stored as strings, integers as numbers.
#pragma once

#include "support/BookSettings.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

namespace leafcraft {

class PreferenceStore;

class AppSettings : public BookSettings {
public:
    // The shared settings of the application, created and loaded from the platform's
    // preference store on the first call (safe from any thread), never destroyed.
    static AppSettings& instance();

    // A fresh instance loaded from the platform's preference store, for tests and tools that
    // must not share state with the application.
    AppSettings();
    // A fresh instance over `store`; with nullptr it is private: nothing is loaded (every
    // setting starts at its initial value) and saveSettings() writes nowhere.
    explicit AppSettings(PreferenceStore* store);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // Reads every setting from the store. A text with no stored value becomes null; an integer
    // with no usable stored value (missing, not a number, out of range) keeps its current value.
    void loadSettings();
    // Writes every setting to the store and flushes it to disk.
    void saveSettings() override;

    // The setting names, which are also the store keys, in declaration order.
    static QStringList settingKeys();

    const QString& lastImportedFile() const { return m_lastImportedFile; }
    void setLastImportedFile(const QString& v) { m_lastImportedFile = v; }
    std::int32_t importPageRangeType() const { return m_importPageRangeType; }
    void setImportPageRangeType(std::int32_t v) { m_importPageRangeType = v; }
    const QString& importPageRange() const { return m_importPageRange; }
    void setImportPageRange(const QString& v) { m_importPageRange = v; }
    std::int32_t importQualityLevel() const { return m_importQualityLevel; }
    void setImportQualityLevel(std::int32_t v) { m_importQualityLevel = v; }
    std::int32_t importBookmark() const { return m_importBookmark; }
    void setImportBookmark(std::int32_t v) { m_importBookmark = v; }
    std::int32_t importLinks() const { return m_importLinks; }
    void setImportLinks(std::int32_t v) { m_importLinks = v; }
    // "Sharp zoom pictures" and "Publish text the PDF forbids copying": 1 on, 0 off.
    std::int32_t importZoomPictures() const { return m_importZoomPictures; }
    void setImportZoomPictures(std::int32_t v) { m_importZoomPictures = v; }
    std::int32_t importAllowText() const { return m_importAllowText; }
    void setImportAllowText(std::int32_t v) { m_importAllowText = v; }

private:
    friend struct AppSettingsFields;
    void init();
    PreferenceStore* store() const;

    bool m_usePlatformStore = false;
    PreferenceStore* m_store = nullptr;

    QString m_lastImportedFile;
    std::int32_t m_importPageRangeType = 0;
    QString m_importPageRange;
    std::int32_t m_importQualityLevel = 0;
    std::int32_t m_importBookmark = 0;
    std::int32_t m_importLinks = 0;
    std::int32_t m_importZoomPictures = 0;
    std::int32_t m_importAllowText = 0;
};

} // namespace leafcraft
