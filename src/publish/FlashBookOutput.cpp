#include "publish/FlashBookOutput.h"

#include "annotations/FlashOutline.h"
#include "annotations/FlashPagesAnnotations.h"
#include "app/AppSettings.h"
#include "import/FlashPageSource.h"
#include "import/SwfFile.h"
#include "platform/Log.h"
#include "platform/PdfDocument.h"
#include "platform/Platform.h"
#include "publish/AtomicWrite_p.h"
#include "publish/BookDocuments.h"
#include "publish/HTMLConfigInfo.h"
#include "support/ConfigContainer.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <atomic>
#include <mutex>
#include <filesystem>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <system_error>

namespace leafcraft {

namespace detail {

struct CopyResult {
    enum Kind { Copied, SourceMissing, Failed } kind;
    QString problem;
};

// Copies the bytes of the regular file `from` into a new file `to` in the kernel, without
// passing them through user space. An existing `to` is replaced when `replace` is true and
// makes the copy fail otherwise. A failed copy leaves no partial file behind.
CopyResult copyFileContents(const QString& from, const QString& to, bool replace)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return {errno == ENOENT || errno == ENOTDIR ? CopyResult::SourceMissing : CopyResult::Failed,
                QString::fromLocal8Bit(std::strerror(errno))};
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return {CopyResult::SourceMissing, QStringLiteral("not a file")};
    }
    int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0 && errno == EEXIST && replace && ::unlink(dst.constData()) == 0)
        out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return {CopyResult::Failed, QString::fromLocal8Bit(std::strerror(e))};
    }
    int error = 0;
    off_t left = st.st_size;
    bool fallback = false;
    while (left > 0) {
        const ssize_t n = fallback ? -1 : ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0)
            break; // the file shrank meanwhile
        if (!fallback && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            fallback = true;
            continue;
        }
        if (!fallback && errno == EINTR)
            continue;
        if (!fallback) {
            error = errno;
            break;
        }
        // Plain read and write, for file systems without an in-kernel copy.
        char buffer[1 << 16];
        const ssize_t r = ::read(in, buffer, sizeof buffer);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            error = r < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < r;) {
            const ssize_t w = ::write(out, buffer + done, size_t(r - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                error = w < 0 ? errno : EIO;
                break;
            }
            done += w;
        }
        if (error)
            break;
        left -= r;
    }
    ::close(in);
    if (::close(out) != 0 && !error)
        error = errno;
    if (error) {
        ::unlink(dst.constData());
        return {CopyResult::Failed, QString::fromLocal8Bit(std::strerror(error))};
    }
    return {CopyResult::Copied, QString()};
}

} // namespace detail

namespace {

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    return detail::writeFileAtomically(path, bytes);
}

} // namespace

FlashBookOutput::FlashBookOutput(std::shared_ptr<FlashPageSource> pageSource,
                                 std::shared_ptr<FlashTemplate> flashTemplate, const QString& saveToFolder,
                                 const QString& toName)
    : iFlashTemplate(std::move(flashTemplate)),
      iFlashPageSource(std::move(pageSource)),
      iSaveToFolder(saveToFolder),
      iSaveToFileName(toName)
{
}


// ------------------------------------------------------------------ paths and primitives

QString FlashBookOutput::GetPreviewPath()
{
    if (!m_previewFolder.isEmpty()) {
        ThePreviewPath = QDir::cleanPath(m_previewFolder);
        return ThePreviewPath;
    }
    QString support = Platform::current().paths().userAppSupportDir();
    if (support.isEmpty())
        support = QStringLiteral("/temp");
    ThePreviewPath = QDir::cleanPath(support + QStringLiteral("/Quiresheet/preview/"));
    return ThePreviewPath;
}

QString FlashBookOutput::baseFolder(const QString& base) const
{
    return base.isEmpty() ? iSaveToFolder : base;
}

QString FlashBookOutput::resourcePath(const QString& base, const QString& relative) const
{
    QString path = baseFolder(base) + QLatin1Char('/') + iResourceFolder;
    if (!relative.isEmpty())
        path += QLatin1Char('/') + relative;
    return path;
}

void FlashBookOutput::warn(const QString& where, const QString& message, bool failedWrite)
{
    LC_WARN(where + QStringLiteral(": ") + message);
    m_warnings.add(where, message);
    if (failedWrite)
        ++m_failedWrites;
}

