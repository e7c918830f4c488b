#include "publish/BookWriter.h"

#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "support/BookSettings.h"
#include "import/PageSource.h"
#include "import/PageFacts.h"
#include "import/SwfFile.h"
#include "platform/Log.h"
#include "platform/PdfDocument.h"
#include "platform/Platform.h"
#include "support/FileUtility.h"
#include "support/SaveFile.h"
#include "publish/BookDocuments.h"
#include "publish/BookSettings.h"
#include "publish/BookStaging.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/ReaderFiles.h"
#include "templates/Template.h"
#include "templates/TemplateProperty.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <optional>

namespace leafcraft {

namespace {

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}


QString& defaultPreviewFolder()
{
    static QString folder;
    return folder;
}

} // namespace

// ------------------------------------------------------------------ paths and primitives

QString BookWriter::previewPath()
{
    if (!m_previewFolder.isEmpty()) {
        m_previewPath = QDir::cleanPath(m_previewFolder);
        return m_previewPath;
    }
    if (!defaultPreviewFolder().isEmpty()) {
        m_previewPath = defaultPreviewFolder();
        return m_previewPath;
    }
    m_previewPath = QDir::cleanPath(FileUtility::userAppSupportFolder() + QStringLiteral("/Quiresheet/preview/"));
    return m_previewPath;
}

void BookWriter::setDefaultPreviewFolder(const QString& folder)
{
    defaultPreviewFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

QString BookWriter::baseFolder(const QString& base) const
{
    if (!base.isEmpty())
        return base;
    return m_writeFolder.isEmpty() ? m_saveToFolder : m_writeFolder;
}

QString BookWriter::manifestPath() const
{
    // Both made absolute: a relative name given to QDir::relativeFilePath counts from the folder.
    const QString inRoot =
        QDir(QFileInfo(bookRoot()).absoluteFilePath()).relativeFilePath(QFileInfo(m_saveToFolder).absoluteFilePath());
    return inRoot == QLatin1String(".") ? BookStaging::manifestName() : inRoot + QLatin1Char('/') + BookStaging::manifestName();
}

QString BookWriter::stagedPath(const QString& path) const
{
    return m_activeStaging ? m_activeStaging->stagedPath(path) : path;
}

QString BookWriter::resourcePath(const QString& base, const QString& relative) const
{
    QString path = baseFolder(base) + QLatin1Char('/') + m_resourceFolder;
    if (!relative.isEmpty())
        path += QLatin1Char('/') + relative;
    return path;
}

// ------------------------------------------------------------------ the whole book

void BookWriter::writeBook()
{
    if (!m_staging && !QFileInfo(m_saveToFolder).isDir()) {
        warn(m_saveToFolder, QStringLiteral("the book folder does not exist; nothing was written"), true);
        return;
    }
    writeStaged([this] { writeStagedBook(); });
}

void BookWriter::writeStaged(const std::function<void()>& write)
{
    std::optional<BookStaging> own;
    m_activeStaging = m_staging;
    if (!m_activeStaging) {
        own.emplace(bookRoot(), manifestPath());
        own->setFolderIsPrivate(m_folderIsPrivate);
        own->setReplacesBookWithoutManifest(m_replacesUnrecorded);
        own->begin();
        m_activeStaging = &*own;
    }
    if (!m_fingerprint.isEmpty())
        m_activeStaging->setFingerprint(m_fingerprint);
    m_writeFolder = stagedPath(m_saveToFolder);
    m_failedFiles.clear();
    try {
        if (!QDir().mkpath(m_writeFolder))
            throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), bookRoot());
        write();
        if (m_failedWrites > 0) {
            const QStringList some = m_failedFiles.mid(0, 10);
            throw Error(ErrorKind::Output,
                        QStringLiteral("the book was not written: %1 file(s) could not be written (%2%3)")
                            .arg(m_failedWrites)
                            .arg(some.join(QStringLiteral(", ")), m_failedFiles.size() > 10 ? QStringLiteral(", ...") : QString()),
                        m_saveToFolder);
        }
        reportProgress();
        if (own) {
            own->commit();
            m_warnings.append(own->warnings());
        }
    } catch (const Error& e) {
        const QString staged = m_activeStaging->stagingFolder();
        m_writeFolder.clear();
        m_activeStaging = nullptr;
        if (staged.isEmpty() || !e.where().startsWith(staged))
            throw;
        throw Error(e.kind(), e.message(), QDir::cleanPath(bookRoot()) + e.where().mid(staged.size()));
    } catch (...) {
        m_writeFolder.clear();
        m_activeStaging = nullptr;
        throw;
    }
    m_writeFolder.clear();
    m_activeStaging = nullptr;
}

