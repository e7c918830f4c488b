#include "publish/HTMLConfigInfo.h"

#include "publish/AtomicWrite_p.h"
#include "publish/Maker.h"
#include "publish/TextTemplate.h"
#include "support/Error.h"

#include <QFile>

namespace leafcraft {

HTMLConfigInfo::HTMLConfigInfo()
    : m_HTMLTitle(QStringLiteral("Quiremark")),
      m_HTMLKeywords(QStringLiteral("Sheetwise,page flip,flipping-book")),
      m_HTMLDescription(maker::webDomain()),
      m_HTMLScript(QLatin1String("")),
      m_otherScript(QLatin1String(""))
{
}

QString HTMLConfigInfo::generateHTML(const QString& patternText) const
{
    TextTemplate engine(patternText);
    engine.setItem(QStringLiteral("index.title"), m_HTMLTitle);
    engine.setItem(QStringLiteral("meta.keywords"), m_HTMLKeywords);
    engine.setItem(QStringLiteral("meta.description"), m_HTMLDescription);
    return engine.parse();
}

void HTMLConfigInfo::generateHTMLFrom(const QString& templatePath, const QString& toFile) const
{
    QFile in(templatePath);
    if (templatePath.isEmpty() || !in.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the template's HTML page"), templatePath);
    const QString page = generateHTML(QString::fromUtf8(in.readAll()));
    if (!detail::writeFileAtomically(toFile, page.toUtf8()))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the HTML page"), toFile);
}

} // namespace leafcraft
