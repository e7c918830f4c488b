#include "support/CommonCryptor.h"

#include <array>
#include <utility>

namespace leafcraft {

namespace {

constexpr qsizetype kMaxRc4KeyBytes = 512;
constexpr int kParamError = -4300;

} // namespace

QByteArray CommonCryptor::truncatedKey(const QByteArray& key)
{
    return key.size() > kMaxRc4KeyBytes ? key.left(kMaxRc4KeyBytes) : key;
}

std::optional<QByteArray> CommonCryptor::rc4Encrypt(const QByteArray& data, const QByteArray& key,
                                                                  CryptorError* error)
{
    const QByteArray k = truncatedKey(key);
    if (k.isEmpty()) {
        if (error)
            *error = {QStringLiteral("CommonCryptoErrorDomain"), kParamError,
                      QStringLiteral("RC4 needs a key of 1 to 512 bytes")};
        return std::nullopt;
    }

    // Key schedule.
    std::array<unsigned char, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    const auto* kb = reinterpret_cast<const unsigned char*>(k.constData());
    const qsizetype kn = k.size();
    unsigned j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + s[i] + kb[i % kn]) & 0xFF;
        std::swap(s[i], s[j]);
    }

    // Keystream.
    QByteArray out(data.size(), Qt::Uninitialized);
    const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    unsigned i = 0;
    j = 0;
    for (qsizetype n = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        o[n] = in[n] ^ s[(s[i] + s[j]) & 0xFF];
    }
    return out;
}

std::optional<QByteArray> CommonCryptor::rc4Encrypt(const QByteArray& data, const QString& key,
                                                                  CryptorError* error)
{
    return rc4Encrypt(data, key.toUtf8(), error);
}

} // namespace leafcraft
