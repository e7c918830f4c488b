// The ordered pages of a book and the files derived from each page: the page file, the
// normal page file, the zoomed page file (never filled), the thumbnail and the mobile picture.
// Every other part of the program reaches the book's pages through a page source.
#pragma once

#include "import/FlashPage.h"

#include <QString>
#include <atomic>
#include <memory>
#include <vector>

namespace leafcraft {

// A list of page files in book order; the list owns its entries.
using FlashPageList = std::vector<std::unique_ptr<FlashPage>>;

class FlashPageSource {
public:
    FlashPageSource() = default;
    virtual ~FlashPageSource() = default;
    FlashPageSource(const FlashPageSource&) = delete;
    FlashPageSource& operator=(const FlashPageSource&) = delete;

    // Producing the files of each list. The base class does nothing.
    virtual void generateMobilePages() {}
    virtual void generateThumbPages() {}
    virtual void generatePages() {}
    virtual void generateNormalPages() {}

    // Lookups; the entries they return are borrowed from this source and live as long as it
    // does (or until its lists are replaced).
    // The entry of `pages` at the 0-based `position`, or nullptr past the end.
    virtual const FlashPage* pageAt(int position) const;
    // The first entry of `normalPages` whose pageIndex is `pageNumber` (1-based), or nullptr.
    virtual const FlashPage* normalPageAt(int pageNumber) const;
    virtual const FlashPage* zoomedPageAt(int /*pageNumber*/) const { return nullptr; }
    virtual const FlashPage* thumbPageAt(int /*pageNumber*/) const { return nullptr; }
    // Never answers: the mobile writer reads mobilePages() directly.
    virtual const FlashPage* mobilePageAt(int /*pageNumber*/) const { return nullptr; }

    // Empties all five lists.
    void clearPages();

    const FlashPageList& pages() const { return m_pages; }
    void setPages(FlashPageList pages) { m_pages = std::move(pages); }
    const FlashPageList& normalPages() const { return m_normalPages; }
    void setNormalPages(FlashPageList pages) { m_normalPages = std::move(pages); }
    const FlashPageList& zoomedPages() const { return m_zoomedPages; }
    void setZoomedPages(FlashPageList pages) { m_zoomedPages = std::move(pages); }
    const FlashPageList& thumbPages() const { return m_thumbPages; }
    void setThumbPages(FlashPageList pages) { m_thumbPages = std::move(pages); }
    const FlashPageList& mobilePages() const { return m_mobilePages; }
    void setMobilePages(FlashPageList pages) { m_mobilePages = std::move(pages); }
    const QString& sourceFile() const { return m_sourceFile; }
    void setSourceFile(const QString& path) { m_sourceFile = path; }

    // The cancel request. Set from any thread (the import's cancel); page loops read it
    // before every page. It only ever goes from false to true.
    bool stop() const { return m_stop.load(std::memory_order_relaxed); }
    void setStop(bool stop) { m_stop.store(stop, std::memory_order_relaxed); }

    // Turns a page-range text into the ascending, duplicate-free page numbers it names
    // within a document of `total` pages. Throws Error(BadInput) when the text names no page
    // of the document. The grammar is written beside the implementation.
    static std::vector<int> parsePageRange(const QString& text, int total);

protected:
    // The first entry of `list` with pageIndex `pageNumber`, or nullptr; gives up (nullptr)
    // as soon as the stop flag is set when `honourStop` is true.
    const FlashPage* findByPageIndex(const FlashPageList& list, int pageNumber, bool honourStop) const;

    FlashPageList& mutablePages() { return m_pages; }
    FlashPageList& mutableNormalPages() { return m_normalPages; }
    FlashPageList& mutableZoomedPages() { return m_zoomedPages; }
    FlashPageList& mutableThumbPages() { return m_thumbPages; }
    FlashPageList& mutableMobilePages() { return m_mobilePages; }

private:
    FlashPageList m_pages;
    FlashPageList m_normalPages;
    FlashPageList m_zoomedPages;
    FlashPageList m_thumbPages;
    QString m_sourceFile = QStringLiteral("");
    FlashPageList m_mobilePages;
    std::atomic<bool> m_stop{false};
};

} // namespace leafcraft