void BookWriter::writeStagedBook()
{
    // The page and thumbnail copies run in the background while the documents are built;
    // they are all finished (and their failures reported) before this returns or throws.
    m_deferCopies = true;
    try {
        writeWholeBook();
    } catch (...) {
        m_deferCopies = false;
        finishCopies();
        throw;
    }
    m_deferCopies = false;
    finishCopies();
}

void BookWriter::writeWholeBook()
{
    const QString none;
    removeExtraFiles(none);
    writePagePictures(none);
    writeZoomedPictures(none);
    writeThumbnails(none);
    writeExtraFiles(none);
    writeAnnotationFiles(none);
    writeThemeFiles(none);

    reportProgress();
    // The working folder's page list is the master one. A book written into the working folder
    // itself (the live preview) keeps it, or gets a fresh one while it has none; any other
    // book carries it only inside its configuration.
    const QString preview = previewPath();
    const bool intoWorkingFolder = QDir::cleanPath(preview) == QDir::cleanPath(m_saveToFolder);
    m_generatedPageList.clear();
    if (exists(preview + QStringLiteral("/pages.xml"))) {
        if (intoWorkingFolder && m_writeFolder != m_saveToFolder)
            copyFile(preview + QStringLiteral("/pages.xml"), baseFolder(none) + QStringLiteral("/pages.xml"));
    } else if (intoWorkingFolder) {
        m_generatedPageList = writePageList(m_basePath, m_neverEditor);
    }

    const QString editor = preview + QStringLiteral("/files/editor");
    const QString bookEditor = resourcePath(none, QStringLiteral("editor"));
    if (!m_editorFilesFolder.isEmpty()) {
        std::vector<CopyTask> copies;
        for (const QString& file : m_editorFiles) {
            const QString target = resourcePath(none, file);
            QDir().mkpath(QFileInfo(target).absolutePath());
            copies.push_back({m_editorFilesFolder + QLatin1Char('/') + file, target});
        }
        copyFiles(copies);
    } else if (QFileInfo(editor).isDir()
               && QFileInfo(editor).canonicalFilePath() != QFileInfo(bookEditor).canonicalFilePath()) {
        copyFolder(editor, bookEditor);
    }

    const QString html = stagedPath(outputHtmlFileName());
    const QString pattern = m_template ? m_template->htmlTemplatePath() : QString();
    if (pattern.isEmpty())
        throw Error(ErrorKind::BadInput, QStringLiteral("the template has no HTML page"),
                    m_template ? m_template->templateName() : QString());
    if (m_htmlConfig) {
        HTMLConfigInfo page = *m_htmlConfig;
        page.takeBookSettings(bookdoc::bookSettings(m_template.get(), m_publishedTitle));
        page.generateHtmlFrom(pattern, html);
    } else {
        removePath(html);
        if (!copyFile(pattern, html))
            throw Error(ErrorKind::Output, QStringLiteral("cannot write the HTML page"), html);
    }

    writeBookConfig(resourcePath(none, QStringLiteral("config.xml")));
    writeSearchFile(none);

    if (m_template) {
        // Flash-era files: copied only when the template data ships them.
        const QString appFiles = Platform::current().resources().appFilesDir();
        const QString tmplDir = Template::templatePathForName(m_template->templateName());
        if (QFileInfo::exists(appFiles + QStringLiteral("/TmplData/book.swf")))
            m_template->copyBookSWFToFile(resourcePath(none, QStringLiteral("book.swf")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("swfobject.js")))
            m_template->copyBookJSFile(resourcePath(none, QStringLiteral("swfobject.js")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("playerProductInstall.swf")))
            m_template->copyElseSWFToFile(resourcePath(none, QStringLiteral("playerProductInstall.swf")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("Main.swf")))
            m_template->copyThemeToFile(resourcePath(none, QStringLiteral("theme/Main.swf")));
        // The HTML5 player that shows the book in any browser.
        const QString player = resourcePath(none, QStringLiteral("player"));
        QString problem;
        if (!m_template->copyPlayerFilesToFolder(player, &problem))
            throw Error(ErrorKind::Output, QStringLiteral("cannot copy the book player: %1").arg(problem), player);
    }
}

QString BookWriter::outputHtmlFileName() const
{
    const QString name = m_saveToFileName.isEmpty() ? QStringLiteral("index.html") : m_saveToFileName;
    return QDir::cleanPath(m_saveToFolder + QLatin1Char('/') + name);
}

QString BookWriter::outputFileName() const
{
    return outputHtmlFileName();
}

// ------------------------------------------------------------------ the steps

