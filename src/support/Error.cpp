#include "support/Error.h"

namespace leafcraft {

namespace {
QString joined(const QString& where, const QString& message)
{
    return escapeControlCharacters(where.isEmpty() ? message : where + QLatin1String(": ") + message);
}
} // namespace

Error::Error(ErrorKind kind, QString message, QString where)
    : std::runtime_error(joined(where, message).toStdString()), m_kind(kind), m_message(std::move(message)),
      m_where(std::move(where))
{
}

QString escapeControlCharacters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7f)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else if (u >= 0x80 && u < 0xa0)
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString Warning::text() const
{
    return joined(where, message);
}

QString Error::text() const
{
    return joined(m_where, m_message);
}

QStringList Warnings::texts() const
{
    QStringList out;
    for (const Warning& w : m_list)
        out << w.text();
    return out;
}

} // namespace leafcraft
