// What importing and publishing read from the user's settings and leave in them: the size of the
// imported pages, the page format of an import, and the publish choices remembered between runs.
// On its own an object of this class keeps them in memory; the application's settings store
// derives from it and makes them persistent. Import and publish code sees only this class, so
// it never depends on the application layer above it.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>

namespace leafcraft {

class BookSettings {
public:
    BookSettings() = default;
    virtual ~BookSettings() = default;
    BookSettings(const BookSettings&) = delete;
    BookSettings& operator=(const BookSettings&) = delete;

    // The settings of code that is given none: those of the function installed with
    // setSharedProvider (the application installs its store), else one process-wide
    // in-memory object. Safe from any thread.
    static BookSettings& shared();
    static void setSharedProvider(BookSettings& (*provider)());

    // Makes the settings persistent; in memory there is nothing to do.
    virtual void saveSettings() {}

    const QString& lastOutputFileFolder() const { return m_lastOutputFileFolder; }
    void setLastOutputFileFolder(const QString& v) { m_lastOutputFileFolder = v; }
    const QString& lastOutputFileName() const { return m_lastOutputFileName; }
    void setLastOutputFileName(const QString& v) { m_lastOutputFileName = v; }
    const QString& lastOutputFileTitle() const { return m_lastOutputFileTitle; }
    void setLastOutputFileTitle(const QString& v) { m_lastOutputFileTitle = v; }
    std::int32_t OutputCreateMobile() const { return m_OutputCreateMobile; }
    void setOutputCreateMobile(std::int32_t v) { m_OutputCreateMobile = v; }
    std::int32_t MobileType() const { return m_MobileType; }
    void setMobileType(std::int32_t v) { m_MobileType = v; }
    std::int32_t outputType() const { return m_outputType; }
    void setOutputType(std::int32_t v) { m_outputType = v; }
    // 0: pages become SWF movies, 1: JPEG pictures.
    std::int32_t ImportType() const { return m_ImportType; }
    void setImportType(std::int32_t v) { m_ImportType = v; }
    // The size of the page files in pixels, as the last import measured it; written by the
    // import worker while the main thread may read it.
    std::int32_t PageWidth() const { return m_PageWidth.load(std::memory_order_relaxed); }
    void setPageWidth(std::int32_t v) { m_PageWidth.store(v, std::memory_order_relaxed); }
    std::int32_t PageHeight() const { return m_PageHeight.load(std::memory_order_relaxed); }
    void setPageHeight(std::int32_t v) { m_PageHeight.store(v, std::memory_order_relaxed); }

protected:
    QString m_lastOutputFileFolder;
    QString m_lastOutputFileName;
    QString m_lastOutputFileTitle;
    std::int32_t m_OutputCreateMobile = 0;
    std::int32_t m_MobileType = 0;
    std::int32_t m_outputType = 0;
    std::int32_t m_ImportType = 0;
    std::atomic<std::int32_t> m_PageWidth{0};
    std::atomic<std::int32_t> m_PageHeight{0};
};

} // namespace leafcraft
