// A `${key}` substitution engine for the HTML page patterns that templates ship.
#pragma once

#include <QHash>
#include <QString>

namespace leafcraft {

// Substitutes every `${key}` of a template text with the value stored for the key.
//
// Placeholder syntax: "${" opens a placeholder, the key runs up to the next "}", which
// closes it. Blanks (spaces, tabs, line breaks) at the start of a key are ignored, blanks
// at its end are part of it, keys are case-sensitive. A key without a value gives the
// empty text. Values are HTML-escaped, so a title such as `Q&A <draft>` cannot break the
// page. All text outside placeholders is kept exactly, blanks included; an "${" that is
// never closed is kept as written.
class TextTemplate {
public:
    // The engine over the pattern `fromStr`, with no values yet.
    explicit TextTemplate(QString fromStr);

    const QString& fromStr() const { return m_fromStr; }
    const QHash<QString, QString>& keyAndValues() const { return m_keyAndValues; }

    // Stores the value for the key, replacing an earlier one.
    void setItem(const QString& key, const QString& value);

    // The substituted text; may be called again after more setItem calls.
    QString parse() const;

    // `text` with &, <, >, " and ' written as character references.
    static QString escapeHTML(const QString& text);

private:
    QString m_fromStr;
    QHash<QString, QString> m_keyAndValues;
};

} // namespace leafcraft
