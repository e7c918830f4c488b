// The texts of a book's HTML page and the generation of the page from a template's pattern.
#pragma once

#include <QString>
#include <functional>

namespace leafcraft {

class HTMLConfigInfo {
public:
    HTMLConfigInfo();

    // Substituted for `${index.title}`.
    const QString& htmlTitle() const { return m_htmlTitle; }
    void setHtmlTitle(const QString& v) { m_htmlTitle = v; }
    // Substituted for `${meta.keywords}`.
    const QString& htmlKeywords() const { return m_htmlKeywords; }
    void setHtmlKeywords(const QString& v) { m_htmlKeywords = v; }
    // Substituted for `${meta.description}`.
    const QString& htmlDescription() const { return m_htmlDescription; }
    void setHtmlDescription(const QString& v) { m_htmlDescription = v; }
    // Substituted for `${html.lang}`: the page's language tag ("en" unless set).
    const QString& HTMLLanguage() const { return m_HTMLLanguage; }
    void setHTMLLanguage(const QString& v) { m_HTMLLanguage = v; }
    // Substituted for `${page.analytics}`: the web analytics property the page reports to when
    // it is opened over http(s); "" for none (the page then makes no network call of its own).
    const QString& analyticsID() const { return m_analyticsID; }
    void setAnalyticsID(const QString& v) { m_analyticsID = v; }

    // Takes the page's language, keywords, description and analytics property from the book's
    // settings (`lookup(key, default)`): languageSetting, the title and the author's name,
    // AuthorInfo, GoogleID. Empty settings leave the texts as they are.
    void takeBookSettings(const std::function<QString(const QString& key, const QString& defaultValue)>& lookup);
    // The language tag of a languageSetting value ("German" -> "de"); "en" for unknown ones.
    static QString languageTag(const QString& setting);

    // Script texts kept for the page; not substituted.
    const QString& htmlScript() const { return m_htmlScript; }
    void setHtmlScript(const QString& v) { m_htmlScript = v; }
    const QString& otherScript() const { return m_otherScript; }
    void setOtherScript(const QString& v) { m_otherScript = v; }

    // Reads the pattern file (UTF-8), fills in the title, keywords and description and
    // writes the page as UTF-8 to `toFile`, replacing it atomically: an earlier page stays
    // whole until the new one is complete. Throws Error(BadInput) when the pattern cannot
    // be read and Error(Output) when the page cannot be written.
    void generateHtmlFrom(const QString& templatePath, const QString& toFile) const;

    // The page text for a pattern text, without touching files.
    QString generateHtml(const QString& patternText) const;

private:
    QString m_htmlTitle;
    QString m_htmlKeywords;
    QString m_htmlDescription;
    QString m_HTMLLanguage;
    QString m_analyticsID;
    QString m_htmlScript;
    QString m_otherScript;
};

} // namespace leafcraft