bool FlashBookOutput::copyFile(const QString& from, const QString& to, bool replace)
{
    const detail::CopyResult r = from.isEmpty() ? detail::CopyResult{detail::CopyResult::SourceMissing, QString()}
                                                : detail::copyFileContents(from, to, replace);
    switch (r.kind) {
    case detail::CopyResult::Copied: return true;
    case detail::CopyResult::SourceMissing:
        warn(from.isEmpty() ? to : from, QStringLiteral("the file is missing"), false);
        return false;
    case detail::CopyResult::Failed:
        warn(to, QStringLiteral("cannot copy %1: %2").arg(from, r.problem), true);
        return false;
    }
    return false;
}

// A batch of copies in flight: helper threads take the tasks one by one; the results are
// reported in task order once the batch is finished.
struct FlashBookOutput::CopyBatch {
    std::vector<CopyTask> work;
    std::vector<detail::CopyResult> results;
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> threads;

    void run()
    {
        for (std::size_t i; (i = next.fetch_add(1)) < work.size();)
            results[i] = work[i].from.isEmpty() ? detail::CopyResult{detail::CopyResult::SourceMissing, QString()}
                                                : detail::copyFileContents(work[i].from, work[i].to, true);
    }
    void join()
    {
        for (std::thread& t : threads)
            t.join();
        threads.clear();
        run(); // whatever no thread took (none could be started)
    }
};

