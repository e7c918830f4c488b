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
    if (!bytes || length <= 0)
        return QStringLiteral("");
    QByteArray out;
    out.resize(4 * ((length + 2) / 3));
    char* o = out.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    for (; i + 3 <= length; i += 3) {
        const unsigned v = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
        *o++ = kAlphabet[(v >> 18) & 63];
        *o++ = kAlphabet[(v >> 12) & 63];
        *o++ = kAlphabet[(v >> 6) & 63];
        *o++ = kAlphabet[v & 63];
    }
    const qsizetype rest = length - i;
    if (rest > 0) {
        const unsigned v = (unsigned(in[i]) << 16) | (rest > 1 ? unsigned(in[i + 1]) << 8 : 0u);
        *o++ = kAlphabet[(v >> 18) & 63];
        *o++ = kAlphabet[(v >> 12) & 63];
        *o++ = rest > 1 ? kAlphabet[(v >> 6) & 63] : '=';
        *o++ = '=';
    }
    return QString::fromLatin1(out);
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
