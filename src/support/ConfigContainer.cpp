#include "support/ConfigContainer.h"

#include "platform/Xml.h"
#include "support/Base64.h"
#include "support/CommonCryptor.h"
#include "support/Error.h"
#include "support/ZipWriter.h"
#include "support/ZipDataOps.h"

#include <optional>

namespace leafcraft {

namespace {

// A bounds-checked little-endian reader of the deciphered archive.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& bytes) : m_bytes(bytes) {}
    bool has(std::uint64_t at, std::uint64_t count) const
    {
        return at <= std::uint64_t(m_bytes.size()) && count <= std::uint64_t(m_bytes.size()) - at;
    }
    std::uint32_t u16(std::uint64_t at) const
    {
        return std::uint8_t(m_bytes[qsizetype(at)]) | (std::uint32_t(std::uint8_t(m_bytes[qsizetype(at) + 1])) << 8);
    }
    std::uint32_t u32(std::uint64_t at) const { return u16(at) | (u16(at + 2) << 16); }
    QByteArray mid(std::uint64_t at, std::uint64_t count) const { return m_bytes.mid(qsizetype(at), qsizetype(count)); }
    qsizetype size() const { return m_bytes.size(); }

private:
    const QByteArray& m_bytes;
};

[[noreturn]] void fail(const QString& message, const QString& where)
{
    throw Error(ErrorKind::BadInput, message, where);
}

// Where the end of central directory record starts, searching back over a comment of up to
// 65535 bytes; nullopt when there is none.
std::optional<std::uint64_t> findEndRecord(const ByteReader& r)
{
    if (r.size() < qsizetype(ZipEndRecordFixedDataLength))
        return std::nullopt;
    const std::uint64_t last = std::uint64_t(r.size()) - ZipEndRecordFixedDataLength;
    const std::uint64_t first = last > 0xFFFF ? last - 0xFFFF : 0;
    for (std::uint64_t at = last + 1; at-- > first;) {
        if (r.u32(at) == ZipEndRecordMagicNumber && at + ZipEndRecordFixedDataLength + r.u16(at + 20) == std::uint64_t(r.size()))
            return at;
    }
    return std::nullopt;
}

// The bytes of the entry "config.xml" (or of the only entry) of a zip archive.
QByteArray unpackEntry(const QByteArray& archive, const QString& where)
{
    const QString notZip =
        QStringLiteral("the deciphered data is not a zip archive (not a configuration container, or a damaged one)");
    const ByteReader r(archive);
    const std::optional<std::uint64_t> end = findEndRecord(r);
    if (!end)
        fail(notZip, where);
    const std::uint32_t entries = r.u16(*end + 10);
    std::uint64_t at = r.u32(*end + 16);
    if (entries == 0)
        fail(QStringLiteral("the container's archive holds no entry"), where);

    std::optional<std::uint64_t> chosen;
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (!r.has(at, ZipCentralHeaderFixedDataLength) || r.u32(at) != ZipCentralHeaderMagicNumber)
            fail(notZip, where);
        const std::uint64_t nameLength = r.u16(at + 28);
        const std::uint64_t total = ZipCentralHeaderFixedDataLength + nameLength + r.u16(at + 30) + r.u16(at + 32);
        if (!r.has(at, total))
            fail(notZip, where);
        const QByteArray name = r.mid(at + ZipCentralHeaderFixedDataLength, nameLength);
        if (name == ConfigContainer::entryName().toUtf8() || (!chosen && entries == 1))
            chosen = at;
        at += total;
    }
    if (!chosen)
        fail(QStringLiteral("the container's archive has no entry \"%1\"").arg(ConfigContainer::entryName()), where);

