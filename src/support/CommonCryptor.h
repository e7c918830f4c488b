// The RC4 stream cipher of the book configuration container.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace leafcraft {

// Why an encipherment gave no result.
struct CryptorError {
    QString domain; // always "CommonCryptoErrorDomain"
    int status = 0; // -4300: parameter error (a key of no bytes)
    QString description;
};

class CommonCryptor {
public:
    CommonCryptor() = delete;

    // Standard RC4 of `data` under `key`: the key schedule over the key bytes, then each byte
    // XORed with the next keystream byte from the first one on (none discarded). The output has
    // exactly as many bytes as the input, and enciphering it again gives the input back. A key
    // longer than 512 bytes is cut to its first 512 (truncatedKey). A key of no bytes gives
    // nullopt and, when `error` is given, the reason.
    static std::optional<QByteArray> rc4Encrypt(const QByteArray& data, const QByteArray& key,
                                                              CryptorError* error = nullptr);
    // A text key is keyed with its UTF-8 bytes, so its length counts bytes, not characters.
    static std::optional<QByteArray> rc4Encrypt(const QByteArray& data, const QString& key,
                                                              CryptorError* error = nullptr);
    static std::optional<QByteArray> rc4Encrypt(const QByteArray& data, const char* key,
                                                              CryptorError* error = nullptr)
    {
        return rc4Encrypt(data, QString::fromUtf8(key), error);
    }

    // The RC4 key length rule: more than 512 bytes are cut to 512, other lengths are kept.
    static QByteArray truncatedKey(const QByteArray& key);
};

} // namespace leafcraft