void BookWriter::removeExtraFiles(const QString& base)
{
    const QString ext = resourcePath(base, m_extraFilesFolder) + QLatin1Char('/');
    for (const char* e : {"jpg", "png", "gif"})
        QFile::remove(ext + QStringLiteral("ImagePath.") + QLatin1String(e));
    for (const char* e : {"jpg", "png", "bmp", "gif"})
        QFile::remove(ext + QStringLiteral("LogoFile.") + QLatin1String(e));
    QFile::remove(ext + QStringLiteral("SoundFile.mp3"));
}

void BookWriter::writePagePictures(const QString& base)
{
    const QString folder = resourcePath(base, m_normalPageFolder);
    removePath(folder);
    if (!QDir().mkpath(folder)) {
        warn(folder, QStringLiteral("cannot create the folder"), true);
        return;
    }
    if (!m_pageSource)
        return;
    std::vector<CopyTask> copies;
    std::vector<CopyTask> pictures;
    for (const auto& page : m_pageSource->normalPages()) {
        const QString ext = bookdoc::pathExtension(page->pageFilePath());
        const QString stem = folder + QLatin1Char('/') + QString::number(page->pageIndex());
        copies.push_back({page->pageFilePath(), stem + QLatin1Char('.') + ext});
        if (ext.compare(QLatin1String("swf"), Qt::CaseInsensitive) == 0)
            pictures.push_back({page->pageFilePath(), stem + QStringLiteral(".jpg")});
    }
    copyFiles(copies);
    for (const CopyTask& p : pictures)
        writeSwfPicture(p.from, p.to);
}

void BookWriter::writeSwfPicture(const QString& swfPath, const QString& jpgPath)
{
    QFile::remove(jpgPath);
    QByteArray jpeg;
    try {
        jpeg = SwfFile::extractJpeg(swfPath);
    } catch (const Error& e) {
        warn(swfPath, QStringLiteral("no picture for browsers without Flash: %1").arg(e.message()), false);
        return;
    }
    if (jpeg.isEmpty()) {
        warn(swfPath, QStringLiteral("no picture for browsers without Flash"), false);
        return;
    }
    const QString problem = trySaveFile(jpgPath, jpeg);
    if (!problem.isNull())
        warn(jpgPath, QStringLiteral("cannot write the page picture: %1").arg(problem), true);
}

void BookWriter::writeZoomedPictures(const QString& base)
{
    // The zoom shows the normal pages unless the import made large pictures for it.
    const QString folder = resourcePath(base, m_zoomedPageFolder);
    removePath(folder);
    if (m_pageSource && !m_pageSource->zoomedPages().empty())
        copyPictures(folder, m_pageSource->zoomedPages());
}

void BookWriter::writeThumbnails(const QString& base)
{
    const QString folder = resourcePath(base, m_thumbPageFolder);
    removePath(folder);
    if (m_pageSource)
        copyPictures(folder, m_pageSource->thumbPages());
    else if (!QDir().mkpath(folder))
        warn(folder, QStringLiteral("cannot create the folder"), true);
}

void BookWriter::copyPictures(const QString& folder, const std::vector<std::unique_ptr<BookPage>>& pictures)
{
    if (!QDir().mkpath(folder)) {
        warn(folder, QStringLiteral("cannot create the folder"), true);
        return;
    }
    std::vector<CopyTask> copies;
    for (const auto& page : pictures)
        copies.push_back({page->pageFilePath(),
                          folder + QLatin1Char('/') + QString::number(page->pageIndex()) + QStringLiteral(".jpg")});
    copyFiles(copies);
}

void BookWriter::writeExtraFiles(const QString& base)
{
    const QString folder = resourcePath(base, m_extraFilesFolder);
    QDir().mkpath(folder);
    if (!m_template)
        return;
    if (m_template->templateName() == QLatin1String("Panoramic")) {
        const QString cube = previewPath() + QStringLiteral("/files/extfiles/");
        for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
            const QString from = cube + QLatin1String(name);
            const QString to = folder + QLatin1Char('/') + QLatin1String(name);
            if (exists(from) && !exists(to))
                copyFile(from, to);
        }
    }
    for (const auto& property : m_template->properties()) {
        if (property->propertyType() == pt_file && !property->value().isEmpty()) {
            const QString target = folder + QLatin1Char('/') + property->key() + QLatin1Char('.')
                + bookdoc::pathExtension(property->value());
            QFile::remove(target);
            copyFile(property->value(), target);
        }
        for (const auto& child : property->childProperties())
            writeExtraFiles(base, *child);
    }
}

