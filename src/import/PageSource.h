// The ordered pages of a book and the files derived from each page: the page file, the
// normal page file, the zoomed page file (never filled), the thumbnail and the mobile picture.
// Every other part of the program reaches the book's pages through a page source.
#pragma once

#include "import/BookPage.h"

#include <QString>
#include <atomic>
#include <memory>
#include <vector>

namespace leafcraft {

// A list of page files in book order; the list owns its entries.
using BookPageList = std::vector<std::unique_ptr<BookPage>>;

class PageSource {
public:
    PageSource() = default;
    virtual ~PageSource() = default;
    PageSource(const PageSource&) = delete;
    PageSource& operator=(const PageSource&) = delete;

    // Producing the files of each list. The base class does nothing.
    virtual void generateMobilePages() {}
    virtual void generateThumbPages() {}
    virtual void generatePages() {}
    virtual void generateNormalPages() {}

    // Lookups; the entries they return are borrowed from this source and live as long as it
    // does (or until its lists are replaced).
    // The entry of `pages` at the 0-based `position`, or nullptr past the end.
    virtual const BookPage* pageAt(int position) const;
    // The first entry of `normalPages` whose pageIndex is `pageNumber` (1-based), or nullptr.
    virtual const BookPage* normalPageAt(int pageNumber) const;
    virtual const BookPage* zoomedPageAt(int /*pageNumber*/) const { return nullptr; }
    virtual const BookPage* thumbPageAt(int /*pageNumber*/) const { return nullptr; }
    // Never answers: the mobile writer reads mobilePages() directly.
    virtual const BookPage* mobilePageAt(int /*pageNumber*/) const { return nullptr; }

    // Empties all five lists.
    void clearPages();

    const BookPageList& pages() const { return m_pages; }
    void setPages(BookPageList pages) { m_pages = std::move(pages); }
    const BookPageList& normalPages() const { return m_normalPages; }
    void setNormalPages(BookPageList pages) { m_normalPages = std::move(pages); }
    const BookPageList& zoomedPages() const { return m_zoomedPages; }
    void setZoomedPages(BookPageList pages) { m_zoomedPages = std::move(pages); }
    const BookPageList& thumbPages() const { return m_thumbPages; }
    void setThumbPages(BookPageList pages) { m_thumbPages = std::move(pages); }
    const BookPageList& mobilePages() const { return m_mobilePages; }
    void setMobilePages(BookPageList pages) { m_mobilePages = std::move(pages); }
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
    const BookPage* findByPageIndex(const BookPageList& list, int pageNumber, bool honourStop) const;

    BookPageList& mutablePages() { return m_pages; }
    BookPageList& mutableNormalPages() { return m_normalPages; }
    BookPageList& mutableZoomedPages() { return m_zoomedPages; }
    BookPageList& mutableThumbPages() { return m_thumbPages; }
    BookPageList& mutableMobilePages() { return m_mobilePages; }

private:
    BookPageList m_pages;
    BookPageList m_normalPages;
    BookPageList m_zoomedPages;
    BookPageList m_thumbPages;
    QString m_sourceFile = QStringLiteral("");
    BookPageList m_mobilePages;
    std::atomic<bool> m_stop{false};
};

} // namespace leafcraft
