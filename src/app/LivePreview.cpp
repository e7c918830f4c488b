#include "app/LivePreview.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/BookWriter.h"
#include "publish/HTMLConfigInfo.h"
#include "support/FileUtility.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace leafcraft {

namespace {

// A preview whose lock no process holds any more belongs to an instance that is gone.
void removeStalePreviews(const QString& base)
{
    const QStringList locks = QDir(base).entryList({QStringLiteral("preview-*.lock")}, QDir::Files | QDir::Hidden);
    for (const QString& name : locks) {
        const QString lock = base + QLatin1Char('/') + name;
        const int fd = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::path((lock.chopped(5)).toStdU16String()), ec);
            ::unlink(QFile::encodeName(lock).constData());
        }
        ::close(fd);
    }
}

} // namespace

LivePreview::~LivePreview()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

void LivePreview::makePreviewFolder()
{
    const QString base = QDir::cleanPath(FileUtility::userAppSupportFolder() + QStringLiteral("/Quiresheet"));
    QDir().mkpath(base);
    removeStalePreviews(base);
    // A folder of this instance's own, locked for as long as the instance runs.
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/preview-XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        m_previewFolder = base + QStringLiteral("/preview-unavailable");
        LC_WARN(QStringLiteral("flash preview folder cannot be crearted[%1]").arg(m_previewFolder));
        return;
    }
    m_previewFolder = QFile::decodeName(pattern);
    const QByteArray lock = QFile::encodeName(m_previewFolder + QStringLiteral(".lock"));
    m_lockFd = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd >= 0) {
        ::flock(m_lockFd, LOCK_EX | LOCK_NB);
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::write(m_lockFd, pid.constData(), size_t(pid.size())) != pid.size())
            LC_WARN(QStringLiteral("cannot write the preview's lock file[%1]").arg(QFile::decodeName(lock)));
    }
    BookWriter::setDefaultPreviewFolder(m_previewFolder);
}

void LivePreview::preparePreviewFolder(const QString& /*basePath*/)
{
    if (m_previewFolder.isEmpty())
        makePreviewFolder();
}

QString LivePreview::applyChange(const std::shared_ptr<Template>& bookTemplate,
                                 const std::shared_ptr<PageSource>& pageSource,
                                 const std::shared_ptr<PageLinks>& annotations,
                                 const std::shared_ptr<Outline>& outline,
                                 const std::function<bool(int done, int total)>& progress)
{
    if (m_previewFolder.isEmpty())
        makePreviewFolder();
    auto html = std::make_shared<HTMLConfigInfo>();
    BookWriter writer(pageSource, bookTemplate, m_previewFolder, QStringLiteral("index.html"));
    try {
        html->setHtmlTitle(QStringLiteral("Preview"));
        writer.setHtmlConfig(html);
        writer.setPageLinks(annotations);
        writer.setOutline(outline);
        writer.setProgressCallback(progress);
        writer.setPreviewFolder(m_previewFolder);
        writer.setFolderIsPrivate(true);
        writer.writeBook();
        preparePreviewFolder(QStringLiteral(""));
        if (writer.failedWrites() > 0)
            throw Error(ErrorKind::Output, QStringLiteral("%1 file(s) could not be written").arg(writer.failedWrites()),
                        m_previewFolder);
        return writer.outputFileName();
    } catch (const std::exception& e) {
        const auto* error = dynamic_cast<const Error*>(&e);
        if (error && error->kind() == ErrorKind::Cancelled) {
            LC_INFO(QStringLiteral("the preview was not updated: cancelled"));
            return QString();
        }
        LC_ERROR(QStringLiteral("apply change :%1").arg(error ? error->text() : QString::fromUtf8(e.what())));
        return QString();
    }
}

void LivePreview::rewritePageListPaths(bool absolute)
{
    const QString path = m_previewFolder + QStringLiteral("/pages.xml");
    QFile in(path);
    if (m_previewFolder.isEmpty() || !in.open(QIODevice::ReadOnly))
        return;
    QString text = QString::fromUtf8(in.readAll());
    in.close();
    const QString files = m_previewFolder + QStringLiteral("/files/");
    if (absolute)
        text.replace(QStringLiteral("bace=\"\""), QStringLiteral("bace=\"%1\"").arg(files));
    else
        text.replace(QStringLiteral("\"%1\"").arg(files), QStringLiteral("\"\""));
    const QString problem = trySaveFile(path, text.toUtf8());
    if (!problem.isNull())
        LC_WARN(QStringLiteral("cannot rewrite the preview's page list %1: %2").arg(path, problem));
}

void LivePreview::removePageList()
{
    if (!m_previewFolder.isEmpty())
        QFile::remove(m_previewFolder + QStringLiteral("/pages.xml"));
}

void LivePreview::removePreviewFolder()
{
    if (!m_previewFolder.isEmpty() && QFileInfo::exists(m_previewFolder))
        QDir(m_previewFolder).removeRecursively();
    BookWriter::setDefaultPreviewFolder(QString());
    if (m_lockFd >= 0) {
        ::unlink(QFile::encodeName(m_previewFolder + QStringLiteral(".lock")).constData());
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

} // namespace leafcraft
