#include "support/Error.h"

namespace leafcraft {

namespace {
QString joined(const QString& where, const QString& message)
{
    return where.isEmpty() ? message : where + QLatin1String(": ") + message;
}
} // namespace

Error::Error(ErrorKind kind, QString message, QString where)
    : std::runtime_error(joined(where, message).toStdString()), m_kind(kind), m_message(std::move(message)),
      m_where(std::move(where))
{
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