void FlashBookOutput::copyFiles(const std::vector<CopyTask>& tasks)
{
    auto batch = std::make_unique<CopyBatch>();
    // When two pages share a target, the later one wins, as if copied one after the other.
    QHash<QString, std::size_t> slot;
    for (const CopyTask& t : tasks) {
        const auto it = slot.constFind(t.to);
        if (it != slot.constEnd()) {
            batch->work[*it] = t;
        } else {
            slot.insert(t.to, batch->work.size());
            batch->work.push_back(t);
        }
    }
    batch->results.assign(batch->work.size(), {detail::CopyResult::Failed, QString()});
    // Several copies in flight keep the disk busy while one of them waits.
    const int helpers = batch->work.size() >= 16 ? 2 : 0;
    try {
        for (int h = 0; h < helpers; ++h)
            batch->threads.emplace_back([b = batch.get()] { b->run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the tasks are done on this thread when the batch is finished.
    }
    m_copies.push_back(std::move(batch));
    if (!m_deferCopies)
        finishCopies();
}

FlashBookOutput::~FlashBookOutput()
{
    for (const auto& batch : m_copies)
        for (std::thread& t : batch->threads)
            t.join();
}

void FlashBookOutput::finishCopies()
{
    std::vector<std::unique_ptr<CopyBatch>> batches = std::move(m_copies);
    m_copies.clear();
    for (const auto& batch : batches)
        batch->join();
    for (const auto& batch : batches) {
        for (std::size_t i = 0; i < batch->work.size(); ++i) {
            const detail::CopyResult& r = batch->results[i];
            const CopyTask& t = batch->work[i];
            if (r.kind == detail::CopyResult::SourceMissing)
                warn(t.from.isEmpty() ? t.to : t.from, QStringLiteral("the file is missing"), false);
            else if (r.kind == detail::CopyResult::Failed)
                warn(t.to, QStringLiteral("cannot copy %1: %2").arg(t.from, r.problem), true);
        }
    }
}

bool FlashBookOutput::copyFolder(const QString& from, const QString& to)
{
    if (!QFileInfo(from).isDir())
        return false;
    bool ok = QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (info.isDir())
            ok = QDir().mkpath(target) && ok;
        else if (!exists(target))
            ok = copyFile(path, target) && ok;
    }
    return ok;
}

void FlashBookOutput::removePath(const QString& path)
{
    std::error_code ec;
    std::filesystem::remove_all(fsPath(path), ec);
}

// ------------------------------------------------------------------ the whole book

void FlashBookOutput::ouputTheBook()
{
    if (!QFileInfo(iSaveToFolder).isDir()) {
        warn(iSaveToFolder, QStringLiteral("the book folder does not exist; nothing was written"), true);
        return;
    }
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

void FlashBookOutput::writeWholeBook()
{
    const QString none;
    removeExtFile(none);
    prepaireNomalPage(none);
    prepaireZoomendPage(none);
    prepaireThumbPage(none);
    prepaireExtFiles(none);
    PrepareAnnotationFiles(none);
    prepaireThemeFile(none);

    const QString preview = GetPreviewPath();
    m_generatedPageList.clear();
    if (!exists(preview + QStringLiteral("/pages.xml")))
        m_generatedPageList = BookPageConfig(iBasePath, iNeverEditor);

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

    const QString html = outputHTMLFileName();
    const QString pattern = iFlashTemplate ? iFlashTemplate->tmplHTMLFilePath() : QString();
    if (pattern.isEmpty())
        throw Error(ErrorKind::BadInput, QStringLiteral("the template has no HTML page"),
                    iFlashTemplate ? iFlashTemplate->tmplName() : QString());
    if (iHTMLConfig) {
        iHTMLConfig->generateHTMLFrom(pattern, html);
    } else {
        removePath(html);
        if (!copyFile(pattern, html))
            throw Error(ErrorKind::Output, QStringLiteral("cannot write the HTML page"), html);
    }

    ouputBookXML(resourcePath(none, QStringLiteral("config.xml")));
    prepaireSearchFile(none);

    if (iFlashTemplate) {
        // Flash-era files: copied only when the template data ships them.
        const QString appFiles = Platform::current().resources().appFilesDir();
        const QString tmplDir = FlashTemplate::tmplPathForName(iFlashTemplate->tmplName());
        if (QFileInfo::exists(appFiles + QStringLiteral("/TmplData/book.swf")))
            iFlashTemplate->copyBookSWFToFile(resourcePath(none, QStringLiteral("book.swf")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("swfobject.js")))
            iFlashTemplate->copyBookJSFile(resourcePath(none, QStringLiteral("swfobject.js")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("playerProductInstall.swf")))
            iFlashTemplate->copyElseSWFToFile(resourcePath(none, QStringLiteral("playerProductInstall.swf")));
        if (QFileInfo::exists(tmplDir + QStringLiteral("Main.swf")))
            iFlashTemplate->copyThemeToFile(resourcePath(none, QStringLiteral("theme/Main.swf")));
        // The HTML5 player that shows the book in any browser.
        const QString player = resourcePath(none, QStringLiteral("player"));
        if (!iFlashTemplate->copyPlayerFilesToFolder(player))
            throw Error(ErrorKind::Output, QStringLiteral("cannot copy the book player (is the program fully built?)"), player);
    }
}

QString FlashBookOutput::outputHTMLFileName() const
{
    const QString name = iSaveToFileName.isEmpty() ? QStringLiteral("index.html") : iSaveToFileName;
    return QDir::cleanPath(iSaveToFolder + QLatin1Char('/') + name);
}

QString FlashBookOutput::outputFileName() const
{
    return outputHTMLFileName();
}

// ------------------------------------------------------------------ the steps

void FlashBookOutput::removeExtFile(const QString& base)
{
    const QString ext = resourcePath(base, iExterFilesFolder) + QLatin1Char('/');
    for (const char* e : {"jpg", "png", "gif"})
        QFile::remove(ext + QStringLiteral("ImagePath.") + QLatin1String(e));
    for (const char* e : {"jpg", "png", "bmp", "gif"})
        QFile::remove(ext + QStringLiteral("LogoFile.") + QLatin1String(e));
    QFile::remove(ext + QStringLiteral("SoundFile.mp3"));
}

void FlashBookOutput::prepaireNomalPage(const QString& base)
{
    const QString folder = resourcePath(base, iNormalPageFolder);
    removePath(folder);
    if (!QDir().mkpath(folder)) {
        warn(folder, QStringLiteral("cannot create the folder"), true);
        return;
    }
    if (!iFlashPageSource)
        return;
    std::vector<CopyTask> copies;
    std::vector<CopyTask> pictures;
    for (const auto& page : iFlashPageSource->normalPages()) {
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

void FlashBookOutput::writeSwfPicture(const QString& swfPath, const QString& jpgPath)
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
    if (!writeWhole(jpgPath, jpeg))
        warn(jpgPath, QStringLiteral("cannot write the page picture"), true);
}

void FlashBookOutput::prepaireZoomendPage(const QString& /*base*/)
{
    // Zoomed pages are the normal pages (iZoomedPageSameAsNormalPage): nothing to write.
}

void FlashBookOutput::prepaireThumbPage(const QString& base)
{
    const QString folder = resourcePath(base, iThumbPageFolder);
    removePath(folder);
    if (!QDir().mkpath(folder)) {
        warn(folder, QStringLiteral("cannot create the folder"), true);
        return;
    }
    if (!iFlashPageSource)
        return;
    std::vector<CopyTask> copies;
    for (const auto& page : iFlashPageSource->thumbPages())
        copies.push_back({page->pageFilePath(),
                          folder + QLatin1Char('/') + QString::number(page->pageIndex()) + QStringLiteral(".jpg")});
    copyFiles(copies);
}

void FlashBookOutput::prepaireExtFiles(const QString& base)
{
    const QString folder = resourcePath(base, iExterFilesFolder);
    QDir().mkpath(folder);
    if (!iFlashTemplate)
        return;
    if (iFlashTemplate->tmplName() == QLatin1String("Panoramic")) {
        const QString cube = GetPreviewPath() + QStringLiteral("/files/extfiles/");
        for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
            const QString from = cube + QLatin1String(name);
            const QString to = folder + QLatin1Char('/') + QLatin1String(name);
            if (exists(from) && !exists(to))
                copyFile(from, to);
        }
    }
    for (const auto& property : iFlashTemplate->properties()) {
        if (property->propertyType() == pt_file && !property->value().isEmpty()) {
            const QString target = folder + QLatin1Char('/') + property->key() + QLatin1Char('.')
                + bookdoc::pathExtension(property->value());
            QFile::remove(target);
            copyFile(property->value(), target);
        }
        for (const auto& child : property->childProperties())
            prepaireExtFiles(base, *child);
    }
}

void FlashBookOutput::prepaireExtFiles(const QString& base, const FlashTemplateProperty& childPro)
{
    if (childPro.propertyType() == pt_file && !childPro.value().isEmpty()) {
        const QString target = resourcePath(base, iExterFilesFolder) + QLatin1Char('/') + childPro.key()
            + QLatin1Char('.') + bookdoc::pathExtension(childPro.value());
        QFile::remove(target);
        if (!QFileInfo(childPro.value()).isFile()) {
            warn(childPro.value(), QStringLiteral("the file of property \"%1\" is missing").arg(childPro.key()), false);
            return; // skipped together with its own children
        }
        copyFile(childPro.value(), target);
    }
    for (const auto& child : childPro.childProperties())
        prepaireExtFiles(base, *child);
}

void FlashBookOutput::PrepareAnnotationFiles(const QString& base)
{
    if (!iFlashPagesAnnotations)
        return;
    const QString folder = resourcePath(base, iAnnotationFilesFolder);
    QDir().mkpath(folder);
    for (const QString& file : iFlashPagesAnnotations->needFiles()) {
        const QString target = folder + QLatin1Char('/') + QFileInfo(file).fileName();
        if (QFileInfo(file).isFile() && !exists(target))
            copyFile(file, target);
    }
}

void FlashBookOutput::prepaireThemeFile(const QString& base)
{
    QDir().mkpath(resourcePath(base, QStringLiteral("theme")));
}

QStringList FlashBookOutput::searchTexts()
{
    if (m_searchTexts)
        return *m_searchTexts;
    QStringList texts;
    if (!iFlashPageSource)
        return texts;
    const QString source = iFlashPageSource->sourceFile();
    const QFileInfo info(source);
    QString key;
    if (!source.isEmpty() && info.isFile()) {
        // The preview writes the same book again and again: its text is read once per file
        // version and page list.
        key = info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
            + QString::number(info.lastModified().toMSecsSinceEpoch());
        for (const auto& page : iFlashPageSource->pages())
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
        for (const auto& page : iFlashPageSource->pages()) {
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
    for (std::size_t i = 0; i < iFlashPageSource->pages().size(); ++i)
        texts.push_back(QStringLiteral(""));
    return texts;
}

void FlashBookOutput::prepaireSearchFile(const QString& base)
{
    const QString folder = resourcePath(base, iSearchInfoFolder);
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/search.js");
    if (!writeWhole(path, bookdoc::searchScript(searchTexts())))
        warn(path, QStringLiteral("cannot write the search text"), true);
}

// ------------------------------------------------------------------ URLs

QString FlashBookOutput::getNormalPageURL(const FlashPage& page) const
{
    return iNormalPageFolder + QLatin1Char('/') + QString::number(page.pageIndex()) + QLatin1Char('.')
        + bookdoc::pathExtension(page.pageFilePath());
}

QString FlashBookOutput::getZoomedPageURL(const FlashPage& page) const
{
    return getNormalPageURL(page);
}

QString FlashBookOutput::getThumbPageURL(const FlashPage& page) const
{
    return iThumbPageFolder + QLatin1Char('/') + QString::number(page.pageIndex()) + QStringLiteral(".jpg");
}

// ------------------------------------------------------------------ configuration

QString FlashBookOutput::GetVisibleButtons() const
{
    const FlashTemplate* tmpl = iFlashTemplate.get();
    return bookdoc::hiddenButtonList([tmpl](const QString& key, const QString& def) {
        return tmpl ? tmpl->propertyValueFor(key, def) : def;
    });
}

quint32 FlashBookOutput::colorWithHexString(const QString& text)
{
    return bookdoc::colorWithHexString(text);
}

xml::Element FlashBookOutput::AddChildToParent(const QString& name, const QString& value, xml::Element parent)
{
    return parent.appendElement(name, value);
}

xml::Document FlashBookOutput::bookXML()
{
    const FlashTemplate* tmpl = iFlashTemplate.get();
    xml::Document doc = bookdoc::configDocument([tmpl](const QString& key, const QString& def) {
        return tmpl ? tmpl->propertyValueFor(key, def) : def;
    });
    if (iFlashOutline) {
        xml::Document ols = iFlashOutline->outlineAsXMLNode();
        doc.root().appendCopy(ols.root());
    }
    const QString working = GetPreviewPath() + QStringLiteral("/pages.xml");
    if (exists(working))
        MergeXML(doc.root(), working);
    else if (!m_generatedPageList.isEmpty() && exists(m_generatedPageList))
        MergeXML(doc.root(), m_generatedPageList);
    else
        doc.root().appendCopy(pageListDocument(iBasePath).root());
    return doc;
}

void FlashBookOutput::ouputBookXML(const QString& path)
{
    const QByteArray document = bookXML().toBytes(xml::Output::Pretty);
    const QByteArray container = ConfigContainer::encode(document);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The previous file stays whole until the new one is complete.
    if (!writeWhole(path, container)) {
        LC_ERROR(QStringLiteral("Could not write document out..."));
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the book configuration"), path);
    }
    const QString script = QFileInfo(path).absolutePath() + QStringLiteral("/config.js");
    if (!writeWhole(script, bookdoc::configScript(container)))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the book configuration script"), script);
}

// ------------------------------------------------------------------ page list

int FlashBookOutput::pageWidthSetting() const
{
    return (m_settings ? *m_settings : AppSettings::shareInstance()).PageWidth();
}

int FlashBookOutput::pageHeightSetting() const
{
    return (m_settings ? *m_settings : AppSettings::shareInstance()).PageHeight();
}

xml::Document FlashBookOutput::pageListDocument(const QString& basePath) const
{
    std::vector<bookdoc::PageListEntry> entries;
    if (iFlashPageSource) {
        const FlashPageSource& source = *iFlashPageSource;
        const bool anyThumbs = !source.thumbPages().empty();
        entries.reserve(source.pages().size());
        for (const auto& page : source.pages()) {
            const int n = page->pageIndex();
            const FlashPage* normal = source.getNormalPageAtIndex(n);
            if (!normal)
                normal = page.get();
            bookdoc::PageListEntry e;
            e.pageIndex = n;
            e.normal = getNormalPageURL(*normal);
            e.large = getZoomedPageURL(*normal);
            e.thumb = e.normal;
            if (anyThumbs) {
                const FlashPage* thumb = source.getThumbPageAtIndex(n);
                if (!thumb)
                    for (const auto& t : source.thumbPages())
                        if (t->pageIndex() == n) {
                            thumb = t.get();
                            break;
                        }
                if (thumb)
                    e.thumb = getThumbPageURL(*thumb);
            }
            entries.push_back(std::move(e));
        }
    }
    const xml::Element annos = iFlashPagesAnnotations ? iFlashPagesAnnotations->pagesAnnotationsNode() : xml::Element();
    return bookdoc::pageListDocument(basePath, pageWidthSetting(), pageHeightSetting(), entries, annos);
}

QString FlashBookOutput::BookPageConfig(const QString& basePath, bool isEditor)
{
    if (!isEditor)
        return QString();
    const QString path = iSaveToFolder + QStringLiteral("/pages.xml");
    const QByteArray bytes = pageListDocument(basePath).rootBytes(xml::Output::Pretty);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        warn(path, QStringLiteral("cannot write the page list"), true);
    return path;
}

void FlashBookOutput::MergeXML(xml::Element element, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the page list"), path);
    xml::Document list = xml::Document::parse(f.readAll(), path);
    element.appendCopy(list.root());
}

} // namespace leafcraft