    const std::uint64_t cd = *chosen;
    const std::uint32_t method = r.u16(cd + 10);
    const std::uint32_t crc = r.u32(cd + 16);
    const std::uint64_t compressedSize = r.u32(cd + 20);
    const std::uint64_t uncompressedSize = r.u32(cd + 24);
    const std::uint64_t local = r.u32(cd + 42);
    if (uncompressedSize > ConfigContainer::kMaxDocumentSize)
        fail(QStringLiteral("the container's entry would expand to %1 bytes, more than a configuration document "
                            "may have (%2 bytes)").arg(uncompressedSize).arg(ConfigContainer::kMaxDocumentSize), where);
    if (!r.has(local, ZipLocalHeaderFixedDataLength) || r.u32(local) != ZipLocalHeaderMagicNumber)
        fail(notZip, where);
    const std::uint64_t dataAt = local + ZipLocalHeaderFixedDataLength + r.u16(local + 26) + r.u16(local + 28);
    if (!r.has(dataAt, compressedSize))
        fail(QStringLiteral("the container's archive is cut short"), where);
    const QByteArray packed = r.mid(dataAt, compressedSize);

    std::optional<QByteArray> content;
    if (method == ZipCompressionDeflate)
        content = zk_inflate(packed, uncompressedSize);
    else if (method == ZipCompressionStored)
        content = packed;
    else
        fail(QStringLiteral("the container's entry uses compression method %1, which is not supported").arg(method), where);
    if (!content || std::uint64_t(content->size()) != uncompressedSize)
        fail(QStringLiteral("the container's entry is damaged (it does not inflate to its recorded size)"), where);
    if (zk_crc32(*content) != crc)
        fail(QStringLiteral("the container's entry is damaged (CRC-32 mismatch)"), where);
    return *content;
}

} // namespace

QString ConfigContainer::cipherKey()
{
    return QStringLiteral("pbkcfg-rc4-k14");
}

QString ConfigContainer::entryName()
{
    return QStringLiteral("config.xml");
}

QByteArray ConfigContainer::encode(const QByteArray& documentBytes)
{
    if (std::uint64_t(documentBytes.size()) > kMaxDocumentSize)
        fail(QStringLiteral("the document has %1 bytes, more than a configuration document may have (%2 bytes)")
                 .arg(documentBytes.size())
                 .arg(kMaxDocumentSize),
             QString());
    ZipWriter archive;
    archive.deflateData(documentBytes, entryName());
    // A failed encipherment yields nothing, which encodes to an empty CDATA section.
    const QByteArray enciphered = CommonCryptor::rc4Encrypt(archive.data(), cipherKey()).value_or(QByteArray());
    xml::Document container = xml::Document::create(QStringLiteral("data"));
    container.root().appendCData(Base64::encode(enciphered));
    return container.toBytes(xml::Output::Compact);
}

QByteArray ConfigContainer::decode(const QByteArray& containerBytes, const QString& where)
{
    xml::Document container;
    try {
        container = xml::Document::parse(containerBytes, where);
    } catch (const Error& e) {
        fail(QStringLiteral("not a configuration container: %1").arg(e.message()), where);
    }
    const xml::Element root = container.root();
    if (root.isNull() || root.name() != QLatin1String("data"))
        fail(QStringLiteral("not a configuration container: the root element is <%1>, not <data>")
                 .arg(root.isNull() ? QString() : root.name()),
             where);
    if (!root.children().empty())
        fail(QStringLiteral("not a configuration container: <data> holds elements instead of Base64 text"), where);

    QString text = root.stringValue();
    text.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    if (text.isEmpty())
        fail(QStringLiteral("the configuration container is empty (its <data> element holds no text)"), where);
    if (!Base64::isCanonical(text))
        fail(QStringLiteral("the text of <data> is not Base64"), where);
    const std::optional<QByteArray> enciphered = Base64::decode(text);
    const std::optional<QByteArray> archive = CommonCryptor::rc4Encrypt(enciphered.value_or(QByteArray()), cipherKey());
    return unpackEntry(archive.value_or(QByteArray()), where);
}

} // namespace leafcraft