void BookWriter::writeExtraFiles(const QString& base, const TemplateProperty& childPro)
{
    if (childPro.propertyType() == pt_file && !childPro.value().isEmpty()) {
        const QString target = resourcePath(base, m_extraFilesFolder) + QLatin1Char('/') + childPro.key()
            + QLatin1Char('.') + bookdoc::pathExtension(childPro.value());
        QFile::remove(target);
        if (!QFileInfo(childPro.value()).isFile()) {
            warn(childPro.value(), QStringLiteral("the file of property \"%1\" is missing").arg(childPro.key()), true);
            return; // skipped together with its own children
        }
        copyFile(childPro.value(), target);
    }
    for (const auto& child : childPro.childProperties())
        writeExtraFiles(base, *child);
}

void BookWriter::writeAnnotationFiles(const QString& base)
{
    if (!m_annotations)
        return;
    const QString folder = resourcePath(base, m_annotationFilesFolder);
    QDir().mkpath(folder);
    for (const QString& file : m_annotations->needFiles()) {
        const QString target = folder + QLatin1Char('/') + QFileInfo(file).fileName();
        if (QFileInfo(file).isFile() && !exists(target))
            copyFile(file, target);
    }
}

void BookWriter::writeThemeFiles(const QString& base)
{
    QDir().mkpath(resourcePath(base, QStringLiteral("theme")));
}

QStringList BookWriter::searchTexts()
{
    if (m_searchTexts)
        return *m_searchTexts;
    QStringList texts;
    if (!m_pageSource)
        return texts;
    if (std::optional<QStringList> imported = bookdoc::importedPageTexts(*m_pageSource))
        return *imported;
    const QString source = m_pageSource->sourceFile();
    const QFileInfo info(source);
    QString key;
    if (!source.isEmpty() && info.isFile()) {
        // The preview writes the same book again and again: its text is read once per file
        // version and page list.
        key = info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
            + QString::number(info.lastModified().toMSecsSinceEpoch());
        for (const auto& page : m_pageSource->pages())
            key += QLatin1Char(',') + QString::number(page->pageIndex());
        static std::mutex cacheMutex;
        static QString cachedKey;
        static QStringList cachedTexts;
        {
            std::lock_guard<std::mutex> lock(cacheMutex);
            if (cachedKey == key)
                return cachedTexts;
        }
        std::unique_ptr<pdf::Document> doc;
        try {
            doc = pdf::openDocument(source);
        } catch (const Error& e) {
            warn(source, QStringLiteral("no search text: %1").arg(e.message()), false);
        }
        bool complete = doc != nullptr;
        for (const auto& page : m_pageSource->pages()) {
            QString text = QStringLiteral("");
            const int n = page->pageIndex() - 1;
            if (doc && n >= 0 && n < doc->pageCount()) {
                try {
                    text = doc->pageText(n);
                } catch (const Error& e) {
                    complete = false;
                    warn(source, QStringLiteral("no search text for page %1: %2").arg(n + 1).arg(e.message()), false);
                }
            }
            texts.push_back(text);
        }
        if (complete) {
            std::lock_guard<std::mutex> lock(cacheMutex);
            cachedKey = key;
            cachedTexts = texts;
        }
        return texts;
    }
    for (std::size_t i = 0; i < m_pageSource->pages().size(); ++i)
        texts.push_back(QStringLiteral(""));
    return texts;
}

void BookWriter::writeSearchFile(const QString& base)
{
    const QString folder = resourcePath(base, m_searchFolder);
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/search.js");
    const QString problem = trySaveFile(path, bookdoc::searchScript(searchTexts()));
    if (!problem.isNull())
        warn(path, QStringLiteral("cannot write the search text: %1").arg(problem), true);
    if (m_pageSource)
        bookdoc::writeWordFiles(folder, *m_pageSource, [this](const QString& file, const QString& problem) {
            warn(file, QStringLiteral("cannot write the page's words: %1").arg(problem), true);
        });
}

// ------------------------------------------------------------------ URLs

QString BookWriter::normalPageUrl(const BookPage& page) const
{
    return m_normalPageFolder + QLatin1Char('/') + QString::number(page.pageIndex()) + QLatin1Char('.')
        + bookdoc::pathExtension(page.pageFilePath());
}

QString BookWriter::zoomedPageUrl(const BookPage& page) const
{
    const BookPage* zoomed = m_pageSource ? m_pageSource->zoomedPageAt(page.pageIndex()) : nullptr;
    if (!zoomed)
        return normalPageUrl(page);
    return m_zoomedPageFolder + QLatin1Char('/') + QString::number(zoomed->pageIndex()) + QStringLiteral(".jpg");
}

QString BookWriter::thumbPageUrl(const BookPage& page) const
{
    return m_thumbPageFolder + QLatin1Char('/') + QString::number(page.pageIndex()) + QStringLiteral(".jpg");
}

} // namespace leafcraft
