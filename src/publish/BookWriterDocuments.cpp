// The book writer's documents: the configuration (files/config.xml and its script copy) and
// the page list (pages.xml).
#include "publish/BookWriter.h"

#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "support/BookSettings.h"
#include "import/PageSource.h"
#include "import/PdfPageSource.h"
#include "import/PageFacts.h"
#include "platform/Log.h"
#include "support/SaveFile.h"
#include "platform/PdfDocument.h"
#include "publish/BookDocuments.h"
#include "publish/BookSettings.h"
#include "publish/ReaderFiles.h"
#include "support/ConfigContainer.h"
#include "templates/Template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace leafcraft {

// ------------------------------------------------------------------ configuration

QString BookWriter::hiddenButtons() const
{
    return bookdoc::hiddenButtonList(bookdoc::bookSettings(m_template.get(), QString()));
}

quint32 BookWriter::colorWithHexString(const QString& text)
{
    return bookdoc::colorWithHexString(text);
}

xml::Element BookWriter::appendTextElement(const QString& name, const QString& value, xml::Element parent)
{
    return parent.appendElement(name, value);
}

xml::Document BookWriter::bookXML()
{
    xml::Document doc = bookdoc::configDocument(bookdoc::bookSettings(m_template.get(), m_publishedTitle));
    // The language of the PDF's text, for screen readers reading the pages (the interface keeps
    // the book's language).
    if (const auto* pdfSource = dynamic_cast<const PdfPageSource*>(m_pageSource.get());
        pdfSource && pdfSource->pdfDocument()) {
        const QString language = pdfSource->pdfDocument()->language();
        xml::Element setting = doc.root().firstChild(QStringLiteral("Config")).firstChild(QStringLiteral("Setting"));
        if (!language.isEmpty() && !setting.isNull())
            setting.appendElement(QStringLiteral("TextLanguage"), language);
    }
    if (m_outline) {
        xml::Document ols = m_outline->outlineAsXMLNode();
        if (m_pageSource)
            bookdoc::mapContentsToBook(ols.root(), bookdoc::bookPositions(*m_pageSource));
        doc.root().appendCopy(ols.root());
    }
    const QString working = previewPath() + QStringLiteral("/pages.xml");
    if (QFileInfo::exists(working))
        appendPageList(doc.root(), working);
    else if (!m_generatedPageList.isEmpty() && QFileInfo::exists(m_generatedPageList))
        appendPageList(doc.root(), m_generatedPageList);
    else
        doc.root().appendCopy(pageListDocument(m_basePath).root());
    return doc;
}

void BookWriter::writeBookConfig(const QString& path)
{
    const QByteArray document = bookXML().toBytes(xml::Output::Pretty);
    const QByteArray container = ConfigContainer::encode(document);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The previous file stays whole until the new one is complete.
    saveFile(path, container, QStringLiteral("the book configuration"));
    const QString script = QFileInfo(path).absolutePath() + QStringLiteral("/config.js");
    saveFile(script, bookdoc::configScript(container), QStringLiteral("the book configuration script"));
}

// ------------------------------------------------------------------ page list

int BookWriter::pageWidthSetting() const
{
    return (m_settings ? *m_settings : BookSettings::shared()).pageWidth();
}

int BookWriter::pageHeightSetting() const
{
    return (m_settings ? *m_settings : BookSettings::shared()).pageHeight();
}

xml::Document BookWriter::pageListDocument(const QString& basePath) const
{
    std::vector<bookdoc::PageListEntry> entries;
    if (m_pageSource) {
        const PageSource& source = *m_pageSource;
        const bool anyThumbs = !source.thumbPages().empty();
        entries.reserve(source.pages().size());
        for (const auto& page : source.pages()) {
            const int n = page->pageIndex();
            const BookPage* normal = source.normalPageAt(n);
            if (!normal)
                normal = page.get();
            bookdoc::PageListEntry e;
            e.pageIndex = n;
            if (const PageFacts* facts = page->facts().get()) {
                e.width = facts->width;
                e.height = facts->height;
            }
            e.normal = normalPageUrl(*normal);
            e.large = zoomedPageUrl(*normal);
            e.thumb = e.normal;
            if (anyThumbs) {
                const BookPage* thumb = source.thumbPageAt(n);
                if (!thumb)
                    for (const auto& t : source.thumbPages())
                        if (t->pageIndex() == n) {
                            thumb = t.get();
                            break;
                        }
                if (thumb)
                    e.thumb = thumbPageUrl(*thumb);
            }
            entries.push_back(std::move(e));
        }
    }
    const xml::Element annos = m_annotations ? m_annotations->pagesAnnotationsNode() : xml::Element();
    return bookdoc::pageListDocument(basePath, pageWidthSetting(), pageHeightSetting(), entries, annos);
}

QString BookWriter::writePageList(const QString& basePath, bool isEditor)
{
    if (!isEditor)
        return QString();
    const QString path = baseFolder(QString()) + QStringLiteral("/pages.xml");
    const QByteArray bytes = pageListDocument(basePath).rootBytes(xml::Output::Pretty);
    const QString problem = trySaveFile(path, bytes);
    if (!problem.isNull())
        warn(path, QStringLiteral("cannot write the page list: %1").arg(problem), true);
    return path;
}

void BookWriter::appendPageList(xml::Element element, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the page list"), path);
    xml::Document list = xml::Document::parse(f.readAll(), path);
    element.appendCopy(list.root());
}

} // namespace leafcraft
