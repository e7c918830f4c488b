#include "publish/EditedPageList.h"

#include "support/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QXmlStreamReader>

namespace leafcraft {

namespace {

bool isPagePicture(const xml::Element& item)
{
    const QString name = item.attribute(QStringLiteral("name")).value_or(QString());
    return item.name() == QLatin1String("Item")
        && (name == QLatin1String("thumb") || name == QLatin1String("normal") || name == QLatin1String("large"));
}

// Refuses a list with more items on a page, or in all, than a list may have, before the list
// is held in memory: a streaming count of the elements inside each Page that are not page
// pictures. A list that is not well-formed is left to the parser, which says where.
void checkItemCounts(const QByteArray& bytes, const QString& where)
{
    QXmlStreamReader reader(bytes);
    int depth = 0, page = 0, onPage = 0, total = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth == 2 && reader.name() == QLatin1String("Page")) {
            ++page;
            onPage = 0;
        }
        const QStringView name = reader.attributes().value(QLatin1String("name"));
        if (depth != 3
            || (reader.name() == QLatin1String("Item")
                && (name == QLatin1String("thumb") || name == QLatin1String("normal") || name == QLatin1String("large"))))
            continue;
        if (++onPage > EditedPageList::kMaxItemsPerPage)
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("page %1 has more than %2 items, more than a page may have")
                            .arg(page)
                            .arg(EditedPageList::kMaxItemsPerPage),
                        where);
        if (++total > EditedPageList::kMaxItems)
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("the page list has more than %1 items, more than a list may have")
                            .arg(EditedPageList::kMaxItems),
                        where);
    }
}

} // namespace

QStringList EditedPageList::extensionsFor(const QString& kind)
{
    if (kind == QLatin1String("Image"))
        return {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"), QStringLiteral("gif")};
    if (kind == QLatin1String("Video"))
        return {QStringLiteral("mp4"), QStringLiteral("webm"), QStringLiteral("flv")};
    if (kind == QLatin1String("Audio"))
        return {QStringLiteral("mp3")};
    if (kind == QLatin1String("Swf"))
        return {QStringLiteral("swf")};
    return {};
}

EditedPageList EditedPageList::load(const QString& pagesXml)
{
    EditedPageList list;
    list.m_path = pagesXml;
    QFile file(pagesXml);
    if (!QFileInfo(pagesXml).isFile() || !file.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("the page list cannot be read"), pagesXml);
    if (file.size() > kMaxFileSize)
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("the page list has %1 bytes, more than a page list may have (%2 MB)")
                        .arg(file.size())
                        .arg(kMaxFileSize >> 20),
                    pagesXml);
    const QByteArray bytes = file.readAll();
    checkItemCounts(bytes, pagesXml);
    list.m_document = xml::Document::parse(bytes, pagesXml);
    if (list.m_document.root().name() != QLatin1String("Pages"))
        throw Error(ErrorKind::BadInput, QStringLiteral("not a page list (its root element is not Pages)"), pagesXml);

    const QString work = QFileInfo(pagesXml).absolutePath();
    list.m_filesFolder = work + QStringLiteral("/files");
    const QString realFiles = QFileInfo(work).canonicalFilePath() + QStringLiteral("/files/");
    int pageNumber = 0;
    QSet<QString> seen;
    for (const xml::Element& page : list.m_document.root().children(QStringLiteral("Page"))) {
        ++pageNumber;
        for (const xml::Element& item : page.children(QStringLiteral("Item"))) {
            const QString kind = item.attribute(QStringLiteral("name")).value_or(QString());
            const QStringList extensions = extensionsFor(kind);
            if (extensions.isEmpty())
                continue;
            const QString href = item.attribute(QStringLiteral("href")).value_or(QString());
            const QString where = QStringLiteral("%1, page %2").arg(pagesXml).arg(pageNumber);
            const QString cleaned = QDir::cleanPath(href);
            if (href.isEmpty() || QDir::isAbsolutePath(href) || cleaned != href || !href.startsWith(QLatin1String("editor/"))
                || href.split(QLatin1Char('/')).contains(QStringLiteral("..")))
                throw Error(ErrorKind::BadInput,
                            QStringLiteral("the %1 item's file \"%2\" is not inside files/editor").arg(kind, href), where);
            const QFileInfo info(list.m_filesFolder + QLatin1Char('/') + href);
            if (!info.isFile())
                throw Error(ErrorKind::BadInput, QStringLiteral("the %1 item's file is missing").arg(kind), info.filePath());
            if (info.isSymLink() || info.canonicalFilePath() != realFiles + href)
                throw Error(ErrorKind::BadInput,
                            QStringLiteral("the %1 item's file is reached through a symbolic link").arg(kind),
                            info.filePath());
            if (!extensions.contains(info.suffix().toLower()))
                throw Error(ErrorKind::BadInput,
                            QStringLiteral("the %1 item's file is not of its kind (%2)").arg(kind, extensions.join(", ")),
                            info.filePath());
            if (!seen.contains(href)) {
                seen.insert(href);
                list.m_files << href;
            }
        }
    }
    return list;
}

int EditedPageList::pageCount() const
{
    return int(m_document.root().children(QStringLiteral("Page")).size());
}

void EditedPageList::applyTo(xml::Document& pageList) const
{
    const std::vector<xml::Element> edited = m_document.root().children(QStringLiteral("Page"));
    std::vector<xml::Element> target = pageList.root().children(QStringLiteral("Page"));
    if (edited.size() != target.size())
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("the page list has %1 pages, the book %2").arg(edited.size()).arg(target.size()),
                    m_path);
    for (std::size_t i = 0; i < target.size(); ++i) {
        for (xml::Element child : target[i].children())
            if (!isPagePicture(child))
                child.remove();
        for (const xml::Element& child : edited[i].children())
            if (!isPagePicture(child))
                target[i].appendCopy(child);
    }
}

} // namespace leafcraft
