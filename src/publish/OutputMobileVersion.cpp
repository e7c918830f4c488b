#include "publish/OutputMobileVersion.h"

#include "support/BookSettings.h"
#include "import/FlashPageSource.h"
#include "platform/Log.h"
#include "publish/Maker.h"
#include "publish/OutputMobileVersion_p.h"
#include "templates/FlashTemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace leafcraft {

namespace {

// Whether two files hold the same bytes (false when either cannot be read).
bool sameBytes(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 1 << 16;
    while (!fa.atEnd()) {
        const QByteArray chunk = fa.read(kChunk);
        if (chunk.isEmpty() || chunk != fb.read(kChunk))
            return false;
    }
    return true;
}

void writeAtomically(const QString& path, const QString& text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the phone version's file: %1").arg(file.errorString()),
                    path);
}

} // namespace

OutputMobileVersion::OutputMobileVersion(std::shared_ptr<FlashPageSource> pageSource,
                                         std::shared_ptr<FlashTemplate> flashTemplate, const QString& saveFolder,
                                         int mobileType)
    : m_template(std::move(flashTemplate)),
      m_pageSource(std::move(pageSource)),
      m_saveFolder(saveFolder),
      m_mobileType(mobileType)
{
}

OutputMobileVersion::~OutputMobileVersion() = default;

void OutputMobileVersion::writeMobileVersion()
{
    if (!copyPicturesToMobileFolder()) {
        m_warnings.add(m_saveFolder, QStringLiteral("the book has no phone pictures; no phone version was written"));
        return;
    }
    if (m_mobileType == 1)
        writeSlideVersion();
    else
        writeFlipVersion();
}

bool OutputMobileVersion::copyPicturesToMobileFolder()
{
    const QString folder = m_saveFolder + QLatin1String("/files/mobile/");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    m_pictures.clear();
    if (!m_pageSource)
        return false;
    for (const auto& page : m_pageSource->mobilePages()) {
        // A drawn page (SVG) serves phones as it is.
        const bool drawn = page->pageFilePath().endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
        const QString name = QStringLiteral("%1.%2").arg(page->pageIndex()).arg(drawn ? QStringLiteral("svg") : QStringLiteral("jpg"));
        // A phone picture that is the page picture already in the book is shared, not copied.
        if (sameBytes(page->pageFilePath(), m_saveFolder + QLatin1String("/files/page/") + name)) {
            m_pictures << QLatin1String("../files/page/") + name;
            continue;
        }
        const QString target = folder + name;
        QFile::remove(target);
        if (!QFile::copy(page->pageFilePath(), target)) {
            m_warnings.add(page->pageFilePath(), QStringLiteral("the phone picture of page %1 could not be copied")
                                                     .arg(page->pageIndex()));
            m_failedFiles << QStringLiteral("files/mobile/") + name;
            continue;
        }
        m_pictures << QLatin1String("../files/mobile/") + name;
    }
    return !m_pageSource->mobilePages().empty();
}

void OutputMobileVersion::writeFlipVersion()
{
    const QString settings = flipSettingsText();
    const QString folder = mobileFolder();
    checkMobileFolderIsOurs();
    if (m_template)
        m_template->copyMobilePathToFile(folder, QStringLiteral("Flip"));
    const QString preview = folder + QLatin1String("/javascript/main_preview.js");
    const QString script = readText(preview);
    if (script.isNull()) {
        m_warnings.add(preview, QStringLiteral("the page-turning phone player is missing; no phone book was written"));
        return;
    }
    writeAtomically(m_saveFolder + QLatin1String("/mobile/javascript/main.js"), script + settings);
    QFile::remove(preview);
}

