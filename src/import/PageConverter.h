// The base of the page converters: turns single pages of one PDF into the files of a book
// page inside a private work folder. The base class produces nothing; see
// PdfPageConverter for the one real converter.
#pragma once

#include "platform/PdfDocument.h"

#include <QList>
#include <QString>
#include <memory>

namespace leafcraft {

class PageConverter {
public:
    // `PDFDoc` may be null (the document could not be opened): rendering then produces
    // nothing and the paths are still returned.
    PageConverter(QString pdfPath, std::shared_ptr<pdf::Document> pdfDocument, int quality);
    virtual ~PageConverter() = default;
    PageConverter(const PageConverter&) = delete;
    PageConverter& operator=(const PageConverter&) = delete;

    // Page numbers are 1-based. Each returns the path of the file it made, or a null
    // string in the base class.
    virtual QString generateMobilePage(int pageNumber);
    virtual QString generateThumbPage(int pageNumber);
    virtual QString generatePage(int pageNumber);
    virtual void generateAllPage() {}
    virtual void generatePages(const QList<int>& /*pageNumbers*/) {}

    int quality() const { return m_quality; }
    const QString& pdfPath() const { return m_pdfPath; }
    const QString& converterWorkFolder() const { return m_converterWorkFolder; }
    int dpi() const { return m_dpi; }
    // The open document (null when it could not be opened). Shared with the import, which
    // reads links and bookmarks from it after the pages are done.
    const std::shared_ptr<pdf::Document>& pdfDocument() const { return m_pdfDocument; }

protected:
    int m_quality;
    QString m_pdfPath;
    QString m_converterWorkFolder;
    int m_dpi = 144;
    std::shared_ptr<pdf::Document> m_pdfDocument;
};

} // namespace leafcraft
