// Base64 with the standard alphabet of RFC 4648 and "=" padding, on one line.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace leafcraft {

class Base64 {
public:
    Base64() = delete;

    // 4 * ((n + 2) / 3) characters for n bytes, padded with "=", no line breaks. Nothing
    // (an empty or null buffer) encodes to "".
    static QString encode(const QByteArray& data);
    static QString encode(const char* bytes, qsizetype length);

    // The lenient decoder: nullopt when the text is not ASCII or its length is not a multiple
    // of 4. Trailing "=" are dropped and m characters remain give (3 * m) / 4 bytes. Any other
    // character outside the alphabet (a space, an "=" inside the text) counts as "A" (value 0):
    // nothing is rejected for it. Use isCanonical() first where damaged text must be refused.
    static std::optional<QByteArray> decode(const QString& text);
    // As above on raw characters; bytes outside ASCII count as value 0 like any other
    // character outside the alphabet.
    static std::optional<QByteArray> decode(const char* chars, qsizetype length);

    // True when `text` is strict Base64: a multiple of 4 characters from the alphabet, with at
    // most two "=" at the very end.
    static bool isCanonical(const QString& text);
};

} // namespace leafcraft