void OutputMobileVersion::writeSlideVersion()
{
    const QString folder = mobileFolder();
    checkMobileFolderIsOurs();
    if (m_template)
        m_template->copyMobilePathToFile(folder, QStringLiteral("Slide"));
    const QString page = folder + QLatin1String("/index.html");
    if (!QFileInfo(page).isFile()) {
        m_warnings.add(page, QStringLiteral("the phone slide player is missing; no phone book was written"));
        return;
    }
    generateMobileHtmlFrom(page, page);
    // The logo, its link and the reading direction, for the viewer's bar.
    const QString config = folder + QLatin1String("/javascript/config.js");
    if (QFileInfo(config).dir().exists())
        writeAtomically(config, flipSettingsText());
}

QString OutputMobileVersion::appendOption(const QString& text, const QString& key, const QString& value)
{
    return text + key + QLatin1Char(':') + value + QLatin1Char(',');
}

QString OutputMobileVersion::quoted(const QString& text)
{
    return detail::jsStringLiteral(text);
}

QString OutputMobileVersion::jsColor(const QString& text)
{
    QString c = text;
    c.replace(QLatin1String("0x"), QLatin1String("#"));
    return detail::jsStringLiteral(c);
}

QString OutputMobileVersion::readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QStringLiteral("") + QString::fromUtf8(file.readAll());
}

void OutputMobileVersion::generateMobileHtmlFrom(const QString& source, const QString& target)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::Output, QStringLiteral("cannot read the phone slide player's page"), source);
    const QString page = QString::fromUtf8(file.readAll());
    file.close();
    writeAtomically(target, detail::fillSlidePage(page, slideTitle(), slideOptionsText()));
}

QString OutputMobileVersion::flipSettingsText() const
{
    detail::MobileBookFacts facts;
    if (m_template)
        facts.templateName = m_template->templateName();
    if (m_pageSource) {
        facts.pageCount = int(m_pageSource->pages().size());
        for (const auto& page : m_pageSource->mobilePages())
            facts.pageNumbers.push_back(page->pageIndex());
    }
    facts.pictures = m_pictures;
    facts.pageWidth = pageWidthSetting();
    facts.pageHeight = pageHeightSetting();
    const auto tmpl = m_template;
    return detail::flipSettingsText(
        [tmpl](const QString& key, const QString& def) { return tmpl ? tmpl->propertyValueFor(key, def) : def; }, facts);
}

QString OutputMobileVersion::slideOptionsText() const
{
    const int total = m_pageSource ? int(m_pageSource->pages().size()) : 0;
    return detail::slideOptionsText(pageWidthSetting(), pageHeightSetting(), total);
}

QString OutputMobileVersion::slideTitle() const
{
    if (!m_template)
        return maker::webDomain();
    const QString title = m_template->propertyValueFor(QStringLiteral("Title"), QString());
    return m_template->propertyValueFor(QStringLiteral("bookTitle"),
                                            title.isEmpty() ? maker::webDomain() : title);
}

QString OutputMobileVersion::mobileFolder() const
{
    return QDir(m_saveFolder).filePath(QStringLiteral("mobile"));
}

void OutputMobileVersion::checkMobileFolderIsOurs() const
{
    const QString folder = mobileFolder();
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return;
    const QDir scripts(folder + QLatin1String("/javascript"));
    const bool ours = info.isDir() && !info.isSymLink()
                      && (scripts.exists(QStringLiteral("main.js")) || scripts.exists(QStringLiteral("main_preview.js"))
                          || scripts.exists(QStringLiteral("slide.js")));
    if (!ours)
        throw Error(ErrorKind::Output,
                    QStringLiteral("the book folder already holds a \"mobile\" entry that is not a phone book; "
                                   "it was left as it is and no phone version was written"),
                    folder);
}

int OutputMobileVersion::pageWidthSetting() const
{
    return (m_settings ? *m_settings : BookSettings::shared()).pageWidth();
}

int OutputMobileVersion::pageHeightSetting() const
{
    return (m_settings ? *m_settings : BookSettings::shared()).pageHeight();
}

} // namespace leafcraft
