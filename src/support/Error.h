// The one error type of Leafcraft, and the list of warnings that work collects on its way.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace leafcraft {

// What kind of failure an error is; the numbers are the command-line exit codes.
enum class ErrorKind {
    Internal = 1, // a fault of ours or of a library
    Usage = 2,    // the caller asked for something that makes no sense
    BadInput = 3, // a file or value given to us cannot be used
    Output = 4,   // a result cannot be written
    Cancelled = 5 // the user stopped the work
};

// A fatal problem: what went wrong (message, in words a user understands) and where
// (a file, a page, an offset, a key). Thrown inside the core, caught at a boundary.
class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, QString message, QString where = QString());

    ErrorKind kind() const { return m_kind; }
    const QString& message() const { return m_message; }
    const QString& where() const { return m_where; }
    // "where: message", or the message alone, with control characters escaped.
    QString text() const;

private:
    ErrorKind m_kind;
    QString m_message;
    QString m_where;
};

// `text` with every control character written as an escape ("\n", "\t", "\x1b", "\u0085"), so
// that a name or value shown in a message cannot move the cursor, clear the screen or fake a
// line of output. Printable text comes back unchanged.
QString escapeControlCharacters(const QString& text);

// A recoverable oddity: work goes on, the oddity is reported at the end.
struct Warning {
    QString where;
    QString message;
    // "where: message" with control characters escaped.
    QString text() const;
};

class Warnings {
public:
    void add(QString where, QString message) { m_list.push_back({std::move(where), std::move(message)}); }
    void append(const Warnings& other) { m_list.insert(m_list.end(), other.m_list.begin(), other.m_list.end()); }
    bool isEmpty() const { return m_list.empty(); }
    std::size_t size() const { return m_list.size(); }
    const std::vector<Warning>& list() const { return m_list; }
    QStringList texts() const;
    void clear() { m_list.clear(); }

private:
    std::vector<Warning> m_list;
};

} // namespace leafcraft
