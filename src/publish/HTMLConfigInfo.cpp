#include "publish/HTMLConfigInfo.h"

#include "support/SaveFile.h"
#include "publish/Maker.h"
#include "publish/TextTemplate.h"
#include "support/Error.h"

#include <QFile>
#include <QStringList>

namespace leafcraft {

HTMLConfigInfo::HTMLConfigInfo()
    : m_htmlTitle(QStringLiteral("Quiremark")),
      m_htmlKeywords(QStringLiteral("Sheetwise,page flip,flipping-book")),
      m_htmlDescription(maker::webDomain()),
      m_HTMLLanguage(QStringLiteral("en")),
      m_htmlScript(QLatin1String("")),
      m_otherScript(QLatin1String(""))
{
}

QString HTMLConfigInfo::generateHtml(const QString& patternText) const
{
    TextTemplate engine(patternText);
    engine.setItem(QStringLiteral("index.title"), m_htmlTitle);
    engine.setItem(QStringLiteral("meta.keywords"), m_htmlKeywords);
    engine.setItem(QStringLiteral("meta.description"), m_htmlDescription);
    engine.setItem(QStringLiteral("html.lang"), m_HTMLLanguage);
    engine.setItem(QStringLiteral("page.analytics"), m_analyticsID);
    return engine.parse();
}

QString HTMLConfigInfo::languageTag(const QString& setting)
{
    static const char* const languages[][2] = {
        {"English", "en"},    {"French", "fr"}, {"German", "de"},  {"Spanish", "es"},
        {"Italian", "it"},    {"Portuguese", "pt"}, {"Dutch", "nl"}, {"Swedish", "sv"},
        {"Polish", "pl"},     {"Russian", "ru"}, {"Chinese", "zh"}, {"Japanese", "ja"},
    };
    for (const auto& l : languages)
        if (setting.trimmed().compare(QLatin1String(l[0]), Qt::CaseInsensitive) == 0)
            return QLatin1String(l[1]);
    return QStringLiteral("en");
}

void HTMLConfigInfo::takeBookSettings(const std::function<QString(const QString&, const QString&)>& lookup)
{
    const QString none;
    m_HTMLLanguage = languageTag(lookup(QStringLiteral("languageSetting"), QStringLiteral("English")));
    QStringList keywords;
    for (const QString& k : {lookup(QStringLiteral("Title"), none), lookup(QStringLiteral("AuthorName"), none)})
        if (!k.trimmed().isEmpty() && !keywords.contains(k.trimmed()))
            keywords << k.trimmed();
    if (!keywords.isEmpty())
        m_htmlKeywords = keywords.join(QLatin1Char(','));
    const QString about = lookup(QStringLiteral("AuthorInfo"), none).trimmed();
    if (!about.isEmpty())
        m_htmlDescription = about;
    else if (!keywords.isEmpty())
        m_htmlDescription = keywords.first();
    m_analyticsID = lookup(QStringLiteral("GoogleID"), none).trimmed();
}

void HTMLConfigInfo::generateHtmlFrom(const QString& templatePath, const QString& toFile) const
{
    QFile in(templatePath);
    if (templatePath.isEmpty() || !in.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the template's HTML page"), templatePath);
    const QString page = generateHtml(QString::fromUtf8(in.readAll()));
    saveFile(toFile, page.toUtf8(), QStringLiteral("the HTML page"));
}

} // namespace leafcraft
