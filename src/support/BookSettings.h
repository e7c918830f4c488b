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
    std::int32_t outputCreateMobile() const { return m_outputCreateMobile; }
    void setOutputCreateMobile(std::int32_t v) { m_outputCreateMobile = v; }
    std::int32_t mobileType() const { return m_mobileType; }
    void setMobileType(std::int32_t v) { m_mobileType = v; }
    std::int32_t outputType() const { return m_outputType; }
    void setOutputType(std::int32_t v) { m_outputType = v; }
    // 0: pages become SWF movies, 1: JPEG pictures, 2: SVG drawings (the default).
    std::int32_t importType() const { return m_importType; }
    void setImportType(std::int32_t v) { m_importType = v; }
    // The size of the page files in pixels, as the last import measured it; written by the
    // import worker while the main thread may read it.
    std::int32_t pageWidth() const { return m_pageWidth.load(std::memory_order_relaxed); }
    void setPageWidth(std::int32_t v) { m_pageWidth.store(v, std::memory_order_relaxed); }
    std::int32_t pageHeight() const { return m_pageHeight.load(std::memory_order_relaxed); }
    void setPageHeight(std::int32_t v) { m_pageHeight.store(v, std::memory_order_relaxed); }

protected:
    QString m_lastOutputFileFolder;
    QString m_lastOutputFileName;
    QString m_lastOutputFileTitle;
    std::int32_t m_outputCreateMobile = 0;
    std::int32_t m_mobileType = 0;
    std::int32_t m_outputType = 0;
    std::int32_t m_importType = 2;
    std::atomic<std::int32_t> m_pageWidth{0};
    std::atomic<std::int32_t> m_pageHeight{0};
};

} // namespace leafcraft
