#include "editor/PageEditorBridge.h"

#include "import/PdfPageConverter.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Xml.h"
#include "publish/EditedPageList.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace leafcraft {

namespace {

const QStringList kImageTypes = EditedPageList::extensionsFor(QStringLiteral("Image"));

// The files of the editor page, in the resource folder "PageEditor"; the last is optional.
const QStringList kPageFiles = {QStringLiteral("PageEditor.html"), QStringLiteral("PageEditor.js"),
                                QStringLiteral("PageEditor.css")};
const QString kBookPage = QStringLiteral("PageEditor.swf");

bool hasExtension(const QString& path, const QStringList& extensions)
{
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

// Copies a regular file to a new file; never replaces and leaves nothing behind on failure.
bool copyNew(const QString& from, const QString& to)
{
    if (!QFileInfo(from).isFile()) {
        LC_WARN(QStringLiteral("page editor: not a file [%1]").arg(from));
        return false;
    }
    if (const QString problem = tryCopyFile(from, to, {.createOnly = true}); !problem.isNull()) {
        LC_WARN(QStringLiteral("page editor: cannot copy [%1] to [%2]: %3").arg(from, to, problem));
        return false;
    }
    return true;
}

int pageCount(const xml::Document& doc)
{
    return doc.isNull() || doc.root().name() != QLatin1String("Pages") ? -1 : int(doc.root().children(QStringLiteral("Page")).size());
}

} // namespace

PageEditorBridge::PageEditorBridge(PageEditorHost* host, QObject* parent) : QObject(parent), m_host(host) {}

QString PageEditorBridge::formatDate()
{
    return PdfPageConverter::timeStamp(Platform::current().clock().now());
}

QString PageEditorBridge::pagePath() const
{
    return m_folder + QLatin1Char('/') + kPageFiles.first();
}

QString PageEditorBridge::editorFolder() const
{
    return m_folder + QStringLiteral("/files/editor");
}

bool PageEditorBridge::open(const QString& workingFolder)
{
    m_folder = QDir::cleanPath(workingFolder);
    m_error.clear();
    if (!QFileInfo(m_folder + QStringLiteral("/pages.xml")).isFile()) {
        m_error = tr("The book has no page list to edit yet.");
        return false;
    }
    const QString resources = Platform::current().resources().path(QStringLiteral("PageEditor"));
    QStringList files = kPageFiles;
    if (QFileInfo(resources + QLatin1Char('/') + kBookPage).isFile())
        files << kBookPage;
    for (const QString& name : files) {
        const QString target = m_folder + QLatin1Char('/') + name;
        QFile::remove(target);
        if (!copyNew(resources + QLatin1Char('/') + name, target)) {
            m_error = tr("The page editor is missing from the program's resources (%1).").arg(name);
            return false;
        }
    }
    return true;
}

QString PageEditorBridge::copyToAttachment(const QString& source)
{
    const QString folder = editorFolder();
    QDir().mkpath(folder);
    const QString stamp = formatDate();
    const QString ext = QFileInfo(source).suffix();
    // Files picked within one second share the stamp: later ones get a suffix instead of
    // replacing the earlier ones.
    QString name = stamp + QLatin1Char('.') + ext;
    for (int n = 2; QFileInfo(folder + QLatin1Char('/') + name).exists() || QFileInfo(folder + QLatin1Char('/') + name).isSymLink(); ++n)
        name = QStringLiteral("%1-%2.%3").arg(stamp).arg(n).arg(ext);
    if (!copyNew(source, folder + QLatin1Char('/') + name))
        return QStringLiteral("");
    return QStringLiteral("editor/") + name;
}

QString PageEditorBridge::copyToAttachmentKeepingName(const QString& source, const QString& subFolder)
{
    const QString folder = editorFolder() + QLatin1Char('/') + subFolder;
    QDir().mkpath(folder);
    // "|" separates the paths given back to the page.
    const QString name = QFileInfo(source).fileName().replace(QLatin1Char('|'), QLatin1Char('_'));
    const QString target = folder + QLatin1Char('/') + name;
    if (!QFileInfo(target).isFile() && !copyNew(source, target))
        return QStringLiteral("");
    return QStringLiteral("editor/%1/%2").arg(subFolder, name);
}

QString PageEditorBridge::selectOne(const QString& title, const QStringList& extensions)
{
    const QStringList chosen = m_host->chooseFiles(title, extensions, false);
    if (chosen.isEmpty())
        return QStringLiteral("");
    if (!hasExtension(chosen.first(), extensions)) {
        LC_WARN(QStringLiteral("page editor: refused a file of the wrong kind [%1]").arg(chosen.first()));
        return QStringLiteral("");
    }
    return copyToAttachment(chosen.first());
}

QString PageEditorBridge::SelectImageFile()
{
    return selectOne(tr("Please select image file to open"), kImageTypes);
}

QString PageEditorBridge::OnSelectSWFFile()
{
    return selectOne(tr("Please select swf file to open"), EditedPageList::extensionsFor(QStringLiteral("Swf")));
}

QString PageEditorBridge::OnSelectMovieFile()
{
    return selectOne(tr("Please select the movie file to open"), EditedPageList::extensionsFor(QStringLiteral("Video")));
}

QString PageEditorBridge::OnSelectMusicFile()
{
    return selectOne(tr("Please select mp3 file to open"), EditedPageList::extensionsFor(QStringLiteral("Audio")));
}

QFuture<QString> PageEditorBridge::OnSelectImageFiles()
{
    return m_host->callPageFunction(QStringLiteral("ReName()")).then(this, [this](const QString& answer) {
        return copyPictures(answer == QLatin1String("YES"));
    });
}

QString PageEditorBridge::copyPictures(bool rename)
{
    const QString stamp = formatDate();
    QStringList paths;
    for (const QString& file : m_host->chooseFiles(tr("Please select images file to open"), kImageTypes, true)) {
        if (!hasExtension(file, kImageTypes)) {
            LC_WARN(QStringLiteral("page editor: refused a file of the wrong kind [%1]").arg(file));
            continue;
        }
        const QString path = rename ? copyToAttachment(file) : copyToAttachmentKeepingName(file, stamp);
        if (!path.isEmpty())
            paths << path;
    }
    return paths.join(QLatin1Char('|'));
}

void PageEditorBridge::OnDeleteFile(const QString& relativePath)
{
    if (relativePath.isEmpty())
        return;
    const QString cleaned = QDir::cleanPath(relativePath);
    const QString path = m_folder + QStringLiteral("/files/") + cleaned;
    const QFileInfo info(path);
    bool allowed = !QDir::isAbsolutePath(relativePath) && cleaned == relativePath
        && cleaned.startsWith(QLatin1String("editor/")) && !cleaned.split(QLatin1Char('/')).contains(QStringLiteral(".."));
    if (allowed && !info.exists() && !info.isSymLink())
        return; // nothing to delete
    // No symbolic link anywhere on the way from the working folder to the file.
    const QString expectedFolder = QFileInfo(m_folder).canonicalFilePath() + QStringLiteral("/files/")
        + QFileInfo(cleaned).path();
    allowed = allowed && info.dir().canonicalPath() == expectedFolder && !info.isSymLink() && info.isFile();
    if (!allowed) {
        LC_WARN(QStringLiteral("page editor: refused to delete [%1]").arg(relativePath));
        return;
    }
    if (!QFile::remove(path))
        LC_WARN(QStringLiteral("page editor: cannot delete [%1]").arg(path));
}

QFuture<QString> PageEditorBridge::Save()
{
    return m_host->callPageFunction(QStringLiteral("GetPageConfig()")).then(this, [this](const QString& text) {
        return savePageList(text);
    });
}

QString PageEditorBridge::savePageList(QString text)
{
    text.remove(QStringLiteral("%1/files/").arg(m_folder));
    const QString path = m_folder + QStringLiteral("/pages.xml");
    int before = -1;
    try {
        before = pageCount(xml::Document::load(path));
    } catch (const Error&) {
        // An unreadable list is replaced by any good one.
    }
    QString problem;
    try {
        const int after = pageCount(xml::Document::parse(text.toUtf8(), QStringLiteral("page list")));
        if (after < 0)
            problem = tr("The page list has no Pages element.");
        else if (before >= 0 && after != before)
            problem = tr("The page list has %1 pages instead of %2.").arg(after).arg(before);
    } catch (const Error& e) {
        problem = tr("The page list is not well-formed: %1").arg(e.text());
    }
    if (problem.isEmpty()) {
        const QString why = trySaveFile(path, text.toUtf8(), {.sync = true});
        if (!why.isNull())
            problem = tr("The page list cannot be written: %1").arg(why);
    }
    if (!problem.isEmpty())
        LC_WARN(QStringLiteral("page editor: not saved: %1").arg(problem));
    return problem;
}

QFuture<QString> PageEditorBridge::SaveAndExit()
{
    return Save().then(this, [this](const QString& problem) {
        if (problem.isEmpty())
            m_host->endEditor(1);
        return problem;
    });
}

void PageEditorBridge::Exit()
{
    m_host->endEditor(0);
}

void PageEditorBridge::OpenHelp()
{
    m_host->openManual();
}

} // namespace leafcraft
