#include "publish/OutputMobileVersion.h"

#include "support/BookSettings.h"
#include "import/PageSource.h"
#include "platform/Log.h"
#include "publish/BookSettings.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/Maker.h"
#include "publish/OutputMobileVersion_p.h"
#include "templates/Template.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    saveFile(path, text.toUtf8(), QStringLiteral("the phone version's file"));
}

} // namespace

OutputMobileVersion::OutputMobileVersion(std::shared_ptr<PageSource> pageSource,
                                         std::shared_ptr<Template> bookTemplate, const QString& saveFolder,
                                         int mobileType)
    : m_template(std::move(bookTemplate)),
      m_pageSource(std::move(pageSource)),
      m_saveFolder(saveFolder),
      m_mobileType(mobileType)
{
}

OutputMobileVersion::~OutputMobileVersion() = default;

void OutputMobileVersion::writeMobileVersion()
{
    m_notWritten.clear();
    if (!copyPicturesToMobileFolder()) {
        // Said without the folder: it may be a staging folder the user never sees.
        m_notWritten = QStringLiteral("the book has no phone pictures (a book without pages from a PDF or "
                                      "pictures, such as the demonstration book, has none)");
        m_warnings.add(QString(), m_notWritten + QStringLiteral("; no phone version was written"));
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
        if (const QString problem = tryCopyFile(page->pageFilePath(), target); !problem.isNull()) {
            m_warnings.add(page->pageFilePath(), QStringLiteral("the phone picture of page %1 could not be copied: %2")
                                                     .arg(page->pageIndex())
                                                     .arg(problem));
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
        m_notWritten = QStringLiteral("the page-turning phone player is missing from the program's files");
        m_warnings.add(preview, QStringLiteral("the page-turning phone player is missing; no phone book was written"));
        return;
    }
    writeAtomically(m_saveFolder + QLatin1String("/mobile/javascript/main.js"), script + settings);
    QFile::remove(preview);
    const QString page = folder + QLatin1String("/index.html");
    if (QFileInfo(page).isFile())
        generateMobileHtmlFrom(page, page);
}

void OutputMobileVersion::writeSlideVersion()
{
    const QString folder = mobileFolder();
    checkMobileFolderIsOurs();
    if (m_template)
        m_template->copyMobilePathToFile(folder, QStringLiteral("Slide"));
    const QString page = folder + QLatin1String("/index.html");
    if (!QFileInfo(page).isFile()) {
        m_notWritten = QStringLiteral("the phone slide player is missing from the program's files");
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
    const bookdoc::PropertyLookup settings = bookdoc::bookSettings(m_template.get(), m_publishedTitle);
    const QString language = HTMLConfigInfo::languageTag(settings(QStringLiteral("languageSetting"), QString()));
    QString title = m_mobileType == 1 ? slideTitle() : settings(QStringLiteral("Title"), QString()).trimmed();
    if (title.isEmpty())
        title = maker::webDomain();
    writeAtomically(target, detail::fillPlaceholders(page, {
                                {QStringLiteral("${index.title}"), detail::htmlEscaped(title)},
                                {QStringLiteral("${html.lang}"), language},
                                {QStringLiteral("${page.noscript}"), detail::htmlEscaped(detail::noScriptText(language))},
                                {QStringLiteral("${fbbook.options}"), slideOptionsText()},
                            }));
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
    return detail::flipSettingsText(bookdoc::bookSettings(m_template.get(), m_publishedTitle), facts);
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
    const TemplateProperty* own = m_template->findProperty(QStringLiteral("bookTitle"));
    if (own && !own->value().trimmed().isEmpty() && own->value() != own->defaultValue())
        return own->value();
    const QString title = bookdoc::bookSettings(m_template.get(), m_publishedTitle)(QStringLiteral("Title"), QString());
    return title.trimmed().isEmpty() ? maker::webDomain() : title;
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
