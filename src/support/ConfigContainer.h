// The container that holds a book configuration document in "files/config.xml": the document is
// packed as the single deflated entry "config.xml" of a zip archive, the archive is enciphered
// with RC4 under a fixed key, and the result is Base64 text in one CDATA section of a root
// element `data`:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <data><![CDATA[...Base64...]]></data>
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace leafcraft {

class ConfigContainer {
public:
    ConfigContainer() = delete;

    // The largest document a container may hold: real configurations are a few megabytes, and
    // a small archive must not make us allocate gigabytes.
    static constexpr std::uint64_t kMaxDocumentSize = 64u << 20;

    // The RC4 key of every book: the 14 ASCII bytes "pbkcfg-rc4-k14".
    static QString cipherKey();
    // The name of the one archive entry.
    static QString entryName();

    // The container bytes for the serialised document `documentBytes` (written as they are).
    // Throws Error(BadInput) for a document larger than kMaxDocumentSize, which decode would
    // refuse: every container encode makes, decode reads.
    static QByteArray encode(const QByteArray& documentBytes);

    // The document bytes held by a container. Throws Error(BadInput) naming `where` when the
    // bytes are not such a container: not XML, no root `data`, text that is not Base64, not a
    // zip archive after deciphering, no entry, a damaged entry, an entry larger than
    // kMaxDocumentSize or a CRC-32 mismatch.
    static QByteArray decode(const QByteArray& containerBytes, const QString& where = QString());
};

} // namespace leafcraft
