#include "publish/EditedPageList.h"

#include "support/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace leafcraft {

namespace {

bool isPagePicture(const xml::Element& item)
{
    const QString name = item.attribute(QStringLiteral("name")).value_or(QString());
    return item.name() == QLatin1String("Item")
        && (name == QLatin1String("thumb") || name == QLatin1String("normal") || name == QLatin1String("large"));
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
    list.m_document = xml::Document::parse(file.readAll(), pagesXml);
    if (list.m_document.root().name() != QLatin1String("Pages"))
        throw Error(ErrorKind::BadInput, QStringLiteral("not a page list (its root element is not Pages)"), pagesXml);

    const QString work = QFileInfo(pagesXml).absolutePath();
    list.m_filesFolder = work + QStringLiteral("/files");
    const QString realFiles = QFileInfo(work).canonicalFilePath() + QStringLiteral("/files/");
    int pageNumber = 0;
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
            if (!list.m_files.contains(href))
                list.m_files << href;
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
