// One page file of a book: the file's absolute path and the 1-based page number it belongs to.
#pragma once

#include <QString>
#include <memory>

namespace leafcraft {

struct PageFacts;

class BookPage {
public:
    BookPage() = default;
    BookPage(QString pageFilePath, int pageIndex) : m_pageFilePath(std::move(pageFilePath)), m_pageIndex(pageIndex) {}
    virtual ~BookPage() = default;

    const QString& pageFilePath() const { return m_pageFilePath; }
    void setPageFilePath(const QString& path) { m_pageFilePath = path; }
    int pageIndex() const { return m_pageIndex; }
    void setPageIndex(int index) { m_pageIndex = index; }
    // The page's size and text when the import found them (a page of a PDF import), else null.
    // Copies share them.
    const std::shared_ptr<const PageFacts>& facts() const { return m_facts; }
    void setFacts(std::shared_ptr<const PageFacts> facts) { m_facts = std::move(facts); }

    // A separately owned copy with the same path and page number, of the same kind as this
    // page. The two numbers are accepted for the callers' sake and have no effect.
    virtual std::unique_ptr<BookPage> copyPage(int width, int quality) const;

protected:
    BookPage(const BookPage&) = default;
    BookPage& operator=(const BookPage&) = default;

private:
    QString m_pageFilePath;
    int m_pageIndex = 0;
    std::shared_ptr<const PageFacts> m_facts;
};

} // namespace leafcraft
