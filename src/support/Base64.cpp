#include "support/Base64.h"

#include <array>

namespace leafcraft {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each character; -1 outside the alphabet.
constexpr std::array<int, 256> makeValues()
{
    std::array<int, 256> values{};
    for (int& v : values)
        v = -1;
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = i;
    return values;
}
constexpr std::array<int, 256> kValues = makeValues();

unsigned lenientValue(char c)
{
    const int v = kValues[static_cast<unsigned char>(c)];
    return v < 0 ? 0u : unsigned(v);
}

} // namespace

QString Base64::encode(const QByteArray& data)
{
    return encode(data.constData(), data.size());
}

QString Base64::encode(const char* bytes, qsizetype length)
{
    // Encoding has one right answer (standard alphabet, padded, no line breaks): Qt's.
    if (!bytes || length <= 0)
        return QStringLiteral("");
    return QString::fromLatin1(QByteArray::fromRawData(bytes, length).toBase64());
}

std::optional<QByteArray> Base64::decode(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    const QByteArray ascii = text.toLatin1();
    return decode(ascii.constData(), ascii.size());
}

std::optional<QByteArray> Base64::decode(const char* chars, qsizetype length)
{
    if (length < 0 || length % 4 != 0 || (!chars && length > 0))
        return std::nullopt;
    qsizetype m = length;
    while (m > 0 && chars[m - 1] == '=')
        --m;
    const qsizetype outLength = (3 * m) / 4;
    QByteArray out(outLength, '\0');
    qsizetype written = 0;
    for (qsizetype i = 0; i < m; i += 4) {
        // A group cut short by the dropped padding is completed with zero values.
        const unsigned a = lenientValue(chars[i]);
        const unsigned b = i + 1 < m ? lenientValue(chars[i + 1]) : 0;
        const unsigned c = i + 2 < m ? lenientValue(chars[i + 2]) : 0;
        const unsigned d = i + 3 < m ? lenientValue(chars[i + 3]) : 0;
        const unsigned char group[3] = {static_cast<unsigned char>(a * 4 + b / 16),
                                        static_cast<unsigned char>((b % 16) * 16 + c / 4),
                                        static_cast<unsigned char>((c % 4) * 64 + d)};
        for (unsigned char byte : group) {
            if (written < outLength)
                out[written++] = char(byte);
        }
    }
    return out;
}

bool Base64::isCanonical(const QString& text)
{
    if (text.size() % 4 != 0)
        return false;
    qsizetype end = text.size();
    int padding = 0;
    while (end > 0 && text[end - 1] == QLatin1Char('=') && padding < 3) {
        --end;
        ++padding;
    }
    if (padding > 2)
        return false;
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t u = text[i].unicode();
        if (u > 0x7F || kValues[u] < 0)
            return false;
    }
    return true;
}

} // namespace leafcraft
