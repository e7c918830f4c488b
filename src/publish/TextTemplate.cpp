#include "publish/TextTemplate.h"

namespace leafcraft {

TextTemplate::TextTemplate(QString fromStr) : m_fromStr(std::move(fromStr)) {}

void TextTemplate::setItem(const QString& key, const QString& value)
{
    m_keyAndValues.insert(key, value);
}

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QChar(0x2028) || c == QChar(0x2029) || c == QChar(0x0B) || c == QChar(0x0C) || c == QChar(0x85);
}

} // namespace

QString TextTemplate::parse() const
{
    const QString& s = m_fromStr;
    QString out;
    out.reserve(s.size() + 64);
    qsizetype pos = 0;
    while (pos < s.size()) {
        const qsizetype open = s.indexOf(QLatin1String("${"), pos);
        if (open < 0)
            break;
        const qsizetype close = s.indexOf(QLatin1Char('}'), open + 2);
        if (close < 0)
            break; // never closed: the rest is kept as written
        out += QStringView(s).mid(pos, open - pos);
        qsizetype keyStart = open + 2;
        while (keyStart < close && isBlank(s.at(keyStart)))
            ++keyStart;
        const QString key = s.mid(keyStart, close - keyStart);
        out += escapeHTML(m_keyAndValues.value(key));
        pos = close + 1;
    }
    out += QStringView(s).mid(pos);
    return out;
}

QString TextTemplate::escapeHTML(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace leafcraft
